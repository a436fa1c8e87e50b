// Templates and the region bar: the slot an added template takes, the checks before adding, deleting
// the shown template or all but the masters (with their network messages), the bar's lists and picture
// sources, browsing, and the archived pictures.
#include <QTcpSocket>
#include <QtTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "editor/regioption.h"
#include "inspection/optionbar.h"
#include "tests/inspection/cyclesetup.h"
#include "editor/templates.h"
#include "editorworld.h"
#include "netbridge/cnt_net.h"
#include "records/accesslevel.h"
#include "records/ngcomposition.h"
#include "widgets/bwidget.h"

namespace {
// A file of a few bytes whose modification time is `t`.
void fileAt(const QString& path, const QDateTime& t, const QByteArray& bytes = "x") {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.flush();
    QVERIFY(f.setFileTime(t, QFileDevice::FileModificationTime));
}

// A grey template of the image size written where the program keeps template k of camera slot and step.
void templateFile(int slot, int step, int k, const QDateTime& t, uchar value = 0) {
    QDir().mkpath(QStringLiteral("cammer%1%2").arg(slot + 1).arg(step + 1));
    const QString path = QStringLiteral("cammer%1%2/template%3.bmp").arg(slot + 1).arg(step + 1).arg(k);
    std::vector<uchar> px(size_t(gImageLen), value);
    QVERIFY(saveTemplateBitmap(path, px.data(), gImageW, gImageH, true));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(t, QFileDevice::FileModificationTime));
}

// The network client: connects to the bridge, acknowledges every message and keeps them.
struct NetClient {
    explicit NetClient(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { read(); });
    }
    void read() {
        buffer += socket.readAll();
        for (;;) {
            const int bang = buffer.indexOf(":..!");
            if (bang < 0) return;
            const QList<QByteArray> head = buffer.left(bang).split(':');
            const int len = head.size() == 2 ? head.at(1).toInt() : -1;
            if (len < 0 || buffer.size() < bang + 4 + len) return;
            messages << head.at(0) + ':' + buffer.mid(bang + 4, len);
            buffer.remove(0, bang + 4 + len);
            socket.write("/back/\r\n\r\n");
        }
    }
    // Bodies of the messages of one kind.
    QList<QByteArray> of(int kind) const {
        QList<QByteArray> out;
        const QByteArray prefix = QByteArray::number(kind) + ':';
        for (const QByteArray& m : messages)
            if (m.startsWith(prefix)) out << m.mid(prefix.size());
        return out;
    }
    QTcpSocket socket;
    QByteArray buffer;
    QList<QByteArray> messages;
};

// The bridge switched on in the live record and in PARAM.db, started on a free port, a client on it.
struct NetOn {
    explicit NetOn(WizardPara& p) {
        {
            QSqlQuery q(ParameterManager::getInstance()->paramDb);
            q.exec(QStringLiteral("update sysparam set value='1 0 0' where name='CntNet'"));
        }
        p.cnt_net_on = 1;
        // The bridge takes any free port itself; the client is pointed at the one it got.
        CNT_Net::setListenPort(0);
        gpNet = new CNT_Net;
        client = std::make_unique<NetClient>(gpNet->serverPort());
    }
    ~NetOn() {
        client.reset();
        delete gpNet;
        gpNet = nullptr;
    }
    std::unique_ptr<NetClient> client;
};

// Files that cannot be removed, not even by root (the immutable attribute), until the guard ends.
struct Immutable {
    static bool set(const QString& path, bool on) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
    bool add(const QString& path) {
        const QString abs = QFileInfo(path).absoluteFilePath();
        if (!set(abs, true)) return false;
        paths << abs;
        return true;
    }
    ~Immutable() {
        for (const QString& p : paths) set(p, false);
    }
    QStringList paths;
};

// Presses on a top-level window at the position of `p` in `target`'s coordinates.
void tapAt(QWidget* target, QPoint p) {
    QWidget* top = target->window();
    const QPoint at = target->mapTo(top, p);
    QTest::mousePress(top->windowHandle(), Qt::LeftButton, {}, at, 40);
    QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, {}, at, 40);
}
void tap(QWidget* target) {
    tapAt(target, target->rect().center());
}

// Opens a list by a press on it and presses entry `index` in the list that opens.
bool pick(QComboBox* list, int index) {
    tap(list);
    QAbstractItemView* view = list->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000)) return false;
    const QRect r = view->visualRect(view->model()->index(index, 0));
    tapAt(view->viewport(), r.center());
    return QTest::qWaitFor([view] { return !view->isVisible(); }, 2000) && list->currentIndex() == index;
}

