// The model files and the catalogue load as plain code: each layout read
// into its record, the writer against files made from the rules, the fixture
// catalogue (sorted listing, ignored entries, short, empty and unreadable
// files), the limits of 256 makers and models, and the names a maker or a
// model may take.
#include "catalog/CatalogGlobals.h"
#include "catalog/ModelFiles.h"
#include "catalog/support/CatalogFixture.h"
#include "common/AppGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/FolderReader.h"
#include "support/ChildProcess.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace CatalogFixture;

namespace {

QString fixture(const QString& relative)
{
    return Dir() + QStringLiteral("/data/") + relative;
}

ModuleModelRecord moduleFixture(const QString& maker, const QString& file)
{
    return ParseModuleModel(Bytes(fixture(QStringLiteral("MODULE_DATA/") + maker + u'/' + file)),
                            ModelCodeOf(file));
}

PowConModelRecord powConFixture(const QString& maker, const QString& file)
{
    return ParsePowConModel(Bytes(fixture(QStringLiteral("POWER_CONDITIONER_DATA/") + maker + u'/' + file)),
                            ModelCodeOf(file));
}

QStringList moduleFields(const ModuleModelRecord& m)
{
    QStringList out;
    for (auto f : ModuleFields)
        out << m.*f;
    return out;
}

QStringList powConFields(const PowConModelRecord& m)
{
    QStringList out;
    for (auto f : PowConFields)
        out << m.*f;
    return out;
}

QStringList makerNames(const ModuleCatalogTable& t, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << t[std::size_t(i)].MakerName;
    return out;
}

template <class Maker> QStringList codes(const Maker& maker)
{
    QStringList out;
    for (int i = 0; i < maker.ModelCount; ++i)
        out << maker.Models[std::size_t(i)].ModelCode;
    return out;
}

} // namespace

// ---- Reading each layout -------------------------------------------------------

TEST(ModelFileRead, VersionedModuleFileFillsEveryFieldAndDropsTheReservedLines)
{
    const ModuleModelRecord m = moduleFixture(QStringLiteral("Alpha Solar"), QStringLiteral("AS-250.dat"));
    EXPECT_EQ(moduleFields(m),
              (QStringList{"AS-250", "1", "250", "30.5", "8.20", "37.6", "8.75", "17.8", "15.3", "1640", "992",
                           " 40 ", "18.5", "1.627", "6", "10", "0.0053", "-0.126", "0.35", "0.0025",
                           QStringLiteral("単結晶 高効率\r\n\r\n第三行"), "as250.jpg", "-0.45", ""}));
}

TEST(ModelFileRead, OldModuleLayoutHasNoPmTemperatureCoefficient)
{
    const ModuleModelRecord m = moduleFixture(QStringLiteral("Alpha Solar"), QStringLiteral("as-100.dat"));
    EXPECT_EQ(m.CellType, "0");
    EXPECT_EQ(m.K, "0.003");
    EXPECT_EQ(m.PictureFile, "");
    EXPECT_EQ(m.Memo, QStringLiteral("旧型")); // the last line had no line end
    EXPECT_EQ(m.PmTempCoef, "");
}

TEST(ModelFileRead, VersionIsAnyFirstLineBeginningVerDotInAnyCase)
{
    struct Case {
        const char* first;
        bool versioned;
    };
    for (const Case c : {Case{"VER.8", true}, Case{"ver.9", true}, Case{"Ver.x", true}, Case{"VER8", false},
                         Case{"", false}, Case{"VERSION", false}}) {
        QStringList lines{QString::fromLatin1(c.first)};
        for (int n = 2; n <= 27; ++n)
            lines << QStringLiteral("L%1").arg(n);
        const ModuleModelRecord m = ParseModuleModel(Lines(lines), QStringLiteral("M"));
        SCOPED_TRACE(c.first);
        EXPECT_EQ(m.CellType, c.versioned ? "L2" : QString::fromLatin1(c.first));
        EXPECT_EQ(m.PmTempCoef, c.versioned ? "L21" : "");
        EXPECT_EQ(m.PictureFile, c.versioned ? "L26" : "L20");
        EXPECT_EQ(m.Memo, c.versioned ? "L27" : QStringLiteral("L21\r\nL22\r\nL23\r\nL24\r\nL25\r\nL26\r\nL27"));
    }
}

