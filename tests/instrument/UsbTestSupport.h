#pragma once
// A simulated instrument installed as the link's transport for one test,
// with short time limits and the English UI texts loaded.
#include "app/Global.h"
#include "instrument/UsbProtocol.h"
#include "platform/SimulatedInstrument.h"
#include "support/TestEnv.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable test failures.
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << UsbLink::printable(b).toStdString();
}
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// The simulated instrument answers at once: a read finds its packet queued
// or times out at once when none is, so the link's read and quiet limits
// decide nothing here and stay short. The idle limit is a span of wall time
// over many reads, the program's own work between them included: it stays
// seconds long, so that a busy machine never makes it run out; a test of
// the limit itself sets a short one with an instrument that never stops
// answering idle. At the end of the test nothing may be left unread on the
// link and no command may have been refused, unless the test says it
// expects so.
struct SimulatedLink {
    std::shared_ptr<SimulatedInstrument> sim = std::make_shared<SimulatedInstrument>();
    bool allowStale = false;   // answers may be left unread
    bool allowRefused = false; // commands may be refused

    SimulatedLink()
    {
        UsbLink::setTransport(sim);
        Global::UsbOpenFlag = false;
        Global::hUsbDevice = Global::hPipeIn = Global::hPipeOut = -1;
        Global::UsbOpenRetryWaitMs = 0;
        Global::UsbIdleLimitMs = 10000;
        Global::UsbReadTimeoutMs = 300;
        Global::UsbEraseTimeoutMs = 300;
        Global::UsbQuietMs = 5;
        Global::UsbDrainLimitMs = 3000;
        Global::UsbLastFailure.clear();
    }
    ~SimulatedLink()
    {
        if (!allowStale) {
            EXPECT_EQ(sim->pendingAnswers(), 0) << "answers left unread on the link";
        }
        if (!allowRefused) {
            EXPECT_TRUE(sim->refused.isEmpty()) << sim->refused.join(u'\n').toStdString();
        }
        UsbLink::closeAll();
        UsbLink::setTransport(nullptr);
        Global::UsbOpenRetryWaitMs = 100;
        Global::UsbIdleLimitMs = 30000;
        Global::UsbReadTimeoutMs = 5000;
        Global::UsbEraseTimeoutMs = 60000;
        Global::UsbQuietMs = 200;
        Global::UsbDrainLimitMs = 10000;
    }
    SimulatedLink(const SimulatedLink&) = delete;
    SimulatedLink& operator=(const SimulatedLink&) = delete;
};

inline QList<QByteArray> Bytes(std::initializer_list<const char*> items)
{
    QList<QByteArray> out;
    for (const char* s : items)
        out.append(QByteArray(s));
    return out;
}

// The box of a link failure with UI text `key`.
inline QString LinkBox(int key, const QString& extra = QString())
{
    return Global::UiText.value(563) + u'|' + Global::UiText.value(key) + extra;
}