bool hasTemplateName(const QList<QByteArray>& bodies, const QByteArray& name) {
    return std::any_of(bodies.begin(), bodies.end(),
                       [&](const QByteArray& b) { return b.contains("&template=" + name + "&"); });
}
}  // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void slotChoice_data();
    void slotChoice();
    void addGuards_data();
    void addGuards();
    void addRecentNGWritesTheFileFirst();
    void addFailsWithoutFile();
    void addLiveAlarmPictureRechecksOthers();
    void deleteShown();
    void deleteAllKeepsMastersByName();
    void failedRemovalsAreToldAndKept();
    void productStepOff_data();
    void productStepOff();
    void detectList_data();
    void detectList();
    void sources_data();
    void sources();
    void refusedPasswordRestoresSource();
    void browsing();
    void archivePictures();
    void regionBarJourney_data();
    void regionBarJourney();
};

void TestTemplates::cleanup() {
    gSource = -1;
    resetAccessGlobals();
}

void TestTemplates::slotChoice_data() {
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QList<int>>("loaded");
    QTest::addColumn<QStringList>("oldestFirst");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("stale");
    const QList<int> all{1, 1, 1, 1, 1};
    QTest::newRow("first free slot") << 5 << QList<int>{1, 1, 1, 0, 0} << QStringList{} << 3 << "";
    QTest::newRow("a free master slot is not the editor's")
        << 5 << QList<int>{0, 1, 1, 1, 1} << QStringList{} << 4 << "";
    QTest::newRow("oldest is the master, then slot 2")
        << 5 << all << QStringList{"template0.bmp", "template2.bmp", "template1.bmp", "template4.bmp"} << 2
        << "";
    QTest::newRow("oldest left from a larger count")
        << 5 << all << QStringList{"template7.bmp", "template0.bmp", "template1.bmp"} << 4 << "template7.bmp";
    QTest::newRow("fewer than two files") << 5 << all << QStringList{"template0.bmp"} << 4 << "";
    QTest::newRow("stray names are no slots")
        << 5 << all << QStringList{"template00.bmp", "template0 (1).bmp", "templateX.bmp", "template.bmp",
                                   "template-1.bmp", "template3.bmp",     "template1.bmp"}
        << 3 << "";
    QTest::newRow("one slot only") << 1 << QList<int>{1} << QStringList{} << -1 << "";
}

void TestTemplates::slotChoice() {
    QFETCH(int, slotCount);
    QFETCH(QList<int>, loaded);
    QFETCH(QStringList, oldestFirst);
    QFETCH(int, slot);
    QFETCH(QString, stale);
    QTemporaryDir dir;
    const QDateTime t0(QDate(2026, 1, 1), QTime(8, 0));
    for (int i = 0; i < oldestFirst.size(); ++i) fileAt(dir.filePath(oldestFirst[i]), t0.addSecs(60 * i));
    const TemplateChoice c =
        chooseTemplateSlot(std::vector<int>(loaded.begin(), loaded.end()), slotCount, QDir(dir.path()));
    QCOMPARE(c.slot, slot);
    QCOMPARE(c.staleFile, stale);
}

void TestTemplates::addGuards_data() {
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<bool>("ngCamera");
    QTest::addColumn<bool>("doorSwitch");
    QTest::addColumn<bool>("protect");
    QTest::addColumn<int>("answers");  // -1: no question expected, 0 no, 1 yes
    QTest::addColumn<int>("warning");
    QTest::newRow("one template slot") << 1 << false << false << false << false << -1 << 258;
    QTest::newRow("alarm: an OK camera") << 5 << true << false << false << false << -1 << 107;
    QTest::newRow("alarm: door not opened") << 5 << true << true << true << false << -1 << 195;
    QTest::newRow("password refused") << 5 << false << false << false << true << -1 << 0;
    QTest::newRow("not confirmed") << 5 << false << false << false << false << 0 << 0;
}

