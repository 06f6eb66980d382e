// The caption set-up of the main window: every caption, tab caption, list
// header and list entry carries the text of its key in the language file
// that is in use.
#include "common/Captions.h"

#include "MainWindowEnv.h"
#include "common/GridWheel.h"
#include "common/PicTextWrite.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

struct Caption {
    QString control;
    int key;
};

QString el(const char* name, int i)
{
    return QString::fromLatin1(name) + u'_' + QString::number(i);
}

// Control -> key, as the caption tables of the window give them.
std::vector<Caption> captionTable()
{
    std::vector<Caption> t = {
        // Menus.
        {"MnuSystem", 4},
        {"MnuEnd", 9},
        {"MnuSaveFolderSel", 6},
        {"MnuTools", 7},
        {"MnuBackup", 8},
        {"MnuPicDelete", 724},
        {"MnuCopyPaste_0", 725},
        {"MnuCopyPaste_1", 726},
        {"MnuInport", 733},
        {"MnuUpdate", 55},
        {"MnuUpdateInternet", 56},
        // Customer tab.
        {"FraData", 11},
        {"CmdBtn_3", 23},
        {"CmdBtn_0", 24},
        {"CmdBtn_2", 25},
        {"CmdBtn_1", 26},
        {"FraSiteDate", 27},
        {"LblUserMess_11", 28},
        {"CmdBtn_10", 29},
        {"CmdBtn_11", 30},
        {"FraWork", 31},
        {"CmdDelete", 32},
        {"LblUserMess_12", 33},
        {"LblUserMess_20", 52},
        {"LblUserMess_13", 34},
        {"LblUserMess_14", 35},
        {"LblUserMess_15", 36},
        {"LblUserMess_16", 37},
        {"CmdPicReg_0", 39},
        {"FraMakers", 40},
        {"LblUserMess_17", 41},
        {"LblUserMess_18", 42},
        {"LblUserMess_19", 43},
        {"LblUserMess_21", 53},
        {"FraList", 54},
        {"CmdScl_0", 514},
        {"CmdScl_1", 515},
        // Measurement-data tab.
        {"LblViewMess_0", 71},
        {"LblViewMess_1", 72},
        {"LblViewMess_2", 73},
        {"LblViewMess_3", 74},
        {"FraViewArray", 75},
        {"LblViewMess_4", 76},
        {"FraViewExt", 88},
        {"CmdDataView_0", 89},
        {"CmdDataView_1", 90},
        {"CmdDataControl_0", 91},
        {"CmdReportMake", 92},
        {"ChkPV_VIEW", 786},
        {"LblJudgeView_0", 127},
        {"LblJudgeView_1", 127},
        {"LblJudgeView_2", 127},
        {"ChkJudgeOff", 128},
        // Instrument-data tab.
        {"LblFrdMess_0", 131},
        {"LblFrdMess_1", 132},
        {"LblFrdMess_2", 133},
        {"LblFrdMess_3", 134},
        {"CmdDataView_3", 136},
        {"CmdDataView_5", 137},
        {"CmdDataControl_5", 138},
        {"CmdDataControl_6", 139},
        {"CmdDataForward", 140},
        {"CmdDataDelete", 141},
        {"Frame2", 769},
        {"Frame4", 772},
        {"LblFrdMess_4", 773},
        {"ChkPV_VIEW_FWD", 786},
        // Catalogue, modules.
        {"CmdBtn_6", 182},
        {"CmdBtn_4", 183},
        {"CmdBtn_9", 184},
        {"CmdBtn_7", 185},
        {"FraModulePic", 202},
        {"CmdPicReg_2", 203},
        {"FraCorrect", 204},
        {"CmdModuleReg_0", 209},
        {"CmdBtn_17", 210},
        {"FraPmCorrect", 217},
        {"LblModuleMess_20", 218},
        // Catalogue, power conditioners.
        {"CmdBtn_13", 231},
        {"CmdBtn_12", 232},
        {"CmdBtn_15", 233},
        {"CmdBtn_14", 234},
        {"FraPowConPic", 259},
        {"CmdPicReg_4", 260},
        {"FraPowConMemo", 261},
        {"CmdModuleReg_1", 262},
        {"CmdBtn_16", 263},
    };
    for (int i = 0; i <= 10; ++i)
        t.push_back({el("LblUserMess", i), 12 + i});
    const int rowKeys[7] = {78, 79, 80, 300, 81, 82, 83};
    for (int g = 0; g < 10; ++g) {
        t.push_back({el("FraViewModule", g), 77});
        for (int k = 0; k < 7; ++k)
            t.push_back({el("LblViewMess", 10 * g + 5 + k), rowKeys[k]});
        t.push_back({el("FraViewPowCon", g), 84});
        for (int k = 0; k < 3; ++k)
            t.push_back({el("LblViewMess", 10 * g + 12 + k), 85 + k});
        t.push_back({el("LblStringPm", g), 120});
        t.push_back({el("FraViewPmCorrect", g), 121});
        t.push_back({el("LblPmTempCorrectTitle", g), 122});
        t.push_back({el("LblAlphaTitle", g), 683});
        t.push_back({el("LblBetaTitle", g), 684});
        t.push_back({el("LblRsTitle", g), 685});
        t.push_back({el("LblKTitle", g), 686});
    }
    for (int i = 0; i <= 15; ++i)
        t.push_back({el("LblModuleMess", i), 186 + i});
    for (int i = 16; i <= 19; ++i)
        t.push_back({el("LblModuleMess", i), 205 + i - 16});
    for (int i = 0; i <= 23; ++i)
        t.push_back({el("LblPowConMess", i), 235 + i});
    return t;
}

