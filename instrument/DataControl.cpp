#include "instrument/DataControl.h"

#include "instrument/MeasFile.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

// Lines of MeasData.csv a move rewrites: the date and the seven after it.
constexpr int DateLine = 1;
constexpr int LastClearedLine = 8;
constexpr int MinMeasDataLines = 9;

// The same measurement: the same values read back as a history file, in
// whatever language its labels were written.
bool SameMeasurement(const QByteArray& a, const QByteArray& b)
{
    return ReadMeasFileBytes(a, MeasFileVariant::History) == ReadMeasFileBytes(b, MeasFileVariant::History);
}

// Whether the read-out file still holds what `rec` was loaded from. The
// measuring position lives in memory only (a read-out file has no line for
// it), the fill factor is computed by a writer, and the curve may have been
// clipped for drawing: only the other fields are compared.
bool StillHolds(const QByteArray& fileBytes, const MeasRecord& rec)
{
    MeasRecord onDisk = ReadMeasFileBytes(fileBytes, MeasFileVariant::ReadOut);
    for (int n : {MeasRecord::Position, MeasRecord::FillFactor})
        onDisk.F[std::size_t(n)] = rec.F[std::size_t(n)];
    return onDisk.F == rec.F;
}

} // namespace

QByteArray MovedMeasFileBytes(MeasRecord& rec)
{
    MeasFileWriteOptions options;
    options.variant = MeasFileVariant::History;
    options.withSecondTemperature = false;
    options.f18LabelByModel = false;
    return MeasFileBytes(rec, options);
}

void CheckMeasDataLines(const QByteArray& measData)
{
    if (AnsiCodec::splitLineBytes(measData).size() > MaxMeasDataLines)
        throw AppError(9);
}

QByteArray MeasDataAfterMove(const QByteArray& measData, const QString& date)
{
    QList<QByteArray> lines = AnsiCodec::splitLineBytes(measData);
    while (lines.size() < MinMeasDataLines)
        lines.append(QByteArray());
    lines[DateLine] = AnsiCodec::encode(date);
    for (int i = DateLine + 1; i <= LastClearedLine; ++i)
        lines[i].clear();
    return AnsiCodec::joinLineBytes(lines);
}

ReadOutMoveResult MoveReadOutFile(MeasRecord& rec, const QString& sourcePath, const QString& historyFolder)
{
    const QFileInfo source(sourcePath);
    if (sourcePath.isEmpty() || !source.isFile())
        return ReadOutMoveResult::Missing;
    const std::optional<QByteArray> held = ReadFileBytes(sourcePath);
    if (!held || held->isEmpty() || !StillHolds(*held, rec))
        return ReadOutMoveResult::Kept;

    const QString name = source.fileName();
    // The record's F43 is computed here, whether or not the file is written.
    const QByteArray bytes = MovedMeasFileBytes(rec);
    const QString target = historyFolder + u'/' + name;
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        if (!existing.isFile() || existing.isSymLink())
            return ReadOutMoveResult::Kept;
        const std::optional<QByteArray> there = ReadFileBytes(target);
        if (!there || !SameMeasurement(*there, bytes))
            return ReadOutMoveResult::Kept;
    } else {
        WriteMeasFileBytesAs(historyFolder, name, bytes);
    }
    DeleteMeasFile(sourcePath);
    return ReadOutMoveResult::Moved;
}

bool DeleteMeasFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return false;
    if (info.isDir())
        throw FileError(75, path);
    errno = 0;
    if (std::remove(QFile::encodeName(path).constData()) != 0)
        throw FileSystemError(errno, path);
    return true;
}
