#include "instrument/ReadOut.h"

#include "common/FileHelpers.h"
#include "common/Controls.h"
#include "common/FrmMessWindow.h"
#include "common/Global.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "common/SystemHelpers.h"
#include "common/TextHelpers.h"
#include "instrument/MeasFile.h"
#include "instrument/RecordDecode.h"
#include "instrument/UsbProtocol.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTime>

#include <array>
#include <vector>

namespace {

constexpr int OldSize = 1120;
constexpr int NewSize = 1184;

// A memory far beyond what the table of 801 records can take: the reading
// stops there instead of growing without end, and the read-out ends as it
// would for too many records.
constexpr qsizetype MaxReadOutChars = qsizetype(4) * 1024 * 1024;

// One character per byte: what each byte is on its own in the code page.
const std::array<QChar, 256>& ByteChars()
{
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString s = AnsiCodec::decode(&c, 1);
            t[std::size_t(b)] = s.size() == 1 ? s[0] : QChar(QChar::ReplacementCharacter);
        }
        t[0] = QChar(QChar::ReplacementCharacter); // never used: NUL bytes are dropped
        return t;
    }();
    return table;
}

void AppendAnswer(QString& text, const QByteArray& bytes)
{
    const auto& table = ByteChars();
    for (char c : bytes)
        if (c != '\0')
            text.append(table[std::size_t(static_cast<unsigned char>(c))]);
}

bool StartsWith(const QByteArray& answer, const char* head)
{
    return DropNul(answer).startsWith(head);
}

// A record number that holds a machine-dependent character, or that would
// lead the file out of its folder, cannot name a file.
bool NumberNamesAFile(const QString& number)
{
    return !HasDependentChar(number) && !number.contains(u'/') && !number.contains(u'\\') &&
           !number.contains(QChar(0));
}

// The completion text, with the number of records that were left out.
QString CompletionText(int leftOut)
{
    QString text = Global::UiText.value(UiReadOutDone);
    if (leftOut <= 0)
        return text;
    const bool japanese = Global::UiText.value(1).trimmed() == QLatin1String("81");
    const QString note =
        japanese ? QStringLiteral(
                       "測定番号にファイル名に使えない文字を含むため、%1件のデータを保存しませんでした。")
                 : QStringLiteral("%1 measurement(s) were not saved: their measurement number holds a "
                                  "character that a file name cannot carry.");
    if (!text.isEmpty())
        text += QStringLiteral("\r\n\r\n");
    return text + note.arg(leftOut);
}

// Reads answers until one that begins with "#ACK"; every other answer is
// dropped. False when a read fails, or when no "#ACK" comes within the idle
// limit of the link.
bool WaitForAck()
{
    IdleDeadline idle;
    for (;;) {
        auto answer = ReadAnswerBytes();
        if (!answer)
            return false;
        if (StartsWith(*answer, "#ACK"))
            return true;
        if (idle.expired()) {
            UsbLink::noteFailure(
                QStringLiteral("expected \"#ACK\" after the clock setting, got only %1 for %2 ms")
                    .arg(UsbLink::printable(*answer))
                    .arg(Global::UsbIdleLimitMs));
            return false;
        }
    }
}

// A file to write: the record and the bytes it is written as.
struct PendingFile {
    int record = 0;
    QByteArray bytes;
};

} // namespace

int ReadOutBarMaximum(int recordSize)
{
    return int((double(recordSize) / 64.0 + 1.0) * 400.0 + 2.0);
}

QString ReadOutAnswerText(const QByteArray& bytes)
{
    QString text;
    AppendAnswer(text, bytes);
    return text;
}

