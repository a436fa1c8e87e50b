#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QtTest>

#include "camera/camerasettings.h"
#include "io/ioparamswidget.h"
#include "settings/advancedpages.h"
#include "settings/camerapages.h"
#include "settings/systempages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/splash.h"
#include "settingsrig.h"

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void tabsInGroups();
    void showingReloadsEveryPage();
    void procedureControls_data();
    void procedureControls();
    void exitButtonCommits_data();
    void exitButtonCommits();
    void noDetectionFunctionRefusesCommit();
    void dialogHooks();
};

void TestSettingsDialog::tabsInGroups() {
    SettingsRig rig;
    SystemSettingWidget w;
    const QVector<int> ids = {215, 572, 431, 128, 573, 262, 574, 575, 576, 577, 578, 205, 581, 579, 580};
    QCOMPARE(w.groupCount, 7);
    QCOMPARE(w.tabTitles.size(), ids.size());
    for (int k = 0; k < ids.size(); ++k) QCOMPARE(w.tabTitles[k], lan(ids[k]));
    QCOMPARE(w.tabPages[9], static_cast<QWidget*>(w.ioParams));
    QCOMPARE(w.tabPages[13], static_cast<QWidget*>(w.aboutPage));
    // The advanced functions keep their hardware and exit buttons hidden.
    w.show();
    w.changeWidget(12);
    QCOMPARE(w.pageStack->currentWidget(), static_cast<QWidget*>(w.advanceFunc));
    QVERIFY(w.advanceFunc->updateButton->isVisible());
    QVERIFY(!w.advanceFunc->hardwareButton->isVisible());
    QVERIFY(!w.advanceFunc->exitButton->isVisible());
}

// Hiding the dialog (for the custom IO names) and showing it again reloads the pages from the
// working copy: uncommitted page edits are gone.
void TestSettingsDialog::showingReloadsEveryPage() {
    SettingsRig rig;
    SystemSettingWidget w;
    gpWParaBak->input_timeout_len = 7;
    w.show();
    QCOMPARE(rig.viewToolCalls, 1);
    QSlider* s = w.ioParams->sliders[IOParamsWidget::kInputTimeout];
    QCOMPARE(s->value(), 7);
    s->setValue(3);
    outSet = 2;
    w.ioParams->ioNameButton->show();
    w.SlotShowCustomIONameWidget();
    QVERIFY(!w.isVisible());
    QCOMPARE(rig.window.events, QStringList{"custom io names"});
    w.showDialog();
    QCOMPARE(s->value(), 7);
    QCOMPARE(outSet, 0);
    QCOMPARE(gpWParaBak->input_timeout_len, 7);
    QCOMPARE(rig.viewToolCalls, 2);
}

void TestSettingsDialog::procedureControls_data() {
    QTest::addColumn<int>("procedure");
    QTest::addColumn<bool>("cavity");  // label and the three mould buttons
    QTest::addColumn<bool>("label");
    QTest::addColumn<bool>("buttons");  // "Custom IO" and "IO name"
    QTest::newRow("standard") << 0 << false << false << false;
    QTest::newRow("two-colour") << 1 << true << true << false;
    QTest::newRow("turntable") << 2 << true << true << false;
    QTest::newRow("auto parts") << 3 << false << false << false;
    QTest::newRow("multi-detection") << 4 << false << true << true;
}

void TestSettingsDialog::procedureControls() {
    QFETCH(int, procedure);
    QFETCH(bool, cavity);
    QFETCH(bool, label);
    QFETCH(bool, buttons);
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    w.changeWidget(9);
    // Start from everything shown so that hiding is seen too.
    w.SlotChangeSysFun(1);
    w.ioParams->customIOButton->show();
    w.ioParams->ioNameButton->show();
    QAbstractButton* b = w.ioParams->procedureGroup->button(procedure);
    QVERIFY(b);
    b->click();  // through the wiring
    QCOMPARE(w.ioParams->cavityLabel->isVisible(), label);
    for (QAbstractButton* c : w.ioParams->cavityGroup->buttons()) QCOMPARE(c->isVisible(), cavity);
    QCOMPARE(w.ioParams->customIOButton->isVisible(), buttons);
    QCOMPARE(w.ioParams->ioNameButton->isVisible(), buttons);
}

void TestSettingsDialog::exitButtonCommits_data() {
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("answer");
    QTest::newRow("nothing changed") << false << false;
    QTest::newRow("changed, saved") << true << true;
    QTest::newRow("changed, not saved") << true << false;
}

void TestSettingsDialog::exitButtonCommits() {
    QFETCH(bool, change);
    QFETCH(bool, answer);
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int before = gpWPara->input_timeout_len;
    const int edited = before == 9 ? 8 : 9;
    if (change) {
        w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(edited);
        rig.prompter.queueAnswer(answer);
    }
    w.exitButton->pressed();
    QCOMPARE(rig.window.events, QStringList{"page 0"});
    QCOMPARE(rig.prompter.questions, change ? QStringList{lan(234)} : QStringList());
    QCOMPARE(rig.prompter.unexpectedQuestions, 0);
    QCOMPARE(rig.repaints, 1);
    const int expected = change && answer ? edited : before;
    QCOMPARE(gpWPara->input_timeout_len, expected);
    QCOMPARE(gpWParaBak->input_timeout_len, expected);
    QCOMPARE(rig.window.records, change && answer ? QStringList{lan(235)} : QStringList());
    QCOMPARE(rig.stored("system2").split(' ').value(17).toInt(), expected);
}

void TestSettingsDialog::noDetectionFunctionRefusesCommit() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    SettingsRig::switchOffDetectionFunctions(*gpWParaBak);
    w.cameraFunctions->WizardParaInit();  // the functions page shows them off
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(gpWPara->input_timeout_len + 1);
    w.accept();
    QCOMPARE(rig.prompter.warnings, QStringList{lan(232)});
    QVERIFY(rig.prompter.questions.isEmpty());
    QCOMPARE(gpWParaBak->input_timeout_len, gpWPara->input_timeout_len + 1);  // edits kept
    QVERIFY(rig.window.records.isEmpty());
}

void TestSettingsDialog::dialogHooks() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.ResetReCheck1Text(QStringLiteral("Re-check 3"));
    QCOMPARE(w.systemParams->reCheck1Label->text(), QStringLiteral("Re-check 3"));
    w.changeWidget(10);
    QCOMPARE(w.pageStack->currentIndex(), 10);
    // The group list shows the folders of ./paraGroup; choosing one names it.
    QVERIFY(QDir().mkpath("paraGroup/mouldA"));
    w.ParaGroupUpdateList();
    const int a = w.advanceParam->groupBox->findText("mouldA");
    QVERIFY(a >= 0);
    QVERIFY(w.advanceParam->groupBox->findText("default") >= 0);
    w.advanceParam->groupBox->setCurrentIndex(a == 0 ? 1 : 0);
    w.advanceParam->groupBox->setCurrentIndex(a);
    QCOMPARE(w.advanceParam->groupNameEdit->text(), QStringLiteral("mouldA"));
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
