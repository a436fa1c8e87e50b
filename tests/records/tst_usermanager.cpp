#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "programdir.h"
#include "records/messagedialog.h"
#include "records/usermanager.h"

namespace {
// "name|optype" of the login history, oldest first.
QStringList history() {
    QStringList rows;
    QSqlQuery q(QSqlDatabase::database(UserManager::kConnection, false));
    if (q.exec("select name, optype from record_table order by time"))
        while (q.next()) rows << q.value(0).toString() + "|" + q.value(1).toString();
    return rows;
}

// An account written straight into the table (ranks the store would not let us add).
void plant(const QString& name, int type) {
    QSqlQuery q(QSqlDatabase::database(UserManager::kConnection, false));
    q.prepare("insert into user_table values(:n, 'pw', :t, datetime())");
    q.bindValue(":n", name);
    q.bindValue(":t", type);
    QVERIFY(q.exec());
}

// A store logged in as a user of `type` (1 is the seeded admin; otherwise "chief" is added and taken).
void loginAs(UserManager& um, int type) {
    if (type == 1) return;
    QString msg;
    plant("chief", type);
    QVERIFY(um.changeUser("chief", "pw", msg));
    QCOMPARE(um.currentType(), type);
}
}  // namespace

class TestUserManager : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UserManager::setRefusalPrompt({}); }

    void freshDatabaseSeedsAdmin();
    void rankRules_data();
    void rankRules();
    void accountChecks();
    void loginLogoutHistory();
    void refusedChangesAreNotDone();
    void whoMayChangeSettings_data();
    void whoMayChangeSettings();
    void messageDialogButtons();
};

void TestUserManager::freshDatabaseSeedsAdmin() {
    ProgramDir dir;
    UserManager um;
    QStringList names;
    QVector<int> types;
    um.getAllUsersName(names, types);
    QCOMPARE(names, QStringList{"admin"});
    QCOMPARE(types, QVector<int>{1});
    QCOMPARE(um.currentName(), QString("admin"));
    QCOMPARE(um.currentType(), 1);
    QCOMPARE(history(), QStringList{"admin|1"});
    QSqlQuery q(QSqlDatabase::database(UserManager::kConnection, false));
    QVERIFY(q.exec("select password from user_table where name='admin'") && q.next());
    QCOMPARE(q.value(0).toString(), QString("583190"));
    QVERIFY(QFile::exists(dir.filePath("UserDataBase.db")));
    // The lists are appended to, not replaced.
    um.getAllUsersName(names, types);
    QCOMPARE(names.size(), 2);
}

void TestUserManager::rankRules_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("admin, admin rank") << 1 << 1 << false;
    QTest::newRow("admin, rank 2") << 1 << 2 << true;
    QTest::newRow("admin, rank 5") << 1 << 5 << true;
    QTest::newRow("rank 2, rank 2") << 2 << 2 << false;
    QTest::newRow("rank 2, rank 1") << 2 << 1 << false;
    QTest::newRow("rank 2, rank 3") << 2 << 3 << true;
}

void TestUserManager::rankRules() {
    QFETCH(int, current);
    QFETCH(int, target);
    QFETCH(bool, allowed);
    ProgramDir dir;
    UserManager um;
    loginAs(um, current);

    QString msg;
    QCOMPARE(um.addUser(target, "newcomer", "1", msg), allowed);
    QCOMPARE(msg, allowed ? QString("账户添加成功!") : QString("您没有权限添加该账户!"));
    QCOMPARE(um.getUserType("newcomer"), allowed ? target : 0);

    plant("victim", target);
    msg = "untouched";
    QCOMPARE(um.deleteUser("victim", msg), allowed);
    QCOMPARE(msg, allowed ? QString("untouched") : QString("你没有权限删除该用户!"));
    QCOMPARE(um.getUserType("victim"), allowed ? 0 : target);
}

void TestUserManager::accountChecks() {
    ProgramDir dir;
    UserManager um;
    QString msg;
    const QString hostile = "x', 0, datetime()); drop table user_table; --";
    QVERIFY(um.addUser(3, hostile, "p'w", msg));
    QCOMPARE(um.getUserType(hostile), 3);
    QVERIFY(!um.addUser(4, hostile, "other", msg));
    QCOMPARE(msg, QString("账户已存在!"));
    QCOMPARE(um.getUserType(hostile), 3);

    QVERIFY(!um.deleteUser("admin", msg));
    QCOMPARE(msg, QString("不能删除自身!"));
    QVERIFY(!um.deleteUser("nobody", msg));
    QCOMPARE(msg, QString("该用户不存在!"));
    QVERIFY(um.deleteUser(hostile, msg));
    QCOMPARE(um.getUserType(hostile), 0);

    QVERIFY(!um.changeUserPassword("wrong", "new", msg));
    QCOMPARE(msg, QString("旧密码不正确!"));
    QVERIFY(um.changeUserPassword("583190", "24'68", msg));
    QCOMPARE(msg, QString("密码已更新!"));
    QVERIFY(um.addUser(2, "op", "1", msg));
    QVERIFY(um.changeUser("op", "1", msg));
    QVERIFY(um.changeUser("admin", "24'68", msg));
    QCOMPARE(um.currentName(), QString("admin"));
}

