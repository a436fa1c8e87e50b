#include "simbus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QtDebug>
#include <algorithm>
#include <cJSON.h>
#include <cstring>

#include "platform/system/profile.h"
#include "platform/system/syspath.h"
#include "simcore.h"

namespace simcam {

namespace {
constexpr uint8_t kStampMarker = 0xA5;
constexpr int kStampBlocks = 6;  // marker, camera id, counter (4 bytes, least significant first)

uint32_t parseIp(const char* text) {
    QHostAddress a;
    if (!text || !a.setAddress(QString::fromLatin1(text))) return 0;
    return a.toIPv4Address();
}
}  // namespace

Core& core() {
    static Core c;
    return c;
}

QString hex(long long v) {
    return QStringLiteral("0x") + QString::number(v, 16).toUpper();
}

bool Core::injected(const char* function, int* status) {
    auto it = inject.find(QByteArray(function));
    if (it == inject.end() || it->second.second <= 0) return false;
    *status = it->second.first;
    if (--it->second.second <= 0) inject.erase(it);
    return true;
}

std::vector<Cam*> Core::enumerate(Vendor v) {
    std::vector<Cam*> out;
    for (auto& c : cams)
        if (c->spec.vendor == v && c->present) out.push_back(c.get());
    std::stable_sort(out.begin(), out.end(), [](Cam* a, Cam* b) { return a->order < b->order; });
    return out;
}

Cam* Core::find(const QByteArray& serial) {
    for (auto& c : cams)
        if (c->spec.serial == serial) return c.get();
    return nullptr;
}

Cam* Core::byHandle(uintptr_t h, const char* function) {
    auto it = handles.find(h);
    if (it == handles.end()) {
        misuse.append(QStringLiteral("%1 on closed handle %2").arg(QLatin1String(function), hex(h)));
        return nullptr;
    }
    return it->second;
}

uintptr_t Core::addHandle(Cam* c) {
    uintptr_t h = nextHandle++;
    handles[h] = c;
    return h;
}

void Core::dropHandle(uintptr_t h) {
    handles.erase(h);
}

bool Core::waitFrame(std::unique_lock<std::mutex>& lk, Cam* c, int timeoutMs) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto period = std::chrono::milliseconds(1000 / std::max(1, c->spec.fps));
    for (;;) {
        const bool live = c->present && !c->stalled && c->streaming && c->open;
        const auto now = clock::now();
        if (live && c->spec.trigger && c->pulses > 0) {
            --c->pulses;
            return true;
        }
        if (live && !c->spec.trigger && now >= c->nextFrame) {
            c->nextFrame = now + period;
            return true;
        }
        if (now >= deadline) return false;
        auto until = deadline;
        if (live && !c->spec.trigger) until = std::min(deadline, c->nextFrame);
        cv.wait_until(lk, until);
    }
}

FrameJob Core::prepare(Cam* c, int w, int h, int bpp, bool bayer) {
    FrameJob j;
    j.id = c->id;
    j.counter = c->spec.staticScene ? 0 : c->counter;
    ++c->counter;
    j.color = c->spec.color;
    j.staticScene = c->spec.staticScene;
    if (!c->files.empty()) j.file = c->files[c->fileIndex++ % c->files.size()];
    j.w = w;
    j.h = h;
    j.bytesPerPixel = bpp;
    j.bayer = bayer;
    j.format = c->format;
    return j;
}

