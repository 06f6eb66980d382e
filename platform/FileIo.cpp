#include "platform/FileIo.h"

#include "platform/AnsiCodec.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void OpenForReading(QFile& file, const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists()) {
        if (!fi.absoluteDir().exists())
            throw AppError(76);
        throw AppError(53);
    }
    if (fi.isDir())
        throw AppError(75);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(70);
}

std::optional<QByteArray> ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool WriteLinesAtomic(const QString& path, const QStringList& lines)
{
    return WriteFileAtomic(path, AnsiCodec::joinLines(lines));
}

std::optional<QStringList> ReadLines(const QString& path)
{
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return AnsiCodec::splitLines(*bytes);
}
