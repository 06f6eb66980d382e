#include "customers/support/CustomerFixture.h"

#include "customers/CustomerGlobals.h"
#include "platform/AnsiCodec.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace CustomerFixture {

namespace {

const QString Placeholder = QStringLiteral("@OLDPIC@");

QString FixtureRoot()
{
    return QStringLiteral(HX_FIXTURES "/customer");
}

QByteArray WithOlderPicture(const TestEnv& env, QByteArray bytes)
{
    return bytes.replace(Placeholder.toLatin1(), OlderPicturePath(env).toUtf8());
}

} // namespace

void CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

QString Key()
{
    return QStringLiteral("A001_山田商店");
}

QString OlderPicturePath(const TestEnv& env)
{
    return env.root() + QStringLiteral("/outside/old1.bmp");
}

QString Install(const TestEnv& env)
{
    const QString users = env.dataFolder() + QStringLiteral("/USER_DATA");
    CopyTree(FixtureRoot() + QStringLiteral("/input/USER_DATA"), users);
    const QString customer = users + u'/' + Key();

    if (!QFile::exists(OlderPicturePath(env))) {
        QDir().mkpath(env.root() + QStringLiteral("/outside"));
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 40));
        picture.save(OlderPicturePath(env), "BMP");
    }

    const QString meas = customer + QStringLiteral("/3_旧形式/MeasData.csv");
    const QByteArray bytes = WithOlderPicture(env, Bytes(meas));
    QFile f(meas);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return customer;
}

QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size() + 1), Bytes(path));
    }
    return files;
}

QMap<QString, QByteArray> ExpectedAfterSave(const TestEnv& env)
{
    const QString input = FixtureRoot() + QStringLiteral("/input/USER_DATA/") + Key();
    QMap<QString, QByteArray> files = Snapshot(input);
    for (auto it = files.begin(); it != files.end(); ++it)
        it.value() = WithOlderPicture(env, it.value());
    const QMap<QString, QByteArray> changed =
        Snapshot(FixtureRoot() + QStringLiteral("/expected/USER_DATA/") + Key());
    for (auto it = changed.begin(); it != changed.end(); ++it)
        files.insert(it.key(), it.value());
    return files;
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QByteArray Lines(const QStringList& lines)
{
    return AnsiCodec::joinLines(lines);
}

void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return;
    }
    f.write(bytes);
}

QString MakeCustomer(const TestEnv& env, const QString& key)
{
    const QString c = env.dataFolder() + QStringLiteral("/USER_DATA/") + key;
    Put(c + QStringLiteral("/UserData.csv"),
        Lines({key.section(u'_', 0, 0), key.section(u'_', 1), "", "", "", "", "", "", "", "", "memo"}));
    Put(c + QStringLiteral("/MakerData.csv"), Lines({QStringLiteral("1")}));
    return c;
}

void ResetRecords()
{
    UserMemoryClear();
    Global::ArrayConfiguration = ArrayConfigurationType{};
    Global::UserListCount = 0;
    Global::CurUserRow = 1;
    Global::CurUserIndex = 0;
}

} // namespace CustomerFixture
