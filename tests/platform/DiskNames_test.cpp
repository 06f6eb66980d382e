// Names on disk and as shown: UTF-8, code page 932 written on Windows, and
// bytes that are neither; the paths that reach them, and the write path
// working inside a folder of code page 932 bytes.
#include "platform/AnsiCodec.h"
#include "platform/DiskNames.h"
#include "platform/FileIo.h"
#include "platform/FolderReader.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class DiskNames : public ::testing::Test {
  protected:
    QByteArray raw(const QByteArray& relative) const { return QFile::encodeName(base) + '/' + relative; }
    void mkdirRaw(const QByteArray& relative) { ASSERT_EQ(::mkdir(raw(relative).constData(), 0755), 0); }
    void putRaw(const QByteArray& relative, const QByteArray& bytes)
    {
        const int fd = ::open(raw(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }
    QList<QByteArray> names() const
    {
        QList<QByteArray> out;
        for (const DiskEntry& e : ListFolder(base).entries)
            out << e.raw;
        std::sort(out.begin(), out.end());
        return out;
    }

    void SetUp() override { ASSERT_EQ(::mkdir(QFile::encodeName(base).constData(), 0755), 0); }
    // Qt's removal cannot see the names that are not UTF-8.
    void TearDown() override { std::filesystem::remove_all(QFile::encodeName(base).toStdString()); }

    TestEnv env;
    QString base = env.root() + QStringLiteral("/names");
};

const QByteArray kBad = QByteArrayLiteral("\x81\x7F");

} // namespace

TEST_F(DiskNames, NamesAreShownFromUtf8OrCodePage932AndOtherwiseNot)
{
    const struct {
        QByteArray raw;
        std::optional<QString> shown;
    } cases[] = {
        {"plain.csv", QStringLiteral("plain.csv")},
        {QStringLiteral("陽だまり").toUtf8(), QStringLiteral("陽だまり")},
        {AnsiCodec::encode(QStringLiteral("陽だまり")), QStringLiteral("陽だまり")},
        {AnsiCodec::encode(QStringLiteral("ｶﾀｶﾅ")), QStringLiteral("ｶﾀｶﾅ")}, // single-byte kana
        {"x" + kBad, std::nullopt},
        {"end\x81", std::nullopt}, // a lone lead byte of either
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownName(c.raw), c.shown) << c.raw.toHex().constData();
        // The exact text always gives the bytes back.
        EXPECT_EQ(DiskPath(base + u'/' + ExactName(c.raw)), QFile::encodeName(base) + '/' + c.raw)
            << c.raw.toHex().constData();
    }
    EXPECT_EQ(EscapedName("x" + kBad), QStringLiteral("x\\x81\\x7F"));
}

TEST_F(DiskNames, AListingSeesEveryEntryAndSaysWhichCannotBeShown)
{
    const QByteArray ansi = AnsiCodec::encode(QStringLiteral("ミナモ電工2"));
    mkdirRaw(ansi);
    mkdirRaw("Bad" + kBad);
    putRaw("file.dat", "f");
    ASSERT_EQ(::symlink("/nowhere", raw("dangling").constData()), 0);
    ASSERT_EQ(::symlink("file.dat", raw("link.dat").constData()), 0);
    // The code page 932 spelling of a name there is in UTF-8 too cannot be
    // reached by its shown name: it is not shown.
    const QByteArray twin = AnsiCodec::encode(QStringLiteral("陽"));
    mkdirRaw(QStringLiteral("陽").toUtf8());
    mkdirRaw(twin);

    const FolderListing l = ListFolder(base);
    ASSERT_TRUE(l.opened);
    EXPECT_EQ(l.entries.size(), 7);
    QList<QByteArray> notShown = l.notShown;
    std::sort(notShown.begin(), notShown.end());
    EXPECT_EQ(notShown, (QList<QByteArray>{"Bad" + kBad, twin}));
    for (const DiskEntry& e : l.entries) {
        if (e.raw == ansi) {
            EXPECT_EQ(e.name, QStringLiteral("ミナモ電工2"));
            EXPECT_TRUE(e.shown);
            EXPECT_TRUE(e.isRealFolder());
        }
        if (e.raw == "dangling")
            EXPECT_TRUE(e.link && e.target == DiskKind::Missing);
        if (e.raw == "link.dat")
            EXPECT_TRUE(e.link && e.isFile() && !e.isRealFolder());
    }
    EXPECT_FALSE(ListFolder(base + QStringLiteral("/none")).opened);

    // The folder reader of the customer list: the same names, by fd.
    const FolderReader reader(base);
    QList<QByteArray> readerNotShown;
    QStringList folders = reader.subfolders(&readerNotShown);
    folders.sort();
    EXPECT_EQ(folders, (QStringList{QStringLiteral("ミナモ電工2"), QStringLiteral("陽")}));
    EXPECT_EQ(readerNotShown.size(), 2);
}

TEST_F(DiskNames, TheWritePathWorksInsideAFolderOfCodePage932Bytes)
{
    const QString shown = QStringLiteral("A0005_陽だまり");
    const QByteArray ansi = AnsiCodec::encode(shown);
    mkdirRaw(ansi);
    putRaw(ansi + "/UserData.csv", "old");
    const QString folder = base + u'/' + shown;

    EXPECT_EQ(DiskPath(folder + QStringLiteral("/UserData.csv")), raw(ansi + "/UserData.csv"));
    EXPECT_EQ(ReadFileOrThrow(folder + QStringLiteral("/UserData.csv")), "old");
    EXPECT_EQ(KindOf(folder), DiskKind::Folder);
    FolderReader reader(base);
    EXPECT_TRUE(reader.isFile(shown + QStringLiteral("/UserData.csv")));
    EXPECT_EQ(reader.read(shown + QStringLiteral("/UserData.csv")), QByteArray("old"));

    // Saved back in place, a new file and folder made inside, a rename and
    // a removal there: all in the folder of its own bytes.
    WriteFileOrThrow(folder + QStringLiteral("/UserData.csv"), "new");
    WriteFileOrThrow(folder + QStringLiteral("/新しい.csv"), "made");
    MakeFolderOrThrow(folder + QStringLiteral("/1_東面/Pictures"));
    CopyFileOrThrow(folder + QStringLiteral("/新しい.csv"), folder + QStringLiteral("/1_東面/copy.csv"));
    RenameOrThrow(folder + QStringLiteral("/新しい.csv"), folder + QStringLiteral("/renamed.csv"));
    RemoveFileOrThrow(folder + QStringLiteral("/renamed.csv"));
    EXPECT_EQ(names(), QList<QByteArray>{ansi});
    EXPECT_NE(::access(raw(shown.toUtf8()).constData(), F_OK), 0) << "no UTF-8 twin";
    EXPECT_EQ(ReadFileBytes(folder + QStringLiteral("/UserData.csv")), QByteArray("new"));
    EXPECT_EQ(ReadFileBytes(folder + QStringLiteral("/1_東面/copy.csv")), QByteArray("made"));
    EXPECT_EQ(KindOf(folder + QStringLiteral("/1_東面/Pictures")), DiskKind::Folder);
}
