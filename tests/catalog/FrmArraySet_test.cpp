// The array configuration window over a hand-made catalogue and the real
// main window: the fill from the record (stored entries the catalogue lost
// are kept), the maker, model and count handlers with their totals and
// coefficients, the Delete keys, the change mark, copy and paste, and save,
// cancel and close with MakerData.csv written through the customer save,
// also when each write of that save fails in turn.
#include "app/MainWindowEnv.h"
#include "catalog/ArrayDerivation.h"
#include "catalog/ArraySet.h"
#include "catalog/ArraySetGlobals.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/CatalogTab.h"
#include "catalog/FrmArraySet.h"
#include "catalog/ModelFiles.h"
#include "catalog/support/ArraySetFixture.h"
#include "common/Captions.h"
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"

#include <QAction>
#include <QComboBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace ArrayDerivation;

namespace {

const QString CustomerKey = QStringLiteral("E005_配列商店");

QByteArray Lines(const QStringList& lines)
{
    return AnsiCodec::joinLines(lines);
}

QByteArray Bytes(const QString& path)
{
    return ReadFileBytes(path).value_or(QByteArray());
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// Types `text` into a box key by key, as a user does.
void Type(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->clear();
    for (QChar ch : text)
        Key(box, ch.isDigit() ? Qt::Key_0 + ch.digitValue() : Qt::Key_Period, Qt::NoModifier, QString(ch));
}

// A choice made with the mouse: the press on the list, then the item
// chosen in its drop-down.
void Pick(QComboBox* list, int pos)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(list, &press);
    list->setCurrentIndex(pos);
    emit list->activated(pos);
}

QStringList Items(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

class ArraySetTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        w.load();
        ArraySetFixture::InstallCatalog();
        Global::ArrayConfiguration = ArrayConfigurationType{};
        Global::ArraySetChanged = false;
        Global::GroupClipboard = GroupClipboardType{};
        Global::ArraySetSaveHook = nullptr;
        Global::CurUserRow = 0;
        Global::UserListCount = 0;
        Global::HistoryPage = 0;
        f = ArraySetWindow();
        ASSERT_NE(f, nullptr);
    }
    void TearDown() override
    {
        FileIoFaults::Reset();
        FrmArraySetUnload();
        Global::ArraySetSaveHook = nullptr;
        ArraySetFixture::ClearCatalog();
    }

    ScriptedDialogs& Dialogs() { return *w.env.dialogs; }
    QString MainCaption(const char* name) { return CaptionOf(MainControlObject(QString::fromLatin1(name))); }
    QString Folder() const { return w.env.dataFolder() + "/USER_DATA/" + CustomerKey; }

    // The customer of the save tests: its key on the customer tab, and a
    // customer save that writes its folder as the real one does.
    void SaveThroughUserDataSave()
    {
        SetTextOf(MainControlObject("TxtIn_0"), "E005");
        SetTextOf(MainControlObject("TxtIn_1"), "配列商店");
        Global::ArraySetSaveHook = [](bool) { return UserDataSave(CustomerKey, false); };
    }

    // Group 0: Tolvane Solar, rows TS-300 and TS-250; group 1: Kirin Denki.
    void FillTwoGroups()
    {
        ArrayConfigurationType& a = Global::ArrayConfiguration;
        a.TotalPm = "7800";
        a.GroupMaker[0] = "tolvane solar";
        a.StringRows[0] = {"TS-300", "10", "2", "290", "38.5", "9.1"};
        a.StringRows[1] = {"ts-250", "4", "", "250", "37", "8"};
        a.StringRows[2] = {"", "5", "2", "250", "", ""}; // no model: shown empty
        a.GroupPowCon[0] = {"3", "ソルベル", "sb40f"};
        a.GroupMaker[1] = "Kirin Denki";
        a.StringRows[5] = {"KD-200", "5", "", "200", "24", "8.5"};
        a.GroupPowCon[1] = {"2", "Sanrise", "SR-4"};
        a.ExtMemo = "接続箱2台\r\n監視装置";
        ShowArraySetData();
    }

    MainWindowEnv w;
    FrmArraySet* f = nullptr;
};

} // namespace

// ---- The fill ---------------------------------------------------------------

