#include "instrument/FirmwareCheck.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "instrument/FirmwareTransfer.h"
#include "instrument/UsbProtocol.h"
#include "platform/AppPaths.h"
#include "platform/EndProgram.h"
#include "platform/NumText.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Sends `command` and reads its answer, again while the answer is exactly
// "#FREE". nullopt when the instrument gives no answer within the read
// time-out, or nothing but "#FREE" for longer than the idle limit: the
// update is optional, so such an instrument is simply not offered one. A
// read that fails shows 568 and ends the program.
std::optional<QString> askUntilNotFree(const QString& command)
{
    IdleDeadline idle;
    for (;;) {
        SolarSend(command);
        const auto r = UsbLink::readPipe(Global::hPipeIn);
        if (r.status == UsbReadStatus::Failed) {
            UsbLink::noteFailure(QStringLiteral("expected an answer to %1, the read failed").arg(command));
            CloseLinkAfterFailure();
            ShowLinkFailure(UiReadFailed);
            EndProgramNow();
        }
        if (r.status == UsbReadStatus::TimedOut) {
            UsbLink::noteFailure(QStringLiteral("expected an answer to %1 within %2 ms, got none: no update offered")
                                     .arg(command)
                                     .arg(Global::UsbReadTimeoutMs));
            return std::nullopt;
        }
        QString text = AnswerText(r.bytes);
        if (text != QLatin1String("#FREE"))
            return text;
        if (idle.expired()) {
            UsbLink::noteFailure(
                QStringLiteral("expected an answer to %1, got only \"#FREE\" for %2 ms: no update offered")
                    .arg(command)
                    .arg(Global::UsbIdleLimitMs));
            return std::nullopt;
        }
    }
}

// Whether a transfer of the firmware file `name` broke off after it had put
// the instrument into flash mode.
bool UpdateLeftIncomplete(const QString& name)
{
    const QString left = RegStrGet(RegKeySystem, RegFirmwareIncomplete);
    return !left.isEmpty() && left.compare(name, Qt::CaseInsensitive) == 0;
}

std::optional<QDateTime> makeTime(int y, int mo, int d, int h, int mi, int s, int maxHour)
{
    QDate date(y, mo, d);
    if (!date.isValid() || h < 0 || h > maxHour || mi < 0 || mi > 59 || s < 0 || s > 59)
        return std::nullopt;
    // Both stamps are wall-clock times of the same zone: compared as such,
    // free of this computer's zone and summer time.
    QDateTime t(date, QTime(0, 0), Qt::UTC);
    return t.addSecs(qint64(h) * 3600 + mi * 60 + s);
}

} // namespace

QString FirmwareFileName(std::uint8_t family, const QString& modelCode)
{
    if (family != 1)
        return QStringLiteral("QTM.MOT");
    const QString code = modelCode.toUpper();
    if (code.left(9) == QLatin1String("7391_V1.0"))
        return QStringLiteral("KRX210.MOT");
    if (code.left(9) == QLatin1String("7391_V2.0"))
        return QStringLiteral("KRX260.MOT");
    if (code.left(4) == QLatin1String("3917"))
        return QStringLiteral("KRX530.MOT");
    return QString();
}

std::optional<QDateTime> InstrumentStampTime(const QString& stamp)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4})[/.\-](\d{1,2})[/.\-](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    auto m = re.match(stamp);
    if (!m.hasMatch())
        return std::nullopt;
    auto num = [&](int i) { return m.captured(i).isEmpty() ? 0 : m.captured(i).toInt(); };
    return makeTime(num(1), num(2), num(3), num(4), num(5), num(6), 23);
}

std::optional<QDateTime> FileStampTime(const QString& stamp)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d{4})/(\d{2})/(\d{2}) (\d{2}):(\d{2}):(\d{2})$)"));
    auto m = re.match(stamp);
    if (!m.hasMatch())
        return std::nullopt;
    auto num = [&](int i) { return m.captured(i).toInt(); };
    // The stamp's hour runs on past 23 instead of turning the date.
    return makeTime(num(1), num(2), num(3), num(4), num(5), num(6), 47);
}

bool FirmwareFileIsNewer(const QDateTime& instrument, const QDateTime& file)
{
    return instrument.addSecs(60) < file;
}

FirmwareCheckResult StartupFirmwareCheck()
{
    if (!IV_TRACER_DEVICE_OPEN(false)) {
        IV_TRACER_DEVICE_CLOSE();
        return FirmwareCheckResult::NoInstrument;
    }
    auto noUpdate = [] {
        CloseLinkAfterFailure();
        return FirmwareCheckResult::NoUpdate;
    };

    const std::optional<QString> date = askUntilNotFree(QStringLiteral("#DATE"));
    if (!date)
        return noUpdate();
    QString stamp = *date;
    Global::InstrumentFamily = 0;
    if (date->contains(u',')) {
        stamp = date->section(u',', 0, 0);
        Global::InstrumentFamily = NumText::Val(date->section(u',', 1, 1)) >= 5 ? 0 : 1;
    }

    QString name;
    if (Global::InstrumentFamily == 1) {
        const std::optional<QString> info = askUntilNotFree(QStringLiteral("#INFORMATION_READ"));
        if (!info)
            return noUpdate();
        if (!info->contains(u',')) {
            UsbLink::noteFailure(
                QStringLiteral("expected a model code and \",\" from #INFORMATION_READ, got \"%1\"")
                    .arg(*info));
            CloseLinkAfterFailure();
            ShowLinkFailure(UiReadFailed, QStringLiteral("\r\n\r\n[") + *info + u']');
            EndProgramNow();
        }
        name = FirmwareFileName(1, info->section(u',', 0, 0));
    } else {
        name = FirmwareFileName(0, QString());
    }

    if (!name.isEmpty()) {
        const QString root = AppPaths::driveCRoot();
        const QString listed = AppPaths::findCaseInsensitive(root, name);
        const QString path = root + u'/' + listed;
        if (!listed.isEmpty() && QFileInfo(path).isFile()) {
            const auto instrumentTime = InstrumentStampTime(stamp);
            const auto fileTime = FileStampTime(GetFileStamp(path));
            if (!instrumentTime)
                UsbLink::noteFailure(
                    QStringLiteral("expected a firmware date and time, got \"%1\"").arg(stamp));
            // An update that broke off is offered again, whatever the
            // instrument now says its firmware is.
            const bool newer = instrumentTime && fileTime && FirmwareFileIsNewer(*instrumentTime, *fileTime);
            if (newer || UpdateLeftIncomplete(name)) {
                // A file the transfer would refuse is never offered.
                QString why;
                if (LoadFirmwareFile(path, &why)) {
                    Global::FirmwareFilePath = path;
                    Global::FirmwareWizardActive = true;
                    return FirmwareCheckResult::UpdateOffered;
                }
                UsbLink::noteFailure(QStringLiteral("firmware file %1 not offered: %2").arg(path, why));
            }
        }
    }
    IV_TRACER_DEVICE_CLOSE();
    return FirmwareCheckResult::NoUpdate;
}
