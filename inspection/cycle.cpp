// The detection steps of the inspection cycle and the decision: step countdown, evaluation of every
// camera, OK/NG decision with re-check and alarm, result display, output pulse timers, and the small
// start/stop operations they share.
#include <QDateTime>
#include <QDebug>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QBuffer>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "cammerwidget.h"
#include "io/controlport.h"
#include "io/ledcontrol.h"
#include "mainwindow.h"
#include "mainbars.h"
#include "detect/areagen.h"
#include "camera/camerabinding.h"
#include "app/msgbox.h"
#include "app/savereport.h"
#include "records/accesslevel.h"
#include "netbridge/cnt_net.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"
#include "records/counters.h"
#include "records/savefialimagethread.h"

int gFromTrain = 0;
int gisReTrain = 0;
int gisReShape = 0;

namespace {
WizardPara& para() {
    static WizardPara fallback;
    return gpWPara ? *gpWPara : fallback;
}
bool pairsMode() {
    return para().detect_mode == kDetectTwoColour || para().detect_mode == kDetectTurntable;
}
bool multiMode() {
    return para().detect_mode == kDetectMulti;
}
void setOut(int n, int on) {
    if (gpControlIO) gpControlIO->IOSetOut(n, on);
}
void flushOut() {
    if (gpControlIO) gpControlIO->IOFlashOut();
}
int tenthMs() {
    return TimeMs("cycle.pulseUnit", 100);
}
bool bridgeOn() {
    return para().cnt_net_on && gpNet && gpNet->isStarted();
}
bool bridgeConnected() {
    return bridgeOn() && gpNet->isConnected();
}
// The region store whose counts and output groups the decision reads.
// The regions the recogniser judged: the saved store (the editor's working copy may be empty or
// hold unsaved changes).
const CammerSingleton* regionStore(const CammerWidget* v) {
    return v->data.savedStore.get();
}
}  // namespace

void FoundAllFile(QList<QFileInfo>& list, const QString& path) {
    // Regular files only: folders never count against the archive limit nor get deleted.
    QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        list.append(it.fileInfo());
    }
}

