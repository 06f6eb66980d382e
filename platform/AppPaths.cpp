#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace AppPaths {

QString programFolder()
{
    if (!Global::ProgramFolderOverride.isEmpty())
        return QDir::cleanPath(Global::ProgramFolderOverride);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString languageFolder()
{
    // Found as Windows finds it, without regard to letter case; the exact
    // name first, and that name when there is none yet.
    const QString program = programFolder();
    const QString name = QStringLiteral("LANGUAGE");
    QString found = name;
    if (!QFileInfo(program + u'/' + name).isDir()) {
        const QStringList folders = QDir(program).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                            QDir::Name | QDir::IgnoreCase);
        for (const QString& f : folders)
            if (f.compare(name, Qt::CaseInsensitive) == 0) {
                found = f;
                break;
            }
    }
    return program + u'/' + found + u'/';
}

QString driveCRoot()
{
    if (!Global::DriveCRootOverride.isEmpty())
        return QDir::cleanPath(Global::DriveCRootOverride);
    return programFolder();
}

QString home()
{
    if (!Global::HomeOverride.isEmpty())
        return QDir::cleanPath(Global::HomeOverride);
    return QDir::homePath();
}

QString defaultDataFolder()
{
    return home() + QStringLiteral("/SOLAR_DATA/Heliodex");
}

QString runtimeFolder()
{
    if (!Global::RuntimeFolderOverride.isEmpty())
        return Global::RuntimeFolderOverride;
    QString r = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (r.isEmpty())
        r = QDir::tempPath();
    return r;
}

QString resolvedPath(const QString& path)
{
    QString rest;
    QFileInfo at(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!at.exists() && !at.isRoot()) {
        rest = u'/' + at.fileName() + rest;
        at = QFileInfo(at.absolutePath());
    }
    const QString found = at.exists() ? at.canonicalFilePath() : at.absoluteFilePath();
    return QDir::cleanPath(found + rest);
}

bool isRefusedSystemFolder(const QString& path)
{
    if (path.isEmpty())
        return true;
    static const char* roots[] = {"/bin", "/boot", "/dev", "/etc", "/lib", "/proc", "/sbin", "/sys", "/usr"};
    auto refused = [](const QString& p) {
        if (p.isEmpty() || p == QStringLiteral("/"))
            return true;
        for (const char* r : roots) {
            const QString root = QString::fromLatin1(r);
            if (p == root || p.startsWith(root + u'/'))
                return true;
        }
        return false;
    };
    const QString written = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
    return refused(written) || refused(resolvedPath(written));
}

QString loginUserName()
{
    QString u = qEnvironmentVariable("USER");
    if (u.isEmpty())
        u = qEnvironmentVariable("LOGNAME");
    if (u.isEmpty()) {
        // Services and containers often start without USER or LOGNAME.
        if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
            u = QString::fromLocal8Bit(pw->pw_name);
    }
    return u;
}

QString findCaseInsensitive(const QString& folder, const QString& fileName)
{
    QDir d(folder);
    const QStringList names = d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                          QDir::Name | QDir::IgnoreCase);
    for (const QString& n : names)
        if (n.compare(fileName, Qt::CaseInsensitive) == 0)
            return n;
    return QString();
}

} // namespace AppPaths
