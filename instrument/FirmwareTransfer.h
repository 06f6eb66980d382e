#pragma once
// The firmware transfer: puts the instrument into flash mode ("#FLASH"),
// erases its flash block by block ("#ERASE", blocks "1" to "E", "0") and
// sends the firmware file's S-record lines ("#WRITE", then one write per
// line), on the link the start-up check left open. Plain logic: the transfer
// window only shows the progress and lets window events run through hooks.
//
// The file is read and checked whole before the instrument is touched. Any
// failure of the instrument or the link after that shows its critical box
// (titled UiText 563) and ends the program at once; once "#FLASH" went out
// the box also says that the instrument's firmware is now incomplete and
// the update must be run again, and the update stays offered at every
// start (the registry value RegFirmwareIncomplete) until one completes. An
// instrument that does not take "#WRITE" is the one failure after which the
// program goes on: the wizard ends as a cancel does.
//
// Each answer is awaited up to Global::UsbReadTimeoutMs, those of the erase
// (its start and each block) up to Global::UsbEraseTimeoutMs.
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
inline constexpr int UiFirmwareIncomplete = 824;

// Registry value (System key): the name of the firmware file whose transfer
// went past "#FLASH" and did not finish; empty when none.
inline const QString RegFirmwareIncomplete = QStringLiteral("FirmwareIncomplete");

// A firmware file (Motorola S-records, one per line), read whole.
struct FirmwareImage {
    QList<QByteArray> lines; // every line, without its line end
    qint64 length = 0;       // bytes of the file: the progress base
};

// Reads and checks the firmware file as the transfer will send it: each
// line without its line end and without blanks and CRs around it; empty
// lines are not sent. Taken: readable, not empty, lines ended by CR LF or a
// lone CR (a line feed without its carriage return refuses the file), every
// other line an S-record ("S" or "s", a digit, hexadecimal digits in either
// case) of at most 65 characters, the last of them an end record (S7, S8 or
// S9).
// nullopt otherwise, with the reason in `why`. The lines kept are the ones
// sent.
std::optional<FirmwareImage> LoadFirmwareFile(const QString& path, QString* why = nullptr);

struct TransferHooks {
    std::function<void(int)> progress;   // the progress bar's new value, 0 to 100
    std::function<void()> processEvents; // lets pending window events run
};

enum class TransferResult {
    Written,      // every line sent and acknowledged
    FileRejected, // the file failed its check (571 shown); the instrument was not touched
    NotAccepted,  // "#WRITE" was not acknowledged (570 shown); the instrument is erased
};

// The three steps. Each returns normally or ends the program. WriteFirmware
// first drains whatever the instrument still had to say.
void StartFlashMode();
void EraseFlash(const TransferHooks& hooks = {});
TransferResult WriteFirmware(const QString& path, const TransferHooks& hooks = {});

// The progress bar's value: 100 minus remaining x 100 / length, the quotient
// rounded to the nearest whole number, halves to even.
int TransferProgress(qint64 remaining, qint64 length);
