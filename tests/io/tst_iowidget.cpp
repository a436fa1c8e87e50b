// The multi-detection IO page and the custom IO names dialog: the tick rule that shares detections
// out among the rows, the trigger cascade, count changes, names, what "Confirm" stores, and stored
// tables that do not make sense.
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "app/lanstr.h"
#include "io/customionamewidget.h"
#include "io/ionames.h"
#include "io/iowidget.h"
#include "iotestsupport.h"
#include "scriptedprompter.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"

class TestIOWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tickRuleSharesDetectionsInOrder();
    void confirmStoresEveryRow();
    void lastDetectionWithoutRowIsRefused();
    void triggerCascade();
    void lowerCountDropsTicksOutside();
    void boxesNamedAfterTheirOutputs();
    void resetClearsTicksOnly();
    void nonsenseStoredTable();
    void customNamesDialog();
    void customNamesConfirm();

private:
    // The page as built at start-up from the live record, with `count` detections.
    std::unique_ptr<IOWidget> makePage(int count);
    static QString enabledMap(IOWidget& page);  // per shown row: '.' free, 'x' ticked, '-' ruled out

    WizardPara live_;
    WizardPara bak_;
    FakeSettingsDialog dialog_;
    std::unique_ptr<ScriptedPrompter> prompter_;
};

void TestIOWidget::initTestCase() {
    loadLanguageTable();
}

void TestIOWidget::init() {
    resetAppGlobals();
    gLan = 1;
    live_ = WizardPara();
    live_.detect_mode = kDetectMulti;
    for (int i = 0; i < 8; ++i) {
        live_.multi_trig_row[i] = -1;
        live_.custom_input_func[i] = i;        // Mol op, clo door, op door, Thim O ...
        live_.custom_output_func[i] = 13 - i;  // Mac mov, Mov mol, R shift ...
    }
    bak_ = live_;
    gpWPara = &live_;
    gpWParaBak = &bak_;
    dialog_ = FakeSettingsDialog();
    prompter_ = std::make_unique<ScriptedPrompter>();
}

void TestIOWidget::cleanup() {
    prompter_.reset();
    resetAppGlobals();
}

std::unique_ptr<IOWidget> TestIOWidget::makePage(int count) {
    live_.multi_step_count = count;
    bak_.multi_step_count = count;
    auto page = std::make_unique<IOWidget>(&dialog_);
    return page;
}

QString TestIOWidget::enabledMap(IOWidget& page) {
    QStringList rows;
    for (int r = 0; r < page.count(); ++r) {
        QString s;
        for (int k = 0; k < page.count(); ++k) {
            CheckBox* b = page.rows[r]->boxes[k];
            s += b->isChecked() ? 'x' : b->isCheckable() ? '.' : '-';
        }
        rows << s;
    }
    return rows.join(' ');
}

void TestIOWidget::tickRuleSharesDetectionsInOrder() {
    auto page = makePage(3);
    QCOMPARE(page->count(), 3);
    QCOMPARE(enabledMap(*page), QString("... ... ..."));
    page->rows[0]->boxes[0]->click();
    page->rows[0]->boxes[1]->click();
    page->rows[1]->boxes[2]->click();
    QCOMPARE(enabledMap(*page), QString("xx- --x ---"));
    QCOMPARE(page->detectionRow(0), 0);
    QCOMPARE(page->detectionRow(1), 0);
    QCOMPARE(page->detectionRow(2), 1);
    // A ruled-out box cannot be ticked.
    page->rows[1]->boxes[0]->click();
    QCOMPARE(page->detectionRow(0), 0);
    // Unticking detection 1 frees it in rows 0 and 1; the other ticks still rule out their boxes.
    page->rows[0]->boxes[1]->click();
    QCOMPARE(page->detectionRow(1), -1);
    QCOMPARE(enabledMap(*page), QString("x.- -.x ---"));
    page->rows[1]->boxes[1]->click();
    QCOMPARE(enabledMap(*page), QString("x-- -xx ---"));
    QCOMPARE(page->detectionRow(1), 1);
}

