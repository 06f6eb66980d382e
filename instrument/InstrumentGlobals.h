#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
// The link's handles, its open flag and its time limits live with the link
// itself (platform/UsbLink.h) and are part of Global through this header.
#include "platform/UsbLink.h"

#include <QString>

#include <cstdint>
#include <vector>

class QEventLoop;

namespace Global {
// The event loop in which start-up waits for the firmware update wizard;
// ending the wizard wakes it (set only while start-up waits).
inline QEventLoop* FirmwareWizardWaitLoop = nullptr;
// Delay between the transfer window's appearance and the transfer's start.
inline int FirmwareTransferDelayMs = 300;

// ---- Read-out and instrument-data list.

// Set by the read-out when the instrument cannot be opened (at the start or
// for the clock setting); the read button clears it before each read-out.
inline bool UsbNotFoundFlag = false;

// The instrument-data list (ForwardRecords, in MeasRecordGlobals.h, holds
// its records): the full paths of the listed files in list order (entries 0
// to the larger of the folder's file count and 1200, unused ones empty), the
// number of listed files, and one tick flag per listed file plus one unused
// last element (1: ticked). Every list load replaces all four together.
inline std::vector<QString> ForwardFilePaths;
inline std::int32_t ForwardFileCount = 0;
inline std::vector<std::uint8_t> ForwardTick = std::vector<std::uint8_t>(1, 0);
// Record index of the current row of the instrument-data list, -1 for none.
inline std::int32_t CurForwardRow = -1;
// The list column (0 to 5) whose cell the in-place edit box was opened over.
inline std::int32_t EditColForward = 0;
// The pointer position last seen over the list, in twips from its top left
// corner.
inline std::int32_t FwdListMouseX = 0;
inline std::int32_t FwdListMouseY = 0;
// True while the list is being loaded: its scroll and tick events come from
// the load, not from the user.
inline bool ForwardListLoading = false;
} // namespace Global
