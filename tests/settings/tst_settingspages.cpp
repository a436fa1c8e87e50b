// The system, advanced, help and hardware pages: captions and ranges, loading from the working copy,
// storing on commit, and the two file viewers.
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include "settings/advancedpages.h"
#include "settings/helpwidget.h"
#include "settings/systempages.h"
#include "settings/systemsettingwidget.h"
#include "camera/cameraglobals.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"
#include "settingsrig.h"

class TestSettingsPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void cleanup() { gLan = 1; }
    void systemParamSliders_data();
    void systemParamSliders();
    void reCheckCaption();
    void systemFunctions();
    void advancedSliders();
    void screenOffRaisedToTen();
    void advancedSwitches();
    void pageCount_data();
    void pageCount();
    void pageButtons_data();
    void pageButtons();
    void helpPages_data();
    void helpPages();
    void hardwareConfiguration();
    void installedHardwareList_data();
    void installedHardwareList();
};

void TestSettingsPages::systemParamSliders_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("product delay 25") << int(SystemParamsWidget::kProdDelay) << 25 << "2.5";
    QTest::newRow("mould delay 7") << int(SystemParamsWidget::kMoldDelay) << 7 << "0.7";
    QTest::newRow("re-check delay 100") << int(SystemParamsWidget::kReCheckDelay) << 100 << "10";
    QTest::newRow("filter 4") << int(SystemParamsWidget::kFilter) << 4 << "4";
    QTest::newRow("area 300") << int(SystemParamsWidget::kArea) << 300 << "300";
    QTest::newRow("re-check count 3") << int(SystemParamsWidget::kReCheck) << 3 << "3";
}

void TestSettingsPages::systemParamSliders() {
    QFETCH(int, row);
    QFETCH(int, value);
    QFETCH(QString, shown);
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    SystemParamsWidget* page = w.systemParams;
    QVERIFY(!page->rows[row].caption->text().isEmpty());
    page->rows[row].slider->setValue(value);
    QCOMPARE(page->rows[row].value->text(), shown);
    page->accept();
    const int stored[] = {gpWParaBak->trig_in_delay[0],      gpWParaBak->trig_in_delay[1],
                          gpWParaBak->minimum_size,          gpWParaBak->minimum_area,
                          gpWParaBak->front_auto_check_time, gpWParaBak->re_check_delay};
    QCOMPARE(stored[row], value);
    // Loaded back from the working copy on the next opening.
    page->rows[row].slider->setValue(page->rows[row].slider->minimum());
    w.hide();
    w.show();
    QCOMPARE(page->rows[row].slider->value(), value);
}

void TestSettingsPages::reCheckCaption() {
    SettingsRig rig;
    gpWPara->detect_mode = kDetectMulti;
    gpWPara->multi_step_count = 4;
    SystemParamsWidget page;
    QCOMPARE(page.reCheck1Label->text(), lan(511).arg(lan(480)));
    QCOMPARE(page.rows[SystemParamsWidget::kProdDelay].caption->text(), lan(508));
    gpWPara->detect_mode = kDetectStandard;
    SystemParamsWidget standard;
    QCOMPARE(standard.reCheck1Label->text(), lan(167));
}

// Positioning is stored as the box's state minus one; "Template auto update" is kept though hidden
// outside the automatic-parts procedure; opening the dialog empties the password fields.
void TestSettingsPages::systemFunctions() {
    SettingsRig rig;
    gpWPara->detect_mode = kDetectStandard;
    gpWParaBak->enable_correct = -1;
    gpWParaBak->template_auto_update = 1;
    SystemSettingWidget w;
    w.changeWidget(1);
    w.show();
    SystemFunctionsWidget* page = w.systemFunctions;
    QVERIFY(!page->switches[SystemFunctionsWidget::kPositioning]->isChecked());
    QVERIFY(!page->switches[SystemFunctionsWidget::kAutoUpdate]->isVisible());
    QVERIFY(page->switches[SystemFunctionsWidget::kPassword]->isVisible());
    page->switches[SystemFunctionsWidget::kPositioning]->setChecked(true);
    page->newPwdEdit->setText("1234");
    page->accept();
    QCOMPARE(gpWParaBak->enable_correct, 0);
    QCOMPARE(gpWParaBak->template_auto_update, 1);
    page->switches[SystemFunctionsWidget::kPositioning]->setChecked(false);
    page->accept();
    QCOMPARE(gpWParaBak->enable_correct, -1);
    w.hide();
    w.show();
    QVERIFY(page->newPwdEdit->text().isEmpty());
    QVERIFY(page->confirmPwdEdit->text().isEmpty());
}

