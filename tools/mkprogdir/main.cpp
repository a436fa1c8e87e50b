// Lays out the factory parameter files of a program directory:
//     mkprogdir [--live] [--demo WxH] DIR
// writes DIR/paraGroup/default/PARAM.db and SN.db with the program's own save; with --live also copies
// them into DIR where no PARAM.db or SN.db exists yet. Also writes the empty operation record template
// DIR/RECORDNULL.db (with --live also DIR/RECORD.db where none exists yet).
//
// --demo WxH (implies --live): when DIR/PARAM.db holds no region yet, gives it the settings of the
// demonstration that scripts/run plays: regions with threshold functions fitted to the camera scenes
// of tools/scenes at W x H (camera 1: the part at mould open, camera 2: the empty cavity), positioning
// off, two re-checks 1 s apart, step delays of 0.5 s and 1 s, NG and OK pictures kept.
//
//     mkprogdir --templates SCENES DIR
// gives the demonstration's cameras their master templates, learnt from the scenes' good frames as the
// monitor learns them from a live frame ("Resample"): camera 1 the part (SCENES/good/good.bmp), camera 2
// the empty cavity (SCENES/empty/empty.bmp), for both steps of the procedure, as
// DIR/cammer<camera><step>/template0.bmp in the colour cameras' 32-bit layout. A master already there
// (learnt by "Resample") is kept.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>
#include <cstdio>

#include "app/factoryfiles.h"
#include "app/wizardpara.h"
#include "records/ngcomposition.h"
#include "records/recorddb.h"

