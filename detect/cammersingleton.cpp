#include "cammersingleton.h"

#include <QDebug>
#include <QSqlError>
#include <QStringList>
#include <algorithm>
#include <type_traits>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "cammerviewdata.h"
#include "detecthooks.h"

// The editors compare stores whole: the rectangles and rings byte by byte (their constructors zero
// their padding), the polygons member by member.
static_assert(std::is_trivially_copyable_v<ClustomRect> && std::is_trivially_copyable_v<Circle>,
              "rectangles and rings are compared byte by byte");

namespace {
constexpr int kDefaultPara1 = 5;
constexpr int kDefaultSens = 25;
constexpr int kDefaultArea = 100;

// Reads blank-separated integers; once a token is not a number, it and everything after it read 0.
class IntReader {
public:
    explicit IntReader(const QString& text) : tokens_(text.split(' ', Qt::SkipEmptyParts)) {}
    int next() {
        if (failed_ || pos_ >= tokens_.size()) return 0;
        bool ok = false;
        const int v = tokens_.at(pos_++).toInt(&ok);
        if (!ok) {
            failed_ = true;
            return 0;
        }
        return v;
    }

private:
    QStringList tokens_;
    int pos_ = 0;
    bool failed_ = false;
};

QString tableName(int camera) {
    return QStringLiteral("cammer%1").arg(camera);
}

bool execLogged(QSqlQuery& q, const char* what) {
    if (q.exec()) return true;
    qWarning().noquote() << "region store:" << what << "failed:" << q.lastError().text();
    return false;
}

bool ensureTable(QSqlQuery& q, const QString& table) {
    if (q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (name TEXT, value TEXT)").arg(table)))
        return true;
    qWarning().noquote() << "region store: cannot create" << table << q.lastError().text();
    return false;
}

QString lanText(int id, const char* fallback) {
    const int index = id * kLanColumns + std::clamp(gLan, 0, kLanColumns - 1);
    const QString text = gaLanStr[index];
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}
}  // namespace

CammerSingleton::CammerSingleton(int cam) {
    camera = cam;
    std::memset(count, 0, sizeof(count));
    std::memset(para1, 0, sizeof(para1));
    std::memset(sens, 0, sizeof(sens));
    std::memset(area, 0, sizeof(area));
    std::memset(func, 0, sizeof(func));
    std::memset(shape, 0, sizeof(shape));
    std::memset(outN, 0, sizeof(outN));
    std::memset(flags, 0, sizeof(flags));
}

bool CammerSingleton::operator==(const CammerSingleton& o) const {
    const auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; };
    if (camera != o.camera || !same(count, o.count) || !same(para1, o.para1) || !same(sens, o.sens) ||
        !same(area, o.area) || !same(func, o.func) || !same(rect, o.rect) || !same(circle, o.circle) ||
        !same(shape, o.shape) || !same(outN, o.outN) || !same(flags, o.flags))
        return false;
    for (int d = 0; d < kStepCount; ++d)
        for (int r = 0; r < kRoiCount; ++r)
            if (polygon[d][r] != o.polygon[d][r]) return false;
    return true;
}

QRect CammerSingleton::imageRect(int d, int r) const {
    switch (shape[d][r]) {
        case kShapeRect:
            return rect[d][r].imgRect;
        case kShapeRing:
            return circle[d][r].imgRect;
        case kShapePolygon:
            return polygon[d][r].imgRect;
        default:
            return QRect();
    }
}

cv::Mat CammerSingleton::updateRegion(int d, int r) {
    switch (shape[d][r]) {
        case kShapeRect:
            rect[d][r].setImageRect();
            return rect[d][r].UpdateMask();
        case kShapeRing:
            circle[d][r].setImageRect();
            return circle[d][r].UpdateMask();
        case kShapePolygon:
            polygon[d][r].setImageRect();
            return polygon[d][r].UpdateMask();
        default:
            return cv::Mat();
    }
}

void CammerSingleton::setDefaultRegion(int d, int r) {
    para1[d][r] = kDefaultPara1;
    sens[d][r] = kDefaultSens;
    area[d][r] = kDefaultArea;
    func[d][r] = 0;
    shape[d][r] = kShapeRect;
    outN[r] = 0;
    rect[d][r].rect.setCoords(50, 50, 100, 100);
}

