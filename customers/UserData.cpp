#include "customers/UserData.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/Pictures.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace {

using namespace Customer;

const QString UserDataFile = QStringLiteral("UserData.csv");
const QString MakerDataFile = QStringLiteral("MakerData.csv");
const QString MeasDataFile = QStringLiteral("MeasData.csv");
const QString PictureDataFile = QStringLiteral("PictureData.csv");
const QString ContractorFile = QStringLiteral("ConstructionContractor.csv");
const QString MarkedPrefix = QStringLiteral("SEL_OK,");
const QString NoTotal = QStringLiteral("----");
const QString CrLf = QStringLiteral("\r\n");

constexpr int MeasDataPictureLine = 5; // 0-based index of line 6
constexpr int MeasDataMemoLine = 9;    // 0-based index of line 10

// Reads the lines of a file one after the other; past the end it gives
// empty lines, as if the file were padded.
class LineCursor {
  public:
    explicit LineCursor(const QByteArray& bytes) : lines(AnsiCodec::splitLines(bytes)) {}
    bool atEnd() const { return pos >= lines.size(); }
    QString next() { return pos < lines.size() ? lines.at(pos++) : QString(); }
    void skipTo(qsizetype index) { pos = std::max(pos, index); }
    // The remaining lines joined with CR LF (a memo).
    QString rest()
    {
        QStringList tail = pos < lines.size() ? lines.mid(pos) : QStringList();
        pos = lines.size();
        return tail.join(CrLf);
    }

  private:
    QStringList lines;
    qsizetype pos = 0;
};

QByteArray ReadOrThrow(const QString& path)
{
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        throw AppError(75);
    return *bytes;
}

void WriteOrThrow(const QString& path, const QByteArray& bytes)
{
    if (!WriteFileAtomic(path, bytes))
        throw AppError(75);
}

bool FileExists(const QString& path)
{
    return !FileCheck(path).isEmpty();
}

// A real folder (no link to somewhere else).
bool IsPlainFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

// The sub-folders of `folder` whose names hold "_", sorted by name without
// regard to case (the order a user sees). Links are not followed.
QStringList ListUnderscoreFolders(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const QString& n) { return !n.contains(u'_'); }),
        names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString FileNameOfPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

// The name of the picture `path` when it lies in the picture folder
// `pictureFolder` (with closing "/") and exists; else empty.
QString NameInPictureFolder(const QString& path, const QString& pictureFolder)
{
    if (path.isEmpty() || !path.startsWith(pictureFolder))
        return QString();
    const QString name = path.mid(pictureFolder.size());
    if (!IsSafeNamePart(name))
        return QString();
    return FileCheck(path);
}

// What one read collects before it replaces the shared records.
struct CustomerSnapshot {
    UserDataRecordType user;
    ArrayConfigurationType array;
    HistoryRecordArray histories;
    ContractorRecordArray contractors;
    std::int32_t historyCount = 0;
    HistoryFolderNameArray folderNames;
};

