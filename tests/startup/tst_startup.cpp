#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>

#include "app/main/startup.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "netbridge/cnt_net.h"
#include "programdir.h"

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void styleSheetParsesCleanly();
    void translation_data();
    void translation();
    void bridgeFollowUpNeedsSwitchAndServer();
    void applicationFont_data();
    void applicationFont();
};

void TestStartup::styleSheetParsesCleanly() {
    const QString css = applicationStyleSheet();
    QVERIFY(css.startsWith("QLabel{font-size:18px; color:white;}MainWindow{background-color:#ffffff;}"));
    QVERIFY(css.endsWith("QComboBox QAbstractItemView::item{height:50px;}"));
    QCOMPARE(css.count('{'), 27);
    QVERIFY(!css.contains("} "));
    bool parseError = false;
    QtMessageHandler previous = qInstallMessageHandler(nullptr);
    static bool* flag;
    flag = &parseError;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
        if (msg.contains("Could not parse")) *flag = true;
    });
    QWidget w;
    w.setStyleSheet(css);
    w.ensurePolished();
    QPushButton b(&w);
    b.ensurePolished();
    qInstallMessageHandler(previous);
    QVERIFY(!parseError);
}

void TestStartup::translation_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("filePresent");
    QTest::addColumn<bool>("installed");
    for (int lan = 0; lan < 3; ++lan)
        for (bool present : {false, true})
            QTest::addRow("lan %d, file %s", lan, present ? "present" : "absent")
                << lan << present << (lan != 0 && present);
}

void TestStartup::translation() {
    QFETCH(int, language);
    QFETCH(bool, filePresent);
    QFETCH(bool, installed);
    ProgramDir dir;
    // Chinese reads its own texts; English and Traditional Chinese each have their file.
    const char* file = language == 2 ? "Translator/trans_zh_TW.qm" : "Translator/trans_en_US.qm";
    if (filePresent) QVERIFY(dir.writeFile(file, QByteArray()));
    QScopedPointer<QTranslator> t(installTranslation(qApp, language));
    QCOMPARE(!t.isNull(), installed);
}

void TestStartup::bridgeFollowUpNeedsSwitchAndServer() {
    ProgramDir dir;
    QVERIFY(dir.writeFile("cnt_net/runNetClient.py", "pass"));
    CNT_Net idle;  // no PARAM.db: never started
    QVERIFY(!startBridgeFollowUp(&idle, 1));
    QVERIFY(!startBridgeFollowUp(nullptr, 1));
    QVERIFY(dir.commands().isEmpty());

    // Switched on, but the port is taken: the bridge stays down and the operator's record says so.
    struct Window : MainWindowBase {
        QStringList records;
        void InsertRecord(QString text) override { records << text; }
    } window;
    if (gaLanStr[730 * kLanColumns].isEmpty()) loadLanguageTable();
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("PARAM.db");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("create table sysparam (name text, value text)"));
        QVERIFY(q.exec("insert into sysparam values ('CntNet', '1 0 0')"));
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    CNT_Net::setListenPort(taken.serverPort());
    CNT_Net refused;
    QVERIFY(!refused.isStarted());
    QVERIFY(!startBridgeFollowUp(&refused, 1));
    QCOMPARE(window.records.size(), 1);
    QVERIFY(window.records.first().contains(QString::number(taken.serverPort())));
    QVERIFY(dir.commands().isEmpty());
}

void TestStartup::applicationFont_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("weight");
    // A font file that is there is the face, whatever the system has; without it the same design
    // comes from the system in the weight of the shipped file.
    QTest::newRow("shipped file") << "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
                                  << "WenQuanYi Micro Hei" << int(QFont::Normal);
    QTest::newRow("file missing: system face, Medium") << ":/font/fonts/SourceHanSansCN-Medium.ttf"
                                                       << "Noto Sans CJK SC" << int(QFont::Medium);
}

void TestStartup::applicationFont() {
    QFETCH(QString, file);
    QFETCH(QString, family);
    QFETCH(int, weight);
    if (file.startsWith('/') && !QFile::exists(file))
        QSKIP("the font packages of scripts/packages.txt are missing");
    const QFont before = QApplication::font();
    QCOMPARE(setApplicationFont(file), family);
    // What the screens really draw with: the matched face, not just the name asked for.
    const QFontInfo used(QApplication::font());
    QCOMPARE(used.family(), family);
    QCOMPARE(used.weight(), weight);
    QApplication::setFont(before);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