void StepRecordTime(MeasRecord& rec)
{
    static const QRegularExpression timeRe(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)$"));
    static const QRegularExpression dateRe(QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d)$"));
    QString& time = rec.F[MeasRecord::Time];
    QString& date = rec.F[MeasRecord::Date];
    int seconds = 0;
    if (const auto m = timeRe.match(time); m.hasMatch()) {
        const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (t.isValid())
            seconds = t.msecsSinceStartOfDay() / 1000;
    }
    ++seconds;
    if (seconds >= 86400) {
        seconds = 0;
        if (const auto m = dateRe.match(date); m.hasMatch()) {
            const QDate d(2000 + m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
            if (d.isValid())
                date = d.addDays(1).toString(QStringLiteral("yy/MM/dd"));
        }
    }
    time = QTime::fromMSecsSinceStartOfDay(seconds * 1000).toString(QStringLiteral("HH:mm:ss"));
}

ReadOutOutcome ReadInstrumentMemory(ReadOutProgress* progress)
{
    ReadOutOutcome out;
    bool progressShown = false;
    auto endProgress = [&] {
        if (progressShown && progress)
            progress->end();
        progressShown = false;
    };
    try {
        // 1. The link.
        if (!IV_TRACER_DEVICE_OPEN(true)) {
            Global::UsbNotFoundFlag = true;
            return out;
        }

        // 2. The progress window, sized by the record size of the last read-out.
        const int maximum = ReadOutBarMaximum(Global::RecordSize);
        int value = 0;
        if (progress)
            progress->begin(maximum, Global::UiText.value(UiReadOutLabel));
        progressShown = true;

        // 3., 4. The memory, up to "#END".
        SolarSend(QStringLiteral("#E2P_READ"));
        QString text;
        IdleDeadline idle;
        for (;;) {
            auto answer = ReadAnswerBytes();
            if (!answer) {
                endProgress();
                IV_TRACER_DEVICE_CLOSE();
                ShowLinkFailure(UiReadFailed);
                return out;
            }
            // Every test below looks at the answer without its NUL bytes.
            const QByteArray bytes = DropNul(*answer);
            if (bytes.startsWith("#END"))
                break;
            const bool idleAnswer = IsIdleAnswer(bytes);
            const bool noData = bytes.isEmpty();
            if (idleAnswer || noData) {
                // A memory that never comes to its end is a failed read.
                if (idle.expired()) {
                    UsbLink::noteFailure(
                        QStringLiteral("expected the memory or \"#END\", got only %1 for %2 ms")
                            .arg(UsbLink::printable(*answer))
                            .arg(Global::UsbIdleLimitMs));
                    endProgress();
                    IV_TRACER_DEVICE_CLOSE();
                    ShowLinkFailure(UiReadFailed);
                    return out;
                }
                if (idleAnswer)
                    continue;
            } else {
                AppendAnswer(text, bytes);
                idle = IdleDeadline();
                if (text.size() > MaxReadOutChars)
                    throw AppError(9);
            }
            if (value + 1 < maximum)
                ++value;
            if (progress)
                progress->advance(value);
        }

        // 5.
        endProgress();
        IV_TRACER_DEVICE_CLOSE();

        // 6. An empty memory.
        if (text.isEmpty()) {
            out.ok = true;
            return out;
        }

        // 7. The record size: 1120 first, for a length both sizes divide.
        const qsizetype length = text.size();
        int size = 0;
        if (length % OldSize == 0)
            size = OldSize;
        else if (length % NewSize == 0)
            size = NewSize;
        else {
            UsbLink::noteFailure(QStringLiteral("expected a whole number of 1120- or 1184-character records, "
                                                "got %1 characters")
                                     .arg(length));
            MsgBox(Global::UiText.value(UiReadOutLength), vbOKOnly | vbExclamation,
                   Global::UiText.value(UiLinkErrorTitle));
            return out;
        }
        Global::RecordSize = size;
        const qsizetype n = length / size;

        // 8. Room in the instrument-data folder.
        const QString forward = Global::DataFolder + QStringLiteral("/FORWARD_DATA");
        if (!MakeFolder(forward + u'/'))
            throw AppError(76);
        if (n + FileCount(forward) >= ForwardFolderCapacity) {
            MsgBox(Global::UiText.value(UiReadOutCapacity), vbOKOnly | vbExclamation);
            return out;
        }

        // 9. The records.
        const RecordDecodeResult decoded = InstrumentRecordDecode(text);
        out.records = decoded.count;
        auto& records = Global::ReadOutRecords;

        // Which file each record becomes. Two records that would share a
        // name are both kept: the same contents once, different contents
        // under a name one second later (again until the name is free).
        std::vector<PendingFile> files;
        files.reserve(std::size_t(decoded.count));
        QHash<QString, int> taken; // file name -> index in `files`
        taken.reserve(decoded.count);
        for (int k = 0; k < decoded.count; ++k) {
            MeasRecord& rec = records[std::size_t(k)];
            if (!NumberNamesAFile(rec.F[MeasRecord::Number])) {
                ++out.leftOut;
                continue;
            }
            QByteArray bytes = MeasFileReadOutBytes(rec, decoded.recordSize);
            QString name = MeasFileName(rec);
            bool same = false;
            bool moved = false;
            for (auto it = taken.constFind(name); it != taken.constEnd(); it = taken.constFind(name)) {
                if (files[std::size_t(it.value())].bytes == bytes) {
                    same = true;
                    break;
                }
                StepRecordTime(rec);
                bytes = MeasFileReadOutBytes(rec, decoded.recordSize);
                name = MeasFileName(rec);
                moved = true;
            }
            if (same) {
                ++out.sameAsEarlier;
                continue;
            }
            if (moved)
                ++out.renamed;
            taken.insert(name, int(files.size()));
            files.push_back({k, std::move(bytes)});
        }

        // 10. FORWARD_DATA.
        if (FolderCheck(forward + u'/').isEmpty() && !MakeFolder(forward + u'/'))
            throw AppError(76);
        for (const PendingFile& f : files) {
            WriteMeasFileBytes(forward, records[std::size_t(f.record)], f.bytes);
            ++out.written;
        }

        // 11. The backup copy, in a folder named by the time now.
        const QDateTime now = CurrentDateTime();
        const QString backup = Global::DataFolder + QStringLiteral("/BACKUP_DATA/") +
                               now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
        if (FolderCheck(backup + u'/').isEmpty() && !MakeFolder(backup + u'/'))
            throw AppError(76);
        out.backupFolder = backup;
        for (const PendingFile& f : files)
            WriteMeasFileBytes(backup, records[std::size_t(f.record)], f.bytes);

        // 12. The instrument's clock, when a record asked for it.
        if (decoded.clockFlag) {
            if (!IV_TRACER_DEVICE_OPEN(true)) {
                Global::UsbNotFoundFlag = true;
                return out;
            }
            SolarSend(QStringLiteral("#RTC_SET"));
            Wait(10);
            SolarSend(CurrentDateTime().toString(QStringLiteral("yyMMddHHmmss")));
            const bool acknowledged = WaitForAck();
            IV_TRACER_DEVICE_CLOSE();
            if (!acknowledged) {
                ShowLinkFailure(UiReadFailed);
                return out;
            }
        }

        // 13.
        MsgBox(CompletionText(out.leftOut), vbOKOnly | vbInformation);
        out.ok = true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        const AppError e = ToAppError(std::current_exception());
        endProgress();
        if (Global::UsbOpenFlag)
            IV_TRACER_DEVICE_CLOSE();
        ShowErrorReport(QStringLiteral("QtmForwordData"), e);
        out.ok = false;
    }
    return out;
}

namespace {

// The progress window over the main window. The reading keeps the event
// loop from running, so the window is repainted explicitly, at most every
// few milliseconds (a repaint per 64-byte answer would cost more than the
// reading itself).
class LoadingWindowProgress : public ReadOutProgress {
  public:
    void begin(int maximum, const QString& label) override
    {
        QWidget* owner = MainWindow();
        window = FrmLoading::Load(owner);
        window->pBar->setRange(0, maximum);
        window->pBar->setValue(0);
        window->LblMess->setText(label);
        window->Show();
        window->LblMess->repaint();
        sinceRepaint.start();
    }
    void advance(int value) override
    {
        if (!window)
            return;
        // The bar is given its value only when it is repainted: setting it
        // costs as much as reading the answer that advanced it.
        if (sinceRepaint.elapsed() >= 30 || value + 1 >= window->pBar->maximum()) {
            window->pBar->setValue(value);
            window->pBar->repaint();
            sinceRepaint.restart();
        }
    }
    void end() override
    {
        FrmLoading::Unload();
        window = nullptr;
    }

  private:
    QPointer<FrmLoading> window;
    QElapsedTimer sinceRepaint;
};

} // namespace

bool QtmForwordData(ReadOutOutcome* outcome)
{
    LoadingWindowProgress progress;
    const ReadOutOutcome r = ReadInstrumentMemory(&progress);
    if (outcome)
        *outcome = r;
    return r.ok;
}
