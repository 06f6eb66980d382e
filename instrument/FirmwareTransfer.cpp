#include "instrument/FirmwareTransfer.h"

#include "common/AppGlobals.h"
#include "instrument/UsbProtocol.h"
#include "platform/AnsiCodec.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Larger than any firmware the instruments take; a bigger file is no firmware.
constexpr qint64 kMaxFirmwareBytes = 16 * 1024 * 1024;

const QByteArray kInitSuccess("INIT.SUCCESS");

[[noreturn]] void fail(int key, const QString& line)
{
    UsbLink::noteFailure(QStringLiteral("firmware transfer: ") + line);
    ShowLinkFailure(key);
    EndProgramNow();
}

void send(const QByteArray& bytes)
{
    if (!UsbLink::writePipe(Global::hPipeOut, bytes))
        fail(UiSendFailed, QStringLiteral("write of %1 failed").arg(UsbLink::printable(bytes)));
}

QByteArray readAnswer(const char* expected)
{
    auto r = UsbLink::readPipe(Global::hPipeIn);
    if (!r.ok())
        fail(UiReadFailed, QStringLiteral("expected %1, the read %2")
                               .arg(QString::fromLatin1(expected), r.status == UsbReadStatus::TimedOut
                                                                       ? QStringLiteral("timed out")
                                                                       : QStringLiteral("failed")));
    return r.bytes;
}

// One more idle round (an empty read or a passed-over "INIT.SUCCESS");
// beyond the idle limit the wait counts as a failed read.
void idleRound(const IdleDeadline& idle, const char* expected)
{
    if (idle.expired())
        fail(UiReadFailed, QStringLiteral("expected %1, got only idle answers for %2 ms")
                               .arg(QString::fromLatin1(expected))
                               .arg(Global::UsbIdleLimitMs));
}

void runEvents(const TransferHooks& hooks)
{
    if (hooks.processEvents)
        hooks.processEvents();
}

QString got(const QByteArray& answer)
{
    return QStringLiteral(", got ") + UsbLink::printable(answer);
}

} // namespace

std::optional<FirmwareImage> LoadFirmwareFile(const QString& path, QString* why)
{
    auto reject = [&](const QString& reason) -> std::optional<FirmwareImage> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return reject(QStringLiteral("no such file"));
    if (info.size() > kMaxFirmwareBytes)
        return reject(QStringLiteral("file too large"));
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return reject(QStringLiteral("cannot be read"));

    static const QRegularExpression record(QStringLiteral("^S[0-9][0-9A-Fa-f]*$"));
    FirmwareImage image;
    image.length = bytes->size();
    image.lines = AnsiCodec::splitLineBytes(*bytes);
    QByteArray last;
    for (qsizetype i = 0; i < image.lines.size(); ++i) {
        const QByteArray& line = image.lines[i];
        if (line.isEmpty())
            continue;
        if (line.size() > 65)
            return reject(QStringLiteral("line %1 is longer than 65 characters").arg(i + 1));
        if (!record.match(QString::fromLatin1(line)).hasMatch())
            return reject(QStringLiteral("line %1 is not an S-record").arg(i + 1));
        last = line;
    }
    if (!last.startsWith("S9"))
        return reject(QStringLiteral("the last record is not an S9 record"));
    return image;
}

int TransferProgress(qint64 remaining, qint64 length)
{
    if (length <= 0)
        return 100;
    return 100 - NumText::CLng(double(remaining) * 100.0 / double(length));
}

void StartFlashMode()
{
    send("#FLASH");
    QByteArray answer = readAnswer("\"#READY\"");
    if (answer != "#READY")
        fail(UiFlashModeRefused, QStringLiteral("expected \"#READY\" to #FLASH") + got(answer));
}

void EraseFlash(const TransferHooks& hooks)
{
    runEvents(hooks);
    send("#ERASE");
    QByteArray answer;
    {
        IdleDeadline idle;
        for (;;) {
            answer = readAnswer("\"INIT.SUCCESS\" to #ERASE");
            if (!answer.isEmpty())
                break;
            idleRound(idle, "\"INIT.SUCCESS\" to #ERASE");
        }
    }
    if (answer != kInitSuccess)
        fail(UiEraseRefused, QStringLiteral("expected \"INIT.SUCCESS\" to #ERASE") + got(answer));

    for (int k = 1; k <= 14; ++k) {
        const QByteArray block(1, "0123456789ABCDEF"[k]);
        send(block);
        IdleDeadline idle;
        for (;;) {
            answer = readAnswer("\"ERASE SUCCESS\"");
            if (answer != kInitSuccess)
                break;
            idleRound(idle, "\"ERASE SUCCESS\"");
        }
        if (answer != "ERASE SUCCESS")
            fail(UiBlockNotErased,
                 QStringLiteral("expected \"ERASE SUCCESS\" to block %1").arg(QString::fromLatin1(block)) +
                     got(answer));
    }
    send("0");
}

TransferResult WriteFirmware(const QString& path, const TransferHooks& hooks)
{
    QString why;
    const auto image = LoadFirmwareFile(path, &why);
    if (!image) {
        UsbLink::noteFailure(QStringLiteral("firmware file %1 refused: %2").arg(path, why));
        MsgBox(Global::UiText.value(UiFirmwareFileBad), vbOKOnly | vbCritical,
               Global::UiText.value(UiLinkErrorTitle));
        return TransferResult::FileRejected;
    }

    StartFlashMode();
    EraseFlash(hooks);

    send("#WRITE");
    bool accepted = false;
    QByteArray answer;
    for (int i = 0; i < 2 && !accepted; ++i) {
        answer = DropNul(readAnswer("\"INIT.SUCCESS\" to #WRITE"));
        accepted = answer.left(12) == kInitSuccess;
    }
    // An instrument that does not take the firmware has been erased: that is
    // a failure, never a finished update.
    if (!accepted)
        fail(UiLineNotAccepted, QStringLiteral("expected \"INIT.SUCCESS\" to #WRITE") + got(answer));

    qint64 remaining = image->length;
    for (const QByteArray& line : image->lines) {
        remaining -= line.size();
        if (!line.isEmpty() && !line.startsWith("S0")) {
            send(line);
            IdleDeadline idle;
            for (;;) {
                answer = readAnswer("\"READY\" or \"WRITE SUCCESS\"");
                if (answer.isEmpty()) {
                    runEvents(hooks);
                    idleRound(idle, "\"READY\" or \"WRITE SUCCESS\"");
                    continue;
                }
                if (answer == kInitSuccess) {
                    idleRound(idle, "\"READY\" or \"WRITE SUCCESS\"");
                    continue;
                }
                break;
            }
            if (answer != "READY" && answer != "WRITE SUCCESS")
                fail(UiLineNotAccepted, QStringLiteral("expected \"READY\" or \"WRITE SUCCESS\" to %1")
                                                .arg(UsbLink::printable(line)) +
                                            got(answer));
        }
        if (hooks.progress)
            hooks.progress(TransferProgress(remaining, image->length));
        runEvents(hooks);
    }
    if (hooks.progress)
        hooks.progress(100);
    return TransferResult::Written;
}
