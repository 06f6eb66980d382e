#include "measview/HistoryLoad.h"

#include "common/FileHelpers.h"
#include "common/TextHelpers.h"
#include "instrument/MeasFile.h"
#include "measview/MeasViewGlobals.h"
#include "measview/Parallel.h"
#include "measview/Totals.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// "??????_??????_????-??-??.csv" (written apart so that no "??-" is read as a trigraph).
const QString MeasFilePattern = QStringLiteral("??????_??????_????"
                                               "-??"
                                               "-??.csv");

// Files per thread below which one thread reads them all.
constexpr int FilesPerSlice = 16;

} // namespace

QString FindHistoryFolder(const QString& customerFolder, const QString& historyName)
{
    if (historyName.isEmpty() || customerFolder.isEmpty())
        return QString();
    for (const QString& name : ListFolderNames(customerFolder, ListedKind::Folders, QString(), false)) {
        const qsizetype cut = name.indexOf(u'_');
        if (cut >= 0 && name.mid(cut + 1) == historyName)
            return customerFolder + u'/' + name;
    }
    return QString();
}

QStringList HistoryMeasFiles(const QString& historyFolder)
{
    if (historyFolder.isEmpty())
        return {};
    // Regular files only (links to them too): a device, a pipe or a folder
    // named like a measurement file might never end reading.
    QStringList names = ListFolderNames(historyFolder, ListedKind::FilesOrLinks, MeasFilePattern);
    // Of a folder with more files, the first 800 in name order.
    if (!names.isEmpty())
        QuickSortStrings(names, 0, int(names.size()) - 1);
    if (names.size() > Global::MaxHistoryMeasFiles)
        names.resize(Global::MaxHistoryMeasFiles);
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << historyFolder + u'/' + name;
    return paths;
}

void ClearRecord(MeasRecord& rec)
{
    for (QString& f : rec.F)
        f.clear();
    rec.IvPoints = IvPointTable();
}

MeasRecord ReadHistoryMeasFile(const QString& path)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes || bytes->isEmpty()) {
        MeasRecord rec;
        SetNoValueFields(rec);
        return rec;
    }
    MeasFileInfo info;
    MeasRecord rec = ReadMeasFileBytes(*bytes, MeasFileVariant::History, &info);
    ApplyHistoryLoadRules(rec, info);
    return rec;
}

std::vector<std::uint8_t> TickMemoryFlags(const QByteArray& bytes, int count)
{
    std::vector<std::uint8_t> ticks(std::size_t(std::max(count, 0)) + 1, 0);
    const QStringList lines = AnsiCodec::splitLines(bytes);
    if (lines.size() != qsizetype(ticks.size()))
        return ticks;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const QString& line = lines.at(qsizetype(i));
        const qsizetype comma = line.indexOf(u',');
        ticks[i] = (comma < 0 ? line : line.left(comma)).toUpper() == u"TRUE" ? 1 : 0;
    }
    return ticks;
}

CorrectionFlags LoadHistoryViews(const QStringList& paths, const ArrayConfigurationType& array,
                                 HistoryViews& v, const LoadProgress& progress)
{
    const std::size_t size = std::size_t(Global::MaxHistoryMeasFiles) + 1;
    for (std::vector<MeasRecord>* view : {&v.shown, &v.raw, &v.pmCorr, &v.stc})
        if (view->size() != size)
            DimRecords(*view, Global::MaxHistoryMeasFiles);
    const CorrectionSet set = CorrectionSetOf(array);
    const int count = std::min<int>(int(paths.size()), Global::MaxHistoryMeasFiles);

    // Every entry is replaced where it stands, the old one freed by the
    // thread that replaces it. Only the calling thread (the user-interface
    // thread) reports progress, counting every thread's files.
    std::atomic<int> done{0};
    const std::thread::id caller = std::this_thread::get_id();
    ParallelSlices(int(size), FilesPerSlice, [&](int begin, int end) {
        for (int at = begin; at < end; ++at) {
            MeasRecord& shown = v.shown[std::size_t(at)];
            if (at >= 1 && at <= count) {
                MeasRecord measured = ReadHistoryMeasFile(paths.at(at - 1));
                v.pmCorr[std::size_t(at)] = PmCorrected(measured, set);
                v.stc[std::size_t(at)] = StcCorrected(measured, set);
                shown = std::move(measured);
                const int files = ++done;
                if (progress && std::this_thread::get_id() == caller)
                    progress(files, count);
            } else {
                for (MeasRecord* r : {&shown, &v.pmCorr[std::size_t(at)], &v.stc[std::size_t(at)]}) {
                    ClearRecord(*r);
                    if (at == 0)
                        SetNoValueFields(*r);
                }
            }
            v.raw[std::size_t(at)] = shown;
        }
    });
    CorrectionFlags flags;
    for (int i = 1; i <= count; ++i)
        RaiseCorrectionFlags(flags, v.shown[std::size_t(i)], set);
    return flags;
}

LoadedHistory LoadHistory(const QString& historyFolder, const ArrayConfigurationType& array,
                          HistoryViews& views, const LoadProgress& progress)
{
    LoadedHistory h;
    h.paths = HistoryMeasFiles(historyFolder);
    const int count = int(h.paths.size());
    h.ticks.assign(std::size_t(count) + 1, 0);
    if (count == 0)
        return h;
    if (progress)
        progress(0, count);
    h.flags = LoadHistoryViews(h.paths, array, views, progress);
    // A tick memory that cannot be read ticks nothing.
    const QString tickMemory = historyFolder + QStringLiteral("/CheckMemory.csv");
    if (!FileCheck(tickMemory).isEmpty())
        if (const std::optional<QByteArray> bytes = ReadFileBytes(tickMemory))
            h.ticks = TickMemoryFlags(*bytes, count);
    return h;
}
