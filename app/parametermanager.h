#pragma once
// Owner of the parameter databases and of the two parameter records.
//  - PARAM.db, connection "dbIn": table sysparam (the record) and the region tables cammer0-7.
//  - SN.db, connection "dbT": table sysparam with the camera bindings "serialNB0" to "serialNB7".
// Every user of PARAM.db takes a copy of paramQuery (a copy shares the connection); the camera-binding
// writer takes a copy of snQuery. Everything here runs on the GUI thread.
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

struct WizardPara;

class ParameterManager : public QObject {
    Q_OBJECT
public:
    static ParameterManager* getInstance();

    // Start-up: createDB, then the live record loaded from PARAM.db, the camera bindings from SN.db,
    // and the working copy (constructed, not loaded). Publishes them as gpWPara and gpWParaBak.
    void init();
    // Opens both connections. A missing PARAM.db, or an SN.db that cannot be used, is restored from
    // the default parameter group and the computer is rebooted; when the restore cannot be done the
    // operator is told and start-up goes on with the factory values, without a reboot.
    void createDB();
    // Closes PARAM.db before a reboot; SN.db stays open.
    void releaseDB();

    QSqlDatabase paramDb;
    QSqlQuery paramQuery;
    QSqlDatabase snDb;
    QSqlQuery snQuery;
    WizardPara* livePara = nullptr;
    WizardPara* bakPara = nullptr;

    // Tests: closes the connections, frees the records and forgets the instance.
    static void destroyInstance();

private:
    ParameterManager();
    ~ParameterManager() override;
    enum class OpenResult { Ok, Fresh, Unusable };  // Fresh: opened, but without table sysparam
    OpenResult openParamDb();
    bool openSnDb();
    static ParameterManager* instance;
};

// Factory text of language id 160, shown before the language is loaded.
// TODO(lang): switch to gaLanStr[160 * 3 + 1] once the language table is in.
extern const char* const kParamFileErrorText;

// Directory of the default parameter group, relative to the program directory.
extern const char* const kDefaultGroupDir;  // "./paraGroup/default"

// True when `path` is an SQLite database that can be read (a missing file is not usable).
bool isUsableDatabase(const QString& path);
// Creates table sysparam (name, value) when it is missing (*created tells). False when the database
// cannot be used.
bool ensureParamTable(QSqlQuery query, bool* created = nullptr);
// The tables of PARAM.db: sysparam and the region tables cammer0 to cammer7, created when missing.
bool ensureParamSchema(QSqlQuery query, bool* sysparamCreated = nullptr);
