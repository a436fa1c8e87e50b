// The network client beside the monitor, end to end: the main window runs machine cycles played on
// the simulated IO board with the bridge switched on and video sharing of camera images, and
// tools/netclient-sim runs as a second process against the bridge's real server. What the operator
// and the machine do reaches the client: records, results, statistics, the alarm picture, its
// release, the manual stop and start, and the shared-memory frames, which equal the camera's picture.
#include <QProcess>
#include <QSqlQuery>
#include <QTcpServer>
#include <QtTest>
#include <opencv2/imgproc.hpp>

#include "cycleworld.h"
#include "inspection/optionbar.h"
#include "netbridge/cnt_net.h"
#include "settings/systemsettingwidget.h"

namespace {
constexpr int kWait = 20000;

// The kinds of the messages the client logged, in order.
QList<int> kindsIn(const QByteArray& log) {
    QList<int> kinds;
    for (const QByteArray& line : log.split('\n')) {
        const int at = line.indexOf(" kind=");
        if (at >= 0) kinds << line.mid(at + 6, line.indexOf(' ', at + 6) - at - 6).toInt();
    }
    return kinds;
}

QByteArray bodiesOf(const QByteArray& log, int kind) {
    QByteArray out;
    const QByteArray tag = " kind=" + QByteArray::number(kind) + " ";
    for (const QByteArray& line : log.split('\n'))
        if (line.contains(tag)) out += line + '\n';
    return out;
}
}  // namespace

class TestNetClientE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clientSeesTheMachine();
};

void TestNetClientE2E::initTestCase() {
    IoBoardSim probe;
    if (!probe.start()) QSKIP(qPrintable("no pseudo-terminals here: " + probe.errorString()));
}