void TestIOWidget::confirmStoresEveryRow() {
    auto page = makePage(3);
    page->rows[0]->boxes[0]->click();
    page->rows[0]->boxes[1]->click();
    page->rows[1]->boxes[2]->click();
    page->rows[1]->cutBox->setCurrentIndex(2);
    page->rows[1]->triggerBox->setCurrentIndex(1);  // logical input 1
    page->show();
    page->accept();
    QVERIFY(page->isHidden());
    QCOMPARE(bak_.multi_step_count, 3);
    const int rows[8] = {0, 0, 1, -1, -1, -1, -1, -1};
    for (int k = 0; k < 8; ++k) QCOMPARE(bak_.multi_trig_row[k], rows[k]);
    QCOMPARE(bak_.multi_trig_choice[0], 0);
    QCOMPARE(bak_.multi_trig_choice[1], 1);
    QCOMPARE(bak_.multi_trig_choice[2], 1);  // follows the row before it
    QCOMPARE(bak_.multi_cut_mode[1], 2);
    QCOMPARE(bak_.multi_cut_mode[0], 0);
    // Every row follows row 1's input, the hidden ones too: all eight are stored whatever the count.
    QStringList changed{"multi_trig_row[0]", "multi_trig_row[1]", "multi_trig_row[2]"};
    for (int r = 1; r < 8; ++r) changed << QString("multi_trig_choice[%1]").arg(r);
    changed << "multi_cut_mode[1]";
    QCOMPARE(changedFields(live_, bak_), changed);
    QCOMPARE(dialog_.recheckTexts, QStringList{"re-detect 3rd"});
    QCOMPARE(dialog_.pages, QList<int>{9});
    QCOMPARE(prompter_->warnings, QStringList());

    // Outside multi-detection (the procedure changes at the next start) the caption stays.
    bak_.detect_mode = 0;
    page->accept();
    QCOMPARE(dialog_.recheckTexts.size(), 1);
    QCOMPARE(dialog_.pages, (QList<int>{9, 9}));
}

void TestIOWidget::lastDetectionWithoutRowIsRefused() {
    auto page = makePage(4);
    page->rows[0]->boxes[0]->click();
    page->rows[1]->boxes[2]->click();
    page->show();
    page->accept();
    QCOMPARE(prompter_->warnings, QStringList{gaLanStr[512 * 3 + 1]});
    QVERIFY(page->isVisible());
    QCOMPARE(changedFields(live_, bak_), QStringList());
    QVERIFY(dialog_.pages.isEmpty());
}

void TestIOWidget::triggerCascade() {
    live_.multi_trig_choice[1] = 1;
    live_.multi_trig_choice[2] = 4;
    auto page = makePage(5);
    QCOMPARE(page->rows[0]->triggerBox->count(), 5);
    QCOMPARE(page->rows[1]->triggerBox->count(), 5);  // from row 0's choice 0 on
    QCOMPARE(page->rows[2]->triggerBox->count(), 4);  // from row 1's choice 1 on
    page->rows[0]->triggerBox->setCurrentIndex(3);
    for (int r = 1; r < 5; ++r) {
        IOCheckComBO* row = page->rows[r];
        QCOMPARE(row->triggerBox->count(), r < 3 ? 2 : 1);
        QCOMPARE(row->first(), r < 3 ? 3 : 4);
        QCOMPARE(row->triggerBox->itemText(0), inputFunctionName(r < 3 ? 3 : 4));
    }
    QCOMPARE(page->rows[1]->choice(), 3);  // was 1, no longer offered
    QCOMPARE(page->rows[2]->choice(), 4);  // still offered: kept
    QCOMPARE(page->rows[3]->choice(), 4);
    // Going back offers the earlier inputs again; the choices stay.
    page->rows[0]->triggerBox->setCurrentIndex(0);
    QCOMPARE(page->rows[1]->triggerBox->count(), 5);
    QCOMPARE(page->rows[1]->choice(), 3);
    QCOMPARE(page->rows[1]->triggerBox->currentText(), inputFunctionName(3));
}

