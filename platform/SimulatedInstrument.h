#pragma once
// An I-V curve tracer in the process: it sits behind the same transport as
// the real instrument and speaks its whole command protocol ("#DATE",
// "#INFORMATION_READ", "#E2P_READ" up to "#END", "#DELETE", "#RTC_SET" with
// the time and "#ACK", and the firmware update's "#FLASH", "#ERASE" with its
// blocks and "#WRITE" with the S-record lines). It answers at once, has
// knobs for the faults a real link shows, and logs every exchange so that a
// test can assert the exact bytes the instrument saw.
//
// Answers wait in a queue until the computer reads them, one packet per
// read; a read with nothing queued times out at once (no real waiting).
#include "platform/UsbTransport.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class SimulatedInstrument : public UsbTransport {
  public:
    // ---- What the instrument holds and answers.
    QByteArray dateAnswer = "2024/01/01 00:00:00,3";     // answer to "#DATE"
    QByteArray informationAnswer = "7391_V2.0,KRX-260N"; // answer to "#INFORMATION_READ"
    QList<QByteArray> records;                           // memory content, sent whole by "#E2P_READ"
    int packetSize = 64;                                 // bytes per read-out data packet (1 to 64)

    // ---- Faults.
    int openFailures = 0;       // the next n device opens fail; -1: every one (unplugged)
    bool inPipeFails = false;   // pipe 1 cannot be opened
    bool outPipeFails = false;  // pipe 0 cannot be opened
    int failWriteAt = 0;        // the k-th write (from 1, over the device's life) fails
    int failReadAfterWrite = 0; // the first read after the k-th write fails
    int silentAfterWrite = 0;   // from the k-th write on, nothing is answered
    bool silent = false;        // nothing is ever answered (reads time out)
    int idleAnswers = 0;        // idle answers queued before each answer
    QByteArray idleAnswer = "#FREE";
    bool idleBetweenPackets = false;    // also one idle answer between read-out data packets
    int emptyReads = 0;                 // reads of no bytes queued before each answer
    bool nulPadding = false;            // every answer padded with NUL bytes to 64 bytes
    bool keepPendingAcrossClose = true; // unread answers stay for the next open

    // The answers to one write, given exactly (no idle answers or padding
    // added): return the packets, or nullopt for the normal behaviour.
    // `writeNo` counts writes from 1 over the device's life.
    std::function<std::optional<QList<QByteArray>>(const QByteArray& written, int writeNo)> answerOverride;
    // The next write of exactly `command` is answered by `packets` instead
    // (queued per command, used in order).
    void answerOnce(const QByteArray& command, const QList<QByteArray>& packets);
    // Packets left unread by an earlier exchange, waiting before the next open.
    void leaveStale(const QList<QByteArray>& packets);

    // ---- What it saw and did.
    struct Exchange {
        enum Kind {
            OpenDevice,
            OpenDeviceFailed,
            OpenPipe,
            OpenPipeFailed,
            ClosePipe,
            CloseDevice,
            Write,
            WriteFailed,
            Read,
            ReadTimedOut,
            ReadFailed,
        } kind;
        QByteArray bytes; // written or read bytes
        int pipe = -1;
    };
    QList<Exchange> log;
    // The bytes of every successful write, in order.
    QList<QByteArray> writes() const;
    // The log as lines: "open device", "open pipe 1", "write \"#DATE\"",
    // "read \"#FREE\"", "read: timed out", "close device", ...
    QStringList transcript() const;
    int writeCount() const { return writesSeen; }
    int pendingAnswers() const { return int(pending.size()); }
    bool isOpen() const { return deviceOpen; }

    QByteArray clockSetTo;           // the time text that followed "#RTC_SET"
    int deleteCount = 0;             // "#DELETE" commands obeyed
    bool inFlashMode = false;        // after "#FLASH"
    QList<int> erasedBlocks;         // erase blocks 1 to 14, in the order erased
    bool eraseFinished = false;      // after the closing "0"
    QList<QByteArray> firmwareLines; // S-record lines received after "#WRITE"

    // ---- The transport.
    int openDevice(std::uint16_t vendorId, std::uint16_t productId) override;
    int openPipe(int device, int interfaceNo, int pipe) override;
    void closePipe(int pipeHandle) override;
    void closeDevice(int device) override;
    bool write(int pipeHandle, const QByteArray& bytes, int timeoutMs) override;
    UsbReadStatus read(int pipeHandle, QByteArray& out, int maxLength, int timeoutMs) override;

    static constexpr int DeviceHandle = 1;
    static constexpr int OutPipeHandle = 10;
    static constexpr int InPipeHandle = 11;

  private:
    QList<QByteArray> respond(const QByteArray& bytes);
    QList<QByteArray> decorate(const QList<QByteArray>& packets) const;
    QByteArray padded(const QByteArray& packet) const;

    std::deque<QByteArray> pending;
    QMap<QByteArray, std::deque<QList<QByteArray>>> onceAnswers;
    bool deviceOpen = false;
    bool inOpen = false;
    bool outOpen = false;
    int writesSeen = 0;
    bool failNextRead = false;
    bool awaitingClock = false;
    bool erasing = false;
    bool writingFirmware = false;
};
