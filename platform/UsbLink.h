#pragma once
// The instrument link: the device handle and the two pipe handles of the one
// link a process has, and the calls the device procedures make on them. The
// calls go to the transport in Global::InstrumentTransport: the real
// instrument over libusb unless a test or the command line installed another
// (SimulatedInstrument).
#include "platform/UsbTransport.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace Global {
// The transport in use; empty means the real instrument over libusb.
inline std::shared_ptr<UsbTransport> InstrumentTransport;

// The link's handles (-1 when not open) and whether all three are open.
inline int hUsbDevice = -1;
inline int hPipeIn = -1;
inline int hPipeOut = -1;
inline bool UsbOpenFlag = false;

// Time limits of the link, settable so that tests run fast.
inline int UsbReadTimeoutMs = 5000;   // one read or write
inline int UsbEraseTimeoutMs = 60000; // an answer of the flash erase (its start and each block)
inline int UsbIdleLimitMs = 30000;    // a wait that sees only idle answers
inline int UsbOpenRetryWaitMs = 100;  // between two tries of the open
inline int UsbQuietMs = 200;          // silence that shows the instrument has nothing more to say
inline int UsbDrainLimitMs = 10000;   // the longest a drain waits for that silence

// Called while a read waits, at least every UsbWaitSliceMs, so that windows
// repaint during a long wait on the instrument (set by long work, see
// common/FrmMessWindow.h); empty: a read simply blocks.
inline std::function<void()> UsbWaitHook;
inline constexpr int UsbWaitSliceMs = 40;

// The last protocol failure in one line ("expected ..., got ..."), for logs
// and tests.
inline QString UsbLastFailure;
} // namespace Global

namespace UsbLink {

inline constexpr std::uint16_t VendorId = 0x0547;
inline constexpr std::uint16_t ProductId = 0x2002;
inline constexpr int InterfaceNo = 0;
inline constexpr int PipeOut = 0;
inline constexpr int PipeIn = 1;
inline constexpr int CommandBufferSize = 65; // longest command or line
inline constexpr int AnswerSize = 64;        // one answer read

// The transport in use (created on first use when none is installed).
UsbTransport& transport();
// Installs `t` as the transport in use (empty: back to libusb).
void setTransport(std::shared_ptr<UsbTransport> t);

// The driver library's calls, on the transport in use.
int openMask();                     // the instrument by vendor and product id; -1 on failure
int openPipe(int device, int pipe); // pipe of interface 0; -1 on failure
void closePipe(int pipeHandle);
void closeDevice(int device);
bool writePipe(int pipeHandle, const QByteArray& bytes);

struct ReadResult {
    UsbReadStatus status = UsbReadStatus::Failed;
    QByteArray bytes; // as read, NUL bytes kept
    bool ok() const { return status == UsbReadStatus::Ok; }
};
// One read of at most `maxLength` bytes, waiting at most `timeoutMs` (the
// link's read time-out when negative). While Global::UsbWaitHook is set the
// wait is cut into slices with the hook called between them.
ReadResult readPipe(int pipeHandle, int maxLength = AnswerSize, int timeoutMs = -1);

// Closes whatever of the link is open, without messages (the end of the
// program). Leaves UsbOpenFlag cleared.
void closeAll();

// Records a protocol failure ("what was expected and what came") in
// Global::UsbLastFailure and the log.
void noteFailure(const QString& line);
// Bytes as readable text for logs: printable ASCII as is, others as \xNN.
QString printable(const QByteArray& bytes);

} // namespace UsbLink
