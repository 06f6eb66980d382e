// Heliodex's entry: the application object, the start-up procedure, then the
// event loop.
//
// Switches:
//   --simulate           talk to a simulated instrument instead of USB, whose
//                        memory holds about 30 sample measurements
//   --simulate-empty     the same with an empty memory (also: --simulate with
//                        HELIODEX_SIMULATE_EMPTY=1 in the environment)
//   --quit-after-start   end as soon as start-up has finished (checks, scripts)
//   --print-dialogs      print every message box to standard output and answer
//                        it with its default button instead of showing it
#include "app/Startup.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/MemoryReuse.h"
#include "platform/SimulatedInstrument.h"
#include "platform/UsbLink.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// Message boxes as lines on standard output ("title|icon|text"), answered
// with their default button; nothing waits for a user.
class PrintedDialogs : public Dialogs {
  public:
    int message(const MessageRequest& r) override
    {
        QString text = r.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n")).replace(u'\n', QStringLiteral("\\n"));
        std::printf("MsgBox|%s|%d|%s\n", r.title.toUtf8().constData(), r.icon, text.toUtf8().constData());
        std::fflush(stdout);
        return DefaultAnswer(r);
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString openFile(const FileRequest&) override { return QString(); }
    std::optional<quint32> chooseColor(quint32) override { return std::nullopt; }
    QString chooseFolder(const QString&, const QString&) override { return QString(); }
};

} // namespace

int main(int argc, char** argv)
{
    KeepFreedMemoryForReuse();
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool emptyMemory = args.contains(QStringLiteral("--simulate-empty")) ||
                             qEnvironmentVariableIntValue("HELIODEX_SIMULATE_EMPTY") != 0;
    if (args.contains(QStringLiteral("--simulate")) || args.contains(QStringLiteral("--simulate-empty")))
        UsbLink::setTransport(MakeDemoInstrument(emptyMemory));
    if (args.contains(QStringLiteral("--print-dialogs")))
        setDialogs(std::make_unique<PrintedDialogs>());

    if (!Main())
        EndProgramNow(0);
    if (args.contains(QStringLiteral("--quit-after-start")))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    int rc = app.exec();
    UsbLink::closeAll();
    return rc;
}
