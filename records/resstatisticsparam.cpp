#include "resstatisticsparam.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include "app/lanstr.h"
#include "app/msgbox.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"
#include "sqlitefile.h"

ResStatisticsParam* gpResStatisticsParam = nullptr;

namespace {
const char* kCreateTable =
    "CREATE TABLE resstatistics ( 'name' TEXT NOT NULL, 'value1' varchar(255), 'value2' varchar(255), "
    "PRIMARY KEY('name') )";
const char* kDateFormat = "yyyy-MM-dd";

QList<int> zeros() {
    QList<int> l;
    l.reserve(ResStatisticsParam::kSlots);
    for (int i = 0; i < ResStatisticsParam::kSlots; ++i) l << 0;
    return l;
}

// The indexes an argument selects: 0 to 7 one, 8 all, anything else none.
QList<int> selected(int index) {
    QList<int> out;
    if (index == ResStatisticsParam::kAll)
        for (int i = 0; i < 8; ++i) out << i;
    else if (index >= 0 && index < 8)
        out << index;
    return out;
}

QString cameraRow(int camera, int step) {
    return QStringLiteral("C%1_D%2").arg(camera).arg(step);
}

QString stepRow(int step) {
    return QStringLiteral("Detect%1").arg(step);
}

QSqlDatabase connection() {
    const QString name = QString::fromLatin1(ResStatisticsParam::kConnection);
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name, false);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QString::fromLatin1(ResStatisticsParam::kFile));
    return db;
}

bool hasTable(QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT count(*) FROM resstatistics")) && q.next();
}

// True when `path` is a statistics database with its table.
bool usableFile(const QString& path) {
    return QFile::exists(path) && withSqliteFile(path, QStringLiteral("resStatisticsCheck"), true, hasTable);
}

// Writes a database with the empty table at `path` through a private connection.
bool writeEmptyTable(const QString& path) {
    return withSqliteFile(path, QStringLiteral("resStatisticsFresh"), false, [](QSqlDatabase& db) {
        QSqlQuery q(db);
        return q.exec(QString::fromLatin1(kCreateTable));
    });
}

// Copies a file to `to` through a temporary name, so that `to` is either whole or untouched.
bool copyWhole(const QString& from, const QString& to) {
    const QString tmp = to + QStringLiteral(".new");
    QFile::remove(tmp);
    if (!QFile::copy(from, tmp)) return false;
    QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (QFile::exists(to) && !QFile::remove(to)) {
        QFile::remove(tmp);
        return false;
    }
    if (!QFile::rename(tmp, to)) {
        QFile::remove(tmp);
        return false;
    }
    return true;
}

// Runs `body` in one transaction on the open connection; false when anything failed.
template <class F>
bool inTransaction(F body) {
    QSqlDatabase db = connection();
    const bool tx = db.transaction();
    const bool ok = body(db);
    if (tx && !db.commit()) {
        db.rollback();
        return false;
    }
    return ok;
}
}  // namespace

QString resStatisticsArchiveTarget(const QString& dir, const QString& day) {
    QString target = dir + QLatin1Char('/') + day + QStringLiteral(".db");
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = dir + QLatin1Char('/') + day + QLatin1Char('_') + QString::number(n) + QStringLiteral(".db");
    return target;
}

QList<int> ResStatisticsParam::parseSlots(const QString& text) {
    QList<int> out;
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString& p : parts) {
        if (out.size() == kSlots) break;
        out << p.toInt();
    }
    while (out.size() < kSlots) out << 0;
    return out;
}

QString ResStatisticsParam::formatSlots(const QList<int>& values) {
    QStringList parts;
    for (int i = 0; i < kSlots; ++i) parts << QString::number(i < values.size() ? values[i] : 0);
    return parts.join(QLatin1Char(' '));
}