void TestTemplates::addGuards() {
    QFETCH(int, slotCount);
    QFETCH(bool, alarm);
    QFETCH(bool, ngCamera);
    QFETCH(bool, doorSwitch);
    QFETCH(bool, protect);
    QFETCH(int, answers);
    QFETCH(int, warning);
    EditorWorld ew(64, 48, [&](WizardPara& p) {
        p.max_mold_num = 5;
        p.temp_add_protect = protect;
        p.enable_disarm_before_open = doorSwitch;
    });
    MainWindow* w = ew.w;
    CammerWidget* v = ew.v;
    gTempNum = slotCount;
    gpWPara->is_psw_used = protect;
    accessLogout();
    setPasswordDialogRunner([](PasswordBox&) { return int(QDialog::Rejected); });
    const int d = alarm ? w->DetectStep : w->editorStep;
    if (alarm) {
        w->DisplayState = 2;
        gSource = 1;
        v->data.allOk = !ngCamera;
        gisSafeDoorOpen = false;
    } else {
        w->regiOption->CheckSource(2);
    }
    if (answers >= 0) ew.world.prompter.queueAnswer(answers == 1);
    const int records = ew.world.records().size();
    const int count = v->data.templateCount[d];
    ew.editor->SlotAddTemp();
    QCOMPARE(ew.world.prompter.warnings, warning ? QStringList{lanText(warning)} : QStringList{});
    QCOMPARE(ew.world.prompter.questions.size(), answers >= 0 ? 1 : 0);
    QCOMPARE(v->data.templateCount[d], count);
    QCOMPARE(ew.world.records().size(), records);
    QVERIFY(!QFile::exists(QStringLiteral("cammer1%1/template1.bmp").arg(d + 1)));
}

// The recent NG picture becomes template 1, read back with the same bytes (an image width that is not
// a multiple of 4 pads the BMP rows), recorded and announced.
void TestTemplates::addRecentNGWritesTheFileFirst() {
    EditorWorld ew(61, 47, [](WizardPara& p) { p.max_mold_num = 5; });
    NetOn net(ew.world.p());
    QTRY_VERIFY(gpNet->isConnected());
    CammerWidget* v = ew.v;
    const int d = ew.step();
    std::vector<uchar>& ng = v->recentNG[d][0];
    ng.resize(size_t(gImageLen));
    for (size_t i = 0; i < ng.size(); ++i) ng[i] = uchar(i * 7);
    v->recentNGCount[d] = 1;
    ew.w->regiOption->CheckSource(2);
    QVERIFY(ew.w->regiOption->button(RegiOption::BTN_ADD_TEMP)->isVisibleTo(ew.w->regiOption));
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotAddTemp();
    QCOMPARE(ew.world.prompter.questions, QStringList{lanText(108)});
    const QString file = QStringLiteral("cammer1%1/template1.bmp").arg(d + 1);
    cv::Mat back;
    QVERIFY(loadTemplateImage(file, back));
    QVERIFY(std::equal(ng.begin(), ng.end(), back.data));
    QVERIFY(std::equal(ng.begin(), ng.end(), v->data.templateImage(d, 1).data));
    QCOMPARE(v->data.templateLoaded[d][1], 1);
    QCOMPARE(v->data.templateCount[d], 2);
    QVERIFY(ew.editor->retrain[0]);
    QCOMPARE(ew.world.records().last(), lanText(109).arg(1));
    QTRY_COMPARE(net.client->of(6).size(), 1);
    QCOMPARE(QString::fromUtf8(net.client->of(6).first()), QFileInfo(file).absoluteFilePath());
}

// A template file that cannot be written: the slot stays free, nothing is recorded, the operator is told.
void TestTemplates::addFailsWithoutFile() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.max_mold_num = 5; });
    CammerWidget* v = ew.v;
    const int d = ew.step();
    v->recentNG[d][0].assign(size_t(gImageLen), 9);
    v->recentNGCount[d] = 1;
    const QString file = QStringLiteral("cammer1%1/template1.bmp").arg(d + 1);
    QVERIFY(QDir().mkpath(file));  // a directory where the file would go
    ew.w->regiOption->CheckSource(2);
    const int records = ew.world.records().size();
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotAddTemp();
    QCOMPARE(v->data.templateLoaded[d][1], 0);
    QCOMPARE(v->data.templateCount[d], 1);
    QVERIFY(!ew.world.records().contains(lanText(109).arg(1)));
    QTRY_COMPARE(ew.world.prompter.warnings.size(), 1);
    QVERIFY(ew.world.prompter.warnings.first().contains(file));
    QVERIFY(ew.world.records().size() <= records + 1);  // at most the failure's own record
}

