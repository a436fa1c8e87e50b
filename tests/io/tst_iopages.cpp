// The IO settings pages: each control loads its field of the working copy and writes back exactly
// that field; the shown slider values; the visibility rules of the procedure and polarity rows.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "io/iofunctionswidget.h"
#include "io/ioparamswidget.h"
#include "iotestsupport.h"
#include "tests/widgets/kittest.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

// Control kinds of the tables: a check box, a radio group or a combo box, by index on its page.
enum Kind { kOption, kInputMirror, kOutputMirror, kInitialState, kSlider, kProcedure, kCavity, kMultiState };

}  // namespace

Q_DECLARE_METATYPE(Kind)

class TestIOPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void functionsPageFields_data();
    void functionsPageFields();
    void paramsPageFields_data();
    void paramsPageFields();
    void shownSliderValue_data();
    void shownSliderValue();
    void typedSliderValue_data();
    void typedSliderValue();
    void noChoiceKeepsStoredValue();
    void multiFieldsOnlyInMultiDetection();
    void polarityRowsNeedFactoryDisplay();
    void multiPolarityRows_data();
    void multiPolarityRows();
    void procedureChoiceShowsItsControls();
    void checkBoxValue();

private:
    int value(QWidget* page, Kind kind, int index);
    void set(QWidget* page, Kind kind, int index, int v);

    WizardPara live_;
    WizardPara bak_;
};

void TestIOPages::initTestCase() {
    loadLanguageTable();
}

void TestIOPages::init() {
    resetAppGlobals();
    gLan = 1;
    live_ = WizardPara();
    bak_ = WizardPara();
    gpWPara = &live_;
    gpWParaBak = &bak_;
}

void TestIOPages::cleanup() {
    resetAppGlobals();
}

int TestIOPages::value(QWidget* w, Kind kind, int i) {
    auto* f = qobject_cast<IOFunctionsWidget*>(w);
    auto* p = qobject_cast<IOParamsWidget*>(w);
    switch (kind) {
        case kOption:
            return f->options[i]->value();
        case kInputMirror:
            return f->inputMirror->checkedId();
        case kOutputMirror:
            return f->outputMirror->checkedId();
        case kInitialState:
            return f->initialState[i]->checkedId();
        case kSlider:
            return p->sliders[i]->value();
        case kProcedure:
            return p->procedureGroup->checkedId();
        case kCavity:
            return p->cavityGroup->checkedId();
        case kMultiState:
            return p->initialStateBoxes[i]->currentIndex();
    }
    return -100;
}

void TestIOPages::set(QWidget* w, Kind kind, int i, int v) {
    auto* f = qobject_cast<IOFunctionsWidget*>(w);
    auto* p = qobject_cast<IOParamsWidget*>(w);
    switch (kind) {
        case kOption:
            f->options[i]->setValue(v);
            break;
        case kInputMirror:
            f->inputMirror->button(v)->click();
            break;
        case kOutputMirror:
            f->outputMirror->button(v)->click();
            break;
        case kInitialState:
            f->initialState[i]->button(v)->click();
            break;
        case kSlider:
            p->sliders[i]->setValue(v);
            break;
        case kProcedure:
            p->procedureGroup->button(v)->click();
            break;
        case kCavity:
            p->cavityGroup->button(v)->click();
            break;
        case kMultiState:
            p->initialStateBoxes[i]->setCurrentIndex(v);
            break;
    }
}

void TestIOPages::functionsPageFields_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("element");  // -1: a plain field
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("edited");
    const struct {
        const char* field;
        const char* label;
    } options[] = {
        {"enable_stop_mold", "Stop clamping when stopping detection"},
        {"mold_cutoff", "Cut ejector when clamping"},
        {"enable_stop_not_alarm", "Ejector pulse when NG in prod, don't' alarm"},
        {"cavity_ng_clamp",
         "When the mold cavity detects NG, the mold is closed and outputs pulses without "
         "alarming and shutting down."},
        {"ok_ng_pulse", "OK and NG output pulses"},
        {"is_cut_ontime", "Cut the clamping at fixed time after mold ok"},
        {"is_cut_ontime_thimble", "Cut the ejector at fixed time after Prod ok"},
        {"enable_trigger_safety", "Safety door trigger detection"},
        {"enable_disarm_before_open", "Open the safety door to lift the alarm"},
        {"temp_alarm_clamp", "Temperature alarm controls clamping"},
        {"cut_thimble_on_prod_alarm", "Cut ejector signal when pro detect alarm"},
        {"cut_clamp_on_mold_alarm", "Cut clamp signal when mold detect alarm"},
        {"detect_any_order", "detect with no particular orders"},
        {"cavity_trigger_recheck", "Cavity trigger recheck"},
        {"enable_cutoff_ontime", "No ejector signal control in prod"},
    };
    for (int i = 0; i < 15; ++i) {
        QTest::addRow("%s on", options[i].field)
            << kOption << i << options[i].field << -1 << options[i].label << 1 << 0;
        QTest::addRow("%s off", options[i].field)
            << kOption << i << options[i].field << -1 << options[i].label << 0 << 1;
    }
    QTest::newRow("input mirror") << kInputMirror << 0 << "enable_output_thimble_pulse" << -1 << "" << 2 << 3;
    QTest::newRow("output mirror") << kOutputMirror << 0 << "enable_mold_backup" << -1 << "" << 1 << 0;
    const char* states[] = {"Output 1 initial state", "Output 2 initial state", "Alarm initial state",
                            "Output 4 initial state"};
    for (int i = 0; i < 4; ++i)
        QTest::addRow("output %d polarity", i)
            << kInitialState << i << "output_inverted" << i << states[i] << 1 << 0;
}

