#include "customers/UserData.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "common/Language.h"
#include "common/TextHelpers.h"
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

// Language file texts naming folders of a customer.
constexpr int UiDocumentsFolderKey = 520;
constexpr int UiPictureFolderKey = 540;

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

// Whether the customer's own file `path` is there. No path-length rule: a
// file that is there is read (or its failure reported), never taken for
// missing and then written over.
bool IsDataFile(const QString& path)
{
    return KindOf(path) == DiskKind::File;
}

// A real folder (no link to somewhere else).
bool IsPlainFolder(const QString& path)
{
    return KindOf(path, false) == DiskKind::Folder;
}

// The sub-folders of `folder` whose names hold "_", sorted by name without
// regard to case (the order a user sees). Links are not followed.
QStringList ListUnderscoreFolders(const QString& folder)
{
    QStringList names = ListFolderNames(folder, ListedKind::Folders);
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const QString& n) { return !n.contains(u'_'); }),
        names.end());
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
    return PictureFileName(pictureFolder, name);
}

// The lines of an older MeasData.csv that held full picture paths (6 to 9).
PictureNames OlderPictureLines(const QByteArray& measBytes)
{
    const QStringList lines = AnsiCodec::splitLines(measBytes);
    PictureNames older;
    for (int j = 0; j < Customer::PictureSlots; ++j)
        if (MeasDataPictureLine + j < lines.size())
            older[j] = lines.at(MeasDataPictureLine + j);
    return older;
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
void ReadHistoryFolder(const QString& customer, const QString& name, const QStringList& pictureFolderNames,
                       HistoryRecordArray& histories, ContractorRecordArray& contractors)
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
    const bool hasMeasData = IsDataFile(measPath);
    if (hasMeasData || record.FolderName.isEmpty())
        record.FolderName = name;

    if (hasMeasData) {
        const QByteArray measBytes = ReadFileOrThrow(measPath);
        const MeasDataContent meas = ParseMeasData(measBytes, name);
        record.HistoryName = meas.record.HistoryName;
        record.MeasDate = meas.record.MeasDate;
        record.HistoryPmTotal = meas.record.HistoryPmTotal;
        record.HistoryVocTotal = meas.record.HistoryVocTotal;
        record.HistoryIscTotal = meas.record.HistoryIscTotal;
        record.HistoryMemo = meas.record.HistoryMemo;
        for (int j = 0; j < PictureSlots; ++j)
            record.PicturePaths[j] = meas.olderPictures[j];

        // The picture folder under whichever language's name it has; a new
        // one under the name of the language in use.
        const QString pictureFolder = NamedFolderIn(h, pictureFolderNames, PictureFolderName());
        if (!pictureFolder.isEmpty()) {
            const QString p = pictureFolder + u'/';
            MakeFolderOrThrow(p);

            // Older versions kept the full paths of the pictures where the
            // user found them: copy those into the picture folder.
            PictureSlotFlags moved{};
            for (int j = 0; j < PictureSlots; ++j) {
                const QString& older = meas.olderPictures[j];
                if (older.isEmpty() || !QDir::isAbsolutePath(older) || FileCheck(older).isEmpty())
                    continue;
                QString copy;
                if (PicCopySizeDown(older, p, &copy)) {
                    record.PicturePaths[j] = p + copy;
                    moved[j] = true;
                }
            }
            const bool anyMoved = std::find(moved.begin(), moved.end(), true) != moved.end();

            const QString picturePath = h + PictureDataFile;
            if (IsDataFile(picturePath)) {
                const QByteArray pictureBytes = ReadFileOrThrow(picturePath);
                const PictureNames names = ParsePictureData(pictureBytes);
                PictureSlotFlags add{};
                bool rewrite = false;
                for (int j = 0; j < PictureSlots; ++j) {
                    if (!names[j].isEmpty()) {
                        // The file as a picture folder holds it, whatever
                        // the letter case of the line and whichever
                        // language named the folder.
                        const QString found = FindHistoryPicture(h, names[j], pictureFolderNames, p);
                        record.PicturePaths[j] = found.isEmpty() ? p + names[j] : found;
                    } else if (moved[j])
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
                    WriteFileOrThrow(picturePath, AnsiCodec::joinLineBytes(lines));
                }
            } else {
                PictureNames names;
                for (int j = 0; j < PictureSlots; ++j)
                    names[j] = NameInPictureFolder(record.PicturePaths[j], p);
                WriteFileOrThrow(picturePath, PictureDataBytes(names));
            }

            // The older picture lines are emptied once their pictures lie in
            // the picture folder; nothing else of the file changes. A line
            // whose picture could not be copied stays for a later read.
            if (anyMoved)
                WriteFileOrThrow(measPath, ClearOlderPictureLines(measBytes, moved));
        }
    }

    const QString contractorPath = h + ContractorFile;
    if (IsDataFile(contractorPath))
        contractors[index] = ParseContractors(ReadFileOrThrow(contractorPath));
}

