// The read-out as the user sees it: its progress window shows at once and
// moves while the answers come, the main window repaints but takes no input
// meanwhile, and the instrument buttons stay disabled from the first step of
// their command to its end. With HX_SCREENS_DIR set (under Xvfb with
// QT_QPA_PLATFORM=xcb) the screen half-way through a read-out of the sample
// memory is saved there as readout-progress-<en|ja>.png.
#include "ForwardTestSupport.h"

#include "common/FrmMessWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QSignalBlocker>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// Paint events of the progress window's bar and of one widget of the main
// window, with the time and the bar's value when they came.
class PaintLog : public QObject {
  public:
    explicit PaintLog(QWidget* watchedMain) : mainWidget(watchedMain) { clock.start(); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::Paint)
            return false;
        if (auto* bar = qobject_cast<QProgressBar*>(o); bar && bar->window()->objectName() == u"FrmLoading") {
            barTimes << clock.elapsed();
            barValues << bar->value();
        } else if (o == mainWidget && LongWork::Running()) {
            ++mainPaintsDuringWork;
        }
        return false;
    }
    QWidget* mainWidget;
    QElapsedTimer clock;
    QList<qint64> barTimes;
    QList<int> barValues;
    int mainPaintsDuringWork = 0;
};

struct ReadOutWindow : ForwardWindow {
    explicit ReadOutWindow(const QString& code = QStringLiteral("1")) : ForwardWindow(code)
    {
        sim().records = SampleInstrumentMemory();
        // A real link's pace: the read-out takes about two seconds.
        sim().packetDelayMs = 3;
        form->show();
        QApplication::processEvents();
    }
};

} // namespace

TEST(ReadOutWindow, TheProgressWindowShowsAtOnceAndRepaintsWhileTheAnswersCome)
{
    ReadOutWindow f;
    PaintLog paints(nullptr);
    qApp->installEventFilter(&paints);
    bool shownAtCommand = false;
    f.sim().answerOverride = [&](const QByteArray& written, int) -> std::optional<QList<QByteArray>> {
        if (written == "#E2P_READ")
            shownAtCommand = FrmLoading::IsLoaded() && Global::LoadingForm->isVisible() &&
                             Global::LoadingForm->LblMess->text() == Ui(171) && !paints.barTimes.isEmpty();
        return std::nullopt;
    };
    f.pressRead();
    qApp->removeEventFilter(&paints);

    EXPECT_EQ(f.boxes(), QStringList{AppTitle + u'|' + Ui(676)});
    EXPECT_TRUE(shownAtCommand); // shown and painted before the first answer
    // Painted again and again while the answers came (the rate itself is
    // measured by bench/readout_bench).
    ASSERT_GE(paints.barTimes.size(), 10);
    // The bar moves on, and never back.
    EXPECT_TRUE(std::is_sorted(paints.barValues.begin(), paints.barValues.end()));
    EXPECT_GT(paints.barValues.last(), 400);
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_FALSE(LongWork::Running());
}

