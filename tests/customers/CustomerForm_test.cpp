// The customer tab's part in a save and a read, against the real main
// window: what is typed into the boxes reaches the files, a new customer
// gets its highlighted row in the list, the array configuration window's
// controls (when the window exists) reach MakerData.csv, failures while the
// screen is taken reach the save's result, memo line breaks cross between
// box and file, and a read shows the number of histories.
#include "common/Captions.h"
#include "app/MainWindowEnv.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "customers/UserData.h"
#include "customers/support/CustomerFixture.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace CustomerFixture;

namespace {

QString Name(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

QObject* Ctl(const QString& name)
{
    QObject* o = Global::MainForm ? Global::MainForm->controlObject(name) : nullptr;
    EXPECT_NE(o, nullptr) << name.toStdString();
    return o;
}

QObject* Ctl(const char* name, int index)
{
    return Ctl(Name(name, index));
}

QObject* Ctl(const char* name)
{
    return Ctl(QString::fromLatin1(name));
}

// Types `text` into a box key by key, as a user does; "\n" is the Enter key.
void Type(QObject* box, const QString& text)
{
    ASSERT_NE(box, nullptr);
    for (QChar ch : text) {
        const bool enter = ch == u'\n';
        QKeyEvent press(QEvent::KeyPress, enter ? Qt::Key_Return : 0, Qt::NoModifier,
                        enter ? QStringLiteral("\r") : QString(ch));
        QCoreApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, enter ? Qt::Key_Return : 0, Qt::NoModifier,
                          enter ? QStringLiteral("\r") : QString(ch));
        QCoreApplication::sendEvent(box, &release);
    }
}

void Caption(const char* name, const QString& text)
{
    SetCaption(Ctl(name), text);
}

FlexGrid* UserList()
{
    return qobject_cast<FlexGrid*>(Ctl("MfgUserList"));
}

QByteArray EmptyGroup()
{
    return Lines({"", ",,,,,", ",,,,,", ",,,,,", ",,,,,", ",,,,,", "", "", ""});
}

// A stand-in for the array configuration window: every control the save
// reads, named as the window names them, empty and with nothing chosen.
std::unique_ptr<QWidget> MakeArraySet()
{
    auto w = std::make_unique<QWidget>();
    auto add = [&](QWidget* c, const QString& name) { c->setObjectName(name); };
    for (int g = 0; g < 10; ++g) {
        for (const char* n : {"CmbMaker", "CmbNoSel", "CmbPowConMaker", "CmbPowConSerial"})
            add(new QComboBox(w.get()), Name(n, g));
        add(new QLabel(w.get()), Name("LblStringTotalPm", g));
    }
    for (int r = 0; r < 50; ++r) {
        add(new QComboBox(w.get()), Name("CmbModSel", r));
        add(new QLineEdit(w.get()), Name("TxtCnt", r));
        add(new QLineEdit(w.get()), Name("TxtCntH", r));
        for (const char* n : {"LblPm", "LblVoc", "LblIsc"})
            add(new QLabel(w.get()), Name(n, r));
    }
    add(new QPlainTextEdit(w.get()), QStringLiteral("TxtExData"));
    return w;
}

void Choose(QWidget& form, const QString& name, const QString& item)
{
    auto* c = form.findChild<QComboBox*>(name);
    ASSERT_NE(c, nullptr) << name.toStdString();
    c->addItem(QStringLiteral("other"));
    c->addItem(item);
    c->setCurrentIndex(1);
}

class CustomerFormTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        Global::UserDataScreenToRecordsHook = nullptr;
        Global::ShowHistoryTotalHook = nullptr;
        Global::HistoryPage = 0;
        w.load();
        Reset();
    }
    // No customer loaded, none listed, no array configuration window; the
    // tab open for a new customer, as its command leaves it.
    void Reset()
    {
        UserMemoryClear();
        UserDataInitial();
        Global::ArrayConfiguration = ArrayConfigurationType{};
        Global::HistoryPage = 0;
        Global::CurUserRow = 0;
        Global::CurUserIndex = 0;
        Global::UserListCount = 0;
        Global::ArraySetForm = nullptr;
    }
    void TearDown() override
    {
        Global::ArraySetForm = nullptr;
        Global::UserDataScreenToRecordsHook = nullptr;
        Global::ShowHistoryTotalHook = nullptr;
    }
    // The customer folder of `key`.
    QString Folder(const QString& key) const { return w.env.dataFolder() + "/USER_DATA/" + key; }
    ScriptedDialogs& Dialogs() { return *w.env.dialogs; }

    MainWindowEnv w;
};

