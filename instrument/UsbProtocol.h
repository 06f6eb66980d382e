#pragma once
// The device procedures of the instrument link: open and close the link,
// send a command, read an answer. Every operation opens the link for itself
// and closes it when done; only the start-up firmware check hands an open
// link on to the firmware update.
//
// A command is its characters' single-byte codes, written in one write of
// exactly as many bytes (no terminator). An answer is one read of at most 64
// bytes of the in pipe. No read waits longer than Global::UsbReadTimeoutMs,
// and a caller that keeps getting idle answers gives up after
// Global::UsbIdleLimitMs (IdleDeadline); both count as a failed read.
#include "platform/UsbLink.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <optional>

// UI text keys of the link's messages.
inline constexpr int UiLinkErrorTitle = 563; // title of every instrument error box
inline constexpr int UiInPipeFailed = 565;
inline constexpr int UiOutPipeFailed = 566;
inline constexpr int UiSendFailed = 567;
inline constexpr int UiReadFailed = 568;

// Opens the instrument and both pipes (five tries of the device, 100 ms
// apart). With `showMsg` a pipe that cannot be opened is reported (565,
// 566); no device is never reported. Whatever the instrument still had to
// say from an earlier exchange is drained (DrainLink) before it returns, so
// that the first answer read belongs to the first command sent. True when
// all is open.
bool IV_TRACER_DEVICE_OPEN(bool showMsg);
// Closes the out pipe, the in pipe and the device when the link is open;
// always clears UsbOpenFlag. Closing a closed link does nothing else.
void IV_TRACER_DEVICE_CLOSE();
// Writes `command` (at most 65 single-byte characters) in one write.
// A failed write shows 567; a command that cannot be sent shows the error
// report titled "SolarSend". True when written.
bool SolarSend(const QString& command);
// Opens the link with messages and closes it again; true in every case.
bool IV_TRACER_DEVICE_CHECK();

// Reads and drops what the instrument sends until it has been quiet for
// Global::UsbQuietMs, for at most Global::UsbDrainLimitMs.
struct DrainResult {
    int dataPackets = 0; // packets that were neither empty nor idle answers
    bool quiet = false;  // the instrument fell silent within the limit
};
DrainResult DrainLink();
// After a failed exchange: drains the link, then closes it, so that nothing
// of the failed answer is left for the next command.
void CloseLinkAfterFailure();

// One answer of the in pipe, as read (NUL bytes kept), waiting at most
// `timeoutMs` (Global::UsbReadTimeoutMs when negative); nullopt when the
// read failed or timed out (the failure is noted in Global::UsbLastFailure).
std::optional<QByteArray> ReadAnswerBytes(int timeoutMs = -1);
// The bytes without their NUL bytes.
QByteArray DropNul(const QByteArray& bytes);
// An answer as text: NUL bytes dropped, the rest decoded in code page 932.
QString AnswerText(const QByteArray& bytes);
// An idle answer of the read-out: first 5 characters "#FREE" or "#BUSY", or
// first 6 "#READY" (NUL bytes dropped first).
bool IsIdleAnswer(const QByteArray& bytes);

// The bound of a wait that sees only idle (or empty) answers.
class IdleDeadline {
  public:
    IdleDeadline() : deadline(Global::UsbIdleLimitMs) {}
    bool expired() const { return deadline.hasExpired(); }

  private:
    QDeadlineTimer deadline;
};

// The critical box of a link failure: UiText(key), then `extra`, titled
// UiText(563).
void ShowLinkFailure(int key, const QString& extra = QString());
// Makes the end of the program close the link.
void RegisterLinkCloseAtEnd();
