#pragma once
// The factory parameter files of a program directory, written with the program's own save:
//  - <dir>/paraGroup/default/PARAM.db: table sysparam with every key holding the factory record, and the
//    region tables cammer0 to cammer7 (name, value), empty;
//  - <dir>/paraGroup/default/SN.db: table sysparam, without rows (the bindings are created at first start).
// With `live`, the two files are also copied into <dir> itself where they do not exist yet.
// Existing default-group files are replaced. Returns false (with a reason in *error) on any failure.
#include <QString>

struct WizardPara;

WizardPara factoryRecord();
bool writeFactoryFiles(const QString& dir, bool live, QString* error = nullptr);
