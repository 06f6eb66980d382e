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
#include "platform/NumText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTime>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int OldSize = 1120;
constexpr int NewSize = 1184;

// A memory far beyond what the table of 801 records can take: the reading
// stops there instead of growing without end, and the read-out ends as it
// would for too many records.
constexpr qsizetype MaxReadOutChars = qsizetype(4) * 1024 * 1024;

// One character per byte, every byte value kept.
const std::array<QChar, 256>& ByteChars()
{
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = AnsiCodec::byteChar((unsigned char)b);
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

QString CountLine(int key, int count)
{
    return Global::UiText.value(key) + u' ' + NumText::Str(count);
}

// Drops the temporary files of an interrupted earlier read-out, in the
// instrument-data folder and in every backup folder.
void RemoveLeftovers(const QString& forward)
{
    RemoveLeftoverTempFiles(forward);
    const QString backupRoot = Global::DataFolder + QStringLiteral("/BACKUP_DATA");
    const QDir root(backupRoot);
    if (!root.exists())
        return;
    for (const QString& sub : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        RemoveLeftoverTempFiles(backupRoot + u'/' + sub);
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

// A file to write: its name and its bytes.
struct PendingFile {
    QString name;
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

QString ReadOutNote(const ReadOutOutcome& outcome, bool savedSoFar)
{
    QStringList lines;
    if (savedSoFar)
        lines << CountLine(UiReadOutSavedSoFar, outcome.written);
    if (outcome.renamed > 0)
        lines << CountLine(UiReadOutRenamed, outcome.renamed);
    if (outcome.leftOut > 0)
        lines << CountLine(UiReadOutLeftOut, outcome.leftOut);
    return lines.join(QStringLiteral("\r\n"));
}

void ShowReadOutSavedNote(const ReadOutOutcome& outcome)
{
    if (outcome.written > 0)
        MsgBox(ReadOutNote(outcome, true), vbOKOnly | vbInformation);
}

int RemoveLeftoverTempFiles(const QString& folder)
{
    // The atomic writer's temporary file is the target's name and ".XXXXXX".
    static const QRegularExpression temp(
        QStringLiteral("^.{6}_.{6}_.{4}-.{2}-.{2}\\.csv\\.[A-Za-z0-9]{6}$"));
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return 0;
    int removed = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!temp.match(name).hasMatch())
            continue;
        if (QFile::remove(dir.filePath(name))) {
            ++removed;
            qInfo().noquote() << "removed the leftover temporary file" << dir.filePath(name);
        }
    }
    return removed;
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
    const LongWork work;
    ReadOutOutcome out;
    bool progressShown = false;
    auto endProgress = [&] {
        if (progressShown && progress)
            progress->end();
        progressShown = false;
    };
    // A failed exchange: the progress window goes, the link is drained and
    // closed, the read failure is shown.
    auto readFailed = [&] {
        endProgress();
        CloseLinkAfterFailure();
        ShowLinkFailure(UiReadFailed);
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
                readFailed();
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
                    readFailed();
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

        // The "#END" must be this answer's own: an instrument that goes on
        // sending was still busy with an older answer.
        const DrainResult after = DrainLink();
        if (after.dataPackets > 0 || !after.quiet) {
            UsbLink::noteFailure(QStringLiteral("expected the instrument to fall silent after \"#END\", got %1 "
                                                "more packets: the answer was not this read-out's own")
                                     .arg(after.dataPackets));
            readFailed();
            return out;
        }

        // 5.
        endProgress();
        IV_TRACER_DEVICE_CLOSE();

        const QString forward = Global::DataFolder + QStringLiteral("/FORWARD_DATA");
        RemoveLeftovers(forward);

        // 6. An empty memory.
        if (text.isEmpty()) {
            MsgBox(Global::UiText.value(UiReadOutEmpty), vbOKOnly | vbInformation);
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
        if (size == 0) {
            UsbLink::noteFailure(
                QStringLiteral("expected a whole number of 1120- or 1184-character records, got %1 characters")
                    .arg(length));
            MsgBox(Global::UiText.value(UiReadOutLength), vbOKOnly | vbExclamation,
                   Global::UiText.value(UiLinkErrorTitle));
            return out;
        }
        Global::RecordSize = size;
        const qsizetype n = length / size;

        // 8. Room in the instrument-data folder.
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

        // Which file each record becomes. A record whose name an earlier
        // record of this read-out took keeps its measured date and time; its
        // name alone moves on a second at a time until it is free.
        std::vector<PendingFile> files;
        files.reserve(std::size_t(decoded.count));
        QSet<QString> taken;
        taken.reserve(decoded.count);
        for (int k = 0; k < decoded.count; ++k) {
            MeasRecord& rec = records[std::size_t(k)];
            if (!NumberNamesAFile(rec.F[MeasRecord::Number])) {
                ++out.leftOut;
                continue;
            }
            QString name = MeasFileName(rec);
            if (taken.contains(name)) {
                MeasRecord later = rec;
                do {
                    StepRecordTime(later);
                    name = MeasFileName(later);
                } while (taken.contains(name));
                ++out.renamed;
            }
            taken.insert(name);
            files.push_back({name, MeasFileReadOutBytes(rec, decoded.recordSize)});
        }

        // 10. FORWARD_DATA.
        if (FolderCheck(forward + u'/').isEmpty() && !MakeFolder(forward + u'/'))
            throw AppError(76);
        for (const PendingFile& f : files) {
            WriteMeasFileBytesAs(forward, f.name, f.bytes);
            ++out.written;
            LongWork::Pump();
        }

        // 11. The backup copy, in a folder named by the time now.
        const QDateTime now = CurrentDateTime();
        const QString backup = Global::DataFolder + QStringLiteral("/BACKUP_DATA/") +
                               now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
        if (FolderCheck(backup + u'/').isEmpty() && !MakeFolder(backup + u'/'))
            throw AppError(76);
        out.backupFolder = backup;
        for (const PendingFile& f : files) {
            WriteMeasFileBytesAs(backup, f.name, f.bytes);
            LongWork::Pump();
        }

        // 12. The instrument's clock, when a record asked for it.
        if (decoded.clockFlag) {
            if (!IV_TRACER_DEVICE_OPEN(true)) {
                Global::UsbNotFoundFlag = true;
                return out;
            }
            SolarSend(QStringLiteral("#RTC_SET"));
            Wait(10);
            SolarSend(CurrentDateTime().toString(QStringLiteral("yyMMddHHmmss")));
            if (!WaitForAck()) {
                CloseLinkAfterFailure();
                ShowLinkFailure(UiReadFailed);
                ShowReadOutSavedNote(out);
                return out;
            }
            IV_TRACER_DEVICE_CLOSE();
        }

        // 13.
        QString done = Global::UiText.value(UiReadOutDone);
        const QString note = ReadOutNote(out, false);
        if (!note.isEmpty())
            done += QStringLiteral("\r\n\r\n") + note;
        MsgBox(done, vbOKOnly | vbInformation);
        out.ok = true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        const AppError e = ToAppError(std::current_exception());
        endProgress();
        if (Global::UsbOpenFlag)
            CloseLinkAfterFailure();
        ShowErrorReport(QStringLiteral("QtmForwordData"), e);
        ShowReadOutSavedNote(out);
        out.ok = false;
    }
    return out;
}

namespace {

// The progress window over the main window.
class LoadingWindowProgress : public ReadOutProgress {
  public:
    void begin(int maximum, const QString& label) override
    {
        window = std::make_unique<LongWorkProgress>(MainWindow(), maximum, label);
    }
    void advance(int value) override
    {
        if (window)
            window->setValue(value);
    }
    void end() override { window.reset(); }

  private:
    std::unique_ptr<LongWorkProgress> window;
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
