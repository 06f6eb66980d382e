// A data folder copied byte for byte from a Windows machine: its Japanese
// names are code page 932 bytes, and a few names decode in no way at all.
// Every list shows the first kind and reports the second once; the
// customer loads and saves back into its own folder; the backup copies
// both kinds byte for byte.
#include "catalog/ModelFiles.h"
#include "common/BackupSet.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerList.h"
#include "customers/UserData.h"
#include "measview/HistoryLoad.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "support/TestEnv.h"

#include <QMap>

#include <gtest/gtest.h>

#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ansi(const QString& text)
{
    return AnsiCodec::encode(text);
}

QByteArray lines(const QStringList& l)
{
    return AnsiCodec::joinLines(l);
}

// The set-up writes by bytes, as a copy from Windows would.
void mkdirRaw(const QByteArray& path)
{
    ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << path.constData();
}

void putRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

// Every entry below `root` by its bytes: relative name -> content (folders
// "<folder>").
void rawTree(const QByteArray& root, const QByteArray& prefix, QMap<QByteArray, QByteArray>& out)
{
    DIR* dir = ::opendir(root.constData());
    ASSERT_NE(dir, nullptr) << root.constData();
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = root + '/' + name;
        struct stat st;
        ASSERT_EQ(::lstat(path.constData(), &st), 0);
        if (S_ISDIR(st.st_mode)) {
            out.insert(prefix + name, "<folder>");
            rawTree(path, prefix + name + '/', out);
        } else {
            QByteArray bytes;
            const int fd = ::open(path.constData(), O_RDONLY);
            char buf[4096];
            for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
                bytes.append(buf, n);
            ::close(fd);
            out.insert(prefix + name, bytes);
        }
    }
    ::closedir(dir);
}

QMap<QByteArray, QByteArray> rawTree(const QString& root)
{
    QMap<QByteArray, QByteArray> out;
    rawTree(QFile::encodeName(root), QByteArray(), out);
    return out;
}

const QString kCustomer = QStringLiteral("A0005_陽だまり");
const QString kHistory = QStringLiteral("1_東面");
const QString kMeasFile = QStringLiteral("240504_08000陽_0005-02-02.csv"); // a "?" of the pattern is 陽
const QString kMaker = QStringLiteral("ミナモ電工2");
const QString kModel = QStringLiteral("陽光-250.dat");
// Bytes that are neither UTF-8 nor code page 932 (0x81 0x7F is no character).
const QByteArray kBad = QByteArrayLiteral("\x81\x7F");

class WindowsNames : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        UserMemoryClear();
        const QByteArray d = QFile::encodeName(data);
        const QByteArray users = d + "/USER_DATA";
        const QByteArray customer = users + '/' + ansi(kCustomer);
        const QByteArray history = customer + '/' + ansi(kHistory);
        const QByteArray makers = d + "/MODULE_DATA";
        mkdirRaw(users);
        mkdirRaw(customer);
        putRaw(customer + "/UserData.csv",
               lines({"A0005", "陽だまり", "ヒダマリ", "南の丘", "", "", "", "", "", "2024/04/01", "memo"}));
        putRaw(customer + "/MakerData.csv", lines({"1"}));
        mkdirRaw(history);
        putRaw(history + "/MeasData.csv", lines({"東面", "2024/05/10", "", "", "", "", "", "", ""}));
        putRaw(history + '/' + ansi(kMeasFile), measBytes);
        // The names no code page holds, one in every folder listed.
        mkdirRaw(users + "/B0001_" + kBad);
        putRaw(users + "/B0001_" + kBad + "/UserData.csv", lines({"B0001"}));
        mkdirRaw(customer + "/2_" + kBad);
        putRaw(customer + "/2_" + kBad + "/MeasData.csv", lines({"x"}));
        putRaw(history + "/240504_080001_0005-02-" + kBad + ".csv", "bad");
        mkdirRaw(makers);
        mkdirRaw(makers + '/' + ansi(kMaker));
        putRaw(makers + '/' + ansi(kMaker) + '/' + ansi(kModel), modelBytes);
        mkdirRaw(makers + "/Bad" + kBad);
        putRaw(makers + "/Bad" + kBad + "/M-" + kBad + ".dat", "bad model");
    }
    void TearDown() override
    {
        FileIoFaults::Reset();
        // Qt's removal of the test's folder cannot see names that are not UTF-8.
        for (const char* folder : {"/data", "/set", "/probe", "/two"})
            std::filesystem::remove_all(QFile::encodeName(env.root() + QLatin1String(folder)).toStdString());
    }

    // The boxes shown since the last look, and the look starts again.
    QStringList boxes()
    {
        const QStringList shown = env.dialogs->messages();
        env.dialogs->log.clear();
        return shown;
    }

    TestEnv env;
    QString data = env.dataFolder();
    QString customer = data + QStringLiteral("/USER_DATA/") + kCustomer;
    QByteArray measBytes = lines({"測定", "1,2,3"});
    QByteArray modelBytes = lines({"Ver.2", "陽光-250"});
};

} // namespace