// In the alarm view the live picture of camera 2 is added: camera 2's step is learnt again and counts as
// decided for the re-check that follows.
void TestTemplates::addLiveAlarmPictureRechecksOthers() {
    MonitorWorld world(2);
    quietParams(world.p());
    world.p().is_psw_used = 0;
    world.p().max_mold_num = 3;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    const int s = 0;
    w->DetectStep = s;
    w->DisplayState = 2;
    gSource = 1;
    w->displayedCamera = 1;
    for (int c = 0; c < 2; ++c) {
        w->camView(c)->data.allOk = false;
        w->ImageState[c][s] = 3;
    }
    w->camView(1)->data.rawBuffer.assign(size_t(gColorLen), 77);
    gisSafeDoorOpen = true;
    world.prompter.queueAnswer(true);
    editor->SlotAddTemp();
    CammerWidget* v = w->camView(1);
    QCOMPARE(v->data.templateLoaded[s][1], 1);
    QCOMPARE(int(v->data.templateImage(s, 1).at<uchar>(0, 0)), 77);
    QVERIFY(v->skipFlag[s]);  // decided: the re-check leaves it out
    QVERIFY(!w->camView(0)->skipFlag[s]);
    QVERIFY(QFile::exists("cammer21/template1.bmp"));
    QVERIFY(world.records().contains(lanText(109).arg(2)));
    w->setRoiEditor(nullptr);
    delete editor;
}

void TestTemplates::deleteShown() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.max_mold_num = 5; });
    NetOn net(ew.world.p());
    QTRY_VERIFY(gpNet->isConnected());
    CammerWidget* v = ew.v;
    const int d = ew.step();
    const QDateTime t(QDate(2026, 3, 1), QTime(9, 0));
    for (int k = 0; k < 5; ++k) {
        templateFile(0, d, k, t.addSecs(k), uchar(10 * k));
        v->data.templateSlot(d, k).setTo(10 * k);
        v->data.templateLoaded[d][size_t(k)] = 1;
    }
    v->data.templateCount[d] = 5;

    // The master is not deleted here.
    ew.editor->SlotTempDeleteCur();
    QCOMPARE(ew.world.prompter.warnings, QStringList{lanText(68)});

    ew.w->regiOption->SlotTempNext();
    ew.w->regiOption->SlotTempNext();
    QCOMPARE(v->data.shownTemplate, 2);
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotTempDeleteCur();
    QCOMPARE(ew.world.prompter.questions, QStringList{lanText(69)});
    QCOMPARE(v->data.shownTemplate, 3);
    QCOMPARE(int(v->displayBuffer[0]), 30);
    QCOMPARE(gTempTime, t.addSecs(3).toString("yyyy-MM-dd hh.mm.ss"));
    QVERIFY(!QFile::exists(QStringLiteral("cammer1%1/template2.bmp").arg(d + 1)));
    QCOMPARE(v->data.templateLoaded[d][2], 0);
    QVERIFY(v->data.templateImage(d, 2).empty());
    QCOMPARE(v->data.templateCount[d], 4);
    QVERIFY(ew.editor->retrain[0]);
    QCOMPARE(ew.world.records().last(), lanText(70).arg(1).arg(3));
    QTRY_COMPARE(net.client->of(11).size(), 1);
    QVERIFY(hasTemplateName(net.client->of(11), "template2.bmp"));
    QVERIFY(net.client->of(11).first().contains("&cameraId=1&detectId=" + QByteArray::number(d + 1) + "&"));
}

// Relearning deletes every template but the master "template0.bmp" of 2 cameras x 2 steps; names that
// are no templates (even those sorting before the master) stay.
void TestTemplates::deleteAllKeepsMastersByName() {
    MonitorWorld world(2);
    quietParams(world.p());
    world.p().max_mold_num = 4;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    NetOn net(world.p());
    QTRY_VERIFY(gpNet->isConnected());
    QCOMPARE(gDNum, 2);
    const QDateTime t(QDate(2026, 3, 1), QTime(9, 0));
    for (int c = 0; c < 2; ++c)
        for (int d = 0; d < 2; ++d) {
            CammerWidget* v = w->camView(c);
            for (int k = 0; k < 4; ++k) {
                templateFile(c, d, k, t);
                v->data.templateSlot(d, k);
                v->data.templateLoaded[d][size_t(k)] = 1;
            }
            v->data.templateCount[d] = 4;
            fileAt(QStringLiteral("cammer%1%2/template.bmp").arg(c + 1).arg(d + 1), t);
        }
    w->camView(1)->data.shownTemplate = 2;
    const int records = world.records().size();
    editor->SlotTempDeleteAll();
    for (int c = 0; c < 2; ++c)
        for (int d = 0; d < 2; ++d) {
            const QDir dir(QStringLiteral("cammer%1%2").arg(c + 1).arg(d + 1));
            QCOMPARE(dir.entryList({"template*"}, QDir::Files, QDir::Name),
                     (QStringList{"template.bmp", "template0.bmp"}));
            CammerWidget* v = w->camView(c);
            QCOMPARE(v->data.templateLoaded[d], (std::vector<int>{1, 0, 0, 0}));
            QVERIFY(v->data.templateImage(d, 3).empty());
            QCOMPARE(v->data.templateCount[d], 1);
            QVERIFY(editor->retrain[c]);
        }
    QCOMPARE(w->camView(1)->data.shownTemplate, 0);
    QCOMPARE(world.records().size(), records + 1);
    QCOMPARE(world.records().last(), lanText(71));
    QTRY_COMPARE(net.client->of(11).size(), 12);
    QVERIFY(hasTemplateName(net.client->of(11), "template3.bmp"));
    QVERIFY(!hasTemplateName(net.client->of(11), "template.bmp"));
    w->setRoiEditor(nullptr);
    delete editor;
}

