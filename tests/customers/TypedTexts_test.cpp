// What the user types or pastes into the customer tab reaches the files as
// typed, or is refused with a message: a line break pasted into a one-line
// box becomes blanks and moves no field; a character code page 932 cannot
// hold is refused, naming the field and the character, with nothing
// written and the text left in its box; the history pages end at the 99th,
// the last history the files keep.
#include "customers/support/CustomerTabEnv.h"

#include "common/TextHelpers.h"
#include "customers/CustomerForm.h"
#include "customers/HistoryPages.h"
#include "customers/TabControls.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace CustomerTabTest;
using CustomerFixture::Bytes;
using CustomerFixture::Snapshot;

namespace {

// The one-line boxes that are no folder names: the customer's fields from
// the reading to the registration date, and the 15 contractor boxes.
QStringList OneLineBoxes()
{
    QStringList boxes;
    for (int k = 2; k <= 9; ++k)
        boxes << Name("TxtIn", k);
    for (const char* column : {"TxtCompanyName", "TxtCompanyTel", "TxtCompanyCharge"})
        for (int i = 0; i < 5; ++i)
            boxes << Name(column, i);
    return boxes;
}

class TypedTextsTest : public ::testing::Test {
  protected:
    CustomerTabEnv t;
    QString customer;

    void Open(int histories) { customer = t.Open(Hayashi(histories)); }

    // A paste as the user makes it: the text on the clipboard, the box's
    // text selected, Ctrl+V.
    void RealPaste(const QString& box, const QString& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(t.Ctl(box));
        ASSERT_NE(edit, nullptr) << box.toStdString();
        QGuiApplication::clipboard()->setText(text);
        edit->selectAll();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier);
        QCoreApplication::sendEvent(edit, &release);
    }
};

} // namespace

TEST_F(TypedTextsTest, ALineBreakPastedIntoAOneLineBoxBecomesBlanksAndEveryFieldStaysInItsPlace)
{
    const struct {
        const char* name;
        QString lineBreak;
        QString blanks;
    } cases[] = {
        {"CR LF", QStringLiteral("\r\n"), QStringLiteral("  ")},
        {"lone CR", QStringLiteral("\r"), QStringLiteral(" ")},
    };
    Open(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList boxes = OneLineBoxes();
        for (const QString& box : boxes) {
            RealPaste(box, box + c.lineBreak + QStringLiteral("second"));
            ASSERT_TRUE(t.Text(box).contains(u'\r')) << "the box keeps the pasted break: " << box.toStdString();
        }
        ASSERT_TRUE(Global::TabModified[0]);
        Global::MessWindowText.clear();
        t.Click("CmdBtn", 0);
        EXPECT_TRUE(t.TakeMessages().isEmpty());
        EXPECT_EQ(Global::MessWindowText, "Save OK");

        // The files keep their shape: UserData.csv ten fields and the memo's
        // line, the contractors fifteen lines.
        const QStringList user = AnsiCodec::splitLines(Bytes(customer + "/UserData.csv"));
        ASSERT_EQ(user.size(), 11);
        EXPECT_EQ(user[6], QStringLiteral("TxtIn_6") + c.blanks + QStringLiteral("second"));
        EXPECT_EQ(user[9], QStringLiteral("TxtIn_9") + c.blanks + QStringLiteral("second"));
        EXPECT_EQ(user[10], QStringLiteral("memo of H001"));
        const QStringList firms = AnsiCodec::splitLines(Bytes(customer + "/1_Job1/ConstructionContractor.csv"));
        ASSERT_EQ(firms.size(), 15);
        EXPECT_EQ(firms[14], QStringLiteral("TxtCompanyCharge_4") + c.blanks + QStringLiteral("second"));

        // Read again from the files: every box shows its own text.
        t.ClickCustomer("H001");
        for (const QString& box : boxes)
            EXPECT_EQ(t.Text(box), box + c.blanks + QStringLiteral("second")) << box.toStdString();
        EXPECT_EQ(t.Text("TxtIn", 0), "H001");
        EXPECT_EQ(t.Text("TxtIn", 1), "Hayashi");
        EXPECT_EQ(t.Text("TxtIn", 10), "memo of H001");
        EXPECT_EQ(t.Text("TxtIn", 11), "Job1");
        EXPECT_EQ(t.Text("TxtIn", 12), "memo 1");
    }
}

TEST_F(TypedTextsTest, ALineBreakInTheControlNumberOrNameIsRefusedByTheNameCheck)
{
    Open(1);
    const auto before = Snapshot(customer);
    for (int box : {0, 1}) {
        for (const QString& lineBreak : {QStringLiteral("\r\n"), QStringLiteral("\r")}) {
            SCOPED_TRACE(testing::Message() << "TxtIn_" << box << (lineBreak.size() == 2 ? " CR LF" : " CR"));
            const QString typed = QStringLiteral("H0") + lineBreak + QStringLiteral("01");
            RealPaste(Name("TxtIn", box), typed);
            t.Click("CmdBtn", 0);
            EXPECT_EQ(t.TakeMessages(), QStringList{Ui(CustomerUi::UiNameNotPortable)});
            EXPECT_EQ(t.Text("TxtIn", box), typed);
            EXPECT_TRUE(SameFiles(Snapshot(customer), before));
            RealPaste(Name("TxtIn", box), box == 0 ? QStringLiteral("H001") : QStringLiteral("Hayashi"));
        }
    }
}

