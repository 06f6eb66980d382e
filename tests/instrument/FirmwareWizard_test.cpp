// The firmware update wizard's windows: their texts, the way from one to the
// next, and every way out.
#include "UsbTestSupport.h"

#include "common/FrmMessWindow.h"
#include "instrument/FirmwareWizard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindow>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The wizard windows on screen, by name.
QStringList shownWindows()
{
    settle();
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName().startsWith(QStringLiteral("WMenu")))
            names << w->objectName();
    return names;
}

template <class T> T* shown(const char* name)
{
    settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(name))
            return qobject_cast<T*>(w);
    return nullptr;
}

QString text(int key)
{
    return Global::UiText.value(key);
}

} // namespace

class FirmwareWizardTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        TestEnv::loadUiText();
        const QString path = env.programFolder() + QStringLiteral("/KRX260.MOT");
        QFile::copy(QStringLiteral(HX_FIXTURES "/firmware/KRX260.MOT"), path);
        Global::FirmwareFilePath = path;
        Global::InstrumentFamily = 1;
        Global::FirmwareWizardActive = true;
        ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
        sim.log.clear();
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName().startsWith(QStringLiteral("WMenu")))
                delete w;
        Global::FirmwareWizardActive = false;
    }
    // Walks from WMenuS to the transfer window.
    WMenu3* toTransferWindow()
    {
        ShowFirmwareWizard();
        shown<WMenuS>("WMenuS")->CmdBtn->click();
        shown<WMenu1>("WMenu1")->Command1->click();
        shown<WMenu2>("WMenu2")->Command1->click();
        return shown<WMenu3>("WMenu3");
    }
    TestEnv env;
    SimulatedLink link;
    SimulatedInstrument& sim = *link.sim;
};

TEST_F(FirmwareWizardTest, UpdateRunsThroughAllSixWindows)
{
    ShowFirmwareWizard();
    auto* s = shown<WMenuS>("WMenuS");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->windowTitle(), QStringLiteral("Firmware update 【Ver8.8.3】"));
    EXPECT_EQ(s->TxtTitle->text(), text(750));
    EXPECT_EQ(s->TxtMess->toPlainText(), text(751));
    EXPECT_EQ(s->CmdBtn->text(), text(752));
    EXPECT_EQ(s->CmdBtn->objectName(), QStringLiteral("CmdBtn"));
    s->CmdBtn->click();

    auto* w1 = shown<WMenu1>("WMenu1");
    ASSERT_TRUE(w1);
    EXPECT_EQ(shownWindows(), QStringList{"WMenu1"});
    EXPECT_EQ(w1->windowTitle(), QStringLiteral("Firmware update"));
    EXPECT_TRUE(w1->OptSel[0]->isChecked());
    EXPECT_EQ(w1->OptSel[1]->objectName(), QStringLiteral("OptSel_1"));
    EXPECT_EQ((QStringList{w1->TxtMess->toPlainText(), w1->OptSel[0]->text(), w1->OptSel[1]->text(),
                           w1->Command1->text(), w1->Command2->text()}),
              (QStringList{text(753), text(754), text(755), text(756), text(757)}));
    w1->Command1->click();

    auto* w2 = shown<WMenu2>("WMenu2");
    ASSERT_TRUE(w2);
    EXPECT_EQ((QStringList{w2->TxtMess[0]->toPlainText(), w2->TxtMess[1]->toPlainText(), w2->Command1->text(),
                           w2->Command2->text()}),
              (QStringList{text(758), text(759), text(760), text(761)}));
    w2->Command1->click();

    auto* w3 = shown<WMenu3>("WMenu3");
    ASSERT_TRUE(w3);
    EXPECT_EQ(w3->TxtMess[0]->toPlainText(), text(762));
    EXPECT_EQ(w3->TxtMess[1]->toPlainText(), text(763));
    EXPECT_EQ(w3->ProgressBar1->maximum(), 100);
    EXPECT_TRUE(w3->Timer1->isActive());
    EXPECT_EQ(w3->Timer1->interval(), 300);
    EXPECT_TRUE(sim.writes().isEmpty()); // nothing before the timer
    w3->Timer1->stop();
    w3->Timer1_Timer();

    EXPECT_EQ(shownWindows(), QStringList{"WMenu4"});
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_FALSE(sim.isOpen());
    EXPECT_EQ(sim.firmwareLines.size(), 10);
    EXPECT_TRUE(Global::FirmwareWizardActive);
    auto* w4 = shown<WMenu4>("WMenu4");
    EXPECT_EQ(
        (QStringList{w4->TxtMess[0]->toPlainText(), w4->TxtMess[1]->toPlainText(), w4->Command1->text()}),
        (QStringList{text(764), text(765), text(766)}));
    w4->Command1->click();

    auto* w5 = shown<WMenu5>("WMenu5");
    ASSERT_TRUE(w5);
    EXPECT_EQ(w5->TxtMess->toPlainText(), text(767));
    EXPECT_EQ(w5->Command1->text(), text(768));
    w5->Command1->click();
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_TRUE(shownWindows().isEmpty());
}

