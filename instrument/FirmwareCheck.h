#pragma once
// The start-up firmware check: asks the connected instrument for its
// firmware date and model, picks the matching firmware file on the computer
// and tells whether that file is newer, in which case the firmware update
// wizard is offered. Plain logic over the instrument link; no window.
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

enum class FirmwareCheckResult {
    NoInstrument,  // the link did not open
    NoUpdate,      // link closed again: no file, an older file, or an unreadable date
    UpdateOffered, // link left open; FirmwareFilePath, InstrumentFamily set
};

// Runs the check. An instrument that gives no answer within the read
// time-out (or only "#FREE" for longer than the idle limit) is offered no
// update: the link is drained and closed and the start goes on. A failed
// read and an unusable "#INFORMATION_READ" answer show their critical box
// and end the program. The file is offered when it is newer than the
// instrument's firmware, or when an update with it broke off after "#FLASH"
// (RegFirmwareIncomplete) -- and only when it passes the transfer's own
// check (LoadFirmwareFile).
FirmwareCheckResult StartupFirmwareCheck();

// The firmware file's name for an instrument: "QTM.MOT" for the QTM family
// (0); for the KRX family (1) by the model code (upper-cased): "KRX210.MOT",
// "KRX260.MOT", "KRX530.MOT", or empty when no file belongs to it.
QString FirmwareFileName(std::uint8_t family, const QString& modelCode);

// The instrument's firmware stamp as a date and time ("2017/04/25 12:07:09",
// "2017-4-25 9:07", "2017/04/25", ...); nullopt when it cannot be read so.
std::optional<QDateTime> InstrumentStampTime(const QString& stamp);
// A file stamp in the layout of GetFileStamp ("2017/04/25 29:15:00", the
// hour running up to 32) as a date and time, hours past 23 carried into the
// next day; nullopt when it cannot be read.
std::optional<QDateTime> FileStampTime(const QString& stamp);
// True when the file is newer: stamped more than one minute after the
// instrument's firmware.
bool FirmwareFileIsNewer(const QDateTime& instrument, const QDateTime& file);
