#include "factoryfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

#include "parametermanager.h"
#include "wizardpara.h"

namespace {

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    qWarning().noquote() << "factory files:" << text;
    return false;
}

// Builds a database in `path` (through a temporary file renamed into place).
bool writeDatabase(const QString& path, bool withRecord, QString* error) {
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    static int serial = 0;
    const QString name = QStringLiteral("factory-%1").arg(++serial);
    bool ok = false;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(tmp);
        if (db.open()) {
            QSqlQuery q(db);
            ok = withRecord ? ensureParamSchema(q) : ensureParamTable(q);
            if (ok && withRecord) ok = factoryRecord().WriteRows(q, 0);
            if (!ok) why = q.lastError().text();
        } else {
            why = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (ok && std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        why = QStringLiteral("cannot rename into place");
    }
    if (!ok) {
        QFile::remove(tmp);
        return fail(error, QStringLiteral("%1: %2").arg(path, why));
    }
    return true;
}

bool copyIfMissing(const QString& from, const QString& to, QString* error) {
    if (QFileInfo::exists(to)) return true;
    if (QFile::copy(from, to)) return true;
    return fail(error, QStringLiteral("cannot copy %1 to %2").arg(from, to));
}

}  // namespace

WizardPara factoryRecord() {
    WizardPara p;
    p.output_inverted[2] = 1;  // the alarm output starts inverted, as in a newly created system7 row
    for (int i = 0; i < 8; ++i) p.contrast[i] = p.gamma[i] = 100;
    p.max_mold_num = 10;
    p.minimum_size = 3;
    p.minimum_area = 100;
    p.min_spot = 3;
    p.location_adge = 8000;
    p.ApplyLoadRules();  // changes nothing: the values above are the ones it would give
    int mouldSide = 0;
    p.DeriveProcedure(&mouldSide);
    return p;
}

bool writeFactoryFiles(const QString& dir, bool live, QString* error) {
    const QDir root(dir);
    const QString group = root.filePath(QString::fromLatin1(kDefaultGroupDir));
    if (!QDir().mkpath(group)) return fail(error, QStringLiteral("cannot create %1").arg(group));
    const QString param = QDir(group).filePath(QStringLiteral("PARAM.db"));
    const QString sn = QDir(group).filePath(QStringLiteral("SN.db"));
    if (!writeDatabase(param, true, error) || !writeDatabase(sn, false, error)) return false;
    if (!live) return true;
    return copyIfMissing(param, root.filePath(QStringLiteral("PARAM.db")), error) &&
           copyIfMissing(sn, root.filePath(QStringLiteral("SN.db")), error);
}