// Reads every listed history into fresh records. A history that cannot be
// read whole is reported and ends the read with false: a record holding
// part of a history would let the next save write empty contractors or
// pictures over the real ones.
bool ReadHistories(const QString& customer, const HistoryFolderNameArray& names, std::int32_t count,
                   HistoryRecordArray& histories, ContractorRecordArray& contractors)
{
    histories.fill(HistoryRecord{});
    contractors.fill(ContractorRecord{});
    count = std::clamp(count, 0, MaxHistories);
    const QStringList pictureFolderNames = PictureFolderNames();
    for (int i = 0; i < count; ++i)
        if (!Guarded(QStringLiteral("UserDataRead2"),
                     [&] { ReadHistoryFolder(customer, names[i], pictureFolderNames, histories, contractors); }))
            return false;
    return true;
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
    if (found.isEmpty())
        MakeFolderOrThrow(customer + u'/' + target);
    else if (found != target)
        RenameOrThrow(customer + u'/' + found, customer + u'/' + target);
    record.FolderName = target;
    const QString h = customer + u'/' + target + u'/';

    const QString measPath = h + MeasDataFile;
    bool marked = false;
    PictureNames olderKept;
    if (IsDataFile(measPath)) {
        const QByteArray before = ReadFileOrThrow(measPath);
        marked = MeasDataTotalsMarked(before);
        // An older picture path whose picture could not be copied into the
        // picture folder yet is written back as it was read, for the next
        // read to try again.
        const PictureNames older = OlderPictureLines(before);
        for (int j = 0; j < PictureSlots; ++j)
            if (!older[j].isEmpty() && older[j] == record.PicturePaths[j])
                olderKept[j] = older[j];
    }
    WriteFileOrThrow(measPath, MeasDataBytes(record, marked, olderKept));

    if (!keepPictureData) {
        // Written from the pictures as they lie in this folder now, so that a
        // renamed history keeps them, whichever language named their picture
        // folder (the folder the reference names is looked in first).
        PictureNames names;
        const QStringList pictureFolderNames = PictureFolderNames();
        for (int j = 0; j < PictureSlots; ++j) {
            const QString& path = record.PicturePaths[j];
            const QString file = FileNameOfPath(path);
            if (!olderKept[j].isEmpty() || !IsSafeNamePart(file))
                continue;
            const QString referenced =
                path.size() > file.size() ? FileNameOfPath(path.left(path.size() - file.size() - 1)) : QString();
            const QString preferred =
                pictureFolderNames.contains(referenced) ? h + referenced : QString();
            const QString found = FindHistoryPicture(h, file, pictureFolderNames, preferred);
            if (found.isEmpty())
                continue;
            names[j] = FileNameOfPath(found);
            record.PicturePaths[j] = found;
        }
        WriteFileOrThrow(h + PictureDataFile, PictureDataBytes(names));
    }

    WriteFileOrThrow(h + ContractorFile, ContractorBytes(contractors));
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
    return Global::UiText.value(UiDocumentsFolderKey);
}

QString DocumentsMarkerName()
{
    return Global::UiText.value(521);
}

QString PictureFolderName()
{
    return Global::UiText.value(UiPictureFolderKey);
}