void SortFileByTime(QList<QFileInfo>& list) {
    std::stable_sort(list.begin(), list.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
}

// ---------------------------------------------------------------------------------------------------
// Detection steps

void MainWindow::updateCountdown() {
    const QRect area = gShowW >= 1024 ? QRect(int(520 * zoomX), int(5 * zoomY), 130, 36)
                                      : QRect(int(270 * zoomX), int(5 * zoomY), 40, 18);
    for (CammerWidget* v : cams) v->update(area);
}

void MainWindow::TimerUp(int step) {
    if (step < 0 || step >= kMaxStep) return;
    WizardPara& p = para();
    // Pre-close: the clamping cut comes on while at most the pre-close time is left.
    if (step == lastStep() && p.pre_cut >= 1 && p.pre_cut <= 99 && p.pre_cut >= remainingDelay[step] &&
        !p.ok_ng_pulse) {
        setOut(kOutClampingCut, 1);
        flushOut();
    }
    // Whole ticks: the step runs on the tick that finds at most one tenth left.
    if (remainingDelay[step] > 1) {
        --remainingDelay[step];
        updateCountdown();
        return;
    }
    timerUp[step]->stop();
    if (ioLinkAlarm) {
        // No board to act on the result: the step is neither judged nor counted and keeps no
        // picture; the record says so. It is disarmed as a run would disarm it.
        const int phys = pairsMode() ? (step >= 2 ? step - 2 : step) + (MouldSide == 0 ? 2 : 0) : step;
        StepArmedMask[pairsMode() ? phys & 1 : step] = 0;
        StepPhase = 2;
        InsertRecord(lanText(611).arg(phys + 1));
        return;
    }
    for (int c = 0; c < numCamera; ++c) RunAlgorithm(c, step);
    bool allOk = true;
    for (CammerWidget* v : cams) allOk = allOk && v->data.allOk;
    CheckNG();
    StepPhase = 2;

    // Automatic template renewal of the automatic-parts procedure.
    if (DisplayState != 2 && step == lastStep() && allOk && !recheckPending && p.template_auto_update &&
        p.detect_mode == kDetectAutoParts) {
        gisReShape = 1;
        for (CammerWidget* v : cams) v->SaveReTrainImage(1);
    }
}

void MainWindow::RunAlgorithm(int camera, int step) {
    if (camera < 0 || camera >= numCamera || camera >= cams.size() || step < 0 || step >= kMaxStep) return;
    WizardPara& p = para();
    CammerWidget* v = cams[camera];
    const bool multi = multiMode();

    // 1. Physical step and slot.
    int phys = step;
    int slot = step;
    if (pairsMode()) {
        phys = step >= 2 ? step - 2 : step;
        if (MouldSide == 0) phys += 2;
        slot = phys & 1;
    }
    DetectStep = phys;
    StepArmedMask[slot] &= ~(1 << camera);

    // 2-3. Raw frame archive: save, then keep the newest frames only (so it never grows past the limit).
    if (rawImageSaving && v->data.rawBuffer.size() >= size_t(gColorLen) && gImageLen > 0) {
        const QString file = QStringLiteral("./originalimage/cammer%1%2/template%3.bmp")
                                 .arg(v->slot + 1)
                                 .arg(phys + 1)
                                 .arg(SysClock::now().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
        QImage img;
        if (gisColor) {
            img = QImage(v->data.rawBuffer.data(), gImageW, gImageH, gImageW * 4, QImage::Format_RGB32);
        } else {
            img = QImage(v->data.rawBuffer.data(), gImageW, gImageH, gImageW, QImage::Format_Indexed8);
            img.setColorTable(greyTable);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!img.save(&buffer, "BMP"))
            qWarning().noquote() << "raw frame not encoded:" << file;
        else
            saveFileReported(SavedFile::RawFrames, file, bytes);
    }
    {
        QList<QFileInfo> files;
        FoundAllFile(files, QStringLiteral("./originalimage"));
        if (files.size() > kRawArchiveLimit) {
            SortFileByTime(files);
            while (files.size() > kRawArchiveLimit) {
                const QFileInfo oldest = files.takeFirst();
                QFile::remove(oldest.filePath());  // a file that cannot be deleted is left
            }
        }
    }

    // 4. Learning the templates.
    if (RunState == 2) {
        if (v->learnPending[phys]) {
            if (stepOn(phys)) v->SaveReTrainImage(phys);
            v->learnPending[phys] = false;
            v->data.allOk = true;
            bool left = false;
            for (CammerWidget* w : cams)
                for (int d = 0; d < gDNum && d < kMaxStep; ++d)
                    left = left || (stepOn(d) && w->learnPending[d]);
            if (!left) {
                StartDetect();
                if (!p.ok_ng_pulse) {
                    setOut(kOutClampingCut, 1);
                    flushOut();
                }
                RunState = 2;
                checkAreaAfterPass();
                return;
            }
        }
        v->update();
        return;
    }

    // 5. Detection.
    if (v->recong) {
        v->recong->ShapeMatch();
        // The judged frame is shown with the live picture (or none); a template or a stored picture
        // the operator looks at stays on the view.
        if ((gSource == 1 || gSource == -1) && v->displayBuffer.size() >= size_t(gColorLen) &&
            v->data.rawBuffer.size() >= size_t(gColorLen)) {
            memcpy(v->displayBuffer.data(), v->data.rawBuffer.data(), size_t(gColorLen));
            v->displayChanged();
        }
        v->recong->Run(phys);
    }
    if (!v->data.allOk) {
        // Immediate outputs, before the decision.
        if (!p.ok_ng_pulse) {
            if (multi) {
                if (slot == 1 && !p.cavity_ng_clamp) setOut(kOutAlarm, 1);
                if (slot == 0 && !p.enable_stop_not_alarm) setOut(kOutAlarm, 1);
            } else if (slot == 0) {
                if (!p.enable_stop_not_alarm && !p.enable_cutoff_ontime) {
                    setOut(kOutEjectorCut, 1);
                    if (!p.pre_cut && !p.cut_clamp_on_mold_alarm && !p.detect_any_order && !p.cavity_ng_clamp)
                        setOut(kOutClampingCut, 1);
                }
                if (!p.enable_stop_not_alarm && RecheckLeft[slot] <= 0) setOut(kOutAlarm, 1);
            } else if (slot == 1) {
                if (!p.cavity_ng_clamp) {
                    if (!(p.pre_cut && RecheckLeft[1] > 0)) setOut(kOutClampingCut, 1);
                    if (RecheckLeft[slot] <= 0) setOut(kOutAlarm, 1);
                }
            }
        }
        // Counted once per cycle, when no re-check is left.
        if (failCountPending[camera] && RecheckLeft[slot] == 0) {
            ++gFailNum[v->slot];  // counted by the camera's slot
            failCountPending[camera] = 0;
        }
        // Region NG outputs 4..7 to pulse.
        if (p.enable_stop_not_alarm && slot == 0) {
            if (const CammerSingleton* store = regionStore(v)) {
                const int n = qBound(0, int(store->count[0]), kRoiCount);
                for (int r = 0; r < n; ++r) {
                    const int o = store->outN[r];
                    if (!v->data.roiOk[0][r] && o >= 0 && o < 4) ngOutputFlags[o] = 1;
                }
            }
        }
        // Recent NG frames of the step.
        if (ImageState[camera][phys] == 1 && RecheckLeft[slot] == 0) {
            auto& ring = v->recentNG[phys][v->recentNGCount[phys] % 3];
            if (ring.size() < size_t(gColorLen)) ring.resize(size_t(gColorLen));  // once per slot
            if (v->data.rawBuffer.size() >= size_t(gColorLen))
                memcpy(ring.data(), v->data.rawBuffer.data(), size_t(gColorLen));
            ++v->recentNGCount[phys];
        }
    }
    if (allCountPending[camera]) {
        ++gAllNum[v->slot];
        allCountPending[camera] = 0;
    }
    flushOut();

    // 6.
    if (gSource == 1 || gSource == -1) v->update();
}

// ---------------------------------------------------------------------------------------------------
// Decision

void MainWindow::CheckNG() {
    if (gFromTrain || learningEndAsking) return;
    WizardPara& p = para();
    const int mode = p.detect_mode;
    const bool multi = mode == kDetectMulti;
    const bool pairs = pairsMode();
    const int ps = qBound(0, DetectStep, kMaxStep - 1);
    const int s = pairs ? (ps & 1) : ps;
    const bool on = bridgeOn();
    const bool connected = bridgeConnected();
    const bool manual = manualStart != 0;  // the step was a manual snapshot

    // 2. NG when any used view is NG; its alarm marks blink.
    bool ng = false;
    for (CammerWidget* v : cams) {
        if (v->data.allOk) continue;
        ng = true;
        if (v->blinkTimer) v->blinkTimer->start(TimeMs("cycle.blink", 1000));
    }
    lastNG = ng ? 1 : 0;

    // 3. Results of this step for the network client.
    if (RecheckLeft[s] == 0 && DetectMethod != 0) {
        if (connected) gpNet->CNT_SendStatistics_Once(g_listParamROI, ng, DetectMethod);
        g_listParamROI.clear();
        DetectMethod = 0;
    }

    // 4. Final NG.
    if (ng && RecheckLeft[s] == 0) {
        stepOk[ps] = 0;
        if (on && connected) {
            if (p.ng_video_on && p.video_share_mode) gpNet->CNT_SendSaveNgVideo(1, 1);
            if (p.sms_on) {
                int n = 0;
                for (CammerWidget* v : cams) {
                    const CammerSingleton* store = regionStore(v);
                    if (v->data.allOk || !store) continue;
                    const int count = qBound(0, int(store->count[s]), kRoiCount);
                    for (int r = 0; r < count; ++r) n += v->data.roiOk[s][r] == 0 ? 1 : 0;
                }
                gpNet->CNT_SendTelInfo(s, n);
            }
            for (int c = 0; c < cams.size(); ++c) {
                CammerWidget* v = cams[c];
                const CammerSingleton* store = regionStore(v);
                if (v->data.allOk || !store) continue;
                const int count = qBound(0, int(store->count[ps]), kRoiCount);
                for (int r = 0; r < count; ++r)
                    if (!v->data.roiOk[ps][r]) gpNet->ChkandAddStaticticsItem(v->slot, ps, r);
            }
            gpNet->CNT_SendStatistics(QStringLiteral("null"));
        }
    }

    // The NG outcomes that pulse outputs without an alarm.
    const bool prodPulse = s == 0 && p.enable_stop_not_alarm;
    const bool cavityPulse = s == 1 && p.cavity_ng_clamp;
    const bool pulseNoAlarm = p.ok_ng_pulse || prodPulse || cavityPulse;
    bool showResult = true;  // steps 8 and 9

    if (ng) {
        // 5. Outputs on NG.
        if (p.ok_ng_pulse) {
            setOut(kOutClampingCut, 1);
            setOut(kOutEjectorCut, 0);
            setOut(kOutAlarm, 1);
            flushOut();
            if (p.mold_pulse > 0) outTimerNotAllowClose->start(p.mold_pulse * tenthMs());
        } else if (prodPulse || cavityPulse) {
            // No alarm: the pulses follow the result display.
        } else if (multi && s != 0 && s != 1) {
            // Later multi-detection steps switch nothing and leave the display as it is.
            showResult = false;
        } else {
            showResult = false;
            if (DisplayState == 2) {
                // Already in the alarm state.
            } else if (RecheckLeft[s] > 0) {
                if (!multi) recheckPending = 1;
                alarmStart = SysClock::now().toMSecsSinceEpoch();
            } else {
                // 6. Entering the alarm state.
                if ((safeDoorTrigger && !multi) || (mode == kDetectStandardNoRecheck && s == 1)) {
                    setOut(kOutClampingCut, 1);
                    flushOut();
                }
                if (screenOff) {
                    LCDOnOff(1);
                    if (p.screen_off_time > 0) screenOffTimer->start(p.screen_off_time * 1000);
                }
                SetStopDetect();
                DisplayState = 2;
                displayedCamera = numCamera;
                if (pageStack) pageStack->setCurrentIndex(0);  // the settings page gives way
                ChangeCammer();
                if (indexButton) indexButton->hide();
                if (drawROIWidget) drawROIWidget->Reset(false);
                recheckPending = 0;
                LEDOnOff(6, 0);
                LEDOnOff(7, 1);
                QString text;
                for (int c = 0; c < cams.size(); ++c)
                    if (!cams[c]->data.allOk) text += lanText(151).arg(cams[c]->slot + 1);
                InsertRecord(lanText(640).arg(text.trimmed()));  // "Camera 1 Camera 2 Alarm"
                alarmStart = SysClock::now().toMSecsSinceEpoch();
            }
        }
    } else {
        // 7. Outputs on OK.
        bool released = false;
        auto releaseProduct = [&] {  // 7a
            if (p.enable_stop_not_alarm) return;
            if (drawROIWidget) drawROIWidget->Restart();
            if (barStack) barStack->setCurrentIndex(0);
            if (pairs) {
                setOut(kOutAlarm, 0);
                setOut(kOutEjectorCut, 0);
            } else if (multi) {
                setOut(kOutAlarm, 0);
            } else {
                setOut(kOutAlarm, 0);
                setOut(kOutEjectorCut, 0);
                if (!p.semi_auto) {
                    simulatedInput = 1;
                    forcedStep = 1;  // the cavity step starts on the next pass
                }
            }
            flushOut();
            DisplayState = 0;
            ResetRun();
            RunState = 1;
            released = true;
        };
        auto releaseCavity = [&] {  // 7b
            if (p.cavity_ng_clamp) return;
            if (drawROIWidget) drawROIWidget->Restart();
            if (barStack) barStack->setCurrentIndex(0);
            if (multi || mode == kDetectStandardNoRecheck) {
                if (multi) {
                    setOut(kOutAlarm, 0);
                } else {
                    setOut(kOutClampingCut, 0);
                    setOut(kOutAlarm, 0);
                }
                flushOut();
                DisplayState = 0;
                ResetRun();
                RunState = 1;
            } else {
                StartDetect();
            }
            released = true;
        };
        if (p.ok_ng_pulse) {
            setOut(kOutClampingCut, 0);
            setOut(kOutEjectorCut, 1);
            setOut(kOutAlarm, 0);
            flushOut();
            if (p.mold_pulse > 0) outTimerNotAllowClose->start(p.mold_pulse * tenthMs());
        } else if (multi) {
            setOut(stepOutput(multiStep), 0);
            if (!manual) carriedInput = nextCarriedInput();
            recheckPending = 0;
            flushOut();
            if (DisplayState == 2 && s == 0) releaseProduct();  // 7c
            if (DisplayState == 2 && s == 1) releaseCavity();
        } else if (s == 0) {
            if (!p.enable_cutoff_ontime && !p.enable_stop_not_alarm) setOut(kOutEjectorCut, 0);
            recheckPending = 0;
            flushOut();
            if (DisplayState == 2) releaseProduct();
        } else if (s == 1) {
            if (!gisReTrain && !p.cavity_ng_clamp) setOut(kOutClampingCut, 0);
            recheckPending = 0;
            flushOut();
            if (DisplayState == 2) releaseCavity();
        }
        if (released && on) {  // 7d
            gpNet->CNT_AddNgTimes(SysClock::now().toMSecsSinceEpoch() - alarmStart);
            if (connected && p.ng_video_on && p.video_share_mode) gpNet->CNT_SendSaveNgVideo(1, 0);
            gpNet->CNT_SendCancle(numCamera > 0 ? ImageState[0][0] : 0);
        }
    }

    if (showResult) {
        // 8. Result display.
        manualStart = 0;
        if (DisplayState == 0 || DisplayState == 1) {
            DisplayState = 1;
            showTimer->start(TimeMs("cycle.show", 2000));
            shownStep = ps;
            update();
            const bool ngPulse = p.ok_ng_pulse && ng;
            LEDOnOff(6, ngPulse ? 0 : 1);
            LEDOnOff(7, ngPulse ? 1 : 0);
        }
        // 9. Pulses and timed cuts.
        if (ng && prodPulse) {
            for (int i = 0; i < 4; ++i)
                if (ngOutputFlags[i]) setOut(kOutNG1 + i, 1);
            if (!p.enable_cutoff_ontime) setOut(kOutEjectorCut, 1);
            flushOut();
            if (p.thimble_pulse > 0) outTimerOutNG->start(p.thimble_pulse * tenthMs());
            if (multi && !manual) carriedInput = nextCarriedInput();
        } else if (ng && cavityPulse) {
            setOut(kOutClampingCut, 1);
            flushOut();
            outTimerOutNG1->start(p.mold_pulse * tenthMs());
        } else if (!ng && s == 1) {
            if (stepOn(0) && p.mold_cutoff && !p.enable_cutoff_ontime && !p.enable_stop_not_alarm) {
                setOut(kOutEjectorCut, 1);
                flushOut();
            }
            if (p.is_cut_ontime && p.mold_pulse > 0) outTimerNotAllowClose->start(p.mold_pulse * tenthMs());
        } else if (!ng && s == 0) {
            if (p.is_cut_ontime_thimble && p.thimble_pulse > 0)
                outTimerNotAllowThimble->start(p.thimble_pulse * tenthMs());
        }
    }

    // 10. Pictures.
    if (manualStart) manualStart = 0;
    for (int c = 0; c < numCamera && c < cams.size(); ++c) {
        CammerWidget* v = cams[c];
        const bool ok = v->data.allOk;
        int& st = ImageState[c][ps];
        if (st == 1 && ok) {
            if (gPicNumOK > 0 && (s >= 1 || p.save_ok_record)) {
                st = 2;
                v->SaveFailImage(ps, 1);
            } else {
                st = 0;
            }
        } else if (st == 1) {
            if (gPicNumNG <= 0) {
                st = 0;
            } else if (RecheckLeft[s] == 0) {
                st = pulseNoAlarm ? 9 : 3;
                v->SaveFailImage(ps, 0);
            }
        } else if (st == 4 || st == 5 || st == 6) {
            v->UpdateFailImage(ps, 0);
        } else if (st == 7) {
            if (!ok) {
                st = 3;
            } else {
                v->UpdateFailImage(ps, 0);
                v->SaveFailImage(ps, 1);
                v->UpdateFailImage(ps, 1);
            }
        }
    }

    // 11. Hand-off to the saver (a cavity NG that only pulses is handed off like the pulse mode).
    if (!ng || p.ok_ng_pulse || cavityPulse) {
        for (int c = 0; c < numCamera && c < kMaxCamera; ++c)
            for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
                int& st = ImageState[c][d];
                if (st == 2 || st == 10) markFailImagePending(c, d, 1);
                if (st == 9 || st == 10) markFailImagePending(c, d, 0);
                if (st == 2 || st == 9 || st == 10) st = 0;
            }
        const bool lastOfCycle = multi ? ps == gDNum - 1 : s == 1;
        if (lastOfCycle) {
            if (!CountWrite()) qWarning() << "counters not written";
            if (connected) gpNet->CNT_SendStatistics(QStringLiteral("null"));
        }
    }

    // 12.
    if (p.cnt_net_on) g_listParamROI.clear();
}

int MainWindow::nextCarriedInput() const {
    WizardPara& p = para();
    const int own = multiStep >= 0 && multiStep < kMaxStep ? p.step_input[multiStep] : -1;
    for (int s = multiStep + 1; s < kMaxStep; ++s) {
        if (s < 0 || p.step_input[s] == -1) continue;
        return p.step_input[s] == own ? p.step_input[s] : -1;
    }
    return -1;
}

void MainWindow::ReCheck() {
    reCheckTimer->stop();
    WizardPara& p = para();
    const int ps = qBound(0, DetectStep, kMaxStep - 1);
    const int q = pairsMode() ? (ps & 1) : ps;
    StepArmedMask[q] = 0;
    if (q == lastStep() && !(p.pre_cut && RecheckLeft[q] > 0)) setOut(kOutClampingCut, 1);
    flushOut();
    for (int c = 0; c < numCamera; ++c) {
        if (!stepOn(ps)) continue;
        StepArmedMask[q] |= 1 << c;
        RunAlgorithm(c, ps);
    }
    CheckNG();
}

void MainWindow::TimerShow() {
    showTimer->stop();
    WizardPara& p = para();
    if (DisplayState == 2) {
        StepPhase = 3;
    } else {
        LEDOnOff(6, 1);
        LEDOnOff(7, 1);
        if (!recheckPending && DetectStep == shownStep && gDNum > 0) {
            DetectStep = (DetectStep + 1) % gDNum;
            if (!multiMode() && DetectStep % 2 == 0 && !p.enable_prod_detect)
                DetectStep = (DetectStep + 1) % gDNum;
        }
        StepPhase = 3;
        if (DisplayState == 1) {
            DisplayState = 0;
            update();
        }
    }
    // Deferred retraining, on the views that were built.
    if (gisReTrain) {
        gisReTrain = 0;
        for (CammerWidget* v : cams) {
            if (!v->recong) continue;
            for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
                if (!stepOn(d)) continue;
                v->recong->CreateShape(d);
                v->recong->VarTrain(d);
            }
        }
    } else if (gisReShape) {
        gisReShape = 0;
        for (CammerWidget* v : cams) {
            if (!v->recong) continue;
            v->recong->CreateShape(1);
            v->recong->VarTrain(1);
        }
    }
}

