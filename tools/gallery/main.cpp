// Widget gallery: builds every widget and box of the kit, in each interface language, and saves
// PNG pictures of them. Run under a 1920x1080 X server (scripts/screenshot) to see the boxes and
// keyboards where they open on the panel's screen.
//
//   gallery --out DIR [--lang 0|1|2|all]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QTranslator>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/main/startup.h"
#include "app/mainwindowbase.h"
#include "editors.h"
#include "app/lanstr.h"
#include "camera/cameraglobals.h"
#include "camera/widgetchangecamera.h"
#include "iopages.h"
#include "widgets/blineedit.h"
#include "widgets/bmessagebox.h"
#include "widgets/bverticaltabbar.h"
#include "widgets/bwidget.h"
#include "widgets/c_type_com.h"
#include "widgets/edit.h"
#include "widgets/indexbutton.h"
#include "widgets/keyboards.h"
#include "widgets/kiticons.h"
#include "widgets/kittext.h"
#include "widgets/numberinput.h"
#include "widgets/slider.h"
#include "widgets/splash.h"

// The camera pages of the settings dialog (camerapages.cpp).
void galleryCameraPages(const std::function<void(QWidget*, const QString&)>& save);
// Every page of the settings dialog (settingspages.cpp).
void gallerySettingsPages(const std::function<void(QWidget*, const QString&)>& save);
// Password dialog, login indicator and index button panel (access.cpp).
void accessGallery(const QString& out, int lan);

namespace {

QString g_out;
int g_lan = 0;

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

void save(QWidget* w, const QString& name) {
    settle();
    const QString path = QDir(g_out).filePath(QString("%1_%2.png").arg(name).arg(g_lan));
    if (!w->grab().save(path)) qWarning("cannot write %s", qPrintable(path));
}

// The whole screen with the shown top-levels where they opened (falls back to the widget alone
// where the platform cannot grab the screen).
void saveScreen(QWidget* w, const QString& name) {
    settle();
    const QString path = QDir(g_out).filePath(QString("%1_screen_%2.png").arg(name).arg(g_lan));
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull() || shot.width() < 100) shot = w->grab();
    if (!shot.save(path)) qWarning("cannot write %s", qPrintable(path));
}

// Pictograms for the tab groups of the gallery's tab bar.
QPixmap groupIcon(int kind) {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#f0a020"), 5));
    p.setBrush(Qt::NoBrush);
    if (kind == 0) {
        p.drawEllipse(QRectF(12, 12, 40, 40));
        p.drawEllipse(QRectF(26, 26, 12, 12));
    } else if (kind == 1) {
        p.drawRect(QRectF(10, 10, 44, 44));
        p.drawLine(18, 24, 46, 24);
        p.drawLine(18, 36, 46, 36);
    } else {
        p.drawLine(10, 54, 54, 10);
        p.drawEllipse(QRectF(8, 8, 20, 20));
    }
    return pm;
}

QWidget* page(const QString& text) {
    auto* w = new QLabel(text);
    w->setAlignment(Qt::AlignCenter);
    w->setStyleSheet("font-size:30px;color:#656263;background:#fafafa;");
    return w;
}

void tabBar() {
    BVerticalTabBar bar;
    QPixmap i0 = groupIcon(0), i1 = groupIcon(1), i2 = groupIcon(2);
    bar.addWidgetGroup(i0, {kitText(431), QString::fromUtf8("相机参数"), QString::fromUtf8("IO")},
                       {page("0"), page("1"), page("2")});
    bar.addWidgetGroup(i1, {kitText(575), kitText(576)}, {page("3"), page("4")});
    bar.addWidgetGroup(i2, {QString::fromUtf8("网络设置"), QString::fromUtf8("关于")},
                       {page("5"), page("6")});
    bar.resize(1565, 982);
    bar.show();
    save(&bar, "tabbar");
}

