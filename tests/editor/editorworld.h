#pragma once
// A main window with the region editor installed, on region editing (Area Settings, template source),
// and a touch helper that sends press, move and release to a view with explicit time stamps.
#include <QCoreApplication>
#include <QMouseEvent>

#include "editor/drawroiwidget.h"
#include "editor/vieweditor.h"
#include "tests/inspection/monitorworld.h"

// Presses, moves and releases at view positions, each `dt` ms after the one before; a move carries
// the held left button.
struct Touch {
    QWidget* target;
    ulong time = 1000;
    void send(QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held, ulong dt) {
        time += dt;
        QMouseEvent ev(type, QPointF(p), QPointF(target->mapTo(target->window(), p)),
                       QPointF(target->mapToGlobal(p)), b, held, Qt::NoModifier);
        ev.setTimestamp(time);
        QCoreApplication::sendEvent(target, &ev);
    }
    void press(QPoint p, ulong dt = 100) {
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, dt);
    }
    void doubleTap(QPoint p, ulong dt = 100) {
        send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton, dt);
    }
    void move(QPoint p, ulong dt = 100) { send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, dt); }
    void hover(QPoint p, ulong dt = 100) { send(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, dt); }
    void release(QPoint p, ulong dt = 100) {
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, dt);
    }
    void tap(QPoint p) {
        press(p);
        release(p);
    }
    // Press at the first point, a move to each further one, release at the last.
    void drag(const QVector<QPoint>& pts, ulong dt = 100) {
        if (pts.isEmpty()) return;
        press(pts.first(), dt);
        for (int i = 1; i < pts.size(); ++i) move(pts[i], dt);
        release(pts.last(), dt);
    }
};

struct EditorWorld {
    MonitorWorld world;
    MainWindow* w = nullptr;
    DrawROIWidget* editor = nullptr;
    CammerWidget* v = nullptr;
    ViewEditor* e = nullptr;
    Touch touch{nullptr};

    // One camera of width x height pixels; `setup` may change the parameter record before the window
    // is built. Ends on Area Settings with the template source.
    template <typename Setup>
    EditorWorld(int width, int height, Setup setup) : world(1, true, width, height) {
        world.p().is_psw_used = 0;
        world.p().enable_prod_detect = 1;
        world.p().enabe_two_test = 0;
        world.p().auto_region = 0;
        setup(world.p());
        world.derive();
        w = world.build();
        editor = installDrawROIWidget(w);
        v = w->cams[0];
        e = editor->editorOf(v);
        touch.target = v;
        w->SlotAdjustArea();
    }
    EditorWorld(int width = 64, int height = 48) : EditorWorld(width, height, [](WizardPara&) {}) {}
    ~EditorWorld() {
        if (w) w->setRoiEditor(nullptr);
        delete editor;
    }
    CammerSingleton& work() { return *v->data.workingStore; }
    CammerSingleton& saved() { return *v->data.savedStore; }
    int step() const { return w->editorStep; }
    int count() { return work().count[step()]; }
    // A rectangle region drawn with the tool from a to b.
    void drawRect(QPoint a, QPoint b) {
        editor->SlotDrawRect();
        touch.drag({a, (a + b) / 2, b});
    }
};