namespace {

QString WithoutClosingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

QStringList LanguageFolderNames(int key)
{
    QStringList names = LanguageTexts(key);
    names.removeIf([](const QString& n) { return !IsSafeNamePart(n); });
    return names;
}

QStringList PictureFolderNames()
{
    return LanguageFolderNames(UiPictureFolderKey);
}

QStringList DocumentsFolderNames()
{
    return LanguageFolderNames(UiDocumentsFolderKey);
}

QString NamedFolderIn(const QString& parent, const QStringList& names, const QString& newName)
{
    const QString base = WithoutClosingSlash(parent) + u'/';
    for (const QString& name : names)
        if (KindOf(base + name) == DiskKind::Folder)
            return base + name;
    return IsSafeNamePart(newName) ? base + newName : QString();
}

QString FindHistoryPicture(const QString& historyFolder, const QString& name,
                           const QStringList& pictureFolderNames, const QString& preferred)
{
    if (!IsSafeNamePart(name))
        return QString();
    QStringList folders;
    if (!preferred.isEmpty())
        folders << WithoutClosingSlash(preferred);
    const QString h = WithoutClosingSlash(historyFolder) + u'/';
    for (const QString& n : pictureFolderNames)
        if (!folders.contains(h + n))
            folders << h + n;
    for (const QString& folder : folders)
        if (const QString onDisk = PictureFileName(folder, name); !onDisk.isEmpty())
            return folder + u'/' + onDisk;
    return QString();
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
    return AnsiCodec::joinLineBytes(lines);
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
    return DataFileBytes({u.CustomerCode, u.CustomerName, u.NameReading, u.SiteName, u.PostalCode, u.Address,
                          u.Phone1, u.Phone2, u.Mail, u.RegistrationDate},
                         u.CustomerMemo);
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
    return DataFileBytes(lines, a.ExtMemo);
}

QByteArray MeasDataBytes(const HistoryRecord& h, bool marked, const PictureNames& olderPictures)
{
    const QString prefix = marked ? MarkedPrefix : QString();
    return DataFileBytes({h.HistoryName, h.MeasDate, prefix + h.HistoryPmTotal, prefix + h.HistoryVocTotal,
                          prefix + h.HistoryIscTotal, olderPictures[0], olderPictures[1], olderPictures[2],
                          olderPictures[3]},
                         h.HistoryMemo);
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
    return DataFileBytes(lines);
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
        if (!IsDataFile(userPath))
            return;
        const QByteArray userBytes = ReadFileOrThrow(userPath);
        const QByteArray makerBytes = ReadFileOrThrow(c + u'/' + MakerDataFile);

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

        // The documents folder is no history, whichever language named it.
        const QStringList documents = DocumentsFolderNames();
        for (const QString& name : ListUnderscoreFolders(c)) {
            if (documents.contains(name))
                continue;
            if (s->historyCount >= MaxHistories)
                break; // the customer tab has pages for 99 histories
            s->folderNames[s->historyCount++] = name;
        }
        if (!ReadHistories(c, s->folderNames, s->historyCount, s->histories, s->contractors))
            return; // reported; the customer loaded before stays

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

bool UserDataRead2(const QString& folder)
{
    if (!IsSafeNamePart(folder))
        return false;
    auto histories = std::make_unique<HistoryRecordArray>();
    auto contractors = std::make_unique<ContractorRecordArray>();
    if (!ReadHistories(UserDataFolder(folder), Global::HistoryFolderNames, Global::HistoryCount, *histories,
                       *contractors))
        return false;
    Global::HistoryRecords = *histories;
    Global::ContractorRecords = *contractors;
    return true;
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

        // Every text becomes file bytes before anything is written: one that
        // the files cannot hold stops the save with every file as it was.
        const QByteArray userBytes = UserDataBytes(Global::UserDataRecord);
        const QByteArray makerBytes = MakerDataBytes(Global::ArrayConfiguration);
        for (int i = 0; i < MaxHistories; ++i) {
            if (!Global::HistoryRecords[i].HistoryName.isEmpty()) {
                MeasDataBytes(Global::HistoryRecords[i], false);
                ContractorBytes(Global::ContractorRecords[i]);
            }
        }

        const QString c = UserDataFolder(key);
        MakeFolderOrThrow(c);

        WriteFileOrThrow(c + u'/' + MakerDataFile, makerBytes);

        // One named in another language serves as well: no second one.
        const QString documents = NamedFolderIn(c, DocumentsFolderNames(), DocumentsFolderName());
        if (!documents.isEmpty() && KindOf(documents) != DiskKind::Folder) {
            MakeFolderOrThrow(documents);
            const QString marker = DocumentsMarkerName();
            if (IsSafeNamePart(marker))
                WriteFileOrThrow(documents + u'/' + marker, QByteArrayLiteral("\r\n"));
        }

        for (int i = 0; i < MaxHistories; ++i) {
            HistoryRecord& record = Global::HistoryRecords[i];
            if (!record.HistoryName.isEmpty())
                SaveHistory(c, i, record, Global::ContractorRecords[i], keepPictureData);
        }

        // Last: a customer is listed only once this file is there.
        WriteFileOrThrow(c + u'/' + UserDataFile, userBytes);
    });
}
