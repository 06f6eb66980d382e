#pragma once
// The firmware transfer: puts the instrument into flash mode ("#FLASH"),
// erases its flash block by block ("#ERASE", blocks "1" to "E", "0") and
// sends the firmware file's S-record lines ("#WRITE", then one write per
// line), on the link the start-up check left open. Plain logic: the transfer
// window only shows the progress and lets window events run through hooks.
//
// The file is read and checked whole before the instrument is touched. Any
// failure of the instrument or the link after that shows its critical box
// (titled UiText 563) and ends the program at once.
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// UI text keys of the transfer's messages.
inline constexpr int UiLineNotAccepted = 570;
inline constexpr int UiFirmwareFileBad = 571;
inline constexpr int UiFlashModeRefused = 572;
inline constexpr int UiEraseRefused = 573;
inline constexpr int UiBlockNotErased = 574;

// A firmware file (Motorola S-records, one per line), read whole.
struct FirmwareImage {
    QList<QByteArray> lines; // every line, without its line end
    qint64 length = 0;       // bytes of the file: the progress base
};

// Reads and checks the firmware file: readable, not empty, only S-record
// lines ("S", a digit, hexadecimal digits) of at most 65 characters or empty
// lines, the last non-empty line an "S9" record. nullopt otherwise, with the
// reason in `why`.
std::optional<FirmwareImage> LoadFirmwareFile(const QString& path, QString* why = nullptr);

struct TransferHooks {
    std::function<void(int)> progress;   // the progress bar's new value, 0 to 100
    std::function<void()> processEvents; // lets pending window events run
};

enum class TransferResult {
    Written,      // every line sent and acknowledged
    FileRejected, // the file failed its check (571 shown); the instrument was not touched
};

// The three steps. Each returns normally or ends the program.
void StartFlashMode();
void EraseFlash(const TransferHooks& hooks = {});
TransferResult WriteFirmware(const QString& path, const TransferHooks& hooks = {});

// The progress bar's value: 100 minus remaining x 100 / length, the quotient
// rounded to the nearest whole number, halves to even.
int TransferProgress(qint64 remaining, qint64 length);
