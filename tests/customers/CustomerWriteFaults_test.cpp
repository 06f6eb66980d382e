// The write-fault harness over every saver of the customer tab: each run
// fails one step of the write path (write, flush or rename of one file), in
// turn for every step the saver takes, and afterwards every file of the data
// folder is its old bytes or its new bytes, the failure was reported, and a
// save that failed is not taken for done.
#include "customers/support/CustomerTabEnv.h"

#include "customers/UserData.h"

#include <QTemporaryDir>

#include <functional>

using namespace CustomerTabTest;
using CustomerFixture::Snapshot;

namespace {

CustomerSpec Kimura()
{
    CustomerSpec c{"K001", "Kimura", "kimura", "Roof", "123-4567", "Osaka", "06-1", "2024/02/02", {}, "12.5"};
    c.histories = {{1, "East", "2024/03/01", "first", {"Alpha"}},
                   {2, "West", "2024/03/02", "second", {"Bravo"}},
                   {3, "South", "", "", {}}};
    return c;
}

struct Saver {
    const char* what;
    // Brings the tab to the state just before the saving action.
    std::function<void(CustomerTabEnv&)> arrange;
    // The saving action.
    std::function<void(CustomerTabEnv&)> act;
    // Where the customer folder lies afterwards when the action went through.
    QString newKey = QStringLiteral("K001_Kimura");
    // A save command: a failure keeps the edits marked unsaved.
    bool isSave = true;
    // A history folder the save renames: its files count as old or new under
    // either name (a save that fails after the rename leaves the old files,
    // whole, under the new name; the next save writes them).
    QString renamedFrom, renamedTo;
};

class CustomerWriteFaultsTest : public ::testing::Test {
  protected:
    CustomerTabEnv t;
    QTemporaryDir templateDir;
    QString picture;

    void SetUp() override
    {
        // The customer as the program left it: read once, so that reading it
        // again writes nothing.
        t.Write(Kimura());
        t.Load();
        t.ClickCustomer("K001");
        CopyTree(t.Users(), templateDir.path() + "/USER_DATA");
        picture = t.w.env.root() + "/site.png";
        WritePicture(picture, 800, 600);
    }
    void TearDown() override { FileIoFaults::Reset(); }

    static void CopyTree(const QString& from, const QString& to)
    {
        QDir(to).removeRecursively();
        CustomerFixture::CopyTree(from, to);
    }

    // Data folder back to the template, the customer chosen afresh.
    void Restart()
    {
        FileIoFaults::Reset();
        CopyTree(templateDir.path() + "/USER_DATA", t.Users());
        Global::TabModified = {};
        UserListIni(true);
        t.ClickCustomer("K001");
        t.TakeMessages();
    }

    // Files below USER_DATA, the customer folder's own name replaced by
    // "customer", so that a moved folder compares with the one it was.
    QMap<QString, QByteArray> Files(const Saver& s) const
    {
        QMap<QString, QByteArray> out;
        const auto files = Snapshot(t.Users());
        for (auto it = files.begin(); it != files.end(); ++it) {
            QString path = it.key();
            for (const QString& key : {QStringLiteral("K001_Kimura"), s.newKey})
                if (path.startsWith(key + u'/'))
                    path = "customer" + path.mid(key.size());
            if (!s.renamedTo.isEmpty() && path.startsWith("customer/" + s.renamedTo + u'/'))
                path = "customer/" + s.renamedFrom + path.mid(9 + s.renamedTo.size());
            out.insert(path, it.value());
        }
        return out;
    }

