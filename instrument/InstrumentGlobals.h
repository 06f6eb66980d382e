#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
// The link's handles, its open flag and its time limits live with the link
// itself (platform/UsbLink.h) and are part of Global through this header.
#include "platform/UsbLink.h"

class QEventLoop;

namespace Global {
// The event loop in which start-up waits for the firmware update wizard;
// ending the wizard wakes it (set only while start-up waits).
inline QEventLoop* FirmwareWizardWaitLoop = nullptr;
// Delay between the transfer window's appearance and the transfer's start.
inline int FirmwareTransferDelayMs = 300;
} // namespace Global