void MainWindow::OutTimerOutNG() {
    outTimerOutNG->stop();
    if (!para().enable_cutoff_ontime) setOut(kOutEjectorCut, 0);
    for (int o = kOutNG1; o < kOutNG1 + 4; ++o) setOut(o, 0);
    flushOut();
}

void MainWindow::OutTimerOutNG1() {
    setOut(kOutClampingCut, 0);
    flushOut();
}

void MainWindow::OutTimerNotAllowClose() {
    outTimerNotAllowClose->stop();
    if (para().ok_ng_pulse) {
        setOut(kOutClampingCut, 0);
        setOut(kOutEjectorCut, 0);
        setOut(kOutAlarm, 0);
    } else if (RunState != 3) {
        setOut(kOutClampingCut, 1);
    }
    flushOut();
}

void MainWindow::OutTimerNotAllowThimble() {
    outTimerNotAllowThimble->stop();
    if (para().ok_ng_pulse) {
        setOut(kOutClampingCut, 0);
        setOut(kOutEjectorCut, 0);
    } else if (RunState != 3) {
        setOut(kOutEjectorCut, 1);
    }
    flushOut();
}

void MainWindow::AlarmRecheck() {
    if (drawROIWidget) drawROIWidget->ReCheckFromLoop();
}

// ---------------------------------------------------------------------------------------------------
// Start and stop

