// Parameter groups on the advanced parameters page: back up, restore and delete named groups, without a
// shell, with checked names, a protected "default" group and a checked group before anything is
// replaced.
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

#include "io/ioparamswidget.h"
#include "settings/advancedpages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "settingsrig.h"

namespace {

// Template folders of the running set-up with one file each.
void makeTemplates(ProgramDir& dir, const QStringList& folders, const QByteArray& content) {
    for (const QString& f : folders) QVERIFY(dir.writeFile(f + "/0.bmp", content));
}

}  // namespace

class TestParaGroups : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void backupNewName();
    void backupExistingAnsweredNo();
    void backupOverExistingGroup_data();
    void backupOverExistingGroup();
    void interruptedBackupIsPutBack();
    void restore();
    void restoreIncompleteGroupChangesNothing();
    void deleteKeepsActiveGroup();
    void names_data();
    void names();
    void emptyList();
};

void TestParaGroups::backupNewName() {
    SettingsRig rig;
    gDNum = 2;
    makeTemplates(rig.dir, {"cammer11", "cammer12", "cammer21", "cammer13"}, "T");
    SystemSettingWidget w;
    w.show();
    w.advanceParam->groupNameEdit->setText("mouldB");
    rig.prompter.queueAnswer(true);
    w.advanceParam->groupBackupButton->click();
    QCOMPARE(rig.prompter.questions, QStringList{lan(283)});
    QVERIFY(QFile::exists("paraGroup/mouldB/PARAM.db"));
    QVERIFY(QFile::exists("paraGroup/mouldB/cammer11/0.bmp"));
    QVERIFY(QFile::exists("paraGroup/mouldB/cammer21/0.bmp"));
    QVERIFY(!QFile::exists("paraGroup/mouldB/cammer13"));  // step 3 is beyond the step count
    QCOMPARE(QDir("paraGroup").entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"default", "mouldB"}));  // nothing left of the staging folder
    QComboBox* box = w.advanceParam->groupBox;
    QCOMPARE(box->currentText(), QStringLiteral("mouldB"));
    QCOMPARE(gpWPara->para_group_index, 1);
    QCOMPARE(rig.dir.readFile("sysadd.txt"), QByteArray("1\n"));
    QVERIFY(rig.commands().isEmpty());  // no shell
}

void TestParaGroups::backupExistingAnsweredNo() {
    SettingsRig rig;
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/PARAM.db", "old"));
    SystemSettingWidget w;
    w.show();
    w.ParaGroupUpdateList();
    w.advanceParam->groupNameEdit->setText("mouldA");
    w.ioParams->sliders[0]->setValue(gpWPara->input_timeout_len + 1);  // committed on the way
    rig.prompter.queueAnswer(true);                                    // back up?
    rig.prompter.queueAnswer(true);                                    // save the settings?
    rig.prompter.queueAnswer(false);                                   // overwrite?
    w.SlotParaGroupBackup();
    QCOMPARE(rig.prompter.questions, (QStringList{lan(283), lan(234), lan(284)}));
    QCOMPARE(rig.dir.readFile("paraGroup/mouldA/PARAM.db"), QByteArray("old"));
    QCOMPARE(gpWPara->input_timeout_len, gpWParaBak->input_timeout_len);  // the commit stays
}

void TestParaGroups::backupOverExistingGroup_data() {
    QTest::addColumn<bool>("complete");  // false: the new group cannot be completed (PARAM.db missing)
    QTest::newRow("replaced") << true;
    QTest::newRow("copy fails") << false;
}

