#pragma once
// Wiring of bar and panel buttons to slots of the main window by name, so that a bar can be built
// (and tested) with a window that offers only some of the slots.
#include <QObject>

// Connects `signal` ("clicked()") of `sender` to the slot `slot` ("SlotReturn()") of `window` when
// the window has that slot. False when it has not (nothing is connected).
bool connectToWindowSlot(QObject* sender, const char* signal, QObject* window, const char* slot);