void MainWindow::ResetRun() {
    for (int d = 0; d < gDNum && d < kMaxStep; ++d) remainingDelay[d] = 0;
    for (CammerWidget* v : cams) {
        v->data.allOk = true;
        for (int d = 0; d < gDNum && d < kMaxStep; ++d)
            for (int r = 0; r < kRoiCount; ++r) {
                v->data.roiOk[d][r] = 1;
                v->data.roiValue[d][r] = 0;
            }
    }
}

void MainWindow::StartDetect() {
    if (gpControlIO) {
        gpControlIO->IOResetAllOut();
        if (para().mold_cutoff) gpControlIO->IOSetOut(kOutEjectorCut, 1);
        gpControlIO->IOFlashOut();
    }
    DisplayState = 0;
    recheckPending = 0;
    for (int& r : RecheckLeft) r = 0;
    ResetRun();
    RunState = 1;
}

void MainWindow::SetStopDetect() {
    if (pairsMode())
        StepArmedMask[DetectStep & 1] = 0;
    else if (!multiMode())
        StepArmedMask[DetectStep != 0 ? 1 : 0] = 0;
    for (int s = 0; s < gDNum && s < kMaxStep; ++s) {
        if (!timerUp[s] || !timerUp[s]->isActive()) continue;
        timerUp[s]->stop();
        remainingDelay[s] = 0;
    }
    // A stop also ends a re-check that was waiting: it must not release the machine afterwards.
    if (reCheckTimer) reCheckTimer->stop();
    recheckPending = 0;
    RunState = 3;
}

