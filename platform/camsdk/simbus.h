#pragma once
// The simulated camera bus: the one implementation behind galaxy.h, ueye.h, mindvision.h and hikvision.h
// in this build (no vendor library is linked here, so the panel profile finds no vendor camera unless
// a bus configuration is given).
//
// A fake camera has a vendor, serial, model, maker, transport, sensor size, colour or mono, trigger
// mode and a frame source: a synthetic pattern (a gradient with a moving bar, stamped with the camera
// id and a frame counter, see readStamp) or the images of a folder, cycled. In the simulated profile
// the program fills the bus from "./sysroot/cameras.json"; tests fill it themselves and drive it:
// unplug, stall, replug, trigger pulses, enumeration order, injected failure statuses, and the log of
// every SDK call ("Name(serial or handle, args...)").
//
// JSON form:
//   {"cameras": [{"vendor": "galaxy|ueye|mindvision|hikvision", "serial": "...", "model": "...",
//                 "maker": "...", "width": 1280, "height": 1024, "color": false, "trigger": false,
//                 "fps": 30, "folder": "scenes/cam0", "static": false, "transport": "gige|usb",
//                 "ip": "192.168.1.20", "mask": "255.255.255.0", "export": "192.168.1.1",
//                 "presets": [[w, h], ...], "ranges": {"gain": [min, max], ...}}]}
// A "v4l2" member in the same file is read by the camera layer, not by the bus.
// Sizes (the sensor's and every preset's) are 1 to kMaxSide pixels a side and at most kMaxPixels in
// all; a camera outside that is refused with a message (loadJson: the whole file, with its error).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>

namespace simcam {

constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;  // 64 megapixels
// The size rule as a message, and the rule itself.
QString sizeRule();
bool sizeAllowed(int width, int height);

enum class Vendor { Galaxy, Ueye, MindVision, Hikvision };

struct CameraSpec {
    Vendor vendor = Vendor::Galaxy;
    QByteArray serial;
    QByteArray model = "SIM-CAM";
    QByteArray maker = "SIM";
    bool gige = true;
    int width = 640;
    int height = 480;
    bool color = false;
    bool trigger = false;  // hardware trigger: one frame per pulse
    int fps = 30;
    QString folder;            // image files cycled as frames; empty: synthetic pattern
    bool staticScene = false;  // synthetic frames that never change (no counter stamp, no motion)
    uint32_t ip = 0, mask = 0, netExport = 0;
    QList<std::pair<int, int>> presets;  // MindVision preset resolutions; empty: a default list
    QList<std::pair<QByteArray, std::pair<double, double>>> ranges;  // feature ranges by name
};

class Bus {
public:
    static Bus& instance();

    // Stops every stream, forgets every camera, injection and log entry.
    void reset();
    // Adds a camera; returns its id (1, 2, ...), stamped into its synthetic frames, or 0 when its size
    // is refused.
    int addCamera(const CameraSpec& spec);
    bool loadJson(const QByteArray& json, QString* error = nullptr);
    bool loadFile(const QString& path, QString* error = nullptr);
    // Simulated profile: "./sysroot/cameras.json" when it exists. Returns the number of cameras added.
    int loadDefaultConfig();
    int cameraCount() const;

    // Test controls, by serial.
    void unplug(const QByteArray& serial);  // leaves the enumeration; grabs time out
    void replug(const QByteArray& serial);
    void stall(const QByteArray& serial, bool on = true);  // enumerates, sends no frames
    void setTrigger(const QByteArray& serial, bool on);
    void pulse(const QByteArray& serial);  // one frame in trigger mode
    // Each vendor lists its cameras in this order (serials not named follow in their own order).
    void setEnumerationOrder(const QList<QByteArray>& serials);
    // The next `times` calls of `function` return `status` (after being logged).
    void injectStatus(const QByteArray& function, int status, int times = 1);
    void failRange(const QByteArray& serial, const QByteArray& feature, bool on = true);

    QStringList log() const;
    void clearLog();
    // Calls made with a closed or unknown handle, and callbacks after their stop returned.
    QStringList misuses() const;
    uint32_t framesProduced(const QByteArray& serial) const;
    bool isOpen(const QByteArray& serial) const;
    // Last value written to a feature of the camera (key as logged, e.g. "0x100003EE" or "Width").
    bool featureValue(const QByteArray& serial, const QByteArray& key, double* value) const;

    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

private:
    Bus();
    ~Bus();
};

// Reads the stamp of a synthetic frame: camera id and frame counter. bytesPerPixel 1, 3 or 4 (any
// channel order). False when the buffer carries no stamp.
bool readStamp(const uint8_t* frame, int width, int bytesPerPixel, int* cameraId, uint32_t* counter);

}  // namespace simcam
