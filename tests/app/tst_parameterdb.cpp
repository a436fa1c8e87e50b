// The parameter database: PARAM.db and SN.db opened, restored, loaded and saved in a temporary program
// directory, with the command runner recording and a scripted responder behind the message boxes.
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

#include "app/factoryfiles.h"
#include "app/globals.h"
#include "app/parametermanager.h"
#include "app/paramhooks.h"
#include "app/paramkeys.h"
#include "app/wizardpara.h"
#include "programdir.h"
#include "scriptedprompter.h"

namespace {

using Rows = QList<QPair<QString, QString>>;

// Runs statements on a database file through a connection of its own.
bool runSql(const QString& path, const QStringList& statements, QString* firstValue = nullptr) {
    static int serial = 0;
    const QString name = QStringLiteral("test-%1").arg(++serial);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& s : statements) {
            if (!ok) break;
            ok = q.exec(s);
            if (!ok) qWarning() << s << q.lastError().text();
        }
        if (ok && firstValue) *firstValue = q.next() ? q.value(0).toString() : QString();
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool makeDb(const QString& path, const Rows& rows) {
    QStringList sql = {QStringLiteral("begin"),
                       QStringLiteral("create table sysparam (name text, value text)")};
    for (const auto& r : rows) {
        QString v = r.second;
        sql << QStringLiteral("insert into sysparam values('%1', '%2')").arg(r.first, v.replace("'", "''"));
    }
    sql << QStringLiteral("commit");
    return runSql(path, sql);
}

// The stored value of a key; a null string when the row is missing.
QString storedValue(const QString& path, const QString& key) {
    QString v;
    runSql(path, {QStringLiteral("select value from sysparam where name='%1'").arg(key)}, &v);
    return v;
}

int rowCount(const QString& path) {
    QString v;
    runSql(path, {QStringLiteral("select count(*) from sysparam")}, &v);
    return v.toInt();
}

int32_t& field(WizardPara& p, const QString& name, int index = 0) {
    if (name == QLatin1String("gLan")) return gLan;
    if (name == QLatin1String("gDNum")) return gDNum;
    if (name == QLatin1String("gLoadMouldSide")) return gLoadMouldSide;
    const ParaFieldInfo* f = findParaField(name.toLatin1().constData());
    if (!f) qFatal("no field %s", qPrintable(name));
    return *paraInt(p, *f, index);
}

// A record with a distinct in-range value in every stored position.
WizardPara distinctRecord() {
    WizardPara p;
    int v = 11;
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Load))
        for (const ParaSlot& s : key.values)
            if (s.kind == ParaSlot::Field)
                *reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + s.offset) = v++;
    p.detect_mode = p.detect_mode_next = kDetectTwoColour;  // leaves output_inverted alone
    p.cavity_pos = 2;
    p.enable_correct = -1;
    p.difference_multiplier = 4;
    p.match_angle = 179;
    p.multi_step_count = 7;
    p.minimum_size = 99;
    p.max_mold_num = 98;
    p.min_spot = 97;
    p.capture_speed = 96;
    p.serial_port = 3;
    p.prohibit_optimize = 1;
    p.reserve_value = 4242;
    for (int j = 0; j < 8; ++j) {
        p.custom_input_func[j] = 8 + j;
        p.custom_output_func[j] = 6 + j;
    }
    qstrcpy(p.password, "it's \"quoted\"; drop table sysparam; --");
    qstrcpy(p.CntNet_UseName, QStringLiteral("Gerät-1 é").toUtf8().constData());
    qstrcpy(p.CntNet_MsgTechName, QStringLiteral("技术员 张三").toUtf8().constData());
    qstrcpy(p.CntNet_MsgTechNum, "+86 138'0000 0000");
    qstrcpy(p.CntNet_ProName, QStringLiteral("產品 A").toUtf8().constData());
    qstrcpy(p.CntNet_Operator, QString(33, QChar(0x6280)).toUtf8().constData());  // 99 bytes
    return p;
}

QString sqlPath(const QString& name) {
    return QDir::current().filePath(name);
}

}  // namespace

