// Folders named from the language file (a history's picture folder, the
// customer's documents folder) after a switch of language: found under the
// name the other language gave them, never dropped, never made twice.
#include "customers/support/CustomerTabEnv.h"

#include "common/Language.h"
#include "customers/UserData.h"

#include <QLabel>

using namespace CustomerTabTest;
using CustomerFixture::Bytes;
using CustomerFixture::Lines;

namespace {

const QString English = QStringLiteral("Pictures");
const QString Japanese = QStringLiteral("写真");
const QString EnglishDocuments = QStringLiteral("Documents");
const QString JapaneseDocuments = QStringLiteral("資料");

CustomerSpec Ito()
{
    CustomerSpec c{"I010", "Ito", "ito", "Barn", "321-0001", "Nara", "0742-1", "2024/04/04", {}, "8"};
    c.histories = {{1, "East", "2024/05/01", "", {"Alpha"}}, {2, "West", "2024/05/02", "", {}}};
    return c;
}

bool PictureShown(CustomerTabEnv& t)
{
    return !qobject_cast<QLabel*>(t.Ctl("ImgPic", 0))->pixmap().isNull();
}

} // namespace

TEST(FolderLanguages, ACustomerSavedInEnglishKeepsItsPicturesAndDocumentsInJapanese)
{
    CustomerTabEnv t;
    const QString c = t.Write(Ito());
    WritePicture(c + "/1_East/Pictures/site.jpg");
    WritePicture(c + "/1_East/Pictures/panel.jpg");
    WritePicture(c + "/2_West/Pictures/roof.jpg");
    WriteLinesAtomic(c + "/1_East/PictureData.csv", {"site.jpg", "", "panel.jpg", ""});
    WriteLinesAtomic(c + "/2_West/PictureData.csv", {"roof.jpg", "", "", ""});

    // Saved in English: the documents folder is made under its English name.
    t.Load();
    ASSERT_EQ(Ui(540), English);
    t.ClickCustomer("I010");
    t.Type("TxtIn", 3, "Barn 2");
    t.Click("CmdBtn", 0);
    ASSERT_TRUE(QFileInfo(c + "/" + EnglishDocuments).isDir());
    t.TakeMessages();

    t.w.form->LanguageSetup(1);
    ASSERT_EQ(Ui(540), Japanese);
    ASSERT_EQ(Ui(520), JapaneseDocuments);

    // Chosen in Japanese: no picture is missing and the first one shows.
    t.ClickCustomer("I010");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_TRUE(PictureShown(t));
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[2], c + "/1_East/Pictures/panel.jpg");

    // Saved in Japanese: every reference stays, nothing is made under the
    // Japanese names.
    t.Type("TxtIn", 3, "Barn 3");
    t.Click("CmdBtn", 0);
    EXPECT_EQ(Bytes(c + "/1_East/PictureData.csv"), Lines({"site.jpg", "", "panel.jpg", ""}));
    EXPECT_EQ(Bytes(c + "/2_West/PictureData.csv"), Lines({"roof.jpg", "", "", ""}));
    for (const QString& made : {c + "/1_East/" + Japanese, c + "/2_West/" + Japanese, c + "/" + JapaneseDocuments})
        EXPECT_FALSE(QFileInfo::exists(made)) << made.toStdString();
    EXPECT_TRUE(PictureShown(t));
    t.Click("OpPicSel", 2);
    EXPECT_TRUE(PictureShown(t));
    t.Click("CmdScl", 1);
    EXPECT_TRUE(PictureShown(t)) << "the second history's picture";
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // A picture registered now joins the others in their folder.
    const QString source = t.w.env.root() + "/new.jpg";
    WritePicture(source);
    t.Click("OpPicSel", 1);
    t.Dialogs().answerText(source);
    t.Click("CmdPicReg", 0);
    EXPECT_TRUE(QFileInfo(c + "/2_West/Pictures/new.jpg").isFile());
    EXPECT_EQ(Bytes(c + "/2_West/PictureData.csv"), Lines({"roof.jpg", "new.jpg", "", ""}));
    EXPECT_FALSE(QFileInfo::exists(c + "/2_West/" + Japanese));

    // The documents command opens the English folder.
    t.Click("CmdBtn", 11);
    EXPECT_EQ(t.opened, QStringList{c + "/" + EnglishDocuments});
    EXPECT_FALSE(QFileInfo::exists(c + "/" + JapaneseDocuments));

    // Back in English, everything is where it was.
    t.w.form->LanguageSetup(0);
    t.ClickCustomer("I010");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_TRUE(PictureShown(t));
    EXPECT_EQ(Bytes(c + "/1_East/PictureData.csv"), Lines({"site.jpg", "", "panel.jpg", ""}));
}

