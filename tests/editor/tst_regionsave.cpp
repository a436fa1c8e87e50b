// Saving region edits: the change records, one question for all cameras, the table written before
// anything is recorded, a failed write kept unsaved, and the steps that share regions kept in step.
#include <QSqlError>
#include <QtTest>
#include <memory>

#include "app/savereport.h"
#include "editorworld.h"
#include "editor/regioption.h"

namespace {
std::unique_ptr<CammerSingleton> storeWithRects(int n, int step = 0) {
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[step] = n;
    for (int r = 0; r < n; ++r) {
        s->shape[step][r] = kShapeRect;
        s->rect[step][r].rect = QRect(100 + 200 * r, 100, 150, 150);
        s->rect[step][r].setImageRect();
        s->func[step][r] = kFuncDefect;
        s->para1[step][r] = 5;
        s->sens[step][r] = 25;
        s->area[step][r] = 100;
    }
    return s;
}

QStringList tablesLike(const QString& prefix) {
    QStringList out;
    QSqlQuery q(ParameterManager::getInstance()->paramQuery);
    q.exec(QStringLiteral("select name from sqlite_master where type='table'"));
    while (q.next())
        if (q.value(0).toString().startsWith(prefix)) out << q.value(0).toString();
    return out;
}

void endSet(EditorWorld& ew) {
    ew.w->regiOption->button(RegiOption::BTN_END_SET)->click();
}
}  // namespace

class TestRegionSave : public QObject {
    Q_OBJECT
private slots:
    void init() { gLan = 1; }
    void cleanup() { gLan = 0; }
    void recordTexts_data();
    void recordTexts();
    void percentInTextsIsKept();
    void nothingChangedAsksNothing();
    void confirmedSaveRoundTrips();
    void declinedSaveAsksAgain();
    void failedWriteRecordsNothing();
    void failedMaskWriteKeepsOldPoints();
    void sharedStepsFollow();
};

void TestRegionSave::recordTexts_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("expected");  // built with the English table in the test body
    QTest::newRow("sensitivity 25 -> 30 of region 2") << "sens" << QStringList{"sens"};
    QTest::newRow("new Spot region 2") << "addSpot" << QStringList{"addSpot"};
    QTest::newRow("last of 3 deleted") << "delete" << QStringList{"delete"};
    QTest::newRow("function only: nothing") << "func" << QStringList{};
    QTest::newRow("function, then moved") << "funcMove" << QStringList{"funcMove"};
    QTest::newRow("output number and cavity flag: nothing") << "outN" << QStringList{};
    QTest::newRow("selection only: nothing") << "select" << QStringList{};
}

void TestRegionSave::recordTexts() {
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    if (gaLanStr[150 * kLanColumns].isEmpty()) loadLanguageTable();
    const int before = change == "delete" ? 3 : 2;
    auto saved = storeWithRects(before);
    auto working = std::make_unique<CammerSingleton>(*saved);
    CammerSingleton& w = *working;
    if (change == "sens") w.sens[0][1] = 30;
    if (change == "addSpot") {
        w.count[0] = 3;
        w.shape[0][2] = kShapeRect;
        w.rect[0][2].rect = QRect(700, 400, 100, 100);
        w.func[0][2] = kFuncSpot;
        w.para1[0][2] = 12800;
        w.sens[0][2] = 80;
        w.area[0][2] = 500;
    }
    if (change == "delete") w.count[0] = 2;
    if (change == "func" || change == "funcMove") w.func[0][1] = kFuncIgnore;
    if (change == "funcMove") w.rect[0][1].rect.translate(10, 0);
    if (change == "outN") {
        w.outN[1] = 2;
        w.flags[1][3] = 2;
    }
    if (change == "select") w.rect[0][1].SetSelected(true);
    bool position = false;
    const QStringList got = regionChangeRecords(*saved, w, 1, 0, kDetectStandard, &position);
    const QString header = lanText(73).arg("1", lanText(263));
    QStringList want;
    for (const QString& e : expected) {
        if (e == "sens")
            want << header + lanText(99).arg(lanText(74), "2", lanText(84),
                                             lanText(97).arg(lanText(94).arg("25", "30"), "", ""), "");
        if (e == "addSpot")
            want << header + lanText(80).arg(lanText(74), "3", lanText(77).arg("0", "50", "80", "500"));
        if (e == "delete") want << header + lanText(81).arg(lanText(74), "3", lanText(25));
        if (e == "funcMove")
            want << header + lanText(99).arg(lanText(74), "2", lanText(82) + lanText(25) + lanText(83),
                                             lanText(17), lanText(98));
    }
    QCOMPARE(got, want);
    QCOMPARE(regionsDiffer(*saved, w), change != "select");
    QVERIFY(!position);
}