struct Header {
    QString grid;
    std::vector<int> keys;
};

std::vector<Header> headerTable()
{
    return {
        {"MfgUserList", {44, 45, 46, 47, 48, 49, 50, 51}},
        {"MfgMeasList", {93, 94, 95, 123, 124, 96, 97, 98, 99, 108, 101, 102, 103, 110, 111, 113, 117, 118}},
        {"MfgMakerList_0", {211}},
        {"MfgSerialNoList_0", {212}},
        {"MfgMakerList_1", {264}},
        {"MfgSerialNoList_1", {265}},
    };
}

// The texts of a shipped language file, read apart from the program.
QStringList fileTexts(const QString& language)
{
    auto lines = ReadLines(QStringLiteral(HX_SOURCE_DIR "/lang/") + language + QStringLiteral(".txt"));
    EXPECT_TRUE(lines.has_value());
    QStringList t = lines.value_or(QStringList());
    while (t.size() < 1000)
        t.append(QString());
    return t;
}

class CaptionSetUp : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(CaptionSetUp, EveryCaptionCarriesItsKeysText)
{
    const auto [code, file] = GetParam();
    const QStringList text = fileTexts(QString::fromLatin1(file));
    MainWindowEnv w;
    FrmMain& f = w.load(QString::fromLatin1(code));

    for (const auto& c : captionTable()) {
        QObject* o = f.controlObject(c.control);
        ASSERT_NE(o, nullptr) << c.control.toStdString();
        EXPECT_FALSE(text[c.key].isEmpty()) << "key " << c.key << " has no text";
        EXPECT_EQ(CaptionOf(o), text[c.key]) << c.control.toStdString() << " key " << c.key;
    }
    for (const auto& h : headerTable()) {
        auto* g = f.control<FlexGrid>(h.grid);
        ASSERT_NE(g, nullptr) << h.grid.toStdString();
        for (std::size_t c = 0; c < h.keys.size(); ++c) {
            EXPECT_EQ(g->TextMatrix(0, int(c)), text[h.keys[c]]) << h.grid.toStdString() << " column " << c;
            EXPECT_EQ(g->cellAlignment(0, int(c)), FlexGrid::flexAlignCenterCenter);
        }
    }
    const struct {
        QTabWidget* tabs;
        std::vector<int> keys;
    } tabs[] = {{f.SSTab, {10, 70, 130, 180}}, {f.SSTab3, {125, 126, 708}}, {f.SSTab2, {181, 230}}};
    for (const auto& t : tabs)
        for (std::size_t i = 0; i < t.keys.size(); ++i)
            EXPECT_EQ(t.tabs->tabText(int(i)), text[t.keys[i]]) << t.tabs->objectName().toStdString() << i;

    auto* cel = f.control<QComboBox>(QStringLiteral("CmbCel"));
    QStringList items;
    for (int i = 0; i < cel->count(); ++i)
        items << cel->itemText(i);
    EXPECT_EQ(items, (QStringList{text[213], text[214], text[215], text[216], text[681], text[682]}));
    EXPECT_EQ(cel->currentIndex(), -1);

    EXPECT_EQ(f.windowTitle(), text[510] + QStringLiteral("    [Version.8.8.3]"));
    EXPECT_EQ(CaptionOf(f.controlObject(QStringLiteral("LblMeasType"))), QString());
}