namespace {

struct DemoRegion {
    int camera, step, func, para1, sens, area;
    QRect rect;  // image pixels
};

// The regions, from the scene geometry of tools/scenes: the cavity is the middle half of the frame,
// the part fills the middle 80 % of the cavity.
QList<DemoRegion> demoRegions(int w, int h) {
    const QRect cavity(w / 4, h / 4, w / 2, h / 2);
    const QRect part(cavity.x() + cavity.width() / 10, cavity.y() + cavity.height() / 10,
                     cavity.width() * 8 / 10, cavity.height() * 8 / 10);
    const int corner = std::max(4, part.width() / 12) + w / 160;  // clear of the rounded corners
    const int border = std::max(2, w / 300) + w / 320;            // clear of the cavity's rim
    return {
        // Camera 1, product step: a dark spot on the part (black area), a fin above it (white count).
        {0, 0, 4, 0, 50, 100, part.adjusted(corner, corner, -corner, -corner)},
        {0, 0, 7, 3, 110, 0,
         QRect(part.x() + corner, cavity.y() + border, part.width() - 2 * corner,
               part.y() - cavity.y() - 2 * border)},
        // Camera 2, cavity step: anything dark left in the empty cavity (black area).
        {1, 1, 4, 0, 80, 1000, cavity.adjusted(2 * border, 2 * border, -2 * border, -2 * border)},
    };
}

bool hasRegions(QSqlQuery& q) {
    for (int c = 0; c < 8; ++c)
        if (q.exec(QStringLiteral("select count(*) from cammer%1 where name like 'ROI%'").arg(c)) &&
            q.next() && q.value(0).toInt() > 0)
            return true;
    return false;
}

bool writeDemo(const QString& dir, int w, int h, QString* error) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(QDir(dir).filePath(QStringLiteral("PARAM.db")));
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            if (hasRegions(q)) {
                std::printf("mkprogdir: PARAM.db has regions already, demo settings not applied\n");
                ok = true;
            } else {
                WizardPara p = factoryRecord();
                p.enable_prod_detect = 1;
                p.enable_correct = -1;
                p.front_auto_check_time = 2;
                p.re_check_delay = 10;
                p.trig_in_delay[0] = 5;
                p.trig_in_delay[1] = 10;
                p.ng_max_num = 100;
                p.ok_record_max_num = 100;
                p.save_ok_record = 1;
                p.enable_black_area = p.enable_white_area = p.enable_white_num = p.enable_spot_detect = 1;
                // These functions show their parameters: the switch the functions page ticks for them.
                p.enable_display_detail = 1;
                ok = p.WriteRows(q, 0) && q.exec(QStringLiteral("begin"));
                const float aw = 1725.0f / w, ah = 982.0f / h;  // screen pixels of the camera area
                int count[8][8] = {};
                for (const DemoRegion& r : demoRegions(w, h)) {
                    if (!ok) break;
                    const int i = count[r.camera][r.step]++;
                    q.prepare(QStringLiteral("insert into cammer%1 values(?, ?)").arg(r.camera));
                    q.addBindValue(QStringLiteral("ROI%1-%2").arg(r.step).arg(i));
                    q.addBindValue(QStringLiteral("%1 %2 %3 %4 1 0 0 %5 %6 %7 %8")
                                       .arg(r.para1)
                                       .arg(r.sens)
                                       .arg(r.area)
                                       .arg(r.func)
                                       .arg(std::lround(r.rect.left() * aw))
                                       .arg(std::lround(r.rect.top() * ah))
                                       .arg(std::lround((r.rect.right() + 1) * aw) - 1)
                                       .arg(std::lround((r.rect.bottom() + 1) * ah) - 1));
                    ok = q.exec();
                }
                for (int c = 0; c < 2 && ok; ++c)
                    for (int d = 0; d < 8 && ok; ++d) {
                        ok = q.exec(
                            QStringLiteral("delete from cammer%1 where name='detect%2'").arg(c).arg(d));
                        q.prepare(QStringLiteral("insert into cammer%1 values(?, ?)").arg(c));
                        q.addBindValue(QStringLiteral("detect%1").arg(d));
                        q.addBindValue(QStringLiteral("%1 0 0 0 0 0 0 0 0").arg(count[c][d]));
                        ok = ok && q.exec();
                    }
                ok = ok && q.exec(QStringLiteral("commit"));
                if (!ok) {
                    *error = q.lastError().text();
                    q.exec(QStringLiteral("rollback"));
                } else {
                    std::printf("mkprogdir: demo settings and regions written to PARAM.db\n");
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("demo"));
    return ok;
}

// The master template of each used step of the two demonstration cameras, where none exists yet.
bool writeDemoTemplates(const QString& scenes, const QString& dir, QString* error) {
    const char* const frames[2] = {"good/good.bmp", "empty/empty.bmp"};
    for (int camera = 0; camera < 2; ++camera) {
        const QString source = QDir(scenes).filePath(QString::fromLatin1(frames[camera]));
        QImage frame;
        if (!frame.load(source)) {
            *error = QStringLiteral("cannot read the good frame %1").arg(source);
            return false;
        }
        // What the colour camera delivers and the monitor keeps: 32 bits a pixel, B G R 255.
        frame = frame.convertToFormat(QImage::Format_RGB32);
        for (int step = 0; step < 2; ++step) {
            const QString folder =
                QDir(dir).filePath(QStringLiteral("cammer%1%2").arg(camera + 1).arg(step + 1));
            const QString file = QDir(folder).filePath(QStringLiteral("template0.bmp"));
            if (QFile::exists(file)) continue;
            if (!QDir().mkpath(folder) ||
                !saveTemplateBitmap(file, frame.constBits(), frame.width(), frame.height(), false)) {
                *error = QStringLiteral("cannot write %1").arg(file);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.first() == QLatin1String("--templates")) {
        QString error;
        if (!writeDemoTemplates(args[1], args[2], &error)) {
            std::fprintf(stderr, "mkprogdir: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("mkprogdir: demo templates in place in %s\n", qPrintable(args[2]));
        return 0;
    }
    bool live = args.removeAll(QStringLiteral("--live")) > 0;
    int demoW = 0, demoH = 0;
    const int demo = args.indexOf(QStringLiteral("--demo"));
    if (demo >= 0) {
        const QStringList size = demo + 1 < args.size() ? args[demo + 1].split('x') : QStringList();
        demoW = size.size() == 2 ? size[0].toInt() : 0;
        demoH = size.size() == 2 ? size[1].toInt() : 0;
        if (demoW < 64 || demoH < 64 || demoW > 8192 || demoH > 8192) {
            std::fprintf(stderr, "mkprogdir: --demo needs a frame size WxH\n");
            return 2;
        }
        args.erase(args.begin() + demo, args.begin() + demo + 2);
        live = true;
    }
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr,
                     "usage: mkprogdir [--live] [--demo WxH] DIR | mkprogdir --templates SCENES DIR\n");
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
    if (demoW > 0 && !writeDemo(args.first(), demoW, demoH, &error)) {
        std::fprintf(stderr, "mkprogdir: demo settings not written: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
