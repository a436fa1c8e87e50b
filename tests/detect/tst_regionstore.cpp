#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <memory>
#include <random>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "detect/cammersingleton.h"
#include "detect/cammerviewdata.h"
#include "detect/detecthooks.h"
#include "programdir.h"
#include "scriptedprompter.h"

namespace {
const char* kConn = "regionstore";

QSqlQuery paramQuery() { return QSqlQuery(QSqlDatabase::database(kConn)); }

QString rowValue(const QString& name, int camera = 0) {
    QSqlQuery q = paramQuery();
    q.prepare(QString("select value from cammer%1 where name=?").arg(camera));
    q.addBindValue(name);
    if (!q.exec() || !q.next()) return QString();
    return q.value(0).toString();
}

bool hasRow(const QString& name, int camera = 0) {
    QSqlQuery q = paramQuery();
    q.prepare(QString("select count(*) from cammer%1 where name=?").arg(camera));
    q.addBindValue(name);
    return q.exec() && q.next() && q.value(0).toInt() > 0;
}

void putRow(const QString& name, const QString& value, int camera = 0) {
    QSqlQuery q = paramQuery();
    q.prepare(QString("delete from cammer%1 where name=?").arg(camera));
    q.addBindValue(name);
    q.exec();
    q.prepare(QString("insert into cammer%1 values(?, ?)").arg(camera));
    q.addBindValue(name);
    q.addBindValue(value);
    QVERIFY(q.exec());
}

std::unique_ptr<CammerSingleton> loadedStore(CammerViewData* view = nullptr) {
    auto s = std::make_unique<CammerSingleton>(0);
    s->LoadDatafromFile(paramQuery(), view);
    return s;
}

void setPolygon(CammerSingleton& s, int d, int r, const QVector<QPoint>& pts) {
    s.shape[d][r] = kShapePolygon;
    s.polygon[d][r] = RePolygon(pts.size(), pts.constData());
}

void setRing(CammerSingleton& s, int d, int r, int cx, int cy, int rIn, int rOut) {
    s.shape[d][r] = kShapeRing;
    Circle& c = s.circle[d][r];
    c.cx = cx;
    c.cy = cy;
    c.r = rOut;
    c.rIn = rIn;
    c.UpdateRect();
}

void setParams(CammerSingleton& s, int d, int r, int p1, int sens, int area, int func) {
    s.para1[d][r] = p1;
    s.sens[d][r] = sens;
    s.area[d][r] = area;
    s.func[d][r] = func;
}

// Stored fields equal (what the table keeps).
void compareStored(const CammerSingleton& a, const CammerSingleton& b) {
    for (int d = 0; d < kStepCount; ++d) {
        QCOMPARE(a.count[d], b.count[d]);
        for (int f = 0; f < 8; ++f) QCOMPARE(a.flags[d][f], b.flags[d][f]);
        for (int r = 0; r < a.count[d]; ++r) {
            QCOMPARE(a.para1[d][r], b.para1[d][r]);
            QCOMPARE(a.sens[d][r], b.sens[d][r]);
            QCOMPARE(a.area[d][r], b.area[d][r]);
            QCOMPARE(a.func[d][r], b.func[d][r]);
            QCOMPARE(a.shape[d][r], b.shape[d][r]);
            QCOMPARE(a.outN[r], b.outN[r]);
            switch (a.shape[d][r]) {
                case kShapeRect:
                    QCOMPARE(a.rect[d][r].rect, b.rect[d][r].rect);
                    break;
                case kShapeRing:
                    QCOMPARE(a.circle[d][r].cx, b.circle[d][r].cx);
                    QCOMPARE(a.circle[d][r].cy, b.circle[d][r].cy);
                    QCOMPARE(a.circle[d][r].r, b.circle[d][r].r);
                    QCOMPARE(a.circle[d][r].rIn, b.circle[d][r].rIn);
                    break;
                case kShapePolygon:
                    QCOMPARE(a.polygon[d][r].count, b.polygon[d][r].count);
                    for (int i = 0; i < a.polygon[d][r].count; ++i)
                        QCOMPARE(a.polygon[d][r].pts[i], b.polygon[d][r].pts[i]);
                    break;
                default:
                    break;
            }
        }
    }
}
}  // namespace

class TestRegionStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void storedText_data();
    void storedText();
    void roundTripEveryField();
    void editsOfExistingRegionsAreSaved();
    void saveRowManagement();
    void failedSaveChangesNothing();
    void bridgeNotifiedAfterSave();
    void loadCorrections_data();
    void loadCorrections();
    void countOutOfRangeWarnsOnce();
    void missingStepRowInsertedByLoad();
    void loadBuildsMasks();
    void bytewiseIdentity();

