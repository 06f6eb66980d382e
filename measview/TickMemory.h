#pragma once
// The tick memory CheckMemory.csv keeps one line per list row: the total
// row, then the history's measurement files in name order. A tick belongs to
// a measurement, not to a row: whatever renames, adds or removes files of a
// history writes the memory again for the files the history then holds, so
// that every tick stays on its file. The file's form does not change.
#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

inline const QString TickMemoryFileName = QStringLiteral("CheckMemory.csv");

// Ticks by measurement: the total row's, and the names (without folder) of
// the ticked measurement files.
struct NamedTicks {
    bool total = false;
    QSet<QString> files;
};

// The ticks of list rows by name: memory[0] is the total row's, memory[i]
// that of the measurement loaded from paths[i - 1].
NamedTicks TicksByName(const std::vector<bool>& memory, const QStringList& paths);

// The tick memory of a history whose measurement files are `paths` (full
// paths or names, in any order): the total row's line, then one line per
// file in the order a load lists them.
QByteArray TickMemoryBytesFor(const NamedTicks& ticks, const QStringList& paths);

// What the CheckMemory.csv of `historyFolder` ticks, by name. Nothing when
// the file is missing, unreadable or does not fit the files the folder holds
// (a load would ignore it).
NamedTicks ReadNamedTicks(const QString& historyFolder);

// Writes the CheckMemory.csv of `historyFolder` anew for the measurement
// files it holds now, each tick of `ticks` on its file; the tick of a file
// that is gone goes with it. A folder without the file is left without one.
// Throws the classic error naming the file when it cannot be written.
void RewriteTickMemory(const QString& historyFolder, const NamedTicks& ticks);

// The files of the loaded history's list (MeasFilePaths 0 to MeasFileCount - 1),
// and its ticks by name (DisplayTickMemory over them).
QStringList LoadedMeasFiles();
NamedTicks LoadedTicksByName();

// Runs `change`, which renames, adds or removes files of `historyFolder`,
// and then writes the folder's tick memory anew with `ticks` (what it ticks
// before the change), so that every tick stays on its measurement. The
// memory is written also when `change` fails half-way (the error of
// `change` is the one thrown).
template <class Change>
void KeepTicksOnTheirFiles(const QString& historyFolder, const NamedTicks& ticks, Change&& change)
{
    try {
        change();
    } catch (...) {
        try {
            RewriteTickMemory(historyFolder, ticks);
        } catch (...) {
        }
        throw;
    }
    RewriteTickMemory(historyFolder, ticks);
}

// The same with the ticks that the folder's own tick memory holds.
template <class Change> void KeepTicksOnTheirFiles(const QString& historyFolder, Change&& change)
{
    KeepTicksOnTheirFiles(historyFolder, ReadNamedTicks(historyFolder), std::forward<Change>(change));
}