class TestParameterDb : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roundTripEveryStoredPosition_data();
    void roundTripEveryStoredPosition();
    void emptyDatabase();
    void insertedRowsActInTheSameRun();
    void loadFromRows_data();
    void loadFromRows();
    void outOfRangeIsSavedCorrected();
    void missingRowKeepsConstructionValue();
    void textLength_data();
    void textLength();
    void saveInsertsMissingRows();
    void saveFailureIsReported_data();
    void saveFailureIsReported();
    void bridgeGate_data();
    void bridgeGate();
    void cameraBindings_data();
    void cameraBindings();
    void groupIndexFile();
    void signalNames_data();
    void signalNames();
    void openAndRestore_data();
    void openAndRestore();
    void noRebootLoop();
    void releaseClosesParamOnly();
    void factoryFiles();

private:
    std::unique_ptr<ProgramDir> dir_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    QMap<QString, QStringList> roundTrip_;  // key: saved, loaded, stored
};

void TestParameterDb::init() {
    resetParamGlobals();
    resetAppGlobals();
    dir_ = std::make_unique<ProgramDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<ScriptedPrompter>();
}

void TestParameterDb::cleanup() {
    resetParamGlobals();
    resetAppGlobals();
    prompter_.reset();
    dir_.reset();
}

void TestParameterDb::roundTripEveryStoredPosition_data() {
    QTest::addColumn<QString>("key");
    for (const ParaIntKey& k : paraIntKeys(ParaKeyOrder::Load)) QTest::newRow(k.name) << QString(k.name);
    for (const ParaTextKey& k : paraTextKeys()) QTest::newRow(k.name) << QString(k.name);
}

void TestParameterDb::roundTripEveryStoredPosition() {
    QFETCH(QString, key);
    if (roundTrip_.isEmpty()) {
        // One save and one load serve every row: saved, loaded and stored text per key.
        QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
        QVERIFY(makeDb(sqlPath("SN.db"), {}));
        ParameterManager* pm = ParameterManager::getInstance();
        pm->init();
        const WizardPara saved = distinctRecord();
        gLan = 2;
        *gpWPara = saved;
        QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
        QCOMPARE(rowCount(sqlPath("PARAM.db")), 20 + 6);
        gLan = 0;
        WizardPara loaded;
        loaded.LoadDatafromFile(pm->paramQuery);
        for (const ParaIntKey& k : paraIntKeys(ParaKeyOrder::Load))
            roundTrip_[k.name] = QStringList{formatParaKey(k, saved, 2), formatParaKey(k, loaded, gLan),
                                             storedValue(sqlPath("PARAM.db"), k.name)};
        for (const ParaTextKey& t : paraTextKeys())
            roundTrip_[t.name] =
                QStringList{QString::fromUtf8(reinterpret_cast<const char*>(&saved) + t.offset),
                            QString::fromUtf8(reinterpret_cast<const char*>(&loaded) + t.offset),
                            storedValue(sqlPath("PARAM.db"), t.name)};
    }
    const QStringList r = roundTrip_.value(key);
    QCOMPARE(r.size(), 3);
    QCOMPARE(r[1], r[0]);  // loaded as saved
    QCOMPARE(r[2], r[0]);  // stored as the record holds it
}

void TestParameterDb::emptyDatabase() {
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));  // SN.db missing: created
    ParameterManager::getInstance()->init();
    QVERIFY(gpWPara && gpWParaBak);
    const WizardPara& p = *gpWPara;
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(p.expose_time[i], 0);
        QCOMPARE(p.adjust_plus[i], 0);
        QCOMPARE(p.sharp[i], 0);
        QCOMPARE(p.contrast[i], 100);
        QCOMPARE(p.gamma[i], 100);
    }
    QCOMPARE(p.max_mold_num, 10);
    QCOMPARE(p.minimum_size, 3);
    QCOMPARE(p.minimum_area, 100);
    QCOMPARE(p.min_spot, 3);
    QCOMPARE(p.location_adge, 8000);
    QCOMPARE(p.enable_correct, 0);
    QCOMPARE(p.screen_off_time, 0);
    QCOMPARE(p.re_check_delay, 10);
    QCOMPARE(p.multi_step_count, 2);
    QCOMPARE(p.output_inverted[2], 1);  // from the inserted system7 row
    QCOMPARE(gLan, 0);
    QCOMPARE(gDNum, 2);
    QCOMPARE(p.serial_count, 0);
    QVERIFY(*gpWParaBak == WizardPara());

    QCOMPARE(storedValue(sqlPath("PARAM.db"), "system7"),
             QStringLiteral("0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0"));
    for (const char* k : {"system8", "system9", "system10", "system11"})
        QVERIFY2(!storedValue(sqlPath("PARAM.db"), k).isNull(), k);
    QCOMPARE(rowCount(sqlPath("SN.db")), 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(storedValue(sqlPath("SN.db"), QStringLiteral("serialNB%1").arg(i)), QStringLiteral("0"));
        QCOMPARE(QByteArray(gSerialNB[i]), QByteArray("0"));
    }
    QCOMPARE(dir_->readFile("sysadd.txt"), QByteArray("0"));
    QVERIFY(dir_->commands().isEmpty());
    QVERIFY(prompter_->warnings.isEmpty());
}

