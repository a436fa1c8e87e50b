#pragma once
// The login indicator of the main screen (200 x 50, below the camera views): "Logged" in green
// while the operator holds an access level, "Unlogged" in red otherwise; it shows nothing while
// passwords are switched off. A press logs the operator out.
#include <QWidget>

class IOStatusWidget : public QWidget {
    Q_OBJECT
public:
    explicit IOStatusWidget(QWidget* parent = nullptr);

    // The text painted now (empty while passwords are not in use), in the current language.
    QString statusText() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
