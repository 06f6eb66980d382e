#include "instrument/UsbProtocol.h"

#include "common/AppGlobals.h"
#include "common/SystemHelpers.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"

#include <QDebug>
#include <QElapsedTimer>

namespace {

constexpr int kOpenTries = 5;

} // namespace

void RegisterLinkCloseAtEnd()
{
    Global::OnEndProgram = [] { UsbLink::closeAll(); };
}

bool IV_TRACER_DEVICE_OPEN(bool showMsg)
{
    bool result = false;
    try {
        RegisterLinkCloseAtEnd();
        for (int attempt = 1; attempt <= kOpenTries; ++attempt) {
            Global::UsbOpenFlag = false;
            Global::hUsbDevice = UsbLink::openMask();
            if (Global::hUsbDevice != -1)
                break;
            if (attempt < kOpenTries)
                Wait(Global::UsbOpenRetryWaitMs);
        }
        if (Global::hUsbDevice == -1)
            return false;

        Global::hPipeIn = UsbLink::openPipe(Global::hUsbDevice, UsbLink::PipeIn);
        if (Global::hPipeIn == -1) {
            if (showMsg)
                ShowLinkFailure(UiInPipeFailed);
            UsbLink::closeDevice(Global::hUsbDevice);
            return false;
        }
        Global::hPipeOut = UsbLink::openPipe(Global::hUsbDevice, UsbLink::PipeOut);
        if (Global::hPipeOut == -1) {
            if (showMsg)
                ShowLinkFailure(UiOutPipeFailed);
            UsbLink::closePipe(Global::hPipeIn);
            UsbLink::closeDevice(Global::hUsbDevice);
            return false;
        }
        Global::UsbOpenFlag = true;
        DrainLink();
        result = true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        ShowErrorReport(QStringLiteral("IV_TRACER_DEVICE_OPEN"), ToAppError(std::current_exception()));
        result = false;
    }
    return result;
}

void IV_TRACER_DEVICE_CLOSE()
{
    try {
        if (Global::UsbOpenFlag) {
            Global::UsbOpenFlag = false;
            UsbLink::closePipe(Global::hPipeOut);
            UsbLink::closePipe(Global::hPipeIn);
            UsbLink::closeDevice(Global::hUsbDevice);
        }
        Global::UsbOpenFlag = false;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        Global::UsbOpenFlag = false;
        ShowErrorReport(QStringLiteral("IV_TRACER_DEVICE_CLOSE"), ToAppError(std::current_exception()));
    }
}

bool SolarSend(const QString& command)
{
    QByteArray buffer;
    bool built = Guarded(QStringLiteral("SolarSend"), [&] {
        const QList<uint> chars = command.toUcs4();
        for (qsizetype i = 0; i < chars.size(); ++i) {
            if (i >= UsbLink::CommandBufferSize)
                throw AppError(9);
            quint16 code = AnsiCodec::charCode(chars[i]);
            if (code > 0xFF)
                throw AppError(6);
            buffer.append(char(code));
        }
    });
    if (!built)
        return false;
    if (!UsbLink::writePipe(Global::hPipeOut, buffer)) {
        UsbLink::noteFailure(QStringLiteral("write of %1 failed").arg(UsbLink::printable(buffer)));
        ShowLinkFailure(UiSendFailed);
        return false;
    }
    return true;
}

bool IV_TRACER_DEVICE_CHECK()
{
    if (IV_TRACER_DEVICE_OPEN(true))
        IV_TRACER_DEVICE_CLOSE();
    return true;
}

DrainResult DrainLink()
{
    DrainResult result;
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    int dropped = 0;
    for (;;) {
        if (total.elapsed() >= Global::UsbDrainLimitMs) {
            UsbLink::noteFailure(QStringLiteral("expected the instrument to fall silent, it was still sending "
                                                "after %1 ms")
                                     .arg(Global::UsbDrainLimitMs));
            break;
        }
        const int wait = int(qMax<qint64>(1, Global::UsbQuietMs - quiet.elapsed()));
        const auto r = UsbLink::readPipe(Global::hPipeIn, UsbLink::AnswerSize, wait);
        if (r.status == UsbReadStatus::Failed)
            break;
        const QByteArray bytes = DropNul(r.bytes);
        if (r.status == UsbReadStatus::TimedOut || bytes.isEmpty()) {
            if (quiet.elapsed() >= Global::UsbQuietMs) {
                result.quiet = true;
                break;
            }
            continue;
        }
        quiet.restart();
        ++dropped;
        if (!IsIdleAnswer(bytes))
            ++result.dataPackets;
        if (dropped <= 3)
            qInfo().noquote() << "instrument link: dropped a stale packet" << UsbLink::printable(r.bytes);
    }
    if (dropped > 3)
        qInfo().noquote() << "instrument link: dropped" << dropped << "stale packets";
    return result;
}

void CloseLinkAfterFailure()
{
    if (Global::UsbOpenFlag)
        DrainLink();
    IV_TRACER_DEVICE_CLOSE();
}

std::optional<QByteArray> ReadAnswerBytes(int timeoutMs)
{
    const int limit = timeoutMs < 0 ? Global::UsbReadTimeoutMs : timeoutMs;
    auto r = UsbLink::readPipe(Global::hPipeIn, UsbLink::AnswerSize, limit);
    if (r.ok())
        return r.bytes;
    UsbLink::noteFailure(r.status == UsbReadStatus::TimedOut
                             ? QStringLiteral("expected an answer within %1 ms, got none").arg(limit)
                             : QStringLiteral("expected an answer, the read failed"));
    return std::nullopt;
}

QByteArray DropNul(const QByteArray& bytes)
{
    if (!bytes.contains('\0'))
        return bytes;
    QByteArray out = bytes;
    out.replace('\0', QByteArray());
    return out;
}

QString AnswerText(const QByteArray& bytes)
{
    return AnsiCodec::decode(DropNul(bytes));
}

bool IsIdleAnswer(const QByteArray& bytes)
{
    const QByteArray a = DropNul(bytes);
    return a.startsWith("#FREE") || a.startsWith("#BUSY") || a.startsWith("#READY");
}

void ShowLinkFailure(int key, const QString& extra)
{
    MsgBox(Global::UiText.value(key) + extra, vbOKOnly | vbCritical, Global::UiText.value(UiLinkErrorTitle));
}