void MainWindow::StopDetect() {
    if (gpControlIO) {
        gpControlIO->IOResetAllOut();
        if (para().enable_stop_mold) gpControlIO->IOSetOut(kOutClampingCut, 1);
        gpControlIO->IOFlashOut();
    }
    if (multiMode()) {
        memset(StepArmedMask, 0, sizeof(StepArmedMask));
        DetectStep = multiStep = gDNum - 1;
    }
    SetStopDetect();
}

void MainWindow::takeDeferredStop() {
    // The alarm is over: the stop the operator confirmed meanwhile takes effect, and the step the
    // release asked for does not run.
    stopAfterAlarm = 0;
    simulatedInput = -1;
    forcedStep = -1;
    StopDetect();
    if (gpControlIO) {
        gpControlIO->releaseOutput(kOutClampingCut);  // StopDetect set the cut as stopping wants it
        gpControlIO->IOFlashOut();
    }
    InsertRecord(lanText(141));
    sendManualStop();
}

void MainWindow::sendManualStop() {
    if (!bridgeConnected()) return;
    gpNet->CNT_SendManualStop();
    gpNet->CNT_SendStatistics(QStringLiteral("null"));
}

void MainWindow::showDetecting(bool detecting) {
    if (titleBar)
        titleBar->setStyleSheet(detecting ? QStringLiteral("TitleBar{background-color:#1f3f8d;}")
                                          : QStringLiteral("TitleBar{background-color:#ee2329;}"));
    if (!optionBar) return;
    BOptionButton* b = optionBar->button(OptionBar::StartStop);
    b->setStyleSheet(startStopButtonStyle(detecting));
    b->setIcon(
        QIcon(detecting ? QStringLiteral(":/img/icons/stop.png") : QStringLiteral(":/img/icons/5.png")));
    b->setText(lanText(detecting ? 127 : 136));
}