TEST(ReadOutWindow, TheMainWindowRepaintsButTakesNoInputUntilTheReadOutEnds)
{
    ReadOutWindow f;
    auto* probe = new QPushButton(QStringLiteral("probe"), f.form);
    probe->setObjectName(QStringLiteral("Probe"));
    probe->show();
    int clicks = 0;
    QObject::connect(probe, &QPushButton::clicked, [&] { ++clicks; });
    PaintLog paints(probe);
    qApp->installEventFilter(&paints);
    auto* forward = f.control<QPushButton>("CmdDataForward");
    auto* erase = f.control<QPushButton>("CmdDataDelete");

    bool midWay = false;
    bool buttonsDisabled = false;
    // The user's input comes once the instrument was asked for its memory:
    // at the first events let through while the answers come.
    std::function<void()> userInput = [&] {
        midWay = LongWork::Running() && FrmLoading::IsLoaded();
        buttonsDisabled = !forward->isEnabled() && !erase->isEnabled();
        const QPoint at = probe->rect().center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(probe, new QMouseEvent(t, at, probe->mapToGlobal(at), Qt::LeftButton,
                                                               Qt::LeftButton, Qt::NoModifier));
        probe->setFocus();
        for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(probe, new QKeyEvent(t, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
        // The main window's close box: the window system asks the window.
        QCoreApplication::postEvent(f.form->windowHandle(), new QCloseEvent);
        // The read button once more.
        QCoreApplication::postEvent(forward, new QMouseEvent(QEvent::MouseButtonPress, QPoint(2, 2),
                                                             forward->mapToGlobal(QPoint(2, 2)), Qt::LeftButton,
                                                             Qt::LeftButton, Qt::NoModifier));
        probe->update();
    };
    f.sim().answerOverride = [&](const QByteArray& written, int) -> std::optional<QList<QByteArray>> {
        if (written == "#E2P_READ")
            QTimer::singleShot(0, userInput);
        return std::nullopt;
    };
    f.pressRead();
    qApp->removeEventFilter(&paints);

    ASSERT_TRUE(midWay);
    EXPECT_TRUE(buttonsDisabled);
    EXPECT_GT(paints.mainPaintsDuringWork, 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(f.form->isVisible());
    // One read-out, one message: no second command, no question to end.
    EXPECT_EQ(f.boxes(), QStringList{AppTitle + u'|' + Ui(676)});
    EXPECT_EQ(f.sim().writes().count("#E2P_READ"), 1);
    EXPECT_TRUE(forward->isEnabled());
    EXPECT_TRUE(erase->isEnabled());

    // Afterwards input works again.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(probe, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(probe, &release);
    EXPECT_EQ(clicks, 1);
}

TEST(ReadOutWindow, AMessageBoxOfTheWorkTakesItsInput)
{
    // A modal window opened by the long work gets its clicks; the main
    // window does not.
    ForwardWindow f;
    f.form->show();
    auto* probe = new QPushButton(QStringLiteral("probe"), f.form);
    probe->show();
    int mainClicks = 0;
    QObject::connect(probe, &QPushButton::clicked, [&] { ++mainClicks; });
    {
        const LongWork work;
        QWidget box;
        box.setWindowModality(Qt::ApplicationModal);
        auto* ok = new QPushButton(QStringLiteral("OK"), &box);
        int boxClicks = 0;
        QObject::connect(ok, &QPushButton::clicked, [&] { ++boxClicks; });
        box.show();
        QApplication::processEvents();
        for (QPushButton* b : {ok, probe})
            for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(t, QPoint(3, 3), b->mapToGlobal(QPoint(3, 3)), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
                QCoreApplication::sendEvent(b, &e);
            }
        EXPECT_EQ(boxClicks, 1);
        EXPECT_EQ(mainClicks, 0);
    }
    EXPECT_FALSE(LongWork::Running());
}

TEST(ReadOutWindow, TheInstrumentButtonsAreDisabledFromTheFirstStepOnEveryWayOut)
{
    struct Case {
        const char* name;
        bool deleteCommand;
        std::function<void(SimulatedInstrument&)> setup;
    } cases[] = {
        {"read, complete", false, [](SimulatedInstrument& s) { s.records = Records1184(2); }},
        {"read, instrument missing", false, [](SimulatedInstrument& s) { s.openFailures = -1; }},
        {"read, link fails", false,
         [](SimulatedInstrument& s) {
             s.records = Records1184(2);
             s.failReadAfterWrite = 1;
         }},
        {"delete", true, [](SimulatedInstrument&) {}},
        {"delete, instrument missing", true, [](SimulatedInstrument& s) { s.openFailures = -1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForwardWindow f;
        c.setup(f.sim());
        auto* forward = f.control<QPushButton>("CmdDataForward");
        auto* erase = f.control<QPushButton>("CmdDataDelete");
        // Every open, the device check's first among them, finds both
        // buttons disabled and no input taken.
        int opens = 0;
        int enabledAtOpen = 0;
        f.sim().onOpen = [&](int) {
            ++opens;
            if (forward->isEnabled() || erase->isEnabled() || !LongWork::Running())
                ++enabledAtOpen;
        };
        if (c.deleteCommand)
            f.pressDelete();
        else
            f.pressRead();
        EXPECT_GT(opens, 0);
        EXPECT_EQ(enabledAtOpen, 0);
        EXPECT_TRUE(forward->isEnabled());
        EXPECT_TRUE(erase->isEnabled());
        EXPECT_FALSE(LongWork::Running());
    }
}

// The screen half-way through a read-out of the sample memory.
TEST(ReadOutWindow, ScreenHalfWayThroughTheReadOut)
{
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "HX_SCREENS_DIR not set";
    for (const char* code : {"1", "81"}) {
        ReadOutWindow f{QString::fromLatin1(code)};
        // A few files read out earlier are listed on the instrument-data tab.
        const QDir fixtures(QStringLiteral(HX_FIXTURES "/forward"));
        QDir().mkpath(ForwardWindow::forwardFolder());
        for (const QString& name : fixtures.entryList({QStringLiteral("2*.csv")}))
            QFile::copy(fixtures.filePath(name), ForwardWindow::forwardFolder() + u'/' + name);
        f.form->move(0, 0);
        {
            const QSignalBlocker b(f.form->SSTab);
            f.form->SSTab->setCurrentIndex(2);
        }
        ForwordDisplayInitial();
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        // The bar moves one step per answer of 64 bytes.
        const int half = int(f.sim().records.size()) * 1184 / 64 / 2;
        bool saved = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (saved || !FrmLoading::IsLoaded() || Global::LoadingForm->pBar->value() < half)
                return;
            saved = true;
            QPixmap shot;
            if (QScreen* s = f.form->screen(); s && QGuiApplication::platformName() == QLatin1String("xcb"))
                shot = s->grabWindow(0, 0, 0, s->geometry().width(), s->geometry().height());
            if (shot.isNull())
                shot = f.form->grab();
            const QString name = QStringLiteral("/readout-progress-") +
                                 QLatin1String(QLatin1String(code) == QLatin1String("1") ? "en" : "ja") +
                                 QStringLiteral(".png");
            EXPECT_TRUE(shot.save(dir + name));
        });
        poll.start(20);
        f.pressRead();
        EXPECT_TRUE(saved);
    }
}

// The progress part other long work (history load, backup, import,
// printing) takes over: shown at once, as wide as its text, nested work
// keeps input off until the outermost ends.
TEST(LongWorkProgressWindow, ShownAtOnceWideEnoughAndNested)
{
    TestEnv env;
    EnsureApp();
    QWidget owner;
    owner.resize(900, 600);
    owner.show();
    {
        LongWorkProgress progress(&owner, 4, QStringLiteral("short"));
        ASSERT_TRUE(FrmLoading::IsLoaded());
        FrmLoading* w = progress.window();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->pBar->maximum(), 4);
        EXPECT_TRUE(LongWork::Running());
        const int narrow = w->width();
        const QString longText(120, u'W');
        progress.setLabel(longText);
        progress.setValue(3);
        LongWork::Pump(true);
        EXPECT_EQ(w->LblMess->text(), longText);
        EXPECT_GE(w->width(), w->LblMess->fontMetrics().horizontalAdvance(longText));
        EXPECT_GT(w->width(), narrow);
        EXPECT_EQ(w->pBar->value(), 3);
        {
            const LongWork inner;
            EXPECT_TRUE(LongWork::Running());
        }
        EXPECT_TRUE(LongWork::Running());
        EXPECT_TRUE(Global::UsbWaitHook != nullptr);
    }
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_FALSE(LongWork::Running());
    EXPECT_TRUE(Global::UsbWaitHook == nullptr);
    EXPECT_TRUE(Global::LongWorkRefresh == nullptr);
}