ResStatisticsParam::ResStatisticsParam(const QDate& day) {
    const QDate d = day.isValid() ? day : SysClock::now().date();
    m_curDate = d.toString(QLatin1String(kDateFormat));
    for (int s = 0; s < 8; ++s) {
        m_ok[s] = zeros();
        m_ng[s] = zeros();
        for (int c = 0; c < 8; ++c) {
            m_camOk[c][s] = zeros();
            m_camNg[c][s] = zeros();
        }
    }
    m_findOk = zeros();
    m_findNg = zeros();
    connection();

    // A missing or empty file is made again from the template (or made together with the template)
    // and used at once: nothing of the running production needs a restart for it.
    const QFileInfo fi(QString::fromLatin1(kFile));
    if (!fi.exists() || fi.size() == 0) {
        qWarning() << "statistics database missing or empty: made afresh";
        if (!restoreMissingFile()) qWarning() << "cannot make the statistics database";
    }
    if (!openDb()) {
        // The English text whatever the language: the file may be what holds the language back.
        showWarnBox(gaLanStr[544 * 3 + 1]);
    } else {
        QSqlDatabase db = connection();
        if (!hasTable(db)) createTable();
    }
    load(kAll, kAll);
    loadTotal(kAll);
    setFindResAll(1);
    clcCount();
}

ResStatisticsParam::~ResStatisticsParam() {
    if (gpResStatisticsParam == this) gpResStatisticsParam = nullptr;
    closeDb();
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
}

bool ResStatisticsParam::restoreMissingFile() {
    closeDb();
    const QString file = QString::fromLatin1(kFile);
    const QString tmpl = QString::fromLatin1(kTemplate);
    QFile::remove(file);  // an empty file
    if (usableFile(tmpl)) return copyWhole(tmpl, file);
    // No template either: make the database with every row, then the template from it.
    createDatabase();
    createTable();
    load(kAll, kAll);
    loadTotal(kAll);
    closeDb();
    return usableFile(file) && copyWhole(file, tmpl);
}

bool ResStatisticsParam::makeFreshFile() {
    const QString file = QString::fromLatin1(kFile);
    const QString tmpl = QString::fromLatin1(kTemplate);
    if (usableFile(tmpl) && copyWhole(tmpl, file)) return true;
    qWarning() << "statistics template missing or unusable; creating the table";
    const QString tmp = file + QStringLiteral(".new");
    QFile::remove(tmp);
    if (writeEmptyTable(tmp) && (!QFile::exists(file) || QFile::remove(file)) && QFile::rename(tmp, file))
        return true;
    QFile::remove(tmp);
    return false;
}

bool ResStatisticsParam::openDb() {
    QSqlDatabase db = connection();
    if (db.isOpen()) return true;
    if (!db.open()) return false;
    // SQLite opens lazily: only a read proves that the file is a database.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        q.finish();
        db.close();
        return false;
    }
    return true;
}

void ResStatisticsParam::closeDb() {
    if (!QSqlDatabase::contains(QString::fromLatin1(kConnection))) return;
    QSqlDatabase db = connection();
    db.close();
}

bool ResStatisticsParam::createDatabase() {
    if (!openDb()) showWarnBox(gaLanStr[544 * 3 + 1]);
    // SQLite has no such statement; the file itself is the database.
    QSqlQuery q(connection());
    q.exec(QStringLiteral("CREATE DATABASE ResStatistics"));
    return connection().isOpen();
}

bool ResStatisticsParam::createTable() {
    if (!openDb()) showWarnBox(gaLanStr[544 * 3 + 1]);
    QSqlQuery q(connection());
    return q.exec(QString::fromLatin1(kCreateTable));
}

bool ResStatisticsParam::readPair(const QString& name, QList<int>* ok, QList<int>* ng, bool* found) {
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select value1 ,value2 from resstatistics where name=:name"));
    q.bindValue(QStringLiteral(":name"), name);
    *found = false;
    if (!q.exec()) return false;
    if (q.next()) {
        *found = true;
        *ok = parseSlots(q.value(0).toString());
        *ng = parseSlots(q.value(1).toString());
    }
    return true;
}

bool ResStatisticsParam::writePair(const QString& name, const QList<int>& ok, const QList<int>& ng,
                                   bool update) {
    QSqlQuery q(connection());
    q.prepare(update
                  ? QStringLiteral("update resstatistics set value1 = :v1, value2 = :v2 where name = :name")
                  : QStringLiteral("insert into resstatistics values(:name, :v1, :v2)"));
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":v1"), formatSlots(ok));
    q.bindValue(QStringLiteral(":v2"), formatSlots(ng));
    return q.exec();
}

