#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QtTest>

#include "camera/camerasettings.h"
#include "io/ioparamswidget.h"
#include "settings/advancedpages.h"
#include "settings/settingscommit.h"
#include "widgets/checkbox.h"
#include "widgets/blineedit.h"
#include "io/iofunctionswidget.h"
#include "settings/camerapages.h"
#include "settings/networkpages.h"
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
    void changeRecord_data();
    void changeRecord();
    void takeOverProcedure_data();
    void takeOverProcedure();
    void failedSaveIsReported();
    void ioSlidersKeepStoredValues();
    void rawImagesOnlyWhenNotDeclined_data();
    void rawImagesOnlyWhenNotDeclined();
    void noticesAndRebuild();
    void factoryBoxDecidesLive();
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
    // The advanced functions offer the hardware list; the program's exit stays hidden.
    w.show();
    w.changeWidget(12);
    QCOMPARE(w.pageStack->currentWidget(), static_cast<QWidget*>(w.advanceFunc));
    QVERIFY(w.advanceFunc->updateButton->isVisible());
    QVERIFY(w.advanceFunc->hardwareButton->isVisible());
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
    const QString record = lan(235) + lan(245).arg(lan(336)).arg(before).arg(edited);
    QCOMPARE(rig.window.records, change && answer ? QStringList{record} : QStringList());
    QCOMPARE(rig.stored("system2").split(' ').value(17).toInt(), expected);
}

void TestSettingsDialog::noDetectionFunctionRefusesCommit() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    SettingsRig::switchOffDetectionFunctions(*gpWParaBak);
    w.cameraFunctions->WizardParaInit();  // the functions page shows them off
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(gpWPara->input_timeout_len + 1);
    QCOMPARE(w.accept(), SystemSettingWidget::CommitResult::Refused);
    QCOMPARE(w.pageStack->currentWidget(), static_cast<QWidget*>(w.cameraFunctions));  // where they are
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

using Edit = std::function<void(WizardPara&)>;
Q_DECLARE_METATYPE(Edit)

void TestSettingsDialog::changeRecord_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("fragment");  // after "Modify the system parameters"
    QTest::newRow("step 1 delay") << Edit([](WizardPara& p) { p.trig_in_delay[0] = 25; })
                                  << ", The time delay for detection Prodis changed from 0 to 25";
    QTest::newRow("re-check count") << Edit([](WizardPara& p) {
        p.front_auto_check_time = 3;
    }) << ", The automatic redetecting times for detection Mold is changed from 0 to 3";
    QTest::newRow("positioning on") << Edit([](WizardPara& p) { p.enable_correct = 0; })
                                    << ", Motion correcte is changed to active";
    QTest::newRow("positioning off") << Edit([](WizardPara& p) { p.enable_correct = -1; })
                                     << ", Motion correcte is changed to deactive";
    QTest::newRow("stop clamping on")
        << Edit([](WizardPara& p) { p.enable_stop_mold = 1; })
        << ", Stop clamping when stopping detection is changed to Prohibit to clamp";
    QTest::newRow("stop clamping off")
        << Edit([](WizardPara& p) { p.enable_stop_mold = 0; })
        << ", Stop clamping when stopping detection is changed to Allow to clamp";
    QTest::newRow("cavity position") << Edit([](WizardPara& p) { p.cavity_pos = 2; })
                                     << ", Cavity position is changed from 0 to 2";
    QTest::newRow("camera 2 exposure") << Edit([](WizardPara& p) { p.expose_time[1] = 77; })
                                       << ", The exposure time of camera 2is changed from 10 to 77 ";
    QTest::newRow("password, never the password itself")
        << Edit([](WizardPara& p) { qstrncpy(p.password, "secret99", sizeof(p.password)); })
        << ", the password has been modified";
    QTest::newRow("a field without an entry") << Edit([](WizardPara& p) { p.trig_in_delay[2] = 9; }) << "";
}

void TestSettingsDialog::changeRecord() {
    QFETCH(Edit, edit);
    QFETCH(QString, fragment);
    gLan = 1;
    WizardPara live;
    live.trig_in_delay[0] = 0;
    live.front_auto_check_time = 0;
    live.enable_correct = 5;
    live.enable_stop_mold = 2;
    live.cavity_pos = 0;
    live.expose_time[1] = 10;
    std::memset(live.password, 0, sizeof(live.password));
    live.trig_in_delay[2] = 0;
    WizardPara work = live;
    edit(work);
    QCOMPARE(ChangeRecordText(live, work), lan(235) + fragment);
}