// Reads the history folder `name` of the customer folder `customer`.
void ReadHistoryFolder(const QString& customer, const QString& name, HistoryRecordArray& histories,
                       ContractorRecordArray& contractors)
{
    const int number = HistoryFolderNumber(name);
    if (number == 0)
        return; // not a history folder of this program
    const int index = number - 1;
    const QString h = customer + u'/' + name + u'/';
    HistoryRecord& record = histories[index];
    // Of two folders with one number, the record stays with the one whose
    // MeasData.csv it shows, so that a save writes back where it read.
    const QString measPath = h + MeasDataFile;
    const bool hasMeasData = FileExists(measPath);
    if (hasMeasData || record.FolderName.isEmpty())
        record.FolderName = name;

    if (hasMeasData) {
        const QByteArray measBytes = ReadOrThrow(measPath);
        const MeasDataContent meas = ParseMeasData(measBytes, name);
        record.HistoryName = meas.record.HistoryName;
        record.MeasDate = meas.record.MeasDate;
        record.HistoryPmTotal = meas.record.HistoryPmTotal;
        record.HistoryVocTotal = meas.record.HistoryVocTotal;
        record.HistoryIscTotal = meas.record.HistoryIscTotal;
        record.HistoryMemo = meas.record.HistoryMemo;
        for (int j = 0; j < PictureSlots; ++j)
            record.PicturePaths[j] = meas.olderPictures[j];

        const QString pictureName = PictureFolderName();
        if (IsSafeNamePart(pictureName)) {
            const QString p = h + pictureName + u'/';
            if (FolderCheck(p).isEmpty() && !MakeFolder(p))
                throw AppError(76);

            // Older versions kept the full paths of the pictures where the
            // user found them: copy those into the picture folder.
            PictureSlotFlags moved{};
            for (int j = 0; j < PictureSlots; ++j) {
                const QString& older = meas.olderPictures[j];
                if (older.isEmpty() || !QDir::isAbsolutePath(older) || !FileExists(older))
                    continue;
                QString copy;
                if (PicCopySizeDown(older, p, &copy)) {
                    record.PicturePaths[j] = p + copy;
                    moved[j] = true;
                }
            }
            const bool anyMoved = std::find(moved.begin(), moved.end(), true) != moved.end();

            const QString picturePath = h + PictureDataFile;
            if (FileExists(picturePath)) {
                const QByteArray pictureBytes = ReadOrThrow(picturePath);
                const PictureNames names = ParsePictureData(pictureBytes);
                PictureSlotFlags add{};
                bool rewrite = false;
                for (int j = 0; j < PictureSlots; ++j) {
                    if (!names[j].isEmpty())
                        record.PicturePaths[j] = p + names[j];
                    else if (moved[j])
                        add[j] = rewrite = true;
                }
                if (rewrite) {
                    // A picture moved now is entered where the file has none.
                    QList<QByteArray> lines = AnsiCodec::splitLineBytes(pictureBytes);
                    while (lines.size() < PictureSlots)
                        lines.append(QByteArray());
                    for (int j = 0; j < PictureSlots; ++j)
                        if (add[j])
                            lines[j] = AnsiCodec::encode(FileNameOfPath(record.PicturePaths[j]));
                    QByteArray out;
                    for (const QByteArray& line : lines)
                        out += line + "\r\n";
                    WriteOrThrow(picturePath, out);
                }
            } else {
                PictureNames names;
                for (int j = 0; j < PictureSlots; ++j)
                    names[j] = NameInPictureFolder(record.PicturePaths[j], p);
                WriteOrThrow(picturePath, PictureDataBytes(names));
            }

            // The older picture lines are emptied once their pictures lie in
            // the picture folder; nothing else of the file changes.
            if (anyMoved)
                WriteOrThrow(measPath, ClearOlderPictureLines(measBytes, moved));
        }
    }

    const QString contractorPath = h + ContractorFile;
    if (FileExists(contractorPath))
        contractors[index] = ParseContractors(ReadOrThrow(contractorPath));
}

// Reads every listed history into fresh records; one failing folder is
// reported and the others are read all the same.
void ReadHistories(const QString& customer, const HistoryFolderNameArray& names, std::int32_t count,
                   HistoryRecordArray& histories, ContractorRecordArray& contractors)
{
    histories.fill(HistoryRecord{});
    contractors.fill(ContractorRecord{});
    count = std::clamp(count, 0, MaxHistories);
    for (int i = 0; i < count; ++i)
        Guarded(QStringLiteral("UserDataRead2"),
                [&] { ReadHistoryFolder(customer, names[i], histories, contractors); });
}

// The folder of history `number` in the customer folder: the one it was
// read from, else the first folder named number & "_*"; empty when none.
QString FindHistoryFolder(const QString& customer, const QString& knownName, int number)
{
    if (!knownName.isEmpty() && HistoryFolderNumber(knownName) == number &&
        IsPlainFolder(customer + u'/' + knownName))
        return knownName;
    const QString prefix = QString::number(number) + u'_';
    for (const QString& name : ListUnderscoreFolders(customer))
        if (name.startsWith(prefix))
            return name;
    return QString();
}

void SaveHistory(const QString& customer, int index, HistoryRecord& record,
                 const ContractorRecord& contractors, bool keepPictureData)
{
    const int number = index + 1;
    const QString target = QString::number(number) + u'_' + record.HistoryName;
    const QString found = FindHistoryFolder(customer, record.FolderName, number);
    if (found.isEmpty()) {
        if (!MakeFolder(customer + u'/' + target))
            throw AppError(76);
    } else if (found != target) {
        if (QFileInfo::exists(customer + u'/' + target))
            throw AppError(58);
        if (!QDir(customer).rename(found, target))
            throw AppError(75);
    }
    record.FolderName = target;
    const QString h = customer + u'/' + target + u'/';

    const QString measPath = h + MeasDataFile;
    bool marked = false;
    if (FileExists(measPath))
        marked = MeasDataTotalsMarked(ReadOrThrow(measPath));
    WriteOrThrow(measPath, MeasDataBytes(record, marked));

    if (!keepPictureData) {
        // Written from the pictures as they lie in this folder now, so that a
        // renamed history keeps them.
        PictureNames names;
        const QString pictureName = PictureFolderName();
        if (IsSafeNamePart(pictureName)) {
            const QString p = h + pictureName + u'/';
            for (int j = 0; j < PictureSlots; ++j) {
                const QString file = FileNameOfPath(record.PicturePaths[j]);
                if (!IsSafeNamePart(file))
                    continue;
                names[j] = FileCheck(p + file);
                if (!names[j].isEmpty())
                    record.PicturePaths[j] = p + names[j];
            }
        }
        WriteOrThrow(h + PictureDataFile, PictureDataBytes(names));
    }

    WriteOrThrow(h + ContractorFile, ContractorBytes(contractors));
}