void Core::render(const FrameJob& j, uint8_t* dst) {
    const int w = j.w, h = j.h;
    if (w <= 0 || h <= 0) return;
    const uint32_t n = j.counter;
    // Rows are made one at a time as RGB: from the decoded file (read in place), or drawn into a row
    // buffer kept by the streaming thread.
    QImage img;
    if (!j.file.isNull()) {
        img = j.file.convertToFormat(QImage::Format_RGB888);  // no copy: files are decoded as RGB888
        if (img.width() != w || img.height() != h) img = img.scaled(w, h);
    }
    thread_local std::vector<uint8_t> drawn;
    if (img.isNull() && drawn.size() < size_t(w) * 3) drawn.resize(size_t(w) * 3);
    const uint8_t stamp[kStampBlocks] = {kStampMarker,    uint8_t(j.id),    uint8_t(n),
                                         uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    const bool stamped = img.isNull() && !j.staticScene && w >= 2 * kStampBlocks && h >= 2;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row;
        if (!img.isNull()) {
            row = img.constScanLine(y);
        } else {
            uint8_t* out = drawn.data();
            for (int x = 0; x < w; ++x) {
                int g = (x * 200) / w + (y * 55) / h;
                if (!j.staticScene && ((x - int(n * 8) % w + w) % w) < 16) g = 255;
                uint8_t* p = out + size_t(x) * 3;
                if (j.color) {
                    p[0] = uint8_t(g);
                    p[1] = uint8_t(g * 3 / 4);
                    p[2] = uint8_t(255 - g);
                } else {
                    p[0] = p[1] = p[2] = uint8_t(g);
                }
            }
            if (stamped && y < 2)
                for (int k = 0; k < kStampBlocks; ++k)
                    for (int dx = 0; dx < 2; ++dx) memset(out + size_t(2 * k + dx) * 3, stamp[k], 3);
            row = out;
        }
        if (j.bayer) {
            uint8_t* o = dst + size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                const int ch = (y % 2 == 0) ? (x % 2 == 0 ? 0 : 1) : (x % 2 == 0 ? 1 : 2);
                o[x] = row[size_t(x) * 3 + size_t(ch)];
            }
        } else if (j.bytesPerPixel == 3) {
            memcpy(dst + size_t(y) * w * 3, row, size_t(w) * 3);
        } else {
            uint8_t* o = dst + size_t(y) * w;
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = row + size_t(x) * 3;
                o[x] = j.color ? uint8_t((p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000) : p[0];
            }
        }
    }
}

void Core::startWorker(Cam* c, std::function<FrameJob(Cam*)> prepareFrame,
                       std::function<void(Cam*, const FrameJob&, std::vector<uint8_t>&)> deliver) {
    c->workerRun = true;
    c->stopReturned = false;
    c->worker = std::thread([this, c, prepareFrame, deliver] {
        std::vector<uint8_t> frame;
        std::unique_lock<std::mutex> lk(m);
        while (c->workerRun) {
            if (!waitFrame(lk, c, 50)) continue;
            if (!c->workerRun) break;
            const FrameJob job = prepareFrame(c);
            lk.unlock();
            frame.resize(size_t(job.w) * job.h * size_t(job.bayer ? 1 : job.bytesPerPixel));
            render(job, frame.data());
            deliver(c, job, frame);
            lk.lock();
        }
    });
}

void Core::stopWorker(std::unique_lock<std::mutex>& lk, Cam* c) {
    if (!c->worker.joinable()) return;
    c->workerRun = false;
    cv.notify_all();
    std::thread t = std::move(c->worker);
    lk.unlock();
    t.join();
    lk.lock();
}

// ---- public controls ----

Bus& Bus::instance() {
    static Bus b;
    return b;
}

Bus::Bus() = default;
Bus::~Bus() = default;

void Bus::reset() {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    for (auto& c : k.cams) {
        c->streaming = false;
        k.stopWorker(lk, c.get());
    }
    k.cams.clear();
    k.handles.clear();
    k.ueyeHandles.clear();
    k.log.clear();
    k.misuse.clear();
    k.inject.clear();
    k.hikRecords.clear();
    k.decodedFiles.clear();
}

QString sizeRule() {
    return QStringLiteral("a simulated camera is 1 to %1 pixels a side and at most %2 pixels in all")
        .arg(kMaxSide)
        .arg(kMaxPixels);
}

bool sizeAllowed(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
           qint64(width) * height <= kMaxPixels;
}

