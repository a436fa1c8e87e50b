#include "syspath.h"

#include <QDir>
#include <QMutex>

#include "profile.h"

namespace {
QMutex g_rootLock;
QString g_root;  // empty: "./sysroot" of the current directory
}  // namespace

QString sysRoot() {
    QMutexLocker lock(&g_rootLock);
    if (!g_root.isEmpty()) return g_root;
    return QDir::current().absoluteFilePath(QStringLiteral("sysroot"));
}

void setSysRoot(const QString& dir) {
    QMutexLocker lock(&g_rootLock);
    g_root = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString rootedPath(const QString& root, const QString& absolutePath) {
    // "/../etc" must not climb out of the root.
    QString clean = QDir::cleanPath(absolutePath);
    while (clean.startsWith(QLatin1String("/..")))
        clean = clean.mid(3).isEmpty() ? QStringLiteral("/") : clean.mid(3);
    return QDir::cleanPath(root + clean);
}

QString SysPath(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')) || !isSimulated()) return path;
    // Keep the result inside the root: "/../etc" must not climb out of it.
    return rootedPath(sysRoot(), path);
}

QByteArray SysPathC(const char* path) {
    return SysPath(QString::fromUtf8(path)).toUtf8();
}