TEST_F(ArraySetTest, FillShowsTheStoredConfigurationWithItsTotalsAndCoefficients)
{
    Global::ArrayConfiguration.GroupAlpha[5] = "an earlier customer's";
    FillTwoGroups();

    EXPECT_EQ(f->CmbMaker[0]->currentIndex(), 0);
    EXPECT_EQ(Items(f->CmbModSel[0]), (QStringList{"TS-250", "TS-300", "ts-250"}));
    EXPECT_EQ(f->CmbModSel[0]->currentIndex(), 1);
    EXPECT_EQ(f->CmbModSel[1]->currentIndex(), 0) << "the first of two codes differing in case";
    // The stored figures, not the catalogue's, are shown.
    EXPECT_EQ(f->LblPm[0]->text(), "290");
    EXPECT_EQ(f->LblVoc[0]->text(), "38.5");
    EXPECT_EQ(f->LblIsc[0]->text(), "9.1");
    EXPECT_EQ(f->TxtCnt[0]->text(), "10");
    EXPECT_EQ(f->TxtCntH[0]->text(), "2");
    EXPECT_EQ(f->CmbModSel[2]->currentIndex(), -1);
    EXPECT_EQ(f->TxtCnt[2]->text(), "");
    EXPECT_EQ(f->LblPm[2]->text(), "");

    EXPECT_EQ(f->LblStringTotalPm[0]->text(), "6800"); // 290 x 10 x 2 + 250 x 4
    EXPECT_EQ(f->LblStringTotalPm[1]->text(), "1000");
    EXPECT_EQ(f->LblStringTotalPm[2]->text(), "0");
    EXPECT_EQ(f->LblTotalPm->text(), "7800");

    EXPECT_EQ(f->LblPmTemp[0]->text(), "TS-300 pmt");
    EXPECT_EQ(f->LblK[0]->text(), "TS-300 k");
    EXPECT_EQ(f->LblAlpha[1]->text(), "KD-200 alpha");
    EXPECT_EQ(f->LblRs[2]->text(), "");
    const ArrayConfigurationType& a = Global::ArrayConfiguration;
    EXPECT_EQ(CoefficientsInRecord(a, 0), CoefficientsOf(Global::ModuleCatalog[0].Models[1]));
    EXPECT_EQ(CoefficientsInRecord(a, 1), CoefficientsOf(Global::ModuleCatalog[1].Models[0]));
    EXPECT_EQ(a.GroupAlpha[5], "") << "the fill empties the tables first";

    EXPECT_EQ(f->CmbNoSel[0]->currentText(), "3");
    EXPECT_EQ(f->CmbPowConMaker[0]->currentText(), "ソルベル");
    EXPECT_EQ(Items(f->CmbPowConSerial[0]), (QStringList{"SB55M", "SB40F"}));
    EXPECT_EQ(f->CmbPowConSerial[0]->currentIndex(), 1);
    EXPECT_EQ(f->CmbPowConSerial[1]->currentText(), "SR-4");
    EXPECT_EQ(f->TxtExData->toPlainText(), "接続箱2台\n監視装置");
    EXPECT_EQ(MainCaption("LblModulePmMax"), "7800");
    EXPECT_FALSE(Global::ArraySetChanged);
    EXPECT_FALSE(f->isVisible());

    // The plain derivation gives what the window shows.
    ArrayConfigurationType derived = Global::ArrayConfiguration;
    DeriveArrayGroups(derived, Global::ModuleCatalog, Global::ModuleMakerCount);
    for (int g = 0; g < 10; ++g) {
        EXPECT_EQ(derived.GroupRatedPm[g], f->LblStringTotalPm[g]->text()) << g;
        EXPECT_EQ(CoefficientsInRecord(derived, g), CoefficientsInRecord(a, g)) << g;
    }
}

TEST_F(ArraySetTest, ACustomerWithoutConfigurationEmptiesEverythingButTheMemo)
{
    Global::ArrayConfiguration.ExtMemo = "メモだけ";
    ShowArraySetData();
    for (int g = 0; g < 10; ++g) {
        for (QComboBox* c : {f->CmbMaker[g], f->CmbNoSel[g], f->CmbPowConMaker[g], f->CmbPowConSerial[g]})
            EXPECT_EQ(c->currentIndex(), -1) << c->objectName().toStdString();
        EXPECT_EQ(f->LblStringTotalPm[g]->text(), "");
        EXPECT_EQ(f->LblPmTemp[g]->text(), "");
    }
    for (int r = 0; r < 50; ++r) {
        EXPECT_EQ(f->CmbModSel[r]->count(), 0);
        EXPECT_EQ(f->TxtCnt[r]->text(), "");
    }
    EXPECT_EQ(f->LblTotalPm->text(), "");
    EXPECT_EQ(f->TxtExData->toPlainText(), "メモだけ");

    // After a customer with rows, the emptied rows give totals of 0.
    FillTwoGroups();
    Global::ArrayConfiguration = ArrayConfigurationType{};
    ShowArraySetData();
    EXPECT_EQ(f->LblTotalPm->text(), "0");
    EXPECT_EQ(f->LblStringTotalPm[0]->text(), "0");
    EXPECT_EQ(f->CmbPowConSerial[0]->count(), 0);
}

// Makers and models the catalogue no longer holds stay what the customer
// has: shown as marked items, counted with their stored figures, without
// coefficients, and written back by the save unchanged.
TEST_F(ArraySetTest, StoredEntriesMissingFromTheCatalogueAreKeptAndSavedBack)
{
    FillTwoGroups(); // the lists hold another customer's entries first
    ArrayConfigurationType a;
    a.TotalPm = "1234";
    a.GroupMaker[0] = "Gone Maker";
    a.StringRows[0] = {"GM-1", "3", "", "100", "40", "5"};
    a.GroupMaker[1] = "Tolvane Solar";
    a.StringRows[5] = {"TS-999", "2", "", "111", "30", "4"}; // first row: lost model
    a.StringRows[6] = {"TS-250", "2", "", "250", "37", "8"};
    a.GroupMaker[2] = "";
    a.StringRows[10] = {"NO-MAKER", "1", "", "50", "", ""};
    a.GroupPowCon[0] = {"", "", "SB40F"}; // never the SB40F of the customer before
    a.GroupPowCon[1] = {"2", "ソルベル", "SB99"};
    a.GroupPowCon[2] = {"1", "Gone PC", "X-1"};
    Global::ArrayConfiguration = a;
    ShowArraySetData();

    EXPECT_EQ(f->CmbMaker[0]->currentText(), "Gone Maker");
    EXPECT_EQ(f->CmbMaker[0]->count(), Global::ModuleMakerCount + 1);
    EXPECT_EQ(f->CmbMaker[0]->itemData(f->CmbMaker[0]->currentIndex(), Qt::ToolTipRole).toString(),
              Global::UiText[875]);
    EXPECT_EQ(Items(f->CmbModSel[0]), QStringList{"GM-1"});
    EXPECT_EQ(f->CmbModSel[0]->currentText(), "GM-1");
    EXPECT_EQ(f->LblPm[0]->text(), "100");
    EXPECT_EQ(f->CmbModSel[5]->currentText(), "TS-999");
    EXPECT_EQ(f->CmbModSel[5]->count(), 4) << "the maker's three models and the kept one";
    EXPECT_EQ(f->CmbModSel[10]->currentText(), "NO-MAKER");
    EXPECT_EQ(f->LblStringTotalPm[0]->text(), "300");
    EXPECT_EQ(f->LblStringTotalPm[1]->text(), "722");
    EXPECT_EQ(f->LblTotalPm->text(), "1072");
    for (int g : {0, 1, 2}) {
        EXPECT_EQ(f->LblPmTemp[g]->text(), "") << g;
        EXPECT_EQ(CoefficientsInRecord(Global::ArrayConfiguration, g), GroupCoefficients{}) << g;
    }
    EXPECT_EQ(f->CmbPowConMaker[0]->currentIndex(), -1);
    EXPECT_EQ(Items(f->CmbPowConSerial[0]), QStringList{"SB40F"});
    EXPECT_EQ(f->CmbPowConSerial[0]->itemData(0, Qt::ToolTipRole).toString(), Global::UiText[875]);
    EXPECT_EQ(f->CmbPowConSerial[1]->currentText(), "SB99");
    EXPECT_EQ(f->CmbPowConMaker[2]->currentText(), "Gone PC");
    EXPECT_EQ(Items(f->CmbPowConSerial[2]), QStringList{"X-1"});

    // The save writes every kept entry back as it was stored.
    SaveThroughUserDataSave();
    f->CmdBtn_Click(0);
    QByteArray expected = Lines({"1072", "Gone Maker", "GM-1,3,100,40,5,", ",,,,,", ",,,,,", ",,,,,", ",,,,,", "",
                                 "", "SB40F", "Tolvane Solar", "TS-999,2,111,30,4,", "TS-250,2,250,37,8,",
                                 ",,,,,", ",,,,,", ",,,,,", "2", "ソルベル", "SB99", "", "NO-MAKER,1,50,,,", ",,,,,",
                                 ",,,,,", ",,,,,", ",,,,,", "1", "Gone PC", "X-1"});
    for (int g = 3; g < 10; ++g)
        expected += Lines({"", ",,,,,", ",,,,,", ",,,,,", ",,,,,", ",,,,,", "", "", ""});
    expected += Lines({""});
    EXPECT_EQ(Bytes(Folder() + "/MakerData.csv"), expected);
    EXPECT_TRUE(Dialogs().log.isEmpty()) << Dialogs().messages().join('\n').toStdString();

    // A first row that goes back from a catalogue model to the lost one
    // takes the group's coefficients with it.
    Pick(f->CmbModSel[5], 1);
    EXPECT_EQ(f->LblAlpha[1]->text(), "TS-300 alpha");
    Pick(f->CmbModSel[5], 3);
    EXPECT_EQ(f->CmbModSel[5]->currentText(), "TS-999");
    EXPECT_EQ(f->LblAlpha[1]->text(), "");
    EXPECT_EQ(CoefficientsInRecord(Global::ArrayConfiguration, 1), GroupCoefficients{});
}