// A template file that cannot be removed: deleting the shown template or all of them tells the operator
// once (box 620 naming the file, one record) and keeps that template in use, as it would be after the
// next start; the others go.
void TestTemplates::failedRemovalsAreToldAndKept() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.max_mold_num = 4; });
    CammerWidget* v = ew.v;
    const int d = ew.step();
    const QDateTime t(QDate(2026, 3, 1), QTime(9, 0));
    for (int k = 0; k < 4; ++k) {
        templateFile(0, d, k, t.addSecs(k), uchar(10 * k));
        v->data.templateSlot(d, k).setTo(10 * k);
        v->data.templateLoaded[d][size_t(k)] = 1;
    }
    v->data.templateCount[d] = 4;
    const QString stuck = QFileInfo(QStringLiteral("cammer1%1/template2.bmp").arg(d + 1)).absoluteFilePath();
    Immutable guard;
    if (!guard.add(stuck)) QSKIP("the file system cannot make a file immutable here");

    ew.w->regiOption->SlotTempNext();
    ew.w->regiOption->SlotTempNext();
    QCOMPARE(v->data.shownTemplate, 2);
    int records = ew.world.records().size();
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotTempDeleteCur();
    QCOMPARE(ew.world.prompter.warnings,
             QStringList{lanText(620).arg(QStringLiteral("./cammer1%1/template2.bmp").arg(d + 1))});
    QCOMPARE(ew.world.records().mid(records), ew.world.prompter.warnings);
    QCOMPARE(v->data.templateLoaded[d], (std::vector<int>{1, 1, 1, 1}));
    QVERIFY(!ew.editor->retrain[0]);

    ew.world.prompter.warnings.clear();
    records = ew.world.records().size();
    ew.editor->SlotTempDeleteAll();
    QCOMPARE(ew.world.prompter.warnings.size(), 1);
    QVERIFY(ew.world.prompter.warnings.first().contains(QStringLiteral("template2.bmp")));
    QCOMPARE(ew.world.records().mid(records), (QStringList{lanText(71), ew.world.prompter.warnings.first()}));
    QCOMPARE(v->data.templateLoaded[d], (std::vector<int>{1, 0, 1, 0}));
    QCOMPARE(v->data.templateCount[d], 2);
    QCOMPARE(int(v->data.templateImage(d, 2).at<uchar>(0, 0)), 20);
    QVERIFY(QFile::exists(stuck));
    QVERIFY(!QFile::exists(QStringLiteral("cammer1%1/template1.bmp").arg(d + 1)));
    QVERIFY(!QFile::exists(QStringLiteral("cammer1%1/template3.bmp").arg(d + 1)));
}

void TestTemplates::productStepOff_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("product");  // product detection switched on
    QTest::addColumn<int>("chosen");    // the step chosen on the region bar's list
    QTest::addColumn<int>("step");      // the step edited afterwards
    QTest::addColumn<bool>("warned");
    QTest::newRow("standard, product step while off") << int(kDetectStandard) << false << 0 << 1 << true;
    QTest::newRow("two colours, right product while off") << int(kDetectTwoColour) << false << 2 << 1 << true;
    QTest::newRow("multi-detection, 1st step while off") << int(kDetectMulti) << false << 0 << 1 << true;
    QTest::newRow("multi-detection, 3rd step while off") << int(kDetectMulti) << false << 2 << 2 << false;
    QTest::newRow("multi-detection, 1st step while on") << int(kDetectMulti) << true << 0 << 0 << false;
}

