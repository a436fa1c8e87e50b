#include "fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include "syspath.h"

#include <unistd.h>

namespace {

bool insideDir(const QString& path, const QString& dir) {
    const QString d = QDir::cleanPath(dir);
    return path == d || path.startsWith(d + QLatin1Char('/'));
}

// Absolute, cleaned path of an argument, or empty when it leaves the allowed areas.
QString resolve(const QString& arg) {
    QString p;
    if (arg.startsWith(QLatin1Char('/')))
        p = rootedPath(sysRoot(), arg);
    else
        p = QDir::cleanPath(QDir::current().absoluteFilePath(arg));
    if (insideDir(p, QDir::currentPath()) || insideDir(p, sysRoot())) return p;
    return QString();
}

// Expands a '*' or '?' in the last component; a pattern that matches nothing stays as it is.
QStringList expand(const QString& path) {
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?'))) return {path};
    QDir dir(fi.path());
    const QStringList hits = dir.entryList({name}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (hits.isEmpty()) return {path};
    QStringList out;
    for (const QString& h : hits) out << dir.absoluteFilePath(h);
    return out;
}

bool removePath(const QString& p, bool recursive) {
    QFileInfo fi(p);
    if (!fi.exists() && !fi.isSymLink()) return true;
    if (fi.isDir() && !fi.isSymLink()) return recursive && QDir(p).removeRecursively();
    return QFile::remove(p);
}

}  // namespace

bool copyPathRecursively(const QString& from, const QString& to) {
    const QFileInfo src(from);
    if (src.isSymLink()) {
        // A link is copied as the link it is, never followed: a link to a folder outside the tree
        // copies nothing from there, and a link back into the tree cannot make the copy recurse.
        const QByteArray link = QFile::encodeName(from);
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(link.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n <= 0 || n >= target.size()) return false;
        target.truncate(static_cast<int>(n));
        const QFileInfo dst(to);
        if ((dst.exists() || dst.isSymLink()) && !removePath(to, dst.isDir() && !dst.isSymLink()))
            return false;
        return ::symlink(target.constData(), QFile::encodeName(to).constData()) == 0;
    }
    if (src.isDir()) {
        if (!QDir().mkpath(to)) return false;
        QDir d(from);
        const auto entries =
            d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (const QString& e : entries)
            if (!copyPathRecursively(d.filePath(e), QDir(to).filePath(e))) return false;
        return true;
    }
    if (!src.exists()) return false;
    if (QFileInfo::exists(to) && !QFile::remove(to)) return false;
    return QFile::copy(from, to);
}

bool replaceTree(const QString& staged, const QString& target) {
    if (!QFileInfo(staged).isDir()) return false;
    const QFileInfo old(target);
    if (!old.exists() && !old.isSymLink()) return QDir().rename(staged, target);
    const QString aside =
        QFileInfo(old.absolutePath(), QStringLiteral(".%1.old").arg(old.fileName())).filePath();
    if (!removePath(aside, true) || !QDir().rename(target, aside)) return false;
    if (!QDir().rename(staged, target)) {
        QDir().rename(aside, target);  // the old tree back in its place
        return false;
    }
    if (!removePath(aside, true)) qWarning("%s: the replaced copy could not be removed", qPrintable(aside));
    return true;
}

bool emulateFileCommand(const QString& command, int* status) {
    QString cmd = command.trimmed();
    // Output redirections to nowhere and a trailing '&' change nothing for these commands.
    cmd.remove(QRegularExpression(QStringLiteral("\\s*(2>&1|[12]?>\\s*/dev/null)")));
    if (cmd.endsWith(QLatin1Char('&'))) cmd.chop(1);
    static const QRegularExpression meta(QStringLiteral("[;|&$`<>(){}\"'\\\\]"));
    if (cmd.contains(meta)) return false;
    QStringList tok = cmd.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (tok.isEmpty()) return false;
    const QString prog = tok.takeFirst();
    QString opts;
    QStringList args;
    for (const QString& t : tok) {
        if (t.startsWith(QLatin1Char('-')) && args.isEmpty())
            opts += t.mid(1);
        else
            args << t;
    }
    if (prog == QLatin1String("sync")) {
        *status = 0;
        return true;
    }
    static const QStringList known = {QStringLiteral("mkdir"), QStringLiteral("cp"), QStringLiteral("mv"),
                                      QStringLiteral("rm"), QStringLiteral("touch")};
    if (!known.contains(prog) || args.isEmpty()) return false;
    QStringList paths;
    for (const QString& a : args) {
        const QString r = resolve(a);
        if (r.isEmpty()) return false;
        paths << r;
    }
    bool ok = true;
    const bool recursive =
        opts.contains(QLatin1Char('r')) || opts.contains(QLatin1Char('R')) || opts.contains(QLatin1Char('a'));
    if (prog == QLatin1String("mkdir")) {
        for (const QString& p : paths)
            ok = (opts.contains(QLatin1Char('p')) ? QDir().mkpath(p) : QDir().mkdir(p)) && ok;
    } else if (prog == QLatin1String("touch")) {
        for (const QString& p : paths) {
            QFile f(p);
            ok = f.open(QIODevice::Append) && ok;
        }
    } else if (prog == QLatin1String("rm")) {
        for (const QString& p : paths)
            for (const QString& e : expand(p)) ok = removePath(e, recursive) && ok;
    } else {  // cp, mv: sources... destination
        if (paths.size() < 2) {
            *status = 1;
            return true;
        }
        const QString dst = paths.takeLast();
        QStringList sources;
        for (const QString& p : paths) sources << expand(p);
        const bool dstIsDir = QFileInfo(dst).isDir();
        if (sources.size() > 1 && !dstIsDir) {
            *status = 1;
            return true;
        }
        for (const QString& s : sources) {
            QFileInfo si(s);
            const QString target = dstIsDir ? QDir(dst).filePath(si.fileName()) : dst;
            if (!si.exists()) {
                ok = false;
                continue;
            }
            if (prog == QLatin1String("cp")) {
                if (si.isDir() && !recursive) {
                    ok = false;
                    continue;
                }
                // cp refuses to copy a directory into itself (the copy would never end).
                if (si.isDir() && insideDir(QDir::cleanPath(target), s)) {
                    ok = false;
                    continue;
                }
                ok = copyPathRecursively(s, target) && ok;
            } else {
                if (QFileInfo::exists(target)) removePath(target, true);
                ok = QDir().rename(s, target) && ok;
            }
        }
    }
    *status = ok ? 0 : 1;
    return true;
}

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error,
                         QFileDevice::Permissions permissions) {
    QSaveFile f(path);
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        f.cancelWriting();
        return false;
    };
    if (!f.open(QIODevice::WriteOnly)) return fail(f.errorString());
    if (permissions && !f.setPermissions(permissions)) return fail(f.errorString());
    // QSaveFile only buffers: the flush is where a full disk shows, and commit() would not say so.
    if (f.write(data) != data.size()) return fail(f.errorString());
    if (!f.flush()) return fail(f.errorString());
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}