TEST_F(ArraySetTest, GroupNumbersChooseOnlyOneToTen)
{
    const QString numbers[] = {"", "0", "3", "11", "abc", "10"};
    for (int g = 0; g < 6; ++g)
        Global::ArrayConfiguration.GroupPowCon[g].PowConNo = numbers[g];
    Global::ArrayConfiguration.GroupMaker[9] = "Kirin Denki";
    ShowArraySetData();
    const int expected[] = {-1, -1, 2, -1, -1, 9};
    for (int g = 0; g < 6; ++g)
        EXPECT_EQ(f->CmbNoSel[g]->currentIndex(), expected[g]) << numbers[g].toStdString();
    EXPECT_EQ(f->CmbMaker[9]->currentText(), "Kirin Denki") << "the fill went on to the last group";
    EXPECT_TRUE(Dialogs().log.isEmpty());
}

// ---- Rows, totals and coefficients --------------------------------------------

TEST_F(ArraySetTest, ChoosingMakersAndModelsAndTypingCounts)
{
    ShowArraySetData();
    Pick(f->CmbMaker[2], 0);
    EXPECT_EQ(Items(f->CmbModSel[10]), (QStringList{"TS-250", "TS-300", "ts-250"}));
    EXPECT_EQ(f->CmbModSel[14]->count(), 3);
    EXPECT_EQ(f->CmbModSel[10]->currentIndex(), -1);

    Pick(f->CmbModSel[10], 1); // the first row gives the coefficients
    EXPECT_EQ(f->LblPm[10]->text(), "300");
    EXPECT_EQ(f->LblVoc[10]->text(), "TS-300 voc");
    EXPECT_EQ(f->LblIsc[10]->text(), "TS-300 isc");
    EXPECT_EQ(f->LblBeta[2]->text(), "TS-300 beta");
    EXPECT_EQ(Global::ArrayConfiguration.GroupCellsAcross[2], "TS-300 across");
    EXPECT_EQ(f->LblTotalPm->text(), "0") << "no series count yet";

    Pick(f->CmbModSel[11], 0); // another row: its own figures only
    EXPECT_EQ(f->LblPm[11]->text(), "250");
    EXPECT_EQ(f->LblBeta[2]->text(), "TS-300 beta");

    Type(f->TxtCnt[10], "3");
    Type(f->TxtCntH[10], "2");
    Type(f->TxtCnt[11], "2");
    Type(f->TxtCntH[11], "2.5");
    EXPECT_EQ(f->LblStringTotalPm[2]->text(), "2800"); // 300 x 3 x 2 + 250 x 2 x 2
    EXPECT_EQ(f->LblTotalPm->text(), "3050");          // the grand total takes 2.5

    // Another maker: the rows are emptied, the totals drop them, the
    // coefficients of the earlier first-row model stay until a model is
    // chosen there again.
    Pick(f->CmbMaker[2], 1);
    EXPECT_EQ(Items(f->CmbModSel[10]), QStringList{"KD-200"});
    EXPECT_EQ(f->TxtCnt[10]->text(), "");
    EXPECT_EQ(f->LblPm[11]->text(), "");
    EXPECT_EQ(f->LblTotalPm->text(), "0");
    EXPECT_EQ(f->LblStringTotalPm[2]->text(), "0");
    EXPECT_EQ(f->LblBeta[2]->text(), "TS-300 beta");

    Pick(f->CmbMaker[2], 2); // a maker without models
    EXPECT_EQ(f->CmbModSel[10]->count(), 0);

    Pick(f->CmbPowConMaker[2], 0);
    Pick(f->CmbPowConSerial[2], 1);
    Pick(f->CmbNoSel[2], 4);
    Pick(f->CmbPowConMaker[2], 1);
    EXPECT_EQ(Items(f->CmbPowConSerial[2]), QStringList{"SR-4"});
    EXPECT_EQ(f->CmbPowConSerial[2]->currentIndex(), -1);
    EXPECT_EQ(f->CmbNoSel[2]->currentText(), "5");
}