// Texts are filled in one pass: a "%1" inside a step name or parameter text is not filled again.
void TestRegionSave::percentInTextsIsKept() {
    if (gaLanStr[150 * kLanColumns].isEmpty()) loadLanguageTable();
    QString& label = gaLanStr[263 * kLanColumns + 1];
    const QString keep = label;
    label = QStringLiteral("P%1%2");
    auto saved = storeWithRects(1);
    auto working = std::make_unique<CammerSingleton>(*saved);
    working->area[0][0] = 101;
    bool position = false;
    const QStringList got = regionChangeRecords(*saved, *working, 4, 0, kDetectStandard, &position);
    label = keep;
    QCOMPARE(got.size(), 1);
    QVERIFY2(got[0].contains("P%1%2"), qPrintable(got[0]));
    QVERIFY(got[0].contains("4"));
}

// Nothing changed (a merely selected region included): no question, no record, no table write.
void TestRegionSave::nothingChangedAsksNothing() {
    EditorWorld ew;
    ew.saved().count[1] = 0;
    ew.drawRect({100, 100}, {300, 300});
    ew.world.prompter.queueAnswer(true);
    endSet(ew);
    const int records = ew.world.records().size();
    ew.w->SlotAdjustArea();
    ew.touch.tap({200, 200});
    QCOMPARE(ew.v->data.selectedRoi, 0);
    endSet(ew);
    QCOMPARE(ew.world.prompter.questions.size(), 1);
    QCOMPARE(ew.world.records().size(), records);
}

// A confirmed save: saved == working, one record per change, the table reloads to the same regions.
void TestRegionSave::confirmedSaveRoundTrips() {
    EditorWorld ew;
    const int d = ew.step();
    ew.drawRect({100, 100}, {300, 300});
    ew.editor->SlotDrawCircle();
    ew.touch.drag({{400, 100}, {500, 150}, {600, 300}});
    ew.editor->SlotDrawPloygn();
    for (QPoint p : {QPoint(800, 100), QPoint(1000, 100), QPoint(900, 300)}) ew.touch.tap(p);
    ew.editor->SlotDrawPloygn();
    QCOMPARE(ew.count(), 3);
    const int records = ew.world.records().size();
    ew.world.prompter.queueAnswer(true);
    endSet(ew);
    QCOMPARE(ew.world.prompter.questions, QStringList{lanText(72)});
    QCOMPARE(ew.world.records().size(), records + 3);
    QVERIFY(!regionsDiffer(ew.saved(), ew.work()));
    QCOMPARE(ew.saved().count[d], 3);
    QVERIFY(!ew.v->data.savedMasks[d][2].empty());
    auto reloaded = std::make_unique<CammerSingleton>(ew.saved().camera);
    QVERIFY(reloaded->LoadDatafromFile(ParameterManager::getInstance()->paramQuery, nullptr));
    QVERIFY(!regionsDiffer(*reloaded, ew.saved()));
    QCOMPARE(ew.w->DisplayState, 0);
}

// Declined: the stores stay unsaved and the next save asks again; Area Settings discards the edits.
void TestRegionSave::declinedSaveAsksAgain() {
    EditorWorld ew;
    ew.drawRect({100, 100}, {300, 300});
    ew.world.prompter.queueAnswer(false);
    ew.editor->SlotSaveData();
    QCOMPARE(ew.saved().count[ew.step()], 0);
    ew.world.prompter.queueAnswer(false);
    ew.editor->SlotSaveData();
    QCOMPARE(ew.world.prompter.questions.size(), 2);
    ew.world.prompter.queueAnswer(false);
    endSet(ew);
    QCOMPARE(ew.world.prompter.questions.size(), 3);
    ew.w->SlotAdjustArea();
    QCOMPARE(ew.count(), 0);
}

