#pragma once
// Shared state of the array configuration window, in namespace Global (see
// app/Global.h).
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// One group of the array configuration window as copied for a paste: the
// chosen list positions (-1 for none) and the count texts of its five rows.
// The texts at the positions are kept too, so that a paste can tell when the
// catalogue changed since the copy and the positions name other entries.
struct GroupClipboardType {
    std::int16_t MakerPos = 0;
    std::array<std::int16_t, 6> ModelPos{}; // rows 0..4; entry 5 unused
    std::array<QString, 6> SeriesCounts;
    std::array<QString, 6> ParallelCounts;
    std::int16_t GroupNoPos = 0;
    std::int16_t PowConMakerPos = 0;
    std::int16_t PowConModelPos = 0;

    QString MakerText;
    std::array<QString, 6> ModelTexts;
    QString PowConMakerText;
    QString PowConModelText;
};

namespace Global {

// True once an editing key was pressed in the array configuration window, a
// list of it was chosen by the user, or a group was pasted, since the last
// save question; cleared only when that question is asked.
inline bool ArraySetChanged = false;
// The last group copied in the window.
inline GroupClipboardType GroupClipboard;
// The customer save the window's save button runs (argument: show the
// "Save OK" notice); unset, it is CmdBtn0_Click. Tests install another.
inline std::function<bool(bool)> ArraySetSaveHook;

} // namespace Global
