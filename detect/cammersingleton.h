#pragma once
// The region store of one camera: for each of the 8 detection steps up to 50 regions, each with three
// parameters, a detection function, a shape kind and its geometry, plus per step a region count and
// 8 check-box flags, and per region index an output group. Kept in the table "cammer<camera>" of
// PARAM.db, one row "detect<step>" per step and one row "ROI<step>-<region>" per region.
//
// A value record, copied and compared whole by the editors (operator==), about 1.3 MB with the
// vertices of its polygons: always allocated on the heap.
#include <QSqlQuery>
#include <cstdint>
#include <cstring>

#include "roishape.h"

constexpr int kStepCount = 8;
constexpr int kRoiCount = 50;

struct CammerViewData;

class CammerSingleton {
public:
    explicit CammerSingleton(int camera);
    ~CammerSingleton() = default;
    CammerSingleton(const CammerSingleton&) = default;
    CammerSingleton& operator=(const CammerSingleton&) = default;

    bool operator==(const CammerSingleton& o) const;
    bool operator!=(const CammerSingleton& o) const { return !(*this == o); }

    // Writes the whole store to its table in one transaction (the table is created when missing).
    // On any failed statement nothing is changed and false is returned. After a successful save the
    // network bridge is told of every step (see setRoiParamNotifier) when it is switched on.
    bool SaveDatatoFile(QSqlQuery query);
    // Reads the store from its table; rebuilds view->savedMasks of every region read (view may be
    // null). A missing "detect" row is inserted as "0"; a count above 50 (or negative) warns the
    // operator and empties that step. False when the database cannot be used.
    bool LoadDatafromFile(QSqlQuery query, CammerViewData* view);

    // The image box of a region, by its shape kind: (x1, y1) to (x2, y2) inclusive; null without
    // geometry.
    QRect imageRect(int step, int roi) const;
    // Derives the image geometry of a region and returns its mask (empty without geometry).
    cv::Mat updateRegion(int step, int roi);
    // Makes region r of step d the default region: 5, 25, 100, defect, rectangle (50,50)-(100,100).
    void setDefaultRegion(int step, int roi);

    int32_t camera;
    int32_t count[kStepCount];
    int32_t para1[kStepCount][kRoiCount];
    int32_t sens[kStepCount][kRoiCount];
    int32_t area[kStepCount][kRoiCount];
    int32_t func[kStepCount][kRoiCount];
    ClustomRect rect[kStepCount][kRoiCount];
    Circle circle[kStepCount][kRoiCount];
    RePolygon polygon[kStepCount][kRoiCount];
    int32_t shape[kStepCount][kRoiCount];
    int32_t outN[kRoiCount];
    int32_t flags[kStepCount][8];
};

// The value text of a region row (six leading integers, then the geometry of its shape kind).
QString roiValueText(const CammerSingleton& s, int step, int roi);
