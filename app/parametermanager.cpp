#include "parametermanager.h"

#include <QDebug>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>

#include "globals.h"
#include "lanstr.h"
#include "msgbox.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"
#include "wizardpara.h"

const char* const kDefaultGroupDir = "./paraGroup/default";

namespace {
const char* const kParamFile = "PARAM.db";
const char* const kSnFile = "SN.db";

QString defaultGroupFile(const char* name) {
    return QStringLiteral("%1/%2").arg(QLatin1String(kDefaultGroupDir), QLatin1String(name));
}

// Copies the default group's file over the program directory's one. True only when the copy is in
// place and usable; then the caller may reboot into it.
bool restoreFromDefaultGroup(const char* name) {
    const QString source = defaultGroupFile(name);
    if (!isUsableDatabase(source)) {
        qWarning("parameters: %s of the default parameter group is missing or unusable, %s not restored",
                 qPrintable(source), name);
        return false;
    }
    const int status = RunCommand(QStringLiteral("cp -f %1 ./").arg(source), kSlowCommandLimitMs);
    if (status != 0 || !isUsableDatabase(QString::fromLatin1(name))) {
        qWarning("parameters: restoring %s from the default parameter group failed (status %d)", name,
                 status);
        return false;
    }
    qInfo("parameters: %s restored from the default parameter group", name);
    return true;
}
}  // namespace

QString paramFileErrorText() {
    constexpr int kId = 160, kEnglish = 1;
    if (gaLanStr[kId * kLanColumns + kEnglish].isEmpty()) loadLanguageTable();  // before Data_Init
    return gaLanStr[kId * kLanColumns + kEnglish];
}

ParameterManager* ParameterManager::instance = nullptr;

ParameterManager::ParameterManager() : QObject(nullptr) {}

ParameterManager::~ParameterManager() {
    paramQuery = QSqlQuery();
    snQuery = QSqlQuery();
    const bool hadParam = paramDb.isValid(), hadSn = snDb.isValid();
    paramDb.close();
    snDb.close();
    paramDb = QSqlDatabase();
    snDb = QSqlDatabase();
    if (hadParam) QSqlDatabase::removeDatabase(QStringLiteral("dbIn"));
    if (hadSn) QSqlDatabase::removeDatabase(QStringLiteral("dbT"));
    if (gpWPara == livePara) gpWPara = nullptr;
    if (gpWParaBak == bakPara) gpWParaBak = nullptr;
    delete livePara;
    delete bakPara;
}

ParameterManager* ParameterManager::getInstance() {
    if (!instance) instance = new ParameterManager;
    return instance;
}

void ParameterManager::destroyInstance() {
    delete instance;
    instance = nullptr;
}

void ParameterManager::init() {
    createDB();
    delete livePara;
    delete bakPara;
    livePara = new WizardPara;
    livePara->LoadDatafromFile(paramQuery);
    livePara->LoadSN(snQuery);
    bakPara = new WizardPara;
    gpWPara = livePara;
    gpWParaBak = bakPara;
}

void ParameterManager::createDB() {
    bool warned = false;
    auto warnOnce = [&warned] {
        if (!warned) showWarnBox(paramFileErrorText());
        warned = true;
    };
    if (!QFileInfo::exists(QString::fromLatin1(kParamFile))) {
        qWarning("parameters: %s missing", kParamFile);
        if (restoreFromDefaultGroup(kParamFile)) {
            RunCommand(QStringLiteral("sync"), kSlowCommandLimitMs);
            RunCommand(QStringLiteral("reboot"));
        } else {
            // No reboot: the same start would only come back here. Start with the factory values.
            warnOnce();
        }
    }
    switch (openParamDb()) {
        case OpenResult::Ok:
            break;
        case OpenResult::Fresh:
            qWarning("parameters: %s held no parameters, starting with the factory values", kParamFile);
            warnOnce();
            break;
        case OpenResult::Unusable:
            qWarning("parameters: %s unusable, starting with the factory values", kParamFile);
            warnOnce();
            break;
    }
    if (!openSnDb()) {
        qWarning("parameters: %s unusable", kSnFile);
        warnOnce();
        if (restoreFromDefaultGroup(kSnFile)) {
            QThread::msleep(ulong(TimeMs("param.snRestore", 100)));
            RunCommand(QStringLiteral("reboot"));
            snDb.close();
            openSnDb();  // until the reboot stops the process, go on with the restored file
        }
    }
}

ParameterManager::OpenResult ParameterManager::openParamDb() {
    if (!paramDb.isValid())
        paramDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dbIn"));
    paramDb.setDatabaseName(QString::fromLatin1(kParamFile));
    const bool opened = paramDb.open();
    paramQuery = QSqlQuery(paramDb);
    if (!opened) {
        qWarning().noquote() << "parameters: cannot open" << kParamFile << paramDb.lastError().text();
        return OpenResult::Unusable;
    }
    bool fresh = false;
    if (!ensureParamSchema(paramQuery, &fresh)) return OpenResult::Unusable;
    return fresh ? OpenResult::Fresh : OpenResult::Ok;
}

bool ParameterManager::openSnDb() {
    if (!snDb.isValid()) snDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dbT"));
    snDb.setDatabaseName(QString::fromLatin1(kSnFile));
    const bool opened = snDb.open();
    snQuery = QSqlQuery(snDb);
    if (!opened) {
        qWarning().noquote() << "parameters: cannot open" << kSnFile << snDb.lastError().text();
        return false;
    }
    return ensureParamTable(snQuery);
}

void ParameterManager::releaseDB() {
    paramDb.close();
}

bool isUsableDatabase(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    static int serial = 0;
    const QString name = QStringLiteral("probe-%1").arg(++serial);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("select count(*) from sqlite_master")) && q.next();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool ensureParamTable(QSqlQuery query, bool* created) {
    if (created) *created = false;
    if (!query.exec(
            QStringLiteral("select count(*) from sqlite_master where type='table' and name='sysparam'")) ||
        !query.next()) {
        qWarning().noquote() << "parameters: database unusable:" << query.lastError().text();
        return false;
    }
    if (query.value(0).toInt() > 0) return true;
    query.finish();
    if (!query.exec(QStringLiteral("create table sysparam (name text, value text)"))) {
        qWarning().noquote() << "parameters: cannot create table sysparam:" << query.lastError().text();
        return false;
    }
    if (created) *created = true;
    return true;
}

bool ensureParamSchema(QSqlQuery query, bool* sysparamCreated) {
    if (!ensureParamTable(query, sysparamCreated)) return false;
    for (int c = 0; c < 8; ++c) {
        if (!query.exec(
                QStringLiteral("create table if not exists cammer%1 (name text, value text)").arg(c))) {
            qWarning().noquote() << "parameters: cannot create table cammer" << c << query.lastError().text();
            return false;
        }
    }
    return true;
}