TEST(ModelFileRead, NewAndShortAndEmptyFilesReadAsPaddedWithEmptyLines)
{
    for (const char* file : {"NEW.DAT", "Empty.dat"}) {
        const ModuleModelRecord m = moduleFixture(QStringLiteral("Alpha Solar"), QString::fromLatin1(file));
        QStringList fields = moduleFields(m);
        fields.removeFirst();
        EXPECT_EQ(fields, QStringList(23)) << file;
    }
    const ModuleModelRecord shortFile = moduleFixture(QStringLiteral("Alpha Solar"), QStringLiteral("Short.dat"));
    EXPECT_EQ(shortFile.CellType, "2");
    EXPECT_EQ(shortFile.Pm, "180");
    EXPECT_EQ(shortFile.Vpm, "24");
    EXPECT_EQ(shortFile.Ipm, "");
    EXPECT_EQ(shortFile.Memo, "");

    const PowConModelRecord fresh = powConFixture(QStringLiteral("Delta Power"), QStringLiteral("DP-new.dat"));
    EXPECT_EQ(powConFields(fresh).mid(1), QStringList(26));
    const PowConModelRecord cut = powConFixture(QStringLiteral("Delta Power"), QStringLiteral("DP-short.dat"));
    EXPECT_EQ(cut.RatedInputVoltage, "DC 300");
    EXPECT_EQ(cut.OutlineHeight, "");
}

