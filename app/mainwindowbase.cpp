#include "mainwindowbase.h"

#include <QDebug>

#include "wizardpara.h"

MainWindowBase* gpWin = nullptr;

MainWindowBase::MainWindowBase(QWidget* parent) : QWidget(parent) {
    gpWin = this;
}

MainWindowBase::~MainWindowBase() {
    if (gpWin == this) gpWin = nullptr;
}

void MainWindowBase::InsertRecord(QString text) {
    qInfo().noquote() << "record:" << text;
}

void MainWindowBase::FLushAll() {}

void MainWindowBase::StopInOrder() {
    FLushAll();
}