void TestIOPages::functionsPageFields() {
    QFETCH(Kind, kind);
    QFETCH(int, index);
    QFETCH(QString, field);
    QFETCH(int, element);
    QFETCH(QString, label);
    QFETCH(int, stored);
    QFETCH(int, edited);
    IOFunctionsWidget page;
    if (kind == kOption) QCOMPARE(page.optionLabels[index]->text(), label);
    if (kind == kInitialState) QCOMPARE(page.initialStateLabels[index]->text(), label);
    *fieldOf(bak_, field, qMax(element, 0)) = stored;
    page.WizardParaInit();
    QCOMPARE(value(&page, kind, index), stored);
    const WizardPara before = bak_;
    page.accept();
    QCOMPARE(changedFields(before, bak_), QStringList());
    set(&page, kind, index, edited);
    page.accept();
    QCOMPARE(changedFields(before, bak_), QStringList{fieldName(field, element, element >= 0)});
    QCOMPARE(*fieldOf(bak_, field, qMax(element, 0)), edited);
}

void TestIOPages::paramsPageFields_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("element");
    QTest::addColumn<bool>("multi");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("edited");
    QTest::newRow("I-Time") << kSlider << 0 << "input_timeout_len" << -1 << false << 1234 << 10000;
    QTest::newRow("Ejector P") << kSlider << 1 << "thimble_pulse" << -1 << false << 15 << 1000;
    QTest::newRow("Clamp P") << kSlider << 2 << "mold_pulse" << -1 << false << 20 << 7;
    QTest::newRow("Pre-Cut") << kSlider << 3 << "pre_cut" << -1 << false << 35 << 0;
    QTest::newRow("Shake erase time") << kSlider << 4 << "shake_erase_time" << -1 << false << 100 << 3;
    QTest::newRow("procedure") << kProcedure << 0 << "detect_mode_next" << -1 << false << 3 << 1;
    QTest::newRow("procedure to multi") << kProcedure << 0 << "detect_mode_next" << -1 << false << 0 << 4;
    QTest::newRow("cavity") << kCavity << 0 << "cavity_pos" << -1 << false << 1 << 2;
    QTest::newRow("slider in multi-detection") << kSlider << 3 << "pre_cut" << -1 << true << 35 << 40;
    for (int k = 0; k < 5; ++k)
        QTest::addRow("output %d polarity", 4 + k)
            << kMultiState << k << "output_inverted" << 4 + k << true << (k % 2) << 1 - (k % 2);
}

void TestIOPages::paramsPageFields() {
    QFETCH(Kind, kind);
    QFETCH(int, index);
    QFETCH(QString, field);
    QFETCH(int, element);
    QFETCH(bool, multi);
    QFETCH(int, stored);
    QFETCH(int, edited);
    if (multi) {
        live_.detect_mode = bak_.detect_mode = bak_.detect_mode_next = kDetectMulti;
        bak_.enable_prod_detect = 1;  // a multi-detection commit always stores it on
    }
    IOParamsWidget page;
    *fieldOf(bak_, field, qMax(element, 0)) = stored;
    page.WizardParaInit();
    QCOMPARE(value(&page, kind, index), stored);
    const WizardPara before = bak_;
    page.accept();
    QCOMPARE(changedFields(before, bak_), QStringList());
    set(&page, kind, index, edited);
    page.accept();
    QCOMPARE(changedFields(before, bak_), QStringList{fieldName(field, element, element >= 0)});
    QCOMPARE(*fieldOf(bak_, field, qMax(element, 0)), edited);
}

