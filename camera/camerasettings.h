#pragma once
// Camera image settings shared by every view: capture speed, the feature-name table of the Hikvision
// back-end, and the camera whose values the settings pages show. The per-view setters (exposure, gain,
// sharpness, contrast, gamma, white balance, trigger mode, defaults) are CameraSlot methods.
//
// Value mapping (v = the record's value, min/max = the range the device reports):
//   exposure   Galaxy: min + (max - min) / 100 * v (raw v when the range cannot be read);
//              uEye, MindVision, Hikvision: v milliseconds
//   gain       1/64 steps of the range; uEye: v itself
//   sharpness  1/100 steps; V4L2: unsharp amount v * 0.05
//   contrast   MindVision: 1/200 steps; Galaxy: software factor (v > 150: 100, else v - 50);
//              V4L2: eq contrast v / 100 (100: the camera's own picture)
//   gamma      1/250 steps; uEye: v itself; V4L2: v / 100 (100: the camera's own picture)
#include <QJsonObject>
#include <QString>

// Feature names per camera maker, filled by initParamIndex.
extern QJsonObject gJsonParamIndex;
// The camera (0-3) whose values the camera pages of the settings dialog show.
extern int outSet;

// Fills gJsonParamIndex: the "Hik" table (every maker but "COGNEX") and the "COGNEX" table. Called once
// by the main window's initialisation after back-end detection.
void initParamIndex();
// The feature name of `key` ("ExposureTime", "Gain", "sharp", "Gamma") for the maker: the "COGNEX"
// table when the maker text is exactly "COGNEX", else the "Hik" table; empty for an unknown key.
QString getPararmIndex(const QString& maker, const QString& key);

// Applies the live record's capture_speed to every camera view below the view count: stop, set
// (uEye pixel clock, MindVision frame speed, Hikvision frame rate), start.
void CameraSetSpeed();

// Back to the state before start-up (tests).
void resetCameraSettingsGlobals();
