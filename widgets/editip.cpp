#include "editip.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>

#include "edit.h"

namespace {
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
}  // namespace

EditIP::EditIP(const QString& title, QWidget* parent) : QWidget(parent) {
    setFixedHeight(80);
    QFont font(QStringLiteral("wenquanyi"));
    font.setPointSize(30);

    titleLabel = new QLabel(title, this);
    titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titleLabel->setFixedWidth(200);
    titleLabel->setFont(font);
    labelLook(titleLabel, m_titleColour);

    for (int i = 0; i < 3; ++i) {
        m_dots[i] = new QLabel(QStringLiteral("."), this);
        m_dots[i]->setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
        m_dots[i]->setFont(font);
        labelLook(m_dots[i], m_titleColour);
    }
    for (int i = 0; i < 4; ++i) {
        m_fields[i] = new Edit(9, this, 1);
        m_fields[i]->setObjectName(QStringLiteral("octet%1").arg(i));
        m_fields[i]->setFixedSize(100, 50);
        m_fields[i]->setFont(font);
        m_fields[i]->setValidator(new QIntValidator(0, 255, m_fields[i]));
    }
    connect(m_fields[0], &QLineEdit::textChanged, this, &EditIP::SlotTextChg_0);
    connect(m_fields[1], &QLineEdit::textChanged, this, &EditIP::SlotTextChg_1);
    connect(m_fields[2], &QLineEdit::textChanged, this, &EditIP::SlotTextChg_2);
    connect(m_fields[3], &QLineEdit::textChanged, this, &EditIP::SlotTextChg_3);
    connect(m_fields[0], &Edit::sig_Dot, this, &EditIP::SlotPressDot_0);
    connect(m_fields[1], &Edit::sig_Dot, this, &EditIP::SlotPressDot_1);
    connect(m_fields[2], &Edit::sig_Dot, this, &EditIP::SlotPressDot_2);

    auto* row = new QHBoxLayout(this);
    row->addWidget(titleLabel, 10);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) row->addWidget(m_dots[i - 1], 0);
        row->addWidget(m_fields[i], 5);
    }
}

void EditIP::textChanged(int i, const QString& text) {
    bool ok = false;
    int v = text.toInt(&ok);
    if (!ok) v = 0;
    // An octet is 0 to 255 whatever reached the field.
    m_fields[i]->setText(QString::number(qBound(0, v, 255)));
    emit textchange(getTextIP());
}

void EditIP::SlotTextChg_0(QString text) {
    textChanged(0, text);
}
void EditIP::SlotTextChg_1(QString text) {
    textChanged(1, text);
}
void EditIP::SlotTextChg_2(QString text) {
    textChanged(2, text);
}
void EditIP::SlotTextChg_3(QString text) {
    textChanged(3, text);
}

void EditIP::pressDot(int i) {
    m_fields[i + 1]->setText(QStringLiteral("0"));
    m_fields[i + 1]->setFocus();
}

void EditIP::SlotPressDot_0() {
    pressDot(0);
}
void EditIP::SlotPressDot_1() {
    pressDot(1);
}
void EditIP::SlotPressDot_2() {
    pressDot(2);
}

QString EditIP::getTextIP() {
    QStringList parts;
    for (Edit* f : m_fields) parts << QString::number(f->text().toInt());
    m_text = parts.join(QLatin1Char('.'));
    return m_text;
}

void EditIP::setTextIP(const QString& text) {
    // The text is a whole address: an octet it leaves out is 0, never what an earlier address left.
    int current = 0;
    QString run;
    bool given[4] = {};
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            run.clear();
            if (current < 3) ++current;
            continue;
        }
        run += c;
        given[current] = true;
        m_fields[current]->setText(run);
    }
    for (int i = 0; i < 4; ++i)
        if (!given[i]) m_fields[i]->setText(QStringLiteral("0"));
}

void EditIP::setTitleColor(const QColor& colour) {
    m_titleColour = colour;
    labelLook(titleLabel, colour);
}

// The layout follows the widget's own rectangle.
void EditIP::setGeometry(int x, int y, int w, int h) {
    QWidget::setGeometry(x, y, w, h);
}
