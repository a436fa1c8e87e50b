#include "editbox.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

#include "app/globals.h"
#include "indexbutton.h"

namespace {

constexpr int kCharWidth = 27;

QFont kitFont(int pointSize) {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPointSize(pointSize);
    return f;
}

// The colour and font of a label, also under the application style sheet (whose QLabel rule would
// otherwise make every label white 18 px, unreadable on a white field or a light page).
void labelLook(QLabel* l, const QColor& c) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);  // all colour groups
    l->setPalette(pal);
    l->setStyleSheet(QStringLiteral("QLabel{color:%1;font-family:'%2';font-size:%3pt;}")
                         .arg(c.name(), l->font().family())
                         .arg(l->font().pointSize()));
}

// The unit label at the right end of a value field; null for an empty unit.
QLabel* addUnitLabel(Edit* field, const QString& unit) {
    if (unit.isEmpty()) return nullptr;
    auto* label = new QLabel(field);
    label->setFixedSize(unit.length() * kCharWidth + 10, 50);
    label->setText(unit);
    label->setFont(kitFont(27));
    label->setAlignment(Qt::AlignCenter);
    labelLook(label, Qt::black);
    const QMargins m = field->textMargins();
    field->setTextMargins(m.left(), m.top(), label->width(), m.bottom());
    auto* row = new QHBoxLayout(field);
    row->addStretch();
    row->addWidget(label);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);
    return label;
}

int labelXFor(const Edit* field, const QLabel* label, const QString& text) {
    return (field->width() - label->width() + static_cast<int>(text.length() * kCharWidth * 0.5)) / 2;
}

int safeScale(int scale) {
    return scale > 0 ? scale : 1;
}

// "- 0.5", "+ 1": the step divided by the scale, in its shortest form.
QString stepText(const char* sign, int step, int scale) {
    return QStringLiteral("%1 %2").arg(
        QLatin1String(sign),
        QString::number(double(step) / safeScale(scale), 'g', QLocale::FloatingPointShortest));
}

}  // namespace

QString editBoxText(int v, int type, int scale) {
    if (type == 0) return QString::number(v);
    if (type == 2) return QString::number(double(v) / safeScale(scale), 'g', 6);
    return QString();
}

// ---- value fields ----

UnitEdit::UnitEdit(int flags, QString unit, QWidget* box) : Edit(flags, box, 1) {
    m_unitLabel = addUnitLabel(this, unit);
    if (m_unitLabel) connect(this, &QLineEdit::textChanged, this, &UnitEdit::ChangeLabelP);
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
}

void UnitEdit::ChangeLabelP(QString text) {
    if (!m_unitLabel) return;
    m_labelX = labelXFor(this, m_unitLabel, text);
    m_unitLabel->move(m_labelX, 1);
}

// The field's own focus-out handling (keypads hidden) has run already; the
// owner checks its range.
void UnitEdit::focusOutEvent(QFocusEvent* event) {
    emit focusOut();
    Edit::focusOutEvent(event);
}

EditParam::EditParam(int flags, QString unit, EditBox* box)
    : UnitEdit(flags, std::move(unit), box), m_box(box) {}

bool EditParam::keypadDigit(int digit, bool firstKey) {
    m_box->setValue(firstKey ? digit : m_box->value() * 10 + digit);
    return true;
}

EditTempParam::EditTempParam(int flags, QString unit, EditTempBox* box)
    : UnitEdit(flags, std::move(unit), box), m_box(box) {}

bool EditTempParam::keypadDigit(int digit, bool firstKey) {
    if (m_box->checkFocus(this))
        m_box->setMaxValue(firstKey ? digit : m_box->getMaxValue() * 10 + digit);
    else
        m_box->setMinValue(firstKey ? digit : m_box->getMinValue() * 10 + digit);
    return true;
}

// ---- EditBox ----