void TestParameterDb::insertedRowsActInTheSameRun() {
    // The first run after rows were added must behave like every later run.
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{"system2", "0 20 3"}}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    const WizardPara first = *gpWPara;
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    WizardPara second;
    second.LoadDatafromFile(pm->paramQuery);
    second.serial_count = first.serial_count;
    QVERIFY(second == first);
    QCOMPARE(second.max_mold_num, 20);
}

void TestParameterDb::loadFromRows_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");
    QTest::newRow("procedure 7") << "numFailDetect"
                                 << "7 1"
                                 << "detect_mode" << 0 << 0;
    QTest::newRow("procedure next follows") << "numFailDetect"
                                            << "3 1"
                                            << "detect_mode_next" << 0 << 3;
    QTest::newRow("cavity position") << "numFailDetect"
                                     << "1 1"
                                     << "cavity_pos" << 0 << 1;
    QTest::newRow("language 3") << "system2"
                                << "0 0 0 0 0 0 0 0 0 0 0 0 3"
                                << "gLan" << 0 << 0;
    QTest::newRow("language 1") << "system2"
                                << "0 0 0 0 0 0 0 0 0 0 0 0 1"
                                << "gLan" << 0 << 1;
    QTest::newRow("short value reads 0") << "trigInDelay"
                                         << "5 6"
                                         << "trig_in_delay" << 2 << 0;
    QTest::newRow("short value head") << "trigInDelay"
                                      << "5 6"
                                      << "trig_in_delay" << 1 << 6;
    QTest::newRow("garbage stops reading") << "trigInDelay"
                                           << "5 x 7"
                                           << "trig_in_delay" << 2 << 0;
    QTest::newRow("camera 4 exposure") << "system5"
                                       << "10001 20"
                                       << "expose_time" << 4 << 30;
    QTest::newRow("camera 5 exposure") << "system5"
                                       << "10001 20"
                                       << "expose_time" << 5 << 20;
    QTest::newRow("camera 7 contrast") << "system6"
                                       << "1 2 3 4 5 6 7 8"
                                       << "contrast" << 7 << 8;
    QTest::newRow("gamma camera 6") << "numAllDetect"
                                    << "1 2 3 4 5 6 0 8"
                                    << "gamma" << 6 << 100;
    QTest::newRow("re-check delay") << "system9"
                                    << "0 0 0 0 0 0 0 0 0 0 25"
                                    << "re_check_delay" << 0 << 25;
    QTest::newRow("last reserve wins") << "system11"
                                       << "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 2 3 4"
                                       << "reserve_value" << 0 << 4;
    QTest::newRow("input function clamped") << "system10"
                                            << "3 99"
                                            << "custom_input_func" << 1 << 0;
    QTest::newRow("output function clamped") << "system10"
                                             << "0 0 0 0 0 0 0 0 -4"
                                             << "custom_output_func" << 0 << 0;
    QTest::newRow("two-colour left mould handed over") << "numFailDetect"
                                                       << "1 0"
                                                       << "gLoadMouldSide" << 0 << 1;
    QTest::newRow("turntable right mould handed over") << "numFailDetect"
                                                       << "2 1"
                                                       << "gLoadMouldSide" << 0 << 0;
    QTest::newRow("turntable steps") << "numFailDetect"
                                     << "2 2"
                                     << "gDNum" << 0 << 4;
    QTest::newRow("multi-detection steps") << "system8"
                                           << "6"
                                           << "gDNum" << 0 << 2;  // procedure 0 still
    QTest::newRow("blanks and tabs") << "exposeTime"
                                     << "  1\t2   3 4"
                                     << "expose_time" << 3 << 4;
}

