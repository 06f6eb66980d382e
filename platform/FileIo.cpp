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

namespace {
int faultAt = 0;
int stepsTaken = 0;

// True when the next step of the write path is to fail.
bool stepFails()
{
    ++stepsTaken;
    return faultAt != 0 && stepsTaken == faultAt;
}
} // namespace

void FileIoFaults::FailAt(int n)
{
    faultAt = n;
    stepsTaken = 0;
}

int FileIoFaults::StepsTaken()
{
    return stepsTaken;
}

void FileIoFaults::Reset()
{
    FailAt(0);
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (stepFails() || f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    // QSaveFile buffers: a full disk shows only when the data is flushed.
    if (stepFails() || !f.flush()) {
        f.cancelWriting();
        return false;
    }
    if (stepFails()) {
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