TEST(FolderLanguages, PicturesInBothFoldersAreKeptAndANewCustomerGetsTheNamesInUse)
{
    CustomerTabEnv t;
    const QString c = t.Write(Ito());
    // An empty Japanese folder beside the English one that holds the
    // pictures, and one picture only in the Japanese folder.
    QDir().mkpath(c + "/1_East/" + Japanese);
    WritePicture(c + "/1_East/Pictures/site.jpg");
    WritePicture(c + "/1_East/" + Japanese + "/yane.jpg");
    WriteLinesAtomic(c + "/1_East/PictureData.csv", {"site.jpg", "yane.jpg", "", ""});
    t.Load(QStringLiteral("81"));

    t.ClickCustomer("I010");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[0], c + "/1_East/Pictures/site.jpg");
    EXPECT_EQ(Global::HistoryRecords[0].PicturePaths[1], c + "/1_East/" + Japanese + "/yane.jpg");
    t.Type("TxtIn", 3, "Barn 2");
    t.Click("CmdBtn", 0);
    EXPECT_EQ(Bytes(c + "/1_East/PictureData.csv"), Lines({"site.jpg", "yane.jpg", "", ""}));
    // The other history keeps its English folder alone; the customer had
    // no documents folder, which is made under the Japanese name.
    EXPECT_FALSE(QFileInfo::exists(c + "/2_West/" + Japanese));
    EXPECT_TRUE(QFileInfo(c + "/" + JapaneseDocuments).isDir());

    // A new customer is made in the language in use.
    t.Click("CmdBtn", 3);
    t.Type("TxtIn", 0, "N020");
    t.Type("TxtIn", 1, "Noda");
    t.Type("TxtIn", 11, "South");
    t.Click("CmdBtn", 0);
    const QString n = t.Folder("N020_Noda");
    EXPECT_TRUE(QFileInfo(n + "/" + JapaneseDocuments).isDir());
    EXPECT_FALSE(QFileInfo::exists(n + "/" + EnglishDocuments));
    t.ClickCustomer("N020");
    EXPECT_TRUE(QFileInfo(n + "/1_South/" + Japanese).isDir());
    EXPECT_FALSE(QFileInfo::exists(n + "/1_South/" + English));
}

TEST(FolderLanguages, LanguageTextsComeFromTheLanguageInUseFirstThenEveryFile)
{
    MainWindowEnv w;
    TestEnv::loadUiText(QStringLiteral("Japanese"));
    EXPECT_EQ(LanguageTexts(540), QStringList({Japanese, English}));
    EXPECT_EQ(LanguageTexts(541), QStringList({Japanese, English}));
    TestEnv::loadUiText(QStringLiteral("English"));
    EXPECT_EQ(LanguageTexts(520), QStringList({EnglishDocuments, JapaneseDocuments}));
    // A file that is gone adds nothing; a key past the table gives nothing.
    QFile::remove(Global::LanguageFolder + "Japanese.txt");
    EXPECT_EQ(LanguageTexts(520), QStringList{EnglishDocuments});
    EXPECT_TRUE(LanguageTexts(Global::UiTextCount).isEmpty());
    EXPECT_TRUE(LanguageTexts(-1).isEmpty());
}
