// Template management of the region and alarm editor: adding the shown picture as a template,
// deleting the shown template, deleting all but the masters, and the rules of the template folders.
#include "templates.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStackedLayout>
#include <algorithm>
#include <cstring>

#include "app/imageglobals.h"
#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "detect/cammerrecong.h"
#include "drawroiwidget.h"
#include "editor/regioption.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "io/controlport.h"
#include "netbridge/cnt_net.h"
#include "records/accesslevel.h"
#include "records/ngcomposition.h"

int templateSlotOfName(const QString& name) {
    static const QString prefix = QStringLiteral("template");
    static const QString suffix = QStringLiteral(".bmp");
    if (!name.startsWith(prefix) || !name.endsWith(suffix)) return -1;
    const QStringRef digits = name.midRef(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.isEmpty() || digits.size() > 4 || digits.at(0) == QLatin1Char('0')) return -1;
    for (QChar ch : digits)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return -1;
    return digits.toInt();
}

QString templateFileName(int slot) {
    return QStringLiteral("template%1.bmp").arg(slot);
}

TemplateChoice chooseTemplateSlot(const std::vector<int>& loaded, int slotCount, const QDir& folder) {
    TemplateChoice c;
    if (slotCount < 2) return c;
    for (int k = 1; k < slotCount; ++k)
        if (k >= int(loaded.size()) || !loaded[size_t(k)]) {
            c.slot = k;
            return c;
        }
    c.replaces = true;
    const QFileInfoList files = folder.entryInfoList(QStringList{QStringLiteral("template*.bmp")},
                                                     QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo& f : files) {
        const int n = templateSlotOfName(f.fileName());
        if (n < 1) continue;
        if (n < slotCount) {
            c.slot = n;
        } else {
            c.slot = slotCount - 1;
            c.staleFile = f.fileName();
        }
        return c;
    }
    c.slot = slotCount - 1;
    return c;
}

namespace {
QString stepFolder(int slot, int step) {
    return QStringLiteral("./cammer%1%2").arg(slot + 1).arg(step + 1);
}

// The valid count always equals the number of set valid flags.
void recount(CammerViewData& data, int d) {
    const std::vector<int>& loaded = data.templateLoaded[d];
    data.templateCount[d] = int(std::count_if(loaded.begin(), loaded.end(), [](int f) { return f != 0; }));
}

// Removes a template file; false when it is still there afterwards (a missing file is fine).
bool removeTemplateFile(const QString& path) {
    if (!QFile::exists(path) || QFile::remove(path)) return true;
    qWarning().noquote() << "template not deleted:" << path;
    return false;
}

// Kind 11 names the camera and step of the folder the file was in.
void announceRemoval(const CammerWidget* v, int step, const QString& name) {
    if (CNT_ClientReady()) gpNet->CNT_SendDelTempPic(v->slot + 1, step + 1, name);
}
}  // namespace

void DrawROIWidget::SlotAddTemp() {
    MainWindow* w = window_;
    if (!gpWPara) return;
    const WizardPara& p = *gpWPara;
    const int c = w->displayedCamera;
    CammerWidget* v = c >= 0 && c < numCamera ? w->camView(c) : nullptr;
    const bool alarm = w->DisplayState == 2;
    const bool live = alarm && gSource == 1;
    if (live) {
        if (!v || v->data.allOk) {
            showWarnBox(lanText(107));
            return;
        }
        if (p.enable_disarm_before_open && !gisSafeDoorOpen) {
            showWarnBox(lanText(195));
            return;
        }
    }
    if (gTempNum < 2) {
        showWarnBox(lanText(258));
        return;
    }
    if (p.temp_add_protect && accessCheckPassword() == 0) return;
    const int d = live ? w->DetectStep : w->editorStep;
    if (d < 0 || d >= gDNum || d >= kMaxStep) return;
    const int alarmStep = w->DetectStep;
    if (!showChooseBox(lanText(108))) return;
    if (alarm && alarmGone(alarmStep, live ? v : nullptr)) return;
    // The picture: the frame just judged, or the recent NG picture shown.
    const bool fromNG = gSource == 2 && (alarm || w->DisplayState == 3);
    if (!v || !(live || fromNG)) return;
    const std::vector<uchar>& ng = v->recentNG[d][qBound(0, v->shownRecentNG, 2)];
    const uchar* pictureData = live ? v->data.rawBuffer.data() : ng.data();
    const size_t pictureSize = live ? v->data.rawBuffer.size() : ng.size();
    const size_t len = size_t(gColorLen);
    if (len == 0 || pictureSize < len) return;

    const QDir folder(stepFolder(v->slot, d));
    const TemplateChoice choice = chooseTemplateSlot(v->data.templateLoaded[d], gTempNum, folder);
    if (choice.slot < 1 || choice.slot >= gTempNum) return;
    const QString file = folder.filePath(templateFileName(choice.slot));
    // Written first: a template that is not on disk is neither used, recorded nor announced. The
    // writer reports a failure to the operator.
    if (!QDir().mkpath(folder.path()) || !saveTemplateBitmap(file, pictureData, gImageW, gImageH, !gisColor))
        return;
    if (!choice.staleFile.isEmpty() && removeTemplateFile(folder.filePath(choice.staleFile)))
        announceRemoval(v, d, choice.staleFile);
    cv::Mat& slot = v->data.templateSlot(d, choice.slot);
    if (slot.empty() || slot.total() * slot.elemSize() != len) return;
    std::memcpy(slot.data, pictureData, len);
    v->data.templateLoaded[d][size_t(choice.slot)] = 1;
    recount(v->data, d);
    w->InsertRecord(lanText(109).arg(v->slot + 1));
    if (CNT_ClientReady()) gpNet->CNT_SendTempPic(QFileInfo(file).absoluteFilePath());

    if (live) {
        // The picture is good after all: the step is learnt again at once and the camera counts as
        // decided; the other cameras are judged again.
        if (v->recong) v->recong->VarTrain(d);
        v->skipFlag[d] = true;
        if (w->ImageState[c][d] == 3) w->ImageState[c][d] = 5;
        SlotReCheck();
    } else {
        retrain[c] = true;
    }
    v->update();
}