void TestIOWidget::lowerCountDropsTicksOutside() {
    auto page = makePage(6);
    for (int i = 0; i < 6; ++i) page->rows[i]->boxes[i]->click();
    for (int k = 0; k < 6; ++k) QCOMPARE(page->detectionRow(k), k);
    page->countBox->setCurrentIndex(1);  // 3 times
    QCOMPARE(page->count(), 3);
    for (int k = 0; k < 8; ++k) QCOMPARE(page->detectionRow(k), k < 3 ? k : -1);
    QCOMPARE(enabledMap(*page), QString("x-- -x- --x"));
    for (int r = 0; r < 8; ++r) QCOMPARE(page->rows[r]->isHidden(), r >= 3);
    for (int k = 0; k < 8; ++k) QCOMPARE(page->rows[0]->boxes[k]->isHidden(), k >= 3);
    // Raising it again frees the new detections in every row.
    page->countBox->setCurrentIndex(3);  // 5 times
    QCOMPARE(enabledMap(*page), QString("x---- -x--- --x.. ---.. ---.."));
}

void TestIOWidget::boxesNamedAfterTheirOutputs() {
    auto page = makePage(2);
    // Detection 0 drives custom output 1, the last detection custom output 0 (clamping).
    QCOMPARE(page->rows[0]->boxes[0]->text(), outputFunctionName(12));
    QCOMPARE(page->rows[0]->boxes[1]->text(), outputFunctionName(13));
    QCOMPARE(page->rows[1]->triggerBox->itemText(0), QString("Mol op"));
    page->countBox->setCurrentIndex(6);
    QCOMPARE(page->rows[3]->boxes[6]->text(), outputFunctionName(6));
    QCOMPARE(page->rows[3]->boxes[7]->text(), outputFunctionName(13));
    // New function choices re-label the rows.
    page->setInputFunction(0, 9);
    page->setOutputFunction(0, 1);
    page->ResetIOName();
    QCOMPARE(page->rows[0]->triggerBox->itemText(0), QString("Mac up"));
    QCOMPARE(page->rows[5]->boxes[7]->text(), QString("Al thim"));
}

void TestIOWidget::resetClearsTicksOnly() {
    auto page = makePage(4);
    page->rows[0]->boxes[0]->click();
    page->rows[1]->boxes[1]->click();
    page->rows[2]->boxes[3]->click();
    page->rows[2]->cutBox->setCurrentIndex(1);
    page->rows[1]->triggerBox->setCurrentIndex(2);
    page->reset();
    QCOMPARE(enabledMap(*page), QString(".... .... .... ...."));
    for (int k = 0; k < 8; ++k) QCOMPARE(page->detectionRow(k), -1);
    QCOMPARE(page->count(), 4);
    QCOMPARE(page->cutMode(2), 1);
    QCOMPARE(page->rows[1]->choice(), 2);
}

