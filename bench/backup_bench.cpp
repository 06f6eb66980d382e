// The full backup against copying the same tree with plain system calls.
//
// A data folder is built once: 256 customers, each with its two files and
// three construction histories of 24 measurement files and their three
// files, and a catalogue of 64 makers of 64 model files; about 25,000 files
// and 1,900 folders in all. BM_Backup times CopyBackupSet into a new set
// (every file and folder copied, the set brought to the disk). BM_PlainCopy
// copies the same four working folders with readdir, mkdir and
// open/read/write/close alone and one sync at the end, and no code of the
// program. Each set is removed again outside the timing. The backup may
// take at most 2 times as long; the run ends with both medians and a line
// "ratio: X".
#include "bench/BenchSupport.h"
#include "common/AppGlobals.h"
#include "common/BackupSet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int CustomerCount = 256;
constexpr int HistoriesEach = 3;
constexpr int MeasFilesEach = 24;
constexpr int MakerCount = 64;
constexpr int ModelsEach = 64;

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

struct DataFolder {
    QTemporaryDir dir;
    QString sets = dir.path() + QStringLiteral("/sets");
    int files = 0;

    DataFolder()
    {
        const QString data = dir.path() + QStringLiteral("/data");
        QDir().mkpath(sets);
        const QByteArray meas = QByteArray("SEL_OK,12.5\r\n").repeated(200); // about 2.6 kB
        for (int i = 0; i < CustomerCount; ++i) {
            const QString folder = data + QStringLiteral("/USER_DATA/C%1_顧客%1").arg(i, 4, 10, QLatin1Char('0'));
            QDir().mkpath(folder);
            put(folder + QStringLiteral("/UserData.csv"), QByteArray("C,name,,,,,,,,\r\n").repeated(12));
            put(folder + QStringLiteral("/MakerData.csv"), QByteArray(",,,,,\r\n").repeated(90));
            files += 2;
            for (int h = 1; h <= HistoriesEach; ++h) {
                const QString history = folder + QStringLiteral("/%1_工事%1").arg(h);
                QDir().mkpath(history + QStringLiteral("/Pictures"));
                put(history + QStringLiteral("/MeasData.csv"), QByteArray("SEL_OK,400\r\n").repeated(9));
                put(history + QStringLiteral("/PictureData.csv"), "\r\n\r\n\r\n\r\n");
                put(history + QStringLiteral("/ConstructionContractor.csv"), QByteArray("\r\n").repeated(15));
                files += 3;
                for (int m = 0; m < MeasFilesEach; ++m) {
                    put(history + QStringLiteral("/170512_0930%1_0001-01-01.csv").arg(m, 2, 10, QLatin1Char('0')),
                        meas);
                    ++files;
                }
            }
        }
        for (int k = 0; k < MakerCount; ++k) {
            const QString maker = data + QStringLiteral("/MODULE_DATA/Maker%1").arg(k);
            QDir().mkpath(maker);
            for (int m = 0; m < ModelsEach; ++m) {
                put(maker + QStringLiteral("/M-%1.dat").arg(m), QByteArray("1,2,3\r\n").repeated(30));
                ++files;
            }
        }
        QDir().mkpath(data + QStringLiteral("/POWER_CONDITIONER_DATA"));
        QDir().mkpath(data + QStringLiteral("/FORWARD_DATA"));
    }
    QString data() const { return dir.path() + QStringLiteral("/data"); }
};

DataFolder* Data = nullptr;
SilentDialogs* Silent = nullptr;
int SetNumber = 0;

QString nextSet()
{
    return Data->sets + QStringLiteral("/set%1").arg(++SetNumber);
}

void removeSet(benchmark::State& state, const QString& set)
{
    state.PauseTiming();
    QDir(set).removeRecursively();
    state.ResumeTiming();
}

void BM_Backup(benchmark::State& state)
{
    for (auto _ : state) {
        const QString set = nextSet();
        const BackupOutcome out = CopyBackupSet(Data->data(), set);
        if (!out.complete())
            state.SkipWithError("the backup is not complete");
        removeSet(state, set);
    }
    if (Silent->messages != 0)
        state.SkipWithError("the backup reported a failure");
    state.SetItemsProcessed(state.iterations() * Data->files);
}

// ---- The floor: system calls only --------------------------------------------

bool copyFile(int fromDir, int toDir, const char* name)
{
    const int in = ::openat(fromDir, name, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::openat(toDir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    char buf[64 * 1024];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (::write(out, buf, size_t(n)) != n) {
            ok = false;
            break;
        }
    }
    ::close(in);
    return ::close(out) == 0 && ok;
}

bool copyTree(int fromDir, int toDir)
{
    DIR* dir = ::fdopendir(::dup(fromDir));
    if (!dir)
        return false;
    bool ok = true;
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (e->d_type == DT_DIR) {
            if (::mkdirat(toDir, name, 0755) != 0) {
                ok = false;
                continue;
            }
            const int from = ::openat(fromDir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const int to = ::openat(toDir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ok = from >= 0 && to >= 0 && copyTree(from, to) && ok;
            if (from >= 0)
                ::close(from);
            if (to >= 0)
                ::close(to);
        } else if (e->d_type == DT_REG) {
            ok = copyFile(fromDir, toDir, name) && ok;
        }
    }
    ::closedir(dir);
    return ok;
}

void BM_PlainCopy(benchmark::State& state)
{
    for (auto _ : state) {
        const QString set = nextSet();
        const std::string from = QFile::encodeName(Data->data()).toStdString();
        const std::string to = QFile::encodeName(set).toStdString();
        bool ok = ::mkdir(to.c_str(), 0755) == 0;
        const int fromFd = ::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int toFd = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (const char* name : {"USER_DATA", "MODULE_DATA", "POWER_CONDITIONER_DATA", "FORWARD_DATA"}) {
            ok = ok && ::mkdirat(toFd, name, 0755) == 0;
            const int a = ::openat(fromFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const int b = ::openat(toFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ok = a >= 0 && b >= 0 && copyTree(a, b) && ok;
            ::close(a);
            ::close(b);
        }
        ok = ::syncfs(toFd) == 0 && ok;
        ::close(fromFd);
        ::close(toFd);
        if (!ok)
            state.SkipWithError("the plain copy failed");
        removeSet(state, set);
    }
    state.SetItemsProcessed(state.iterations() * Data->files);
}

BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    StartAsTheProgram();
    QApplication app(argc, argv);
    PlaceholderUiTexts();
    Silent = static_cast<SilentDialogs*>(setDialogs(std::make_unique<SilentDialogs>()));
    DataFolder data;
    Data = &data;

    const auto [backup, plain] = RunAndCompare(argc, argv, "BM_Backup", "BM_PlainCopy");
    if (backup > 0 && plain > 0) {
        const double ratio = backup / plain;
        std::printf("%d files (medians): backup %.1f ms, plain copy and one sync %.1f ms (limit 2 times)%s\n",
                    data.files, backup, plain, ratio <= 2.0 ? "" : "  OVER THE LIMIT");
        std::printf("ratio: %.3f\n", ratio);
    }
    Global::CurrentDialogs.reset();
    return 0;
}
