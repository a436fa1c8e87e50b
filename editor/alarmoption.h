#pragma once
// The option bar of the alarm page (index 2 of the main window's bar stack) and the drawing panel of
// a camera view. The alarm bar offers all six actions, the ignore-point ones included.
#include "widgets/bwidget.h"

class BComboBox;
class DrawROIWidget;
class QPushButton;

class AlarmOption : public BWidget {
    Q_OBJECT
public:
    enum BTN_TYPE {
        BTN_NONE = 0,
        BTN_LIVE_TEMP = 1,
        BTN_NO_CHECK = 2,
        BTN_RECHECK = 3,
        BTN_ADD_TEMP = 4,
        BTN_IGNORE_POINT = 5,
        BTN_DELETE_IGNORED = 6
    };
    Q_ENUM(BTN_TYPE)

    explicit AlarmOption(QWidget* parent = nullptr);

    // Applies `source` whether or not the source list already shows it.
    void CheckSource(int source);
    // Selects entry `camera` of the camera list.
    void SetCamera(int camera);

    BOptionButton* button(BTN_TYPE type) const {
        return type >= 1 && type <= 6 ? buttons_[type - 1] : nullptr;
    }
    BComboBox* sourceList() const { return sourceList_; }
    BComboBox* cameraList() const { return cameraList_; }

public slots:
    void btnsToggledSlot(bool checked);
    void ChangeCameraSlot(int camera);
    void ChangeSourceSlot(int source);

signals:
    void btnsToggled(AlarmOption::BTN_TYPE type, bool checked);
    void AlarmChangeSource(int source);

protected:
    void showEvent(QShowEvent* event) override;

private:
    BOptionButton* buttons_[6] = {};
    BComboBox* sourceList_ = nullptr;
    BComboBox* cameraList_ = nullptr;
};

// A row of seven icon buttons under a camera view: rectangle, ring, polygon and free-hand tools, copy,
// delete and delete all regions. Each press (repeated while held) calls the region editor's slot; the
// two deletions, which ask first, act once per press.
class roiOperation : public BWidget {
    Q_OBJECT
public:
    roiOperation(QWidget* parent, DrawROIWidget* editor);
    void Btnconnect();
    QPushButton* button(int i) const { return i >= 0 && i < 7 ? buttons_[i] : nullptr; }
    // The region editor slot of button i ("SlotDrawRect", ...).
    static const char* slotOf(int i);
    // Buttons whose action asks the operator: held down, they act once per press, not per repeat.
    static bool asksOnce(int i);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DrawROIWidget* editor_;
    QPushButton* buttons_[7] = {};
    bool armed_[7] = {};
};