void TestIOPages::shownSliderValue_data() {
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("pre-cut in tenths") << int(IOParamsWidget::kPreCut) << 35 << "3.5";
    QTest::newRow("whole seconds without decimals") << int(IOParamsWidget::kClampPulse) << 20 << "2";
    QTest::newRow("ejector pulse") << int(IOParamsWidget::kEjectorPulse) << 15 << "1.5";
    QTest::newRow("shake erase") << int(IOParamsWidget::kShakeErase) << 7 << "0.7";
    QTest::newRow("I-Time as it is") << int(IOParamsWidget::kInputTimeout) << 1234 << "1234";
    // The slider starts at 0: a stored 0 does not move it, the value is shown all the same.
    QTest::newRow("unchanged zero") << int(IOParamsWidget::kPreCut) << 0 << "0";
    QTest::newRow("I-Time unchanged zero") << int(IOParamsWidget::kInputTimeout) << 0 << "0";
}

void TestIOPages::shownSliderValue() {
    QFETCH(int, slider);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    IOParamsWidget page;
    bak_.input_timeout_len = bak_.thimble_pulse = bak_.mold_pulse = bak_.pre_cut = bak_.shake_erase_time =
        stored;
    page.WizardParaInit();
    QCOMPARE(page.sliders[slider]->value(), stored);
    QCOMPARE(page.valueLabels[slider]->text(), shown);
    page.sliders[slider]->setValue(stored + 5);
    QCOMPARE(page.valueLabels[slider]->text(), slider == IOParamsWidget::kInputTimeout
                                                   ? QString::number(stored + 5)
                                                   : QString::number((stored + 5) / 10.0));
}

void TestIOPages::typedSliderValue_data() {
    QTest::addColumn<int>("slider");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("pre-cut in seconds") << int(IOParamsWidget::kPreCut) << "2.5" << 25 << "2.5";
    QTest::newRow("pre-cut beyond 10 s") << int(IOParamsWidget::kPreCut) << "50" << 100 << "10";
    QTest::newRow("clamp pulse beyond 100 s") << int(IOParamsWidget::kClampPulse) << "999" << 1000 << "100";
    QTest::newRow("I-Time beyond its range")
        << int(IOParamsWidget::kInputTimeout) << "123456" << 10000 << "10000";
    QTest::newRow("many digits") << int(IOParamsWidget::kShakeErase) << "99999999999999999999" << 100 << "10";
}

// A value typed on the keypad of a slider's value label is held within the slider's range, and the
// label shows what the slider took.
void TestIOPages::typedSliderValue() {
    QFETCH(int, slider);
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, shown);
    IOParamsWidget page;
    page.WizardParaInit();
    QStringList keys;
    for (QChar c : typed) keys << QString(c);
    keys << "confirmButton";
    kittest::ModalDriver drive([&](QWidget* keypad) { kittest::pressAll(keypad, keys); });
    QTest::mousePress(page.valueLabels[slider], Qt::LeftButton);
    QVERIFY(drive.fired);
    QCOMPARE(page.sliders[slider]->value(), value);
    QCOMPARE(page.valueLabels[slider]->text(), shown);
    page.accept();
    const int32_t stored[] = {bak_.input_timeout_len, bak_.thimble_pulse, bak_.mold_pulse, bak_.pre_cut,
                              bak_.shake_erase_time};
    QCOMPARE(int(stored[slider]), value);
}

// A stored value without a button (the standard procedure without cavity re-check, 5, has none)
// shows no choice; confirming the dialog must not turn it into a procedure nobody chose.
void TestIOPages::noChoiceKeepsStoredValue() {
    bak_.detect_mode = bak_.detect_mode_next = kDetectStandardNoRecheck;
    bak_.cavity_pos = 3;
    bak_.enable_mold_backup = 7;
    bak_.output_inverted[2] = 2;
    IOParamsWidget params;
    IOFunctionsWidget functions;
    params.WizardParaInit();
    functions.WizardParaInit();
    QCOMPARE(params.procedureGroup->checkedId(), -1);
    QCOMPARE(params.cavityGroup->checkedId(), -1);
    QCOMPARE(functions.outputMirror->checkedId(), -1);
    QCOMPARE(functions.initialState[2]->checkedId(), -1);
    const WizardPara before = bak_;
    params.accept();
    functions.accept();
    QCOMPARE(changedFields(before, bak_), QStringList());
    // Loading over a previous choice clears it.
    bak_.detect_mode_next = 2;
    params.WizardParaInit();
    QCOMPARE(params.procedureGroup->checkedId(), 2);
    bak_.detect_mode_next = 5;
    params.WizardParaInit();
    QCOMPARE(params.procedureGroup->checkedId(), -1);
}

