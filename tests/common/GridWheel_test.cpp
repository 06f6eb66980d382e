#include "common/GridWheel.h"

#include "platform/FlexGrid.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class GridWheelTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        grid.setCols(2);
        grid.setRows(60);
        grid.resize(300, 200);
        grid.show();
        QApplication::processEvents();
        grid.setTopRow(10);
    }

    void wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier, QPoint angle = {})
    {
        if (angle.isNull())
            angle = QPoint(0, delta);
        QWheelEvent e(QPointF(40, 40), QPointF(40, 40), QPoint(), angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &e);
    }

    bool appReady = (EnsureApp(), true);
    FlexGrid grid;
};

TEST_F(GridWheelTest, EachNotchScrollsTheHookedGridOneLine)
{
    ASSERT_TRUE(HookGridWheel(&grid));
    wheel(120);
    EXPECT_EQ(grid.TopRow(), 9);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(grid.TopRow(), 10);
    wheel(240); // however large the notch
    EXPECT_EQ(grid.TopRow(), 9);
    wheel(0, Qt::NoModifier, QPoint(120, 0)); // a sideways tilt is no wheel notch
    EXPECT_EQ(grid.TopRow(), 9);
}

TEST_F(GridWheelTest, TheScrollBarsAndTheHeaderAreOneWindowWithTheCells)
{
    auto notchOver = [&](QWidget* target) {
        QWheelEvent e(QPointF(2, 2), QPointF(2, 2), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    };
    QWidget* parts[] = {grid.verticalScrollBar(), grid.horizontalHeader()->viewport()};
    for (QWidget* part : parts) {
        notchOver(part); // unhooked: not even the scroll bar moves by itself
        EXPECT_EQ(grid.TopRow(), 10) << part->metaObject()->className();
    }
    ASSERT_TRUE(HookGridWheel(&grid));
    for (QWidget* part : parts) {
        const int before = grid.TopRow();
        notchOver(part);
        EXPECT_EQ(grid.TopRow(), before + 1) << part->metaObject()->className();
    }
    // Alt turns the wheel's delta sideways on its way; it still scrolls.
    wheel(0, Qt::AltModifier, QPoint(120, 0));
    EXPECT_EQ(grid.TopRow(), 11);
}

TEST_F(GridWheelTest, AnUnhookedGridStaysWhereItIs)
{
    wheel(-120);
    EXPECT_EQ(grid.TopRow(), 10);
    ASSERT_TRUE(HookGridWheel(&grid));
    ASSERT_TRUE(UnhookGridWheel(&grid));
    wheel(-120);
    EXPECT_EQ(grid.TopRow(), 10);
    // Unhooking a grid that is not hooked changes nothing and succeeds.
    EXPECT_TRUE(UnhookGridWheel(&grid));
    EXPECT_FALSE(UnhookGridWheel(nullptr));
}

TEST_F(GridWheelTest, AGridWhoseRowsAllFitDoesNotScroll)
{
    FlexGrid small;
    small.setRows(3);
    small.resize(300, 300);
    small.show();
    QApplication::processEvents();
    ASSERT_TRUE(HookGridWheel(&small));
    QWheelEvent e(QPointF(40, 40), QPointF(40, 40), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(small.viewport(), &e);
    EXPECT_EQ(small.TopRow(), 1);
}

TEST_F(GridWheelTest, HookingTwiceOrAgainLeavesOneHook)
{
    EXPECT_TRUE(HookGridWheel(&grid));
    EXPECT_TRUE(HookGridWheel(&grid));
    EXPECT_TRUE(UnhookGridWheel(&grid));
    EXPECT_FALSE(IsGridWheelHooked(&grid));
    EXPECT_TRUE(HookGridWheel(&grid));
    EXPECT_TRUE(IsGridWheelHooked(&grid));
    wheel(-120);
    EXPECT_EQ(grid.TopRow(), 11); // one line, not one per hook
}

TEST(GridWheelWords, HighAndLowWordsAsTheProgramComputesThem)
{
    struct Case {
        std::int32_t value, hi, lo;
    };
    const Case cases[] = {
        {0x00780008, 120, 8},
        {std::int32_t(0xFF880008u), -119, -65528}, // high word -120, low word 8
        {-65536, -1, 0},
        {65535, 0, 65535},
        {0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HiWord(c.value), c.hi) << c.value;
        EXPECT_EQ(LoWord(c.value), c.lo) << c.value;
    }
}

} // namespace
