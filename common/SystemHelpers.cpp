#include "common/SystemHelpers.h"

#include "common/TextHelpers.h"

#include "common/FileHelpers.h"
#include "platform/AppError.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>


bool Wait(std::int32_t ms)
{
    // A monotonic clock: no turn at midnight and no counter overflow.
    QDeadlineTimer deadline(qint64(ms > 0 ? ms : 0), Qt::PreciseTimer);
    if (!QCoreApplication::instance()) {
        if (ms > 0)
            QThread::msleep(ulong(ms));
        return true;
    }
    QCoreApplication::processEvents();
    while (!deadline.hasExpired()) {
        // Sleeps in the event loop until an event comes or the time is up;
        // window and timer events run meanwhile.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(qMax<qint64>(1, deadline.remainingTime())));
        // A loop that will not run (the program is quitting) ends the wait.
        if (loop.exec() != 0)
            return false;
    }
    return true;
}

void RunSubSystem(QWidget* owner, const QString& file, const QString& parameters)
{
    Guarded(QStringLiteral("RunSubSystem"), [&] {
        if (file.isEmpty() || FileCheck(file).isEmpty())
            return;
        // The desktop opens the file with its own program; the program is not
        // waited for, and a failure to open is reported by ShellOpen.
        ShellOpen(file);
    });
}

void ShellOpenDocument(const QString& target, QWidget* owner)
{
    const QString t = TrimBlanks(target);
    if (t.isEmpty())
        return;
    ShellOpen(t);
}

int GetOsVersionCode()
{
    // The codes stand for Windows releases; the per-user store they gate
    // does not exist here, so this system is "any other version".
    return 0;
}

QString GetLoginUserName()
{
    return AppPaths::loginUserName();
}

bool RegStrSetExact(const QString& path, const QString& name, const QString& text)
{
    const QString old = RegStrGet(path, name);
    if (RegStrSet(path, name, text) && RegStrGet(path, name) == text)
        return true;
    RegStrSet(path, name, old);
    return false;
}
