#include "platform/SimulatedInstrument.h"

#include "platform/UsbLink.h"

#include <QDebug>
#include <QString>
#include <QThread>

#include <algorithm>

namespace {

// Erase block number of a one-byte block command ("1" to "9", "A" to "E"), or 0.
int blockNumber(const QByteArray& bytes)
{
    if (bytes.size() != 1)
        return 0;
    char c = bytes[0];
    if (c >= '1' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'E')
        return c - 'A' + 10;
    return 0;
}

bool isClockText(const QByteArray& bytes)
{
    return bytes.size() == 12 && std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The end record of an S-record file ("S7", "S8" or "S9", any case).
bool isEndRecord(const QByteArray& line)
{
    return line.size() >= 2 && (line[0] == 'S' || line[0] == 's') && line[1] >= '7' && line[1] <= '9';
}

void sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

} // namespace

void SimulatedInstrument::answerOnce(const QByteArray& command, const QList<QByteArray>& packets)
{
    onceAnswers[command].push_back(packets);
}

void SimulatedInstrument::leaveStale(const QList<QByteArray>& packets)
{
    for (const QByteArray& p : packets)
        pending.push_back({p, 0});
}

void SimulatedInstrument::powerCycle()
{
    pending.clear();
    held.clear();
    inFlashMode = erasing = writingFirmware = awaitingClock = stalled = false;
}

QList<QByteArray> SimulatedInstrument::writes() const
{
    QList<QByteArray> w;
    for (const Exchange& e : log)
        if (e.kind == Exchange::Write)
            w.append(e.bytes);
    return w;
}

QStringList SimulatedInstrument::transcript() const
{
    QStringList lines;
    for (const Exchange& e : log) {
        switch (e.kind) {
        case Exchange::OpenDevice:
            lines << QStringLiteral("open device");
            break;
        case Exchange::OpenDeviceFailed:
            lines << QStringLiteral("open device: failed");
            break;
        case Exchange::OpenPipe:
            lines << QStringLiteral("open pipe %1").arg(e.pipe);
            break;
        case Exchange::OpenPipeFailed:
            lines << QStringLiteral("open pipe %1: failed").arg(e.pipe);
            break;
        case Exchange::ClosePipe:
            lines << QStringLiteral("close pipe %1").arg(e.pipe);
            break;
        case Exchange::CloseDevice:
            lines << QStringLiteral("close device");
            break;
        case Exchange::Write:
            lines << QStringLiteral("write ") + UsbLink::printable(e.bytes);
            break;
        case Exchange::WriteFailed:
            lines << QStringLiteral("write ") + UsbLink::printable(e.bytes) + QStringLiteral(": failed");
            break;
        case Exchange::Read:
            lines << QStringLiteral("read ") + UsbLink::printable(e.bytes);
            break;
        case Exchange::ReadTimedOut:
            lines << QStringLiteral("read: timed out");
            break;
        case Exchange::ReadFailed:
            lines << QStringLiteral("read: failed");
            break;
        }
    }
    return lines;
}

int SimulatedInstrument::openDevice(std::uint16_t vendorId, std::uint16_t productId)
{
    if (onOpen)
        onOpen(++opensSeen);
    bool fails = openFailures < 0 || vendorId != 0x0547 || productId != 0x2002;
    if (!fails && openFailures > 0) {
        --openFailures;
        fails = true;
    }
    if (fails) {
        log.append({Exchange::OpenDeviceFailed, {}, -1});
        return -1;
    }
    deviceOpen = true;
    log.append({Exchange::OpenDevice, {}, -1});
    return DeviceHandle;
}

int SimulatedInstrument::openPipe(int device, int interfaceNo, int pipe)
{
    bool fails = device != DeviceHandle || !deviceOpen || interfaceNo != 0 || (pipe != 0 && pipe != 1) ||
                 (pipe == 1 && inPipeFails) || (pipe == 0 && outPipeFails);
    if (fails) {
        log.append({Exchange::OpenPipeFailed, {}, pipe});
        return -1;
    }
    log.append({Exchange::OpenPipe, {}, pipe});
    if (pipe == 1) {
        inOpen = true;
        return InPipeHandle;
    }
    outOpen = true;
    return OutPipeHandle;
}

void SimulatedInstrument::closePipe(int pipeHandle)
{
    if (pipeHandle == InPipeHandle && inOpen) {
        inOpen = false;
        log.append({Exchange::ClosePipe, {}, 1});
    } else if (pipeHandle == OutPipeHandle && outOpen) {
        outOpen = false;
        log.append({Exchange::ClosePipe, {}, 0});
    }
}

void SimulatedInstrument::closeDevice(int device)
{
    if (device != DeviceHandle || !deviceOpen)
        return;
    deviceOpen = inOpen = outOpen = false;
    failNextRead = false;
    stalled = false;
    if (!keepPendingAcrossClose) {
        pending.clear();
        held.clear();
    } else if (lateStale) {
        // The rest of the old answer comes only once the instrument is
        // spoken to again.
        held.insert(held.end(), pending.begin(), pending.end());
        pending.clear();
    }
    log.append({Exchange::CloseDevice, {}, -1});
}

bool SimulatedInstrument::write(int pipeHandle, const QByteArray& bytes, int /*timeoutMs*/)
{
    if (pipeHandle != OutPipeHandle || !outOpen || !deviceOpen) {
        log.append({Exchange::WriteFailed, bytes, 0});
        return false;
    }
    const int n = ++writesSeen;
    if (failWriteAt == n) {
        log.append({Exchange::WriteFailed, bytes, 0});
        return false;
    }
    log.append({Exchange::Write, bytes, 0});

    // An old answer held back comes first.
    pending.insert(pending.end(), held.begin(), held.end());
    held.clear();

    // The instrument acts on every command; a scripted answer only
    // replaces what it says back.
    answerDelayMs = 0;
    QList<QByteArray> answer = respond(bytes);
    auto once = onceAnswers.find(bytes);
    if (once != onceAnswers.end() && !once->empty()) {
        answer = once->front();
        once->pop_front();
    } else if (auto given = answerOverride ? answerOverride(bytes, n) : std::nullopt) {
        answer = *given;
    }
    bool mute = silent || (silentAfterWrite > 0 && n >= silentAfterWrite);
    if (!mute)
        for (const QByteArray& p : answer)
            pending.push_back({p, clock.elapsed() + answerDelayMs});
    if (failReadAfterWrite == n)
        failNextRead = true;
    return true;
}

UsbReadStatus SimulatedInstrument::read(int pipeHandle, QByteArray& out, int maxLength, int timeoutMs)
{
    out.clear();
    if (pipeHandle != InPipeHandle || !inOpen || !deviceOpen || maxLength <= 0) {
        log.append({Exchange::ReadFailed, {}, 1});
        return UsbReadStatus::Failed;
    }
    if (failNextRead) {
        failNextRead = false;
        log.append({Exchange::ReadFailed, {}, 1});
        return UsbReadStatus::Failed;
    }
    if (!pending.empty() && !stalled && stallAtRead > 0 && dataReads + 1 >= stallAtRead) {
        stalled = true; // once: it lasts until the device is closed
        stallAtRead = 0;
    }
    if (pending.empty() || stalled) {
        sleepMs(std::min(timeoutMs, idleWaitCapMs));
        log.append({Exchange::ReadTimedOut, {}, 1});
        return UsbReadStatus::TimedOut;
    }
    if (const qint64 wait = pending.front().readyAt - clock.elapsed(); wait > 0) {
        sleepMs(int(std::min<qint64>(timeoutMs, wait)));
        // A packet that arrived while the read waited is taken, however long
        // the sleep really took.
        if (pending.front().readyAt > clock.elapsed()) {
            log.append({Exchange::ReadTimedOut, {}, 1});
            return UsbReadStatus::TimedOut;
        }
    }
    if (packetDelayMs > 0) {
        sleepMs(std::min(timeoutMs, packetDelayMs));
        if (packetDelayMs > timeoutMs) {
            log.append({Exchange::ReadTimedOut, {}, 1});
            return UsbReadStatus::TimedOut;
        }
    }
    ++dataReads;
    if (failReadAt == dataReads) {
        log.append({Exchange::ReadFailed, {}, 1});
        return UsbReadStatus::Failed;
    }
    QByteArray packet = pending.front().bytes;
    pending.pop_front();
    if (packet.size() > maxLength) {
        pending.push_front({packet.mid(maxLength), 0});
        packet.truncate(maxLength);
    }
    out = packet;
    log.append({Exchange::Read, packet, 1});
    return UsbReadStatus::Ok;
}

QList<QByteArray> SimulatedInstrument::refuse(const QByteArray& bytes, const QString& why)
{
    const QString line = UsbLink::printable(bytes) + QStringLiteral(": ") + why;
    refused << line;
    qWarning().noquote() << "simulated instrument refused" << line;
    return {};
}

QList<QByteArray> SimulatedInstrument::respond(const QByteArray& bytes)
{
    if (awaitingClock) {
        awaitingClock = false;
        if (!isClockText(bytes))
            return refuse(bytes, QStringLiteral("expected the clock as 12 digits after #RTC_SET"));
        clockSetTo = bytes;
        QList<QByteArray> ack(busyBeforeAck, idleAnswer);
        ack.append(QByteArray("#ACK"));
        return decorate(ack, false);
    }

    if (inFlashMode) {
        if (bytes == "#FLASH")
            return refuse(bytes, QStringLiteral("already in flash mode"));
        if (bytes == "#ERASE") {
            if (erasing || eraseFinished)
                return refuse(bytes, QStringLiteral("erase already started"));
            erasing = true;
            firmwareIntact = false;
            nextBlock = 1;
            erasedBlocks.clear();
            answerDelayMs = eraseDelayMs;
            return decorate({QByteArray("INIT.SUCCESS")}, true);
        }
        if (erasing) {
            if (bytes == "0") {
                if (nextBlock <= 14)
                    return refuse(bytes, QStringLiteral("erase end before block %1").arg(nextBlock));
                erasing = false;
                eraseFinished = true;
                return {};
            }
            const int k = blockNumber(bytes);
            if (k == 0 || k != nextBlock)
                return refuse(bytes, QStringLiteral("expected erase block %1").arg(nextBlock));
            erasedBlocks.append(k);
            ++nextBlock;
            answerDelayMs = eraseDelayMs;
            return decorate({QByteArray("ERASE SUCCESS")}, true);
        }
        if (bytes == "#WRITE") {
            if (!eraseFinished || writingFirmware)
                return refuse(bytes, QStringLiteral("#WRITE before the erase was finished"));
            writingFirmware = true;
            return decorate({QByteArray("INIT.SUCCESS")}, true);
        }
        if (writingFirmware && (bytes.startsWith('S') || bytes.startsWith('s'))) {
            firmwareLines.append(bytes);
            if (isEndRecord(bytes)) {
                firmwareIntact = true;
                return decorate({QByteArray("WRITE SUCCESS")}, true);
            }
            return decorate({QByteArray("READY")}, true);
        }
        return refuse(bytes, QStringLiteral("not a command of the flash mode"));
    }

    if (!firmwareIntact && !answersWithoutFirmware)
        return refuse(bytes, QStringLiteral("no firmware"));
    if (bytes == "#DATE" || bytes == "#INFORMATION_READ") {
        if (busyAnswers > 0) {
            --busyAnswers;
            return {padded(idleAnswer)};
        }
        return {padded(bytes == "#DATE" ? dateAnswer : informationAnswer)};
    }
    if (!firmwareIntact)
        return refuse(bytes, QStringLiteral("no firmware"));
    if (bytes == "#E2P_READ") {
        QByteArray memory;
        for (const QByteArray& r : records)
            memory += r;
        const int size = qBound(1, packetSize, 64);
        QList<QByteArray> packets;
        for (qsizetype at = 0; at < memory.size(); at += size) {
            if (idleBetweenPackets && at > 0)
                packets.append(padded(idleAnswer));
            packets.append(padded(memory.mid(at, size)));
        }
        packets.append(padded(QByteArray("#END")));
        return packets;
    }
    if (bytes == "#DELETE") {
        records.clear();
        ++deleteCount;
        return {};
    }
    if (bytes == "#RTC_SET") {
        awaitingClock = true;
        return {};
    }
    if (bytes == "#FLASH") {
        inFlashMode = true;
        erasing = writingFirmware = eraseFinished = false;
        erasedBlocks.clear();
        firmwareLines.clear();
        return {padded(QByteArray("#READY"))};
    }
    return refuse(bytes, QStringLiteral("unknown command"));
}

QByteArray SimulatedInstrument::padded(const QByteArray& packet) const
{
    if (!nulPadding || packet.size() >= 64)
        return packet;
    return packet + QByteArray(64 - packet.size(), '\0');
}

QList<QByteArray> SimulatedInstrument::decorate(const QList<QByteArray>& packets, bool firmwareStep) const
{
    QList<QByteArray> out;
    if (firmwareStep)
        for (int i = 0; i < emptyReads; ++i)
            out.append(QByteArray());
    for (const QByteArray& p : packets)
        out.append(padded(p));
    return out;
}
