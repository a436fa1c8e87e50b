#include <QApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "programdir.h"

namespace {

// Ids that no screen shows: empty in every language, like the spare ids 598, 599 and the end.
bool isReservedId(int id) {
    return id == 153 || id == 321 || id == 322 || (id >= 530 && id <= 539) || id == 567 || id == 598 ||
           id == 599;
}

// The monitor's own ids are filled as areas need them; an unused one is empty in every column.
bool isUnusedOwnId(int id) {
    if (id < kLanFirstOwnId) return false;
    for (int c = 0; c < kLanColumns; ++c)
        if (!gaLanStr[id * kLanColumns + c].isEmpty()) return false;
    return true;
}

// Ids whose Chinese texts deliberately differ from the English one in leading or trailing blanks.
bool blanksMayDiffer(int id) {
    return id == 173;  // "     无   " aligns a caption; the English is "None"
}

QStringList placeholders(const QString& s) {
    QStringList out;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("%\\d+")).globalMatch(s);
    while (it.hasNext()) out << it.next().captured();
    out.sort();
    return out;
}

QString lan(int id, int column) {
    return gaLanStr[id * kLanColumns + column];
}

const char* const kImageFiles[] = {"title.png",
                                   "line.png",
                                   "edit.png",
                                   "Origin.png",
                                   "MoveUp.png",
                                   "MoveDown.png",
                                   "MoveLeft.png",
                                   "MoveRight.png",
                                   "CheckedAdmin.png",
                                   "Admin.png",
                                   "CheckedOperator.png",
                                   "Operator.png",
                                   "CheckedLimitUser.png",
                                   "LimitUser.png"};

}  // namespace

class TestLanStr : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyId_data();
    void everyId();
    void givenTextsVerbatim_data();
    void givenTextsVerbatim();
    void placeholdersFillInNumberOrder();
    void readingFollowsLanguage();
    void pixmapsFromResourcesAndProgramDir();
    void missingImagesGiveNullPixmaps();
    void englishTranslationFile_data();
    void englishTranslationFile();
    void traditionalTranslationCoversEnglish();
    void iconsCompiledIn_data();
    void iconsCompiledIn();
};

void TestLanStr::initTestCase() {
    resetLanguageGlobals();
    loadLanguageTable();
}

void TestLanStr::everyId_data() {
    QTest::addColumn<int>("id");
    for (int id = 0; id < kLanIdCount; ++id) QTest::addRow("%d", id) << id;
}

// Over the whole table: filled or reserved, the same placeholders and line breaks in the three
// languages, no escape left unconverted, blanks at the ends kept alike.
void TestLanStr::everyId() {
    QFETCH(int, id);
    const QString en = lan(id, 1);
    if (isReservedId(id)) {
        for (int c = 0; c < kLanColumns; ++c) QVERIFY2(lan(id, c).isEmpty(), qPrintable(lan(id, c)));
        return;
    }
    if (isUnusedOwnId(id)) return;
    for (int c = 0; c < kLanColumns; ++c) {
        const QString text = lan(id, c);
        QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("column %1 empty").arg(c)));
        QVERIFY2(!text.contains(QLatin1Char('\\')), qPrintable(text));
        QCOMPARE(placeholders(text), placeholders(en));
        QCOMPARE(text.count(QStringLiteral("\r\n")), en.count(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QLatin1Char('\n')), en.count(QLatin1Char('\n')));
        QCOMPARE(text.count(QLatin1Char('\r')), en.count(QLatin1Char('\r')));
        if (!blanksMayDiffer(id)) {
            QCOMPARE(text.startsWith(QLatin1Char(' ')), en.startsWith(QLatin1Char(' ')));
            QCOMPARE(text.endsWith(QLatin1Char(' ')), en.endsWith(QLatin1Char(' ')));
        }
    }
}

