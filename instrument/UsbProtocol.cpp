#include "instrument/UsbProtocol.h"

#include "common/AppGlobals.h"
#include "common/SystemHelpers.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"

#include <QDebug>

namespace {

constexpr int kOpenTries = 5;
// Stale packets drained at an open: at most this many, within this time.
constexpr int kMaxDrainedPackets = 256;
constexpr int kDrainBudgetMs = 1000;

// Reads and drops whatever the instrument still has queued from an earlier
// exchange, so that the first answer read belongs to the first command sent.
void drainStalePackets()
{
    QDeadlineTimer budget(kDrainBudgetMs);
    for (int i = 0; i < kMaxDrainedPackets && !budget.hasExpired(); ++i) {
        auto r = UsbLink::readPipe(Global::hPipeIn, UsbLink::AnswerSize, Global::UsbDrainTimeoutMs);
        if (!r.ok())
            return;
        qInfo().noquote() << "instrument link: dropped a stale packet" << UsbLink::printable(r.bytes);
    }
}

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
        drainStalePackets();
        Global::UsbOpenFlag = true;
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

std::optional<QByteArray> ReadAnswerBytes()
{
    auto r = UsbLink::readPipe(Global::hPipeIn);
    if (r.ok())
        return r.bytes;
    UsbLink::noteFailure(
        r.status == UsbReadStatus::TimedOut
            ? QStringLiteral("expected an answer within %1 ms, got none").arg(Global::UsbReadTimeoutMs)
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
