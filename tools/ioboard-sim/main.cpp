// ioboard-sim: a simulated IO board on a pseudo-terminal, to run beside the monitor.
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "cyclescript.h"
#include "ioboardsim.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

void logLine(const QString& text) {
    const QString line = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz ") + text + '\n';
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

const char kHelp[] =
    "Usage: ioboard-sim [options]\n"
    "A simulated IO board on a pseudo-terminal pair. It answers polls with its input bits and the echo\n"
    "of the outputs it applied, applies output commands, answers analogue reads, and logs every\n"
    "output change with a timestamp. Stops on SIGINT or SIGTERM and removes its link.\n"
    "\n"
    "Options:\n"
    "  --link PATH          place a symbolic link to the pty slave at PATH (a stale link is replaced,\n"
    "                       anything else there is refused; for the monitor in the\n"
    "                       simulated profile: <program dir>/sysroot/dev/ttyS0)\n"
    "  --script FILE        play a machine-cycle script (see below) in a loop\n"
    "  --once               play the script once, then keep serving the line\n"
    "  --inputs WORD        initial input word (decimal or 0x..., default 0)\n"
    "  --analog-replies N   replies per analogue read (default 8)\n"
    "  --silent             answer nothing (a board that is not there)\n"
    "  --quiet              log output changes only, not script steps\n"
    "  -h, --help           this text\n"
    "\n"
    "Script: one step per line, '#' starts a comment:\n"
    "  on N | off N         input N (0..9) high or low\n"
    "  inputs WORD          the whole input word\n"
    "  wait MS              pause\n"
    "  log TEXT             a line in the log\n"
    "  until N on|off [MS INPUT]\n"
    "                       wait until the board applied output bit N at that level (the machine\n"
    "                       waiting for the monitor); with MS and INPUT, every MS ms of waiting input\n"
    "                       INPUT goes low and 300 ms later high again (the operator at the door)\n";

int usage(const QString& error) {
    std::fprintf(stderr, "ioboard-sim: %s\n\n%s", error.toLocal8Bit().constData(), kHelp);
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString link, scriptFile;
    bool once = false, silent = false, quiet = false;
    int inputs = 0, analogReplies = 8;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](QString* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        QString v;
        bool ok = true;
        if (a == "-h" || a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--link") {
            if (!value(&link)) return usage("--link needs a path");
        } else if (a == "--script") {
            if (!value(&scriptFile)) return usage("--script needs a file");
        } else if (a == "--inputs") {
            if (!value(&v)) return usage("--inputs needs a word");
            inputs = v.toInt(&ok, 0);
            if (!ok || inputs < 0 || inputs > 0x3FF) return usage("--inputs: a word of 0..0x3FF");
        } else if (a == "--analog-replies") {
            if (!value(&v)) return usage("--analog-replies needs a count");
            analogReplies = v.toInt(&ok);
            if (!ok || analogReplies < 0 || analogReplies > 64) return usage("--analog-replies: 0..64");
        } else if (a == "--once") {
            once = true;
        } else if (a == "--silent") {
            silent = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            return usage(QStringLiteral("unknown option %1").arg(a));
        }
    }

    QList<CycleStep> steps;
    if (!scriptFile.isEmpty()) {
        QFile f(scriptFile);
        if (!f.open(QIODevice::ReadOnly)) return usage(QStringLiteral("cannot read %1").arg(scriptFile));
        QString error;
        if (!parseCycleScript(QString::fromUtf8(f.readAll()), &steps, &error))
            return usage(QStringLiteral("%1: %2").arg(scriptFile, error));
    }

    IoBoardSim board;
    board.setInputs(inputs);
    board.setAnalogReplies(analogReplies);
    board.setSilent(silent);
    board.setOutputListener([](const IoBoardSim::OutputChange& c) {
        logLine(QStringLiteral("outputs 0x%1 -> 0x%2")
                    .arg(c.from, 3, 16, QChar('0'))
                    .arg(c.to, 3, 16, QChar('0')));
    });
    if (!board.start(link)) {
        std::fprintf(stderr, "ioboard-sim: %s\n", board.errorString().toLocal8Bit().constData());
        return 1;
    }
    logLine(QStringLiteral("board on %1%2")
                .arg(board.slavePath(), link.isEmpty() ? QString() : " via " + board.linkPath()));

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);

    CyclePlayer player(&board);
    if (!quiet) player.setLogger(logLine);
    if (!steps.isEmpty()) player.play(steps, !once);

    while (!g_stop) ::usleep(50000);
    player.stop();
    board.stop();
    logLine(QStringLiteral("stopped"));
    return 0;
}