void DrawROIWidget::SlotTempDeleteCur() {
    MainWindow* w = window_;
    const int c = w->displayedCamera;
    CammerWidget* v = c >= 0 && c < numCamera ? w->camView(c) : nullptr;
    const int d = w->editorStep;
    if (!v || d < 0 || d >= gDNum || d >= kMaxStep) return;
    const int k = v->data.shownTemplate;
    if (k == 0) {
        showWarnBox(lanText(68));
        return;
    }
    std::vector<int>& loaded = v->data.templateLoaded[d];
    if (k < 0 || k >= int(loaded.size()) || !loaded[size_t(k)]) return;
    if (!showChooseBox(lanText(69))) return;
    if (v != w->camView(w->displayedCamera) || v->data.shownTemplate != k || !loaded[size_t(k)]) return;
    const QString name = templateFileName(k);
    const QString path = QDir(stepFolder(v->slot, d)).filePath(name);
    if (!removeTemplateFile(path)) {
        // Kept in use: it would come back at the next start.
        const QString text = lanText(620).arg(path);
        w->InsertRecord(text);
        showWarnBox(text);
        return;
    }
    v->data.releaseTemplate(d, k);
    recount(v->data, d);
    retrain[c] = true;
    announceRemoval(v, d, name);
    SlotTempNext();
    w->InsertRecord(lanText(70).arg(v->slot + 1).arg(k + 1));
}

void DrawROIWidget::SlotTempNext() {
    if (window_->regiOption) window_->regiOption->SlotTempNext();
}

void DrawROIWidget::GetTempTIme(int camera, int step, int slot) {
    if (window_->regiOption) window_->regiOption->GetTempTIme(camera, step, slot);
}

void DrawROIWidget::SlotTempDeleteAll() {
    MainWindow* w = window_;
    const int steps = std::min(gDNum, kMaxStep);
    QStringList kept;  // files that could not be removed: their templates stay in use
    for (int c = 0; c < w->cams.size() && c < kMaxCamera; ++c) {
        CammerWidget* v = w->cams[c];
        for (int d = 0; d < steps; ++d) {
            std::vector<int>& loaded = v->data.templateLoaded[d];
            std::vector<bool> stays(loaded.size(), false);
            // The master stays by its name; only names that are templates go.
            const QDir dir(stepFolder(v->slot, d));
            const QStringList files =
                dir.entryList(QStringList{QStringLiteral("template*.bmp")}, QDir::Files, QDir::Name);
            for (const QString& f : files) {
                const int k = templateSlotOfName(f);
                if (k < 1) continue;
                if (removeTemplateFile(dir.filePath(f))) {
                    announceRemoval(v, d, f);
                } else {
                    kept << dir.filePath(f);
                    if (k < int(stays.size())) stays[size_t(k)] = true;
                }
            }
            for (int k = 1; k < int(loaded.size()); ++k)
                if (!stays[size_t(k)]) v->data.releaseTemplate(d, k);
            recount(v->data, d);
        }
        v->data.shownTemplate = 0;
        retrain[c] = true;
    }
    gisReTrain = 1;
    w->InsertRecord(lanText(71));
    if (!kept.isEmpty()) {
        // Told once for all: they would come back at the next start.
        const QString text = lanText(620).arg(kept.join(QStringLiteral("\r\n")));
        w->InsertRecord(text);
        showWarnBox(text);
    }
}
