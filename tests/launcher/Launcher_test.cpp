#include "Launcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

struct RecordingShell : LaunchShell {
    QList<ShellRequest> requests;
    ShellResult answer{true, 0, {}};
    ShellResult Execute(const ShellRequest& request) override
    {
        requests << request;
        return answer;
    }
};

struct Box {
    QString caption;
    QString text;
    bool operator==(const Box&) const = default;
};

struct RecordingBoxes : LaunchMessages {
    QList<Box> boxes;
    void Information(const QString& caption, const QString& text) override { boxes << Box{caption, text}; }
};

QString SystemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A disc folder holding the launcher, run from another current folder, which
// is put back afterwards.
class LauncherRun : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("disc")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("elsewhere")));
        disc = root.path() + QStringLiteral("/disc/");
        savedCwd = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(root.path() + QStringLiteral("/elsewhere")));
    }
    void TearDown() override { QDir::setCurrent(savedCwd); }

    int Run(const QStringList& args)
    {
        return LauncherMain(QStringList{disc + QStringLiteral("pelmora")} + args,
                            disc + QStringLiteral("pelmora"), shell, boxes);
    }

    QTemporaryDir root;
    QString disc;
    QString savedCwd;
    RecordingShell shell;
    RecordingBoxes boxes;
};

} // namespace

TEST(GetModuleFolder, KeepsDriveAndDirectoryWithTrailingSeparator)
{
    EXPECT_EQ(GetModuleFolder(QStringLiteral("/media/cdrom/pelmora")), QStringLiteral("/media/cdrom/"));
    EXPECT_EQ(GetModuleFolder(QStringLiteral("/pelmora")), QStringLiteral("/"));
    EXPECT_EQ(GetModuleFolder(QString::fromUtf8("/mnt/ディスク 1/pelmora")),
              QString::fromUtf8("/mnt/ディスク 1/"));
    EXPECT_EQ(GetModuleFolder(QStringLiteral("pelmora")), QString());
}