void TestNetClientE2E::clientSeesTheMachine() {
    CycleWorld w(1);
    WizardPara& p = w.p();
    p.is_psw_used = 0;
    p.cnt_net_on = 1;
    p.video_share_mode = 2;
    p.video_rate_index = 1;
    qstrcpy(p.CntNet_UseName, "eth0");
    qstrcpy(p.CntNet_Operator, "op-7");
    w.derive();
    {
        // The bridge switch as the bridge reads it at its start.
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        QVERIFY(q.exec("update sysparam set value='1 2 1 0 0 1 10000 1' where name='CntNet'"));
    }
    CNT_Net::setListenPort(0);  // any free port, so that tests beside this one cannot take it
    std::unique_ptr<CNT_Net> net(new CNT_Net);
    const quint16 port = net->serverPort();
    gpNet = net.get();
    QVERIFY(net->isStarted());
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    net->CNT_FirstInit();
    QVERIFY(net->hasShareMemory());
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));

    QProcess client;
    client.setProcessChannelMode(QProcess::MergedChannels);
    const QString log = w.dir.filePath("netclient.log");
    client.start(NETCLIENT_PROGRAM,
                 {"--port", QString::number(port), "--key-dir", CNT_Net::shareKeyPath(), "--frames",
                  w.dir.filePath("frames"), "--frame-read", "100", "--log", log});
    QVERIFY(client.waitForStarted());
    auto clientLog = [&] { return w.dir.readFile("netclient.log"); };
    QTRY_VERIFY_WITH_TIMEOUT(net->isConnected(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(clientLog().contains("attached"), kWait);
    // The first message to a new client is the shared-memory layout.
    QCOMPARE(kindsIn(clientLog()).value(0), 9);

    // A good cycle, then one with a part left in the cavity: the alarm; released at the safety door.
    QVERIFY(w.showAll(cycle::good()));
    w.pulse(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(w.window->DisplayState, 0, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(kindsIn(clientLog()).contains(18), kWait);
    QVERIFY(w.show(0, cycle::cavityBad()));
    w.pulse(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(w.window->DisplayState, 2, kWait);
    QVERIFY(w.show(0, cycle::good()));
    w.pulse(1, 50);
    QTRY_VERIFY_WITH_TIMEOUT(w.window->DisplayState != 2, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(kindsIn(clientLog()).contains(5), kWait);

    // The operator stops and starts detection with the option bar's button.
    QTRY_COMPARE_WITH_TIMEOUT(w.window->DisplayState, 0, kWait);
    BOptionButton* startStop = w.window->optionBar->button(OptionBar::StartStop);
    w.prompter.queueAnswer(true);
    QTest::mouseClick(startStop, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.window->RunState, 3, kWait);
    QTest::mouseClick(startStop, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.window->RunState != 3, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(kindsIn(clientLog()).count(10), 2, kWait);

    // The device and memorandum tabs ask the client for its lists; its answers come back.
    QSignalSpy products(net.get(), &CNT_Net::productListReceived);
    QSignalSpy reminders(net.get(), &CNT_Net::remindListReceived);
    QVERIFY(QMetaObject::invokeMethod(w.window->settingWidget, "DeviPara"));
    QVERIFY(QMetaObject::invokeMethod(w.window->settingWidget, "Memorandum"));
    QTRY_COMPARE_WITH_TIMEOUT(products.size(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(reminders.size(), 1, kWait);
    QVERIFY(products.first().first().toString().contains("cap-28"));

    // The regions of the camera saved: the client gets them, one message per step.
    CammerWidget* view = w.window->cams[0];
    QVERIFY(view->data.savedStore->SaveDatatoFile(ParameterManager::getInstance()->paramQuery));
    QTRY_COMPARE_WITH_TIMEOUT(kindsIn(clientLog()).count(8), kMaxStep, kWait);

    // Everything was acknowledged: nothing waits.
    QTRY_VERIFY_WITH_TIMEOUT(net->pendingMessages().isEmpty(), kWait);
    const QByteArray all = clientLog();
    const QList<int> kinds = kindsIn(all);
    for (int k : {1, 5, 7, 8, 9, 10, 14, 17, 18, 20})
        QVERIFY2(kinds.contains(k), qPrintable(QString("kind %1").arg(k)));
    QVERIFY2(bodiesOf(all, 1).contains(lanText(152).toUtf8()), bodiesOf(all, 1).constData());  // alarm record
    QVERIFY(bodiesOf(all, 10).contains("---:--"));
    QVERIFY(bodiesOf(all, 10).contains("\"operator_id\": \"op-7\"") ||
            bodiesOf(all, 10).contains("\"operator_id\":\"op-7\""));
    QVERIFY(bodiesOf(all, 7).contains("\"alarm_result\""));
    QVERIFY(bodiesOf(all, 5).contains(".jpg"));
    // The state files hold the last documents.
    QVERIFY(QFile::exists("cnt_net/data/Statistics"));
    QVERIFY(QFile::exists("cnt_net/data/ManualStop"));

    // The frame the client read is the camera's picture as the view shows it (above the time stamp).
    const int iw = gImageW & ~1, ih = gImageH & ~1;
    const QString frame = w.dir.filePath("frames/source0.yuv");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(frame).size() == iw * ih * 3 / 2, kWait);
    QByteArray expected(iw * ih * 3 / 2, 0);
    const cv::Mat src(ih, iw, CV_8UC4, view->paintPixels.data(), size_t(gImageW) * 4);
    cv::Mat dst(ih * 3 / 2, iw, CV_8UC1, expected.data());
    cv::cvtColor(src, dst, cv::COLOR_BGRA2YUV_I420);
    QTest::qWait(300);  // a frame of the good scene
    const QByteArray got = w.dir.readFile("frames/source0.yuv");
    const int above = qMax(0, ih - 100) * iw;
    QVERIFY(above > 0);
    QCOMPARE(got.left(above), expected.left(above));

    client.terminate();
    QVERIFY(client.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(!net->isConnected(), kWait);
    w.window.reset();
    gpNet = nullptr;
}

QTEST_MAIN(TestNetClientE2E)
#include "tst_netclient_e2e.moc"