TEST_F(CustomerFormTest, NewCustomerTypedIntoTheTabIsWrittenAndGetsItsListRow)
{
    ASSERT_TRUE(Global::UserDataScreenToRecordsHook) << "the main window's load installs the hooks";
    ASSERT_TRUE(Global::ShowHistoryTotalHook);

    // Two customers listed; the new one is not (CurUserRow 0).
    FlexGrid* list = UserList();
    ASSERT_NE(list, nullptr);
    list->setRows(3);
    list->setTextMatrix(1, 0, "A001");
    list->setTextMatrix(2, 0, "A002");
    Global::UserListCount = 2;

    const QStringList fields{"B002",    "新規商店", "シンキ", "北工場",    "100-0001", "東京都千代田区1-1",
                             "03-1111", "03-2222",  "a@b.jp", "2024/06/01"};
    for (int k = 0; k < 10; ++k)
        Type(Ctl("TxtIn", k), fields[k]);
    Type(Ctl("TxtIn", 10), "屋上に2系統\n\n保守契約あり");
    Type(Ctl("TxtIn", 11), "東面");
    Type(Ctl("TxtIn", 12), "晴れ\n午後");
    Type(Ctl("TxtCompanyName", 0), "佐藤工務店");
    Type(Ctl("TxtCompanyTel", 0), "06-1234");
    Type(Ctl("TxtCompanyCharge", 0), "佐藤");
    Type(Ctl("TxtCompanyCharge", 4), "末尾");

    ASSERT_TRUE(UserDataSave("B002_新規商店", true));
    EXPECT_TRUE(Dialogs().log.isEmpty()) << Dialogs().messages().join('\n').toStdString();

    const QString c = Folder("B002_新規商店");
    EXPECT_EQ(Bytes(c + "/UserData.csv"), Lines(fields + QStringList{"屋上に2系統", "", "保守契約あり"}));
    QByteArray maker = Lines({""});
    for (int g = 0; g < 10; ++g)
        maker += EmptyGroup();
    EXPECT_EQ(Bytes(c + "/MakerData.csv"), maker + Lines({""}));
    EXPECT_TRUE(QFileInfo::exists(c + "/Documents/" + Global::UiText[521]));
    EXPECT_EQ(Bytes(c + "/1_東面/MeasData.csv"),
              Lines({"東面", "", "", "", "", "", "", "", "", "晴れ", "午後"}));
    EXPECT_EQ(Bytes(c + "/1_東面/ConstructionContractor.csv"),
              Lines({"佐藤工務店", "06-1234", "佐藤", "", "", "", "", "", "", "", "", "", "", "", "末尾"}));
    EXPECT_FALSE(QFileInfo::exists(c + "/1_東面/PictureData.csv")) << "flag True writes no PictureData.csv";

    // The records took the screen, the memo with CR LF.
    EXPECT_EQ(Global::UserDataRecord.CustomerMemo, "屋上に2系統\r\n\r\n保守契約あり");
    EXPECT_EQ(Global::HistoryRecords[0].HistoryMemo, "晴れ\r\n午後");

    // The new last row is current and highlighted; the list entry after the
    // listed ones holds the customer.
    EXPECT_EQ(list->Rows(), 4);
    EXPECT_EQ(list->Row(), 3);
    EXPECT_EQ(Global::CurUserRow, 3);
    EXPECT_EQ(Global::CurUserIndex, 2);
    EXPECT_FALSE(list->isHidden());
    for (int col = 0; col < list->Cols(); ++col) {
        EXPECT_EQ(list->cellBackColor(3, col), 0x00800000u) << col;
        EXPECT_EQ(list->cellForeColor(3, col), 0x00FFFFFFu) << col;
    }
    EXPECT_EQ(list->cellBackColor(2, 0), 0u) << "other rows keep their colours";
    EXPECT_EQ(list->TextMatrix(2, 0), "A002");
    EXPECT_EQ(Global::UserListItems[2], (UserListItem{"B002", "新規商店", "シンキ", "北工場", "100-0001",
                                                      "東京都千代田区1-1", "03-1111", "2024/06/01"}));

    // Saved again, the customer keeps its row.
    ASSERT_TRUE(UserDataSave("B002_新規商店", true));
    EXPECT_EQ(list->Rows(), 4);
    EXPECT_EQ(Global::CurUserRow, 3);
}

