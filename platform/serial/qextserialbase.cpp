#include "qextserialbase.h"

QextSerialBase::QextSerialBase(const QString& name, QueryMode mode) : port_(name), mode_(mode) {}

QextSerialBase::~QextSerialBase() = default;

bool QextSerialBase::setBaudRate(BaudRateType rate) {
    settings_.BaudRate = rate;
    return !isOpen() || applySettings();
}

bool QextSerialBase::setDataBits(DataBitsType bits) {
    settings_.DataBits = bits;
    return !isOpen() || applySettings();
}

bool QextSerialBase::setParity(ParityType parity) {
    settings_.Parity = parity;
    return !isOpen() || applySettings();
}

bool QextSerialBase::setStopBits(StopBitsType bits) {
    settings_.StopBits = bits;
    return !isOpen() || applySettings();
}

bool QextSerialBase::setFlowControl(FlowType flow) {
    settings_.FlowControl = flow;
    return !isOpen() || applySettings();
}

void QextSerialBase::setTimeout(long millisec) {
    settings_.Timeout_Millisec = millisec;
}