void TestLanStr::givenTextsVerbatim_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("43 zh") << 43 << 0 << QStringLiteral("%1号相机");
    QTest::newRow("43 tw") << 43 << 2 << QStringLiteral("%1號相機");
    QTest::newRow("121 en") << 121 << 1 << QStringLiteral("Confirm");
    QTest::newRow("122 en") << 122 << 1 << QStringLiteral("YES");
    QTest::newRow("317 zh") << 317 << 0 << QStringLiteral("简体中文");
    QTest::newRow("317 tw") << 317 << 2 << QStringLiteral("繁體中文");
    QTest::newRow("370 tw") << 370 << 2 << QStringLiteral("鬆開手進入觸控式螢幕校正...");
    QTest::newRow("566 zh") << 566 << 0 << QStringLiteral("确认提示");
    QTest::newRow("568 tw") << 568 << 2 << QStringLiteral("警告!");
    QTest::newRow("173 blanks") << 173 << 0 << QStringLiteral("     无   ");
    QTest::newRow("1 line breaks") << 1 << 1
                                   << QStringLiteral(
                                          "Regional parameter file error, \r\n please restore the Parameter "
                                          "Group \r\n or contact the supplier!");
    QTest::newRow("68 inner quotes") << 68 << 1
                                     << QStringLiteral(
                                            "If you want to delete the first \r\ntemplate, please click "
                                            "\"Resample\"!");
    QTest::newRow("296 inner quotes") << 296 << 1 << QStringLiteral("Please click on \"OK\" to exit!");
    QTest::newRow("345 stray quote") << 345 << 1 << QStringLiteral("delay” setting");
    QTest::newRow("86 full-width comma")
        << 86 << 1 << QStringLiteral("，Changing the maximum gradation from %1 to %2");
    QTest::newRow("458 line feed") << 458 << 1 << QStringLiteral("calibrate \n touch screen");
    QTest::newRow("495 leading blanks") << 495 << 1 << QStringLiteral("   Input %1");
    QTest::newRow("218 swapped") << 218 << 1 << QStringLiteral("camera %1 detection %2 %3  %5 / %4    %6");
    QTest::newRow("552 zh") << 552 << 0 << QStringLiteral("统计文件不存在，需要重启来生成它");
    QTest::newRow("477 run start") << 477 << 1 << QStringLiteral("1st");
    QTest::newRow("484 run end") << 484 << 1 << QStringLiteral("8th");
    QTest::newRow("501 run start") << 501 << 1 << QStringLiteral("twice");
    QTest::newRow("507 run end") << 507 << 1 << QStringLiteral("8 times");
    QTest::newRow("597 last") << 597 << 1
                              << QStringLiteral(
                                     "When the mold cavity detects NG, the mold is closed and outputs "
                                     "pulses without alarming and shutting down.");
}

void TestLanStr::givenTextsVerbatim() {
    QFETCH(int, id);
    QFETCH(int, column);
    QFETCH(QString, text);
    QCOMPARE(lan(id, column), text);
}

void TestLanStr::placeholdersFillInNumberOrder() {
    QCOMPARE(lan(218, 1).arg(1).arg(2).arg(QStringLiteral("OK")).arg(40).arg(50).arg(QStringLiteral("x")),
             QStringLiteral("camera 1 detection 2 OK  50 / 40    x"));
    QCOMPARE(lan(70, 0).arg(3).arg(2), QStringLiteral("相机3删除了第2张模板 "));
}

void TestLanStr::readingFollowsLanguage() {
    const int saved = gLan;
    for (int l = 0; l < kLanColumns; ++l) {
        gLan = l;
        QCOMPARE(gaLanStr[124 * 3 + gLan], (QStringList{"取消", "Cancel", "取消"}).at(l));
        QCOMPARE(gaLanStr[599 * 3 + gLan], QString());
    }
    gLan = saved;
}

void TestLanStr::pixmapsFromResourcesAndProgramDir() {
    ProgramDir dir;
    QVERIFY(dir.isValid());
    const QString src = qEnvironmentVariable("MONITOR_SOURCE_DIR") + QStringLiteral("/resources/images/");
    for (const char* name : kImageFiles) {
        QFile f(src + QLatin1String(name));
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        QVERIFY(dir.writeFile(QStringLiteral("images/") + QLatin1String(name), f.readAll()));
    }
    Data_Init();
    const QPixmap* all[] = {
        gpPixmapLogo,    gpPixmapBG,      gpPixmapTitle,   gpPixmapLine,      gpPixmapEdit,
        gpPixmapSlideru, gpPixmapSliderd, gpPixmapSlidert, gpPixmapButton[0], gpPixmapButton[1],
        gpPixmapOUT[0],  gpPixmapOUT[1],  gpPixmapMove[0], gpPixmapMove[1],   gpPixmapMove[2],
        gpPixmapMove[3], gpPixmapMove[4], gpPixmapMove[5], gpPixmapMove[6],   gpPixmapUser[0],
        gpPixmapUser[1], gpPixmapUser[2], gpPixmapUser[3], gpPixmapUser[4],   gpPixmapUser[5]};
    for (int i = 0; i < int(sizeof(all) / sizeof(all[0])); ++i) {
        QVERIFY2(all[i], qPrintable(QString::number(i)));
        QVERIFY2(!all[i]->isNull(), qPrintable(QString::number(i)));
    }
    QVERIFY(!gpPixmapUser[6]);
    QCOMPARE(lan(43, 1), QStringLiteral("Camera %1"));  // the table is filled too
}