void TestSettingsDialog::takeOverProcedure_data() {
    QTest::addColumn<int>("inForce");
    QTest::addColumn<int>("edited");
    QTest::addColumn<int>("cavity");
    QTest::addColumn<bool>("now");
    QTest::addColumn<QString>("steps");   // step_enable 0..3
    QTest::addColumn<QString>("inputs");  // step_input 0, 1
    QTest::addColumn<int>("mouldSide");   // -1: not handed over
    QTest::newRow("standard, semi-automatic") << 0 << 0 << 0 << true << "1100"
                                              << "0 2" << -1;
    QTest::newRow("standard to automatic parts") << 0 << 3 << 0 << true << "1100"
                                                 << "0 2" << -1;
    QTest::newRow("standard to no re-check") << 0 << 5 << 0 << true << "1100"
                                             << "0 2" << -1;
    QTest::newRow("two-colour, left") << 1 << 1 << 0 << true << "1100"
                                      << "0 2" << 1;
    QTest::newRow("two-colour, right") << 1 << 1 << 1 << true << "0011"
                                       << "0 3" << 0;
    QTest::newRow("two-colour, all") << 1 << 1 << 2 << true << "1111"
                                     << "0 255" << -1;
    QTest::newRow("two-colour to turntable, right") << 1 << 2 << 1 << true << "0011"
                                                    << "3 2" << 0;
    // Another step count would run steps without templates: only stored, for the next start.
    QTest::newRow("standard to two-colour") << 0 << 1 << 2 << false << "1100"
                                            << "0 2" << -1;
    QTest::newRow("into multi-detection") << 0 << 4 << 0 << false << "1100"
                                          << "0 2" << -1;
}

void TestSettingsDialog::takeOverProcedure() {
    QFETCH(int, inForce);
    QFETCH(int, edited);
    QFETCH(int, cavity);
    QFETCH(bool, now);
    QFETCH(QString, steps);
    QFETCH(QString, inputs);
    QFETCH(int, mouldSide);
    WizardPara p;
    p.detect_mode = inForce;
    p.enable_prod_detect = 1;
    p.semi_auto = 1;
    p.cavity_pos = cavity;
    p.front_auto_check_time = 3;
    const int running = p.DeriveProcedure(nullptr);
    p.detect_mode_next = edited;
    int side = -1;
    QCOMPARE(TakeOverProcedure(p, running, &side) == ProcedureTakeOver::Now, now);
    QCOMPARE(p.detect_mode, now ? edited : inForce);
    QString got;
    for (int k = 0; k < 4; ++k) got += QString::number(p.step_enable[k]);
    QCOMPARE(got, steps);
    QCOMPARE(QStringLiteral("%1 %2").arg(p.step_input[0]).arg(p.step_input[1]), inputs);
    QCOMPARE(side, mouldSide);
    QCOMPARE(p.front_auto_check_time, now && edited == 5 ? 0 : 3);
}

// A commit whose save fails tells the operator, records the change as not saved, and saves again at the
// next commit.
void TestSettingsDialog::failedSaveIsReported() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int edited = gpWPara->input_timeout_len + 1;
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(edited);
    rig.prompter.queueAnswer(true);
    ParameterManager::getInstance()->releaseDB();  // nothing can be written
    w.accept();
    QCoreApplication::processEvents();  // reports queued for later would show now
    const QString box = lan(600).arg("PARAM.db");
    QCOMPARE(rig.prompter.warnings, QStringList{box});  // one box, one record
    QCOMPARE(rig.window.records.size(), 1);
    QVERIFY(rig.window.records[0].endsWith(lan(661)));
    QCOMPARE(gpWPara->input_timeout_len, edited);                    // in force until the next start
    QCOMPARE(w.accept(), SystemSettingWidget::CommitResult::Saved);  // tried again, failed again
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompter.warnings, (QStringList{box, box}));
    QCOMPARE(rig.window.records.size(), 2);
    QCOMPARE(rig.window.records[1], box);
    ParameterManager::getInstance()->createDB();
    w.accept();  // nothing differs now: no question, but the save is tried again
    QCOMPARE(rig.prompter.questions.size(), 1);
    QCOMPARE(rig.prompter.warnings.size(), 2);
    QCOMPARE(rig.stored("system2").split(' ').value(17).toInt(), edited);
}