// The old group stays whole until the new one is complete; a template folder with a link loop and a
// link out of the tree is copied without following them.
void TestParaGroups::backupOverExistingGroup() {
    QFETCH(bool, complete);
    SettingsRig rig;
    gDNum = 1;
    makeTemplates(rig.dir, {"cammer11"}, "new");
    QVERIFY(QFile::link(".", "cammer11/loop"));
    QVERIFY(QFile::link("/", "cammer11/root"));
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/PARAM.db", "old"));
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/cammer11/0.bmp", "old"));
    if (!complete) QVERIFY(QFile::remove("PARAM.db"));
    SystemSettingWidget w;
    w.show();
    w.ParaGroupUpdateList();
    w.advanceParam->groupNameEdit->setText("mouldA");
    rig.prompter.queueAnswer(true);  // back up?
    rig.prompter.queueAnswer(true);  // overwrite?
    w.advanceParam->groupBackupButton->click();
    QCOMPARE(rig.prompter.questions, (QStringList{lan(283), lan(284)}));
    QCOMPARE(rig.prompter.warnings, complete ? QStringList() : QStringList{lan(666)});
    QCOMPARE(rig.dir.readFile("paraGroup/mouldA/cammer11/0.bmp"),
             complete ? QByteArray("new") : QByteArray("old"));
    if (complete) {
        QVERIFY(QFileInfo("paraGroup/mouldA/cammer11/loop").isSymLink());
        QVERIFY(QFileInfo("paraGroup/mouldA/cammer11/root").isSymLink());
    } else {
        QCOMPARE(rig.dir.readFile("paraGroup/mouldA/PARAM.db"), QByteArray("old"));
    }
    QCOMPARE(QDir("paraGroup").entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"default", "mouldA"}));  // nothing staged or set aside is left
}

// A power cut in the middle of a backup over "mouldA" left the old group aside and the new one staged:
// the next listing puts the old group back and drops the staged one.
void TestParaGroups::interruptedBackupIsPutBack() {
    SettingsRig rig;
    QVERIFY(rig.dir.writeFile("paraGroup/.mouldA.old/PARAM.db", "old"));
    QVERIFY(rig.dir.writeFile("paraGroup/.mouldA.new/PARAM.db", "half"));
    QVERIFY(rig.dir.writeFile("paraGroup/.mouldB.old/PARAM.db", "older"));  // mouldB itself is there
    QVERIFY(rig.dir.writeFile("paraGroup/mouldB/PARAM.db", "b"));
    SystemSettingWidget w;
    QCOMPARE(QDir("paraGroup").entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"default", "mouldA", "mouldB"}));
    QCOMPARE(rig.dir.readFile("paraGroup/mouldA/PARAM.db"), QByteArray("old"));
    QCOMPARE(rig.dir.readFile("paraGroup/mouldB/PARAM.db"), QByteArray("b"));
    QVERIFY(w.advanceParam->groupBox->findText("mouldA") >= 0);
}

void TestParaGroups::restore() {
    SettingsRig rig;
    gDNum = 2;
    makeTemplates(rig.dir, {"cammer11", "cammer12"}, "running");
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/PARAM.db", "group database"));
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/cammer11/0.bmp", "group"));
    QVERIFY(rig.dir.writeFile("paraGroup/mouldA/cammer14/0.bmp", "group step 4"));
    SystemSettingWidget w;
    w.ParaGroupUpdateList();
    w.advanceParam->groupBox->setCurrentIndex(w.advanceParam->groupBox->findText("mouldA"));
    rig.prompter.queueAnswer(true);
    w.advanceParam->groupRestoreButton->click();
    QCOMPARE(rig.dir.readFile("PARAM.db"), QByteArray("group database"));
    QCOMPARE(rig.dir.readFile("cammer11/0.bmp"), QByteArray("group"));
    QCOMPARE(rig.dir.readFile("cammer14/0.bmp"), QByteArray("group step 4"));
    QVERIFY(!QFile::exists("cammer12"));  // the running templates are replaced, not merged
    QVERIFY(!QFile::exists("PARAM.db.restore"));
    QCOMPARE(rig.window.records, QStringList{lan(286).arg("mouldA")});
    QCOMPARE(rig.window.events, QStringList{"flush"});
    QCOMPARE(rig.commands(), QStringList{"reboot"});
    QCOMPARE(rig.dir.readFile("sysadd.txt"),
             QByteArray::number(w.advanceParam->groupBox->findText("mouldA")) + "\n");
}