// With product detection off, choosing a product step on the region bar goes to the list's second
// entry with warning 118, in every procedure; other steps are edited as chosen.
void TestTemplates::productStepOff() {
    QFETCH(int, mode);
    QFETCH(bool, product);
    QFETCH(int, chosen);
    QFETCH(int, step);
    QFETCH(bool, warned);
    EditorWorld ew(64, 48, [&](WizardPara& p) {
        p.detect_mode = mode;
        p.multi_step_count = 3;
        p.enable_prod_detect = product ? 1 : 0;
    });
    QComboBox* list = ew.w->regiOption->detectList();
    if (list->currentIndex() == chosen) list->setCurrentIndex(chosen == 1 ? 2 : 1);
    ew.world.prompter.warnings.clear();
    list->setCurrentIndex(chosen);
    QCOMPARE(ew.world.prompter.warnings, warned ? QStringList{lanText(118)} : QStringList{});
    QCOMPARE(ew.step(), step);
    QCOMPARE(list->currentIndex(), step);
}

void TestTemplates::detectList_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("firstText");
    QTest::newRow("standard") << int(kDetectStandard) << 2 << 263;
    QTest::newRow("auto parts") << int(kDetectAutoParts) << 2 << 263;
    QTest::newRow("standard without re-check") << int(kDetectStandardNoRecheck) << 2 << 263;
    QTest::newRow("two colours") << int(kDetectTwoColour) << 4 << 372;
    QTest::newRow("turntable") << int(kDetectTurntable) << 4 << 372;
    QTest::newRow("multi-detection, 3 steps") << int(kDetectMulti) << 3 << 477;
    QTest::newRow("unknown procedure") << 9 << 0 << 0;
}

void TestTemplates::detectList() {
    QFETCH(int, mode);
    QFETCH(int, entries);
    QFETCH(int, firstText);
    MonitorWorld world(1);
    world.p().detect_mode = mode;
    world.p().multi_step_count = 3;
    RegiOption bar;
    QCOMPARE(bar.detectList()->count(), entries);
    if (entries) QCOMPARE(bar.detectList()->itemText(0), lanText(firstText));
}

void TestTemplates::sources_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QString>("buttons");  // shown of A(dd), D(elete), L(ive<->template)
    QTest::addColumn<int>("tools");        // 0 none, 1 browsing, 3 browsing and drawing
    QTest::addColumn<int>("bar");          // bar stack page afterwards
    QTest::newRow("template") << 0 << false << "D" << 3 << 1;
    QTest::newRow("template, alarm") << 0 << true << "DL" << 3 << 1;
    QTest::newRow("live") << 1 << false << "" << 0 << 1;
    QTest::newRow("live, alarm: back to the alarm bar") << 1 << true << "" << 0 << 2;
    QTest::newRow("recent NG") << 2 << false << "A" << 1 << 1;
    QTest::newRow("recent NG, alarm") << 2 << true << "A" << 1 << 1;
    QTest::newRow("OK record") << 3 << false << "" << 1 << 1;
    QTest::newRow("NG record, alarm") << 4 << true << "" << 1 << 1;
}

void TestTemplates::sources() {
    QFETCH(int, source);
    QFETCH(bool, alarm);
    QFETCH(QString, buttons);
    QFETCH(int, tools);
    QFETCH(int, bar);
    EditorWorld ew(64, 48, [](WizardPara& p) { p.max_mold_num = 5; });
    MainWindow* w = ew.w;
    RegiOption* r = w->regiOption;
    w->barStack->setCurrentIndex(1);
    if (alarm) {
        w->DisplayState = 2;
        setPasswordDialogRunner([](PasswordBox&) { return int(QDialog::Accepted); });
        accessLogout();
        gpWPara->is_psw_used = 0;
    }
    const QDateTime t(QDate(2026, 4, 2), QTime(10, 20, 30));
    templateFile(0, ew.step(), 0, t);
    gpControlIO->IOSetOut(kOutAlarm, 1);
    gpControlIO->IOFlashOut();
    const int on = MonitorWorld::out(kOutAlarm);  // the line's level for "on"
    r->CheckSource(source);
    QCOMPARE(gSource, source);
    QString shown;
    if (r->button(RegiOption::BTN_ADD_TEMP)->isVisibleTo(r)) shown += 'A';
    if (r->button(RegiOption::BTN_DELETE_TEMP)->isVisibleTo(r)) shown += 'D';
    if (r->button(RegiOption::BTN_LIVE_TEMP)->isVisibleTo(r)) shown += 'L';
    QCOMPARE(shown, buttons);
    CammerWidget* v = ew.v;
    const int seen =
        (v->nextTemplateButton->isVisibleTo(v) ? 1 : 0) | (v->drawingBar->isVisibleTo(v) ? 2 : 0);
    QCOMPARE(seen, tools);
    QCOMPARE(w->barStack->currentIndex(), bar);
    QCOMPARE(MonitorWorld::out(kOutAlarm) == on, !(alarm && source != 1));
    if (source == 0) {
        QCOMPARE(v->data.shownTemplate, 0);
        QCOMPARE(gTempTime, t.toString("yyyy-MM-dd hh.mm.ss"));
    }
}

