#pragma once
// The rules of the template folders "./cammer<camera><step>": which file names are templates the
// operator may replace or delete, and which slot an added template goes into.
#include <QString>
#include <vector>

class QDir;

// The slot of an added template's file name: N for exactly "template<N>.bmp" with 1 <= N written
// without leading zeros; -1 for the master "template0.bmp" and for every other name ("template.bmp",
// "template00.bmp", "template0 (1).bmp", "templateX.bmp").
int templateSlotOfName(const QString& name);
// "template<N>.bmp".
QString templateFileName(int slot);

struct TemplateChoice {
    int slot = -1;          // the slot to write, 1..slotCount-1; -1 when there are fewer than 2 slotCount
    QString staleFile;      // a file left from a larger slot count, to be removed once the new one is written
    bool replaces = false;  // the slot held a template that the new one replaces
};

// Where a new template of a step goes: the first free slot after the master; when every slot is
// taken, the slot of the oldest template file of the folder (by modification time, the master and
// names that are not templates skipped). When that file's number lies beyond the slot count it is
// stale: the last slot is written instead. Without any such file the last slot is replaced.
TemplateChoice chooseTemplateSlot(const std::vector<int>& loaded, int slotCount, const QDir& folder);