TEST_F(CustomerFormTest, EditsOfTheShownHistoryPageReachItsFilesAndTheRestRoundTrips)
{
    const QString c = Install(w.env);
    ASSERT_TRUE(UserDataRead(Key()));
    EXPECT_EQ(CaptionOf(Ctl("LblTotalPage")), "5") << "the read shows its number of histories";

    // The customer and its history page 2 on screen, as the selection and
    // the page turn show them.
    Global::CurUserRow = 1;
    Global::CurUserIndex = 0;
    const UserDataRecordType& u = Global::UserDataRecord;
    const QString values[] = {u.CustomerCode, u.CustomerName, u.NameReading, u.SiteName, u.PostalCode,
                              u.Address,      u.Phone1,       u.Phone2,      u.Mail,     u.RegistrationDate};
    for (int k = 0; k < 10; ++k)
        SetTextOf(Ctl("TxtIn", k), values[k]);
    SetMemo(Ctl("TxtIn", 10), u.CustomerMemo);
    Global::HistoryPage = 1;
    const HistoryRecord& h = Global::HistoryRecords[1];
    const ContractorRecord& k1 = Global::ContractorRecords[1];
    SetTextOf(Ctl("TxtIn", 11), h.HistoryName);
    Caption("LblDate", h.MeasDate);
    Caption("LblMeasDataPm", h.HistoryPmTotal);
    Caption("LblMeasDataVoc", h.HistoryVocTotal);
    Caption("LblMeasDataIsc", h.HistoryIscTotal);
    SetMemo(Ctl("TxtIn", 12), h.HistoryMemo);
    for (int i = 0; i < 5; ++i) {
        SetTextOf(Ctl("TxtCompanyName", i), k1.ContractorNames[i]);
        SetTextOf(Ctl("TxtCompanyTel", i), k1.ContractorPhones[i]);
        SetTextOf(Ctl("TxtCompanyCharge", i), k1.ContractorPersons[i]);
    }
    // No array configuration window yet: the total on the tab is not what
    // is saved; the configuration as loaded is.
    Caption("LblModulePmMax", "999");
    const int rows = UserList()->Rows();

    // The user adds a memo line and a fourth contractor.
    auto* memo = qobject_cast<QPlainTextEdit*>(Ctl("TxtIn", 12));
    ASSERT_NE(memo, nullptr);
    memo->moveCursor(QTextCursor::End);
    Type(memo, "\n追記");
    Type(Ctl("TxtCompanyName", 3), "新電設");

    ASSERT_TRUE(UserDataSave(Key(), false));
    EXPECT_TRUE(Dialogs().log.isEmpty()) << Dialogs().messages().join('\n').toStdString();

    const auto expected = ExpectedAfterSave(w.env);
    EXPECT_EQ(Bytes(c + "/UserData.csv"), expected.value("UserData.csv")) << "shown and taken back unchanged";
    EXPECT_EQ(Bytes(c + "/MakerData.csv"), expected.value("MakerData.csv"));
    EXPECT_EQ(Global::ArrayConfiguration.TotalPm, "12.5");
    EXPECT_EQ(Bytes(c + "/1_東面屋根/MeasData.csv"), expected.value("1_東面屋根/MeasData.csv"));

    const QStringList memoLines = AnsiCodec::splitLines(expected.value("2_西面屋根/MeasData.csv")).mid(9);
    EXPECT_EQ(Bytes(c + "/2_西面屋根/MeasData.csv"),
              Lines(QStringList{h.HistoryName, h.MeasDate, "----", "----", "----", "", "", "", ""} +
                    memoLines + QStringList{"追記"}));
    QStringList contractorLines =
        AnsiCodec::splitLines(expected.value("2_西面屋根/ConstructionContractor.csv"));
    ASSERT_EQ(contractorLines.size(), 15);
    contractorLines[9] = "新電設";
    EXPECT_EQ(Bytes(c + "/2_西面屋根/ConstructionContractor.csv"), Lines(contractorLines));
    EXPECT_EQ(UserList()->Rows(), rows) << "a listed customer gets no new row";
}