TEST(IsSwitch, OneLeadingDashOrSlashAndAnyCase)
{
    struct Case {
        const char* argument;
        const char* word;
        bool match;
    } cases[] = {
        {"MAX", "MAX", true},
        {"/max", "MAX", true},
        {"-MaX", "MAX", true},
        {"max", "MAX", true},
        {"--max", "MAX", false},
        {"//max", "MAX", false},
        {"-/max", "MAX", false},
        {"/-max", "MAX", false},
        {"max ", "MAX", false},
        {" max", "MAX", false},
        {"maxi", "MAX", false},
        {"-", "MAX", false},
        {"", "MAX", false},
        {"PRINT", "print", true},
        {"/OpenNew", "opennew", true},
        {"open", "opennew", false},
        {"\\max", "MAX", false},
        // other scripts' case folding makes no switch
        {"ＭＡＸ", "MAX", false},
        {"propertieſ", "properties", false},
        {"PROPERTİES", "properties", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSwitch(QString::fromUtf8(c.argument), QString::fromUtf8(c.word)), c.match)
            << c.argument << " against " << c.word;
}

// Each command line (after the program name), what the shell is asked and
// what box follows when the shell answers success.
TEST_F(LauncherRun, CommandLinesResolveToDocumentVerbAndWindowState)
{
    struct Case {
        QStringList args;
        QString file; // relative to the disc folder unless absolute
        QString verb;
        int show;
    } cases[] = {
        {{}, "Pelmora.html", "open", SW_SHOWNORMAL},
        {{"manual.pdf"}, "manual.pdf", "", SW_SHOWNORMAL},
        {{"docs/manual.pdf"}, "docs/manual.pdf", "", SW_SHOWNORMAL},
        {{"./docs/../manual.pdf"}, "manual.pdf", "", SW_SHOWNORMAL},
        {{"../setup/readme.txt"}, root.path() + "/setup/readme.txt", "", SW_SHOWNORMAL},
        {{"/srv/share/guide.pdf"}, "/srv/share/guide.pdf", "", SW_SHOWNORMAL},
        {{"my guide.pdf"}, "my guide.pdf", "", SW_SHOWNORMAL},
        // argument 1 is the document, whatever it reads like
        {{"MAX"}, "MAX", "", SW_SHOWNORMAL},
        {{"/print"}, "/print", "", SW_SHOWNORMAL},
        {{"-print", "MAX"}, "-print", "", SW_SHOWMAXIMIZED},
        // window switches
        {{"a.pdf", "MAX"}, "a.pdf", "", SW_SHOWMAXIMIZED},
        {{"a.pdf", "/max"}, "a.pdf", "", SW_SHOWMAXIMIZED},
        {{"a.pdf", "-mAx"}, "a.pdf", "", SW_SHOWMAXIMIZED},
        {{"a.pdf", "min"}, "a.pdf", "", SW_SHOWMINIMIZED},
        {{"a.pdf", "--max"}, "a.pdf", "", SW_SHOWNORMAL},
        {{"a.pdf", "//MAX"}, "a.pdf", "", SW_SHOWNORMAL},
        {{"a.pdf", "MIN", "MAX"}, "a.pdf", "", SW_SHOWMAXIMIZED},
        {{"a.pdf", "MAX", "MIN"}, "a.pdf", "", SW_SHOWMINIMIZED},
        // verbs, passed in lower case
        {{"a.pdf", "EDIT"}, "a.pdf", "edit", SW_SHOWNORMAL},
        {{"a.pdf", "/Explore"}, "a.pdf", "explore", SW_SHOWNORMAL},
        {{"a.pdf", "-open"}, "a.pdf", "open", SW_SHOWNORMAL},
        {{"a.pdf", "Print"}, "a.pdf", "print", SW_SHOWNORMAL},
        {{"a.pdf", "PROPERTIES"}, "a.pdf", "properties", SW_SHOWNORMAL},
        {{"a.pdf", "/play"}, "a.pdf", "play", SW_SHOWNORMAL},
        {{"a.pdf", "OpenNew"}, "a.pdf", "opennew", SW_SHOWNORMAL},
        {{"a.pdf", "edit", "print"}, "a.pdf", "print", SW_SHOWNORMAL},
        {{"a.pdf", "MAX", "print"}, "a.pdf", "print", SW_SHOWMAXIMIZED},
        {{"a.pdf", "print", "/MIN", "open", "max"}, "a.pdf", "open", SW_SHOWMAXIMIZED},
        // words that name no switch are ignored
        {{"a.pdf", "maximize", "", "-", "print me", "--print"}, "a.pdf", "", SW_SHOWNORMAL},
        {{"a.pdf", "bogus", "MIN", "bogus"}, "a.pdf", "", SW_SHOWMINIMIZED},
    };
    for (const Case& c : cases) {
        shell.requests.clear();
        EXPECT_EQ(Run(c.args), 0);
        ASSERT_EQ(shell.requests.size(), 1) << c.args.join(u' ').toStdString();
        const ShellRequest& r = shell.requests.first();
        const QString expected = c.file.startsWith(u'/') ? c.file : disc + c.file;
        EXPECT_EQ(r.file, expected) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.verb, c.verb) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.show, c.show) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.directory, disc);
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(LauncherRun, MakesItsOwnFolderTheCurrentFolder)
{
    Run({QStringLiteral("a.pdf")});
    EXPECT_EQ(QDir::currentPath() + u'/', disc);
    QDir::setCurrent(root.path() + QStringLiteral("/elsewhere"));
    Run({});
    EXPECT_EQ(QDir::currentPath() + u'/', disc);
}