void TestSettingsPages::advancedSliders() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    AdvanceparamWidget* page = w.advanceParam;
    const struct {
        int row, min, max, value;
        int32_t WizardPara::*field;
    } table[] = {
        {AdvanceparamWidget::kOffset, 1, 8000, 500, &WizardPara::location_adge},
        {AdvanceparamWidget::kAmplify, 0, 4, 3, &WizardPara::difference_multiplier},
        {AdvanceparamWidget::kMinSpot, 1, 20, 7, &WizardPara::min_spot},
        {AdvanceparamWidget::kAngle, 0, 180, 45, &WizardPara::match_angle},
        {AdvanceparamWidget::kScreenOff, 0, 9999, 600, &WizardPara::screen_off_time},
        {AdvanceparamWidget::kLogout, 0, 1000, 120, &WizardPara::auto_cancel_timelen},
        {AdvanceparamWidget::kTemplates, 0, 50, 12, &WizardPara::max_mold_num},
        {AdvanceparamWidget::kNgRec, 0, 500, 250, &WizardPara::ng_max_num},
        {AdvanceparamWidget::kOkRec, 0, 500, 150, &WizardPara::ok_record_max_num},
    };
    for (const auto& r : table) {
        QSlider* s = page->rows[r.row].slider;
        QCOMPARE(s->minimum(), r.min);
        QCOMPARE(s->maximum(), r.max);
        QVERIFY(!page->rows[r.row].caption->text().isEmpty());
        s->setValue(r.value);
        QCOMPARE(page->rows[r.row].value->text(), QString::number(r.value));
    }
    page->accept();
    for (const auto& r : table) QCOMPARE(gpWParaBak->*r.field, r.value);
}

void TestSettingsPages::screenOffRaisedToTen() {
    SettingsRig rig;
    AdvanceparamWidget page;
    QSlider* s = page.rows[AdvanceparamWidget::kScreenOff].slider;
    s->setValue(5);
    QCOMPARE(s->value(), 10);
    QCOMPARE(page.rows[AdvanceparamWidget::kScreenOff].value->text(), QStringLiteral("10"));
    s->setValue(0);
    QCOMPARE(s->value(), 0);
}

void TestSettingsPages::advancedSwitches() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    AdvanceFuncWidget* page = w.advanceFunc;
    for (int i = 0; i < AdvanceFuncWidget::kSwitches; ++i) QVERIFY(!page->switchLabels[i]->text().isEmpty());
    const int before = gpWParaBak->log_to_file;
    page->switches[AdvanceFuncWidget::kLogToFile]->setValue(before ? 0 : 1);
    page->accept();
    QCOMPARE(gpWParaBak->log_to_file, before ? 0 : 1);
}

void TestSettingsPages::pageCount_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<int>("visible");
    QTest::addColumn<int>("pages");
    QTest::newRow("no rows") << 0 << 30 << 600 << 0;
    QTest::newRow("one row") << 1 << 30 << 600 << 1;
    QTest::newRow("many rows") << 100 << 30 << 600 << 6;  // 19 a page
    QTest::newRow("room for one row only") << 5 << 30 << 40 << 5;
    QTest::newRow("no row height") << 5 << 0 << 600 << 5;
}

void TestSettingsPages::pageCount() {
    QFETCH(int, rows);
    QFETCH(int, rowHeight);
    QFETCH(int, visible);
    QFETCH(int, pages);
    QCOMPARE(SystemLogWidget::pageCountFor(rows, rowHeight, visible), pages);
}

// The page bar offers a numbered button for each page there is (at most four), no more.
void TestSettingsPages::pageButtons_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("empty day") << 0;
    QTest::newRow("one page") << 5;
    QTest::newRow("two pages") << 40;
    QTest::newRow("many pages") << 400;
}

void TestSettingsPages::pageButtons() {
    QFETCH(int, rows);
    SystemLogWidget log;
    log.resize(1500, 800);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    QStandardItemModel model(rows, 3);
    log.recordTable->setModel(&model);
    log.modelChange();
    QCOMPARE(log.pages, SystemLogWidget::pageCountFor(rows, rows ? log.recordTable->rowHeight(0) : 0,
                                                      log.recordTable->viewport()->height()));
    if (rows == 40) QCOMPARE(log.pages, 2);
    QPushButton* numbered[4] = {log.pageBar->pageButton1, log.pageBar->pageButton2, log.pageBar->pageButton3,
                                log.pageBar->pageButton4};
    for (int k = 0; k < 4; ++k) QCOMPARE(numbered[k]->isVisible(), k < log.pages);
    log.recordTable->setModel(nullptr);
}