void basics() {
    BWidget panel;
    panel.setObjectName("panel");
    panel.setStyleSheet("BWidget#panel{background-color:#ffffff;}");
    auto* col = new QVBoxLayout(&panel);
    col->setSpacing(20);

    auto* options = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* b = new BOptionButton(&panel);
        b->setIcon(QIcon(groupIcon(i)));
        b->setText(i == 0 ? kitText(121) : i == 1 ? kitText(124) : kitText(590));
        if (i == 1) b->setDown(true);
        options->addWidget(b);
        options->addWidget(createVerticalSplitLine(&panel, "#d3d3d3"));
    }
    auto* combo = new BComboBox(&panel);
    combo->addItems({" 4 ", " 9 ", " 25 "});
    combo->setStyleSheet("font-size:30px;min-height:70px;min-width:200px;");
    options->addWidget(combo);
    options->addStretch();
    col->addLayout(options);
    col->addWidget(createHorizontalSplitLine(&panel, "#656263"));

    auto* entries = new QHBoxLayout;
    auto* edit = new BLineEdit(&panel, QString::fromUtf8("名称"), QString(), 1);
    edit->setText("GROUP_01");
    edit->setStyleSheet("font-size:30px;min-height:70px;");
    auto* slider = new QSlider(Qt::Horizontal, &panel);
    slider->setRange(0, 1000);
    slider->setValue(25);
    slider->setMinimumWidth(400);
    auto* label = new BlineLabel(slider, &panel, QString::fromUtf8("延时"), QString(), 0);
    label->setDisplayScale(10);
    label->setText("2.5 S");
    label->setStyleSheet(
        "font-size:30px;color:#656263;border:1px solid #656263;min-width:120px;min-height:70px;");
    entries->addWidget(edit);
    entries->addWidget(slider);
    entries->addWidget(label);
    entries->addStretch();
    col->addLayout(entries);

    C_Type_COM com;
    auto* styled = new QHBoxLayout;
    for (int c = 0; c < 4; ++c) {
        auto* b = new QPushButton(kitText(121), &panel);
        b->setMinimumSize(160, 70);
        com.setBtnQss(b, c);
        b->setStyleSheet(b->styleSheet() + "QPushButton{font-size:24px;}");
        styled->addWidget(b);
    }
    auto* txt = new QLineEdit("12.5", &panel);
    txt->setMinimumHeight(70);
    com.setTxtQss(txt, 2);
    styled->addWidget(txt);
    col->addLayout(styled);
    auto* styledSlider = new QSlider(Qt::Horizontal, &panel);
    styledSlider->setValue(60);
    com.setSliderQss(styledSlider, 2);
    col->addWidget(styledSlider);
    auto* bar = new QProgressBar(&panel);
    bar->setValue(70);
    com.setBarQss(bar, "#d3d3d3", "#3498DB");
    col->addWidget(bar);

    auto* pager = new PageControlBar(&panel);
    pager->pageButton2->setChecked(true);
    col->addWidget(pager);
    col->addStretch();
    panel.resize(1400, 700);
    panel.show();
    save(&panel, "basics");
}

void keyboards(BWidget* background) {
    {
        DigitalKeyboard kb(QString::fromUtf8("页码"), QString::fromUtf8("请输入正数"), "12.5");
        kb.show();
        save(&kb, "keypad");
        saveScreen(background, "keypad");
    }
    {
        FullKeyboard kb(QString::fromUtf8("名称"), QString::fromUtf8("字母、数字或下划线"), "GROUP_01");
        kb.show();
        save(&kb, "fullkeyboard");
        saveScreen(background, "fullkeyboard");
        kb.caseButton->click();  // lower case
        save(&kb, "fullkeyboard_lower");
    }
}

void boxes(BWidget* background) {
    {
        WarnBox box(kitText(568));
        box.setText(kitText(133));
        box.show();
        save(&box, "warnbox");
        saveScreen(background, "warnbox");
    }
    {
        WarnBox box(kitText(568));
        box.setText(QString::fromUtf8(g_lan == 1
                                          ? "The camera was unavailable, \r\n please check the connection! "
                                            "\r\nWhether to eliminate the SN of \r\n camera?"
                                          : "相机不可用，\r\n请检查连接！\r\n是否清除相机序列号？"));
        box.show();
        save(&box, "warnbox_long");
    }
    {
        ChooseBox box(kitText(566));
        box.setText(g_lan == 1 ? "Save the changed parameters?" : QString::fromUtf8("是否保存修改的参数？"));
        box.show();
        save(&box, "choosebox");
        saveScreen(background, "choosebox");
    }
    {
        BMessageBox box(
            kitText(566),
            g_lan == 1 ? "Reset the production statistics?" : QString::fromUtf8("是否清零生产统计？"), 0x1F,
            1);
        box.show();
        save(&box, "bmessagebox");
    }
    {
        BMessageBox box(kitText(568), kitText(370), 0x0C, 0);
        box.show();
        save(&box, "bmessagebox_yesno");
    }
}

// The painted buttons, the combo box and the labelled sliders of a camera view's parameter panel.
void controls() {
    BWidget panel;
    panel.setObjectName("panel");
    panel.setStyleSheet("BWidget#panel{background-color:#1b2a3a;}");
    panel.resize(1400, 560);
    const char* captions[] = {"+ 1", "- 1", "OK"};
    int x = 20;
    for (int type : {3, 4, 5}) {
        auto* b =
            new ColorButton(type == 3 ? kitText(121) : QString::fromLatin1(captions[type - 3]), &panel, type);
        b->setGeometry(x, 20, 160, 60);
        auto* down = new ColorButton(b->text(), &panel, type);
        down->setGeometry(x, 90, 160, 60);
        down->setDown(true);
        x += 180;
    }
    auto* narrow = new ColorButton(kitText(442), &panel, 3);  // a long caption on an 80 px key
    narrow->setGeometry(x, 20, 80, 65);
    auto* combo = new ComboBox(&panel);
    combo->addItems({"1", "2", "3", "4"});
    combo->setItemHeight(50);
    combo->setGeometry(x + 120, 20, 200, 50);

    const char* names[] = {"Sim", "Gray", "Area"};
    const int ranges[3][3] = {{0, 10, 25}, {0, 255, 25}, {0, 1000, 50}};
    for (int i = 0; i < 3; ++i) {
        auto* s = new Slider(ranges[i][0], ranges[i][1], 1, ranges[i][2], &panel,
                             g_lan == 1 ? QString::fromLatin1(names[i])
                                        : QString::fromUtf8(i == 0   ? "相似"
                                                            : i == 1 ? "灰度"
                                                                     : "面积"));
        s->setGeometry(20, 180 + 70 * i, 1000, 60);
    }
    auto* field = new Edit(1, &panel, 1);
    field->setGeometry(20, 400, 200, 50);
    field->setValue(125);
    auto* field2 = new Edit(1, &panel, 1);
    field2->setGeometry(240, 400, 200, 50);
    field2->setValue(3.14159265);
    panel.show();
    save(&panel, "controls");
}