TEST_F(LauncherRun, FailureBoxesCarryTheArgumentAsTyped)
{
    struct Case {
        QStringList args;
        ShellResult answer;
        std::optional<Box> box; // none: the shell opened the document
    } cases[] = {
        {{}, {false, ENOENT, {}}, Box{"Pelmora.html", SystemText(ENOENT)}},
        {{"sub/missing.pdf"}, {false, ENOENT, {}}, Box{"sub/missing.pdf", SystemText(ENOENT)}},
        {{"./x.pdf", "print"},
         {false, 0, "lp: Error - no default destination available.\n"},
         Box{"./x.pdf", "lp: Error - no default destination available."}},
        {{"x.pdf", "properties"}, {false, EOPNOTSUPP, {}}, Box{"x.pdf", SystemText(EOPNOTSUPP)}},
        {{"x.pdf"}, {true, 0, {}}, std::nullopt},
    };
    for (const Case& c : cases) {
        boxes.boxes.clear();
        shell.answer = c.answer;
        EXPECT_EQ(Run(c.args), 0);
        if (c.box) {
            ASSERT_EQ(boxes.boxes.size(), 1) << c.args.join(u' ').toStdString();
            EXPECT_EQ(boxes.boxes.first(), *c.box);
        } else {
            EXPECT_TRUE(boxes.boxes.isEmpty());
        }
    }
}

// A failure with no error number must not read as the system's text for
// "no error".
TEST_F(LauncherRun, FailureWithoutErrorNumberNeverReadsAsSuccess)
{
    shell.answer = {false, 0, {}};
    Run({QStringLiteral("a.pdf")});
    Run({});
    ASSERT_EQ(boxes.boxes.size(), 2);
    for (const Box& b : boxes.boxes) {
        EXPECT_NE(b.text, SystemText(0));
        EXPECT_FALSE(b.text.isEmpty());
    }
    EXPECT_EQ(FailureText({false, 0, QStringLiteral("  \n")}), FailureText({false, 0, {}}));
}

// With no full path for argument 1 nothing is opened (the launcher least of
// all) and the box says why.
TEST_F(LauncherRun, EmptyOrOverlongDocumentOpensNothing)
{
    const QString longest = QString(PathBufferChars - 1 - disc.size(), u'a');
    const QString tooLong = longest + u'a';
    struct Case {
        QString document;
        std::optional<Box> box;
    } cases[] = {
        {"", Box{"", SystemText(ENOENT)}},
        {tooLong, Box{tooLong, SystemText(ENAMETOOLONG)}},
        {QString(4000, u'b'), Box{QString(4000, u'b'), SystemText(ENAMETOOLONG)}},
        {"/" + QString(PathBufferChars, u'c'),
         Box{"/" + QString(PathBufferChars, u'c'), SystemText(ENAMETOOLONG)}},
        {longest, std::nullopt},
    };
    for (const Case& c : cases) {
        shell.requests.clear();
        boxes.boxes.clear();
        EXPECT_EQ(Run({c.document, QStringLiteral("MAX")}), 0);
        if (c.box) {
            EXPECT_TRUE(shell.requests.isEmpty()) << c.document.size();
            ASSERT_EQ(boxes.boxes.size(), 1) << c.document.size();
            EXPECT_EQ(boxes.boxes.first(), *c.box);
        } else {
            ASSERT_EQ(shell.requests.size(), 1);
            EXPECT_EQ(shell.requests.first().file, disc + longest);
            EXPECT_EQ(shell.requests.first().file.size(), PathBufferChars - 1);
            EXPECT_TRUE(boxes.boxes.isEmpty());
        }
    }
}

TEST_F(LauncherRun, StartDocumentNameMatchesWithoutRegardToCase)
{
    auto touch = [&](const QString& name) {
        QFile f(disc + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    touch(QStringLiteral("PELMORA.HTM"));
    touch(QStringLiteral("pelmora.HTML"));
    Run({});
    ASSERT_EQ(shell.requests.size(), 1);
    EXPECT_EQ(shell.requests.last().file, disc + QStringLiteral("pelmora.HTML"));

    touch(QStringLiteral("Pelmora.html"));
    Run({});
    EXPECT_EQ(shell.requests.last().file, disc + QStringLiteral("Pelmora.html"));
}
