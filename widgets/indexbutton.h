#pragma once
// Touch controls the screens are built from: the painted push button and the drop-down list that
// never takes the focus.
#include <QComboBox>
#include <QPixmap>
#include <QPushButton>

class QListView;

// A push button drawn entirely by its own paint handler (style sheets do not change its look): the
// shared button images, released or pressed, with centred white text. Type 3 is the text style of
// almost every button, 4 the main screen's side panel, 5 some camera-view buttons. Never takes the
// keyboard focus, so pressing it leaves the field being edited current.
class ColorButton : public QPushButton {
    Q_OBJECT
public:
    ColorButton(const QString& text, QWidget* parent = nullptr, int type = 3);
    ColorButton(QPixmap image, QWidget* parent = nullptr);

    // Replaces the own image; whether it is shown is decided at construction.
    void setPixmap(QPixmap image);
    // Held down, the button repeats its clicked signal: first after 300 ms, then every 50 ms.
    void SetRepeat();

    int type() const { return m_type; }
    // The caption's pixel size for a text style in the current interface language.
    static int textPixelSize(int type);
    // The size a caption is drawn at on a button `width` wide: the type's size, or smaller where
    // that would cut the caption at the button's edges.
    static int captionPixelSize(const QString& text, int width, int type);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_type = 3;
    bool m_hasImage = false;
    QPixmap m_image;
};

// A combo box that never takes the focus, reports every press (before the list opens) and whose
// list items can be given a height.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    void setItemHeight(int h);
    void setItemWidth(int w);
    QListView* listView() const { return m_list; }

signals:
    void clicked();

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;

private:
    QListView* m_list;
};