void MainWindow::startWithClampPulse() {
    StartDetect();
    if (para().is_cut_ontime && para().mold_pulse > 0) {
        setOut(kOutClampingCut, 1);
        flushOut();
    }
}

void MainWindow::SlotStartStop() {
    if (settingsShown() || alarmBarShown() || regionBarShown()) return;
    if (RunState == 3) {
        if (stopAfterAlarm && gpControlIO) gpControlIO->releaseOutput(kOutClampingCut);
        stopAfterAlarm = 0;
        startWithClampPulse();
        InsertRecord(lanText(142));
        LEDOnOff(4, 1);
        showDetecting(true);
    } else {
        if (accessCheckPassword() == 0) return;
        if (!showChooseBox(lanText(140))) return;
        if (settingsShown()) return;
        if (DisplayState == 2) {
            // An alarm came up while the question was open. The answer stands and is shown now; the
            // stop takes effect when the alarm ends (stopping now would switch the alarm's outputs
            // off) and is recorded and sent then. Until then no release of the alarm may let the
            // machine close when stopping keeps the clamping cut.
            stopAfterAlarm = 1;
            if (para().enable_stop_mold && gpControlIO) {
                gpControlIO->holdOutput(kOutClampingCut, 1);
                gpControlIO->IOFlashOut();
            }
        } else {
            StopDetect();
            InsertRecord(lanText(141));
        }
        LEDOnOff(4, 0);
        showDetecting(false);
    }
    update();
    if (!stopAfterAlarm) sendManualStop();
}