private:
    std::unique_ptr<ProgramDir> dir_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    WizardPara para_;
};

void TestRegionStore::initTestCase() {
    gShowW = 1725;
    gShowH = 982;
    setImageGeometry(1280, 1024, false);
    gpWPara = &para_;
}

void TestRegionStore::init() {
    dir_ = std::make_unique<ProgramDir>();
    QVERIFY(dir_->isValid());
    prompter_ = std::make_unique<ScriptedPrompter>();
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kConn);
    db.setDatabaseName(dir_->filePath("PARAM.db"));
    QVERIFY(db.open());
    QSqlQuery q(db);
    for (int c = 0; c < 8; ++c) QVERIFY(q.exec(QString("CREATE TABLE cammer%1 (name TEXT, value TEXT)").arg(c)));
    para_.cnt_net_on = 0;
    resetDetectHooks();
}

void TestRegionStore::cleanup() {
    QSqlDatabase::database(kConn).close();
    QSqlDatabase::removeDatabase(kConn);
    prompter_.reset();
    dir_.reset();
    resetDetectHooks();
}

void TestRegionStore::cleanupTestCase() {
    gpWPara = nullptr;
    resetImageGlobals();
    resetAppGlobals();
}

void TestRegionStore::storedText_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("default rectangle") << 1 << "5 25 100 0 1 0 0 50 50 100 100";
    QTest::newRow("ring 40/100") << 4 << QString("5 25 100 0 4 0 0 400 300 %1").arg(40 * 65536 + 100);
    QTest::newRow("triangle") << 2 << "5 25 100 0 2 0 3 10 10 60 10 30 40 ";
    QTest::newRow("no geometry") << 9 << "5 25 100 0 9 2 ";
}

void TestRegionStore::storedText() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    loadedStore();  // creates the step rows
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[3] = 1;
    s->setDefaultRegion(3, 0);
    if (kind == 4) setRing(*s, 3, 0, 400, 300, 40, 100);
    if (kind == 2) setPolygon(*s, 3, 0, {{10, 10}, {60, 10}, {30, 40}});
    if (kind == 9) {
        s->shape[3][0] = 9;
        s->outN[0] = 2;
    }
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QCOMPARE(rowValue("ROI3-0"), text);
    QCOMPARE(rowValue("detect3"), QString("1 0 0 0 0 0 0 0 0"));
    auto back = loadedStore();
    compareStored(*s, *back);
    if (kind == 4) {
        QCOMPARE(back->circle[3][0].rIn, 40);
        QCOMPARE(back->circle[3][0].r, 100);
    }
}

void TestRegionStore::roundTripEveryField() {
    loadedStore();
    auto s = std::make_unique<CammerSingleton>(0);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(-100000, 100000), x(3, 1722), y(3, 979);
    for (int d = 0; d < kStepCount; ++d) {
        s->count[d] = (d * 13) % 51;
        for (int f = 0; f < 8; ++f) s->flags[d][f] = any(rng);
        for (int r = 0; r < s->count[d]; ++r) {
            setParams(*s, d, r, any(rng), any(rng), any(rng), r % 9);
            switch (r % 4) {
                case 0:
                    s->shape[d][r] = kShapeRect;
                    s->rect[d][r].rect.setCoords(x(rng), y(rng), x(rng), y(rng));
                    break;
                case 1:
                    setRing(*s, d, r, 500 + r, 400 + d, r, 3 * r + 10);
                    break;
                case 2: {
                    QVector<QPoint> pts;
                    for (int i = 0; i < 3 + r; ++i) pts << QPoint(x(rng), y(rng));
                    setPolygon(*s, d, r, pts);
                    break;
                }
                default:
                    s->shape[d][r] = 0;
                    break;
            }
        }
    }
    for (int r = 0; r < kRoiCount; ++r) s->outN[r] = r % 4;
    // One polygon of the largest size.
    QVector<QPoint> big;
    for (int i = 0; i < kMaxPolygonPoints; ++i) big << QPoint(x(rng), y(rng));
    setPolygon(*s, 1, 2, big);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    auto back = loadedStore();
    compareStored(*s, *back);
    QCOMPARE(back->polygon[1][2].count, kMaxPolygonPoints);
    QCOMPARE(prompter_->warnings.size(), 0);
}