TEST_P(CaptionSetUp, EveryKeyTheWindowFrameUsesHasAText)
{
    const QStringList text = fileTexts(QString::fromLatin1(GetParam().second));
    std::vector<int> keys = {
        10,  70,  130, 180, 125, 126, 708, 181, 230, // tab captions
        213, 214, 215, 216, 681, 682,                // cell types
        770, 771,                                    // drawn captions
        510, 516, 578,                               // title, end and save questions
    };
    for (const auto& c : captionTable())
        keys.push_back(c.key);
    for (const auto& h : headerTable())
        keys.insert(keys.end(), h.keys.begin(), h.keys.end());
    for (int key : keys)
        EXPECT_FALSE(text[key].trimmed().isEmpty()) << GetParam().second << " key " << key;
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionSetUp,
                         ::testing::Values(std::make_pair("1", "English"), std::make_pair("81", "Japanese")));

TEST(CaptionSetUpState, LeavesTheFirstTabsTheImportHiddenAndPasteDisabled)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(Global::CaptionsLoading);
    EXPECT_EQ(f.SSTab->currentIndex(), 0);
    EXPECT_EQ(f.SSTab2->currentIndex(), 0);
    EXPECT_EQ(f.SSTab3->currentIndex(), 0);
    EXPECT_EQ(Global::HookedGrid, 1);
    EXPECT_TRUE(IsGridWheelHooked(f.MfgUserList));
    EXPECT_FALSE(f.control<QAction>(QStringLiteral("MnuInport"))->isVisible());
    EXPECT_FALSE(f.control<QAction>(QStringLiteral("MnuInportBar"))->isVisible());
    EXPECT_FALSE(f.control<QAction>(QStringLiteral("MnuCopyPaste_1"))->isEnabled());
    EXPECT_TRUE(f.control<QAction>(QStringLiteral("MnuCopyPaste_0"))->isEnabled());
    // Selecting every tab asked nothing and showed no precondition message.
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());

    // The drawn captions of the read-out frame, black at 9 points on the
    // button face, without a border.
    for (int i = 0; i < 2; ++i) {
        auto* box = f.control<QLabel>(el("PicText", i));
        EXPECT_FALSE(box->pixmap().isNull());
        EXPECT_EQ(box->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(box->font().pointSizeF(), 9.0);
        EXPECT_EQ(box->palette().color(box->backgroundRole()), ColorFromValue(0x8000000F));
        EXPECT_EQ(box->palette().color(box->foregroundRole()), QColor(0, 0, 0));
    }
}

TEST(CaptionSetUpState, AShortLanguageFileLeavesTheLaterCaptionsEmpty)
{
    MainWindowEnv w;
    // A language file of 100 lines: keys 100 and above have no text.
    QStringList lines = fileTexts(QStringLiteral("English")).mid(0, 100);
    ASSERT_TRUE(WriteLinesAtomic(Global::LanguageFolder + QStringLiteral("Short.txt"), lines));
    Global::LanguageFiles[2] = QStringLiteral("Short.txt");
    Global::LanguageList[2] = {QStringLiteral("Short"), QStringLiteral("7")};
    Global::LanguageCount = 3;
    FrmMain& f = w.load(QStringLiteral("7"));
    EXPECT_EQ(f.SSTab->tabText(0), lines[10]);
    EXPECT_EQ(CaptionOf(f.controlObject(QStringLiteral("FraData"))), lines[11]);
    EXPECT_EQ(f.SSTab->tabText(2), QString());
    EXPECT_EQ(CaptionOf(f.controlObject(QStringLiteral("CmdDataForward"))), QString());
    EXPECT_EQ(f.control<QComboBox>(QStringLiteral("CmbCel"))->count(), 6);
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());
}

TEST(CaptionSetUpState, TheCellTypeListHoldsSixEntriesWhateverItHeldBefore)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    auto* cel = f.control<QComboBox>(QStringLiteral("CmbCel"));
    cel->addItem(QStringLiteral("left over"));
    cel->setCurrentIndex(2);
    f.LanguageSetup(0);
    EXPECT_EQ(cel->count(), 6);
    EXPECT_EQ(cel->currentIndex(), -1);
}

