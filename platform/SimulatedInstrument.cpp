#include "platform/SimulatedInstrument.h"

#include "platform/UsbLink.h"

#include <QString>

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

} // namespace

void SimulatedInstrument::answerOnce(const QByteArray& command, const QList<QByteArray>& packets)
{
    onceAnswers[command].push_back(packets);
}

void SimulatedInstrument::leaveStale(const QList<QByteArray>& packets)
{
    for (const QByteArray& p : packets)
        pending.push_back(p);
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
    if (!keepPendingAcrossClose)
        pending.clear();
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

    // The instrument acts on every command; a scripted answer only
    // replaces what it says back.
    QList<QByteArray> answer = decorate(respond(bytes));
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
            pending.push_back(p);
    if (failReadAfterWrite == n)
        failNextRead = true;
    return true;
}

UsbReadStatus SimulatedInstrument::read(int pipeHandle, QByteArray& out, int maxLength, int /*timeoutMs*/)
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
    if (pending.empty()) {
        log.append({Exchange::ReadTimedOut, {}, 1});
        return UsbReadStatus::TimedOut;
    }
    QByteArray packet = pending.front();
    pending.pop_front();
    if (packet.size() > maxLength) {
        pending.push_front(packet.mid(maxLength));
        packet.truncate(maxLength);
    }
    out = packet;
    log.append({Exchange::Read, packet, 1});
    return UsbReadStatus::Ok;
}

QList<QByteArray> SimulatedInstrument::respond(const QByteArray& bytes)
{
    if (awaitingClock) {
        awaitingClock = false;
        clockSetTo = bytes;
        return {QByteArray("#ACK")};
    }
    if (bytes == "#DATE")
        return {dateAnswer};
    if (bytes == "#INFORMATION_READ")
        return {informationAnswer};
    if (bytes == "#E2P_READ") {
        QByteArray memory;
        for (const QByteArray& r : records)
            memory += r;
        const int size = qBound(1, packetSize, 64);
        QList<QByteArray> packets;
        for (qsizetype at = 0; at < memory.size(); at += size) {
            if (idleBetweenPackets && at > 0)
                packets.append(idleAnswer);
            packets.append(padded(memory.mid(at, size)));
        }
        packets.append(QByteArray("#END"));
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
        return {QByteArray("#READY")};
    }
    if (bytes == "#ERASE") {
        if (!inFlashMode)
            return {QByteArray("#ERROR")};
        erasing = true;
        return {QByteArray("INIT.SUCCESS")};
    }
    if (erasing) {
        if (bytes == "0") {
            erasing = false;
            eraseFinished = true;
            return {};
        }
        if (int k = blockNumber(bytes)) {
            erasedBlocks.append(k);
            return {QByteArray("ERASE SUCCESS")};
        }
        return {QByteArray("#ERROR")};
    }
    if (bytes == "#WRITE") {
        if (!inFlashMode || !eraseFinished)
            return {QByteArray("#ERROR")};
        writingFirmware = true;
        return {QByteArray("INIT.SUCCESS")};
    }
    if (writingFirmware && bytes.startsWith('S')) {
        firmwareLines.append(bytes);
        if (bytes.startsWith("S9"))
            return {QByteArray("WRITE SUCCESS")};
        return {QByteArray("READY")};
    }
    // A command the instrument does not know goes unanswered.
    return {};
}

QByteArray SimulatedInstrument::padded(const QByteArray& packet) const
{
    if (!nulPadding || packet.size() >= 64)
        return packet;
    return packet + QByteArray(64 - packet.size(), '\0');
}

QList<QByteArray> SimulatedInstrument::decorate(const QList<QByteArray>& packets) const
{
    if (packets.isEmpty())
        return packets;
    QList<QByteArray> out;
    for (int i = 0; i < emptyReads; ++i)
        out.append(QByteArray());
    for (int i = 0; i < idleAnswers; ++i)
        out.append(padded(idleAnswer));
    for (const QByteArray& p : packets)
        out.append(padded(p));
    return out;
}