// The table refuses the write (as a full disk would): the operator is told once (one box, one record),
// no change is recorded and the saved store keeps its regions; the edits stay to be saved again.
void TestRegionSave::failedWriteRecordsNothing() {
    EditorWorld ew;
    ew.drawRect({100, 100}, {300, 300});
    const QStringList tables = tablesLike("cammer");
    QVERIFY(!tables.isEmpty());
    QSqlQuery q(ParameterManager::getInstance()->paramQuery);
    for (const QString& t : tables) {
        for (const char* op : {"insert", "update"}) {
            QVERIFY2(
                q.exec(QStringLiteral("create trigger full_%1_%2 before %2 on %1 begin select raise(abort, "
                                      "'disk full'); end")
                           .arg(t, QLatin1String(op))),
                qPrintable(q.lastError().text()));
        }
    }
    const int records = ew.world.records().size();
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotSaveData();
    QTRY_COMPARE(ew.world.prompter.warnings, QStringList{lanText(600).arg("PARAM.db")});
    QCOMPARE(ew.world.records().mid(records), ew.world.prompter.warnings);
    QCOMPARE(ew.saved().count[ew.step()], 0);
    QVERIFY(regionsDiffer(ew.saved(), ew.work()));
}

// A deleted region's ignore points are cleared at the save; when the mask file cannot be written the
// operator hears it once (the writer's box and record) and the mask in use keeps the old points, as
// the file does. The regions themselves are saved.
void TestRegionSave::failedMaskWriteKeepsOldPoints() {
    resetSaveReports();
    EditorWorld ew;
    ew.drawRect({100, 100}, {300, 300});
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotSaveData();
    const int d = ew.step();
    cv::Mat& mask = ew.v->data.ignoreImages[d];
    const QRect box = ew.saved().imageRect(d, 0);
    mask.at<uchar>(box.top() + 1, box.left() + 1) = 255;
    QVERIFY(QDir().mkpath(QStringLiteral("cammer1%1/ignorepoint.bmp").arg(d + 1)));

    ew.world.prompter.queueAnswer(true);  // delete the region, still selected
    ew.world.prompter.queueAnswer(true);  // save
    const int records = ew.world.records().size();
    ew.editor->SlotDeleteROI();
    ew.editor->SlotSaveData();
    QCOMPARE(ew.saved().count[d], 0);
    QTRY_COMPARE(ew.world.prompter.warnings.filter(QStringLiteral("ignorepoint.bmp")).size(), 1);
    QCOMPARE(ew.world.prompter.warnings.size(), 1);
    QCOMPARE(ew.world.records().mid(records).filter(QStringLiteral("ignorepoint.bmp")).size(), 1);
    QCOMPARE(cv::countNonZero(mask), 1);
    resetSaveReports();
}

// Standard procedure with "Two same parameters": saving step 0 makes step 1 a copy in both stores and
// both mask sets; output numbers stay.
void TestRegionSave::sharedStepsFollow() {
    EditorWorld ew(64, 48, [](WizardPara& p) {
        p.detect_mode = kDetectStandard;
        p.enabe_two_test = 1;
        p.enable_prod_detect = 1;
    });
    QCOMPARE(ew.step(), 0);
    ew.drawRect({100, 100}, {300, 300});
    ew.drawRect({400, 100}, {600, 300});
    ew.world.prompter.queueAnswer(true);
    endSet(ew);
    for (CammerSingleton* s : {&ew.saved(), &ew.work()}) {
        QCOMPARE(s->count[1], 2);
        QCOMPARE(s->rect[1][1].rect, s->rect[0][1].rect);
        QVERIFY(!s->rect[1][1].IsSelected());
    }
    QCOMPARE(ew.v->data.savedMasks[1][1].data, ew.v->data.savedMasks[0][1].data);
    QCOMPARE(ew.v->data.workingMasks[1][0].data, ew.v->data.savedMasks[0][0].data);
}

QTEST_MAIN(TestRegionSave)
#include "tst_regionsave.moc"
