#pragma once
// Whole machine cycles, headless: a MainWindow in a fixture program directory (MonitorWorld) with the
// simulated IO board on a pseudo-terminal, linked where the monitor opens its serial port, and
// simulated grey cameras whose frames the test chooses. The loop runs on its own timers; tests drive
// the board's inputs and read the outputs the board applied.
//
// Frames: the simulated cameras are stalled after start-up and a frame pump thread hands the scene the
// test chose to each view every 20 ms, the way the grab side does (frame buffer under the camera's
// lock, fresh-frame flag). Scenes are a flat grey background with dark or white patches.
//
// Regions are written into the PARAM.db camera tables before the window is built; they use threshold
// functions only, and positioning is switched off, so a scene decides OK or NG whatever the matching
// models do. Layout of the standard regions (image pixels, 320 x 240):
//   step 0: three black-area regions down the left side, output groups N1, N2, N3 (kProd0..kProd2)
//   step 1: one white-area region on the right (kCavity)
//   step 2: one white-count region at the top middle (kStep2)
//   step 3: one spot region at the bottom middle (kStep3)
#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <QSqlError>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>

#include "editor/drawroiwidget.h"
#include "ioboardsim.h"
#include "monitorworld.h"
#include "platform/system/timing.h"
#include "records/counters.h"

namespace cycle {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr int kGrey = 128;   // background
constexpr int kDark = 20;    // a dark patch: black-area and spot regions see it
constexpr int kWhite = 240;  // a white patch: white-area and white-count regions see it

const QRect kProd[3] = {QRect(20, 15, 80, 60), QRect(20, 90, 80, 60), QRect(20, 165, 80, 60)};
const QRect kCavity(200, 60, 100, 120);
const QRect kStep2(130, 15, 60, 60);
const QRect kStep3(130, 165, 60, 60);

// A patch well inside a region.
inline QRect inside(const QRect& r) {
    return QRect(r.center().x() - 15, r.center().y() - 15, 30, 30);
}

struct Patch {
    QRect rect;
    int grey;
};
using Scene = QList<Patch>;

inline Scene good() {
    return {};
}
// Product NG in the regions whose output groups are given (0..2).
inline Scene productBad(std::initializer_list<int> groups = {0}) {
    Scene s;
    for (int g : groups) s << Patch{inside(kProd[g]), kDark};
    return s;
}
inline Scene cavityBad() {
    return {Patch{inside(kCavity), kWhite}};
}
inline Scene step2Bad() {
    return {Patch{inside(kStep2), kWhite}};
}

inline QImage render(const Scene& scene, int w = kW, int h = kH) {
    QImage img(w, h, QImage::Format_Grayscale8);
    img.fill(kGrey);
    const double sx = double(w) / kW, sy = double(h) / kH;
    for (const Patch& p : scene) {
        const QRect r(int(p.rect.x() * sx), int(p.rect.y() * sy), int(p.rect.width() * sx),
                      int(p.rect.height() * sy));
        for (int y = r.top(); y <= r.bottom(); ++y)
            memset(img.scanLine(y) + r.left(), p.grey, size_t(r.width()));
    }
    return img;
}

struct Region {
    int step;
    int func;  // ROIFunc
    int para1, sens, area;
    QRect image;  // in image pixels of a 320 x 240 frame (scaled to the frame size)
};

// The standard regions above; `steps` limits them to the first steps.
inline QList<Region> standardRegions(int steps = 4) {
    QList<Region> r;
    for (int i = 0; i < 3; ++i) r << Region{0, kFuncBlack, 0, 50, 100, kProd[i]};
    r << Region{1, kFuncWhite, 0, 200, 100, kCavity};
    r << Region{2, kFuncWhiteCount, 1, 200, 0, kStep2};
    r << Region{3, kFuncSpot, 0x3200, 0, 100, kStep3};
    QList<Region> out;
    for (const Region& x : r)
        if (x.step < steps) out << x;
    return out;
}

// The logical level of output n on the board, from the applied word and the output polarities.
inline int logical(int word, int n) {
    const int inv = gpWPara && gpWPara->output_inverted[n] ? 1 : 0;
    return ((word >> n) & 1) ^ inv;
}

}  // namespace cycle