void TestIOPages::multiFieldsOnlyInMultiDetection() {
    IOParamsWidget page;  // built outside multi-detection: no polarity boxes
    QVERIFY(!page.initialStateLabel);
    for (QComboBox* b : page.initialStateBoxes) QVERIFY(!b);
    for (int k = 4; k < 9; ++k) bak_.output_inverted[k] = 1;
    bak_.enable_prod_detect = 0;
    page.WizardParaInit();
    const WizardPara before = bak_;
    page.accept();
    QCOMPARE(changedFields(before, bak_), QStringList());
    // The working copy in multi-detection while the page was built without it: nothing to store.
    bak_.detect_mode = kDetectMulti;
    page.WizardParaInit();
    page.accept();
    QCOMPARE(bak_.enable_prod_detect, 0);

    live_.detect_mode = kDetectMulti;
    IOParamsWidget multi;
    QVERIFY(multi.initialStateLabel);
    multi.WizardParaInit();
    multi.accept();
    QCOMPARE(bak_.enable_prod_detect, 1);  // "Enable the 1st detection" is always on there
}

void TestIOPages::polarityRowsNeedFactoryDisplay() {
    FakeSettingsDialog dialog;
    IOFunctionsWidget page(nullptr, &dialog);
    for (bool factory : {false, true, false}) {
        dialog.factory = factory;
        page.hide();
        page.show();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(page.initialStateLabels[i]->isVisible(), factory);
            for (QAbstractButton* b : page.initialState[i]->buttons()) QCOMPARE(b->isVisible(), factory);
        }
        QVERIFY(page.options[0]->isVisible());
        QVERIFY(page.inputMirror->button(0)->isVisible());
    }
}

void TestIOPages::multiPolarityRows_data() {
    QTest::addColumn<bool>("factory");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("shown");  // boxes of outputs 4, 5 ... shown; -1: the row hidden whole
    QTest::newRow("five detections") << true << 5 << 2;
    QTest::newRow("eight detections") << true << 8 << 5;
    QTest::newRow("three detections") << true << 3 << 0;
    QTest::newRow("no factory display") << false << 8 << -1;
}

void TestIOPages::multiPolarityRows() {
    QFETCH(bool, factory);
    QFETCH(int, steps);
    QFETCH(int, shown);
    live_.detect_mode = bak_.detect_mode = kDetectMulti;
    bak_.multi_step_count = steps;
    FakeSettingsDialog dialog;
    dialog.factory = factory;
    IOParamsWidget page(nullptr, &dialog);
    page.WizardParaInit();
    page.show();
    QCOMPARE(page.initialStateLabel->isVisible(), shown >= 0);
    for (int k = 0; k < 5; ++k) QCOMPARE(page.initialStateBoxes[k]->isVisible(), k < shown);
}

void TestIOPages::procedureChoiceShowsItsControls() {
    FakeSettingsDialog dialog;
    IOParamsWidget page(nullptr, &dialog);
    page.resize(1565, 982);
    bak_.detect_mode_next = 0;
    page.WizardParaInit();
    page.show();
    auto cavityButtonsShown = [&] {
        for (QAbstractButton* b : page.cavityGroup->buttons())
            if (!b->isVisible()) return false;
        return true;
    };
    QVERIFY(!page.cavityLabel->isVisible());
    QVERIFY(!page.customIOButton->isVisible());
    page.procedureGroup->button(kDetectTwoColour)->click();
    QVERIFY(page.cavityLabel->isVisible());
    QVERIFY(cavityButtonsShown());
    QVERIFY(!page.customIOButton->isVisible() && !page.ioNameButton->isVisible());
    page.procedureGroup->button(kDetectMulti)->click();
    QVERIFY(page.cavityLabel->isVisible());
    QVERIFY(page.customIOButton->isVisible() && page.ioNameButton->isVisible());
    QVERIFY(!page.cavityGroup->button(0)->isVisible());
    page.procedureGroup->button(kDetectAutoParts)->click();
    QVERIFY(!page.cavityLabel->isVisible() && !page.customIOButton->isVisible());
    QCOMPARE(bak_.detect_mode_next, 0);  // only the confirmed dialog stores the choice
    // The buttons on the shared line never cover one another.
    QList<QWidget*> line{page.cavityLabel};
    for (QAbstractButton* b : page.cavityGroup->buttons()) line << b;
    for (int i = 0; i + 1 < line.size(); ++i)
        QVERIFY2(line[i]->geometry().right() < line[i + 1]->geometry().left(),
                 qPrintable(QString::number(i)));
    QVERIFY(page.customIOButton->geometry().right() < page.ioNameButton->geometry().left());
}

// The pages' on/off value: any non-zero value checks, a partial check reads as off.
void TestIOPages::checkBoxValue() {
    CheckBox box(nullptr, QString());
    box.setValue(-1);
    QVERIFY(box.isChecked());
    QCOMPARE(box.value(), 1);
    box.setValue(0);
    QCOMPARE(box.value(), 0);
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    QCOMPARE(box.value(), 0);
    QCOMPARE(box.palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::yellow));
}

QTEST_MAIN(TestIOPages)
#include "tst_iopages.moc"
