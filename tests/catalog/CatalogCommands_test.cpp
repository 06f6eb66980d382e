// The catalogue tab's command buttons on the main window over the fixture
// catalogue: new and deleted makers and models of both sides with their
// questions, the refused names, the choice after each command, a maker's
// documents folder, and the writes failing at every step.
#include "catalog/CatalogAccess.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"
#include "catalog/support/CatalogFixture.h"
#include "customers/CatalogCommands.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "support/WriteFaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace CatalogFixture;

namespace {

constexpr int M = Catalog::ModuleSide;
constexpr int P = Catalog::PowConSide;
const QString Alpha = QStringLiteral("Alpha Solar");

QString ui(int key)
{
    return Global::UiText.value(key);
}

// The buttons of each side: new maker, delete maker, new model, delete
// model, documents folder.
struct Buttons {
    int newMaker, deleteMaker, newModel, deleteModel, documents;
};
constexpr Buttons kButtons[2] = {{6, 4, 9, 7, 17}, {13, 12, 15, 14, 16}};

class CatalogCommands : public ::testing::Test {
  protected:
    CatalogWindow t;
    ScriptedDialogs& d = t.dialogs();

    QString catalog(int side) const
    {
        return Global::DataFolder + (side == M ? QStringLiteral("/MODULE_DATA") : QStringLiteral("/POWER_CONDITIONER_DATA"));
    }
    QStringList folders(int side) const
    {
        return QDir(catalog(side)).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST_F(CatalogCommands, TheCatalogueButtonsAreTheirs)
{
    for (int i = 0; i <= 20; ++i)
        EXPECT_EQ(IsCatalogCommand(i), QList<int>({4, 6, 7, 9, 12, 13, 14, 15, 16, 17}).contains(i)) << i;
    CatalogCommand_Click(5);
    CatalogCommand_Click(0);
    EXPECT_TRUE(d.log.isEmpty());
}

TEST_F(CatalogCommands, ANewMakerIsAFolderListedInNameOrderAndNothingIsChosen)
{
    for (int side : {M, P}) {
        SCOPED_TRACE(side);
        t.clickMaker(side, 1);
        d.answerText(QStringLiteral("Bravo"));
        CatalogCommand_Click(kButtons[side].newMaker);
        ASSERT_EQ(d.log.size(), 1);
        EXPECT_EQ(d.log[0].kind, RecordedDialog::Input);
        EXPECT_EQ(d.log[0].prompt, ui(522));
        EXPECT_EQ(d.log[0].title, AppTitle);
        EXPECT_EQ(d.log[0].defaultText, "");
        EXPECT_TRUE(QFileInfo(catalog(side) + QStringLiteral("/Bravo")).isDir());
        EXPECT_TRUE(t.rows(t.makers(side)).contains(QStringLiteral("Bravo")));
        EXPECT_EQ(CurMaker(side), -1);
        EXPECT_EQ(t.models(side)->Rows(), 1);
        d.log.clear();
    }
    EXPECT_EQ(t.rows(t.makers(M)), (QStringList{Alpha, "beta", "Bravo", QStringLiteral("Gamma 太陽")}));
}

TEST_F(CatalogCommands, CancelAnEmptyNameOrAnExistingMakerChangeNothingSilently)
{
    const QStringList before = folders(M);
    d.answerCancel();
    CatalogCommand_Click(6);
    d.answerText(QString());
    CatalogCommand_Click(6);
    // An existing maker in another letter case is the same maker.
    d.answerText(QStringLiteral("ALPHA SOLAR"));
    CatalogCommand_Click(6);
    EXPECT_EQ(folders(M), before);
    for (const auto& entry : d.log)
        EXPECT_EQ(entry.kind, RecordedDialog::Input);
}

TEST_F(CatalogCommands, NamesThatCannotTravelAreRefused)
{
    const char* const makers[] = {"a/b", "a:b", "a*b", ".", "..", ".x", "Maker.", "Maker ", "CON", "lpt1.txt",
                                  "a\tb"};
    for (const char* name : makers) {
        d.log.clear();
        d.answerText(QString::fromUtf8(name));
        CatalogCommand_Click(6);
        ASSERT_EQ(d.log.size(), 2) << name;
        EXPECT_EQ(d.log[1].message.text, ui(575)) << name;
        EXPECT_EQ(d.log[1].message.icon, vbExclamation);
    }
    // Model codes: the same rules, and no ",".
    t.clickMaker(M, 2);
    for (const char* code : {"A,B", "AUX", "x?y", "\xc3\xa9"}) {
        d.log.clear();
        d.answerText(QString::fromUtf8(code));
        CatalogCommand_Click(9);
        ASSERT_EQ(d.log.size(), 2) << code;
        EXPECT_EQ(d.log[1].message.text, ui(575)) << code;
    }
    // A path the program could not look up again.
    d.log.clear();
    d.answerText(QString(250, u'm'));
    CatalogCommand_Click(6);
    EXPECT_EQ(d.messages(), QStringList{ui(575)});
    EXPECT_EQ(folders(M), (QStringList{".hidden", Alpha, "Gamma 太陽", "beta"}));
    EXPECT_TRUE(QDir(catalog(M) + QStringLiteral("/beta")).entryList({"*.dat"}, QDir::Files).isEmpty());
}

TEST_F(CatalogCommands, DeletingAMakerAsksThreeTimesThenRemovesItsWholeFolder)
{
    EXPECT_EQ(QDir(catalog(M) + u'/' + Alpha).exists(), true);
    CatalogCommand_Click(4); // no maker chosen: nothing
    EXPECT_TRUE(d.log.isEmpty());

    t.clickMaker(M, 1);
    for (int no = 0; no < 3; ++no) {
        d.log.clear();
        for (int k = 0; k < no; ++k)
            d.answer(vbYes);
        d.answer(vbNo);
        CatalogCommand_Click(4);
        ASSERT_EQ(d.log.size(), no + 1);
        for (int k = 0; k <= no; ++k) {
            EXPECT_EQ(d.log[k].message.text, ui(523 + k));
            EXPECT_EQ(d.log[k].message.icon, vbQuestion);
            EXPECT_EQ(d.log[k].message.buttons, vbYesNo);
            EXPECT_EQ(d.log[k].message.defaultButton, 1);
        }
        EXPECT_TRUE(QDir(catalog(M) + u'/' + Alpha).exists());
        EXPECT_EQ(Global::CurModuleMaker, 0);
    }
    d.log.clear();
    d.answer(vbYes);
    d.answer(vbYes);
    d.answer(vbYes);
    CatalogCommand_Click(4);
    EXPECT_FALSE(QDir(catalog(M) + u'/' + Alpha).exists());
    EXPECT_EQ(t.rows(t.makers(M)), (QStringList{"beta", QStringLiteral("Gamma 太陽")}));
    EXPECT_EQ(Global::CurModuleMaker, -1);
    EXPECT_EQ(Global::ModuleMakerCount, 2);

    // The power-conditioner side asks its own three questions.
    t.clickMaker(P, 2);
    d.log.clear();
    d.answer(vbYes);
    d.answer(vbYes);
    d.answer(vbYes);
    CatalogCommand_Click(12);
    EXPECT_EQ(d.messages(), (QStringList{ui(526), ui(527), ui(528)}));
    EXPECT_EQ(folders(P), QStringList{"Delta Power"});
}

TEST_F(CatalogCommands, ANewModelIsWrittenEmptyAndShownForEditing)
{
    CatalogCommand_Click(9); // no maker chosen: nothing
    EXPECT_TRUE(d.log.isEmpty());

    t.clickMaker(M, 1);
    d.answerText(QStringLiteral("AS-300"));
    CatalogCommand_Click(9);
    EXPECT_EQ(d.log[0].prompt, ui(529));
    const QString file = ModuleFile(Alpha, QStringLiteral("AS-300.dat"));
    EXPECT_EQ(Bytes(file), Lines(QStringList(20)));
    EXPECT_EQ(Global::CurModuleMaker, 0);
    ASSERT_GE(Global::CurModuleModel, 0);
    EXPECT_EQ(ModelCodeAt(M, 0, Global::CurModuleModel), "AS-300");
    EXPECT_EQ(t.models(M)->TextMatrix(t.models(M)->Row(), 0), "AS-300");
    EXPECT_EQ(t.models(M)->cellBackColor(t.models(M)->Row(), 0), 0x800000u);
    EXPECT_EQ(t.text(17), "");

    // The power-conditioner side writes 25 empty lines.
    t.clickMaker(P, 2);
    d.log.clear();
    d.answerText(QStringLiteral("E2"));
    CatalogCommand_Click(15);
    EXPECT_EQ(d.log[0].prompt, ui(530));
    EXPECT_EQ(Bytes(PowConFile(QStringLiteral("epsilon"), QStringLiteral("E2.dat"))), Lines(QStringList(25)));
    EXPECT_EQ(ModelCodeAt(P, 1, Global::CurPowConModel), "E2");
}

TEST_F(CatalogCommands, AnExistingModelCodeInAnyCaseIsRefusedWithItsMessage)
{
    t.clickMaker(M, 1);
    const auto before = Snapshot(catalog(M));
    for (const char* code : {"AS-250", "as-250", "new"}) {
        d.log.clear();
        d.answerText(QString::fromLatin1(code));
        CatalogCommand_Click(9);
        EXPECT_EQ(d.messages(), QStringList{ui(736)}) << code;
        EXPECT_EQ(d.log.last().message.icon, vbExclamation);
    }
    EXPECT_EQ(Snapshot(catalog(M)), before);
}

TEST_F(CatalogCommands, UnregisteredEditsAreAskedAboutBeforeANewModelReloads)
{
    t.clickMaker(M, 1);
    t.clickModel(M, 1);
    qobject_cast<QLineEdit*>(t.ctl("TxtIn", 13))->setText(QStringLiteral("-0.3"));
    t.type(17, QStringLiteral("9"));
    d.log.clear();
    d.answerText(QStringLiteral("AS-400"));
    d.answer(vbYes);
    CatalogCommand_Click(9);
    EXPECT_EQ(d.log.size(), 2);
    EXPECT_EQ(d.log[1].message.text, ui(578));
    EXPECT_EQ(AnsiCodec::splitLines(Bytes(ModuleFile(Alpha, QStringLiteral("as-100.dat"))))[2], "1009");
    EXPECT_TRUE(QFileInfo::exists(ModuleFile(Alpha, QStringLiteral("AS-400.dat"))));
    FrmMessWindow::Unload();
}

TEST_F(CatalogCommands, DeletingAModelAsksTwiceAndKeepsTheMakerChosen)
{
    t.clickMaker(M, 1);
    CatalogCommand_Click(7); // no model chosen: nothing
    EXPECT_TRUE(d.log.isEmpty());

    t.clickModel(M, 2); // AS-250
    const QString file = ModuleFile(Alpha, QStringLiteral("AS-250.dat"));
    d.answer(vbYes);
    d.answer(vbNo);
    CatalogCommand_Click(7);
    EXPECT_EQ(d.messages(), (QStringList{ui(531), ui(532)}));
    EXPECT_EQ(d.log[1].message.defaultButton, 1);
    EXPECT_TRUE(QFileInfo::exists(file));

    d.log.clear();
    d.answer(vbYes);
    d.answer(vbYes);
    CatalogCommand_Click(7);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(Global::CurModuleMaker, 0);
    EXPECT_EQ(Global::CurModuleModel, -1);
    EXPECT_FALSE(t.rows(t.models(M)).contains(QStringLiteral("AS-250")));
    EXPECT_EQ(t.makers(M)->cellBackColor(1, 0), 0x800000u);

    // The file it was read from goes, whatever the case of its extension.
    t.clickModel(M, 4); // NEW (NEW.DAT)
    d.answer(vbYes);
    d.answer(vbYes);
    CatalogCommand_Click(7);
    EXPECT_FALSE(QFileInfo::exists(ModuleFile(Alpha, QStringLiteral("NEW.DAT"))));

    t.clickMaker(P, 1);
    t.clickModel(P, 1);
    d.log.clear();
    d.answer(vbYes);
    d.answer(vbYes);
    CatalogCommand_Click(14);
    EXPECT_EQ(d.messages(), (QStringList{ui(533), ui(534)}));
    EXPECT_FALSE(QFileInfo::exists(PowConFile(QStringLiteral("Delta Power"), QStringLiteral("DP-55.dat"))));
}

TEST_F(CatalogCommands, TheDocumentsFolderIsMadeWithItsMarkerAndShown)
{
    QStringList opened;
    Global::ShellOpenOverride = [&](const QString& target) { opened << target; };
    CatalogCommand_Click(17); // no maker chosen
    EXPECT_TRUE(opened.isEmpty());

    t.clickMaker(M, 2); // beta: no documents folder yet
    CatalogCommand_Click(17);
    const QString folder = catalog(M) + QStringLiteral("/beta/") + ui(535);
    EXPECT_EQ(opened, QStringList{folder});
    EXPECT_EQ(Bytes(folder + u'/' + ui(536)), QByteArray("\r\n"));

    // An existing folder without its marker is shown as it is.
    QFile::remove(folder + u'/' + ui(536));
    CatalogCommand_Click(17);
    EXPECT_EQ(opened.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(folder + u'/' + ui(536)));

    t.clickMaker(P, 1);
    CatalogCommand_Click(16);
    EXPECT_EQ(opened.last(), catalog(P) + QStringLiteral("/Delta Power/") + ui(537));
    EXPECT_TRUE(QFileInfo::exists(opened.last() + u'/' + ui(538)));
    Global::ShellOpenOverride = nullptr;
    EXPECT_TRUE(d.log.isEmpty());
}

TEST_F(CatalogCommands, NewMakersModelsAndDocumentsUnderTheWriteFaultHarness)
{
    const QString root = catalog(M);
    Global::ShellOpenOverride = [](const QString&) {};
    auto fresh = [&] {
        QDir(root).removeRecursively();
        Install(Global::DataFolder);
        CatalogReload(M);
        t.clickMaker(M, 2); // beta
    };
    // A new maker is a folder only: no file size can make it fail.
    const WriteFaultSummary maker = FailEveryWriteStep({"new maker", root, fresh, [&] {
                                                            d.answerText(QStringLiteral("Bravo"));
                                                            CatalogCommand_Click(6);
                                                            return QFileInfo(root + QStringLiteral("/Bravo")).isDir();
                                                        }});
    EXPECT_EQ(maker.points, 1);
    EXPECT_EQ(maker.reported, 1);
    EXPECT_EQ(maker.problems, QStringList());
    CheckWriteFaults({"new model", root, fresh, [&] {
                          d.answerText(QStringLiteral("B1"));
                          CatalogCommand_Click(9);
                          return QFileInfo::exists(root + QStringLiteral("/beta/B1.dat"));
                      }});
    CheckWriteFaults({"documents folder", root, fresh, [&] {
                          CatalogCommand_Click(17);
                          return QFileInfo::exists(root + QStringLiteral("/beta/") + ui(535) + u'/' + ui(536));
                      }});
    Global::ShellOpenOverride = nullptr;
}

TEST_F(CatalogCommands, AFailedWriteIsReportedAndLeavesNoFile)
{
    t.clickMaker(M, 2);
    const QString model = ModuleFile(QStringLiteral("beta"), QStringLiteral("B1.dat"));
    for (int step = 1; step <= 3; ++step) {
        SCOPED_TRACE(step);
        FileIoFaults::FailAt(step);
        d.log.clear();
        d.answerText(QStringLiteral("B1"));
        CatalogCommand_Click(9);
        ASSERT_EQ(d.log.size(), 2);
        EXPECT_EQ(d.log[1].title, "CmdBtn_Click");
        EXPECT_TRUE(d.log[1].message.text.contains(model));
        EXPECT_FALSE(QFileInfo::exists(model));
        EXPECT_EQ(t.rows(t.models(M)), QStringList());
    }
    FileIoFaults::Reset();
    d.answerText(QStringLiteral("B1"));
    CatalogCommand_Click(9);
    EXPECT_EQ(Bytes(model), Lines(QStringList(20)));
}