bool ResStatisticsParam::load(int step, int camera) {
    if (!openDb()) return false;
    const QList<int> steps = selected(step);
    const QList<int> cams = selected(camera);
    const bool ok = inTransaction([&](QSqlDatabase&) {
        bool all = true;
        for (int c : cams) {
            for (int s : steps) {
                bool found = false;
                all = readPair(cameraRow(c, s), &m_camOk[c][s], &m_camNg[c][s], &found) && all;
                if (!found) {
                    m_camOk[c][s] = zeros();
                    m_camNg[c][s] = zeros();
                    all = writePair(cameraRow(c, s), m_camOk[c][s], m_camNg[c][s], false) && all;
                }
            }
        }
        return all;
    });
    return loadPlan() && ok;
}

bool ResStatisticsParam::loadTotal(int step) {
    if (!openDb()) return false;
    const QList<int> steps = selected(step);
    return inTransaction([&](QSqlDatabase&) {
        bool all = true;
        for (int s : steps) {
            bool found = false;
            all = readPair(stepRow(s), &m_ok[s], &m_ng[s], &found) && all;
            if (!found) {
                m_ok[s] = zeros();
                m_ng[s] = zeros();
                all = writePair(stepRow(s), m_ok[s], m_ng[s], false) && all;
            }
        }
        return all;
    });
}

bool ResStatisticsParam::loadPlan() {
    if (!openDb()) return false;
    QSqlQuery q(connection());
    if (q.exec(QStringLiteral("select value1 from resstatistics where name = 'plan'")) && q.next()) {
        m_curPlan = q.value(0).toInt();
        return true;
    }
    m_curPlan = 0;
    m_plan = m_curPlan;
    return insertPlan();
}

bool ResStatisticsParam::writeCameraRows(int step, int camera, bool update) {
    if (!openDb()) return false;
    const QList<int> steps = selected(step);
    const QList<int> cams = selected(camera);
    return inTransaction([&](QSqlDatabase&) {
        bool all = true;
        for (int c : cams)
            for (int s : steps) all = writePair(cameraRow(c, s), m_camOk[c][s], m_camNg[c][s], update) && all;
        return all;
    });
}

bool ResStatisticsParam::writeStepRows(int step, bool update) {
    if (!openDb()) return false;
    const QList<int> steps = selected(step);
    return inTransaction([&](QSqlDatabase&) {
        bool all = true;
        for (int s : steps) all = writePair(stepRow(s), m_ok[s], m_ng[s], update) && all;
        return all;
    });
}

bool ResStatisticsParam::save(int step, int camera) {
    return writeCameraRows(step, camera, true);
}

bool ResStatisticsParam::saveTotal(int step) {
    return writeStepRows(step, true);
}

bool ResStatisticsParam::insert(int step, int camera) {
    return writeCameraRows(step, camera, false);
}

bool ResStatisticsParam::insertTotal(int step) {
    return writeStepRows(step, false);
}

bool ResStatisticsParam::insertPlan() {
    if (!openDb()) return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("insert into resstatistics values('plan', :v, '')"));
    q.bindValue(QStringLiteral(":v"), QString::number(m_plan));
    return q.exec();
}

bool ResStatisticsParam::savePlan() {
    if (!openDb()) return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("update resstatistics set value1 = :v where name = 'plan'"));
    q.bindValue(QStringLiteral(":v"), QString::number(m_curPlan));
    return q.exec();
}

void ResStatisticsParam::setCurPlan(int plan) {
    m_curPlan = plan;
    savePlan();
}

void ResStatisticsParam::setPlan(int plan) {
    m_plan = plan;
}

void ResStatisticsParam::setPlan() {
    m_plan = m_curPlan;
}

void ResStatisticsParam::add(int hour, bool ok, int step, int camera) {
    if (camera < 0 || camera >= 8 || step < 0 || step >= 8 || hour < 0 || hour >= kSlots) return;
    ++(ok ? m_camOk : m_camNg)[camera][step][hour];
    save(step, kAll);
}

void ResStatisticsParam::addTotal(int hour, bool ok, int step) {
    if (step < 0 || step >= 8 || hour < 0 || hour >= kSlots) return;
    ++(ok ? m_ok : m_ng)[step][hour];
    saveTotal(step);
    if (m_view && m_view->isToday()) {
        setFindResAll(1);
        clcCount();
        m_view->updateData();
    }
}