EditBox::EditBox(int minimum, int maximum, QWidget* parent, const QString& title, QString unit, int type,
                 int scale)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_scale(scale), m_type(type), m_title(title) {
    const bool large = gShowW > 1024;
    const int fontSize = large ? 27 : 12;
    const int spacing = large ? 10 : 5;
    const int buttonWidth = large ? 130 : 40;
    const int titleWidth = large ? 135 : 65;
    const int height = large ? 50 : 28;

    titleLabel = new QLabel(title, this);
    titleLabel->setFixedSize(titleWidth, height);
    titleLabel->setFont(kitFont(fontSize));
    labelLook(titleLabel, Qt::yellow);

    auto makeButton = [&](const char* sign, int step, void (EditBox::*slot)()) {
        auto* b = new ColorButton(stepText(sign, step, scale), this, 3);
        b->setFixedSize(buttonWidth, height);
        b->SetRepeat();
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    subFiveButton = makeButton("-", 5, &EditBox::SubFive);
    subOneButton = makeButton("-", 1, &EditBox::SubOne);
    addOneButton = makeButton("+", 1, &EditBox::AddOne);
    addFiveButton = makeButton("+", 5, &EditBox::AddFive);

    entry = new EditParam(9, unit, this);
    entry->setFixedSize(buttonWidth + 20, height);
    entry->setFrame(true);
    entry->setFont(kitFont(fontSize));
    connect(entry, &EditParam::focusOut, this, &EditBox::CheckRange);

    auto* row = new QHBoxLayout(this);
    row->addWidget(titleLabel);
    row->addWidget(subFiveButton);
    row->addWidget(subOneButton);
    row->addWidget(entry);
    row->addWidget(addOneButton);
    row->addWidget(addFiveButton);
    row->setSpacing(spacing);
    row->setSizeConstraint(QLayout::SetFixedSize);
}

void EditBox::setUse0(bool on) {
    m_use0 = on;
}
int EditBox::value() const {
    return m_value;
}
void EditBox::setInputValue(int v) {
    m_value = v;
}

void EditBox::setValue(int v) {
    m_value = v;
    CheckRange();
}

void EditBox::setValue() {
    if (m_type == 0 || m_type == 2) entry->setText(editBoxText(m_value, m_type, m_scale));
}

void EditBox::AddOne() {
    setValue(m_value + 1);
}
void EditBox::SubOne() {
    setValue(m_value - 1);
}
void EditBox::AddFive() {
    setValue(m_value + 5);
}
void EditBox::SubFive() {
    setValue(m_value - 5);
}

void EditBox::CheckRange() {
    if (m_value >= m_min) {
        if (m_value > m_max) m_value = m_max;
    } else if (!(m_use0 && m_value == 0)) {
        m_value = m_min;
    }
    setValue();
    emit valueChanged(m_value);
}

void EditBox::setText(QString title) {
    m_title = title;
    titleLabel->setText(title);
}

int EditBox::getType() const {
    return m_type;
}

void EditBox::setSampleShow() {
    for (ColorButton* b : {subFiveButton, subOneButton, addOneButton, addFiveButton}) b->hide();
}

void EditBox::setLabelColor(QColor colour) {
    labelLook(titleLabel, colour);
}

// ---- EditTempBox ----

EditTempBox::EditTempBox(int allowedMinimum, int allowedMaximum, int, int, QWidget* parent,
                         const QString& title, QString unit, int type, int scale)
    : QWidget(parent),
      m_allowedMin(allowedMinimum),
      m_allowedMax(allowedMaximum),
      m_scale(scale),
      m_type(type),
      m_title(title) {
    const QFont font = kitFont(27);
    titleLabel = new QLabel(title, this);
    titleLabel->setFixedSize(135, 50);
    titleLabel->setAlignment(Qt::AlignCenter);

    lowerEdit = new EditTempParam(9, unit, this);
    valueLabel = new QLabel(this);
    valueLabel->setFixedSize(135, 50);
    valueLabel->setAlignment(Qt::AlignCenter);
    upperEdit = new EditTempParam(9, unit, this);
    for (EditTempParam* e : {lowerEdit, upperEdit}) {
        e->setFixedSize(150, 50);
        e->setFrame(true);
        connect(e, &EditTempParam::focusOut, this, &EditTempBox::CheckRange);
    }
    for (QWidget* w : {static_cast<QWidget*>(titleLabel), static_cast<QWidget*>(lowerEdit),
                       static_cast<QWidget*>(valueLabel), static_cast<QWidget*>(upperEdit)}) {
        w->setFont(font);
    }
    labelLook(titleLabel, Qt::black);
    labelLook(valueLabel, Qt::black);

    auto* row = new QHBoxLayout(this);
    row->addWidget(titleLabel);
    row->addWidget(lowerEdit);
    row->addWidget(valueLabel);
    row->addWidget(upperEdit);
    row->setSpacing(10);
    row->setSizeConstraint(QLayout::SetFixedSize);
}

void EditTempBox::setValue(int v) {
    m_value = v;
    if (m_type == 0 || m_type == 2) valueLabel->setText(editBoxText(v, m_type, m_scale));
}

bool EditTempBox::judgeValue() const {
    return m_lower <= m_value && m_value <= m_upper;
}

void EditTempBox::setValueRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    setValueRange();
}

void EditTempBox::setValueRange() {
    lowerEdit->setText(editBoxText(m_lower, m_type, m_scale));
    upperEdit->setText(editBoxText(m_upper, m_type, m_scale));
}

void EditTempBox::setMinValue(int v) {
    m_lower = v;
    lowerEdit->setText(editBoxText(m_lower, m_type, m_scale));
}

void EditTempBox::setMaxValue(int v) {
    m_upper = v;
    upperEdit->setText(editBoxText(m_upper, m_type, m_scale));
}

bool EditTempBox::checkFocus(QLineEdit* e) const {
    return e == upperEdit;
}

void EditTempBox::valueRange(int& lower, int& upper) const {
    lower = m_lower;
    upper = m_upper;
}

void EditTempBox::CheckRange() {
    m_lower = qBound(m_allowedMin, m_lower, m_allowedMax);
    m_upper = qBound(m_allowedMin, m_upper, m_allowedMax);
    setValueRange();
}