void TestParaGroups::restoreIncompleteGroupChangesNothing() {
    SettingsRig rig;
    gDNum = 2;
    makeTemplates(rig.dir, {"cammer11"}, "running");
    QVERIFY(rig.dir.writeFile("paraGroup/broken/cammer11/0.bmp", "group"));  // no PARAM.db
    const QByteArray db = rig.dir.readFile("PARAM.db");
    SystemSettingWidget w;
    w.ParaGroupUpdateList();
    w.advanceParam->groupBox->setCurrentIndex(w.advanceParam->groupBox->findText("broken"));
    rig.prompter.queueAnswer(true);
    w.SlotParaGroupRestore();
    QCOMPARE(rig.prompter.warnings, QStringList{lan(665).arg("broken")});
    QCOMPARE(rig.dir.readFile("cammer11/0.bmp"), QByteArray("running"));
    QCOMPARE(rig.dir.readFile("PARAM.db"), db);
    QVERIFY(rig.commands().isEmpty());
    QVERIFY(rig.window.records.isEmpty());
}

// Deleting a group that sorts before the active one keeps the active group's name.
void TestParaGroups::deleteKeepsActiveGroup() {
    SettingsRig rig;
    for (const char* g : {"a1", "b2", "c3"})
        QVERIFY(rig.dir.writeFile(QString("paraGroup/%1/PARAM.db").arg(g), "x"));
    SystemSettingWidget w;
    w.ParaGroupUpdateList();
    QComboBox* box = w.advanceParam->groupBox;
    gpWPara->para_group_index = gpWParaBak->para_group_index = box->findText("c3");
    box->setCurrentIndex(box->findText("a1"));
    rig.prompter.queueAnswer(true);
    w.advanceParam->groupDeleteButton->click();
    QVERIFY(!QFile::exists("paraGroup/a1"));
    QCOMPARE(box->findText("a1"), -1);
    QCOMPARE(box->itemText(gpWPara->para_group_index), QStringLiteral("c3"));
    QVERIFY(rig.window.records.isEmpty());
    // "default" is neither deleted nor overwritten.
    box->setCurrentIndex(box->findText("default"));
    w.SlotParaGroupDelete();
    w.advanceParam->groupNameEdit->setText("default");
    w.SlotParaGroupBackup();
    QCOMPARE(rig.prompter.warnings, (QStringList{lan(664), lan(664)}));
    QVERIFY(QFile::exists("paraGroup/default/PARAM.db"));
}

void TestParaGroups::names_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("warning");  // 0: accepted
    QTest::newRow("plain") << "Mould_7-b" << 0;
    QTest::newRow("empty") << "" << 282;
    QTest::newRow("blank") << "a b" << 663;
    QTest::newRow("quote") << "a'b" << 663;
    QTest::newRow("semicolon") << "a;rm" << 663;
    QTest::newRow("dot dot") << ".." << 663;
    QTest::newRow("slash") << "a/b" << 663;
    QTest::newRow("not Latin") << QString::fromUtf8("模具") << 663;
    QTest::newRow("too long") << QString(33, 'a') << 663;
}

void TestParaGroups::names() {
    QFETCH(QString, name);
    QFETCH(int, warning);
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    w.advanceParam->groupNameEdit->setText(name);
    rig.prompter.queueAnswer(false);  // accepted names stop at the first question
    w.SlotParaGroupBackup();
    QCOMPARE(rig.prompter.warnings, warning ? QStringList{lan(warning)} : QStringList());
    QCOMPARE(rig.prompter.questions.size(), warning ? 0 : 1);
    QCOMPARE(QDir("paraGroup").entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"default"});
}

void TestParaGroups::emptyList() {
    SettingsRig rig;
    QVERIFY(QDir("paraGroup").removeRecursively());
    SystemSettingWidget w;
    QCOMPARE(w.advanceParam->groupBox->count(), 0);
    w.SlotParaGroupRestore();
    w.SlotParaGroupDelete();
    QVERIFY(rig.prompter.questions.isEmpty());
    QVERIFY(rig.commands().isEmpty());
}

QTEST_MAIN(TestParaGroups)
#include "tst_paragroups.moc"
