#pragma once
// The option bar of the region page (index 1 of the main window's bar stack): which picture the
// camera views show while regions are edited (gSource), which camera and which step are edited, the
// template buttons and the end of editing; browsing of templates, recent NG frames and archived
// OK and NG pictures.
#include <QImage>
#include <QString>

#include "widgets/bwidget.h"

class BComboBox;
class MainWindow;
class CammerWidget;

class RegiOption : public BWidget {
    Q_OBJECT
public:
    enum BTN_TYPE { BTN_NONE = 0, BTN_DELETE_TEMP = 1, BTN_ADD_TEMP = 2, BTN_END_SET = 3, BTN_LIVE_TEMP = 4 };
    Q_ENUM(BTN_TYPE)

    explicit RegiOption(QWidget* parent = nullptr);

    // Applies `source` whether or not the source list already shows it.
    void CheckSource(int source);
    void setDetect(int detect);
    void SetSource(int source);
    // The detection list of the multi-detection procedure: "1st" .. for `count` steps.
    void ChangeDetectNum(int count);
    // Loads the archived picture at the picture index of the chosen camera and step.
    void LoadPic();
    // gTempTime := modification time of template k of camera and step ("" when missing).
    void GetTempTIme(int camera, int detect, int k);
    // Shows the buttons and view tools that fit the source.
    void ChangePage();

    BOptionButton* button(BTN_TYPE type) const { return type >= 1 && type <= 4 ? buttons_[type - 1] : nullptr; }
    BComboBox* sourceList() const { return sourceList_; }
    BComboBox* cameraList() const { return cameraList_; }
    BComboBox* detectList() const { return detectList_; }

    // The archived OK or NG picture browsed with the record sources.
    QString picName;  // file name without ".jpg"; empty when the folder holds none
    QImage picture;
    int recordCamera = 0;
    int recordDetect = 0;
    int picCount = 0;
    int okFlag = 0;    // 1 while browsing OK records, 0 for NG records
    int picIndex = 0;  // 0 = newest

public slots:
    void btnsToggledSlot(bool checked);
    void ChangeSourceSlot(int source);
    void ChangeCameraSlot(int camera);
    void ChangeDetectSlot(int detect);
    void SlotTempLast();
    void SlotTempNext();

signals:
    void btnsToggled(RegiOption::BTN_TYPE type, bool checked);

private:
    MainWindow* window() const;
    CammerWidget* selectedView() const;
    // Shows template `k` of the editor step on the selected view.
    void showTemplate(CammerWidget* v, int k);
    // Shows recent NG frame `index` of `step` on the view.
    void showRecentNG(CammerWidget* v, int step, int index);
    void browse(int direction);
    BOptionButton* buttons_[4] = {};
    BComboBox* sourceList_ = nullptr;
    BComboBox* cameraList_ = nullptr;
    BComboBox* detectList_ = nullptr;
};

// Size, icon size and plain item delegate of the editor bars' lists.
void styleEditorList(BComboBox* list);
// The five picture sources, the camera entries and the step entries of the editor's lists.
void fillSourceList(BComboBox* list);
void fillCameraList(BComboBox* list, int cameras);
// The icon of camera `camera` (1-8) in the camera lists.
QString cameraListIcon(int camera);
// Notes of "Two same parameters" are shown once per program run; tests restore the flag.
void resetRegionNotes();