void ResStatisticsParam::setFindResAll(int step) {
    if (step < 0 || step >= 8) return;
    m_findOk = m_ok[step];
    m_findNg = m_ng[step];
    clcCount();
}

void ResStatisticsParam::setFindRes(int step, int camera) {
    if (step < 0 || step >= 8 || camera < 0 || camera >= 8) return;
    m_findOk = m_camOk[camera][step];
    m_findNg = m_camNg[camera][step];
    clcCount();
}

void ResStatisticsParam::setFindRes(const QList<int>& okList, const QList<int>& ngList) {
    m_findOk = okList;
    m_findNg = ngList;
    clcCount();
}

void ResStatisticsParam::clcCount() {
    m_morningOk = m_morningNg = m_nightOk = m_nightNg = 0;
    for (int i = 0; i < m_findOk.size(); ++i) (i < 12 ? m_morningOk : m_nightOk) += m_findOk[i];
    for (int i = 0; i < m_findNg.size(); ++i) (i < 12 ? m_morningNg : m_nightNg) += m_findNg[i];
    m_dayOk = m_morningOk + m_nightOk;
    m_dayNg = m_morningNg + m_nightNg;
}

int ResStatisticsParam::getCount(int shift, bool ok) const {
    switch (shift) {
        case kMorning:
            return ok ? m_morningOk : m_morningNg;
        case kNight:
            return ok ? m_nightOk : m_nightNg;
        case kWholeDay:
            return ok ? m_dayOk : m_dayNg;
        default:
            return 0;
    }
}

QList<int> ResStatisticsParam::getRes(int shift, bool ok) const {
    const QList<int>& l = ok ? m_findOk : m_findNg;
    switch (shift) {
        case kMorning:
            return l.mid(0, 12);
        case kNight:
            return l.mid(12, 12);
        case kWholeDay:
            return l;
        default:
            return {};
    }
}

void ResStatisticsParam::reset(int which, int step, int camera) {
    for (int c : selected(camera)) {
        for (int s : selected(step)) {
            if (which & 1) m_camOk[c][s] = zeros();
            if (which & 2) m_camNg[c][s] = zeros();
        }
    }
}

void ResStatisticsParam::resetTotal(int which, int step) {
    for (int s : selected(step)) {
        if (which & 1) m_ok[s] = zeros();
        if (which & 2) m_ng[s] = zeros();
    }
}

bool ResStatisticsParam::nextDay(const QDate& date) {
    // A day whose counts cannot be written is not closed: the counts stay in memory for a retry.
    if (!save(kAll, kAll) || !saveTotal(kAll)) {
        qWarning() << "statistics not written; the day is not closed";
        return false;
    }
    const QString closed = m_curDate;
    closeDb();

    const QString file = QString::fromLatin1(kFile);
    const QString dir = QString::fromLatin1(kArchiveDir);
    if (!QDir().mkpath(dir)) {
        qWarning() << "cannot create the statistics archive directory";
        return false;
    }
    const QString target = resStatisticsArchiveTarget(QDir(dir).absolutePath(), closed);
    if (!QFile::rename(file, target)) {
        qWarning().noquote() << "cannot archive the statistics database as" << target;
        return false;
    }
    const QString journal = file + QStringLiteral("-journal");
    if (QFile::exists(journal)) QFile::rename(journal, target + QStringLiteral("-journal"));
    if (!makeFreshFile()) {
        // Without a new file the closed day goes back where it was.
        if (!QFile::rename(target, file)) qWarning().noquote() << "statistics day left as" << target;
        qWarning() << "cannot make a fresh statistics database; the day is not closed";
        return false;
    }
    qInfo().noquote() << "statistics of" << closed << "archived as" << target;

    m_curDate = date.toString(QLatin1String(kDateFormat));
    reset(3, kAll, kAll);
    resetTotal(3, kAll);
    insert(kAll, kAll);
    insertTotal(kAll);
    insertPlan();
    QThread::msleep(static_cast<unsigned long>(TimeMs("stats.nextDay", 300)));
    return true;
}
