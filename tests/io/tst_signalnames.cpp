// Signal names: the default names of each procedure in each language, the multi-detection names from
// the function choices (saved to and loaded from PARAM.db), and bad stored values and name files.
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/parametermanager.h"
#include "app/paramhooks.h"
#include "app/wizardpara.h"
#include "io/ionames.h"
#include "programdir.h"
#include "scriptedprompter.h"

class TestSignalNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void defaultNames_data();
    void defaultNames();
    void multiDetectionNames();
    void badFunctionIndexGivesNoName();
    void terminalLabels_data();
    void terminalLabels();
    void choicesSavedAndLoaded();
    void nameFileLines_data();
    void nameFileLines();

private:
    std::unique_ptr<ProgramDir> dir_;
    std::unique_ptr<ScriptedPrompter> prompter_;
};

void TestSignalNames::initTestCase() {
    loadLanguageTable();
}

void TestSignalNames::init() {
    resetParamGlobals();
    resetAppGlobals();
    gLan = 1;
}

void TestSignalNames::cleanup() {
    resetParamGlobals();
    resetAppGlobals();
    prompter_.reset();
    dir_.reset();
}

void TestSignalNames::defaultNames_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("lan");
    QTest::addColumn<QStringList>("names");  // inputs 0-3, outputs 0-3
    const QStringList standard{"Open", "Safety", "Back", "RSV", "Clmp", "Thim", "Alrm", "RSV"};
    QTest::newRow("standard") << 0 << 1 << standard;
    QTest::newRow("auto parts") << 3 << 1 << standard;
    QTest::newRow("standard without re-check") << 5 << 1 << standard;
    QTest::newRow("unknown procedure as standard") << 9 << 1 << standard;
    QTest::newRow("two-colour") << 1 << 1 << QStringList{"Open", "Safety",        "Left mold", "Right mold",
                                                         "Clmp", "Transfer mold", "Alrm",      "RSV"};
    QTest::newRow("turntable") << 2 << 1
                               << QStringList{"Shift left",    "Reset key", "Start key", "Shift right",
                                              "Transfer mold", "Thim",      "Alrm",      "RSV"};
    QTest::newRow("standard, simplified Chinese")
        << 0 << 0 << QString::fromUtf8("开模 安全门 顶退 预留 合模 顶针 报警 预留").split(' ');
    QTest::newRow("two-colour, traditional Chinese")
        << 1 << 2 << QString::fromUtf8("開模 安全門 左模 右模 合模 轉模 報警 預留").split(' ');
    QTest::newRow("language out of range reads Simplified Chinese")
        << 2 << 7 << QString::fromUtf8("左移位 复位键 启动键 右移位 转模 顶针 报警 预留").split(' ');
}

void TestSignalNames::defaultNames() {
    QFETCH(int, mode);
    QFETCH(int, lan);
    QFETCH(QStringList, names);
    gLan = lan;
    WizardPara p;
    p.detect_mode = mode;
    for (QString& s : gaName) s = "stale";
    FillDefaultSignalNames(p);
    for (int i = 0; i < 8; ++i) QCOMPARE(gaName[i], names[i]);
    for (int i = 8; i < kSignalNames; ++i) QVERIFY(gaName[i].isEmpty());
}

void TestSignalNames::multiDetectionNames() {
    WizardPara p;
    p.detect_mode = kDetectMulti;
    const int in[8] = {0, 3, 4, 5, 10, 15, 7, 1};
    const int out[8] = {0, 1, 8, 9, 13, 2, 12, 11};
    std::copy(in, in + 8, p.custom_input_func);
    std::copy(out, out + 8, p.custom_output_func);
    FillDefaultSignalNames(p);
    const QStringList expected{"Mol op",    "Safety",  "Thim O",   "Thim I",  "Mol val", "Neu A I",
                               "Neu C O",   "Res but", "clo door", "Al clam", "Al thim", "Alrm",
                               "Al thread", "Rot",     "Mac mov",  "Neu A I", "Mov mol", "R shift"};
    for (int i = 0; i < kSignalNames; ++i) QCOMPARE(gaName[i], expected[i]);
}

// Stored choices are indexes into the tables: out-of-range ones name nothing instead of reading past
// the tables.
void TestSignalNames::badFunctionIndexGivesNoName() {
    WizardPara p;
    p.detect_mode = kDetectMulti;
    p.custom_input_func[0] = 16;
    p.custom_input_func[1] = -1;
    p.custom_output_func[0] = 14;
    p.custom_output_func[7] = 1 << 30;
    FillDefaultSignalNames(p);
    QVERIFY(gaName[0].isEmpty());
    QVERIFY(gaName[2].isEmpty());
    QVERIFY(gaName[9].isEmpty());
    QVERIFY(gaName[17].isEmpty());
    QCOMPARE(gaName[3], QString("Mol op"));  // the others keep their names
    QCOMPARE(gaName[10], QString("Al clam"));
    QVERIFY(inputFunctionName(kInputFunctions).isEmpty());
    QVERIFY(outputFunctionName(-5).isEmpty());
    QVERIFY(customInputLabel(8).isEmpty());
    QVERIFY(customOutputLabel(-1).isEmpty());
}