TEST_F(CustomerFormTest, ArrayConfigurationWindowControlsReachMakerData)
{
    auto form = MakeArraySet();
    Global::ArraySetForm = form.get();
    // What the records held before: the window's controls replace it.
    Global::ArrayConfiguration.GroupMaker[3] = "old maker";
    Global::ArrayConfiguration.StringRows[20].ModelCode = "old model";
    Global::ArrayConfiguration.GroupAlpha[1] = "0.05";

    Caption("LblModulePmMax", "5000");
    Choose(*form, "CmbMaker_1", "Tolvane Solar");
    Choose(*form, "CmbModSel_5", "TS-250");
    form->findChild<QLineEdit*>("TxtCnt_5")->setText("10");
    form->findChild<QLineEdit*>("TxtCntH_5")->setText("2");
    form->findChild<QLabel*>("LblPm_5")->setText("250");
    form->findChild<QLabel*>("LblVoc_5")->setText("37.5");
    form->findChild<QLabel*>("LblIsc_5")->setText("8.9");
    form->findChild<QLineEdit*>("TxtCnt_9")->setText("4"); // a count without a model
    form->findChild<QLabel*>("LblStringTotalPm_1")->setText("5000");
    Choose(*form, "CmbNoSel_1", "2");
    Choose(*form, "CmbPowConMaker_1", "ソルベル");
    Choose(*form, "CmbPowConSerial_1", "SB55M");
    Type(form->findChild<QPlainTextEdit*>("TxtExData"), "接続箱2台\n監視装置");
    Type(Ctl("TxtIn", 0), "C003");
    Type(Ctl("TxtIn", 1), "配列");

    ASSERT_TRUE(UserDataSave("C003_配列", true));
    EXPECT_TRUE(Dialogs().log.isEmpty()) << Dialogs().messages().join('\n').toStdString();

    QByteArray maker = Lines({"5000"}) + EmptyGroup() +
                       Lines({"Tolvane Solar", "TS-250,10,250,37.5,8.9,2", ",,,,,", ",,,,,", ",,,,,",
                              ",4,,,,", "2", "ソルベル", "SB55M"});
    for (int g = 2; g < 10; ++g)
        maker += EmptyGroup();
    maker += Lines({"接続箱2台", "監視装置"});
    EXPECT_EQ(Bytes(Folder("C003_配列") + "/MakerData.csv"), maker);

    const ArrayConfigurationType& a = Global::ArrayConfiguration;
    EXPECT_EQ(a.GroupRatedPm[1], "5000");
    EXPECT_EQ(a.GroupRatedPm[0], "");
    EXPECT_EQ(a.StringRows[5], (StringRow{"TS-250", "10", "2", "250", "37.5", "8.9"}));
    EXPECT_EQ(a.GroupMaker[3], "");
    EXPECT_EQ(a.StringRows[20].ModelCode, "");
    EXPECT_EQ(a.ExtMemo, "接続箱2台\r\n監視装置");
    EXPECT_EQ(a.GroupAlpha[1], "0.05") << "the coefficients are not the save's to take";
}