QString roiValueText(const CammerSingleton& s, int d, int r) {
    QString v = QStringLiteral("%1 %2 %3 %4 %5 %6 ")
                    .arg(s.para1[d][r])
                    .arg(s.sens[d][r])
                    .arg(s.area[d][r])
                    .arg(s.func[d][r])
                    .arg(s.shape[d][r])
                    .arg(s.outN[r]);
    switch (s.shape[d][r]) {
        case kShapeRect: {
            const QRect& q = s.rect[d][r].rect;
            v += QStringLiteral("0 %1 %2 %3 %4").arg(q.left()).arg(q.top()).arg(q.right()).arg(q.bottom());
            break;
        }
        case kShapeRing: {
            const Circle& c = s.circle[d][r];
            v += QStringLiteral("0 %1 %2 %3").arg(c.cx).arg(c.cy).arg(c.rIn * 65536 + c.r);
            break;
        }
        case kShapePolygon: {
            const RePolygon& p = s.polygon[d][r];
            const int n = std::clamp(int(p.count), 0, kMaxPolygonPoints);
            v.reserve(v.size() + 12 * n + 8);
            v += QString::number(n);
            v += QLatin1Char(' ');
            for (int i = 0; i < n; ++i) {
                v += QString::number(p.pts[i].x());
                v += QLatin1Char(' ');
                v += QString::number(p.pts[i].y());
                v += QLatin1Char(' ');
            }
            break;
        }
        default:
            break;
    }
    return v;
}

bool CammerSingleton::SaveDatatoFile(QSqlQuery query) {
    const QString table = tableName(camera);
    if (!ensureTable(query, table)) return false;
    if (!query.exec(QStringLiteral("SAVEPOINT cammer_save"))) {
        qWarning().noquote() << "region store: cannot start a transaction:" << query.lastError().text();
        return false;
    }
    const QString updateText = QStringLiteral("update %1 set value=? where name=?").arg(table);
    const QString selectText = QStringLiteral("select 1 from %1 where name=?").arg(table);
    const QString insertText = QStringLiteral("insert into %1 values(?, ?)").arg(table);
    const QString deleteText = QStringLiteral("delete from %1 where name=?").arg(table);

    bool ok = true;
    for (int d = 0; d < kStepCount && ok; ++d) {
        QStringList detect{QString::number(count[d])};
        for (int f = 0; f < 8; ++f) detect << QString::number(flags[d][f]);
        query.prepare(updateText);
        query.addBindValue(detect.join(QLatin1Char(' ')));
        query.addBindValue(QStringLiteral("detect%1").arg(d));
        ok = execLogged(query, "update of the step row");

        const int n = std::clamp(int(count[d]), 0, kRoiCount);
        for (int r = 0; r < n && ok; ++r) {
            const QString name = QStringLiteral("ROI%1-%2").arg(d).arg(r);
            query.prepare(selectText);
            query.addBindValue(name);
            ok = execLogged(query, "region lookup");
            if (!ok) break;
            const bool exists = query.next();
            query.finish();
            const QString value = roiValueText(*this, d, r);
            if (exists) {
                query.prepare(updateText);
                query.addBindValue(value);
                query.addBindValue(name);
                ok = execLogged(query, "region update");
            } else {
                query.prepare(insertText);
                query.addBindValue(name);
                query.addBindValue(value);
                ok = execLogged(query, "region insert");
            }
        }
        for (int r = n; r < kRoiCount && ok; ++r) {
            query.prepare(deleteText);
            query.addBindValue(QStringLiteral("ROI%1-%2").arg(d).arg(r));
            ok = execLogged(query, "region delete");
        }
    }
    if (!ok || !query.exec(QStringLiteral("RELEASE cammer_save"))) {
        qWarning().noquote() << "region store: saving" << table << "failed, nothing was changed";
        query.exec(QStringLiteral("ROLLBACK TO cammer_save"));
        query.exec(QStringLiteral("RELEASE cammer_save"));
        return false;
    }
    if (gpWPara && gpWPara->cnt_net_on) {
        for (int d = 0; d < kStepCount; ++d) notifyRoiParam(camera, d);
    }
    return true;
}