void TestRegionStore::editsOfExistingRegionsAreSaved() {
    loadedStore();
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[0] = 2;
    s->setDefaultRegion(0, 0);
    s->setDefaultRegion(0, 1);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    // Second save updates the existing rows.
    setParams(*s, 0, 1, 7, 8, 9, 5);
    s->rect[0][1].rect.setCoords(200, 210, 300, 320);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QCOMPARE(rowValue("ROI0-1"), QString("7 8 9 5 1 0 0 200 210 300 320"));
    QCOMPARE(rowValue("ROI0-0"), QString("5 25 100 0 1 0 0 50 50 100 100"));
    QSqlQuery q = paramQuery();
    QVERIFY(q.exec("select count(*) from cammer0 where name='ROI0-1'") && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

void TestRegionStore::saveRowManagement() {
    loadedStore();
    for (int r = 0; r <= 50; ++r) putRow(QString("ROI2-%1").arg(r), "5 25 100 0 1 0 0 50 50 100 100");
    for (int r = 0; r < 50; ++r) putRow(QString("ROI4-%1").arg(r), "5 25 100 0 1 0 0 50 50 100 100");
    QSqlQuery q = paramQuery();
    QVERIFY(q.exec("delete from cammer0 where name='detect6'"));
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[2] = 0;
    s->flags[2][7] = 4;
    s->count[4] = 50;
    for (int r = 0; r < 50; ++r) s->setDefaultRegion(4, r);
    s->count[6] = 1;
    s->setDefaultRegion(6, 0);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QCOMPARE(rowValue("detect2"), QString("0 0 0 0 0 0 0 0 4"));
    for (int r = 0; r < 50; ++r) QVERIFY(!hasRow(QString("ROI2-%1").arg(r)));
    QVERIFY(hasRow("ROI2-50"));  // never touched
    for (int r = 0; r < 50; ++r) QVERIFY(hasRow(QString("ROI4-%1").arg(r)));
    QVERIFY(!hasRow("detect6"));  // a save does not create the step row
    QVERIFY(hasRow("ROI6-0"));
}

void TestRegionStore::failedSaveChangesNothing() {
    loadedStore();
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[0] = 5;
    for (int r = 0; r < 5; ++r) s->setDefaultRegion(0, r);
    s->count[1] = 1;
    s->setDefaultRegion(1, 0);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QSqlQuery q = paramQuery();
    QVERIFY(q.exec("CREATE TRIGGER no_roi BEFORE INSERT ON cammer0 WHEN NEW.name='ROI1-1' "
                   "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    s->count[0] = 2;  // would delete ROI0-2..4
    setParams(*s, 0, 0, 1, 2, 3, 4);
    s->count[1] = 2;
    s->setDefaultRegion(1, 1);
    int notified = 0;
    para_.cnt_net_on = 1;
    setRoiParamNotifier([&](int, int) { ++notified; });
    QVERIFY(!s->SaveDatatoFile(paramQuery()));
    QCOMPARE(notified, 0);
    QCOMPARE(rowValue("detect0"), QString("5 0 0 0 0 0 0 0 0"));
    QCOMPARE(rowValue("ROI0-0"), QString("5 25 100 0 1 0 0 50 50 100 100"));
    QVERIFY(hasRow("ROI0-4"));
    // The connection is usable afterwards: the next save goes through.
    QVERIFY(q.exec("DROP TRIGGER no_roi"));
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QCOMPARE(rowValue("ROI0-0"), QString("1 2 3 4 1 0 0 50 50 100 100"));
    QVERIFY(!hasRow("ROI0-4"));
}

void TestRegionStore::bridgeNotifiedAfterSave() {
    loadedStore();
    QList<QPair<int, int>> calls;
    setRoiParamNotifier([&](int camera, int step) { calls << qMakePair(camera, step); });
    auto s = std::make_unique<CammerSingleton>(0);
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QVERIFY(calls.isEmpty());  // bridge switched off
    para_.cnt_net_on = 1;
    QVERIFY(s->SaveDatatoFile(paramQuery()));
    QCOMPARE(calls.size(), 8);
    QCOMPARE(calls.first(), qMakePair(0, 0));
    QCOMPARE(calls.last(), qMakePair(0, 7));
}

void TestRegionStore::loadCorrections_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QVector<int>>("params");  // para1 sens area func shape outN
    QTest::addColumn<QRect>("rect");          // rectangle geometry when shape 1
    const QRect def(QPoint(50, 50), QPoint(100, 100));
    QTest::newRow("polygon n 0") << "1 2 3 6 2 1 0 10 10" << QVector<int>{5, 25, 100, 0, 1, 0} << def;
    QTest::newRow("polygon n 8097") << "1 2 3 6 2 1 8097 10 10" << QVector<int>{5, 25, 100, 0, 1, 0} << def;
    QTest::newRow("group 7") << "1 2 3 4 1 7 0 10 20 30 40" << QVector<int>{1, 2, 3, 4, 1, 0}
                             << QRect(QPoint(10, 20), QPoint(30, 40));
    QTest::newRow("group -1") << "1 2 3 4 1 -1 0 10 20 30 40" << QVector<int>{1, 2, 3, 4, 1, 0}
                              << QRect(QPoint(10, 20), QPoint(30, 40));
    QTest::newRow("clamped coordinates") << "1 2 3 4 1 3 0 0 2 1725 982" << QVector<int>{1, 2, 3, 4, 1, 3}
                                         << QRect(QPoint(3, 3), QPoint(1722, 979));
    QTest::newRow("short row") << "9 8 7 0 1 2 0 60 70" << QVector<int>{9, 8, 7, 0, 1, 2}
                               << QRect(QPoint(60, 70), QPoint(3, 3));
    QTest::newRow("garbage ends the row") << "9 8 x 0 1 2 0 60 70 80 90" << QVector<int>{9, 8, 0, 0, 0, 0}
                                          << QRect();
}

void TestRegionStore::loadCorrections() {
    QFETCH(QString, value);
    QFETCH(QVector<int>, params);
    QFETCH(QRect, rect);
    putRow("detect1", "1 0 0 0 0 0 0 0 0");
    putRow("ROI1-0", value);
    auto view = std::make_unique<CammerViewData>();
    view->allocate(0);
    auto s = loadedStore(view.get());
    QCOMPARE(s->count[1], 1);
    QCOMPARE(s->para1[1][0], params[0]);
    QCOMPARE(s->sens[1][0], params[1]);
    QCOMPARE(s->area[1][0], params[2]);
    QCOMPARE(s->func[1][0], params[3]);
    QCOMPARE(s->shape[1][0], params[4]);
    QCOMPARE(s->outN[0], params[5]);
    if (params[4] == kShapeRect) {
        QCOMPARE(s->rect[1][0].rect, rect);
    } else {
        QVERIFY(view->savedMasks[1][0].empty());
    }
}

void TestRegionStore::countOutOfRangeWarnsOnce() {
    putRow("detect0", "51 1 1 1 1 1 1 1 1");
    putRow("detect1", "-1");
    putRow("detect2", "50");
    putRow("detect3", "2 9");
    auto s = loadedStore();
    QCOMPARE(prompter_->warnings.size(), 2);
    QCOMPARE(prompter_->warnings.first(), QString("Camera parameter file error!"));
    QCOMPARE(s->count[0], 0);
    QCOMPARE(s->count[1], 0);
    QCOMPARE(s->count[2], 50);
    QCOMPARE(s->count[3], 2);
    QCOMPARE(s->flags[3][0], 9);
    QCOMPARE(s->flags[3][1], 0);
    QCOMPARE(s->rect[3][1].rect, QRect(QPoint(50, 50), QPoint(100, 100)));  // missing row: default
}

void TestRegionStore::missingStepRowInsertedByLoad() {
    QVERIFY(!hasRow("detect5"));
    auto s = loadedStore();
    QCOMPARE(rowValue("detect5"), QString("0"));
    QCOMPARE(s->count[5], 0);
}

void TestRegionStore::loadBuildsMasks() {
    putRow("detect0", "3");
    putRow("ROI0-0", "5 25 100 0 1 0 0 101 57 333 250");
    putRow("ROI0-1", QString("5 25 100 0 4 0 0 1622 500 %1").arg(10 * 65536 + 100));
    putRow("ROI0-2", "5 25 100 0 2 0 4 200 200 400 210 390 400 210 380 ");
    auto view = std::make_unique<CammerViewData>();
    view->allocate(0);
    auto s = loadedStore(view.get());
    for (int r = 0; r < 3; ++r) {
        const QRect box = s->imageRect(0, r);
        const cv::Mat& m = view->savedMasks[0][r];
        QVERIFY(!m.empty());
        QCOMPARE(m.cols, box.width());
        QCOMPARE(m.rows, box.height());
        QVERIFY(box.left() >= 0 && box.top() >= 0 && box.right() < gImageW && box.bottom() < gImageH);
    }
    QCOMPARE(cv::countNonZero(view->savedMasks[0][0]), s->imageRect(0, 0).width() * s->imageRect(0, 0).height());
}

void TestRegionStore::bytewiseIdentity() {
    auto a = std::make_unique<CammerSingleton>(3), b = std::make_unique<CammerSingleton>(3);
    QVERIFY(*a == *b);
    auto c = std::make_unique<CammerSingleton>(*a);
    QVERIFY(*c == *a);
    c->polygon[7][49].pts[8095] = QPoint(1, 0);
    QVERIFY(*c != *a);
    *c = *a;
    QVERIFY(*c == *a);
    c->rect[0][0].selected = true;
    QVERIFY(*c != *a);
}

QTEST_GUILESS_MAIN(TestRegionStore)
#include "tst_regionstore.moc"
