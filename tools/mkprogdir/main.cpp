// Lays out the factory parameter files of a program directory:
//     mkprogdir [--live] DIR
// writes DIR/paraGroup/default/PARAM.db and SN.db with the program's own save; with --live also copies
// them into DIR where no PARAM.db or SN.db exists yet.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "app/factoryfiles.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool live = args.removeAll(QStringLiteral("--live")) > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: mkprogdir [--live] DIR\n");
        return 2;
    }
    QString error;
    if (!writeFactoryFiles(args.first(), live, &error)) {
        std::fprintf(stderr, "mkprogdir: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("mkprogdir: factory files written to %s\n", qPrintable(args.first()));
    return 0;
}