TEST_F(WindowsNames, EveryListShowsCodePage932NamesAndReportsTheOthersOnce)
{
    const QString badShown = QStringLiteral("\\x81\\x7F");

    // The customer list.
    const CustomerScan scan = ScanCustomerFolders(data + QStringLiteral("/USER_DATA"));
    ASSERT_EQ(scan.items.size(), 1u);
    EXPECT_EQ(scan.items[0].CustomerCode, QStringLiteral("A0005"));
    EXPECT_EQ(scan.items[0].CustomerName, QStringLiteral("陽だまり"));
    EXPECT_EQ(scan.namesNotShown, QList<QByteArray>{"B0001_" + kBad});

    // The catalogue: makers, models, and the model's bytes by its shown path.
    EXPECT_EQ(ListMakerFolders(data + QStringLiteral("/MODULE_DATA")), QStringList{kMaker});
    QStringList shown = boxes();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(data + QStringLiteral("/MODULE_DATA"))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Bad") + badShown)) << shown[0].toStdString();
    const QString maker = data + QStringLiteral("/MODULE_DATA/") + kMaker;
    EXPECT_EQ(ListModelFiles(maker), QStringList{kModel});
    EXPECT_EQ(ReadFileBytes(maker + u'/' + kModel), modelBytes);
    EXPECT_TRUE(boxes().isEmpty());

    // The customer with its histories.
    ASSERT_TRUE(UserDataRead(kCustomer));
    EXPECT_EQ(Global::UserDataRecord.CustomerName, QStringLiteral("陽だまり"));
    EXPECT_EQ(Global::HistoryCount, 1);
    EXPECT_EQ(Global::HistoryFolderNames[0], kHistory);
    EXPECT_EQ(Global::HistoryRecords[0].HistoryName, QStringLiteral("東面"));
    shown = boxes();
    ASSERT_EQ(shown.size(), 1) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(shown[0].contains(customer)) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("2_") + badShown));

    // The history's measurement files, read by their shown paths.
    const QString history = FindHistoryFolder(customer, QStringLiteral("東面"));
    EXPECT_EQ(history, customer + u'/' + kHistory);
    EXPECT_TRUE(boxes().isEmpty()) << "a lookup is no list";
    const QStringList files = HistoryMeasFiles(history);
    EXPECT_EQ(files, QStringList{history + u'/' + kMeasFile});
    EXPECT_EQ(boxes().size(), 1);
    ASSERT_FALSE(files.isEmpty());
    EXPECT_EQ(ReadFileBytes(files[0]), measBytes);
}

