// The demonstration's program directory: every used step of both cameras has a master template, learnt
// from the scene's good frame (the part whole, the cavity empty), in the layout the views load; a
// master that "Resample" learnt since is kept when the directory is laid out again.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"

namespace {
bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return false;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s: %s", qPrintable(program), p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The frame as the colour camera delivers it and the views hold it (B G R 255).
cv::Mat asHeld(const QString& file) {
    QImage img(file);
    img = img.convertToFormat(QImage::Format_RGB32);
    cv::Mat m(img.height(), img.width(), CV_8UC4);
    for (int y = 0; y < img.height(); ++y) memcpy(m.ptr(y), img.constScanLine(y), size_t(img.width()) * 4);
    return m;
}

bool same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}
}  // namespace

class TestDemoProgDir : public QObject {
    Q_OBJECT
private slots:
    void templatesFromGoodFrames();
};

void TestDemoProgDir::templatesFromGoodFrames() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString scenes = dir.filePath("scenes");
    QVERIFY(run(QStringLiteral(SCENES_PROGRAM), {"--size", "320x256", scenes}));
    QVERIFY(run(QStringLiteral(MKPROGDIR_PROGRAM), {"--templates", scenes, dir.path()}));
    gImageW = 320;
    gImageH = 256;
    gisColor = 1;
    const cv::Mat part = asHeld(scenes + "/good/good.bmp");
    const cv::Mat cavity = asHeld(scenes + "/empty/empty.bmp");
    const cv::Mat spot = asHeld(scenes + "/spot/spot.bmp");
    QVERIFY(!same(part, spot));  // a defect frame is told apart
    for (int camera = 1; camera <= 2; ++camera)
        for (int step = 1; step <= 2; ++step) {
            const QString file =
                dir.filePath(QStringLiteral("cammer%1%2/template0.bmp").arg(camera).arg(step));
            cv::Mat master;
            QVERIFY2(loadTemplateImage(file, master), qPrintable(file));
            QVERIFY2(same(master, camera == 1 ? part : cavity), qPrintable(file));
        }

    // A master learnt from a live frame since (here the spot frame) is kept by a new layout.
    const QString learnt = dir.filePath("cammer11/template0.bmp");
    QVERIFY(QFile::remove(learnt));
    QVERIFY(QFile::copy(scenes + "/spot/spot.bmp", learnt));
    QVERIFY(run(QStringLiteral(MKPROGDIR_PROGRAM), {"--templates", scenes, dir.path()}));
    cv::Mat master;
    QVERIFY(loadTemplateImage(learnt, master));
    QVERIFY(same(master, spot));
    // Without the scenes nothing is written and the failure is reported.
    QVERIFY(!run(QStringLiteral(MKPROGDIR_PROGRAM), {"--templates", dir.filePath("none"), dir.path()}));
}

QTEST_MAIN(TestDemoProgDir)
#include "tst_demoprogdir.moc"