UserListItem ListItemOf(const UserDataRecordType& u)
{
    return UserListItem{u.CustomerCode, u.CustomerName, u.NameReading, u.SiteName,
                        u.PostalCode,   u.Address,      u.Phone1,      u.RegistrationDate};
}

} // namespace

// ---- Names and paths -------------------------------------------------------

QString UserDataFolder(const QString& key)
{
    return Global::DataFolder + QStringLiteral("/USER_DATA/") + key;
}

QString DocumentsFolderName()
{
    return Global::UiText.value(520);
}

QString DocumentsMarkerName()
{
    return Global::UiText.value(521);
}

QString PictureFolderName()
{
    return Global::UiText.value(540);
}

bool IsSafeNamePart(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

int HistoryFolderNumber(const QString& folderName)
{
    const qsizetype cut = folderName.indexOf(u'_');
    if (cut <= 0 || cut > 9)
        return 0;
    int number = 0;
    for (qsizetype i = 0; i < cut; ++i) {
        const QChar c = folderName.at(i);
        if (c < u'0' || c > u'9')
            return 0;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number >= 1 && number <= MaxHistories ? number : 0;
}

QString HistoryFolderOf(const HistoryRecord& record, int index)
{
    if (!record.FolderName.isEmpty())
        return record.FolderName;
    return QString::number(index + 1) + u'_' + record.HistoryName;
}

// ---- Parsers ---------------------------------------------------------------

UserDataRecordType ParseUserData(const QByteArray& bytes)
{
    LineCursor in(bytes);
    UserDataRecordType u;
    for (QString* field : {&u.CustomerCode, &u.CustomerName, &u.NameReading, &u.SiteName, &u.PostalCode,
                           &u.Address, &u.Phone1, &u.Phone2, &u.Mail, &u.RegistrationDate})
        *field = in.next();
    u.CustomerMemo = in.rest();
    return u;
}

void ParseMakerData(const QByteArray& bytes, ArrayConfigurationType& into)
{
    LineCursor in(bytes);
    into.TotalPm = in.next();
    for (int g = 0; g < GroupCount && !in.atEnd(); ++g) {
        into.GroupMaker[g] = in.next();
        for (int k = 0; k < RowsPerGroup; ++k) {
            const QStringList parts = in.next().split(u',');
            StringRow& row = into.StringRows[g * RowsPerGroup + k];
            if (parts.size() < 5)
                continue; // too short to be a row: the row stays as it was
            row.ModelCode = parts[0];
            row.SeriesCount = parts[1];
            row.ModulePm = parts[2];
            row.ModuleVoc = parts[3];
            row.ModuleIsc = parts[4];
            row.ParallelCount = parts.size() >= 6 ? parts[5] : QString();
        }
        GroupPowConEntry& pc = into.GroupPowCon[g];
        pc.PowConNo = in.next();
        pc.PowConMaker = in.next();
        pc.PowConModel = in.next();
    }
    into.ExtMemo = in.rest();
}

QString ReadMarkedTotal(const QString& line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0 || line.left(comma).toUpper() != QStringLiteral("SEL_OK"))
        return NoTotal;
    const QString value = line.mid(comma + 1);
    const qsizetype next = value.indexOf(u',');
    return next < 0 ? value : value.left(next);
}

MeasDataContent ParseMeasData(const QByteArray& bytes, const QString& folderName)
{
    MeasDataContent out;
    HistoryRecord& r = out.record;
    LineCursor in(bytes);
    if (in.atEnd()) {
        const qsizetype cut = folderName.indexOf(u'_');
        r.HistoryName = cut < 0 ? QString() : folderName.mid(cut + 1);
        r.HistoryPmTotal = r.HistoryVocTotal = r.HistoryIscTotal = NoTotal;
        return out;
    }
    r.HistoryName = in.next();
    r.MeasDate = in.next();
    r.HistoryPmTotal = ReadMarkedTotal(in.next());
    r.HistoryVocTotal = ReadMarkedTotal(in.next());
    r.HistoryIscTotal = ReadMarkedTotal(in.next());
    for (int j = 0; j < PictureSlots; ++j)
        out.olderPictures[j] = in.next();
    in.skipTo(MeasDataMemoLine);
    r.HistoryMemo = in.rest();
    return out;
}

bool MeasDataTotalsMarked(const QByteArray& bytes)
{
    const QStringList lines = AnsiCodec::splitLines(bytes);
    const qsizetype last = std::min<qsizetype>(3, lines.size());
    return last > 0 && lines.at(last - 1).toUpper().contains(QStringLiteral("SEL_OK"));
}

QByteArray ClearOlderPictureLines(const QByteArray& bytes, const PictureSlotFlags& which)
{
    QList<QByteArray> lines = AnsiCodec::splitLineBytes(bytes);
    for (int j = 0; j < PictureSlots; ++j)
        if (which[j] && MeasDataPictureLine + j < lines.size())
            lines[MeasDataPictureLine + j].clear();
    QByteArray out;
    out.reserve(bytes.size() + lines.size());
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

PictureNames ParsePictureData(const QByteArray& bytes)
{
    LineCursor in(bytes);
    PictureNames names;
    for (int j = 0; j < PictureSlots; ++j) {
        const QString line = in.next();
        if (IsSafeNamePart(line))
            names[j] = line;
    }
    return names;
}

ContractorRecord ParseContractors(const QByteArray& bytes)
{
    LineCursor in(bytes);
    ContractorRecord c;
    for (int k = 0; k < ContractorCount; ++k) {
        c.ContractorNames[k] = in.next();
        c.ContractorPhones[k] = in.next();
        c.ContractorPersons[k] = in.next();
    }
    return c;
}

// ---- Writers ---------------------------------------------------------------

QByteArray UserDataBytes(const UserDataRecordType& u)
{
    return AnsiCodec::joinLines({u.CustomerCode, u.CustomerName, u.NameReading, u.SiteName, u.PostalCode,
                                 u.Address, u.Phone1, u.Phone2, u.Mail, u.RegistrationDate, u.CustomerMemo});
}

QByteArray MakerDataBytes(const ArrayConfigurationType& a)
{
    QStringList lines{a.TotalPm};
    for (int g = 0; g < GroupCount; ++g) {
        lines << a.GroupMaker[g];
        for (int k = 0; k < RowsPerGroup; ++k) {
            const StringRow& r = a.StringRows[g * RowsPerGroup + k];
            lines << QStringList{r.ModelCode, r.SeriesCount, r.ModulePm,
                                 r.ModuleVoc, r.ModuleIsc,   r.ParallelCount}
                         .join(u',');
        }
        const GroupPowConEntry& pc = a.GroupPowCon[g];
        lines << pc.PowConNo << pc.PowConMaker << pc.PowConModel;
    }
    lines << a.ExtMemo;
    return AnsiCodec::joinLines(lines);
}

QByteArray MeasDataBytes(const HistoryRecord& h, bool marked)
{
    const QString prefix = marked ? MarkedPrefix : QString();
    return AnsiCodec::joinLines({h.HistoryName, h.MeasDate, prefix + h.HistoryPmTotal,
                                 prefix + h.HistoryVocTotal, prefix + h.HistoryIscTotal, QString(), QString(),
                                 QString(), QString(), h.HistoryMemo});
}

QByteArray PictureDataBytes(const PictureNames& names)
{
    return AnsiCodec::joinLines(QStringList(names.begin(), names.end()));
}

QByteArray ContractorBytes(const ContractorRecord& c)
{
    QStringList lines;
    for (int k = 0; k < ContractorCount; ++k)
        lines << c.ContractorNames[k] << c.ContractorPhones[k] << c.ContractorPersons[k];
    return AnsiCodec::joinLines(lines);
}

// ---- Folder procedures -----------------------------------------------------

bool UserDataRead(const QString& folder)
{
    bool read = false;
    Guarded(QStringLiteral("UserDataRead"), [&] {
        if (!IsSafeNamePart(folder))
            return;
        const QString c = UserDataFolder(folder);
        const QString userPath = c + u'/' + UserDataFile;
        if (!FileExists(userPath))
            return;
        const QByteArray userBytes = ReadOrThrow(userPath);
        const QString makerPath = c + u'/' + MakerDataFile;
        if (!FileExists(makerPath))
            throw AppError(53);
        const QByteArray makerBytes = ReadOrThrow(makerPath);

        // Everything is read into fresh records first and replaces the loaded
        // customer only at the end, so that a failed read leaves the previous
        // customer whole.
        auto s = std::make_unique<CustomerSnapshot>();
        s->user = ParseUserData(userBytes);
        s->array = ArrayConfigurationType{};
        const ArrayConfigurationType& old = Global::ArrayConfiguration;
        // Derived when the array configuration window is filled, not stored:
        // they stay as they are.
        s->array.GroupRatedPm = old.GroupRatedPm;
        s->array.GroupPmTempCoef = old.GroupPmTempCoef;
        s->array.GroupAlpha = old.GroupAlpha;
        s->array.GroupBeta = old.GroupBeta;
        s->array.GroupRs = old.GroupRs;
        s->array.GroupK = old.GroupK;
        s->array.GroupCellsDown = old.GroupCellsDown;
        s->array.GroupCellsAcross = old.GroupCellsAcross;
        ParseMakerData(makerBytes, s->array);

        const QString documents = DocumentsFolderName();
        for (const QString& name : ListUnderscoreFolders(c)) {
            if (name == documents)
                continue;
            if (s->historyCount >= MaxHistories)
                break; // the customer tab has pages for 99 histories
            s->folderNames[s->historyCount++] = name;
        }
        ReadHistories(c, s->folderNames, s->historyCount, s->histories, s->contractors);

        Global::UserDataRecord = s->user;
        Global::ArrayConfiguration = s->array;
        Global::HistoryRecords = s->histories;
        Global::ContractorRecords = s->contractors;
        Global::HistoryCount = s->historyCount;
        Global::HistoryFolderNames = s->folderNames;
        read = true;
    });
    if (read && Global::ShowHistoryTotalHook)
        Guarded(QStringLiteral("UserDataRead"), [] { Global::ShowHistoryTotalHook(Global::HistoryCount); });
    return read;
}

void UserDataRead2(const QString& folder)
{
    if (!IsSafeNamePart(folder))
        return;
    auto histories = std::make_unique<HistoryRecordArray>();
    auto contractors = std::make_unique<ContractorRecordArray>();
    ReadHistories(UserDataFolder(folder), Global::HistoryFolderNames, Global::HistoryCount, *histories,
                  *contractors);
    Global::HistoryRecords = *histories;
    Global::ContractorRecords = *contractors;
}

bool UserDataSave(const QString& key, bool keepPictureData)
{
    return Guarded(QStringLiteral("UserDataSave"), [&] {
        if (!IsSafeNamePart(key))
            throw AppError(52);
        if (Global::UserDataScreenToRecordsHook)
            Global::UserDataScreenToRecordsHook();
        if (Global::CurUserRow == 0) {
            // A customer not listed yet takes the row after the listed ones.
            Global::CurUserIndex = Global::UserListCount;
            Global::CurUserRow = Global::UserListCount + 1;
        }
        if (Global::CurUserIndex < 0 || Global::CurUserIndex >= UserListCapacity)
            throw AppError(9);
        Global::UserListItems[Global::CurUserIndex] = ListItemOf(Global::UserDataRecord);

        // History names become folder names: refuse any that could name a
        // place outside the customer folder before anything is written.
        for (int i = 0; i < MaxHistories; ++i) {
            const QString& name = Global::HistoryRecords[i].HistoryName;
            if (!name.isEmpty() && !IsSafeNamePart(name))
                throw AppError(52);
        }

        const QString c = UserDataFolder(key);
        if (FolderCheck(c).isEmpty() && !MakeFolder(c))
            throw AppError(76);

        WriteOrThrow(c + u'/' + MakerDataFile, MakerDataBytes(Global::ArrayConfiguration));

        const QString documents = DocumentsFolderName();
        if (IsSafeNamePart(documents) && FolderCheck(c + u'/' + documents + u'/').isEmpty()) {
            if (!MakeFolder(c + u'/' + documents))
                throw AppError(76);
            const QString marker = DocumentsMarkerName();
            if (IsSafeNamePart(marker))
                WriteOrThrow(c + u'/' + documents + u'/' + marker, QByteArrayLiteral("\r\n"));
        }

        for (int i = 0; i < MaxHistories; ++i) {
            HistoryRecord& record = Global::HistoryRecords[i];
            if (!record.HistoryName.isEmpty())
                SaveHistory(c, i, record, Global::ContractorRecords[i], keepPictureData);
        }

        // Last: a customer is listed only once this file is there.
        WriteOrThrow(c + u'/' + UserDataFile, UserDataBytes(Global::UserDataRecord));
    });
}
