// Any bytes must read as any of the customer files without a crash, an
// out-of-bounds access or an exception; and a customer folder made of them
// must read and save again and again without a crash, writing only inside
// the customer folder, and writing the same bytes from the second save on.
//
// Input: the file parsers take the whole input. When it holds the separator
// "#@#", its parts become UserData.csv, MakerData.csv and the MeasData.csv,
// PictureData.csv and ConstructionContractor.csv of history folder 1 of a
// customer folder, which is then read and saved twice.
#include "common/AppGlobals.h"
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "platform/AnsiCodec.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace {

// Answers every box at once: a fuzz run never waits on a window.
class SilentDialogs : public Dialogs {
  public:
    int message(const MessageRequest&) override { return vbOK; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return {}; }
    QString openFile(const FileRequest&) override { return {}; }
    std::optional<quint32> chooseColor(quint32) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
};

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The code page converter in use maps the control bytes 0x1A, 0x1C and 0x7F
// to other control characters and back to other bytes (a rotation, not a
// round trip), so texts holding them change on every write; the round-trip
// checks leave such input out.
bool RoundTrips(const QByteArray& bytes)
{
    return !bytes.contains('\x1a') && !bytes.contains('\x1c') && !bytes.contains('\x7f');
}

// A file's bytes made by `make`, or nothing when a text of the record is
// one the code page cannot hold (bytes of the input that decode to no
// character of it): such a record is refused, never written with "?".
template <class Make>
std::optional<QByteArray> Made(Make make)
{
    try {
        return make();
    } catch (const AppError& e) {
        Check(e.number == 5);
        return std::nullopt;
    }
}

void ParseAll(const QByteArray& bytes)
{
    const bool roundTrips = RoundTrips(bytes);
    // Written once, a record reads back as itself from then on.
    if (const auto first = Made([&] { return UserDataBytes(ParseUserData(bytes)); })) {
        const UserDataRecordType u = ParseUserData(*first);
        const auto again = Made([&] { return UserDataBytes(u); });
        Check(!again || ParseUserData(*again) == u || !roundTrips);
    }

    ArrayConfigurationType a;
    ParseMakerData(bytes, a);
    if (const auto first = Made([&] { return MakerDataBytes(a); })) {
        ArrayConfigurationType b;
        ParseMakerData(*first, b);
        ArrayConfigurationType c;
        const auto second = Made([&] { return MakerDataBytes(b); });
        if (second) {
            ParseMakerData(*second, c);
            const auto third = Made([&] { return MakerDataBytes(c); });
            Check(!third || *third == *second || !roundTrips);
        }
    }

    const MeasDataContent m = ParseMeasData(bytes, QStringLiteral("1_fuzz"));
    for (bool marked : {false, true})
        if (const auto made = Made([&] { return MeasDataBytes(m.record, marked); }))
            Check(MeasDataTotalsMarked(*made) == marked ||
                  m.record.HistoryPmTotal.toUpper().contains(QStringLiteral("SEL_OK")));
    Check(ClearOlderPictureLines(bytes, {true, true, true, true}).size() >= 0);

    for (const QString& name : ParsePictureData(bytes))
        Check(name.isEmpty() || IsSafeNamePart(name));
    if (const auto first = Made([&] { return ContractorBytes(ParseContractors(bytes)); })) {
        const ContractorRecord k = ParseContractors(*first);
        const auto again = Made([&] { return ContractorBytes(k); });
        Check(!again || ParseContractors(*again) == k || !roundTrips);
    }
    const int n = HistoryFolderNumber(AnsiCodec::decode(bytes.left(64)));
    Check(n >= 0 && n <= Customer::MaxHistories);
}

QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size()), ReadFileBytes(path).value_or(QByteArray()));
    }
    return files;
}

void ReadAndSave(const QList<QByteArray>& parts, bool roundTrips)
{
    static QTemporaryDir root;
    static bool once = [] {
        setDialogs(std::make_unique<SilentDialogs>());
        Global::UiText[520] = QStringLiteral("Documents");
        Global::UiText[521] = QStringLiteral("Customer documents.txt");
        Global::UiText[540] = QStringLiteral("Pictures");
        return true;
    }();
    (void)once;

    const QString data = root.path() + QStringLiteral("/data");
    QDir(data).removeRecursively();
    Global::DataFolder = data;
    const QString key = QStringLiteral("F1_fuzz");
    const QString c = data + QStringLiteral("/USER_DATA/") + key;
    const QString h = c + QStringLiteral("/1_h");
    QDir().mkpath(h);
    const QString files[] = {c + "/UserData.csv", c + "/MakerData.csv", h + "/MeasData.csv",
                             h + "/PictureData.csv", h + "/ConstructionContractor.csv"};
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        WriteFileAtomic(files[i], parts[i]);

    UserMemoryClear();
    Global::CurUserRow = 1;
    Global::CurUserIndex = 0;
    if (!UserDataRead(key))
        return;
    Check(Global::HistoryCount >= 0 && Global::HistoryCount <= Customer::MaxHistories);
    if (!UserDataSave(key, false))
        return;
    // The first save brings the files into the current form; from the second
    // on, reading and saving writes the same bytes again.
    Check(UserDataRead(key));
    Check(UserDataSave(key, false));
    const auto second = Snapshot(c);
    Check(UserDataRead(key));
    Check(UserDataSave(key, false));
    Check(Snapshot(c) == second || !roundTrips);
    // Nothing was written beside the customer folder.
    Check(QDir(data + QStringLiteral("/USER_DATA"))
              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) == QStringList{key});
    Check(QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ==
          QStringList{QStringLiteral("USER_DATA")});
}

QList<QByteArray> SplitParts(const QByteArray& bytes)
{
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = bytes.indexOf("#@#", from);
        parts.append(bytes.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            return parts;
        from = at + 3;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ParseAll(bytes);
    if (bytes.contains("#@#"))
        ReadAndSave(SplitParts(bytes), RoundTrips(bytes));
    return 0;
}
