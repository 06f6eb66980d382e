#include "common/FrmMessWindow.h"

#include "app/Global.h"
#include "platform/FlexGrid.h"
#include "support/TestEnv.h"
#include "support/WindowSystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs the event loop until the message window has closed (or `limitMs`).
qint64 msUntilClosed(qint64 limitMs = 3000)
{
    QElapsedTimer t;
    t.start();
    while (FrmMessWindow::IsLoaded() && t.elapsed() < limitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return t.elapsed();
}

class MessWindowTest : public ::testing::Test {
  protected:
    void TearDown() override
    {
        FrmMessWindow::Unload();
        FrmLoading::Unload();
        QApplication::processEvents();
    }
    TestEnv env;
    QWidget owner;
};

TEST_F(MessWindowTest, ShowsItsTextForOneSecondThenClosesItself)
{
    owner.resize(600, 400);
    owner.show();
    Global::MessWindowText = QStringLiteral("Save OK");
    QElapsedTimer t;
    t.start();
    ShowMessWindow(&owner);
    ASSERT_TRUE(FrmMessWindow::IsLoaded());
    FrmMessWindow* w = Global::MessWindowForm;
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->LblMess->text(), QStringLiteral("Save OK"));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 255, 0));
    // Centred over its owner.
    EXPECT_LE((w->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);

    msUntilClosed();
    const qint64 shown = t.elapsed();
    EXPECT_FALSE(FrmMessWindow::IsLoaded());
    EXPECT_GE(shown, 950);
    EXPECT_LT(shown, 2000);
}

TEST_F(MessWindowTest, IsExactly1000TwipsWiderThanItsLabel)
{
    Global::MessWindowText = QStringLiteral("A rather long message that needs a wide window to be read");
    FrmMessWindow* w = FrmMessWindow::Load(&owner);
    EXPECT_EQ(w->width(), w->LblMess->width() + TwipsToPixelsX(1000));
    EXPECT_EQ(w->height(), TwipsToPixelsY(900));
    EXPECT_GT(w->LblMess->width(),
              QFontMetrics(w->LblMess->font()).horizontalAdvance(QStringLiteral("A rather")));
    EXPECT_TRUE(w->LblMess->font().bold());
}

TEST_F(MessWindowTest, ASecondShowWithinTheSecondKeepsTheFirstTextAndTimer)
{
    Global::MessWindowText = QStringLiteral("Save OK");
    ShowMessWindow(&owner);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    FrmMessWindow* first = Global::MessWindowForm;
    ASSERT_NE(first, nullptr);
    // Half a second gone: a timer started again would show it.
    const int left = first->TimClose->remainingTime();
    EXPECT_LT(left, 900);
    Global::MessWindowText = QStringLiteral("PRINT START");
    ShowMessWindow(&owner);
    EXPECT_EQ(Global::MessWindowForm, first);
    EXPECT_EQ(first->LblMess->text(), QStringLiteral("Save OK"));
    // The timer runs on from the first load (a busy machine makes the wall
    // clock no measure of that): it was not started again.
    EXPECT_LE(first->TimClose->remainingTime(), left);
    msUntilClosed();
    EXPECT_FALSE(FrmMessWindow::IsLoaded());

    // After the close a new show loads it afresh, with its design colours.
    FrmMessWindow* again = FrmMessWindow::Load(&owner);
    EXPECT_EQ(again->LblMess->text(), QStringLiteral("PRINT START"));
    again->setBackColor(0xFF0000);
    again->setMessForeColor(0x00FFFF);
    EXPECT_EQ(again->palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_EQ(again->LblMess->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    FrmMessWindow::Unload();
    EXPECT_FALSE(FrmMessWindow::IsLoaded());
    EXPECT_EQ(FrmMessWindow::Load(&owner)->palette().color(QPalette::Window), QColor(255, 255, 0));
}

TEST_F(MessWindowTest, TheSessionOrTheOwnerClosingItEndsTheProgram)
{
    FrmMessWindow* w = FrmMessWindow::Load(&owner);
    bool cancel = true;
    w->Form_QueryUnload(cancel, vbFormCode);
    EXPECT_FALSE(cancel);
    w->Form_QueryUnload(cancel, vbFormControlMenu);
    EXPECT_FALSE(cancel);
    EXPECT_THROW(w->Form_QueryUnload(cancel, vbAppWindows), ProgramEnded);
    EXPECT_THROW(w->Form_QueryUnload(cancel, vbFormOwner), ProgramEnded);
    EXPECT_THROW(w->Form_QueryUnload(cancel, vbFormMDIForm), ProgramEnded);
    EXPECT_THROW(FrmLoading::Load(&owner)->Form_QueryUnload(cancel, vbAppTaskManager), ProgramEnded);
}

TEST_F(MessWindowTest, TheCloseBoxOrTheProgramClosesEitherWindowAndTheProgramGoesOn)
{
    owner.resize(600, 400);
    owner.show();
    for (const bool byUser : {true, false}) {
        SCOPED_TRACE(byUser ? "close box" : "program");
        Global::MessWindowText = QStringLiteral("Save OK");
        ShowMessWindow(&owner);
        QPointer<FrmMessWindow> mess = Global::MessWindowForm;
        QPointer<FrmLoading> loading = FrmLoading::Load(&owner);
        loading->Show();
        ASSERT_TRUE(mess && mess->isVisible() && loading->isVisible());
        // A program that ended would throw out of the close here.
        if (byUser) {
            EXPECT_TRUE(CloseBoxClick(mess));
            EXPECT_TRUE(CloseBoxClick(loading));
        } else {
            EXPECT_TRUE(mess->close());
            EXPECT_TRUE(loading->close());
        }
        EXPECT_FALSE(FrmMessWindow::IsLoaded());
        EXPECT_FALSE(FrmLoading::IsLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(mess.isNull());
        EXPECT_TRUE(loading.isNull());
    }
}

TEST_F(MessWindowTest, TheProgressWindowIsFilledByItsCallerAndClosed)
{
    owner.resize(600, 400);
    owner.show();
    FrmLoading* w = FrmLoading::Load(&owner);
    EXPECT_EQ(w->pBar->value(), 0);
    EXPECT_EQ(w->LblMess->text(), QString());
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(255, 224, 192));
    w->Show();
    w->pBar->setRange(0, 4);
    w->pBar->setValue(3);
    w->LblMess->setText(QStringLiteral("3 / 4"));
    w->Refresh();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pBar->geometry().left(), 0);
    EXPECT_EQ(w->pBar->width(), w->width()); // the bar spans the window
    EXPECT_LT(w->LblMess->geometry().bottom(), w->pBar->geometry().top());
    EXPECT_EQ(FrmLoading::Load(&owner), w); // loaded once
    FrmLoading::Unload();
    EXPECT_FALSE(FrmLoading::IsLoaded());
    EXPECT_EQ(FrmLoading::Load(&owner)->pBar->value(), 0);
}

} // namespace