TEST_F(FirmwareWizardTest, QtmFamilyTakesItsOwnTexts)
{
    Global::InstrumentFamily = 0;
    ShowFirmwareWizard();
    auto* s = shown<WMenuS>("WMenuS");
    EXPECT_EQ(s->TxtTitle->text(), text(650));
    s->CmdBtn->click();
    shown<WMenu1>("WMenu1")->Command1->click();
    auto* w2 = shown<WMenu2>("WMenu2");
    EXPECT_EQ(w2->TxtMess[0]->toPlainText(), text(658));
    EXPECT_EQ(w2->TxtMess[1]->toPlainText(), text(659));
}

TEST_F(FirmwareWizardTest, DecliningOrCancellingLeavesTheInstrumentAlone)
{
    struct Case {
        const char* name;
        std::function<void()> leave;
    } cases[] = {
        {"not now",
         [] {
             ShowFirmwareWizard();
             shown<WMenuS>("WMenuS")->CmdBtn->click();
             auto* w1 = shown<WMenu1>("WMenu1");
             w1->OptSel[1]->setChecked(true);
             w1->Command1->click();
         }},
        {"WMenu1 cancel",
         [] {
             ShowFirmwareWizard();
             shown<WMenuS>("WMenuS")->CmdBtn->click();
             shown<WMenu1>("WMenu1")->Command2->click();
         }},
        {"WMenu2 cancel",
         [] {
             ShowFirmwareWizard();
             shown<WMenuS>("WMenuS")->CmdBtn->click();
             shown<WMenu1>("WMenu1")->Command1->click();
             shown<WMenu2>("WMenu2")->Command2->click();
         }},
        {"WMenuS close box",
         [] {
             ShowFirmwareWizard();
             shown<WMenuS>("WMenuS")->close();
         }},
        {"WMenu2 close box",
         [] {
             ShowFirmwareWizard();
             shown<WMenuS>("WMenuS")->CmdBtn->click();
             shown<WMenu1>("WMenu1")->Command1->click();
             shown<WMenu2>("WMenu2")->close();
         }},
        {"WMenu3 closed before the transfer starts", [this] { toTransferWindow()->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Global::FirmwareWizardActive = true;
        ASSERT_TRUE(IV_TRACER_DEVICE_OPEN(false));
        sim.log.clear();
        c.leave();
        EXPECT_FALSE(Global::FirmwareWizardActive);
        EXPECT_FALSE(Global::UsbOpenFlag);
        EXPECT_TRUE(shownWindows().isEmpty());
        EXPECT_TRUE(sim.writes().isEmpty());
        EXPECT_EQ(sim.transcript().value(2), QStringLiteral("close device"));
        EXPECT_TRUE(env.dialogs->log.isEmpty());
    }
}

TEST_F(FirmwareWizardTest, TheCloseBoxDoesNothingWhileTheTransferRuns)
{
    WMenu3* w3 = toTransferWindow();
    ASSERT_TRUE(w3);
    w3->Timer1->stop();
    int refused = 0;
    sim.answerOverride = [&](const QByteArray& written, int) -> std::optional<QList<QByteArray>> {
        if (written.startsWith("S1") && w3->transferRunning()) {
            w3->close();
            if (w3->isVisible())
                ++refused;
        }
        return std::nullopt;
    };
    w3->Timer1_Timer();
    EXPECT_EQ(refused, 8);
    EXPECT_EQ(sim.firmwareLines.size(), 10);
    EXPECT_EQ(shownWindows(), QStringList{"WMenu4"});
    EXPECT_TRUE(Global::FirmwareWizardActive);

    // After the transfer the close box works again: WMenu4 closed by the user.
    shown<WMenu4>("WMenu4")->close();
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_TRUE(shownWindows().isEmpty());
}

TEST_F(FirmwareWizardTest, ARefusedFileEndsTheWizardAsACancelDoes)
{
    QFile f(Global::FirmwareFilePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("S00600004844521B\r\n");
    f.close();
    WMenu3* w3 = toTransferWindow();
    w3->Timer1->stop();
    w3->Timer1_Timer();
    EXPECT_EQ(Boxes(*env.dialogs), QStringList{LinkBox(571)});
    EXPECT_TRUE(sim.writes().isEmpty());
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_TRUE(shownWindows().isEmpty());
}

TEST_F(FirmwareWizardTest, AFailedTransferEndsTheProgram)
{
    sim.answerOnce("#FLASH", Bytes({"#BUSY"}));
    link.allowRefused = true;
    WMenu3* w3 = toTransferWindow();
    w3->Timer1->stop();
    EXPECT_THROW(w3->Timer1_Timer(), ProgramEnded);
    EXPECT_EQ(Boxes(*env.dialogs), QStringList{LinkBox(572, QStringLiteral("\r\n\r\n") + text(824))});
    EXPECT_FALSE(sim.isOpen());
    EXPECT_FALSE(shown<WMenu4>("WMenu4"));
    EXPECT_FALSE(LongWork::Running());
}

TEST_F(FirmwareWizardTest, AnUnacknowledgedWriteEndsTheWizardAndTheProgramGoesOn)
{
    sim.answerOnce("#WRITE", Bytes({"BUSY", "BUSY"}));
    link.allowRefused = true;
    WMenu3* w3 = toTransferWindow();
    w3->Timer1->stop();
    w3->Timer1_Timer();
    EXPECT_EQ(Boxes(*env.dialogs), QStringList{LinkBox(570, QStringLiteral("\r\n\r\n") + text(824))});
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_FALSE(sim.isOpen());
    EXPECT_TRUE(shownWindows().isEmpty());
    EXPECT_TRUE(sim.firmwareLines.isEmpty());
    EXPECT_FALSE(LongWork::Running());
}

TEST_F(FirmwareWizardTest, EveryWindowOpensCentredOnTheScreen)
{
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    ShowFirmwareWizard();
    auto check = [&](const char* name) {
        QWidget* w = shown<QWidget>(name);
        ASSERT_TRUE(w) << name;
        const QPoint c = w->geometry().center();
        EXPECT_LE((c - centre).manhattanLength(), 2) << name;
    };
    check("WMenuS");
    shown<WMenuS>("WMenuS")->CmdBtn->click();
    check("WMenu1");
    shown<WMenu1>("WMenu1")->Command1->click();
    check("WMenu2");
    shown<WMenu2>("WMenu2")->Command1->click();
    check("WMenu3");
    auto* w3 = shown<WMenu3>("WMenu3");
    w3->Timer1->stop();
    w3->Timer1_Timer();
    check("WMenu4");
    shown<WMenu4>("WMenu4")->Command1->click();
    check("WMenu5");
}

// The transfer is long work: its window repaints while the instrument takes
// its time to erase, and no window takes input meanwhile.
TEST_F(FirmwareWizardTest, TheTransferWindowRepaintsWhileTheInstrumentErases)
{
    // 15 answers of about two seconds in all: each one waited for in several
    // slices, however busy the machine.
    sim.eraseDelayMs = 150;
    Global::UsbEraseTimeoutMs = 10000;
    WMenu3* w3 = toTransferWindow();
    ASSERT_TRUE(w3);
    w3->Timer1->stop();
    struct Paints : QObject {
        QWidget* window = nullptr;
        int count = 0;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == window &&
                sim && !sim->eraseFinished && !sim->erasedBlocks.isEmpty())
                ++count;
            return false;
        }
        SimulatedInstrument* sim = nullptr;
    } paints;
    paints.window = w3;
    paints.sim = &sim;
    qApp->installEventFilter(&paints);
    // The close box during the erase is the window system's close request.
    QTimer::singleShot(300, [w3] { QCoreApplication::postEvent(w3->windowHandle(), new QCloseEvent); });
    w3->Timer1_Timer();
    qApp->removeEventFilter(&paints);
    EXPECT_GE(paints.count, 10);
    EXPECT_EQ(sim.firmwareLines.size(), 10);
    EXPECT_EQ(shownWindows(), QStringList{"WMenu4"});
    EXPECT_TRUE(Global::FirmwareWizardActive);
}

TEST_F(FirmwareWizardTest, StartUpWaitsInAnEventLoopUntilTheWizardEnds)
{
    ShowFirmwareWizard();
    // The user's clicks arrive as events while start-up waits.
    // One click after the other, however slowly the machine runs.
    QTimer::singleShot(10, [] {
        shown<WMenuS>("WMenuS")->CmdBtn->click();
        QTimer::singleShot(10, [] { shown<WMenu1>("WMenu1")->Command2->click(); });
    });
    WaitForFirmwareWizard();
    EXPECT_FALSE(Global::FirmwareWizardActive);
    EXPECT_FALSE(Global::UsbOpenFlag);
    EXPECT_EQ(Global::FirmwareWizardWaitLoop, nullptr);
}

// Pictures of every window in both languages and both families, for a look
// at the layout: set HX_SCREENSHOT_DIR to a folder to get them.
TEST_F(FirmwareWizardTest, Screenshots)
{
    const QString dir = qEnvironmentVariable("HX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "HX_SCREENSHOT_DIR not set";
    QDir().mkpath(dir);
    for (const char* language : {"English", "Japanese"}) {
        TestEnv::loadUiText(QString::fromLatin1(language));
        for (int family : {0, 1}) {
            Global::InstrumentFamily = std::uint8_t(family);
            QList<QWidget*> windows{new WMenuS, new WMenu1, new WMenu2, new WMenu3, new WMenu4, new WMenu5};
            for (QWidget* w : windows) {
                if (auto* w3 = qobject_cast<WMenu3*>(w)) {
                    w3->Timer1->stop();
                    w3->ProgressBar1->setValue(42);
                }
                w->show();
                settle();
                const QString file = QStringLiteral("%1/%2-%3-%4.png")
                                         .arg(dir, w->objectName(), QString::fromLatin1(language))
                                         .arg(family);
                EXPECT_TRUE(w->grab().save(file));
                EXPECT_LE(w->width(), 1366);
                EXPECT_LE(w->height(), 768);
                delete w;
            }
        }
    }
}