void TestParameterDb::loadFromRows() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, expected);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{key, value}}));
    gLan = 2;
    gLoadMouldSide = 7;
    ParameterManager::getInstance()->init();
    QCOMPARE(field(*gpWPara, name, index), expected);
}

void TestParameterDb::outOfRangeIsSavedCorrected() {
    QVERIFY(makeDb(sqlPath("PARAM.db"),
                   {{"numFailDetect", "7 0 0 0 0 0 0 0"}, {"system2", "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 5"}}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    QCOMPARE(gpWPara->detect_mode, 0);
    QCOMPARE(gpWPara->screen_off_time, 600);
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    QVERIFY(storedValue(sqlPath("PARAM.db"), "numFailDetect").startsWith("0 "));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "system2").split(' ').value(15), QStringLiteral("600"));
}

void TestParameterDb::missingRowKeepsConstructionValue() {
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{"isPswUsed", "1"}}));
    ParameterManager::getInstance()->init();
    QCOMPARE(gpWPara->is_psw_used, 1);
    QCOMPARE(gpWPara->video_share_mode, 1);  // CntNet missing
    QCOMPARE(gpWPara->product_serial, 10000);
    QCOMPARE(gpWPara->cavity_count, 6);
}

void TestParameterDb::textLength_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("99 characters") << QString(99, QLatin1Char('a')) << true;
    QTest::newRow("100 characters") << QString(100, QLatin1Char('a')) << false;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("quote") << "o'clock" << true;
    QTest::newRow("latin accents") << QStringLiteral("Renée Müller") << true;
    QTest::newRow("98 + two-byte character") << QString(98, QLatin1Char('a')) + QChar(0xe9) << false;
    QTest::newRow("33 chinese characters") << QString(33, QChar(0x5f20)) << true;
}

void TestParameterDb::textLength() {
    QFETCH(QString, text);
    QFETCH(bool, taken);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{"password", text}, {"CntNet_MsgTechName", text}}));
    ParameterManager::getInstance()->init();
    const QString expected = taken ? text : QString();
    QCOMPARE(QString::fromUtf8(gpWPara->password), expected);
    QCOMPARE(QString::fromUtf8(gpWPara->CntNet_MsgTechName), expected);
}

void TestParameterDb::saveInsertsMissingRows() {
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{"trigInDelay", "1 2 3 4 5 6 7 8"}}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    gpWPara->sharp[2] = 77;
    gpWPara->is_psw_used = 1;
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    QCOMPARE(rowCount(sqlPath("PARAM.db")), 26);
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "sharp"), QStringLiteral("0 0 77 0"));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "isPswUsed"), QStringLiteral("1"));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "trigInDelay"), QStringLiteral("1 2 3 4 5 6 7 8"));
    // The row check creates a missing row as "0" and leaves an existing one alone.
    QVERIFY(gpWPara->SaveChkDBItem(pm->paramQuery, "extraKey"));
    QVERIFY(gpWPara->SaveChkDBItem(pm->paramQuery, "sharp"));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "extraKey"), QStringLiteral("0"));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "sharp"), QStringLiteral("0 0 77 0"));
    QVERIFY(runSql(sqlPath("PARAM.db"), {"delete from sysparam where name='extraKey'"}));
    // A second save updates in place.
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    QCOMPARE(rowCount(sqlPath("PARAM.db")), 26);
}

void TestParameterDb::saveFailureIsReported_data() {
    QTest::addColumn<QString>("sabotage");
    QTest::newRow("statement fails midway") << "create trigger t before update on sysparam when "
                                               "new.name='system5' begin select raise(abort, 'x'); end";
    QTest::newRow("table gone") << "drop table sysparam";
}