// A database that takes no change (as a full disk or a read-only file) makes every change fail with
// its message, and nothing is reported as done.
void TestUserManager::refusedChangesAreNotDone() {
    ProgramDir dir;
    UserManager um;
    QString msg;
    QVERIFY(um.addUser(3, "kept", "1", msg));
    QSqlQuery pragma(QSqlDatabase::database(UserManager::kConnection));
    QVERIFY(pragma.exec("PRAGMA query_only = 1"));
    const QString refused = QString("数据库写入失败!");

    QVERIFY(!um.addUser(3, "newcomer", "1", msg));
    QCOMPARE(msg, refused);
    QVERIFY(!um.deleteUser("kept", msg));
    QCOMPARE(msg, refused);
    QVERIFY(!um.changeUserPassword("583190", "new", msg));
    QCOMPARE(msg, refused);

    QVERIFY(pragma.exec("PRAGMA query_only = 0"));
    QCOMPARE(um.getUserType("newcomer"), 0);
    QCOMPARE(um.getUserType("kept"), 3);
    QVERIFY(um.changeUserPassword("583190", "new", msg));  // the old password was still in force
}

void TestUserManager::loginLogoutHistory() {
    ProgramDir dir;
    {
        UserManager um;
        QString msg;
        QVERIFY(um.addUser(2, "chief", "pw", msg));
        QVERIFY(!um.changeUser("chief", "wrong", msg));
        QCOMPARE(msg, QString("密码错误!"));
        msg.clear();
        QVERIFY(um.changeUser("admin", "anything", msg));  // already the current user: no check, no record
        QVERIFY(msg.isEmpty());
        QCOMPARE(history(), QStringList{"admin|1"});

        // Logout and login of a change of user land within the same second; both are kept.
        QVERIFY(um.changeUser("chief", "pw", msg));
        QCOMPARE(msg, QString("账户切换成功!"));
        QCOMPARE(history(), QStringList({"admin|1", "admin|2", "chief|1"}));
        um.closeDatabase();
    }
    // The next start takes the last user and logs that user in again.
    UserManager um;
    QCOMPARE(um.currentName(), QString("chief"));
    QCOMPARE(um.currentType(), 2);
    QCOMPARE(history(), QStringList({"admin|1", "admin|2", "chief|1", "chief|2", "chief|1"}));
}

void TestUserManager::whoMayChangeSettings_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("admin") << 1 << true;
    QTest::newRow("rank 2") << 2 << true;
    QTest::newRow("rank 3") << 3 << false;
    QTest::newRow("no user at all") << 0 << false;
    QTest::newRow("database unusable") << -1 << false;
}

void TestUserManager::whoMayChangeSettings() {
    QFETCH(int, type);
    QFETCH(bool, allowed);
    ProgramDir dir;
    if (type == 0) {
        // Tables without any login record: nobody is logged in, and nobody gains a rank from that.
        { UserManager first; }
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "wipe");
        db.setDatabaseName("UserDataBase.db");
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec("delete from record_table"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("wipe");
    }
    if (type < 0) QVERIFY(QDir().mkpath(dir.filePath("UserDataBase.db")));  // a directory: cannot be opened
    UserManager um;
    if (type > 0) loginAs(um, type);
    QStringList prompts;
    UserManager::setRefusalPrompt(
        [&](const QString& title, const QString& text) { prompts << title << text; });
    QCOMPARE(um.canChangeSetting(), allowed);
    QCOMPARE(prompts, allowed ? QStringList() : QStringList({"警告", "没有权限 !"}));
    if (type <= 0) {
        QString msg;
        QVERIFY(!um.addUser(9, "intruder", "1", msg));
        QVERIFY(um.currentName().isEmpty());
    }
}

void TestUserManager::messageDialogButtons() {
    MessageDialog box("title", "text",
                      MessageDialog::Ok | MessageDialog::No | MessageDialog::Cancel | MessageDialog::Yes);
    QCOMPARE(box.size(), QSize(500, 400));
    const auto buttons = box.findChildren<QPushButton*>();
    QStringList texts;
    for (auto* b : buttons) texts << b->text();
    QCOMPARE(texts, QStringList({"确定", "否", "取消", "是"}));
    box.resetMessage("changed");
    QCOMPARE(box.findChild<QLabel*>("message")->text(), QString("changed"));

    box.show();
    buttons[3]->click();
    QCOMPARE(box.result(), int(QDialog::Accepted));
    box.show();
    buttons[1]->click();
    QCOMPARE(box.result(), int(QDialog::Rejected));

    MessageDialog okOnly("t", "x", MessageDialog::Ok);
    QCOMPARE(okOnly.findChildren<QPushButton*>().size(), 1);
}

QTEST_MAIN(TestUserManager)
#include "tst_usermanager.moc"