void MainWindow::SlotReTrain() {
    if (settingsShown() || !optionBarShown() || dialogsShown()) return;
    if (accessCheckPassword() == 0) return;
    if (!showChooseBox(lanText(137))) return;
    if (settingsShown() || alarmBarShown() || regionBarShown() || DisplayState == 2) return;
    const int steps = std::min(gDNum, kMaxStep);
    DisplayState = 0;
    for (CammerWidget* v : cams) {
        v->data.allOk = true;
        for (int d = 0; d < steps; ++d) memset(v->data.roiOk[d], 1, sizeof(v->data.roiOk[d]));
    }
    if (RunState == 3) {
        startWithClampPulse();
        LEDOnOff(4, 1);
        showDetecting(true);
    }
    RunState = 2;
    if (drawROIWidget) drawROIWidget->SlotTempDeleteAll();
    for (CammerWidget* v : cams) {
        for (int d = 0; d < steps; ++d) {
            if (stepOn(d)) v->learnPending[d] = true;
            if (gImageLen <= 0) continue;
            // The mask in use always equals its file: one that cannot be written (told by the writer)
            // keeps its points in both.
            const cv::Mat before = v->data.ignoreImages[d].clone();
            v->data.ignoreImages[d] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
            if (!v->SaveIgnorePoint(d) && !before.empty()) v->data.ignoreImages[d] = before;
        }
    }
    InsertRecord(lanText(139));
    SaveSN(0);
    update();
}