    void Run(const Saver& s)
    {
        SCOPED_TRACE(s.what);
        Restart();
        const auto before = Files(s);
        s.arrange(t);
        FileIoFaults::FailAt(0);
        Global::MessWindowText.clear();
        s.act(t);
        const int steps = FileIoFaults::StepsTaken();
        ASSERT_GT(steps, 0) << "the action wrote nothing";
        ASSERT_TRUE(t.TakeMessages().isEmpty());
        const auto after = Files(s);
        ASSERT_FALSE(SameFiles(after, before)) << "the action changed nothing";
        ASSERT_TRUE(QFileInfo::exists(t.Folder(s.newKey)));

        for (int n = 1; n <= steps; ++n) {
            SCOPED_TRACE(testing::Message() << "step " << n << " of " << steps << " fails");
            Restart();
            s.arrange(t);
            Global::MessWindowText.clear();
            FileIoFaults::FailAt(n);
            s.act(t);
            FileIoFaults::Reset();

            const auto now = Files(s);
            QStringList damaged;
            for (auto it = now.begin(); it != now.end(); ++it) {
                const bool old = before.contains(it.key()) && before.value(it.key()) == it.value();
                const bool fresh = after.contains(it.key()) && after.value(it.key()) == it.value();
                if (!old && !fresh)
                    damaged << it.key();
            }
            for (auto it = before.begin(); it != before.end(); ++it)
                if (!now.contains(it.key()) && after.contains(it.key()))
                    damaged << it.key() + " (gone)";
            EXPECT_TRUE(damaged.isEmpty()) << damaged.join(", ").toStdString();
            if (s.newKey.startsWith("K"))
                EXPECT_FALSE(QFileInfo::exists(t.Folder("K001_Kimura")) && s.newKey != "K001_Kimura" &&
                             QFileInfo::exists(t.Folder(s.newKey)))
                    << "the folder is under one key";

            const QStringList shown = t.TakeMessages();
            if (now != after)
                EXPECT_FALSE(shown.isEmpty()) << "a failure is reported";
            if (s.isSave && Global::MessWindowText == "Save OK") {
                // Done means every file the save writes is new; only what the
                // reload of the customer adds may be missing (reported).
                for (auto it = after.begin(); it != after.end(); ++it)
                    EXPECT_TRUE(now.value(it.key()) == it.value() ||
                                (!before.contains(it.key()) && !now.contains(it.key()) &&
                                 it.key().endsWith("/PictureData.csv")))
                        << it.key().toStdString() << " is not new after Save OK";
            } else if (s.isSave) {
                EXPECT_NE(now, after);
                EXPECT_TRUE(Global::TabModified[0]) << "still unsaved";
            }
        }
        RecordProperty(s.what, steps);
        std::cout << "[ harness  ] " << s.what << ": " << steps << " failure points\n";
    }
};

} // namespace

TEST_F(CustomerWriteFaultsTest, SaveInPlace)
{
    Run({"save in place",
         [](CustomerTabEnv& e) {
             e.Type("TxtIn", 3, "New roof");
             e.Dialogs().answer(vbNo); // the page turn's save question
             e.Click("CmdScl", 1);
             e.TakeMessages();
             e.Type("TxtIn", 12, "edited memo");
             e.Type("TxtIn", 11, "West wing");
         },
         [](CustomerTabEnv& e) { e.Click("CmdBtn", 0); }, QStringLiteral("K001_Kimura"), true,
         QStringLiteral("2_West"), QStringLiteral("2_West wing")});
}

TEST_F(CustomerWriteFaultsTest, SaveUnderANewKey)
{
    Run({"save under a new code and name",
         [](CustomerTabEnv& e) {
             e.Type("TxtIn", 0, "K002");
             e.Type("TxtIn", 1, "Kimura Ltd");
             e.Type("TxtIn", 12, "moved memo");
         },
         [](CustomerTabEnv& e) { e.Click("CmdBtn", 0); }, QStringLiteral("K002_Kimura Ltd")});
}

TEST_F(CustomerWriteFaultsTest, FirstSaveOfANewCustomer)
{
    Run({"first save of a new customer",
         [](CustomerTabEnv& e) {
             e.Click("CmdBtn", 3);
             e.Type("TxtIn", 0, "N9");
             e.Type("TxtIn", 1, "New");
             e.Type("TxtIn", 11, "Carport");
         },
         [](CustomerTabEnv& e) { e.Click("CmdBtn", 0); }, QStringLiteral("N9_New")});
}

TEST_F(CustomerWriteFaultsTest, PictureRegistrationAndRemoval)
{
    Run({"picture registration",
         [this](CustomerTabEnv& e) {
             e.Click("CmdScl", 1);
             e.Dialogs().answerText(picture);
         },
         [](CustomerTabEnv& e) { e.Click("CmdPicReg", 0); }, QStringLiteral("K001_Kimura"), false});

    // The removal starts from a registered picture.
    Restart();
    t.Click("CmdScl", 1);
    t.Dialogs().answerText(picture);
    t.Click("CmdPicReg", 0);
    CopyTree(t.Users(), templateDir.path() + "/USER_DATA");
    Run({"picture removal", [](CustomerTabEnv& e) { e.Click("CmdScl", 1); },
         [](CustomerTabEnv& e) { e.Trigger("MnuPicDelete"); }, QStringLiteral("K001_Kimura"), false});
}

TEST_F(CustomerWriteFaultsTest, DocumentsFolderMarker)
{
    QDir(t.Folder("K001_Kimura") + "/Documents").removeRecursively();
    CopyTree(t.Users(), templateDir.path() + "/USER_DATA");
    Run({"documents folder marker", [](CustomerTabEnv&) {}, [](CustomerTabEnv& e) { e.Click("CmdBtn", 11); },
         QStringLiteral("K001_Kimura"), false});
}