void TestSignalNames::terminalLabels_data() {
    QTest::addColumn<int>("lan");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("outputs");
    QTest::newRow("English") << 1 << QStringList{"Input 1", "Input 3", "Input 4", "Input 5",
                                                 "Input 6", "Input 7", "Input 8", "Input 9"}
                             << QStringList{"Output 1", "Output 2", "Output 4", "Output 5",
                                            "Output 6", "Output 7", "Output 8", "Output 9"};
    const QStringList zhIn =
        QString::fromUtf8("输入 1,输入 3,输入 4,输入 5,输入 6,输入 7,输入 8,输入 9").split(',');
    const QStringList zhOut =
        QString::fromUtf8("输出 1,输出 2,输出 4,输出 5,输出 6,输出 7,输出 8,输出 9").split(',');
    QTest::newRow("Traditional Chinese as Simplified") << 2 << zhIn << zhOut;
    QTest::newRow("Simplified Chinese") << 0 << zhIn << zhOut;
}

void TestSignalNames::terminalLabels() {
    QFETCH(int, lan);
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, outputs);
    gLan = lan;
    for (int j = 0; j < kCustomTerminals; ++j) {
        QCOMPARE(customInputLabel(j), inputs[j]);
        QCOMPARE(customOutputLabel(j), outputs[j]);
    }
}

// The choices go through PARAM.db like every other field; a load in the multi-detection procedure
// names the signals from them (a "name.txt" describes the four-input layout and is not taken).
void TestSignalNames::choicesSavedAndLoaded() {
    dir_ = std::make_unique<ProgramDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<ScriptedPrompter>();
    QVERIFY(dir_->installFactoryFiles(true));
    QVERIFY(dir_->writeFile("name.txt", "a\nb\nc\nd\ne\nf\ng\nh\n"));
    installDefaultSignalNamer();
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    QVERIFY(gpWPara);
    gpWPara->detect_mode = kDetectMulti;
    gpWPara->detect_mode_next = kDetectMulti;  // the procedure is stored for the next start
    for (int j = 0; j < 8; ++j) {
        gpWPara->custom_input_func[j] = 15 - j;
        gpWPara->custom_output_func[j] = 13 - j;
    }
    gLan = 1;  // stored with the record
    QVERIFY(gpWPara->SaveDatatoFile(pm->paramQuery));
    ParameterManager::destroyInstance();
    resetParamGlobals();  // forgets the namer too: install it again as start-up does
    for (QString& s : gaName) s = "stale";
    installDefaultSignalNamer();
    pm = ParameterManager::getInstance();
    pm->init();
    QCOMPARE(gpWPara->detect_mode, int(kDetectMulti));
    QCOMPARE(gLan, 1);
    for (int j = 0; j < 8; ++j) {
        QCOMPARE(gpWPara->custom_input_func[j], 15 - j);
        QCOMPARE(gpWPara->custom_output_func[j], 13 - j);
    }
    QCOMPARE(gaName[0], QString("Neu C O"));
    QCOMPARE(gaName[1], QString("Safety"));
    QCOMPARE(gaName[8], QString("Slid bac"));
    QCOMPARE(gaName[9], QString("Mac mov"));
    QCOMPARE(gaName[11], QString("Alrm"));
    QCOMPARE(gaName[17], QString("Neu C I"));
    QCOMPARE(prompter_->warnings, QStringList());
}

// "name.txt" in the four-input procedures: lines are names as they stand (an empty line an empty
// name, missing lines empty names); an endless line is cut without shifting the names after it.
void TestSignalNames::nameFileLines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty and missing lines")
        << QByteArray("Mould\n\nDoor\r\n") << QStringList{"Mould", "", "Door", "", "", "", "", ""};
    const QByteArray longLine(100000, 'x');
    QTest::newRow("over-long line") << QByteArray("A\n" + longLine + "\nC\nD\nE\nF\nG\nH\n")
                                    << QStringList{"A", QString(kSignalNameMax, 'x'), "C", "D", "E", "F", "G",
                                                   "H"};
    QByteArray cjk;
    for (int i = 0; i < kSignalNameMax; ++i) cjk += QString::fromUtf8("模").toUtf8();
    QTest::newRow("over-long line of wide characters")
        << QByteArray(cjk + cjk + "\nB\n")
        << QStringList{QString(kSignalNameMax, QChar(0x6a21)), "B", "", "", "", "", "", ""};
}

void TestSignalNames::nameFileLines() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, names);
    dir_ = std::make_unique<ProgramDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<ScriptedPrompter>();
    QVERIFY(dir_->installFactoryFiles(true));
    QVERIFY(dir_->writeFile("name.txt", file));
    installDefaultSignalNamer();
    ParameterManager::getInstance()->init();
    QVERIFY(gpWPara->detect_mode != kDetectMulti);  // the four-input layout reads the file
    for (int i = 0; i < 8; ++i) QCOMPARE(gaName[i], names[i]);
}

QTEST_MAIN(TestSignalNames)
#include "tst_signalnames.moc"
