#pragma once
// Named operator accounts with a password and a rank in "UserDataBase.db" (connection
// "sql_user_database_connection"): table user_table (name, password, usertype, createtime) and a
// login/logout history in record_table (name, optype 1 login / 2 logout, time).
//
// A smaller type outranks a larger one: adding or deleting an account needs a current type strictly
// smaller than the account's. Types 1 (the seeded "admin") and 2 may change settings.
// Messages come back as translated texts through the message argument. A change that the database
// does not take (full disk, read-only file) returns false with "数据库写入失败!". GUI thread only.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class UserManager {
public:
    enum OpType { kLogin = 1, kLogout = 2 };
    // The type of "nobody": outranks no account and may change nothing.
    static constexpr int kNoUser = 0x7fffffff;
    static constexpr const char* kConnection = "sql_user_database_connection";
    static constexpr const char* kFile = "UserDataBase.db";

    static UserManager* instance;

    UserManager();
    ~UserManager();
    UserManager(const UserManager&) = delete;
    UserManager& operator=(const UserManager&) = delete;

    // Types 1 and 2: true. Otherwise the refusal box is shown and false returned.
    bool canChangeSetting();
    bool addUser(int type, const QString& name, const QString& password, QString& message);
    bool deleteUser(const QString& name, QString& message);
    bool changeUserPassword(const QString& oldPassword, const QString& newPassword, QString& message);
    bool changeUser(const QString& name, const QString& password, QString& message);
    int getUserType(const QString& name);
    void getAllUsersName(QStringList& names, QVector<int>& types);
    void addRecord(const QString& name, int optype);
    void closeDatabase();

    QString currentName() const { return m_name; }
    int currentType() const { return m_type; }

    // Who shows the refusal of canChangeSetting (title, text). Default: a modal MessageDialog.
    // Tests install their own; an empty function restores the default.
    using RefusalPrompt = std::function<void(const QString&, const QString&)>;
    static void setRefusalPrompt(RefusalPrompt prompt);

private:
    void connectDatabase();

    QString m_name;
    int m_type = kNoUser;
};