void TestParameterDb::saveFailureIsReported() {
    QFETCH(QString, sabotage);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    QVERIFY(runSql(sqlPath("PARAM.db"), {sabotage}));
    gpWPara->trig_in_delay[0] = 99;
    QVERIFY(!gpWPara->SaveDatatoFile(pm->paramQuery));
    // Nothing of the failed save reached the database.
    const QString delays = storedValue(sqlPath("PARAM.db"), "trigInDelay");
    QVERIFY(delays.isNull() || delays.startsWith("0 "));
}

void TestParameterDb::bridgeGate_data() {
    QTest::addColumn<int>("on");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<int>("sent");
    QTest::newRow("off") << 0 << true << true << 0;
    QTest::newRow("on, not ready") << 1 << true << false << 0;
    QTest::newRow("on, ready") << 1 << true << true << 1;
    QTest::newRow("on, no bridge") << 1 << false << true << 0;
}

void TestParameterDb::bridgeGate() {
    QFETCH(int, on);
    QFETCH(bool, installed);
    QFETCH(bool, ready);
    QFETCH(int, sent);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    int calls = 0;
    if (installed) setParamSendHook({[&] { return ready; }, [&] { ++calls; }});
    gpWPara->cnt_net_on = on;
    // The live record decides, also when the working copy is the one saved.
    gpWParaBak->cnt_net_on = 1 - on;
    QVERIFY(gpWParaBak->SaveDatatoFile(pm->paramQuery));
    QCOMPARE(calls, sent);
}

void TestParameterDb::cameraBindings_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("counted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("none") << "0" << 0 << "";
    QTest::newRow("8 characters") << "ABCDEFGH" << 0 << "";
    QTest::newRow("9 characters") << "ABCDEFGHI" << 1 << "ABCDEFGHI";
    QTest::newRow("99 characters") << QString(99, QLatin1Char('7')) << 1 << QString(99, QLatin1Char('7'));
    QTest::newRow("100 characters") << QString(100, QLatin1Char('7')) << 0 << "";
}

void TestParameterDb::cameraBindings() {
    QFETCH(QString, serial);
    QFETCH(int, counted);
    QFETCH(QString, kept);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
    QVERIFY(makeDb(sqlPath("SN.db"), {{"serialNB3", serial}, {"serialNB7", "KS0000001"}}));
    ParameterManager::getInstance()->init();
    QCOMPARE(gpWPara->serial_count, counted + 1);
    QCOMPARE(QString::fromLatin1(gSerialNB[3]), kept);
    QCOMPARE(QByteArray(gSerialNB[7]), QByteArray("KS0000001"));
    QCOMPARE(QByteArray(gSerialNB[0]), QByteArray("0"));
    QCOMPARE(rowCount(sqlPath("SN.db")), 8);
}

void TestParameterDb::groupIndexFile() {
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
    QVERIFY(dir_->writeFile("sysadd.txt", "3\n"));
    ParameterManager::getInstance()->init();
    QCOMPARE(gpWPara->para_group_index, 3);
    gpWPara->para_group_index = 12;
    QVERIFY(gpWPara->SaveAddFile());
    QCOMPARE(dir_->readFile("sysadd.txt"), QByteArray("12\n"));

    QVERIFY(QFile::remove(dir_->filePath("sysadd.txt")));
    WizardPara fresh;
    fresh.para_group_index = 5;
    fresh.LoadDatafromFile(ParameterManager::getInstance()->paramQuery);
    QCOMPARE(fresh.para_group_index, 0);
    QCOMPARE(dir_->readFile("sysadd.txt"), QByteArray("0"));
}

void TestParameterDb::signalNames_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("file");  // empty: no name.txt
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("namer");
    QTest::newRow("eight lines") << 0 << QByteArray("a\nb\nc\nd\ne\nf\ng\nh\ni\n")
                                 << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", ""} << false;
    QTest::newRow("fewer lines") << 1 << QByteArray("in0\r\n开模\n")
                                 << QStringList{"in0", "开模", "", "", "", "", "", ""} << false;
    QTest::newRow("no file") << 0 << QByteArray() << QStringList{"default"} << true;
    QTest::newRow("multi-detection ignores the file")
        << 4 << QByteArray("a\nb\n") << QStringList{"default"} << true;
}

