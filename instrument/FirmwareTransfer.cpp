#include "instrument/FirmwareTransfer.h"

#include "common/AppGlobals.h"
#include "instrument/UsbProtocol.h"
#include "platform/AnsiCodec.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FileIo.h"
#include "platform/NumText.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Larger than any firmware the instruments take; a bigger file is no firmware.
constexpr qint64 kMaxFirmwareBytes = 16 * 1024 * 1024;

const QByteArray kInitSuccess("INIT.SUCCESS");

// Once "#FLASH" went out, the instrument's firmware is no longer sure to be
// whole: every failure from then on says so.
bool FirmwareMayBeIncomplete()
{
    return !RegStrGet(RegKeySystem, RegFirmwareIncomplete).isEmpty();
}

QString IncompleteNote()
{
    return FirmwareMayBeIncomplete() ? QStringLiteral("\r\n\r\n") + Global::UiText.value(UiFirmwareIncomplete)
                                     : QString();
}

[[noreturn]] void fail(int key, const QString& line)
{
    UsbLink::noteFailure(QStringLiteral("firmware transfer: ") + line);
    CloseLinkAfterFailure();
    ShowLinkFailure(key, IncompleteNote());
    EndProgramNow();
}

void send(const QByteArray& bytes)
{
    if (!UsbLink::writePipe(Global::hPipeOut, bytes))
        fail(UiSendFailed, QStringLiteral("write of %1 failed").arg(UsbLink::printable(bytes)));
}

QByteArray readAnswer(const char* expected, int timeoutMs = -1)
{
    const int limit = timeoutMs < 0 ? Global::UsbReadTimeoutMs : timeoutMs;
    auto r = UsbLink::readPipe(Global::hPipeIn, UsbLink::AnswerSize, limit);
    if (!r.ok())
        fail(UiReadFailed, QStringLiteral("expected %1, the read %2")
                               .arg(QString::fromLatin1(expected),
                                    r.status == UsbReadStatus::TimedOut
                                        ? QStringLiteral("timed out after %1 ms").arg(limit)
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

// A line as the transfer sends it: without blanks and CRs around it.
QByteArray TrimmedLine(const QByteArray& line)
{
    qsizetype b = 0;
    qsizetype e = line.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (b < e && blank(line[b]))
        ++b;
    while (e > b && blank(line[e - 1]))
        --e;
    return line.mid(b, e - b);
}

bool IsEndRecord(const QByteArray& line)
{
    return line.size() >= 2 && (line[0] == 'S' || line[0] == 's') && line[1] >= '7' && line[1] <= '9';
}

void startFlashMode(const QString& fileName)
{
    send("#FLASH");
    // From here on the instrument may be in flash mode.
    RegStrSet(RegKeySystem, RegFirmwareIncomplete, fileName.isEmpty() ? QStringLiteral("?") : fileName);
    QByteArray answer = readAnswer("\"#READY\"");
    if (answer != "#READY")
        fail(UiFlashModeRefused, QStringLiteral("expected \"#READY\" to #FLASH") + got(answer));
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

    // Records end in CR LF (a lone CR ends one as well). A line feed without
    // its CR would stay part of the record the instrument is sent.
    for (qsizetype i = 0, line = 1; i < bytes->size(); ++i) {
        const char c = bytes->at(i);
        if (c == '\r' && i + 1 < bytes->size() && bytes->at(i + 1) == '\n')
            ++i;
        if (c == '\n')
            return reject(QStringLiteral("line %1 ends in a line feed without a carriage return").arg(line));
        if (c == '\r')
            ++line;
    }

    static const QRegularExpression record(QStringLiteral("^[Ss][0-9][0-9A-Fa-f]*$"));
    FirmwareImage image;
    image.length = bytes->size();
    QByteArray last;
    const QList<QByteArray> raw = AnsiCodec::splitLineBytes(*bytes);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QByteArray line = TrimmedLine(raw[i]);
        image.lines.append(line);
        if (line.isEmpty())
            continue;
        if (line.size() > UsbLink::CommandBufferSize)
            return reject(QStringLiteral("line %1 is longer than 65 characters").arg(i + 1));
        if (!record.match(QString::fromLatin1(line)).hasMatch())
            return reject(QStringLiteral("line %1 is not an S-record").arg(i + 1));
        last = line;
    }
    if (last.isEmpty())
        return reject(QStringLiteral("no S-record"));
    if (!IsEndRecord(last))
        return reject(QStringLiteral("the last record is no end record (S7, S8, S9)"));
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
    startFlashMode(QFileInfo(Global::FirmwareFilePath).fileName());
}

void EraseFlash(const TransferHooks& hooks)
{
    runEvents(hooks);
    send("#ERASE");
    QByteArray answer;
    {
        IdleDeadline idle;
        for (;;) {
            answer = readAnswer("\"INIT.SUCCESS\" to #ERASE", Global::UsbEraseTimeoutMs);
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
            answer = readAnswer("\"ERASE SUCCESS\"", Global::UsbEraseTimeoutMs);
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

    // What the instrument said since the start-up check is not an answer to
    // the update.
    DrainLink();
    startFlashMode(QFileInfo(path).fileName());
    EraseFlash(hooks);

    send("#WRITE");
    bool accepted = false;
    QByteArray answer;
    for (int i = 0; i < 2 && !accepted; ++i) {
        answer = DropNul(readAnswer("\"INIT.SUCCESS\" to #WRITE"));
        accepted = answer.left(12) == kInitSuccess;
    }
    // The instrument does not take the firmware, though it was erased: a
    // failure, never a finished update, but one the program survives.
    if (!accepted) {
        UsbLink::noteFailure(QStringLiteral("firmware transfer: expected \"INIT.SUCCESS\" to #WRITE") + got(answer));
        ShowLinkFailure(UiLineNotAccepted, IncompleteNote());
        return TransferResult::NotAccepted;
    }

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
    RegStrSet(RegKeySystem, RegFirmwareIncomplete, QString());
    if (hooks.progress)
        hooks.progress(100);
    return TransferResult::Written;
}