// Template in the alarm state needs the password: refused, the source before stays and no editing
// starts.
void TestTemplates::refusedPasswordRestoresSource() {
    EditorWorld ew;
    MainWindow* w = ew.w;
    RegiOption* r = w->regiOption;
    r->CheckSource(2);
    w->DisplayState = 2;
    gpWPara->is_psw_used = 1;
    accessLogout();
    setPasswordDialogRunner([](PasswordBox&) { return int(QDialog::Rejected); });
    r->sourceList()->setCurrentIndex(0);
    QCOMPARE(gSource, 2);
    QCOMPARE(r->sourceList()->currentIndex(), 2);
    QVERIFY(!ew.v->drawingBar->isVisibleTo(ew.v));
    QVERIFY(!r->button(RegiOption::BTN_DELETE_TEMP)->isVisibleTo(r));
}

void TestTemplates::browsing() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.max_mold_num = 5; });
    MainWindow* w = ew.w;
    RegiOption* r = w->regiOption;
    CammerWidget* v = ew.v;
    const int d = ew.step();

    // No valid template at all: one pass, and the display stays.
    std::fill(v->data.templateLoaded[d].begin(), v->data.templateLoaded[d].end(), 0);
    r->CheckSource(0);
    r->SlotTempNext();
    r->SlotTempLast();
    QCOMPARE(v->data.shownTemplate, 0);

    // Recent NG: more than three stored cycle through the first three; none shows picture 0.
    for (int i = 0; i < 3; ++i) v->recentNG[d][i].assign(size_t(gColorLen), uchar(100 + i));
    v->recentNGCount[d] = 5;
    r->CheckSource(2);
    QList<int> seen;
    for (int i = 0; i < 4; ++i) {
        r->SlotTempNext();
        seen << v->shownRecentNG;
    }
    QCOMPARE(seen, (QList<int>{1, 2, 0, 1}));
    QCOMPARE(int(v->displayBuffer[0]), 101);
    r->SlotTempLast();
    QCOMPARE(v->shownRecentNG, 0);
    v->recentNGCount[d] = 0;
    r->SlotTempNext();
    QCOMPARE(v->shownRecentNG, 0);

    // The archive wraps both ways.
    const QDir ng = w->ngDir[0][d];
    const QDateTime t(QDate(2026, 5, 1), QTime(7, 0));
    for (int i = 0; i < 3; ++i) fileAt(ng.filePath(QStringLiteral("p%1.jpg").arg(i)), t.addSecs(i));
    r->CheckSource(4);
    QCOMPARE(r->picCount, 3);
    QList<int> index;
    for (int i = 0; i < 3; ++i) {
        r->SlotTempNext();
        index << r->picIndex;
    }
    r->SlotTempLast();
    index << r->picIndex;
    QCOMPARE(index, (QList<int>{1, 2, 0, 2}));
}

void TestTemplates::archivePictures() {
    EditorWorld ew(64, 48);
    MainWindow* w = ew.w;
    RegiOption* r = w->regiOption;
    const int d = ew.step();
    const QDir ng = w->ngDir[0][d];
    const QDateTime t(QDate(2026, 5, 1), QTime(7, 0));
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(ng.filePath("older.jpg")));
    QFile older(ng.filePath("older.jpg"));
    QVERIFY(older.open(QIODevice::ReadWrite) && older.setFileTime(t, QFileDevice::FileModificationTime));
    older.close();
    fileAt(ng.filePath("newest.jpg"), t.addSecs(60), "not a picture");

    r->CheckSource(4);
    QCOMPARE(r->picCount, 2);
    QCOMPARE(r->picName, QString("newest"));
    QVERIFY(r->picture.isNull());  // unreadable: an empty picture
    r->picIndex = 7;               // past the end: the last
    r->LoadPic();
    QCOMPARE(r->picIndex, 1);
    QCOMPARE(r->picName, QString("older"));
    QCOMPARE(r->picture.size(), QSize(8, 6));

    // The OK folder is empty: nothing to show, the picture before stays.
    r->CheckSource(3);
    QCOMPARE(r->picCount, 0);
    QCOMPARE(r->picName, QString());
    QCOMPARE(r->picture.size(), QSize(8, 6));
}