void TestLanStr::missingImagesGiveNullPixmaps() {
    ProgramDir dir;  // no "./images/" at all
    QVERIFY(dir.isValid());
    Data_Init();
    QVERIFY(gpPixmapTitle && gpPixmapTitle->isNull());
    QVERIFY(gpPixmapEdit && gpPixmapEdit->isNull());
    for (QPixmap* p : gpPixmapMove) QVERIFY(p);
    QVERIFY(gpPixmapMove[0]->isNull());
    QVERIFY(!gpPixmapMove[5]->isNull());  // compiled in
    QVERIFY(!gpPixmapBG->isNull());
    // Painting a null pixmap draws nothing and does not fail.
    QImage canvas(50, 50, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    p.drawPixmap(QRect(0, 0, 50, 50), *gpPixmapEdit);
    p.end();
    QCOMPARE(canvas.pixel(25, 25), QColor(Qt::white).rgb());
}

void TestLanStr::englishTranslationFile_data() {
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::newRow("keyboard confirm") << "FullKeyboard"
                                      << "确定"
                                      << "Confirm";
    QTest::newRow("keyboard backspace") << "FullKeyboard"
                                        << "退格"
                                        << "BS";
    QTest::newRow("box close") << "BMessageBox"
                               << "关闭"
                               << "Close";
    QTest::newRow("page bar") << "PageControlBar"
                              << "请输入正数"
                              << "Please enter a positive number";
    QTest::newRow("splash") << "SplashWidget"
                            << "模内监控器"
                            << "In-Mould Monitor";
    QTest::newRow("network, leading blank") << "NetworkParamsWidget"
                                            << " 相机图像"
                                            << " Camera image";
    QTest::newRow("update action") << "SystemSettingWidget"
                                   << "选择投影数据文件目录"
                                   << "Select the program update file";
    QTest::newRow("advanced unit") << "AdvanceparamWidget"
                                   << "个"
                                   << "pcs";
    QTest::newRow("camera page") << "CameraParamsSubWidget"
                                 << "恢复默认"
                                 << "Restore defaults";
}

// The built translation file gives the English labels; without it (or with Chinese selected) the
// Simplified-Chinese source texts show.
void TestLanStr::englishTranslationFile() {
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, english);
    const QByteArray ctx = context.toUtf8();
    const QByteArray src = source.toUtf8();
    QCOMPARE(QCoreApplication::translate(ctx.constData(), src.constData()), source);
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(MONITOR_QM_FILE)));
    QVERIFY(QCoreApplication::installTranslator(&tr));
    QCOMPARE(QCoreApplication::translate(ctx.constData(), src.constData()), english);
    QVERIFY(QCoreApplication::removeTranslator(&tr));
}

// Every fixed label with an English text has its Traditional-Chinese text too (the Simplified source
// never shows in Traditional Chinese), and the two files cover the same labels.
void TestLanStr::traditionalTranslationCoversEnglish() {
    auto messages = [](const QString& name) {
        QList<QPair<QString, QString>> found;
        QFile f(QStringLiteral(MONITOR_TS_DIR "/") + name);
        if (!f.open(QIODevice::ReadOnly)) return found;
        QXmlStreamReader xml(&f);
        QString context, source;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) continue;
            if (xml.name() == QLatin1String("name")) context = xml.readElementText();
            if (xml.name() == QLatin1String("source")) source = xml.readElementText();
            if (xml.name() == QLatin1String("translation")) found.append({context, source});
        }
        return found;
    };
    const auto english = messages(QStringLiteral("trans_en_US.ts"));
    const auto traditional = messages(QStringLiteral("trans_zh_TW.ts"));
    QVERIFY(english.size() > 50);
    using Labels = QSet<QPair<QString, QString>>;
    QCOMPARE(Labels(traditional.begin(), traditional.end()), Labels(english.begin(), english.end()));
    QTranslator tw;
    QVERIFY(tw.load(QStringLiteral(MONITOR_QM_FILE_TW)));
    for (const auto& m : english) {
        const QString text = tw.translate(m.first.toUtf8().constData(), m.second.toUtf8().constData());
        QVERIFY2(!text.isEmpty(), qPrintable(m.first + ": " + m.second));
    }
    QCOMPARE(tw.translate("CameraParamsSubWidget", "恢复默认"), QString::fromUtf8("恢復預設"));
}

void TestLanStr::iconsCompiledIn_data() {
    QTest::addColumn<QString>("name");
    // A sample across the screens: style sheet images (one with a non-ASCII name), boxes, bars, IO lamps.
    for (const char* n :
         {"圆1.png", "54.png", "55.png", "70.png", "71.png", "2a.png", "close.png", "warning.png", "56.png",
          "0logo.png", "camNum8.png", "33.png", "110.png", "102.png", "73.png"})
        QTest::newRow(n) << QString::fromUtf8(n);
}

void TestLanStr::iconsCompiledIn() {
    QFETCH(QString, name);
    QVERIFY(!QPixmap(QStringLiteral(":/img/icons/") + name).isNull());
}

QTEST_MAIN(TestLanStr)
#include "tst_lanstr.moc"