// The two keypads on their own, and the numeric one opened by a tap on a slider's value box.
void keypads() {
    MainWindowBase win;
    win.setObjectName("win");
    win.setStyleSheet("#win{background-color:#b0b0b0;}");
    win.setGeometry(0, 0, 1920, 1080);
    auto* view = new BWidget(&win);
    view->setObjectName("view");
    view->setStyleSheet("BWidget#view{background-color:#1b2a3a;}");
    view->setGeometry(0, 0, 1725, 982);
    auto* s = new Slider(0, 255, 1, 25, view, g_lan == 1 ? "Gray" : QString::fromUtf8("灰度"));
    s->setGeometry(300, 700, 1000, 60);
    auto* text = new Edit(2, view, 1);
    text->setGeometry(300, 200, 300, 50);
    text->setText("GROUP_");
    gpNumPad = new NumberInput;
    gpNumCharPad = new NumCharInput;
    win.show();
    settle();

    gpNumPad->show();
    save(gpNumPad, "numberinput");
    gpNumPad->hide();
    gpNumCharPad->show();
    save(gpNumCharPad, "numcharinput");
    gpNumCharPad->caseButton->click();
    save(gpNumCharPad, "numcharinput_lower");
    gpNumCharPad->pageButton->click();
    save(gpNumCharPad, "numcharinput_symbols");
    gpNumCharPad->hide();

    // A release on the value box: the keypad opens beside the slider (above it, near the bottom).
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(170, 30), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(170, 30), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(s, &press);
    QApplication::sendEvent(s, &release);
    save(&win, "keypad_slider");
    gpNumPad->HideUpdate();

    // Made current as a tap would (the gallery's window need not be the active one).
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(text, &focusIn);
    QMouseEvent tapText(QEvent::MouseButtonRelease, QPointF(10, 10), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(text, &tapText);
    save(&win, "keypad_text");
    resetKeypadGlobals();
}

// The camera reorder dialog with three cameras, where it opens over the camera area.
void cameraDialogs(BWidget* background) {
    if (!gpPixmapBG) gpPixmapBG = new QPixmap(QStringLiteral(":/img/icons/3-1.png"));
    numCamera = 3;
    WidgetChangeCamera dlg(nullptr);
    dlg.show();
    save(&dlg, "changecamera");
    saveScreen(background, "changecamera");
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "Directory for the PNG files.", "dir", "shots"});
    parser.addOption({"lang", "Language 0, 1, 2 or all.", "lang", "all"});
    parser.process(app);
    g_out = parser.value("out");
    if (!QDir().mkpath(g_out)) {
        qWarning("cannot create %s", qPrintable(g_out));
        return 1;
    }
    // As the program starts: its font and its application style sheet.
    setApplicationFont();
    app.setStyleSheet(applicationStyleSheet());
    loadLanguageTable();
    gShowW = 1725;
    gShowH = 982;

    QList<int> lans = {0, 1, 2};
    if (parser.value("lang") != "all") lans = {parser.value("lang").toInt()};
    for (int lan : lans) {
        gLan = lan;
        g_lan = lan;
        QTranslator translator;
        if (lan != 0 && translator.load(QString::fromUtf8(lan == 1 ? GALLERY_QM_EN : GALLERY_QM_TW)))
            app.installTranslator(&translator);
        BWidget background;
        background.setObjectName("bg");
        background.setStyleSheet("BWidget#bg{background-color:#b0b0b0;}");
        background.setGeometry(0, 0, 1920, 1080);
        background.show();
        {
            BSplashScreen splash;
            splash.show();
            save(&splash, "splash");
        }
        tabBar();
        basics();
        keyboards(&background);
        boxes(&background);
        controls();
        keypads();
        editorsGallery(save, saveScreen, &background);
        accessGallery(g_out, lan);
        cameraDialogs(&background);
        galleryIOPages(&save);
        galleryCameraPages(&save);
        gallerySettingsPages(&save);
    }
    return 0;
}