// A stored table that the page could not have written: rows out of range or out of order, modes and
// choices outside their lists. The page starts from what makes sense of it and never indexes past
// its rows.
void TestIOWidget::nonsenseStoredTable() {
    const int rows[8] = {9, -7, 2, 1, 5, 0, 0, 0};
    const int modes[8] = {5, -1, 2, 1, 0, 0, 0, 0};
    const int choices[8] = {-3, 99, 1, 0, 0, 0, 0, 0};
    std::copy(rows, rows + 8, live_.multi_trig_row);
    std::copy(modes, modes + 8, live_.multi_cut_mode);
    std::copy(choices, choices + 8, live_.multi_trig_choice);
    live_.custom_input_func[3] = 40;
    auto page = makePage(4);
    QCOMPARE(page->detectionRow(0), -1);
    QCOMPARE(page->detectionRow(1), -1);
    QCOMPARE(page->detectionRow(2), 2);
    QCOMPARE(page->detectionRow(3), -1);  // row 1 cannot start a detection after row 2's
    for (int k = 4; k < 8; ++k) QCOMPARE(page->detectionRow(k), -1);
    QCOMPARE(enabledMap(*page), QString("..-- ..-- ..x. ---."));
    QCOMPARE(page->cutMode(0), 0);
    QCOMPARE(page->cutMode(1), 0);
    QCOMPARE(page->cutMode(2), 2);
    int previous = 0;
    for (int r = 0; r < 4; ++r) {
        const int c = page->rows[r]->choice();
        QVERIFY(c >= previous && c < 4);
        QCOMPARE(page->rows[r]->triggerBox->currentIndex(), c - page->rows[r]->first());
        previous = c;
    }
    QVERIFY(page->rows[0]->triggerBox->itemText(3).isEmpty());  // function 40 has no name
    page->rows[3]->boxes[3]->click();
    page->accept();
    QCOMPARE(prompter_->warnings, QStringList());
    const int stored[8] = {-1, -1, 2, 3, -1, -1, -1, -1};
    for (int k = 0; k < 8; ++k) QCOMPARE(bak_.multi_trig_row[k], stored[k]);
    for (int r = 0; r < 8; ++r) {
        QVERIFY(bak_.multi_cut_mode[r] >= 0 && bak_.multi_cut_mode[r] <= 2);
        QVERIFY(bak_.multi_trig_choice[r] >= 0 && bak_.multi_trig_choice[r] < 8);
    }
}

void TestIOWidget::customNamesDialog() {
    for (int i = 0; i < 8; ++i) live_.custom_input_func[i] = live_.custom_output_func[i] = 0;
    QWidget window;
    window.resize(1920, 1080);
    IOWidget page(&dialog_);
    CustomIONameWidget names(&window, &page, &dialog_);
    names.init();
    names.hide();
    const QStringList inputs{"Input 1", "Input 3", "Input 4", "Input 5",
                             "Input 6", "Input 7", "Input 8", "Input 9"};
    const QStringList outputs{"Output 1", "Output 2", "Output 4", "Output 5",
                              "Output 6", "Output 7", "Output 8", "Output 9"};
    for (int j = 0; j < 8; ++j) {
        QCOMPARE(names.labels[j]->text(), inputs[j]);
        QCOMPARE(names.labels[8 + j]->text(), outputs[j]);
        QCOMPARE(names.boxes[j]->count(), 16);
        QCOMPARE(names.boxes[8 + j]->count(), 14);
        QCOMPARE(names.boxes[j]->currentText(), QString("Mol op"));
        QCOMPARE(names.boxes[8 + j]->currentText(), QString("Al clam"));
    }
    window.show();
    names.show();
    QCOMPARE(names.geometry().center(), window.rect().center());
    // Nothing is cut: the panel fits the window, the grid fits the panel.
    QVERIFY(window.rect().contains(names.geometry()));
    QVERIFY(names.rect().contains(names.confirmButton->geometry()));
}

void TestIOWidget::customNamesConfirm() {
    QWidget window;
    window.resize(1920, 1080);
    auto page = makePage(3);
    CustomIONameWidget names(&window, page.get(), &dialog_);
    names.init();
    names.hide();
    QCOMPARE(names.boxes[1]->currentIndex(), 1);
    QCOMPARE(names.boxes[8]->currentIndex(), 13);
    names.show();
    names.boxes[1]->setCurrentIndex(3);  // Thim O
    names.boxes[9]->setCurrentIndex(8);  // Al thread
    names.confirmButton->click();
    QVERIFY(names.isHidden());
    QCOMPARE(dialog_.shown, 1);
    QCOMPARE(changedFields(live_, bak_), (QStringList{"custom_input_func[1]", "custom_output_func[1]"}));
    QCOMPARE(bak_.custom_input_func[1], 3);
    QCOMPARE(bak_.custom_output_func[1], 8);
    // The IO page takes the names at once: logical input 1 and the boxes of detection 0.
    QCOMPARE(page->inputFunction(1), 3);
    QCOMPARE(page->rows[0]->triggerBox->itemText(1), QString("Thim O"));
    QCOMPARE(page->rows[0]->boxes[0]->text(), QString("Al thread"));
}

QTEST_MAIN(TestIOWidget)
#include "tst_iowidget.moc"