int Bus::addCamera(const CameraSpec& spec) {
    // A sensor no camera has would only make every frame buffer fail to allocate.
    bool ok = sizeAllowed(spec.width, spec.height);
    for (const auto& p : spec.presets) ok = ok && sizeAllowed(p.first, p.second);
    if (!ok) {
        qWarning().noquote() << "simulated camera" << spec.serial << "refused:" << sizeRule();
        return 0;
    }
    Core& k = core();
    std::lock_guard<std::mutex> lk(k.m);
    auto c = std::make_unique<Cam>();
    c->spec = spec;
    c->defaultTrigger = spec.trigger;
    c->id = int(k.cams.size()) + 1;
    c->order = c->id;
    c->outW = spec.width;
    c->outH = spec.height;
    if (!spec.folder.isEmpty()) {
        QDir dir(spec.folder);
        const QStringList names =
            dir.entryList({"*.bmp", "*.pgm", "*.ppm", "*.png", "*.jpg"}, QDir::Files, QDir::Name);
        for (const QString& name : names) {
            const QString path = dir.filePath(name);
            const QString key = QFileInfo(path).canonicalFilePath();
            auto it = k.decodedFiles.constFind(key);
            if (it == k.decodedFiles.constEnd()) {
                QImage img(path);
                if (!img.isNull()) img = img.convertToFormat(QImage::Format_RGB888);
                it = k.decodedFiles.insert(key, img);
            }
            if (!it->isNull()) c->files.push_back(*it);  // shares the decoded pixels
        }
        if (c->files.empty())
            qWarning() << "simulated camera" << spec.serial << ": no images in" << spec.folder;
    }
    k.cams.push_back(std::move(c));
    return k.cams.back()->id;
}

bool Bus::loadJson(const QByteArray& json, QString* error) {
    cJSON* root = cJSON_Parse(json.constData());
    if (!root) {
        if (error) *error = QStringLiteral("camera configuration is not valid JSON");
        return false;
    }
    const cJSON* list = cJSON_GetObjectItemCaseSensitive(root, "cameras");
    const cJSON* item = nullptr;
    cJSON_ArrayForEach(item, list) {
        CameraSpec s;
        auto str = [item](const char* key) -> QByteArray {
            const cJSON* v = cJSON_GetObjectItemCaseSensitive(item, key);
            return cJSON_IsString(v) ? QByteArray(v->valuestring) : QByteArray();
        };
        auto num = [item](const char* key, int def) {
            const cJSON* v = cJSON_GetObjectItemCaseSensitive(item, key);
            return cJSON_IsNumber(v) ? v->valueint : def;
        };
        auto flag = [item](const char* key) {
            return cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(item, key));
        };
        const QByteArray vendor = str("vendor").toLower();
        if (vendor == "galaxy")
            s.vendor = Vendor::Galaxy;
        else if (vendor == "ueye")
            s.vendor = Vendor::Ueye;
        else if (vendor == "mindvision")
            s.vendor = Vendor::MindVision;
        else if (vendor == "hikvision")
            s.vendor = Vendor::Hikvision;
        else {
            if (error)
                *error = QStringLiteral("unknown camera vendor \"%1\"").arg(QString::fromLatin1(vendor));
            cJSON_Delete(root);
            return false;
        }
        s.serial = str("serial");
        if (!str("model").isEmpty()) s.model = str("model");
        if (!str("maker").isEmpty()) s.maker = str("maker");
        s.gige = str("transport").toLower() != "usb";
        s.width = num("width", s.width);
        s.height = num("height", s.height);
        s.color = flag("color");
        s.trigger = flag("trigger");
        s.fps = std::max(1, num("fps", s.fps));
        s.folder = QString::fromLocal8Bit(str("folder"));
        s.staticScene = flag("static");
        s.ip = parseIp(str("ip").constData());
        s.mask = parseIp(str("mask").constData());
        s.netExport = parseIp(str("export").constData());
        const cJSON* p = nullptr;
        cJSON_ArrayForEach(p, cJSON_GetObjectItemCaseSensitive(item, "presets")) {
            if (cJSON_GetArraySize(p) == 2)
                s.presets.append({cJSON_GetArrayItem(p, 0)->valueint, cJSON_GetArrayItem(p, 1)->valueint});
        }
        const cJSON* r = nullptr;
        cJSON_ArrayForEach(r, cJSON_GetObjectItemCaseSensitive(item, "ranges")) {
            if (cJSON_GetArraySize(r) == 2 && r->string)
                s.ranges.append(
                    {QByteArray(r->string),
                     {cJSON_GetArrayItem(r, 0)->valuedouble, cJSON_GetArrayItem(r, 1)->valuedouble}});
        }
        bool sizes = sizeAllowed(s.width, s.height);
        for (const auto& preset : s.presets) sizes = sizes && sizeAllowed(preset.first, preset.second);
        if (!sizes) {
            if (error)
                *error = QStringLiteral("camera \"%1\": size %2 x %3 refused; %4")
                             .arg(QString::fromLatin1(s.serial))
                             .arg(s.width)
                             .arg(s.height)
                             .arg(sizeRule());
            cJSON_Delete(root);
            return false;
        }
        addCamera(s);
    }
    cJSON_Delete(root);
    return true;
}

