#include "cyclescript.h"

#include <QStringList>
#include <chrono>

#include "ioboardsim.h"

bool parseCycleScript(const QString& text, QList<CycleStep>* steps, QString* error) {
    steps->clear();
    const QStringList lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        const int hash = line.indexOf('#');
        if (hash >= 0) line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty()) continue;
        const QString word = line.section(' ', 0, 0, QString::SectionSkipEmpty).toLower();
        const QString rest = line.section(' ', 1, -1, QString::SectionSkipEmpty).trimmed();
        const auto fail = [&](const QString& why) {
            if (error) *error = QStringLiteral("line %1: %2: \"%3\"").arg(n + 1).arg(why, lines[n].trimmed());
            return false;
        };
        CycleStep step{CycleStep::Log, 0, QString()};
        bool ok = true;
        if (word == "log") {
            step.text = rest;
        } else {
            const int value = rest.toInt(&ok, 0);
            if (!ok || rest.contains(' ')) return fail(QStringLiteral("expected one number"));
            if (word == "on" || word == "off") {
                if (value < 0 || value > 9) return fail(QStringLiteral("input out of 0..9"));
                step.kind = word == "on" ? CycleStep::On : CycleStep::Off;
            } else if (word == "inputs") {
                if (value < 0 || value > 0x3FF) return fail(QStringLiteral("input word out of 0..0x3FF"));
                step.kind = CycleStep::Inputs;
            } else if (word == "wait") {
                if (value < 0 || value > 3600000) return fail(QStringLiteral("wait out of 0..3600000 ms"));
                step.kind = CycleStep::Wait;
            } else {
                return fail(QStringLiteral("unknown step"));
            }
            step.value = value;
        }
        steps->append(step);
    }
    return true;
}

void CyclePlayer::play(const QList<CycleStep>& steps, bool loop) {
    stop();
    stop_ = false;
    finished_ = false;
    cycles_ = 0;
    thread_ = std::thread([this, steps, loop] { run(steps, loop); });
}

void CyclePlayer::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void CyclePlayer::run(QList<CycleStep> steps, bool loop) {
    bool hasWait = false;
    for (const CycleStep& s : steps) hasWait |= s.kind == CycleStep::Wait && s.value > 0;
    do {
        for (const CycleStep& s : steps) {
            if (stop_) break;
            switch (s.kind) {
                case CycleStep::On:
                    board_->setInput(s.value, true);
                    if (log_) log_(QStringLiteral("input %1 on").arg(s.value));
                    break;
                case CycleStep::Off:
                    board_->setInput(s.value, false);
                    if (log_) log_(QStringLiteral("input %1 off").arg(s.value));
                    break;
                case CycleStep::Inputs:
                    board_->setInputs(s.value);
                    if (log_) log_(QStringLiteral("inputs 0x%1").arg(s.value, 3, 16, QChar('0')));
                    break;
                case CycleStep::Wait:
                    for (int left = s.value; left > 0 && !stop_; left -= 10)
                        std::this_thread::sleep_for(std::chrono::milliseconds(qMin(left, 10)));
                    break;
                case CycleStep::Log:
                    if (log_) log_(s.text);
                    break;
            }
        }
        ++cycles_;
        // A looping script without pauses would spin: give the line a moment each round.
        if (loop && !hasWait) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (loop && !stop_);
    finished_ = true;
}