void TestTemplates::regionBarJourney_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// The operator on the whole main window: Area Settings, the recent NG picture added as a template,
// the templates browsed with their dates, the new one deleted again; each step recorded and announced.
// With MONITOR_SHOTS_DIR=<dir> it also leaves a picture of the window at each step.
void TestTemplates::regionBarJourney() {
    QFETCH(int, language);
    MonitorWorld world(1);
    quietParams(world.p());
    WizardPara& p = world.p();
    p.is_psw_used = 0;
    p.enable_prod_detect = 0;  // the cavity step only
    p.max_mold_num = 5;
    world.derive();
    gLan = language;
    MainWindow* w = world.build();
    w->setFixedSize(1920, 1080);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    DrawROIWidget* editor = installDrawROIWidget(w);
    NetOn net(p);
    QTRY_VERIFY(gpNet->isConnected());
    const QString out = qEnvironmentVariable("MONITOR_SHOTS_DIR");
    const auto shot = [&](const QString& name) {
        if (out.isEmpty()) return;
        QDir().mkpath(out);
        QTest::qWait(50);
        QVERIFY(w->grab().save(QStringLiteral("%1/regionbar-%2-%3.png").arg(out).arg(language).arg(name)));
    };
    CammerWidget* v = w->cams[0];
    RegiOption* bar = w->regiOption;
    // The NG picture an earlier cycle kept.
    const int d = 1;
    v->recentNG[d][0].resize(size_t(gColorLen));
    for (size_t i = 0; i < v->recentNG[d][0].size(); ++i) v->recentNG[d][0][i] = uchar(i % 200);
    v->recentNGCount[d] = 1;

    tap(w->optionBar->button(OptionBar::Area));
    QVERIFY(w->regionBarShown());
    QCOMPARE(w->editorStep, d);
    QCOMPARE(v->data.templateCount[d], 1);
    shot("template");

    QVERIFY(pick(bar->sourceList(), 2));
    QCOMPARE(gSource, 2);
    QVERIFY(bar->button(RegiOption::BTN_ADD_TEMP)->isVisible());
    shot("recent-ng");
    world.prompter.queueAnswer(true);
    tap(bar->button(RegiOption::BTN_ADD_TEMP));
    QCOMPARE(world.prompter.questions.last(), lanText(108));
    QCOMPARE(v->data.templateCount[d], 2);
    QVERIFY(QFile::exists("cammer12/template1.bmp"));
    QCOMPARE(world.records().last(), lanText(109).arg(1));
    QTRY_COMPARE(net.client->of(6).size(), 1);
    QVERIFY(net.client->of(6).first().endsWith("cammer12/template1.bmp"));

    // Back to the templates: the new one is the next, with its date.
    QVERIFY(pick(bar->sourceList(), 0));
    QCOMPARE(v->data.shownTemplate, 0);
    QVERIFY(bar->button(RegiOption::BTN_DELETE_TEMP)->isVisible());
    tap(v->nextTemplateButton);
    QCOMPARE(v->data.shownTemplate, 1);
    QVERIFY(std::equal(v->recentNG[d][0].begin(), v->recentNG[d][0].end(), v->displayBuffer.begin()));
    QCOMPARE(gTempTime, QFileInfo("cammer12/template1.bmp").lastModified().toString("yyyy-MM-dd hh.mm.ss"));
    shot("template-1");

    world.prompter.queueAnswer(true);
    tap(bar->button(RegiOption::BTN_DELETE_TEMP));
    QCOMPARE(world.prompter.questions.last(), lanText(69));
    QCOMPARE(v->data.templateCount[d], 1);
    QCOMPARE(v->data.shownTemplate, 0);
    QVERIFY(!QFile::exists("cammer12/template1.bmp"));
    QCOMPARE(world.records().last(), lanText(70).arg(1).arg(2));
    QTRY_COMPARE(net.client->of(11).size(), 1);
    QVERIFY(hasTemplateName(net.client->of(11), "template1.bmp"));
    shot("deleted");

    QVERIFY(pick(bar->cameraList(), 0));
    QVERIFY(pick(bar->sourceList(), 4));
    shot("ng-record");
    tap(bar->sourceList());
    shot("source-list");
    QTest::keyClick(bar->sourceList()->view(), Qt::Key_Escape);
    QCOMPARE(world.prompter.unexpectedQuestions, 0);
    w->setRoiEditor(nullptr);
    delete editor;
    gLan = 0;
}

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"
