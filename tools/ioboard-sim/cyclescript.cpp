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
        } else if (word == "until") {
            const QStringList a = rest.split(' ', Qt::SkipEmptyParts);
            bool okOut = false, okMs = true, okIn = true;
            if (a.size() != 2 && a.size() != 4)
                return fail(QStringLiteral("expected: until OUTPUT on|off [MS INPUT]"));
            step.kind = CycleStep::Until;
            step.value = a[0].toInt(&okOut, 0);
            if (!okOut || step.value < 0 || step.value > 15)
                return fail(QStringLiteral("output out of 0..15"));
            if (a[1] != QLatin1String("on") && a[1] != QLatin1String("off"))
                return fail(QStringLiteral("expected on or off"));
            step.level = a[1] == QLatin1String("on") ? 1 : 0;
            if (a.size() == 4) {
                step.everyMs = a[2].toInt(&okMs, 0);
                step.input = a[3].toInt(&okIn, 0);
                if (!okMs || step.everyMs < 400 || step.everyMs > 3600000)
                    return fail(QStringLiteral("toggle period out of 400..3600000 ms"));
                if (!okIn || step.input < 0 || step.input > 9)
                    return fail(QStringLiteral("input out of 0..9"));
            }
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

void CyclePlayer::waitForOutput(const CycleStep& s) {
    using Clock = std::chrono::steady_clock;
    const auto reached = [&] { return ((board_->outputs() >> s.value) & 1) == s.level; };
    if (reached()) return;
    if (log_) log_(QStringLiteral("waiting for output %1 %2").arg(s.value).arg(s.level ? "on" : "off"));
    auto next = Clock::now() + std::chrono::milliseconds(s.everyMs);
    while (!stop_ && !reached()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (s.everyMs <= 0 || Clock::now() < next) continue;
        board_->setInput(s.input, false);
        if (log_) log_(QStringLiteral("input %1 off (still waiting)").arg(s.input));
        for (int left = 300; left > 0 && !stop_; left -= 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        board_->setInput(s.input, true);
        if (log_) log_(QStringLiteral("input %1 on").arg(s.input));
        next = Clock::now() + std::chrono::milliseconds(s.everyMs);
    }
    if (log_ && reached()) log_(QStringLiteral("output %1 %2").arg(s.value).arg(s.level ? "on" : "off"));
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
                case CycleStep::Until:
                    waitForOutput(s);
                    break;
            }
        }
        ++cycles_;
        // A looping script without pauses would spin: give the line a moment each round.
        if (loop && !hasWait) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (loop && !stop_);
    finished_ = true;
}
