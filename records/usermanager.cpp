#include "usermanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include "messagedialog.h"

UserManager* UserManager::instance = nullptr;

namespace {
UserManager::RefusalPrompt& refusalPrompt() {
    static UserManager::RefusalPrompt prompt;
    return prompt;
}

QString tr(const char* text) {
    return QCoreApplication::translate("UserManager", text);
}

QSqlDatabase connection() {
    return QSqlDatabase::database(QString::fromLatin1(UserManager::kConnection), false);
}

// A change the database did not take (full disk, read-only file): nothing is reported as done.
bool refused(QString& message) {
    qWarning().noquote() << "accounts: the database refused the change:" << connection().lastError().text();
    message = tr("数据库写入失败!");
    return false;
}
}  // namespace

void UserManager::setRefusalPrompt(RefusalPrompt prompt) {
    refusalPrompt() = std::move(prompt);
}

UserManager::UserManager() {
    connectDatabase();
}

UserManager::~UserManager() {
    if (instance == this) instance = nullptr;
    closeDatabase();
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
}

void UserManager::connectDatabase() {
    const QString name = QString::fromLatin1(kConnection);
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QString::fromLatin1(kFile));
    db.setUserName(QStringLiteral("VEQ"));
    db.setPassword(QStringLiteral("RQT615047"));
    // A database that cannot be opened grants nobody a rank (and records nothing).
    if (!db.open()) return;

    const QStringList tables = db.tables();
    QSqlQuery q(db);
    if (!tables.contains(QStringLiteral("user_table")) || !tables.contains(QStringLiteral("record_table"))) {
        q.exec(
            QStringLiteral("create table user_table(name varchar(32) primary key,password "
                           "varchar(32),usertype int,createtime "
                           "datetime)"));
        q.exec(QStringLiteral("insert into user_table values('admin','583190',1,datetime())"));
        m_type = 1;
        m_name = QStringLiteral("admin");
        q.exec(QStringLiteral(
            "create table record_table(name varchar(32),optype int,time datetime primary key)"));
    } else if (q.exec(QStringLiteral(
                   "select name from record_table where time=(select max(time) from record_table)")) &&
               q.next()) {
        m_name = q.value(0).toString();
        QSqlQuery t(db);
        t.prepare(QStringLiteral("select usertype from user_table where name=:name"));
        t.bindValue(QStringLiteral(":name"), m_name);
        if (t.exec() && t.next()) m_type = t.value(0).toInt();
    }
    addRecord(m_name, kLogin);
}

bool UserManager::canChangeSetting() {
    if (m_type == 1 || m_type == 2) return true;
    const QString title = tr("警告");
    const QString text = tr("没有权限 !");
    if (refusalPrompt()) {
        refusalPrompt()(title, text);
    } else {
        MessageDialog box(title, text, MessageDialog::Ok);
        box.exec();
    }
    return false;
}

bool UserManager::addUser(int type, const QString& name, const QString& password, QString& message) {
    if (m_type >= type) {
        message = tr("您没有权限添加该账户!");
        return false;
    }
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select * from user_table where name=:name"));
    q.bindValue(QStringLiteral(":name"), name);
    if (q.exec() && q.next()) {
        message = tr("账户已存在!");
        return false;
    }
    q.prepare(QStringLiteral("insert into user_table values(:name,:password,:type,datetime())"));
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":password"), password);
    q.bindValue(QStringLiteral(":type"), type);
    if (!q.exec()) return refused(message);
    message = tr("账户添加成功!");
    return true;
}

bool UserManager::deleteUser(const QString& name, QString& message) {
    if (name == m_name) {
        message = tr("不能删除自身!");
        return false;
    }
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select usertype from user_table where name=:name"));
    q.bindValue(QStringLiteral(":name"), name);
    if (!q.exec() || !q.next()) {
        message = tr("该用户不存在!");
        return false;
    }
    const int type = q.value(0).toInt();
    if (m_type < type) {
        q.prepare(QStringLiteral("delete from user_table where name = :name"));
        q.bindValue(QStringLiteral(":name"), name);
        if (!q.exec() || q.numRowsAffected() != 1) return refused(message);
        return true;
    }
    message = tr("你没有权限删除该用户!");
    return false;
}

bool UserManager::changeUserPassword(const QString& oldPassword, const QString& newPassword,
                                     QString& message) {
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select password from user_table where name=:name"));
    q.bindValue(QStringLiteral(":name"), m_name);
    if (!q.exec() || !q.next()) return false;
    if (q.value(0).toString() != oldPassword) {
        message = tr("旧密码不正确!");
        return false;
    }
    q.prepare(QStringLiteral("update user_table set password=:password where name=:name"));
    q.bindValue(QStringLiteral(":password"), newPassword);
    q.bindValue(QStringLiteral(":name"), m_name);
    if (!q.exec() || q.numRowsAffected() != 1) return refused(message);
    message = tr("密码已更新!");
    return true;
}

bool UserManager::changeUser(const QString& name, const QString& password, QString& message) {
    if (name == m_name) return true;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select usertype from user_table where name=:name and password=:password"));
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":password"), password);
    if (!q.exec() || !q.next()) {
        message = tr("密码错误!");
        return false;
    }
    const int type = q.value(0).toInt();
    addRecord(m_name, kLogout);
    m_name = name;
    m_type = type;
    addRecord(m_name, kLogin);
    message = tr("账户切换成功!");
    return true;
}

int UserManager::getUserType(const QString& name) {
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select usertype from user_table where name=:name"));
    q.bindValue(QStringLiteral(":name"), name);
    if (q.exec() && q.next()) return q.value(0).toInt();
    return 0;
}

void UserManager::getAllUsersName(QStringList& names, QVector<int>& types) {
    QSqlQuery q(connection());
    if (!q.exec(QStringLiteral("select name,usertype from user_table"))) return;
    while (q.next()) {
        names << q.value(0).toString();
        types << q.value(1).toInt();
    }
}

void UserManager::addRecord(const QString& name, int optype) {
    // The time is the key of the history. It carries milliseconds so that the logout and login of a
    // change of user both stay, in their order; a time already taken is retried a moment later.
    QSqlQuery q(connection());
    for (int attempt = 0; attempt < 5; ++attempt) {
        q.prepare(QStringLiteral(
            "insert into record_table values(:name,:optype,strftime('%Y-%m-%d %H:%M:%f','now'))"));
        q.bindValue(QStringLiteral(":name"), name);
        q.bindValue(QStringLiteral(":optype"), optype);
        if (q.exec() || !connection().isOpen()) return;
        QThread::msleep(2);
    }
}

void UserManager::closeDatabase() {
    QSqlDatabase db = connection();
    if (!db.isOpen()) return;
    addRecord(m_name, kLogout);
    db.close();
}