// A failure while the screen is taken ends the save: reported under the
// save's name, its result false, nothing written, and the records, the list
// and the selection as they were.
TEST_F(CustomerFormTest, FailuresWhileTakingTheScreenReachTheSaveResult)
{
    struct Case {
        const char* what;
        std::function<void(CustomerFormTest&, std::unique_ptr<QWidget>&)> arrange;
        QString report;
    };
    const Case cases[] = {
        {"a control missing from the array configuration window",
         [](CustomerFormTest&, std::unique_ptr<QWidget>& form) {
             form = MakeArraySet();
             delete form->findChild<QLabel*>("LblIsc_49");
             Global::ArraySetForm = form.get();
         },
         "ERROR No:424 Object required: LblIsc_49"},
        {"a list already holding 1024 customers",
         [](CustomerFormTest&, std::unique_ptr<QWidget>&) { UserList()->setRows(1025); },
         "ERROR No:9 Subscript out of range"},
        {"a history page outside the records",
         [](CustomerFormTest&, std::unique_ptr<QWidget>&) { Global::HistoryPage = 100; },
         "ERROR No:9 Subscript out of range"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Reset();
        UserList()->setRows(1);
        for (int box : {0, 1, 11})
            SetTextOf(Ctl("TxtIn", box), QString());
        Dialogs().log.clear();
        std::unique_ptr<QWidget> form;
        k.arrange(*this, form);
        const int rows = UserList()->Rows();
        Type(Ctl("TxtIn", 0), "D004");
        Type(Ctl("TxtIn", 1), "失敗");
        Type(Ctl("TxtIn", 11), "屋根");

        EXPECT_FALSE(UserDataSave("D004_失敗", true));
        ASSERT_EQ(Dialogs().log.size(), 1);
        EXPECT_EQ(Dialogs().log[0].message.text, k.report);
        EXPECT_EQ(Dialogs().log[0].message.title, "UserDataSave");
        EXPECT_FALSE(QFileInfo::exists(Folder("D004_失敗")));
        EXPECT_EQ(Global::UserDataRecord.CustomerCode, "");
        EXPECT_EQ(Global::HistoryRecords[0].HistoryName, "");
        EXPECT_EQ(UserList()->Rows(), rows);
        EXPECT_EQ(Global::CurUserRow, 0);
    }
}

TEST_F(CustomerFormTest, ReadShowsTheNumberOfHistoriesOnlyWhenItRead)
{
    QObject* total = Ctl("LblTotalPage");
    Install(w.env);
    ASSERT_TRUE(UserDataRead(Key()));
    EXPECT_EQ(CaptionOf(total), "5");

    // A customer without histories.
    const QString c = Folder("E005_空");
    ASSERT_TRUE(QDir().mkpath(c));
    ASSERT_TRUE(WriteFileAtomic(c + "/UserData.csv", Lines({"E005", "空", "", "", "", "", "", "", "", ""})));
    ASSERT_TRUE(WriteFileAtomic(c + "/MakerData.csv", Lines({""})));
    ASSERT_TRUE(UserDataRead("E005_空"));
    EXPECT_EQ(CaptionOf(total), "0");

    // Nothing read: the label keeps what it showed.
    EXPECT_FALSE(UserDataRead("F006_無い"));
    EXPECT_EQ(CaptionOf(total), "0");
    ASSERT_TRUE(QFile::remove(c + "/MakerData.csv"));
    ASSERT_TRUE(QDir().mkpath(c + "/1_屋根"));
    EXPECT_FALSE(UserDataRead("E005_空"));
    EXPECT_EQ(Dialogs().log.size(), 1) << "the failed read reports itself";
    EXPECT_EQ(CaptionOf(total), "0");
}

TEST(CustomerFormMemo, LineBreaksCrossBetweenRecordAndBox)
{
    struct Case {
        QString record, box, back;
    };
    const Case cases[] = {
        {"", "", ""},
        {"one line", "one line", "one line"},
        {"a\r\nb", "a\nb", "a\r\nb"},
        {"a\r\n\r\nb\r\n", "a\n\nb\n", "a\r\n\r\nb\r\n"},
        {"a\rb", "a\nb", "a\r\nb"},
        {"a\nb", "a\nb", "a\r\nb"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(MemoToBox(k.record), k.box) << k.record.toStdString();
        EXPECT_EQ(MemoFromBox(k.box), k.back) << k.record.toStdString();
    }
    EXPECT_EQ(MemoFromBox(QString("a") + QChar::ParagraphSeparator + "b" + QChar::LineSeparator + "c"),
              "a\r\nb\r\nc");

    // Through a real memo box: one block per line, no doubled breaks.
    EnsureApp();
    QPlainTextEdit box;
    SetMemo(&box, "屋上\r\n\r\n保守\r\n");
    EXPECT_EQ(box.blockCount(), 4);
    EXPECT_EQ(MemoOf(&box), "屋上\r\n\r\n保守\r\n");
    QLineEdit line;
    SetMemo(&line, "single");
    EXPECT_EQ(MemoOf(&line), "single");
}

TEST(CustomerFormNoWindow, WithoutTheMainWindowTheRecordsAreSavedAsTheyAre)
{
    MainWindowEnv w;
    w.load();
    w.form.reset();
    ASSERT_TRUE(Global::UserDataScreenToRecordsHook);
    UserMemoryClear();
    Global::UserDataRecord.CustomerCode = "G007";
    Global::UserDataRecord.CustomerName = "記録";
    Global::CurUserRow = 0;
    Global::UserListCount = 0;
    EXPECT_TRUE(UserDataSave("G007_記録", true));
    EXPECT_EQ(Bytes(w.env.dataFolder() + "/USER_DATA/G007_記録/UserData.csv"),
              Lines({"G007", "記録", "", "", "", "", "", "", "", "", ""}));
    Global::ShowHistoryTotalHook(3); // nothing to show it in
    Global::UserDataScreenToRecordsHook = nullptr;
    Global::ShowHistoryTotalHook = nullptr;
}

} // namespace
