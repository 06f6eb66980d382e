// A fault at every exchange of a read-out, each followed by fault-free
// read-outs of the same instrument. The faulty read-out reports its fault
// (or is not touched by it); the next read-out either saves every record
// exactly or reports its failure and saves nothing -- never "complete" with
// records missing or misread -- and the one after a failure is complete:
// the instrument is in step again.
//
// Every exchange of a read-out of 40 records is hit, in both record sizes:
// each open of the device (it is lost), each command written (the write
// fails), and each answer read (the read fails; the instrument hangs with
// the rest of its answer waiting for the next open; or it hangs and sends
// the rest only once it is spoken to again). Each test prints its table row
// (HX_FAULT_TABLE=1 prints one line per fault point as well).
#include "ForwardTestSupport.h"

#include "common/FrmMessWindow.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <tuple>

namespace {

using Files = QMap<QString, QByteArray>;

Files Snapshot(const QString& folder)
{
    Files out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile f(dir.filePath(name));
        out.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return out;
}

// 40 records of one size; the 1184-character memory holds a model that asks
// for the clock, so that the clock setting's exchanges are hit too.
QList<QByteArray> Memory(int size)
{
    QList<QByteArray> out;
    for (int i = 1; i <= 40; ++i) {
        InstrumentRecord r;
        r.number = QStringLiteral("%1-02-%2").arg(i, 4, 10, QLatin1Char('0')).arg(i % 7 + 1, 2, 10, QLatin1Char('0')).toLatin1();
        r.time = QTime(9, 0).addSecs(i * 61).toString(QStringLiteral("HH:mm:ss")).toLatin1();
        r.pm = QByteArray::number(200 + i).rightJustified(5, '0');
        if (i == 23)
            r.model = 'G';
        out << (size == 1184 ? r.bytes1184() : r.bytes1120());
    }
    return out;
}

enum class Kind { OpenLost, WriteFails, ReadFails, HangsRestAtOpen, HangsRestAfterCommand };

const char* KindName(Kind k)
{
    switch (k) {
    case Kind::OpenLost:
        return "device lost at an open";
    case Kind::WriteFails:
        return "write of a command fails";
    case Kind::ReadFails:
        return "read of an answer fails";
    case Kind::HangsRestAtOpen:
        return "hangs, rest waits for the next open";
    case Kind::HangsRestAfterCommand:
        return "hangs, rest comes after the next command";
    }
    return "";
}

class ReadOutFaults : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        EnsureApp();
        // The data on a memory file system where there is one: thousands of
        // read-outs are written here.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/hx-readout-faults-XXXXXX"));
        Global::DataFolder = shm && shm->isValid() ? shm->path() : env.dataFolder();
        Global::ClockOverride = [] { return TestNow(); };
        Global::RecordSize = 1184;
    }
    void TearDown() override { Global::ClockOverride = nullptr; }

    QString forward() const { return Global::DataFolder + QStringLiteral("/FORWARD_DATA"); }
    QString backup() const { return Global::DataFolder + QStringLiteral("/BACKUP_DATA/20240601_123456"); }

    // The read button without its window: the device check, then the read-out.
    struct Press {
        bool complete = false; // the completion box was shown
        bool reported = false; // a failure was shown (or the instrument was not found)
    };
    Press press()
    {
        env.dialogs->log.clear();
        IV_TRACER_DEVICE_CHECK();
        Global::UsbNotFoundFlag = false;
        const ReadOutOutcome o = ReadInstrumentMemory(nullptr);
        Press p;
        for (const RecordedDialog& d : env.dialogs->log) {
            if (d.message.text.startsWith(Global::UiText.value(676)))
                p.complete = true;
            else
                p.reported = true;
        }
        if (!o.ok && Global::UsbNotFoundFlag)
            p.reported = true;
        EXPECT_EQ(p.complete, o.ok && o.records > 0);
        return p;
    }

    // A fresh instrument holding `memory`, with the link's read and quiet
    // waits at their shortest: the simulated instrument answers at once, so
    // whether a read finds a packet never depends on the time (the idle
    // limit stays the link's long one).
    std::unique_ptr<SimulatedLink> plugIn(const QList<QByteArray>& memory)
    {
        auto link = std::make_unique<SimulatedLink>();
        link->sim->records = memory;
        link->sim->idleWaitCapMs = 0;
        link->allowStale = true;   // the drains of the next open are tested here
        link->allowRefused = true; // a clock text whose "#RTC_SET" was lost
        Global::UsbQuietMs = 0;
        Global::UsbReadTimeoutMs = 5;
        return link;
    }

    void clearData() const
    {
        QDir(Global::DataFolder + QStringLiteral("/FORWARD_DATA")).removeRecursively();
        QDir(Global::DataFolder + QStringLiteral("/BACKUP_DATA")).removeRecursively();
    }

    struct Row {
        int points = 0;
        int firstReported = 0, firstComplete = 0;
        int secondComplete = 0, secondFailedNothingSaved = 0;
        int thirdComplete = 0;
        int wrong = 0; // anything else: a fault of the program
    };

    void sweep(int size, Kind kind)
    {
        const QList<QByteArray> memory = Memory(size);
        // The reference, and how many exchanges of each kind one read-out has.
        Files reference, referenceBackup;
        int opens = 0, writes = 0, reads = 0;
        {
            clearData();
            auto link = plugIn(memory);
            link->sim->onOpen = [&](int) { ++opens; };
            const Press p = press();
            ASSERT_TRUE(p.complete);
            writes = link->sim->writeCount();
            reads = link->sim->dataReadCount();
            reference = Snapshot(forward());
            referenceBackup = Snapshot(backup());
            ASSERT_EQ(reference.size(), 40);
        }
        const int points = kind == Kind::OpenLost ? opens : kind == Kind::WriteFails ? writes : reads;
        ASSERT_GT(points, 0);

        Row row;
        const bool verbose = qEnvironmentVariableIntValue("HX_FAULT_TABLE") != 0;
        for (int k = 1; k <= points; ++k) {
            SCOPED_TRACE(testing::Message() << size << ", " << KindName(kind) << " at " << k);
            clearData();
            auto link = plugIn(memory);
            SimulatedInstrument& sim = *link->sim;
            switch (kind) {
            case Kind::OpenLost:
                sim.onOpen = [&sim, k](int openNo) {
                    if (openNo == k)
                        sim.openFailures = 5; // every try of this open
                };
                break;
            case Kind::WriteFails:
                sim.failWriteAt = k;
                break;
            case Kind::ReadFails:
                sim.failReadAt = k;
                break;
            case Kind::HangsRestAtOpen:
                sim.stallAtRead = k;
                break;
            case Kind::HangsRestAfterCommand:
                sim.stallAtRead = k;
                sim.lateStale = true;
                break;
            }
            ++row.points;
            const Press first = press();
            if (first.complete) {
                ++row.firstComplete;
                if (Snapshot(forward()) != reference)
                    ++row.wrong;
            } else if (first.reported) {
                ++row.firstReported;
            } else {
                ADD_FAILURE() << "the fault was neither reported nor without effect";
                ++row.wrong;
            }

            // The same instrument, no fault any more.
            sim.onOpen = nullptr;
            sim.failWriteAt = sim.failReadAt = sim.stallAtRead = 0;
            const Files before = Snapshot(forward());
            const Press second = press();
            const Files after = Snapshot(forward());
            bool failedSecond = false;
            if (second.complete) {
                ++row.secondComplete;
                if (after != reference || Snapshot(backup()) != referenceBackup) {
                    ADD_FAILURE() << "\"complete\" without every record saved exactly";
                    ++row.wrong;
                }
            } else if (second.reported && after == before) {
                ++row.secondFailedNothingSaved;
                failedSecond = true;
            } else {
                ADD_FAILURE() << "the second read-out neither completed nor failed without saving";
                ++row.wrong;
            }
            if (failedSecond) {
                const Press third = press();
                if (third.complete && Snapshot(forward()) == reference)
                    ++row.thirdComplete;
                else {
                    ADD_FAILURE() << "the instrument is not in step after a failed read-out";
                    ++row.wrong;
                }
            }
            if (verbose)
                std::printf("%d|%s|%d|first %s|second %s%s\n", size, KindName(kind), k,
                            first.complete ? "complete" : "reported", second.complete ? "complete" : "failed",
                            failedSecond ? "|third complete" : "");
            EXPECT_FALSE(LongWork::Running());
        }
        std::printf("| %d | %s | %d | %d | %d | %d | %d | %d | %d |\n", size, KindName(kind), row.points,
                    row.firstReported, row.firstComplete, row.secondComplete, row.secondFailedNothingSaved,
                    row.thirdComplete, row.wrong);
        std::fflush(stdout);
        EXPECT_EQ(row.wrong, 0);
    }

    TestEnv env;
    std::unique_ptr<QTemporaryDir> shm;
};

} // namespace

// One test per record size and fault kind, so that they run side by side.
class ReadOutFaultSweep : public ReadOutFaults, public ::testing::WithParamInterface<std::tuple<int, Kind>> {};

TEST_P(ReadOutFaultSweep, TheNextReadOutSavesEverythingOrNothing)
{
    sweep(std::get<0>(GetParam()), std::get<1>(GetParam()));
}

std::string SweepName(const ::testing::TestParamInfo<std::tuple<int, Kind>>& info)
{
    static const char* const names[] = {"OpenLost", "WriteFails", "ReadFails", "HangsRestAtOpen",
                                        "HangsRestAfterCommand"};
    return std::to_string(std::get<0>(info.param)) + "_" + names[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, ReadOutFaultSweep,
                         ::testing::Combine(::testing::Values(1184, 1120),
                                            ::testing::Values(Kind::OpenLost, Kind::WriteFails, Kind::ReadFails,
                                                              Kind::HangsRestAtOpen, Kind::HangsRestAfterCommand)),
                         SweepName);
