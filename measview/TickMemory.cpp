#include "measview/TickMemory.h"

#include "common/FileHelpers.h"
#include "common/TextHelpers.h"
#include "measview/HistoryLoad.h"
#include "measview/MeasViewGlobals.h"
#include "measview/Totals.h"
#include "platform/FileIo.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

QString NameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

NamedTicks TicksByName(const std::vector<bool>& memory, const QStringList& paths)
{
    NamedTicks ticks;
    if (memory.empty())
        return ticks;
    ticks.total = memory[0];
    const qsizetype rows = std::min(qsizetype(memory.size()) - 1, paths.size());
    for (qsizetype i = 1; i <= rows; ++i)
        if (memory[std::size_t(i)])
            ticks.files.insert(NameOf(paths.at(i - 1)));
    return ticks;
}

QByteArray TickMemoryBytesFor(const NamedTicks& ticks, const QStringList& paths)
{
    QStringList names;
    names.reserve(paths.size());
    for (const QString& path : paths)
        names << NameOf(path);
    // The order of HistoryMeasFiles, which a load lists the rows in.
    if (!names.isEmpty())
        QuickSortStrings(names, 0, int(names.size()) - 1);
    std::vector<bool> memory;
    memory.reserve(std::size_t(names.size()) + 1);
    memory.push_back(ticks.total);
    for (const QString& name : names)
        memory.push_back(ticks.files.contains(name));
    return TickMemoryBytes(memory);
}

NamedTicks ReadNamedTicks(const QString& historyFolder)
{
    const QString file = historyFolder + u'/' + TickMemoryFileName;
    if (historyFolder.isEmpty() || FileCheck(file).isEmpty())
        return {};
    const std::optional<QByteArray> bytes = ReadFileBytes(file);
    if (!bytes)
        return {};
    const QStringList paths = HistoryMeasFiles(historyFolder);
    const std::vector<std::uint8_t> flags = TickMemoryFlags(*bytes, int(paths.size()));
    std::vector<bool> memory(flags.size());
    std::transform(flags.begin(), flags.end(), memory.begin(), [](std::uint8_t f) { return f == 1; });
    return TicksByName(memory, paths);
}

void RewriteTickMemory(const QString& historyFolder, const NamedTicks& ticks)
{
    const QString file = historyFolder + u'/' + TickMemoryFileName;
    if (historyFolder.isEmpty() || !QFileInfo(file).isFile())
        return;
    WriteFileOrThrow(file, TickMemoryBytesFor(ticks, HistoryMeasFiles(historyFolder)));
}

QStringList LoadedMeasFiles()
{
    const qsizetype count =
        std::clamp<qsizetype>(Global::MeasFileCount, 0, qsizetype(Global::MeasFilePaths.size()));
    return QStringList(Global::MeasFilePaths.begin(), Global::MeasFilePaths.begin() + count);
}

NamedTicks LoadedTicksByName()
{
    return TicksByName(Global::DisplayTickMemory, LoadedMeasFiles());
}
