#include "windowslots.h"

#include <QMetaMethod>

bool connectToWindowSlot(QObject* sender, const char* signal, QObject* window, const char* slot) {
    if (!sender || !window) return false;
    const QMetaObject* mo = window->metaObject();
    const int slotIndex = mo->indexOfSlot(slot);
    const int signalIndex = sender->metaObject()->indexOfSignal(signal);
    if (slotIndex < 0 || signalIndex < 0) return false;
    return bool(QObject::connect(sender, sender->metaObject()->method(signalIndex), window, mo->method(slotIndex)));
}