TEST_F(ArraySetTest, DeleteKeysEmptyRowsGroupsAndPowerConditioners)
{
    FillTwoGroups();
    Global::ArraySetChanged = false;

    // Delete in a group's first row: the row is empty, the totals drop it,
    // the coefficients stay.
    f->CmbModSel[0]->setFocus();
    Key(f->CmbModSel[0], Qt::Key_Delete);
    EXPECT_TRUE(Global::ArraySetChanged);
    EXPECT_EQ(f->CmbModSel[0]->currentIndex(), -1);
    EXPECT_EQ(f->TxtCnt[0]->text(), "");
    EXPECT_EQ(f->LblPm[0]->text(), "");
    EXPECT_EQ(f->LblStringTotalPm[0]->text(), "1000");
    EXPECT_EQ(f->LblPmTemp[0]->text(), "TS-300 pmt");

    // Shift+Delete on the maker empties the group without marking a change.
    Global::ArraySetChanged = false;
    Key(f->CmbMaker[0], Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_FALSE(Global::ArraySetChanged);
    EXPECT_EQ(f->CmbMaker[0]->currentIndex(), -1);
    EXPECT_EQ(f->CmbModSel[1]->count(), 0);
    EXPECT_EQ(f->TxtCnt[1]->text(), "");
    EXPECT_EQ(f->LblPmTemp[0]->text(), "");
    EXPECT_EQ(Global::ArrayConfiguration.GroupPmTempCoef[0], "TS-300 pmt")
        << "the tables keep the coefficients until the next fill";
    EXPECT_EQ(f->CmbNoSel[0]->currentText(), "3");
    EXPECT_EQ(f->CmbPowConSerial[0]->currentText(), "SB40F");
    EXPECT_EQ(f->LblTotalPm->text(), "1000");

    // Delete on the power-conditioner maker keeps the group number; on the
    // group number it clears the power conditioner too.
    Key(f->CmbPowConMaker[0], Qt::Key_Delete);
    EXPECT_EQ(f->CmbPowConMaker[0]->currentIndex(), -1);
    EXPECT_EQ(f->CmbPowConSerial[0]->count(), 0);
    EXPECT_EQ(f->CmbNoSel[0]->currentText(), "3");
    Key(f->CmbNoSel[1], Qt::Key_Delete);
    EXPECT_EQ(f->CmbNoSel[1]->currentIndex(), -1);
    EXPECT_EQ(f->CmbPowConMaker[1]->currentIndex(), -1);
    EXPECT_EQ(f->CmbPowConSerial[1]->count(), 0);

    // Other keys on the lists change nothing.
    Key(f->CmbModSel[5], Qt::Key_Backspace);
    EXPECT_EQ(f->CmbModSel[5]->currentText(), "KD-200");
}

// ---- The change mark ------------------------------------------------------------

TEST_F(ArraySetTest, EditingKeysAndTheUsersChoicesMarkTheWindow)
{
    FillTwoGroups();
    struct KeyCase {
        int key;
        Qt::KeyboardModifiers mods;
        bool marks;
    };
    const KeyCase keys[] = {
        {Qt::Key_7, Qt::NoModifier, true},         {Qt::Key_Q, Qt::NoModifier, true},
        {Qt::Key_Backspace, Qt::NoModifier, true}, {Qt::Key_Space, Qt::NoModifier, true},
        {Qt::Key_Return, Qt::NoModifier, true},    {Qt::Key_Minus, Qt::KeypadModifier, true},
        {Qt::Key_7, Qt::ShiftModifier, false},     {Qt::Key_Q, Qt::ControlModifier, false},
        {Qt::Key_Tab, Qt::NoModifier, false},      {Qt::Key_Left, Qt::NoModifier, false},
        {Qt::Key_Escape, Qt::NoModifier, false},   {Qt::Key_F2, Qt::NoModifier, false},
    };
    for (const KeyCase& k : keys) {
        Global::ArraySetChanged = false;
        Key(f->TxtExData, k.key, k.mods);
        EXPECT_EQ(Global::ArraySetChanged, k.marks) << std::hex << k.key << " " << int(k.mods);
    }

    // A list changed with an arrow key or the mouse marks it; choosing the
    // item already chosen, or a choice made by the program, does not.
    Global::ArraySetChanged = false;
    f->CmbModSel[6]->setFocus();
    Key(f->CmbModSel[6], Qt::Key_Down);
    EXPECT_EQ(f->CmbModSel[6]->currentIndex(), 0);
    EXPECT_TRUE(Global::ArraySetChanged);
    Global::ArraySetChanged = false;
    Pick(f->CmbNoSel[0], 2);
    EXPECT_FALSE(Global::ArraySetChanged) << "the same group number again";
    Pick(f->CmbNoSel[0], 4);
    EXPECT_TRUE(Global::ArraySetChanged);
    Global::ArraySetChanged = false;
    f->CmbNoSel[0]->setCurrentIndex(6);
    ShowArraySetData();
    EXPECT_FALSE(Global::ArraySetChanged);
}

TEST_F(ArraySetTest, ACountPastedOrSetByAnInputMethodMarksTheWindowSoTheCloseBoxAsks)
{
    FillTwoGroups();
    struct Way {
        const char* what;
        std::function<void(QLineEdit*)> put;
    };
    const Way ways[] = {
        {"Ctrl+V",
         [](QLineEdit* box) {
             QGuiApplication::clipboard()->setText("99");
             box->selectAll();
             Key(box, Qt::Key_V, Qt::ControlModifier);
         }},
        {"the box's own menu",
         [](QLineEdit* box) {
             QGuiApplication::clipboard()->setText("99");
             box->selectAll();
             std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
             QAction* paste = nullptr;
             for (QAction* a : menu->actions())
                 if (a->text().remove(u'&').startsWith("Paste"))
                     paste = a;
             ASSERT_NE(paste, nullptr);
             ASSERT_TRUE(paste->isEnabled());
             paste->trigger();
         }},
        {"an input method",
         [](QLineEdit* box) {
             box->selectAll();
             QInputMethodEvent compose("９", {});
             QCoreApplication::sendEvent(box, &compose);
             QInputMethodEvent commit;
             commit.setCommitString("99");
             QCoreApplication::sendEvent(box, &commit);
         }},
    };
    for (const Way& way : ways) {
        for (QLineEdit* box : {f->TxtCnt[0], f->TxtCntH[5]}) {
            SCOPED_TRACE(testing::Message() << way.what << " into " << box->objectName().toStdString());
            FrmArraySetOpen();
            box->setFocus();
            const QString stored = box->text();
            Global::ArraySetChanged = false;
            Dialogs().log.clear();
            way.put(box);
            EXPECT_EQ(box->text(), "99");
            EXPECT_TRUE(Global::ArraySetChanged);

            // The close box asks; No puts the stored count back.
            Dialogs().answer(vbNo);
            bool cancel = false;
            f->Form_QueryUnload(cancel, vbFormControlMenu);
            ASSERT_EQ(Dialogs().log.size(), 1);
            EXPECT_EQ(Dialogs().log[0].message.text, Global::UiText[578]);
            EXPECT_EQ(box->text(), stored);
            EXPECT_FALSE(f->isVisible());
        }
    }
    // Counts the program sets are no edits.
    Global::ArraySetChanged = false;
    ShowArraySetData();
    f->TxtCnt[0]->setText("12");
    EXPECT_FALSE(Global::ArraySetChanged);
}

// ---- Copy and paste -----------------------------------------------------------------

TEST_F(ArraySetTest, CopyAndPasteAGroup)
{
    FillTwoGroups();
    EXPECT_FALSE(f->MnuCopyPaste[1]->isEnabled()) << "nothing copied yet";

    // A left release on the tab strip opens nothing, a right one the menu.
    QTabBar* bar = f->SSTab1->tabBar();
    QMouseEvent left(QEvent::MouseButtonRelease, QPointF(3, 3), bar->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &left);
    EXPECT_FALSE(f->MnuCopyPasteMenu->isVisible());
    QMouseEvent right(QEvent::MouseButtonRelease, QPointF(3, 3), bar->mapToGlobal(QPointF(3, 3)),
                      Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &right);
    EXPECT_TRUE(f->MnuCopyPasteMenu->isVisible());
    f->MnuCopyPasteMenu->hide();

    f->SSTab1->setCurrentIndex(0);
    f->MnuCopyPaste[0]->trigger();
    EXPECT_TRUE(f->MnuCopyPaste[1]->isEnabled());
    EXPECT_FALSE(Global::ArraySetChanged) << "copying changes nothing";
    f->TxtCnt[0]->setText("99"); // after the copy: not in the buffer

    f->SSTab1->setCurrentIndex(3);
    f->MnuCopyPaste[1]->trigger();
    EXPECT_TRUE(Global::ArraySetChanged);
    EXPECT_EQ(f->CmbMaker[3]->currentText(), "Tolvane Solar");
    EXPECT_EQ(f->CmbModSel[15]->currentText(), "TS-300");
    EXPECT_EQ(f->CmbModSel[16]->currentText(), "TS-250");
    EXPECT_EQ(f->CmbModSel[17]->currentIndex(), -1);
    EXPECT_EQ(f->TxtCnt[15]->text(), "10");
    EXPECT_EQ(f->TxtCntH[15]->text(), "2");
    // The figures come from the catalogue, not from the source's stored ones.
    EXPECT_EQ(f->LblPm[15]->text(), "300");
    EXPECT_EQ(f->LblStringTotalPm[3]->text(), "7000"); // 300 x 10 x 2 + 250 x 4
    EXPECT_EQ(f->LblPmTemp[3]->text(), "TS-300 pmt");
    EXPECT_EQ(Global::ArrayConfiguration.GroupRs[3], "TS-300 rs");
    EXPECT_EQ(f->CmbNoSel[3]->currentText(), "3");
    EXPECT_EQ(f->CmbPowConMaker[3]->currentText(), "ソルベル");
    EXPECT_EQ(f->CmbPowConSerial[3]->currentText(), "SB40F");

    // Pasting back onto the edited source restores it as copied.
    Pick(f->CmbModSel[2], 0);
    EXPECT_EQ(f->LblPm[2]->text(), "250");
    f->SSTab1->setCurrentIndex(0);
    f->MnuCopyPaste[1]->trigger();
    EXPECT_EQ(f->TxtCnt[0]->text(), "10");
    EXPECT_EQ(f->CmbModSel[2]->currentIndex(), -1);
    EXPECT_EQ(f->LblPm[2]->text(), "");

    // An empty group pasted over a filled one empties its choices and counts.
    f->SSTab1->setCurrentIndex(7);
    f->MnuCopyPaste[0]->trigger();
    f->SSTab1->setCurrentIndex(1);
    f->MnuCopyPaste[1]->trigger();
    EXPECT_EQ(f->CmbMaker[1]->currentIndex(), -1);
    EXPECT_EQ(f->CmbModSel[5]->currentIndex(), -1);
    EXPECT_EQ(f->TxtCnt[5]->text(), "");
    EXPECT_EQ(f->CmbPowConMaker[1]->currentIndex(), -1);
    EXPECT_EQ(f->LblStringTotalPm[1]->text(), "0");
    EXPECT_TRUE(Dialogs().log.isEmpty());
}

TEST_F(ArraySetTest, PasteAfterTheCatalogueChangedIsRefused)
{
    FillTwoGroups();
    f->SSTab1->setCurrentIndex(0);
    f->MnuCopyPaste[0]->trigger();

    // The catalogue is loaded again with TS-300 gone: position 1 now names
    // another model.
    ModuleModelRecord& ts300 = Global::ModuleCatalog[0].Models[1];
    ts300 = ArraySetFixture::Module("TS-310", "310");
    f->SSTab1->setCurrentIndex(4);
    Global::ArraySetChanged = false;
    f->MnuCopyPaste[1]->trigger();
    ASSERT_EQ(Dialogs().log.size(), 1);
    EXPECT_EQ(Dialogs().log[0].message.text, Global::UiText[876]);
    EXPECT_EQ(Dialogs().log[0].message.icon, vbExclamation);
    EXPECT_EQ(f->CmbMaker[4]->currentIndex(), -1);
    EXPECT_EQ(f->CmbModSel[20]->count(), 0);
    EXPECT_FALSE(Global::ArraySetChanged);

    // A maker list refilled with fewer makers refuses too.
    ts300 = ArraySetFixture::Module("TS-300", "300");
    f->SSTab1->setCurrentIndex(1);
    f->MnuCopyPaste[0]->trigger(); // maker position 1, Kirin Denki
    for (int g = 0; g < 10; ++g)
        f->CmbMaker[g]->removeItem(2);
    f->CmbMaker[4]->setItemText(1, "Other Maker");
    f->SSTab1->setCurrentIndex(4);
    f->MnuCopyPaste[1]->trigger();
    EXPECT_EQ(Dialogs().log.size(), 2);
    EXPECT_EQ(f->CmbMaker[4]->currentIndex(), -1);
}

// ---- Save, cancel, close -----------------------------------------------------------------

TEST_F(ArraySetTest, SaveCommitsTheWindowThroughTheCustomerSave)
{
    FillTwoGroups();
    SaveThroughUserDataSave();
    FrmArraySetOpen();
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(MainWindow()->isVisible());

    Type(f->TxtCnt[5], "6"); // 200 x 6
    Type(f->TxtCntH[5], "2");
    f->TxtExData->setPlainText("接続箱\n監視");
    int calls = 0;
    bool noticeAsked = true;
    Global::ArraySetSaveHook = [&](bool notice) {
        ++calls;
        noticeAsked = notice;
        return UserDataSave(CustomerKey, false);
    };
    f->CmdBtn[0]->click();

    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(noticeAsked);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(MainWindow()->isVisible());
    const ArrayConfigurationType& a = Global::ArrayConfiguration;
    EXPECT_EQ(a.StringRows[5], (StringRow{"KD-200", "6", "2", "200", "24", "8.5"}));
    EXPECT_EQ(a.TotalPm, "9200");
    EXPECT_EQ(a.GroupRatedPm[1], "2400");
    EXPECT_EQ(a.GroupRatedPm[0], "6800");
    EXPECT_EQ(a.ExtMemo, "接続箱\r\n監視");
    EXPECT_EQ(MainCaption("LblModulePmMax"), "9200");

    QByteArray expected = Lines({"9200", "Tolvane Solar", "TS-300,10,290,38.5,9.1,2", "TS-250,4,250,37,8,",
                                 ",,,,,", ",,,,,", ",,,,,", "3", "ソルベル", "SB40F", "Kirin Denki",
                                 "KD-200,6,200,24,8.5,2", ",,,,,", ",,,,,", ",,,,,", ",,,,,", "2", "Sanrise", "SR-4"});
    for (int g = 2; g < 10; ++g)
        expected += Lines({"", ",,,,,", ",,,,,", ",,,,,", ",,,,,", ",,,,,", "", "", ""});
    expected += Lines({"接続箱", "監視"});
    EXPECT_EQ(Bytes(Folder() + "/MakerData.csv"), expected);
    EXPECT_TRUE(Global::ArraySetChanged) << "a save leaves the mark as it was";
}

TEST_F(ArraySetTest, ASaveTheCustomerSaveRefusesCommitsNothingAndKeepsTheWindowOpen)
{
    FillTwoGroups();
    FrmArraySetOpen();
    const ArrayConfigurationType before = Global::ArrayConfiguration;
    const QString pmMax = MainCaption("LblModulePmMax");
    Type(f->TxtCnt[0], "20");
    Global::ArraySetSaveHook = [](bool) { return false; };

    f->CmdBtn_Click(0);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(Global::ArrayConfiguration, before);
    EXPECT_EQ(MainCaption("LblModulePmMax"), pmMax);
    EXPECT_EQ(f->TxtCnt[0]->text(), "20");

    // Cancel with Yes and the same refusal: still open, still marked.
    Dialogs().answer(vbYes);
    f->CmdBtn_Click(1);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(Global::ArraySetChanged);
    EXPECT_EQ(f->TxtCnt[0]->text(), "20");
}

TEST_F(ArraySetTest, CancelAndCloseAskOnlyAfterChangesAndNoRefillsFromTheRecord)
{
    // The fill, then the group totals copied as the customer selection does.
    auto select = [&] {
        ShowArraySetData();
        for (int g = 0; g < 10; ++g)
            Global::ArrayConfiguration.GroupRatedPm[g] = f->LblStringTotalPm[g]->text();
    };
    FillTwoGroups();
    select();

    // Nothing changed: no question, the window hides and the main window shows.
    FrmArraySetOpen();
    f->CmdBtn_Click(1);
    EXPECT_TRUE(Dialogs().log.isEmpty());
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(MainWindow()->isVisible());

    struct Leave {
        const char* what;
        std::function<void(FrmArraySet&)> act;
    };
    const Leave ways[] = {
        {"cancel button", [](FrmArraySet& w) { w.CmdBtn[1]->click(); }},
        {"close box",
         [](FrmArraySet& w) {
             bool cancel = false;
             w.Form_QueryUnload(cancel, vbFormControlMenu);
             EXPECT_TRUE(cancel) << "the window stays loaded";
         }},
    };
    for (const Leave& way : ways) {
        SCOPED_TRACE(way.what);
        // No: the window shows the record again, choices included.
        FrmArraySetOpen();
        Dialogs().log.clear();
        Type(f->TxtCnt[5], "8");
        Pick(f->CmbModSel[1], 1);
        Dialogs().answer(vbNo);
        way.act(*f);
        ASSERT_EQ(Dialogs().log.size(), 1);
        const MessageRequest& q = Dialogs().log[0].message;
        EXPECT_EQ(q.text, Global::UiText[578]);
        EXPECT_EQ(q.buttons, vbYesNo);
        EXPECT_EQ(q.icon, vbQuestion);
        EXPECT_EQ(q.defaultButton, 0);
        EXPECT_FALSE(Global::ArraySetChanged);
        EXPECT_FALSE(f->isVisible());
        EXPECT_TRUE(MainWindow()->isVisible());
        EXPECT_EQ(f->TxtCnt[5]->text(), "5");
        EXPECT_EQ(f->CmbModSel[1]->currentText(), "TS-250");
        EXPECT_EQ(f->LblStringTotalPm[1]->text(), "1000");

        // Yes: saved as the save button does.
        FrmArraySetOpen();
        Type(f->TxtCnt[5], "7");
        int saves = 0;
        Global::ArraySetSaveHook = [&](bool) { return ++saves > 0; };
        Dialogs().answer(vbYes);
        way.act(*f);
        EXPECT_EQ(saves, 1);
        EXPECT_EQ(Global::ArrayConfiguration.StringRows[5].SeriesCount, "7");
        EXPECT_FALSE(f->isVisible());
        Global::ArraySetSaveHook = nullptr;
        Global::ArrayConfiguration.StringRows[5].SeriesCount = "5";
        select();
        Global::ArraySetChanged = false;
    }

    // An unload by code goes ahead without a question.
    bool cancel = true;
    f->Form_QueryUnload(cancel, vbFormCode);
    EXPECT_FALSE(cancel);
    f->Form_QueryUnload(cancel, vbFormOwner);
    EXPECT_FALSE(cancel);
    EXPECT_THROW(f->Form_QueryUnload(cancel, vbAppWindows), ProgramEnded);
}

TEST_F(ArraySetTest, EachFailingWriteOfTheSaveLeavesEveryFileWhole)
{
    FillTwoGroups();
    SaveThroughUserDataSave();
    FrmArraySetOpen();
    f->CmdBtn_Click(0); // the old files
    ASSERT_FALSE(f->isVisible());
    const QByteArray oldMaker = Bytes(Folder() + "/MakerData.csv");
    const QByteArray oldUser = Bytes(Folder() + "/UserData.csv");
    const ArrayConfigurationType oldRecord = Global::ArrayConfiguration;

    auto edit = [&] {
        Global::ArrayConfiguration = oldRecord;
        ShowArraySetData();
        FrmArraySetOpen();
        Type(f->TxtCnt[0], "12");
        SetTextOf(MainControlObject("TxtIn_3"), "新しい現場");
    };
    edit();
    FileIoFaults::Reset();
    f->CmdBtn_Click(0);
    const int steps = FileIoFaults::StepsTaken();
    ASSERT_GE(steps, 6) << "MakerData.csv and UserData.csv";
    const QByteArray newMaker = Bytes(Folder() + "/MakerData.csv");
    const QByteArray newUser = Bytes(Folder() + "/UserData.csv");
    ASSERT_NE(newMaker, oldMaker);
    ASSERT_NE(newUser, oldUser);

    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(WriteFileAtomic(Folder() + "/MakerData.csv", oldMaker));
        ASSERT_TRUE(WriteFileAtomic(Folder() + "/UserData.csv", oldUser));
        edit();
        Dialogs().log.clear();
        FileIoFaults::FailAt(n);
        f->CmdBtn_Click(0);
        FileIoFaults::Reset();
        const QByteArray maker = Bytes(Folder() + "/MakerData.csv");
        const QByteArray user = Bytes(Folder() + "/UserData.csv");
        EXPECT_TRUE(maker == oldMaker || maker == newMaker);
        EXPECT_TRUE(user == oldUser || user == newUser);
        EXPECT_TRUE(f->isVisible()) << "a failed save keeps the window open";
        EXPECT_EQ(Global::ArrayConfiguration.StringRows[0].SeriesCount, "10") << "and commits nothing";
        EXPECT_FALSE(Dialogs().log.isEmpty()) << "the failure is reported";
        EXPECT_EQ(QDir(Folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                  (QStringList{"MakerData.csv", "UserData.csv"}))
            << "no temporary file is left";
    }
}

TEST_F(ArraySetTest, OpeningTotalsTheRowsAndHidesTheMainWindow)
{
    FillTwoGroups();
    f->LblTotalPm->setText("stale");
    MainWindow()->show();
    FrmArraySetOpen();
    EXPECT_EQ(f->LblTotalPm->text(), "7800");
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(MainWindow()->isVisible());
    EXPECT_EQ(f->parentWidget(), MainWindow());
    EXPECT_TRUE(f->isWindow());
    EXPECT_EQ(f->windowTitle(), Global::UiText[280]);
    EXPECT_EQ(f->SSTab1->tabText(9), "10");
    EXPECT_EQ(CaptionOf(f->findChild<QObject*>("LblArrayMess_14")), Global::UiText[300]);
    EXPECT_EQ(CaptionOf(f->findChild<QObject*>("LblKTitle_3")), Global::UiText[686]);
    EXPECT_TRUE(FrmArraySetIsLoaded());
    FrmArraySetUnload();
    EXPECT_FALSE(FrmArraySetIsLoaded());
    f = nullptr;
}

// ---- The window on screen ---------------------------------------------------------------
// The window with two groups filled fits a 1366 x 768 screen in both
// languages. With HX_SCREENS_DIR set it is saved there as
// array-configuration-<en|ja>.png (run under Xvfb with QT_QPA_PLATFORM=xcb).

TEST(ArraySetScreen, TwoGroupsFilledFitTheScreen)
{
    for (const auto& [code, suffix] : {std::pair{"1", "en"}, std::pair{"81", "ja"}}) {
        SCOPED_TRACE(suffix);
        MainWindowEnv w;
        w.load(code);
        ArraySetFixture::InstallCatalog();
        Global::ArrayConfiguration = ArrayConfigurationType{};
        ArrayConfigurationType& a = Global::ArrayConfiguration;
        a.TotalPm = "9800";
        a.GroupMaker[0] = "Tolvane Solar";
        a.StringRows[0] = {"TS-300", "10", "2", "300", "38.5", "9.1"};
        a.StringRows[1] = {"TS-250", "8", "", "250", "37.2", "8.9"};
        a.GroupPowCon[0] = {"1", "ソルベル", "SB55M"};
        a.GroupMaker[1] = "Kirin Denki";
        a.StringRows[5] = {"KD-200", "9", "1", "200", "24.6", "8.5"};
        a.GroupPowCon[1] = {"2", "Sanrise", "SR-4"};
        a.ExtMemo = "接続箱 2台\r\n発電モニター";
        for (ModuleModelRecord* m : {&Global::ModuleCatalog[0].Models[1], &Global::ModuleCatalog[1].Models[0]}) {
            m->PmTempCoef = "-0.45";
            m->Alpha = "0.0053";
            m->Beta = "-0.13";
            m->Rs = "0.35";
            m->K = "0.0012";
        }
        ShowArraySetData();
        FrmArraySetOpen();
        FrmArraySet* f = ArraySetWindow();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        const QSize size = f->frameGeometry().size();
        EXPECT_LE(size.width(), 1366);
        EXPECT_LE(size.height(), 768 - 40);
        const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
        if (!dir.isEmpty()) {
            for (int t : {0, 1}) {
                f->SSTab1->setCurrentIndex(t);
                for (int i = 0; i < 20; ++i)
                    QCoreApplication::processEvents();
                const QString name = t == 0 ? QStringLiteral("array-configuration-") : QStringLiteral("array-configuration-02-");
                EXPECT_TRUE(f->grab().save(dir + u'/' + name + QLatin1String(suffix) + QStringLiteral(".png")));
            }
        }
        FrmArraySetUnload();
        ArraySetFixture::ClearCatalog();
    }
}

// A catalogue load refills the window's maker lists; the window still holds
// the loaded customer's configuration afterwards, so a later customer save
// writes it back unchanged, even when the catalogue on disk lost its makers.
TEST_F(ArraySetTest, ACatalogueLoadKeepsTheLoadedCustomersConfigurationInTheWindow)
{
    FillTwoGroups();
    const ArrayConfigurationType before = Global::ArrayConfiguration;
    ModuleDataRead(); // an empty data folder: no makers at all
    PowConDataRead();
    EXPECT_EQ(f->CmbMaker[0]->currentText(), "tolvane solar");
    EXPECT_EQ(f->CmbModSel[0]->currentText(), "TS-300");
    EXPECT_EQ(f->CmbPowConSerial[1]->currentText(), "SR-4");

    SaveThroughUserDataSave();
    ASSERT_TRUE(UserDataSave(CustomerKey, false));
    EXPECT_EQ(Global::ArrayConfiguration.GroupMaker, before.GroupMaker);
    for (int r : {0, 1, 5}) // the rows with a model
        EXPECT_TRUE(Global::ArrayConfiguration.StringRows[r] == before.StringRows[r]) << r;
    EXPECT_TRUE(Global::ArrayConfiguration.GroupPowCon == before.GroupPowCon);
}

// A catalogue holding a model "X,Y" and a maker "Müller Solar": the load
// leaves both out with one report, so neither can be chosen, and a customer
// saved afterwards reads back every row as the window held it.
TEST_F(ArraySetTest, NamesTheCustomerFilesCannotHoldNeverReachTheArrayRows)
{
    ArraySetFixture::ClearCatalog();
    const QString modules = w.env.dataFolder() + "/MODULE_DATA";
    QDir().mkpath(modules + "/Tolvane Solar");
    QDir().mkpath(modules + "/Müller Solar");
    for (const auto& [file, pm] : {std::pair{"Tolvane Solar/TS-300.dat", "300"}, {"Tolvane Solar/X,Y.dat", "600"},
                                   {"Müller Solar/MS-1.dat", "250"}}) {
        const QString path = modules + u'/' + QString::fromUtf8(file);
        ASSERT_TRUE(WriteFileAtomic(path, ModuleModelBytes(ArraySetFixture::Module(ModelCodeOf(QFileInfo(path).fileName()),
                                                                                   QString::fromLatin1(pm)))));
    }
    Dialogs().log.clear();
    ModuleDataRead();
    EXPECT_EQ(Dialogs().messages(),
              QStringList{Global::UiText.value(UiNamesPassedOver) + "\r\nMüller Solar\r\nTolvane Solar/X,Y.dat"});
    EXPECT_EQ(Items(f->CmbMaker[0]), QStringList{"Tolvane Solar"});

    SaveThroughUserDataSave();
    FrmArraySetOpen();
    Pick(f->CmbMaker[0], 0);
    EXPECT_EQ(Items(f->CmbModSel[0]), QStringList{"TS-300"});
    Pick(f->CmbModSel[0], 0);
    Type(f->TxtCnt[0], "10");
    Type(f->TxtCntH[0], "2");
    Pick(f->CmbModSel[1], 0);
    Type(f->TxtCnt[1], "4");
    f->CmdBtn[0]->click();
    EXPECT_FALSE(f->isVisible());

    const ArrayConfigurationType& saved = Global::ArrayConfiguration;
    EXPECT_EQ(saved.StringRows[0], (StringRow{"TS-300", "10", "2", "300", "TS-300 voc", "TS-300 isc"}));
    EXPECT_EQ(saved.TotalPm, "7200");
    ArrayConfigurationType back;
    ParseMakerData(Bytes(Folder() + "/MakerData.csv"), back);
    EXPECT_EQ(back.TotalPm, saved.TotalPm);
    EXPECT_EQ(back.GroupMaker, saved.GroupMaker);
    for (std::size_t r = 0; r < saved.StringRows.size(); ++r)
        EXPECT_EQ(back.StringRows[r], saved.StringRows[r]) << r;
    EXPECT_EQ(back.GroupPowCon, saved.GroupPowCon);
}
