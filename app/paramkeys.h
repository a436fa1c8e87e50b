#pragma once
// Where each field of the parameter record is kept in table sysparam: one row per key, the value a list
// of blank-separated integers (or a text). One table serves the load, the save and the factory files.
#include <QString>
#include <cstddef>
#include <vector>

struct WizardPara;

struct ParaSlot {
    enum Kind : unsigned char {
        Field,     // the int at `offset` of the record
        Language,  // the global gLan
        Reserve,   // reserve_value, repeated in every trailing reserve position
        Mode,      // loaded into detect_mode, saved from detect_mode_next
    };
    Kind kind;
    size_t offset;
};

struct ParaIntKey {
    const char* name;
    std::vector<ParaSlot> values;  // value position k+1 is values[k]
    bool createdAtLoad;            // a missing row is inserted by the load (system7 to system11)
};

struct ParaTextKey {
    const char* name;
    size_t offset;  // a char[100] of the record
};

enum class ParaKeyOrder { Load, Save };
const std::vector<ParaIntKey>& paraIntKeys(ParaKeyOrder order);
const std::vector<ParaTextKey>& paraTextKeys();
const ParaIntKey* findParaKey(const QString& name);

// The stored text of an integer key for this record (lan: the language stored in system2), and the other
// way round (loading the language into gLan).
QString formatParaKey(const ParaIntKey& key, const WizardPara& p, int lan);
void loadParaKey(const ParaIntKey& key, const QString& value, WizardPara& p);
