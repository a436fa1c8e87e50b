#include "iowidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "ionames.h"
#include "iosettingsdialog.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"

namespace {

constexpr int kCutModes = 3;  // 0 Cut All, 1 Cut self, 2 Not Cut
constexpr int kIOParamsPage = 9;
// Width of one detection box: eight of them with the two boxes of a row fit the 1725-pixel page
// (30 + 200 + 8 x (148 + 10) + 10 + 200 = 1704), with a smaller switch image than the settings
// pages' so that the output's name beside it stays whole.
constexpr int kBoxWidth = 148;
const char* const kRowStyle = "QCheckBox::indicator{width:56px;height:30px;}";
// Less padding than the application's, so that "Cut self" in Chinese fits beside the arrow.
const char* const kRowBoxStyle = "QComboBox{padding:1px 4px 1px 10px;}";

QFont microhei(int px) {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(px);
    return f;
}

void setTextColour(QWidget* w, const QColor& c) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::All, QPalette::WindowText, c);
    w->setPalette(pal);
}

bool validRow(int r) {
    return r >= 0 && r < kMultiRows;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// IOCheckComBO

IOCheckComBO::IOCheckComBO(IOWidget* owner, QString text, int n) : QWidget(owner), m_owner(owner) {
    m_layout = new QHBoxLayout(this);
    m_layout->setSpacing(10);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    setStyleSheet(kRowStyle);
    if (!text.isEmpty()) {
        label = new QLabel(text, this);
        m_layout->addWidget(label);
    }
    triggerBox = new ComboBox(this);
    triggerBox->setFixedSize(200, 50);
    triggerBox->setFont(microhei(28));
    triggerBox->setItemHeight(50);
    triggerBox->setStyleSheet(triggerBox->styleSheet() + kRowBoxStyle);
    m_layout->addWidget(triggerBox);
    if (n < 0) n = 0;
    if (n > kMultiDetections) n = kMultiDetections;
    for (int k = 0; k < n; ++k) {
        boxes[k] = new CheckBox(this, QString());
        boxes[k]->setFixedSize(kBoxWidth, 50);
        m_layout->addWidget(boxes[k]);
    }
    cutBox = new ComboBox(this);
    cutBox->setFixedSize(200, 50);
    cutBox->setFont(microhei(28));
    cutBox->setItemHeight(50);
    cutBox->setStyleSheet(cutBox->styleSheet() + kRowBoxStyle);
    m_layout->addWidget(cutBox);

    typedef void (IOCheckComBO::*Click)(int);
    static const Click kClick[kMultiDetections] = {&IOCheckComBO::Slotclick0, &IOCheckComBO::Slotclick1,
                                                   &IOCheckComBO::Slotclick2, &IOCheckComBO::Slotclick3,
                                                   &IOCheckComBO::Slotclick4, &IOCheckComBO::Slotclick5,
                                                   &IOCheckComBO::Slotclick6, &IOCheckComBO::Slotclick7};
    for (int k = 0; k < n; ++k) connect(boxes[k], &QCheckBox::stateChanged, this, kClick[k]);
    connect(triggerBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &IOCheckComBO::SlotChangeTrigin);
    connect(cutBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &IOCheckComBO::SlotChangeCutMode);
}

void IOCheckComBO::fillTriggerItems() {
    triggerBox->clear();
    for (int j = m_first; j < m_count; ++j) triggerBox->addItem(inputFunctionName(m_owner->inputFunction(j)));
}

void IOCheckComBO::SetIONum(int count, int first) {
    if (count < 2) count = 2;
    if (count > kMultiDetections) count = kMultiDetections;
    m_count = count;
    triggerBox->blockSignals(true);
    if (first < 0) first = 0;
    m_first = first;
    if (first < count) {
        fillTriggerItems();
        if (m_choice >= count) m_choice = count - 1;
        if (m_choice < first) m_choice = first;  // never left on an input the row does not offer
        triggerBox->setCurrentIndex(m_choice - m_first);
    } else {
        m_first = count - 1;
        m_choice = count - 1;
        fillTriggerItems();
        triggerBox->setCurrentIndex(0);
    }
    triggerBox->blockSignals(false);
    for (int k = 0; k < kMultiDetections; ++k)
        if (boxes[k]) boxes[k]->setVisible(k < count);
}

void IOCheckComBO::updateTriginCombo(int first) {
    if (first < 0) first = 0;
    if (first > m_count - 1) first = m_count - 1;
    const int offset = m_choice - first;
    triggerBox->blockSignals(true);
    m_first = first;
    fillTriggerItems();
    if (offset < 0) {
        m_choice = first;
        triggerBox->setCurrentIndex(0);
    } else {
        if (offset >= triggerBox->count()) m_choice = m_count - 1;
        triggerBox->setCurrentIndex(m_choice - m_first);
    }
    triggerBox->blockSignals(false);
    emit changeTrigin(m_row, m_choice);
}

void IOCheckComBO::resetName() {
    for (int i = 0; i < m_count && i < kMultiDetections; ++i) {
        if (i < triggerBox->count())
            triggerBox->setItemText(i, inputFunctionName(m_owner->inputFunction(m_first + i)));
        // Detection i drives custom output i + 1; the last detection custom output 0 (clamping).
        const int m = i + 1 < m_count ? i + 1 : 0;
        if (boxes[i]) boxes[i]->setText(outputFunctionName(m_owner->outputFunction(m)));
    }
}

void IOCheckComBO::setCheckdisable(int k, bool enable) {
    if (k < 0 || k >= kMultiDetections || !boxes[k]) return;
    CheckBox* b = boxes[k];
    if (enable) {
        b->setCheckable(true);
        setTextColour(b, Qt::yellow);
    } else {
        b->setChecked(false);  // reports like an untick: the detection loses this row
        b->setCheckable(false);
        setTextColour(b, Qt::gray);
    }
    update();
}

void IOCheckComBO::setCheckdisables(bool enable) {
    for (int k = 0; k < kMultiDetections; ++k) setCheckdisable(k, enable);
}

bool IOCheckComBO::getCheckComboStatus(int k) const {
    return k >= 0 && k < kMultiDetections && boxes[k] && boxes[k]->isChecked();
}

void IOCheckComBO::setCheckComboStatus(int k, bool on) {
    if (k >= 0 && k < kMultiDetections && boxes[k]) boxes[k]->setChecked(on);
}

void IOCheckComBO::Slotclick(int k, int state) {
    if (k < 0 || k >= kMultiDetections) return;
    m_owner->m_detectRow[k] = state != 0 ? m_row : -1;
    emit clickeCheckBox(m_row, k, state);
}

void IOCheckComBO::SlotChangeTrigin(int index) {
    if (index < 0) return;
    m_choice = index + m_first;
    emit changeTrigin(m_row, m_choice);
}

void IOCheckComBO::SlotChangeCutMode(int mode) {
    if (mode >= 0 && mode < kCutModes) m_owner->m_cutMode[m_row] = mode;
}

// ---------------------------------------------------------------------------------------------------
// IOWidget

IOWidget::IOWidget(IOSettingsDialog* dialog) : QWidget(nullptr), m_dialog(dialog) {
    setWindowFlags(Qt::Popup | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint);
    setGeometry(0, 98, 1725, 982);
    for (int k = 0; k < kMultiDetections; ++k) m_detectRow[k] = -1;
    for (int r = 0; r < kMultiRows; ++r) {
        m_cutMode[r] = 0;
        m_inFunc[r] = gpWPara ? gpWPara->custom_input_func[r] : 0;
        m_outFunc[r] = gpWPara ? gpWPara->custom_output_func[r] : 0;
    }
    m_layout = new QVBoxLayout(this);

    countBox = new ComboBox(this);
    countBox->setGeometry(40, 30, 220, 40);  // wide enough for "8 times" beside the drop-down arrow
    countBox->setFont(microhei(32));
    countBox->setItemHeight(40);

    for (int r = 0; r < kMultiRows; ++r) {
        rows[r] = new IOCheckComBO(this, QString(), kMultiDetections);
        rows[r]->m_row = r;
        rows[r]->move(30, 100 + 70 * r);
        rows[r]->cutBox->addItems({kitText(474), kitText(475), kitText(523)});
        connect(rows[r], &IOCheckComBO::clickeCheckBox, this, &IOWidget::SlotClickCheckBox);
        connect(rows[r], &IOCheckComBO::changeTrigin, this, &IOWidget::SlotChangeTrigin);
    }
    for (int i = 0; i < 7; ++i) countBox->addItem(kitText(501 + i));
    countBox->setCurrentIndex(6);

    confirmButton = new ColorButton(kitText(121), this, 3);
    // Both end inside the 1725-pixel page.
    confirmButton->setGeometry(1495, 855, 200, 75);
    resetButton = new ColorButton(kitText(497), this, 3);
    resetButton->setGeometry(1265, 855, 200, 75);
    connect(confirmButton, &QPushButton::clicked, this, &IOWidget::accept);
    connect(resetButton, &QPushButton::clicked, this, &IOWidget::reset);
    connect(countBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &IOWidget::SlotChangeDetectNum);

    initIOWidget();
}

int IOWidget::inputFunction(int j) const {
    return j >= 0 && j < kMultiRows ? m_inFunc[j] : -1;
}

int IOWidget::outputFunction(int j) const {
    return j >= 0 && j < kMultiRows ? m_outFunc[j] : -1;
}

void IOWidget::setInputFunction(int j, int function) {
    if (j >= 0 && j < kMultiRows) m_inFunc[j] = function;
}

void IOWidget::setOutputFunction(int j, int function) {
    if (j >= 0 && j < kMultiRows) m_outFunc[j] = function;
}

void IOWidget::initIOWidget() {
    const WizardPara fallback;
    const WizardPara& p = gpWPara ? *gpWPara : fallback;
    m_count = p.multi_step_count;
    if (m_count < 2 || m_count > kMultiDetections) m_count = 2;
    // The stored table is trusted only where it makes sense: a detection is started by a shown row.
    for (int k = 0; k < kMultiDetections; ++k) {
        const int r = p.multi_trig_row[k];
        m_detectRow[k] = k < m_count && r >= 0 && r < m_count ? r : -1;
    }
    for (int r = 0; r < kMultiRows; ++r) {
        const int mode = p.multi_cut_mode[r];
        m_cutMode[r] = mode >= 0 && mode < kCutModes ? mode : 0;
        rows[r]->cutBox->setCurrentIndex(m_cutMode[r]);
        const int choice = p.multi_trig_choice[r];
        rows[r]->setChoice(choice >= 0 && choice < kMultiRows ? choice : 0);
    }
    countBox->blockSignals(true);
    countBox->setCurrentIndex(m_count - 2);
    countBox->blockSignals(false);
    SlotChangeDetectNum(m_count - 2);
    hide();
}

void IOWidget::SlotChangeDetectNum(int index) {
    if (index < 0) return;
    m_count = index + 2;
    if (m_count > kMultiDetections) m_count = kMultiDetections;
    int first = 0;
    for (int r = 0; r < kMultiRows; ++r) {
        if (r < m_count) {
            rows[r]->show();
            rows[r]->SetIONum(m_count, first);
            first = rows[r]->choice();
        } else {
            rows[r]->hide();
        }
    }
    ResetOutput();
    ResetIOName();
}

void IOWidget::ResetOutput() {
    const int n = m_count;
    for (int r = 0; r < kMultiRows; ++r) {
        for (int k = 0; k < kMultiDetections; ++k) {
            CheckBox* b = rows[r]->boxes[k];
            if (!b) continue;
            if (r < n && k < n) {
                const bool blocked = b->blockSignals(true);
                rows[r]->setCheckdisable(k, true);
                b->setChecked(false);
                b->blockSignals(blocked);
            } else {
                b->setChecked(false);  // the detection loses its row
            }
        }
    }
    for (int k = 0; k < kMultiDetections; ++k) {
        const int r = m_detectRow[k];
        if (validRow(r)) rows[r]->setCheckComboStatus(k, true);
    }
    // A stored table that breaks the order (a later row starting an earlier detection) leaves ticks
    // that the rule would not take: those detections have no row.
    for (int k = 0; k < kMultiDetections; ++k) {
        const int r = m_detectRow[k];
        if (r != -1 && !(validRow(r) && rows[r]->getCheckComboStatus(k))) {
            qWarning("multi-detection: detection %d cannot be started by row %d, no row", k, r);
            m_detectRow[k] = -1;
        }
    }
}

void IOWidget::ResetIOName() {
    for (IOCheckComBO* row : rows) row->resetName();
}

void IOWidget::applyTick(int R, int K, bool disable) {
    const int n = m_count;
    for (int r = 0; r < R; ++r)
        for (int k = K; k < n; ++k) rows[r]->setCheckdisable(k, !disable);
    for (int r = R + 1; r < kMultiRows; ++r)
        for (int k = 0; k <= K && k < n; ++k) rows[r]->setCheckdisable(k, !disable);
}

void IOWidget::SlotClickCheckBox(int row, int k, int state) {
    if (!validRow(row) || k < 0 || k >= kMultiDetections) return;
    applyTick(row, k, state != 0);
    if (state != 0) return;
    // An untick may have freed boxes that another tick still rules out.
    for (int j = 0; j < kMultiRows; ++j)
        for (int d = 0; d < m_count; ++d)
            if (rows[j]->getCheckComboStatus(d)) applyTick(j, d, true);
}

void IOWidget::ChangeCheckStatus(int row, int k, int state) {
    if (!validRow(row) || k < 0 || k >= kMultiDetections) return;
    const bool enable = state == 0;
    if (row > 0) rows[row - 1]->setCheckdisable(k, enable);
    if (row + 1 < kMultiRows) rows[row + 1]->setCheckdisable(k, enable);
}

void IOWidget::CheckStatus(int row, int k) {
    ChangeCheckStatus(row, k, rows[validRow(row) ? row : 0]->getCheckComboStatus(k) ? 2 : 0);
}

void IOWidget::SlotChangeTrigin(int row, int choice) {
    if (row >= 0 && row < kMultiRows - 1) rows[row + 1]->updateTriginCombo(choice);
}

void IOWidget::reset() {
    for (IOCheckComBO* row : rows)
        for (int k = 0; k < kMultiDetections; ++k) {
            row->setCheckdisable(k, true);
            row->setCheckComboStatus(k, false);
        }
    for (IOCheckComBO* row : rows) row->setCheckdisables(true);
}

void IOWidget::accept() {
    if (m_detectRow[m_count - 1] == -1) {
        showWarnBox(kitText(512));
        return;
    }
    if (gpWParaBak) {
        WizardPara& p = *gpWParaBak;
        p.multi_step_count = m_count;
        for (int i = 0; i < kMultiDetections; ++i) {
            p.multi_trig_row[i] = m_detectRow[i];
            p.multi_trig_choice[i] = rows[i]->choice();
            p.multi_cut_mode[i] = m_cutMode[i];
        }
    }
    hide();
    if (gpWPara && gpWParaBak && gpWPara->detect_mode == kDetectMulti &&
        gpWParaBak->detect_mode == kDetectMulti && m_dialog)
        m_dialog->ResetReCheck1Text(kitText(511).arg(kitText(476 + m_count)));
    if (m_dialog) {
        m_dialog->DoChangePage();
        m_dialog->changeWidget(kIOParamsPage);
    }
}

void IOWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (gpPixmapLogo) painter.drawPixmap(rect(), *gpPixmapLogo);
    painter.setPen(QColor("#00FFFF"));
    painter.setFont(microhei(35));
    painter.drawText(QRect((width() - 300) / 2, 20, 300, 50), Qt::AlignCenter | Qt::TextDontClip,
                     kitText(499));
}
