// The window-size limiter: its defaults, its limits, and the hand-over
// between two limiters of one window.
#include "common/LimitForm.h"

#include "support/TestEnv.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

TEST(LimitForm, StartsAtTheScreenSizeAndKeepsItsRules)
{
    EnsureApp();
    const QSize screen = ScreenSizePixels();
    CLimitForm f;
    EXPECT_EQ(f.hwnd(), nullptr);
    EXPECT_EQ(f.MaxWidth(), screen.width());
    EXPECT_EQ(f.MaxHeight(), screen.height());
    EXPECT_EQ(f.MinWidth(), 0);
    EXPECT_EQ(f.MinHeight(), 0);

    f.setMaxWidth(5000);
    f.setMaxWidth(0); // below 1: the screen again
    EXPECT_EQ(f.MaxWidth(), screen.width());
    f.setMaxHeight(-3);
    EXPECT_EQ(f.MaxHeight(), screen.height());
    f.setMinWidth(-5);
    EXPECT_EQ(f.MinWidth(), 0);
    f.setMinHeight(40);
    EXPECT_EQ(f.MinHeight(), 40);
}

TEST(LimitForm, LetsAPrintPageGrowBeyondTheScreen)
{
    EnsureApp();
    QWidget page;
    CLimitForm f;
    EXPECT_TRUE(f.Initialize(&page));
    EXPECT_FALSE(f.Initialize(&page)); // bound already: nothing changes
    EXPECT_FALSE(f.Initialize(nullptr));
    EXPECT_EQ(f.hwnd(), &page);
    // Bound: the screen's size is the limit until the page sets its own.
    EXPECT_EQ(page.maximumSize(), ScreenSizePixels());
    f.setMaxWidth(11340);
    f.setMaxHeight(16125);
    page.resize(11340, 16125);
    EXPECT_EQ(page.size(), QSize(11340, 16125));
    f.setMinWidth(300);
    f.setMinHeight(200);
    page.resize(10, 10);
    EXPECT_EQ(page.size(), QSize(300, 200));
}

TEST(LimitForm, TheFirstLimiterAnswersAndTheLastRestoresTheWindow)
{
    EnsureApp();
    QWidget page;
    page.setMaximumSize(800, 600);
    page.setMinimumSize(10, 10);
    auto first = std::make_unique<CLimitForm>();
    auto second = std::make_unique<CLimitForm>();
    first->Initialize(&page);
    first->setMaxWidth(15990);
    first->setMaxHeight(11010);
    second->Initialize(&page);
    second->setMaxWidth(1000);
    second->setMaxHeight(900);
    EXPECT_TRUE(first->answers());
    EXPECT_FALSE(second->answers());
    EXPECT_EQ(page.maximumSize(), QSize(15990, 11010));

    first.reset();
    EXPECT_TRUE(second->answers());
    EXPECT_EQ(page.maximumSize(), QSize(1000, 900));

    second.reset();
    EXPECT_EQ(page.maximumSize(), QSize(800, 600));
    EXPECT_EQ(page.minimumSize(), QSize(10, 10));
}

TEST(LimitForm, AWindowThatGoesFirstLeavesTheLimiterHarmless)
{
    EnsureApp();
    CLimitForm f;
    {
        QWidget page;
        f.Initialize(&page);
    }
    EXPECT_EQ(f.hwnd(), nullptr);
    f.setMaxWidth(2000); // nothing to apply to
    EXPECT_EQ(f.MaxWidth(), 2000);
}