struct CycleWorld : MonitorWorld {
    IoBoardSim board;
    QList<QByteArray> serials;
    QList<cycle::Scene> scenes;
    QList<QImage> frames;  // under frameLock
    std::mutex frameLock;
    int frameW, frameH;
    std::thread pump;
    std::atomic<bool> pumping{false};

    // `cameras` simulated grey cameras of w x h pixels; the window is not built yet. Short periods:
    // the 2 s result display and the saver's pauses.
    explicit CycleWorld(int cameras, int w = cycle::kW, int h = cycle::kH)
        : MonitorWorld(0), frameW(w), frameH(h) {
        withBoard = true;
        resetCounterGlobals();
        for (int i = 0; i < cameras; ++i) {
            simcam::CameraSpec s;
            s.vendor = simcam::Vendor::Hikvision;
            s.serial = QByteArray("SIMCAM000") + QByteArray::number(i + 1);
            s.width = w;
            s.height = h;
            s.color = false;
            s.fps = 20;
            s.gige = false;
            s.staticScene = true;
            simcam::Bus::instance().addCamera(s);
            serials << s.serial;
            scenes << cycle::good();
            frames << cycle::render(cycle::good(), w, h);
        }
        setTimeOverride("cycle.show", 300);
        setTimeOverride("saver.pair", 100);
        setTimeOverride("saver.after", 20);
        setTimeOverride("saver.poll", 20);
        // Small values for the cycle: step delays of 0.1 s, re-check delay 1, short pulses, no confirmation,
        // no no-input time-out, positioning off, the bridge off, pictures kept.
        WizardPara& q = p();
        q.enable_correct = -1;
        q.cnt_net_on = 0;
        q.enable_prod_detect = 1;
        for (int& d : q.trig_in_delay) d = 0;
        q.trig_in_delay[0] = 1;  // product step 100 ms after the edge, cavity step 100 ms later, so
        q.trig_in_delay[1] = 1;  // that the board sees the outputs of the cycle start
        q.re_check_delay = 1;
        q.front_auto_check_time = 0;
        q.thimble_pulse = 3;
        q.mold_pulse = 3;
        q.shake_erase_time = 0;
        q.input_timeout_len = 0;
        q.ng_max_num = 20;
        q.ok_record_max_num = 20;
        q.save_ok_record = 1;
        q.pre_cut = 0;
        derive();
    }
    ~CycleWorld() {
        pumping = false;
        if (pump.joinable()) pump.join();
        window.reset();  // the IO thread ends before the board goes
        board.stop();
    }

    // Writes the regions of every camera into table cammer<c> of PARAM.db (before build()).
    bool writeRegions(int camera, const QList<cycle::Region>& regions) {
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        const QString table = QStringLiteral("cammer%1").arg(camera);
        const float aw = 1725.0f / frameW, ah = 982.0f / frameH;  // screen pixels per image pixel
        const double sx = double(frameW) / cycle::kW, sy = double(frameH) / cycle::kH;
        int count[kMaxStep] = {};
        bool ok = q.exec(QStringLiteral("delete from %1").arg(table));
        for (const cycle::Region& r : regions) {
            const int i = count[r.step]++;
            const QRect img(int(r.image.x() * sx), int(r.image.y() * sy), int(r.image.width() * sx),
                            int(r.image.height() * sy));
            const int x1 = int(std::lround(img.left() * aw)), y1 = int(std::lround(img.top() * ah));
            const int x2 = int(std::lround((img.right() + 1) * aw)) - 1;
            const int y2 = int(std::lround((img.bottom() + 1) * ah)) - 1;
            q.prepare(QStringLiteral("insert into %1 values(?, ?)").arg(table));
            q.addBindValue(QStringLiteral("ROI%1-%2").arg(r.step).arg(i));
            // para1 sens area func shape(1 rectangle) outN, then 0 x1 y1 x2 y2; output group = index
            q.addBindValue(QStringLiteral("%1 %2 %3 %4 1 %5 0 %6 %7 %8 %9")
                               .arg(r.para1)
                               .arg(r.sens)
                               .arg(r.area)
                               .arg(r.func)
                               .arg(i < 4 ? i : 0)
                               .arg(x1)
                               .arg(y1)
                               .arg(x2)
                               .arg(y2));
            ok = q.exec() && ok;
        }
        for (int d = 0; d < kMaxStep; ++d) {
            q.prepare(QStringLiteral("insert into %1 values(?, ?)").arg(table));
            q.addBindValue(QStringLiteral("detect%1").arg(d));
            q.addBindValue(QStringLiteral("%1 0 0 0 0 0 0 0 0").arg(count[d]));
            ok = q.exec() && ok;
        }
        if (!ok) qWarning() << "regions not written:" << q.lastError().text();
        return ok;
    }