void TestParameterDb::signalNames() {
    QFETCH(int, mode);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QFETCH(bool, namer);
    QVERIFY(makeDb(sqlPath("PARAM.db"), {{"numFailDetect", QString::number(mode)}}));
    if (!file.isEmpty()) QVERIFY(dir_->writeFile("name.txt", file));
    int namerCalls = 0;
    int namedMode = -1;
    setDefaultSignalNamer([&](const WizardPara& p) {
        ++namerCalls;
        namedMode = p.detect_mode;
        gaName[0] = QStringLiteral("default");
    });
    ParameterManager::getInstance()->init();
    QCOMPARE(namerCalls, namer ? 1 : 0);
    if (namer) QCOMPARE(namedMode, mode);
    for (int i = 0; i < expected.size(); ++i) QCOMPARE(gaName[i], expected[i]);
}

void TestParameterDb::openAndRestore_data() {
    QTest::addColumn<QString>("param");     // ok, missing, corrupt
    QTest::addColumn<QString>("sn");        // ok, missing, corrupt, directory
    QTest::addColumn<QString>("defaults");  // ok, missing, corrupt
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("warnings");
    const QString cpParam = QStringLiteral("cp -f ./paraGroup/default/PARAM.db ./");
    const QString cpSn = QStringLiteral("cp -f ./paraGroup/default/SN.db ./");
    QTest::newRow("all present") << "ok"
                                 << "ok"
                                 << "ok" << QStringList() << 0;
    QTest::newRow("PARAM.db missing") << "missing"
                                      << "ok"
                                      << "ok" << QStringList{cpParam, "sync", "reboot"} << 0;
    QTest::newRow("PARAM.db missing, no default group") << "missing"
                                                        << "ok"
                                                        << "missing" << QStringList() << 1;
    QTest::newRow("PARAM.db missing, default corrupt") << "missing"
                                                       << "ok"
                                                       << "corrupt" << QStringList() << 1;
    QTest::newRow("PARAM.db empty file") << "empty"
                                         << "ok"
                                         << "ok" << QStringList() << 1;
    QTest::newRow("PARAM.db a directory") << "directory"
                                          << "ok"
                                          << "ok" << QStringList() << 1;
    QTest::newRow("PARAM.db corrupt") << "corrupt"
                                      << "ok"
                                      << "ok" << QStringList() << 1;
    QTest::newRow("SN.db missing is created") << "ok"
                                              << "missing"
                                              << "ok" << QStringList() << 0;
    QTest::newRow("SN.db corrupt") << "ok"
                                   << "corrupt"
                                   << "ok" << QStringList{cpSn, "reboot"} << 1;
    QTest::newRow("SN.db corrupt, no default group") << "ok"
                                                     << "corrupt"
                                                     << "missing" << QStringList() << 1;
    QTest::newRow("SN.db unopenable, copy fails") << "ok"
                                                  << "directory"
                                                  << "ok" << QStringList{cpSn} << 1;
}

void TestParameterDb::openAndRestore() {
    QFETCH(QString, param);
    QFETCH(QString, sn);
    QFETCH(QString, defaults);
    QFETCH(QStringList, commands);
    QFETCH(int, warnings);
    const QByteArray garbage(4096, 'z');
    if (defaults == QLatin1String("ok")) {
        QVERIFY(dir_->installFactoryFiles());
    } else if (defaults == QLatin1String("corrupt")) {
        QVERIFY(dir_->writeFile("paraGroup/default/PARAM.db", garbage));
        QVERIFY(dir_->writeFile("paraGroup/default/SN.db", garbage));
    }
    if (param == QLatin1String("ok")) QVERIFY(makeDb(sqlPath("PARAM.db"), {{"isPswUsed", "1"}}));
    if (param == QLatin1String("corrupt")) QVERIFY(dir_->writeFile("PARAM.db", garbage));
    if (param == QLatin1String("empty")) QVERIFY(dir_->writeFile("PARAM.db", QByteArray()));
    if (param == QLatin1String("directory")) QVERIFY(QDir().mkpath(dir_->filePath("PARAM.db")));
    if (sn == QLatin1String("ok")) QVERIFY(makeDb(sqlPath("SN.db"), {}));
    if (sn == QLatin1String("corrupt")) QVERIFY(dir_->writeFile("SN.db", garbage));
    if (sn == QLatin1String("directory")) QVERIFY(QDir().mkpath(dir_->filePath("SN.db")));

    ParameterManager::getInstance()->init();
    QCOMPARE(dir_->commands(), commands);
    QCOMPARE(prompter_->warnings.size(), warnings);
    for (const QString& w : prompter_->warnings) QCOMPARE(w, paramFileErrorText());
    if (warnings) QVERIFY(paramFileErrorText().startsWith(QLatin1String("System parameter file error")));
    // Whatever happened, the record is sound.
    QVERIFY(gpWPara && gpWParaBak);
    QCOMPARE(gpWPara->contrast[0], 100);
    QCOMPARE(gpWPara->min_spot, 3);
    if (param == QLatin1String("ok")) QCOMPARE(gpWPara->is_psw_used, 1);
    if (commands.contains(QLatin1String("reboot"))) {
        const QString restored = commands.first().contains("PARAM") ? "PARAM.db" : "SN.db";
        QVERIFY(isUsableDatabase(dir_->filePath(restored)));
    }
    // A usable file takes the save; an unusable one reports the failure.
    const bool usable = param != QLatin1String("corrupt") && param != QLatin1String("directory");
    QCOMPARE(gpWPara->SaveDatatoFile(ParameterManager::getInstance()->paramQuery), usable);
}