TEST_F(WindowsNames, ACustomerIsSavedBackIntoItsOwnFolder)
{
    const auto before = rawTree(data + QStringLiteral("/USER_DATA"));
    ASSERT_TRUE(UserDataRead(kCustomer));
    boxes();
    Global::UserDataRecord.CustomerMemo = QStringLiteral("新しいメモ");
    ASSERT_TRUE(UserDataSave(kCustomer, false));
    EXPECT_TRUE(boxes().isEmpty());
    const auto after = rawTree(data + QStringLiteral("/USER_DATA"));
    // No folder of the UTF-8 spelling was made beside the old ones: the
    // customers are the same folders, and so are the histories.
    const auto topLevel = [](const QMap<QByteArray, QByteArray>& tree, const QByteArray& prefix) {
        QList<QByteArray> names;
        for (auto it = tree.begin(); it != tree.end(); ++it)
            if (it.key().startsWith(prefix) && !it.key().mid(prefix.size()).contains('/'))
                names << it.key();
        return names;
    };
    EXPECT_EQ(topLevel(after, QByteArray()), topLevel(before, QByteArray()));
    EXPECT_TRUE(after.contains(ansi(kCustomer) + '/' + ansi(kHistory) + "/MeasData.csv"));
    EXPECT_FALSE(after.contains(ansi(kCustomer) + '/' + kHistory.toUtf8()));
    const QByteArray userFile = ansi(kCustomer) + "/UserData.csv";
    ASSERT_TRUE(after.contains(userFile));
    EXPECT_TRUE(AnsiCodec::decode(after.value(userFile)).contains(QStringLiteral("新しいメモ")));
}

TEST_F(WindowsNames, ABackupCopiesEveryNameByteForByteAndIsCompleteOnlyThen)
{
    const QString set = env.root() + QStringLiteral("/set");
    BackupOutcome out = CopyBackupSet(data, set);
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(out.notCopied, 0);
    EXPECT_TRUE(boxes().isEmpty());
    for (const char* folder : {"/USER_DATA", "/MODULE_DATA"}) {
        const auto source = rawTree(data + QLatin1String(folder));
        EXPECT_EQ(rawTree(set + QLatin1String(folder)), source) << folder;
        EXPECT_GE(source.size(), 4);
    }

    // One file that cannot be copied: the set is not complete and says by
    // how many.
    FileIoFaults::FailAt(0);
    CopyBackupSet(data, env.root() + QStringLiteral("/probe"));
    int step = 0;
    for (qsizetype i = 0; i < FileIoFaults::Steps().size(); ++i)
        if (FileIoFaults::Steps()[i].path.endsWith(QStringLiteral(".dat")) &&
            FileIoFaults::Steps()[i].path.contains(QStringLiteral("/M-"))) {
            step = int(i) + 1;
            break;
        }
    ASSERT_GT(step, 0);
    boxes();
    FileIoFaults::FailAt(step);
    out = CopyBackupSet(data, env.root() + QStringLiteral("/two"));
    FileIoFaults::Reset();
    EXPECT_FALSE(out.complete());
    EXPECT_EQ(out.notCopied, 1);
    EXPECT_EQ(boxes().size(), 1);
    auto copied = rawTree(env.root() + QStringLiteral("/two/MODULE_DATA"));
    const auto source = rawTree(data + QStringLiteral("/MODULE_DATA"));
    EXPECT_FALSE(copied.contains("Bad" + kBad + "/M-" + kBad + ".dat"));
    copied.insert("Bad" + kBad + "/M-" + kBad + ".dat", "bad model");
    EXPECT_EQ(copied, source) << "everything else is in the set";
}

TEST_F(WindowsNames, AnImportCopiesEveryNameByteForByteAndSeesItsClashes)
{
    const QString source = data + QStringLiteral("/MODULE_DATA");
    const QString target = env.root() + QStringLiteral("/two/MODULE_DATA");
    MakeFolderOrThrow(env.root() + QStringLiteral("/two"));
    const bool whole = CopyFolderTree(source, target, ExistingFiles::Refuse);
    const QStringList shown = boxes();
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
    ASSERT_TRUE(whole);
    EXPECT_EQ(rawTree(target), rawTree(source));
    // A second import finds both model files there already, by their bytes.
    EXPECT_EQ(ImportClashes(source, target).size(), 2);
    EXPECT_TRUE(ImportClashes(source, target).contains(kMaker + u'/' + kModel));
}