bool Bus::loadFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    return loadJson(f.readAll(), error);
}

int Bus::loadDefaultConfig() {
    if (!isSimulated()) return 0;
    const QString path = SysPath("/cameras.json");
    if (!QFileInfo::exists(path)) return 0;
    const int before = cameraCount();
    QString error;
    if (!loadFile(path, &error)) qWarning().noquote() << "simulated cameras:" << error;
    return cameraCount() - before;
}

int Bus::cameraCount() const {
    std::lock_guard<std::mutex> lk(core().m);
    return int(core().cams.size());
}

void Bus::unplug(const QByteArray& serial) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) c->present = false;
    core().cv.notify_all();
}

void Bus::replug(const QByteArray& serial) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) {
        c->present = true;
        c->stalled = false;
    }
    core().cv.notify_all();
}

void Bus::stall(const QByteArray& serial, bool on) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) c->stalled = on;
    core().cv.notify_all();
}

void Bus::setTrigger(const QByteArray& serial, bool on) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) {
        c->spec.trigger = on;
        c->pulses = 0;
    }
    core().cv.notify_all();
}

void Bus::pulse(const QByteArray& serial) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) {
        if (c->spec.trigger && c->present && !c->stalled && c->streaming) ++c->pulses;
    }
    core().cv.notify_all();
}

void Bus::setEnumerationOrder(const QList<QByteArray>& serials) {
    std::lock_guard<std::mutex> lk(core().m);
    int next = 0;
    for (const QByteArray& s : serials)
        if (Cam* c = core().find(s)) c->order = next++;
    for (auto& c : core().cams)
        if (!serials.contains(c->spec.serial)) c->order = next++;
}

void Bus::injectStatus(const QByteArray& function, int status, int times) {
    std::lock_guard<std::mutex> lk(core().m);
    core().inject[function] = {status, times};
}

void Bus::failRange(const QByteArray& serial, const QByteArray& feature, bool on) {
    std::lock_guard<std::mutex> lk(core().m);
    if (Cam* c = core().find(serial)) {
        if (on)
            c->failedRanges.insert(feature);
        else
            c->failedRanges.remove(feature);
    }
}

QStringList Bus::log() const {
    std::lock_guard<std::mutex> lk(core().m);
    return core().log;
}

void Bus::clearLog() {
    std::lock_guard<std::mutex> lk(core().m);
    core().log.clear();
}

QStringList Bus::misuses() const {
    std::lock_guard<std::mutex> lk(core().m);
    return core().misuse;
}

uint32_t Bus::framesProduced(const QByteArray& serial) const {
    std::lock_guard<std::mutex> lk(core().m);
    Cam* c = core().find(serial);
    return c ? c->counter : 0;
}

bool Bus::isOpen(const QByteArray& serial) const {
    std::lock_guard<std::mutex> lk(core().m);
    Cam* c = core().find(serial);
    return c && c->open;
}

bool Bus::featureValue(const QByteArray& serial, const QByteArray& key, double* value) const {
    std::lock_guard<std::mutex> lk(core().m);
    Cam* c = core().find(serial);
    if (!c) return false;
    auto it = c->features.find(key);
    if (it == c->features.end()) return false;
    *value = it->second;
    return true;
}

bool readStamp(const uint8_t* frame, int width, int bpp, int* cameraId, uint32_t* counter) {
    if (!frame || width < 2 * kStampBlocks) return false;
    auto block = [&](int k) { return frame[size_t(2 * k) * bpp]; };
    if (block(0) != kStampMarker) return false;
    if (cameraId) *cameraId = block(1);
    if (counter)
        *counter = uint32_t(block(2)) | (uint32_t(block(3)) << 8) | (uint32_t(block(4)) << 16) |
                   (uint32_t(block(5)) << 24);
    return true;
}

}  // namespace simcam