bool CammerSingleton::LoadDatafromFile(QSqlQuery query, CammerViewData* view) {
    const QString table = tableName(camera);
    if (!ensureTable(query, table)) return false;
    const QString selectText = QStringLiteral("select value from %1 where name=?").arg(table);
    // One transaction: the step rows that are missing are inserted together.
    const bool inTransaction = query.exec(QStringLiteral("SAVEPOINT cammer_load"));
    bool dbOk = true;
    for (int d = 0; d < kStepCount; ++d) {
        const QString detectName = QStringLiteral("detect%1").arg(d);
        query.prepare(selectText);
        query.addBindValue(detectName);
        dbOk = execLogged(query, "step row read") && dbOk;
        if (query.next()) {
            IntReader in(query.value(0).toString());
            query.finish();
            count[d] = in.next();
            for (int f = 0; f < 8; ++f) flags[d][f] = in.next();
        } else {
            query.finish();
            count[d] = 0;
            query.prepare(QStringLiteral("insert into %1 values(?, '0')").arg(table));
            query.addBindValue(detectName);
            dbOk = execLogged(query, "step row insert") && dbOk;
        }
        if (uint32_t(count[d]) > uint32_t(kRoiCount)) {
            qWarning() << "region store: camera" << camera << "step" << d << "has" << count[d] << "regions";
            showWarnBox(lanText(0, "Camera parameter file error!"));
            count[d] = 0;
            continue;
        }
        for (int r = 0; r < count[d]; ++r) {
            query.prepare(selectText);
            query.addBindValue(QStringLiteral("ROI%1-%2").arg(d).arg(r));
            dbOk = execLogged(query, "region read") && dbOk;
            if (!query.next()) {
                query.finish();
                setDefaultRegion(d, r);
            } else {
                IntReader in(query.value(0).toString());
                query.finish();
                para1[d][r] = in.next();
                sens[d][r] = in.next();
                area[d][r] = in.next();
                func[d][r] = in.next();
                shape[d][r] = in.next();
                const int group = in.next();
                outN[r] = (group >= 0 && group <= 3) ? group : 0;
                const int n = in.next();
                switch (shape[d][r]) {
                    case kShapePolygon:
                        if (n >= 1 && n <= kMaxPolygonPoints) {
                            RePolygon& p = polygon[d][r];
                            p = RePolygon();
                            p.count = n;
                            p.pts[n - 1] = QPoint();  // one allocation for all the vertices
                            for (int i = 0; i < n; ++i) {
                                int x = in.next(), y = in.next();
                                CheckInRange(&x, 1);
                                CheckInRange(&y, 0);
                                p.pts[i] = QPoint(x, y);
                            }
                        } else {
                            setDefaultRegion(d, r);
                        }
                        break;
                    case kShapeRing: {
                        Circle& c = circle[d][r];
                        c = Circle();
                        int x = in.next(), y = in.next();
                        CheckInRange(&x, 1);
                        CheckInRange(&y, 0);
                        const uint32_t packed = uint32_t(in.next());
                        c.cx = x;
                        c.cy = y;
                        c.r = int(packed & 0xFFFFu);
                        c.rIn = int(packed >> 16);
                        c.UpdateRect();
                        break;
                    }
                    case kShapeRect: {
                        int x1 = in.next(), y1 = in.next(), x2 = in.next(), y2 = in.next();
                        CheckInRange(&x1, 1);
                        CheckInRange(&y1, 0);
                        CheckInRange(&x2, 1);
                        CheckInRange(&y2, 0);
                        rect[d][r] = ClustomRect();
                        rect[d][r].rect.setCoords(x1, y1, x2, y2);
                        break;
                    }
                    default:
                        break;
                }
            }
            cv::Mat mask = updateRegion(d, r);
            if (view) view->savedMasks[d][r] = mask;
        }
    }
    if (inTransaction && !query.exec(QStringLiteral("RELEASE cammer_load"))) {
        qWarning().noquote() << "region store: cannot finish reading" << table << query.lastError().text();
        query.exec(QStringLiteral("ROLLBACK TO cammer_load"));
        query.exec(QStringLiteral("RELEASE cammer_load"));
        dbOk = false;
    }
    return dbOk;
}
