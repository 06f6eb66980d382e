// The tabbed pages repaint themselves whole only when their own parts move,
// not at every caption changed inside a page.
#include "platform/TabWidget.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QRegion>
#include <QTabBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// The region of `w` painted while it lives.
struct PaintedRegion : QObject {
    explicit PaintedRegion(QWidget* w) : widget(w) { w->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == widget && e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QWidget* widget;
    QRegion painted;
    bool covers(const QRect& r) const { return (QRegion(r) - painted).isEmpty(); }
};

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

TEST(TabWidget, RepaintsWholeOnlyWhenItsPartsMove)
{
    EnsureApp();
    QWidget window;
    auto* outer = new QVBoxLayout(&window);
    auto* tabs = new TabWidget;
    outer->addWidget(tabs);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    auto* caption = new QLabel(QStringLiteral("a"));
    column->addWidget(caption);
    column->addStretch(1);
    tabs->addTab(page, QStringLiteral("One"));
    window.resize(500, 300);
    window.show();
    Settle();

    const QRect whole = tabs->rect();
    {
        PaintedRegion seen(tabs);
        caption->setText(QStringLiteral("A longer caption"));
        Settle();
        EXPECT_FALSE(seen.covers(whole)) << "the page's caption repainted the whole tabs";
        EXPECT_FALSE(seen.painted.isEmpty());
        // The page laid the caption out anew all the same.
        EXPECT_GE(caption->width(), caption->sizeHint().width());
    }
    {
        // A new tab widens the tab bar: the frame around it is drawn anew.
        PaintedRegion seen(tabs);
        const int barWidth = tabs->tabBar()->width();
        tabs->addTab(new QWidget, QStringLiteral("A second tab with a long name"));
        Settle();
        EXPECT_GT(tabs->tabBar()->width(), barWidth);
        EXPECT_TRUE(seen.covers(whole));
    }
}