void TestParameterDb::noRebootLoop() {
    // PARAM.db and the default group both missing: two starts in a row, neither reboots.
    for (int start = 0; start < 2; ++start) {
        ParameterManager::getInstance()->init();
        QVERIFY(!dir_->commands().contains(QStringLiteral("reboot")));
        QVERIFY(gpWPara->SaveDatatoFile(ParameterManager::getInstance()->paramQuery));
        resetParamGlobals();
    }
    QCOMPARE(prompter_->warnings.size(), 1);  // the second start finds the saved PARAM.db
    QCOMPARE(rowCount(sqlPath("PARAM.db")), 26);
}

void TestParameterDb::releaseClosesParamOnly() {
    QVERIFY(makeDb(sqlPath("PARAM.db"), {}));
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    QVERIFY(pm->paramDb.isOpen() && pm->snDb.isOpen());
    pm->releaseDB();
    QVERIFY(!QSqlDatabase::database(QStringLiteral("dbIn"), false).isOpen());
    QVERIFY(QSqlDatabase::database(QStringLiteral("dbT"), false).isOpen());
}

void TestParameterDb::factoryFiles() {
    QVERIFY(dir_->installFactoryFiles(true));
    // Writing again replaces the default group and keeps the program directory's own files.
    QVERIFY(runSql(sqlPath("PARAM.db"), {"update sysparam set value='1' where name='isPswUsed'"}));
    QVERIFY(dir_->installFactoryFiles(true));
    QCOMPARE(storedValue(sqlPath("PARAM.db"), "isPswUsed"), QStringLiteral("1"));
    QCOMPARE(storedValue(sqlPath("paraGroup/default/PARAM.db"), "isPswUsed"), QStringLiteral("0"));
    QVERIFY(runSql(sqlPath("PARAM.db"), {"update sysparam set value='0' where name='isPswUsed'"}));

    ParameterManager::getInstance()->init();
    QVERIFY(dir_->commands().isEmpty());
    QVERIFY(prompter_->warnings.isEmpty());
    QCOMPARE(rowCount(sqlPath("PARAM.db")), 26);  // every key shipped, nothing inserted at load
    WizardPara expected = factoryRecord();
    expected.serial_count = gpWPara->serial_count;
    QVERIFY(*gpWPara == expected);
    for (int c = 0; c < 8; ++c) {
        const QSqlRecord rec =
            ParameterManager::getInstance()->paramDb.record(QStringLiteral("cammer%1").arg(c));
        QCOMPARE(rec.count(), 2);
        QCOMPARE(rec.fieldName(0), QStringLiteral("name"));
        QCOMPARE(rec.fieldName(1), QStringLiteral("value"));
    }
    QCOMPARE(rowCount(sqlPath("paraGroup/default/SN.db")), 0);
}

QTEST_GUILESS_MAIN(TestParameterDb)
#include "tst_parameterdb.moc"