TEST(ModelFileRead, PowerConditionerFileHasOneLayoutWhateverItsFirstLine)
{
    const PowConModelRecord m = powConFixture(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat"));
    EXPECT_EQ(m.InputCircuits, "2");
    EXPECT_EQ(m.RatedInputVoltage, "DC 250");
    EXPECT_EQ(m.PowerFactor, QStringLiteral("0.95 以上"));
    EXPECT_EQ(m.OutlineHeight, "700");
    EXPECT_EQ(m.PictureFile, "dp55.jpg");
    EXPECT_EQ(m.Memo, QStringLiteral("屋外用\r\n塩害地域可"));

    const PowConModelRecord v = powConFixture(QStringLiteral("epsilon"), QStringLiteral("E1.dat"));
    EXPECT_EQ(v.InputCircuits, "VER.8");
    EXPECT_EQ(v.RatedInputVoltage, "p2");
    EXPECT_EQ(v.PictureFile, "");
}

TEST(ModelFileRead, MemoKeepsEmptyLinesAndEndsWithoutALineBreak)
{
    QStringList fixed{"VER.8"};
    for (int n = 2; n <= 26; ++n)
        fixed << QString();
    const QByteArray head = Lines(fixed);
    struct Case {
        QByteArray tail;
        QString memo;
    };
    for (const Case& c : {Case{"a\r\n\r\nc\r\n", "a\r\n\r\nc"}, Case{"a\r\n\r\nc", "a\r\n\r\nc"},
                          Case{"", ""}, Case{"a\r\n\r\n", "a\r\n"}, Case{"a\rb\r\n", "a\r\nb"},
                          Case{"a\r\nb\r", "a\r\nb"}, Case{"a\nb\r\n", "a\nb"}, Case{"\r\n", ""},
                          Case{AnsiCodec::encode(QStringLiteral("単結晶\r\n屋根")) + "\r\n", QStringLiteral("単結晶\r\n屋根")},
                          // A lead byte without its second byte before a line end.
                          Case{"a\x82\r\nb\r\n", QStringLiteral("a\uFFFD\r\nb")}}) {
        EXPECT_EQ(ParseModuleModel(head + c.tail, QStringLiteral("M")).Memo, c.memo) << c.tail.toStdString();
    }
    // A file without CR is split at its line feeds.
    QByteArray lf = head + "a\r\n\r\nb\r\n";
    lf.replace("\r\n", "\n");
    const ModuleModelRecord m = ParseModuleModel(lf, QStringLiteral("M"));
    EXPECT_EQ(m.Memo, "a\r\n\r\nb");
    EXPECT_EQ(m.Pm, "");
}

TEST(ModelFileRead, ModelCodeIsTheNameBeforeItsLastDot)
{
    EXPECT_EQ(ModelCodeOf(QStringLiteral("X.Y.dat")), "X.Y");
    EXPECT_EQ(ModelCodeOf(QStringLiteral(".dat")), "");
    EXPECT_EQ(ModelCodeOf(QStringLiteral("NEW.DAT")), "NEW");
}

// ---- Writing ---------------------------------------------------------------------

TEST(ModelFileWrite, RegisteredOldLayoutModelMatchesTheFixtureAndReadsBack)
{
    const ModuleModelRecord m = moduleFixture(QStringLiteral("Alpha Solar"), QStringLiteral("as-100.dat"));
    const QByteArray bytes = ModuleModelBytes(m);
    EXPECT_EQ(bytes, Bytes(Dir() + QStringLiteral("/expected/as-100.dat")));
    EXPECT_EQ(ParseModuleModel(bytes, m.ModelCode), m);
}

TEST(ModelFileWrite, VersionedModuleFileHasTwentySevenLinesAtLeast)
{
    ModuleModelRecord m;
    m.ModelCode = QStringLiteral("M");
    const QByteArray empty = ModuleModelBytes(m);
    EXPECT_EQ(empty, Lines(QStringList{"VER.8"} + QStringList(26)));

    m.Memo = QStringLiteral("a\r\n\r\nb\r\n");
    m.PmTempCoef = QStringLiteral("-0.41");
    m.PictureFile = QStringLiteral("p.jpg");
    const QByteArray bytes = ModuleModelBytes(m);
    const QStringList lines = AnsiCodec::splitLines(bytes);
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines[20], "-0.41");
    EXPECT_EQ(lines.mid(21, 4), QStringList(4));
    EXPECT_EQ(lines[25], "p.jpg");
    EXPECT_EQ(lines.mid(26), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(ParseModuleModel(bytes, m.ModelCode), m);
}

TEST(ModelFileWrite, PowerConditionerRoundTripsAndHasNoVersionLine)
{
    PowConModelRecord m = powConFixture(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat"));
    EXPECT_EQ(ParsePowConModel(PowConModelBytes(m), m.ModelCode), m);
    m.RatedInputVoltage = QStringLiteral("DC 260");
    m.Memo.clear();
    EXPECT_EQ(PowConModelBytes(m), Bytes(Dir() + QStringLiteral("/expected/DP-55.dat")));
}

TEST(ModelFileWrite, LineBreaksOfOneLineFieldsNeverReachTheFile)
{
    ModuleModelRecord m;
    m.Pm = QStringLiteral("25\r\n0");
    m.Voc = QString::fromUtf16(u"1\u20282");
    const QStringList lines = AnsiCodec::splitLines(ModuleModelBytes(m));
    ASSERT_EQ(lines.size(), 27);
    EXPECT_EQ(lines[2], "25  0");
    EXPECT_EQ(lines[5], "1 2");
}

TEST(ModelFileWrite, NewModelFilesAreEmptyLinesOnly)
{
    EXPECT_EQ(NewModelBytes(Catalog::ModuleSide), QByteArray(20 * 2, '\0').replace(QByteArray(2, '\0'), "\r\n"));
    EXPECT_EQ(NewModelBytes(Catalog::PowConSide).count("\r\n"), 25);
    EXPECT_EQ(NewModelBytes(Catalog::PowConSide).size(), 50);
}

// ---- Names -----------------------------------------------------------------------

TEST(CatalogNames, PortableNamesOnly)
{
    struct Case {
        QString name;
        bool maker;
        bool model;
    };
    const Case cases[] = {
        {"Alpha Solar", true, true},
        {QStringLiteral("太陽電機"), true, true},
        {"X-1.5", true, true},
        {"", true, true},          // nothing given: the callers stop silently
        {".", false, false},
        {"..", false, false},
        {".hidden", false, false}, // a hidden entry here, never listed
        {"Maker.", false, true},   // Windows drops a folder's trailing dot
        {"Maker ", false, true},
        {"a/b", false, false},
        {"a\\b", false, false},
        {"a:b", false, false},
        {"a*b", false, false},
        {"a?b", false, false},
        {"a|b", false, false},
        {"a\"b", false, false},
        {"a<b", false, false},
        {"a;b", false, false},
        {"a\tb", false, false},
        {"CON", false, false},
        {"con.txt", false, false},
        {"LPT1", false, false},
        {"COM9", false, false},
        {"COM0", true, true},
        {"CONSOLE", true, true},
        {"a,b", true, false}, // one field of a customer's string row
        {QString::fromUtf16(u"\u00e9t\u00e9"), false, false}, // not in code page 932
        {QString(255, u'x'), true, false},                    // 255 bytes; the model file would be 259
        {QString(256, u'x'), false, false},
        {QString(85, QChar(0x592A)), true, false}, // 255 bytes in UTF-8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPortableCatalogName(c.name, false), c.maker) << c.name.toStdString();
        EXPECT_EQ(IsPortableCatalogName(c.name, true), c.model) << c.name.toStdString();
    }
}

// ---- Loading the fixture catalogue ----------------------------------------------

class CatalogLoad : public ::testing::Test {
  protected:
    void SetUp() override { Install(env.dataFolder()); }
    TestEnv env;
    ModuleCatalogTable modules;
    PowConCatalogTable powCons;
    std::int32_t moduleCount = -1;
    std::int32_t powConCount = -1;
};

TEST_F(CatalogLoad, FixtureLoadsEveryMakerAndModelInNameOrder)
{
    // Locked.dat cannot be read: it is skipped and reported, nothing else.
    auto reader = [](const QString& path) -> std::optional<QByteArray> {
        if (path.endsWith(QLatin1String("/Locked.dat")))
            return std::nullopt;
        return ReadFileBytes(path);
    };
    const CatalogLoadResult r = LoadModuleCatalog(modules, moduleCount, reader);
    EXPECT_TRUE(r.folderFound);
    EXPECT_EQ(r.problems, 1);
    EXPECT_EQ(r.firstNumber, 70);
    EXPECT_TRUE(r.firstPath.endsWith(QLatin1String("Alpha Solar/Locked.dat")));

    // Plain files and hidden folders are no makers; sorted without regard
    // to case.
    ASSERT_EQ(moduleCount, 3);
    EXPECT_EQ(makerNames(modules, 3), (QStringList{"Alpha Solar", "beta", QStringLiteral("Gamma 太陽")}));
    EXPECT_EQ(codes(modules[0]), (QStringList{"as-100", "AS-250", "Empty", "NEW", "Short", "X-1.5"}));
    EXPECT_EQ(modules[0].Models.size(), 6u);
    EXPECT_EQ(modules[0].Models[1], moduleFixture(QStringLiteral("Alpha Solar"), QStringLiteral("AS-250.dat")));
    EXPECT_EQ(modules[0].Models[5].Memo, "m");
    EXPECT_EQ(codes(modules[1]), QStringList());
    EXPECT_EQ(codes(modules[2]), QStringList{"GM-300"});
    EXPECT_EQ(modules[2].Models[0].PmTempCoef, "-0.40");
    for (int i = 3; i < Catalog::MaxMakers; ++i)
        EXPECT_TRUE(modules[std::size_t(i)].MakerName.isEmpty() && modules[std::size_t(i)].Models.empty());

    const CatalogLoadResult p = LoadPowConCatalog(powCons, powConCount);
    EXPECT_EQ(p.problems, 0);
    ASSERT_EQ(powConCount, 2);
    EXPECT_EQ(powCons[0].MakerName, "Delta Power");
    EXPECT_EQ(codes(powCons[0]), (QStringList{"DP-55", "DP-new", "DP-short"}));
    EXPECT_EQ(powCons[0].Models[0], powConFixture(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat")));
    EXPECT_EQ(codes(powCons[1]), QStringList{"E1"});
}

TEST_F(CatalogLoad, AFileWithoutReadPermissionIsSkipped)
{
    // Run as an ordinary user, whom the permissions refuse.
    const QString locked = ModuleFile(QStringLiteral("Alpha Solar"), QStringLiteral("Locked.dat"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    OpenPathToEveryone(ModuleFile(QStringLiteral("Alpha Solar"), QString()));
    const ChildResult r = RunInChild({std::nullopt, true}, [&](const auto& send) {
        const CatalogLoadResult load = LoadModuleCatalog(modules, moduleCount);
        send(QStringLiteral("%1 %2 %3 %4")
                 .arg(load.problems)
                 .arg(load.firstNumber)
                 .arg(modules[0].ModelCount)
                 .arg(QStringList{codes(modules[0])}.join(u','))
                 .toUtf8());
        return 0;
    });
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.output, "1 70 6 as-100,AS-250,Empty,NEW,Short,X-1.5");
}

TEST_F(CatalogLoad, ALoadReplacesTheWholeTable)
{
    LoadModuleCatalog(modules, moduleCount);
    QDir(Global::DataFolder + QStringLiteral("/MODULE_DATA/Alpha Solar")).removeRecursively();
    // Another maker's model in the place of a full one: nothing of the
    // record read before it stays.
    PutTestFile(ModuleFile(QStringLiteral("beta"), QStringLiteral("B-1.dat")), "VER.8\r\n\r\n310\r\n");
    LoadModuleCatalog(modules, moduleCount);
    EXPECT_EQ(moduleCount, 2);
    EXPECT_EQ(modules[0].MakerName, "beta");
    ASSERT_EQ(modules[0].ModelCount, 1);
    ModuleModelRecord b1;
    b1.ModelCode = QStringLiteral("B-1");
    b1.Pm = QStringLiteral("310");
    EXPECT_EQ(modules[0].Models[0], b1);
    EXPECT_EQ(modules[1].ModelCount, 1);
    EXPECT_EQ(modules[1].Models[0], moduleFixture(QStringLiteral("Gamma 太陽"), QStringLiteral("GM-300.dat")));
    EXPECT_TRUE(modules[2].MakerName.isEmpty());
    EXPECT_TRUE(modules[2].Models.empty());
}

TEST_F(CatalogLoad, AMissingCatalogueFolderIsCreatedAndLeavesTheTableEmpty)
{
    LoadModuleCatalog(modules, moduleCount);
    QDir(Global::DataFolder + QStringLiteral("/MODULE_DATA")).removeRecursively();
    const CatalogLoadResult r = LoadModuleCatalog(modules, moduleCount);
    EXPECT_FALSE(r.folderFound);
    EXPECT_EQ(r.problems, 0);
    EXPECT_EQ(moduleCount, 0);
    EXPECT_TRUE(modules[0].MakerName.isEmpty());
    EXPECT_TRUE(QFileInfo(Global::DataFolder + QStringLiteral("/MODULE_DATA")).isDir());
}

TEST_F(CatalogLoad, PastTheLimitsTheFirst256Load)
{
    const QString root = Global::DataFolder + QStringLiteral("/POWER_CONDITIONER_DATA");
    QDir(root).removeRecursively();
    for (int i = 0; i < 258; ++i)
        QDir().mkpath(root + QStringLiteral("/M%1").arg(i, 3, 10, QChar(u'0')));
    const QString many = root + QStringLiteral("/M000");
    for (int k = 0; k < 257; ++k)
        QFile(many + QStringLiteral("/P%1.dat").arg(k, 3, 10, QChar(u'0'))).open(QIODevice::WriteOnly);

    const CatalogLoadResult r = LoadPowConCatalog(powCons, powConCount);
    EXPECT_EQ(powConCount, 256);
    EXPECT_EQ(powCons[255].MakerName, "M255");
    EXPECT_EQ(powCons[0].ModelCount, 256);
    EXPECT_EQ(powCons[0].Models[255].ModelCode, "P255");
    EXPECT_EQ(r.problems, 3); // two makers and one model left out
    EXPECT_EQ(r.firstNumber, 9);
    EXPECT_TRUE(r.firstPath.endsWith(QLatin1String("/M256")));
}

TEST_F(CatalogLoad, ListingIsByNameWithoutRegardToCase)
{
    const QString maker = Global::DataFolder + QStringLiteral("/MODULE_DATA/beta");
    for (const char* name : {"b.dat", "B2.dat", "a.DAT", "A.dat", "c.dat.bak", ".h.dat"})
        QFile(maker + u'/' + QLatin1String(name)).open(QIODevice::WriteOnly);
    QDir().mkpath(maker + QStringLiteral("/d.dat")); // a folder, not a model
    EXPECT_EQ(ListModelFiles(maker), (QStringList{"A.dat", "a.DAT", "b.dat", "B2.dat"}));
    EXPECT_EQ(ModelFileOnDisk(Catalog::ModuleSide, QStringLiteral("beta"), QStringLiteral("a")), maker + "/a.DAT");
    EXPECT_EQ(ModelFileOnDisk(Catalog::ModuleSide, QStringLiteral("beta"), QStringLiteral("z")), maker + "/z.dat");
}

// ---- Names the customer files cannot hold, unreadable folders, oversized files ---

TEST_F(CatalogLoad, NamesTheCustomerFilesCannotHoldArePassedOverAndNamed)
{
    const QString root = Global::DataFolder + QStringLiteral("/MODULE_DATA");
    const QStringList refusedMakers{QStringLiteral("Müller Solar"), QStringLiteral("Line\nBreak"),
                                    QStringLiteral("Trailing "), QStringLiteral("CON")};
    const QStringList refusedModels{QStringLiteral("X,Y.dat"), QStringLiteral("Müller.dat"),
                                    QStringLiteral("Line\rBreak.dat"), QStringLiteral("Tab\tbed.DAT")};
    for (const QString& name : refusedMakers) {
        ASSERT_TRUE(QDir().mkpath(root + u'/' + name));
        QFile(root + u'/' + name + QStringLiteral("/M-1.dat")).open(QIODevice::WriteOnly);
    }
    for (const QString& name : refusedModels)
        QFile(root + QStringLiteral("/Alpha Solar/") + name).open(QIODevice::WriteOnly);
    // Names the catalogue's buttons take stay, also such that look close:
    // a comma in a maker (a line of its own in the customer files).
    QDir().mkpath(root + QStringLiteral("/Kirin, Denki"));
    QFile(root + QStringLiteral("/Alpha Solar/日本 (2).DAT")).open(QIODevice::WriteOnly);

    const CatalogLoadResult r = LoadModuleCatalog(modules, moduleCount);
    EXPECT_EQ(r.problems, 0);
    QStringList expected = refusedMakers;
    for (const QString& name : refusedModels)
        expected << QStringLiteral("Alpha Solar/") + name;
    QStringList got = r.refusedNames;
    got.sort();
    expected.sort();
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(r.oversized.isEmpty());
    EXPECT_EQ(makerNames(modules, moduleCount),
              (QStringList{"Alpha Solar", "beta", QStringLiteral("Gamma 太陽"), "Kirin, Denki"}));
    EXPECT_EQ(codes(modules[0]),
              (QStringList{"as-100", "AS-250", "Empty", "Locked", "NEW", "Short", "X-1.5", QStringLiteral("日本 (2)")}));
}

TEST(CatalogNames, AnImportRefusesOnlyTheMakersAndModelsTheLoadPassesOver)
{
    const struct {
        const char* relative;
        bool folder;
        bool refused;
    } cases[] = {
        {"Alpha", true, false},
        {"Alpha/A-1.dat", false, false},
        {"Alpha/X,Y.dat", false, true},
        {"Alpha/X,Y.DAT", false, true},
        {"Alpha/X,Y.txt", false, false},   // no model file
        {"Alpha/X,Y", true, false},        // a maker's own subfolder
        {"Alpha/Pictures/X,Y.dat", false, false},
        {"Alpha/.X,Y.dat", false, false},  // hidden: never listed
        {"Müller Solar", true, true},
        {"Müller Solar/M-1.dat", false, true},
        {"Müller Solar/Pictures/M-1.jpg", false, true},
        {"Müller Solar.txt", false, false}, // a file beside the makers
        {".Müller", true, false},
        {"CON", true, true},
        {"Alpha/CON.dat", false, true},
        {"Alpha/.dat", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CatalogEntryRefused(QString::fromUtf8(c.relative), c.folder), c.refused) << c.relative;
}

TEST_F(CatalogLoad, AnUnreadableMakerFolderIsReportedLikeAnUnreadableFile)
{
    // Run as an ordinary user, whom the permissions refuse.
    const QString powCon = Global::DataFolder + QStringLiteral("/POWER_CONDITIONER_DATA/Delta Power");
    const QString module = Global::DataFolder + QStringLiteral("/MODULE_DATA/beta");
    OpenPathToEveryone(powCon);
    OpenPathToEveryone(module);
    ASSERT_TRUE(QFile::setPermissions(powCon, QFileDevice::Permissions()));
    ASSERT_TRUE(QFile::setPermissions(module, QFileDevice::Permissions()));
    const ChildResult r = RunInChild({std::nullopt, true}, [&](const auto& send) {
        const CatalogLoadResult p = LoadPowConCatalog(powCons, powConCount);
        const CatalogLoadResult m = LoadModuleCatalog(modules, moduleCount, [](const QString& path) {
            return ReadFileBytes(path);
        });
        send(QStringLiteral("%1 %2 %3 %4 %5 | %6 %7")
                 .arg(p.problems)
                 .arg(p.firstNumber)
                 .arg(p.firstPath.mid(Global::DataFolder.size()))
                 .arg(powCons[0].ModelCount)
                 .arg(QStringList{codes(powCons[1])}.join(u','))
                 .arg(m.problems)
                 .arg(makerNames(modules, moduleCount).join(u','))
                 .toUtf8());
        return 0;
    });
    QFile::setPermissions(powCon, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(module, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(r.exited);
    // The maker stays in the list, without models; the other makers load.
    EXPECT_EQ(QString::fromUtf8(r.output),
              QStringLiteral("1 70 /POWER_CONDITIONER_DATA/Delta Power 0 E1 | 1 Alpha Solar,beta,Gamma 太陽"));
}

TEST_F(CatalogLoad, AFileFarLargerThanAModelFileIsPassedOverUnread)
{
    const QString maker = Global::DataFolder + QStringLiteral("/POWER_CONDITIONER_DATA/epsilon");
    QFile huge(maker + QStringLiteral("/Huge.dat"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(50 * 1024 * 1024)); // sparse: no disk taken
    huge.close();
    QFile largest(maker + QStringLiteral("/Largest.dat"));
    ASSERT_TRUE(largest.open(QIODevice::WriteOnly));
    ASSERT_TRUE(largest.write(QByteArray(MaxModelFileBytes, 'x')) == MaxModelFileBytes);
    largest.close();

    const CatalogLoadResult r = LoadPowConCatalog(powCons, powConCount);
    EXPECT_EQ(r.problems, 0);
    EXPECT_EQ(r.oversized, QStringList{"epsilon/Huge.dat"});
    EXPECT_EQ(codes(powCons[1]), (QStringList{"E1", "Largest"}));

    // The read stops just past the limit.
    const FolderReader folder(maker);
    QByteArray bytes("left");
    EXPECT_EQ(folder.readAtMost(QStringLiteral("Huge.dat"), MaxModelFileBytes, bytes),
              FolderReader::ReadOutcome::TooLarge);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(folder.readAtMost(QStringLiteral("Largest.dat"), MaxModelFileBytes, bytes),
              FolderReader::ReadOutcome::Read);
    EXPECT_EQ(bytes.size(), MaxModelFileBytes);
    EXPECT_EQ(folder.readAtMost(QStringLiteral("Missing.dat"), MaxModelFileBytes, bytes),
              FolderReader::ReadOutcome::Failed);
}

TEST(CatalogNames, OneReportNamesWhatWasPassedOver)
{
    const QStringList texts = Global::UiText;
    Global::UiText[UiNamesPassedOver] = QStringLiteral("names:");
    Global::UiText[UiFilesTooLarge] = QStringLiteral("large:");
    EXPECT_EQ(PassedOverReport({}, {}), QString());
    EXPECT_EQ(PassedOverReport({"Müller Solar", "A/X,Y.dat"}, {}), "names:\r\nMüller Solar\r\nA/X,Y.dat");
    EXPECT_EQ(PassedOverReport({"A/X,Y.dat"}, {"B/big.dat"}), "names:\r\nA/X,Y.dat\r\n\r\nlarge:\r\nB/big.dat");
    QStringList many;
    for (int i = 0; i < 23; ++i)
        many << QStringLiteral("M%1,").arg(i);
    const QStringList lines = PassedOverReport(many, {}).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[20], "M19,");
    EXPECT_EQ(lines[21], "(+3)");
    Global::UiText = texts;
}
