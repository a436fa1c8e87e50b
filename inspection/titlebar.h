#pragma once
// The bar across the top of the main window: a strip per camera (status message, NG count, total
// count) for camera slots 0 to 3, the first four inputs and outputs of the IO board as icons, the
// frame rate, the pointer location with its pixel value, the date and a running clock. The camera
// views fill it while they paint; the polling loop refreshes the IO icons on every pass.
#include <QString>
#include <QWidget>

#include "widgets/bwidget.h"

class QLabel;
class FitLabel;
class QStackedWidget;
class QTimer;

// Icon of a strip's message: 2 the information icon, any other value the warning icon.
enum MessageType { MessageWarning = 1, MessageNormal = 2 };

class CameraInfo : public QWidget {
    Q_OBJECT
public:
    // What TitleBar::setCameraInfo changes: 1 the message, 2 the total count, 3 the NG count, any
    // other value the title bar's frame-rate label.
    enum DATA_TYPE { FrameRate = 0, Message = 1, LayerNum = 2, NGNum = 3 };

    // At least this many pixels between the message and the NG count's icon right of it.
    static constexpr int kMessageGap = 12;

    CameraInfo(int slot, QWidget* parent = nullptr);
    void setMessage(QString text, MessageType icon);
    void setNGNum(QString text);
    void setLayerNum(QString text);

    QLabel* messageIcon = nullptr;
    FitLabel* message = nullptr;
    QLabel* ngIcon = nullptr;
    QLabel* ngNum = nullptr;
    QLabel* layerNum = nullptr;
    QString messageIconPath;  // the icon last loaded into messageIcon
};

class TitleBar : public BWidget {
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);

    static constexpr int kStrips = 4;

    // Slots 0 to 3 have a strip; the strip kinds of other slots are dropped (the frame rate is not
    // tied to a slot and is always shown).
    void setCameraInfo(int slot, CameraInfo::DATA_TYPE type, QString text, MessageType icon = MessageWarning);
    void setLocation(QString text);
    // Inputs 0 to 3 then outputs 0 to 3 from the IO board.
    void updateIO();
    // kind 0 input, 1 output; index 0 to 3; state non-zero = active.
    void promptSwitching_State(int kind, int index, int state);
    // A red alarm "IO board does not answer" in place of the IO icons while the link is lost.
    void setIOLinkAlarm(bool lost);
    bool ioLinkAlarmShown() const;
    QLabel* ioLinkAlarmLabel() const { return linkAlarm_; }

    CameraInfo* strip(int slot) const { return slot >= 0 && slot < kStrips ? strips_[slot] : nullptr; }
    QLabel* frameRateLabel() const { return frameRate_; }
    QLabel* locationLabel() const { return location_; }
    QLabel* dateLabel() const { return date_; }
    QLabel* clockLabel() const { return clock_; }
    // The icon number shown for an input (kind 0) or output (kind 1), e.g. 19 for inactive input 0.
    int ioIcon(int kind, int index) const;

private:
    void tick();
    CameraInfo* strips_[kStrips] = {};
    QLabel* io_[8] = {};                 // inputs 0-3, outputs 0-3
    QStackedWidget* ioStack_ = nullptr;  // page 0 the IO icons, page 1 the link alarm
    QLabel* linkAlarm_ = nullptr;
    int ioIcon_[8] = {};
    QLabel* frameRate_ = nullptr;
    QLabel* location_ = nullptr;
    QLabel* date_ = nullptr;
    QLabel* clock_ = nullptr;
    QTimer* clockTimer_ = nullptr;
};