// Values beyond the IO sliders' ends are shown at the end and kept; the one slider the operator moves
// is the one change recorded.
void TestSettingsDialog::ioSlidersKeepStoredValues() {
    SettingsRig rig;
    gpWPara->pre_cut = 700;  // slider 0..100 (tenths of a second)
    gpWPara->thimble_pulse = 5000;
    *gpWParaBak = *gpWPara;
    SystemSettingWidget w;
    w.show();
    IOParamsWidget* io = w.ioParams;
    QCOMPARE(io->sliders[IOParamsWidget::kPreCut]->value(), 100);
    QCOMPARE(io->valueLabels[IOParamsWidget::kPreCut]->text(), QString("10"));
    QCOMPARE(w.accept(), SystemSettingWidget::CommitResult::Unchanged);
    QCOMPARE(gpWParaBak->pre_cut, 700);
    io->sliders[IOParamsWidget::kEjectorPulse]->setValue(20);
    rig.prompter.queueAnswer(true);
    QCOMPARE(w.accept(), SystemSettingWidget::CommitResult::Saved);
    QCOMPARE(rig.window.records, QStringList{lan(235) + lan(245).arg(lan(168)).arg(5000).arg(20)});
    QCOMPARE(gpWPara->pre_cut, 700);
    QCOMPARE(gpWPara->thimble_pulse, 20);
}

void TestSettingsDialog::rawImagesOnlyWhenNotDeclined_data() {
    QTest::addColumn<bool>("otherChange");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("raw");
    QTest::newRow("nothing else changed: no question, on") << false << false << true;
    QTest::newRow("saved: on") << true << true << true;
    QTest::newRow("declined: stays off") << true << false << false;
}

void TestSettingsDialog::rawImagesOnlyWhenNotDeclined() {
    QFETCH(bool, otherChange);
    QFETCH(bool, answer);
    QFETCH(bool, raw);
    SettingsRig rig;
    bool rawSaving = false;
    settingsHost().rawImageSaving = [&] { return rawSaving; };
    settingsHost().setRawImageSaving = [&](bool on) { rawSaving = on; };
    SystemSettingWidget w;
    w.show();
    w.advanceFunc->switches[AdvanceFuncWidget::kRawImages]->setChecked(true);
    if (otherChange) {
        w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(gpWPara->input_timeout_len + 1);
        rig.prompter.queueAnswer(answer);
    }
    w.accept();
    QCOMPARE(rawSaving, raw);
    QCOMPARE(rig.prompter.unexpectedQuestions, 0);
}

// What acts only at the next start is said so; what can be rebuilt now is rebuilt.
void TestSettingsDialog::noticesAndRebuild() {
    SettingsRig rig;
    QList<CameraCommit> rebuilt;
    int panelRefreshed = 0;
    cameraPagesHost().rebuildModels = [&](const CameraCommit& c) { rebuilt << c; };
    settingsHost().refreshIndexPanel = [&] { ++panelRefreshed; };
    SystemSettingWidget w;
    w.show();
    w.advanceParam->rows[AdvanceparamWidget::kTemplates].slider->setValue(gpWPara->max_mold_num + 1);
    w.advanceParam->rows[AdvanceparamWidget::kAmplify].slider->setValue(
        gpWPara->difference_multiplier == 4 ? 3 : 4);
    w.advanceFunc->switches[AdvanceFuncWidget::kSnapshot]->setValue(gpWPara->snap_shot ? 0 : 1);
    w.networkParams->comBox->setCurrentIndex((gpWPara->serial_port + 1) % 4);  // the IO board's port
    w.ioParams->procedureGroup->button(kDetectTwoColour)->click();             // four steps: next start
    rig.prompter.queueAnswer(true);
    w.accept();
    QCOMPARE(rig.prompter.warnings, (QStringList{lan(276), lan(309), lan(662)}));
    QCOMPARE(rebuilt.size(), 1);
    QVERIFY(rebuilt[0].amplifyChanged && !rebuilt[0].positioningChanged && !rebuilt[0].stepsRederived);
    QCOMPARE(panelRefreshed, 1);
    QCOMPARE(gpWPara->detect_mode, int(kDetectStandard));
    QCOMPARE(gpWPara->detect_mode_next, int(kDetectTwoColour));
    QCOMPARE(rig.stored("numFailDetect").split(' ').value(0).toInt(), int(kDetectTwoColour));
    resetCameraPagesHost();
}

// The IO function page shows its factory rows by the box as it stands, before any commit.
void TestSettingsDialog::factoryBoxDecidesLive() {
    SettingsRig rig;
    gpWPara->factory_param = gpWParaBak->factory_param = 0;
    SystemSettingWidget w;
    w.show();
    QVERIFY(!w.factoryParamShown());
    w.advanceFunc->switches[AdvanceFuncWidget::kFactoryParam]->setChecked(true);
    QVERIFY(w.factoryParamShown());
    w.changeWidget(10);
    QVERIFY(w.ioFunctions->initialStateLabels[0]->isVisible());
    QCOMPARE(gpWParaBak->factory_param, 0);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