void MainWindow::CheckArea(bool) {
    if (settingsShown()) pageStack->setCurrentIndex(0);
    endLearning(accessCheckPassword() != 0);
}

void MainWindow::endLearning(bool editRegions) {
    if (editRegions) {
        // Region editing takes over; the decision waits until the editor hands back (BackTrain).
        DisplayState = 3;
        if (indexButton) indexButton->hide();
        if (barStack) barStack->setCurrentIndex(1);
        if (drawROIWidget) drawROIWidget->Reset(false);
        gFromTrain = 1;
    } else {
        RunState = 1;
    }
}

void MainWindow::checkAreaAfterPass() {
    if (learningEndAsking) return;
    if (!passwordsInUse() || accessLevel() != kAccessNone) {
        CheckArea(false);  // no box: at once, as part of this pass
        return;
    }
    // The password box is modal: asked once this pass is over, so that the loop keeps polling the
    // inputs and taking the frames until the answer comes. Until then the clamping cut stays as
    // learning left it and no decision is taken.
    learningEndAsking = 1;
    QTimer::singleShot(0, this, [this] {
        if (RunState == 2 && settingsShown()) pageStack->setCurrentIndex(0);
        const int level = RunState == 2 ? accessCheckPassword() : kAccessNone;
        learningEndAsking = 0;
        // Stopped while the box was open: learning is over and detection stays stopped.
        if (RunState != 2) return;
        endLearning(level != kAccessNone);
        // Not logged in: detection resumes with the decision of the learning cycle, which waited.
        if (level == kAccessNone) CheckNG();
    });
}

void MainWindow::BackTrain() {
    const WizardPara& p = para();
    if (!p.ok_ng_pulse) {
        setOut(kOutClampingCut, 0);
        const bool standardLike = p.detect_mode == kDetectStandard || p.detect_mode == kDetectAutoParts ||
                                  p.detect_mode == kDetectStandardNoRecheck;
        if (p.mold_cutoff && stepOn(0) && !p.enable_cutoff_ontime && !p.enable_stop_not_alarm && standardLike)
            setOut(kOutEjectorCut, 1);
    }
    flushOut();
    RunState = 1;
    CheckNG();
    gisReTrain = 1;
}

void MainWindow::SlotAccount() {
    if (settingsShown() || alarmBarShown() || regionBarShown() || dialogsShown() || DisplayState == 2) return;
    // The level rises through the password box and the indicator shows it; the inspection display
    // stays as it is (nothing here leads back from a paused display).
    accessCheckPassword();
}

void MainWindow::SlotAdjustArea() {
    if (settingsShown() || alarmBarShown() || regionBarShown() || dialogsShown() || DisplayState == 2) return;
    if (accessCheckPassword() == 0) return;
    if (displayedCamera >= numCamera) {
        displayedCamera = 0;
        ChangeCammer();
    }
    if (barStack) barStack->setCurrentIndex(1);
    DisplayState = 3;
    if (indexButton) indexButton->hide();
    if (drawROIWidget) drawROIWidget->Reset(false);
    CammerWidget* v = camView(displayedCamera);
    if (!v) return;
    v->ShowHideTool(3);
    if (para().show_cavity_no && drawROIWidget) drawROIWidget->viewCavityBoxes(v, 1);
    const int step = qBound(0, editorStep, kStepCount - 1);
    const CammerSingleton* store =
        v->data.workingStore ? v->data.workingStore.get() : v->data.savedStore.get();
    if (store && store->count[step] == 0 && para().auto_region && showChooseBox(lanText(354)) &&
        !settingsShown() && !alarmBarShown() && DisplayState != 2) {
        int tool = drawingTool;
        AutogenerationRegion(&v->data, step, &tool);
        drawingTool = tool;
        v->update();
    }
}