    // Starts the board, builds the window with its region and alarm editor, stalls the cameras,
    // starts the frame pump and the loop.
    // False when no pseudo-terminal can be had (the caller skips).
    bool start() {
        QDir().mkpath(QStringLiteral("sysroot/dev"));
        if (!board.start(dir.filePath(QStringLiteral("sysroot/dev/ttyS0")))) return false;
        build();
        installDrawROIWidget(window.get());  // as the start-up does
        for (const QByteArray& s : serials) simcam::Bus::instance().stall(s);
        feed();
        pumping = true;
        pump = std::thread([this] {
            while (pumping) {
                feed();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        window->runTimer->start(5);
        // The monitor polls the board and applied its first output word.
        return QTest::qWaitFor([&] { return board.commandCount(2) > 5 && board.commandCount(1) > 0; }, 10000);
    }

    // Hands the current scene of every camera to its view, as the grab side does (any thread; the
    // views do not change while the window lives).
    void feed() {
        std::lock_guard<std::mutex> frameGuard(frameLock);
        if (!window) return;
        for (int c = 0; c < frames.size() && c < window->cams.size(); ++c) {
            CammerWidget* v = window->cams[c];
            QMutexLocker lock(pMutex[v->slot]);
            const QImage& f = frames[c];
            const size_t row = size_t(f.width());
            if (v->frameBuffer.size() < row * size_t(f.height())) continue;
            for (int y = 0; y < f.height(); ++y)
                memcpy(v->frameBuffer.data() + row * size_t(y), f.constScanLine(y), row);
            isImageFill[v->slot] = true;
        }
    }

    // Shows a scene on camera c and waits until the loop took a frame of it.
    bool show(int c, const cycle::Scene& scene) {
        scenes[c] = scene;
        {
            std::lock_guard<std::mutex> frameGuard(frameLock);
            frames[c] = cycle::render(scene, frameW, frameH);
        }
        feed();  // from here on every frame handed over shows the scene
        const int taken = window->frameCount[c];
        return QTest::qWaitFor([&] { return window->frameCount[c] > taken; }, 10000);
    }
    bool showAll(const cycle::Scene& scene) {
        bool ok = true;
        for (int c = 0; c < frames.size(); ++c) ok = show(c, scene) && ok;
        return ok;
    }

    // Input k high for ms milliseconds, then low (the event loop runs meanwhile).
    void pulse(int k, int ms) {
        board.setInput(k, true);
        QTest::qWait(ms);
        board.setInput(k, false);
    }

    // Logical output n as the board applied it.
    int boardOut(int n) const { return cycle::logical(board.outputs(), n); }

    // Changes of logical output n since the board's records were cleared: (ms, level).
    QList<QPair<qint64, int>> edges(int n) const {
        QList<QPair<qint64, int>> e;
        for (const IoBoardSim::OutputChange& c : board.outputChanges()) {
            const int from = cycle::logical(c.from, n), to = cycle::logical(c.to, n);
            if (from != to) e << qMakePair(c.ms, to);
        }
        return e;
    }
    // How long output n was on the first time it came on (-1: never on, or still on).
    qint64 firstOnTime(int n) const {
        const auto e = edges(n);
        for (int i = 0; i < e.size(); ++i)
            if (e[i].second == 1) return i + 1 < e.size() ? e[i + 1].first - e[i].first : -1;
        return -1;
    }

    // The board's output history, for failure messages: "+ms word" per change.
    QString history() const {
        QStringList t;
        for (const IoBoardSim::OutputChange& c : board.outputChanges())
            t << QStringLiteral("%1:%2").arg(c.ms).arg(c.to, 3, 16, QLatin1Char('0'));
        return t.join(' ');
    }

    int files(const QString& dirPath) const {
        return QDir(dirPath).entryList({QStringLiteral("*.jpg")}, QDir::Files).size();
    }
};