void TestSettingsPages::helpPages_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pages");
    QTest::newRow("sixty pages: the first fifty") << 0 << 60 << 50;
    QTest::newRow("three pages, English folder") << 1 << 3 << 3;
    QTest::newRow("Traditional Chinese reads its own folder") << 2 << 2 << 2;
    QTest::newRow("empty folder: the camera picture") << 0 << 0 << 1;
}

void TestSettingsPages::helpPages() {
    QFETCH(int, language);
    QFETCH(int, files);
    QFETCH(int, pages);
    SettingsRig rig;
    gLan = language;
    const QString folder = language == 0 ? "help" : language == 2 ? "help-tw" : "help-en";
    const QString other = language == 0 ? "help-en" : "help";
    QVERIFY(QDir().mkpath(folder));
    QDir().mkpath(other);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int i = 0; i < files; ++i)
        QVERIFY(image.save(QStringLiteral("%1/page%2.png").arg(folder).arg(i, 2, 10, QChar('0'))));
    QVERIFY(QFile::copy(folder + "/page00.png", other + QString("/other.png")) || files == 0);
    HelpWidget help;
    QCOMPARE(help.pageCount(), pages);
    if (files > 0) {
        QCOMPARE(help.pageFiles().first(), QStringLiteral("page00.png"));
        QCOMPARE(help.pageFiles().last(), QStringLiteral("page%1.png").arg(pages - 1, 2, 10, QChar('0')));
    }
    // Paging wraps within the pages held; the alarm page never lies beyond them.
    help.SlotLast();
    QCOMPARE(gHelpC, pages - 1);
    help.SlotNext();
    QCOMPARE(gHelpC, 0);
    help.SlotAlarm();
    QCOMPARE(gHelpC, qMin(4, pages - 1));
    gHelpC = 99;  // shared: another screen may have set anything
    help.SlotNext();
    QCOMPARE(gHelpC, 0);
    help.resize(400, 300);
    QImage canvas(400, 300, QImage::Format_ARGB32);
    gHelpC = 99;
    help.render(&canvas);  // paints a page without reading beyond the pages held
}

void TestSettingsPages::hardwareConfiguration() {
    SettingsRig rig;
    QVERIFY(rig.dir.writeFile("conf.txt", "Panel_computer\nCPU\tQuad_core_1.8_GHz\n\nCount\t9\nCameras\n"));
    gCameraID = kCameraNone;
    numCamera = 4;
    HardwareConfigurationWidget dialog;
    QCOMPARE(dialog.keyLabels.size(), 4);
    QCOMPARE(dialog.keyLabels[0]->text(), lan(690));  // "Panel computer" in the language shown
    QVERIFY(dialog.keyLabels[0]->styleSheet().contains("cyan"));
    QCOMPARE(dialog.valueLabels[1]->text(), QStringLiteral("Quad core 1.8 GHz"));
    QVERIFY(dialog.valueLabels[1]->styleSheet().contains("yellow"));
    dialog.show();
    QCOMPARE(dialog.countLabel->text(), QStringLiteral("0"));  // no camera back-end
    dialog.hide();
    gCameraID = 1;
    numCamera = 3;
    dialog.show();
    QCOMPARE(dialog.countLabel->text(), QStringLiteral("3"));
    QSignalSpy confirmed(&dialog, &HardwareConfigurationWidget::confirmed);
    dialog.confirmButton->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(confirmed.size(), 1);
    gCameraID = kCameraNone;
    numCamera = 0;
}

void TestSettingsPages::installedHardwareList_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("panelKey");
    QTest::newRow("zh") << 0 << QString::fromUtf8("面板计算机");
    QTest::newRow("en") << 1 << "Panel computer";
    QTest::newRow("tw") << 2 << QString::fromUtf8("面板電腦");
}

// The list installed with the program claims no figures of a panel it does not know; its keys are in
// the language shown, and the profile row says that this computer is simulated.
void TestSettingsPages::installedHardwareList() {
    QFETCH(int, language);
    QFETCH(QString, panelKey);
    SettingsRig rig;
    gLan = language;
    QFile source(qEnvironmentVariable("MONITOR_SOURCE_DIR") + "/resources/conf.txt");
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray text = source.readAll();
    for (const char* invented : {"GHz", "GB", "cores", "Inputs", "Outputs"})
        QVERIFY2(!text.contains(invented), invented);
    QVERIFY(rig.dir.writeFile("conf.txt", text));
    HardwareConfigurationWidget dialog;
    QVERIFY(!dialog.keyLabels.isEmpty());
    QCOMPARE(dialog.keyLabels[0]->text(), panelKey);
    QCOMPARE(dialog.keyLabels[1]->text(), lan(691));
    QCOMPARE(dialog.valueLabels[1]->text(), lan(698));
}

QTEST_MAIN(TestSettingsPages)
#include "tst_settingspages.moc"
