#pragma once
// An I-V curve tracer in the process: it sits behind the same transport as
// the real instrument and speaks its whole command protocol ("#DATE",
// "#INFORMATION_READ", "#E2P_READ" up to "#END", "#DELETE", "#RTC_SET" with
// the time and "#ACK", and the firmware update's "#FLASH", "#ERASE" with its
// blocks and "#WRITE" with the S-record lines). It has knobs for the faults
// a real link shows, and logs every exchange so that a test can assert the
// exact bytes the instrument saw.
//
// It is strict as the instrument is: each command is answered once; idle
// answers come only where the computer asks again ("#DATE",
// "#INFORMATION_READ") or between the packets of the memory; erase blocks
// are taken only in their order, "0" and "#WRITE" only after all 14, and the
// clock only as 12 digits. Anything else is refused: it gets no answer and
// is listed in `refused`, so that a computer that misorders fails its test.
//
// Answers wait in a queue until the computer reads them, one packet per
// read. A read with nothing queued waits at most idleWaitCapMs of its
// time-out (tests: next to nothing) and times out.
#include "platform/UsbTransport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QStringList>

#include <climits>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class SimulatedInstrument : public UsbTransport {
  public:
    SimulatedInstrument() { clock.start(); }

    // ---- What the instrument holds and answers.
    QByteArray dateAnswer = "2024/01/01 00:00:00,3";     // answer to "#DATE"
    QByteArray informationAnswer = "7391_V2.0,KRX-260N"; // answer to "#INFORMATION_READ"
    QList<QByteArray> records;                           // memory content, sent whole by "#E2P_READ"
    int packetSize = 64;                                 // bytes per read-out data packet (1 to 64)

    // ---- Pace.
    int packetDelayMs = 0;   // every answer packet takes this long to arrive
    int eraseDelayMs = 0;    // the erase start and each erase block take this long to answer
    int idleWaitCapMs = 2;   // the longest a read with nothing queued waits (INT_MAX: its whole time-out)

    // ---- Faults.
    int openFailures = 0;       // the next n device opens fail; -1: every one (unplugged)
    bool inPipeFails = false;   // pipe 1 cannot be opened
    bool outPipeFails = false;  // pipe 0 cannot be opened
    int failWriteAt = 0;        // the k-th write (from 1, over the device's life) fails
    int failReadAfterWrite = 0; // the first read after the k-th write fails
    int failReadAt = 0;         // the k-th read that finds an answer (from 1, over the device's life) fails
    int stallAtRead = 0;        // from the k-th such read on, reads time out until the device is closed;
                                // the answer stays queued (an instrument that hangs mid-answer)
    bool lateStale = false;     // what is left queued at a close arrives only after the next command
                                // (an instrument that goes on with its old answer when spoken to)
    int silentAfterWrite = 0;   // from the k-th write on, nothing is answered
    bool silent = false;        // nothing is ever answered (reads time out)
    int busyAnswers = 0;        // the next n "#DATE" or "#INFORMATION_READ" are answered "#FREE"
    int busyBeforeAck = 0;      // idle answers before "#ACK"
    QByteArray idleAnswer = "#FREE";
    bool idleBetweenPackets = false;    // one idle answer between the memory's data packets
    int emptyReads = 0;                 // reads of no bytes before each answer of the firmware update
    bool nulPadding = false;            // every answer padded with NUL bytes to 64 bytes
    bool keepPendingAcrossClose = true; // unread answers stay for the next open
    bool answersWithoutFirmware = true; // after a broken update and a power cycle it still answers "#DATE"

    // The answers to one write, given exactly (no idle answers or padding
    // added): return the packets, or nullopt for the normal behaviour.
    // `writeNo` counts writes from 1 over the device's life.
    std::function<std::optional<QList<QByteArray>>(const QByteArray& written, int writeNo)> answerOverride;
    // Called as every device open begins (`openNo` counts opens from 1 over
    // the device's life); a test may look at the program there or set a fault.
    std::function<void(int openNo)> onOpen;
    // The next write of exactly `command` is answered by `packets` instead
    // (queued per command, used in order).
    void answerOnce(const QByteArray& command, const QList<QByteArray>& packets);
    // Packets left unread by an earlier exchange, waiting before the next open.
    void leaveStale(const QList<QByteArray>& packets);
    // Switched off and on: flash mode and unread answers are gone.
    void powerCycle();

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
    int dataReadCount() const { return dataReads; }
    int pendingAnswers() const { return int(pending.size() + held.size()); }
    bool isOpen() const { return deviceOpen; }
    // Commands refused, each as "<command>: <why>".
    QStringList refused;

    QByteArray clockSetTo;           // the time text that followed "#RTC_SET"
    int deleteCount = 0;             // "#DELETE" commands obeyed
    bool inFlashMode = false;        // after "#FLASH", until a power cycle
    QList<int> erasedBlocks;         // erase blocks 1 to 14, in the order erased
    bool eraseFinished = false;      // after the closing "0"
    QList<QByteArray> firmwareLines; // S-record lines received after "#WRITE"
    bool firmwareIntact = true;      // false from "#ERASE" until the end record is written

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
    QList<QByteArray> refuse(const QByteArray& bytes, const QString& why);
    QList<QByteArray> decorate(const QList<QByteArray>& packets, bool firmwareStep) const;
    QByteArray padded(const QByteArray& packet) const;

    struct Packet {
        QByteArray bytes;
        qint64 readyAt = 0; // on the clock below: not readable before
    };
    std::deque<Packet> pending;
    std::deque<Packet> held; // stale packets waiting for the next command (lateStale)
    QElapsedTimer clock;
    int answerDelayMs = 0; // how long the answer to the command in hand takes
    QMap<QByteArray, std::deque<QList<QByteArray>>> onceAnswers;
    bool deviceOpen = false;
    bool inOpen = false;
    bool outOpen = false;
    int writesSeen = 0;
    int opensSeen = 0;
    int dataReads = 0;
    bool failNextRead = false;
    bool stalled = false;
    bool awaitingClock = false;
    bool erasing = false;
    int nextBlock = 1;
    bool writingFirmware = false;
};

Q_DECLARE_TYPEINFO(SimulatedInstrument::Exchange, Q_RELOCATABLE_TYPE);

// The instrument of `--simulate`: a memory of sample measurements as a real
// instrument holds them (about 30 records of 1184 characters in three array
// groups, of older and newer firmware and several models, with I-V curves of
// plausible modules), or an empty memory; packets paced like a real link.
std::shared_ptr<SimulatedInstrument> MakeDemoInstrument(bool emptyMemory);

// The sample memory's records (1184 characters each).
QList<QByteArray> SampleInstrumentMemory();