TEST(CaptionSetUpState, WithoutAFileForTheStoredCodeOnlyTheInitialStateIsSet)
{
    MainWindowEnv w;
    Global::UiText = QStringList(Global::UiTextCount);
    FrmMain& f = w.load(QStringLiteral("44"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("    [Version.8.8.3]"));
    EXPECT_EQ(f.SSTab->tabText(0), QString());
    EXPECT_EQ(f.SSTab->currentIndex(), 0);
    EXPECT_EQ(Global::HookedGrid, 1);
    EXPECT_FALSE(f.isVisible()); // shown by whoever loaded it
}

// --- drawn captions -----------------------------------------------------

int charWidth(const QString& s, const void*)
{
    return int(s.size());
}

TEST(PicTextWrap, WrapsIntoAtMostThreeLinesEachStartingWithABlank)
{
    // Width in characters: a line breaks once it and two blanks reach 8.
    const QString five = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJ");
    EXPECT_EQ(PicTextWrap(five, 8, &charWidth, nullptr), QStringLiteral(" abcde\r\n fghij\r\n klmno"));
    // The character that fills a line stays on it; the last one gets no break.
    EXPECT_EQ(PicTextWrap(QStringLiteral("abcde"), 8, &charWidth, nullptr), QStringLiteral(" abcde "));
    EXPECT_EQ(PicTextWrap(QStringLiteral("abc"), 8, &charWidth, nullptr), QStringLiteral(" abc"));
}

class PicTextWriteTest : public ::testing::Test {
  protected:
    bool appReady = (EnsureApp(), true);
    TestEnv env;
    QWidget form;
    QLabel* box = nullptr;

    void SetUp() override
    {
        box = new QLabel(&form);
        box->setObjectName(QStringLiteral("PicText_1"));
        box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        box->setFixedSize(120, 24);
    }

    QImage image() const { return box->pixmap().toImage(); }
    bool columnHasInk(const QImage& img, int x) const
    {
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) != QColor(255, 255, 255))
                return true;
        return false;
    }
};

TEST_F(PicTextWriteTest, AnEmptyTextLeavesTheBackgroundOnly)
{
    QString text;
    PicTextWrite(&form, 1, text, 0, 0xFFFFFF, 9, 0);
    const QImage img = image();
    ASSERT_FALSE(img.isNull());
    for (int x = 0; x < img.width(); ++x)
        EXPECT_FALSE(columnHasInk(img, x)) << x;
}

TEST_F(PicTextWriteTest, AWideTextShowsItsMiddleCutOnBothSides)
{
    QString text = QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    PicTextWrite(&form, 1, text, 0x000000, 0xFFFFFF, 9, 0);
    const QImage img = image();
    EXPECT_TRUE(columnHasInk(img, 0));
    EXPECT_TRUE(columnHasInk(img, img.width() - 1));
    // A short text is centred: blank edges.
    text = QStringLiteral("ab");
    PicTextWrite(&form, 1, text, 0x000000, 0xFFFFFF, 9, 0);
    EXPECT_FALSE(columnHasInk(image(), 0));
    EXPECT_FALSE(columnHasInk(image(), image().width() - 1));
}

TEST_F(PicTextWriteTest, ModeOneHandsTheWrappedTextBack)
{
    QString text = QString(60, u'W');
    PicTextWrite(&form, 1, text, 0, 0xFFFFFF, 9, 1);
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 3);
    for (const QString& l : lines)
        EXPECT_TRUE(l.startsWith(u' ')) << l.toStdString();
    EXPECT_LT(text.count(u'W'), 60);
}

TEST_F(PicTextWriteTest, TheBoxTakesTheFontSizeAndTheColours)
{
    QString text = QStringLiteral("x");
    PicTextWrite(&form, 1, text, 0x0000FF, 0x00FF00, 12, 0);
    EXPECT_EQ(box->font().pointSizeF(), 12.0);
    EXPECT_EQ(box->palette().color(box->backgroundRole()), QColor(0, 255, 0));
    EXPECT_EQ(box->palette().color(box->foregroundRole()), QColor(255, 0, 0));
    EXPECT_EQ(image().pixelColor(0, 0), QColor(0, 255, 0));
}

TEST_F(PicTextWriteTest, ABoxThatDoesNotExistIsReported)
{
    QString text = QStringLiteral("x");
    PicTextWrite(&form, 5, text, 0, 0xFFFFFF, 9, 0);
    ASSERT_EQ(env.dialogs->log.size(), 1);
    EXPECT_EQ(env.dialogs->log[0].message.title, QStringLiteral("PicTextWrite"));
    EXPECT_TRUE(env.dialogs->log[0].message.text.startsWith(QStringLiteral("ERROR No:340 ")));
}

} // namespace
