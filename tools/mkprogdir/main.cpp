// Lays out the factory parameter files of a program directory:
//     mkprogdir [--live] DIR
// writes DIR/paraGroup/default/PARAM.db and SN.db with the program's own save; with --live also copies
// them into DIR where no PARAM.db or SN.db exists yet. Also writes the empty operation record template
// DIR/RECORDNULL.db (with --live also DIR/RECORD.db where none exists yet).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

#include "app/factoryfiles.h"
#include "records/recorddb.h"

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
    const QDir dir(args.first());
    const QString recordTemplate = dir.filePath(QString::fromLatin1(RecordDb::kTemplate));
    const QString record = dir.filePath(QString::fromLatin1(RecordDb::kFile));
    if (!RecordDb::createTemplate(recordTemplate) ||
        (live && !QFile::exists(record) && !QFile::copy(recordTemplate, record))) {
        std::fprintf(stderr, "mkprogdir: cannot write the record template %s\n", qPrintable(recordTemplate));
        return 1;
    }
    std::printf("mkprogdir: factory files written to %s\n", qPrintable(args.first()));
    return 0;
}