TEST_F(TypedTextsTest, ACharacterTheFilesCannotHoldIsRefusedNamingTheFieldAndNothingIsWritten)
{
    const struct {
        const char* box;
        int index;
        const char* typed;
        QString field;
        const char* named; // the character as the message names it
    } cases[] = {
        {"TxtIn", 5, "Müllerstraße 5", Ui(17), "\"ü\" (U+00FC)"},
        {"TxtIn", 2, "Straße", Ui(14), "\"ß\" (U+00DF)"},
        {"TxtCompanyName", 0, "Müllerstraße", Ui(41) + QStringLiteral(" 1"), "\"ü\" (U+00FC)"},
        {"TxtCompanyCharge", 4, "Café", Ui(43) + QStringLiteral(" 5"), "\"é\" (U+00E9)"},
        {"TxtIn", 12, "Müllerstraße", Ui(37), "\"ü\" (U+00FC)"},
        {"TxtIn", 10, "Müllerstraße", Ui(22), "\"ü\" (U+00FC)"},
    };
    Open(2);
    const auto before = Snapshot(customer);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box << '_' << c.index);
        const QString old = t.Text(c.box, c.index);
        const QString typed = QString::fromUtf8(c.typed);
        t.Type(c.box, c.index, typed);
        Global::MessWindowText.clear();
        t.Click("CmdBtn", 0);
        const QStringList messages = t.TakeMessages();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(Ui(UiTextNotHeld)));
        EXPECT_TRUE(messages[0].endsWith(c.field + QStringLiteral(": ") + QString::fromUtf8(c.named)))
            << messages[0].toStdString();
        EXPECT_NE(Global::MessWindowText, "Save OK");
        EXPECT_TRUE(Global::TabModified[0]);
        EXPECT_EQ(t.Text(c.box, c.index), typed);
        EXPECT_TRUE(SameFiles(Snapshot(customer), before));
        t.Type(c.box, c.index, old);
    }

    // The array configuration window's memo is saved with the customer.
    ASSERT_TRUE(Global::ArraySetForm);
    auto* equipment = Global::ArraySetForm->findChild<QPlainTextEdit*>(QStringLiteral("TxtExData"));
    ASSERT_NE(equipment, nullptr);
    const QString equipmentBefore = equipment->toPlainText();
    equipment->setPlainText(QStringLiteral("Müller inverter"));
    t.Click("CmdBtn", 0);
    const QStringList arrayMessages = t.TakeMessages();
    ASSERT_EQ(arrayMessages.size(), 1);
    EXPECT_TRUE(arrayMessages[0].endsWith(Ui(292) + QStringLiteral(": \"ü\" (U+00FC)"))) << arrayMessages[0].toStdString();
    EXPECT_EQ(equipment->toPlainText(), QStringLiteral("Müller inverter"));
    EXPECT_TRUE(SameFiles(Snapshot(customer), before));
    equipment->setPlainText(equipmentBefore);

    // A memo typed on another page is named with its history.
    t.Type("TxtIn", 12, QStringLiteral("Café"));
    t.Dialogs().answer(vbNo); // turn the page without saving
    t.Click("CmdScl", 1);
    t.Click("CmdBtn", 0);
    const QStringList messages = t.TakeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].endsWith(Ui(37) + QStringLiteral(" (") + Ui(31) + QStringLiteral(" 1): \"é\" (U+00E9)")))
        << messages[1].toStdString();
    EXPECT_TRUE(SameFiles(Snapshot(customer), before));
}

TEST_F(TypedTextsTest, TheNinetyNinthHistoryPageIsTheLast)
{
    Open(98);
    for (int i = 0; i < 98; ++i)
        t.Click("CmdScl", 1);
    ASSERT_EQ(t.Text("LblPage"), "99");
    EXPECT_EQ(t.Text("TxtIn", 11), "") << "the empty page for a 99th history";
    t.Type("TxtIn", 11, QStringLiteral("Last"));
    t.Click("CmdBtn", 0);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
    EXPECT_TRUE(QFileInfo(customer + "/99_Last/MeasData.csv").isFile());
    EXPECT_EQ(t.Text("LblTotalPage"), "99");

    // With 99 histories there is no page after the 99th.
    ASSERT_EQ(t.Text("LblPage"), "99");
    t.Click("CmdScl", 1);
    EXPECT_EQ(t.Text("LblPage"), "99");
    EXPECT_EQ(Global::HistoryPage, 98);
    EXPECT_EQ(t.Text("TxtIn", 11), "Last");
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST_F(TypedTextsTest, AHistoryOnAPagePastTheNinetyNinthIsRefusedNotDropped)
{
    Open(99);
    // A page past the last can only be reached by a reload that puts the
    // page shown back; a history named there is never saved as "Save OK".
    Global::HistoryPage = 99;
    MeasDataPageChange();
    const auto before = Snapshot(customer);
    t.Type("TxtIn", 11, QStringLiteral("Extra"));
    Global::MessWindowText.clear();
    t.Click("CmdBtn", 0);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(CustomerUi::UiHistoryPagePastLast)});
    EXPECT_NE(Global::MessWindowText, "Save OK");
    EXPECT_EQ(t.Text("TxtIn", 11), "Extra");
    EXPECT_TRUE(SameFiles(Snapshot(customer), before));
}
