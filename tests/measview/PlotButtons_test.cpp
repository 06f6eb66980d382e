// The curve buttons of both measurement tabs on the main window, offscreen,
// over hand-made records: what is drawn, which scale is left, what is
// cleared, and the error report.
#include "PlotTestCurves.h"
#include "app/MainWindowEnv.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/CurveButtons.h"
#include "measview/MeasViewGlobals.h"
#include "measview/PlotPainter.h"
#include "platform/NumText.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

void ResetRecords()
{
    DimRecords(Global::MeasViewRecords, 0);
    Global::MeasFileCount = 0;
    Global::DisplayTick.assign(1, 0);
    DimRecords(Global::ForwardRecords, 0);
    Global::ForwardFileCount = 0;
    Global::ForwardTick.assign(1, 0);
    Global::CurForwardRow = -1;
    Global::MeasPlotScale = PlotScale{};
    Global::ForwardPlotScale = PlotScale{};
    Global::SharedPlotLayout = PlotLayout{};
}

class CurveButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRecords();
        form = &w.load();
        form->show();
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
    }
    void TearDown() override { ResetRecords(); }

    // A history of three measurements and the total, as loaded.
    void LoadHistory(std::vector<std::uint8_t> ticks)
    {
        DimRecords(Global::MeasViewRecords, 800);
        Global::MeasViewRecords[0] = ModuleCurve(23.6, 46.5, "--");
        Global::MeasViewRecords[1] = ModuleCurve(8.5, 45, "0001-01-01");
        Global::MeasViewRecords[2] = ModuleCurve(6, 40, "0002-01-01");
        Global::MeasViewRecords[3] = ModuleCurve(9.1, 47, "0003-01-01");
        Global::MeasViewRecords[3].IvPoints[5][MeasRecord::Amp] = QStringLiteral("70");
        Global::MeasFileCount = 3;
        Global::DisplayTick = std::move(ticks);
    }
    void LoadForward(int count)
    {
        DimRecords(Global::ForwardRecords, 1200);
        for (int r = 0; r < count; ++r)
            Global::ForwardRecords[std::size_t(r)] = ModuleCurve(5 + r, 30 + 10 * r);
        Global::ForwardRecords[0].IvPoints[7][MeasRecord::Amp] = QStringLiteral("80");
        Global::ForwardFileCount = count;
        Global::ForwardTick.assign(std::size_t(count) + 1, 0);
    }
    QLabel* pic(int n) { return MainControl<QLabel>(QStringLiteral("Pic_%1").arg(n)); }
    QString measType() { return MainControl<QLabel>(QStringLiteral("LblMeasType"))->text(); }
    bool drawn(int n) { return !pic(n)->pixmap().isNull(); }
    QStringList messages() { return w.env.dialogs->messages(); }

    MainWindowEnv w;
    FrmMain* form = nullptr;
};

TEST_F(CurveButtons, DrawTheTickedRowsOfTheShownView)
{
    LoadHistory({0, 1, 0, 1});
    const std::vector<MeasRecord> before = Global::MeasViewRecords;
    {
        const QSignalBlocker quiet(form->SSTab3);
        form->SSTab3->setCurrentIndex(1);
    }
    MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);
    MainControl<QPushButton>(QStringLiteral("CmdDataView_0"))->click();

    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(measType(), Global::UiText.value(506));
    ASSERT_TRUE(drawn(2));
    EXPECT_EQ(pic(2)->pixmap().size(), pic(2)->contentsRect().size());
    // Measurement 3's 70 A is drawn as 0 and does not reach the scale.
    const PlotScale& s = Global::MeasPlotScale;
    EXPECT_DOUBLE_EQ(s.PlotIMax, NumText::Val(Global::MeasViewRecords[3].IvPoints[0][MeasRecord::Amp]));
    EXPECT_EQ(s.DecadeI, 100);
    EXPECT_EQ(s.AxisIMax, 1000);
    EXPECT_EQ(s.DecadeV, 10);
    EXPECT_EQ(s.AxisVMax, 500);
    EXPECT_EQ(s.GridDivH, 10);
    EXPECT_EQ(s.GridDivV, 10);
    const PlotLayout& L = Global::SharedPlotLayout;
    EXPECT_EQ(L.PlotXMargin, 71);
    EXPECT_EQ(L.PlotYMargin, 179); // 1000 / 5.6
    EXPECT_EQ(L.LabelGapX, 1);
    EXPECT_EQ(L.LabelGapY, 2);
    // Nothing written back: no power, no clamped current.
    EXPECT_EQ(Global::MeasViewRecords, before);

    // The picture shows the model of these records.
    const auto m = MeasGraphModel(true, PictureSurface(pic(2)));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->scale, Global::MeasPlotScale);
    std::set<int> curves;
    int pvSegments = 0;
    for (const PlotItem& it : m->items) {
        if (it.kind == PlotItem::IvSegment)
            curves.insert(it.curve);
        pvSegments += it.kind == PlotItem::PvSegment;
    }
    EXPECT_EQ(curves, (std::set<int>{0, 1}));
    EXPECT_GT(pvSegments, 200);

    // The view names follow the result view.
    {
        const QSignalBlocker quiet(form->SSTab3);
        form->SSTab3->setCurrentIndex(2);
    }
    CmdDataView_Click(0);
    EXPECT_EQ(measType(), Global::UiText.value(508));
}

TEST_F(CurveButtons, TheTotalIsDrawnUnclampedBesideAMeasurement)
{
    LoadHistory({1, 1, 0, 0});
    Global::MeasViewRecords[0].IvPoints[3][MeasRecord::Amp] = QStringLiteral("-5");
    CmdDataView_Click(0);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(measType(), Global::UiText.value(505));
    EXPECT_EQ(Global::MeasPlotScale.PlotIMin, -5);
    EXPECT_DOUBLE_EQ(Global::MeasPlotScale.PlotIMax,
                     NumText::Val(Global::MeasViewRecords[0].IvPoints[0][MeasRecord::Amp]));
}

TEST_F(CurveButtons, NothingToDrawClearsAndKeepsTheScale)
{
    // A drawing first, then: only the total ticked, nothing loaded, clear.
    LoadHistory({0, 1, 0, 0});
    CmdDataView_Click(0);
    ASSERT_TRUE(drawn(2));
    const PlotScale kept = Global::MeasPlotScale;
    const PlotLayout keptLayout = Global::SharedPlotLayout;

    Global::DisplayTick = {1, 0, 0, 0};
    CmdDataView_Click(0);
    EXPECT_FALSE(drawn(2));
    EXPECT_TRUE(measType().isEmpty());
    EXPECT_EQ(Global::MeasPlotScale, kept);

    Global::DisplayTick = {0, 0, 1, 0};
    CmdDataView_Click(0);
    ASSERT_TRUE(drawn(2));
    MainControl<QPushButton>(QStringLiteral("CmdDataView_1"))->click();
    EXPECT_FALSE(drawn(2));
    EXPECT_TRUE(measType().isEmpty());

    Global::MeasFileCount = 0;
    Global::MeasPlotScale = kept;
    Global::SharedPlotLayout = keptLayout;
    CmdDataView_Click(0);
    EXPECT_FALSE(drawn(2));
    EXPECT_EQ(Global::MeasPlotScale, kept);
    EXPECT_EQ(Global::SharedPlotLayout, keptLayout);

    for (int other : {2, 4, 6, -1}) {
        CmdDataView_Click(other);
        EXPECT_EQ(Global::SharedPlotLayout, keptLayout);
    }
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CurveButtons, NoCurrentOrNoPowerStillDrawsWithoutAReport)
{
    LoadHistory({0, 1, 0, 0});
    for (auto& pt : Global::MeasViewRecords[1].IvPoints)
        if (!pt[MeasRecord::Amp].isEmpty())
            pt[MeasRecord::Amp] = QStringLiteral("0");
    MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);
    CmdDataView_Click(0);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(drawn(2));
    EXPECT_EQ(Global::MeasPlotScale.AxisIMax, 100);
    EXPECT_EQ(Global::SharedPlotLayout.PlotPRange, 100);
}

TEST_F(CurveButtons, ATextThatIsNoNumberIsReportedOnceWithTheFrameKept)
{
    LoadHistory({0, 1, 1, 0});
    Global::MeasViewRecords[1].IvPoints[4][MeasRecord::Volt] = QStringLiteral("4x");
    CmdDataView_Click(0);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages()[0], QStringLiteral("ERROR No:13 Type mismatch ") + Global::UiText.value(780));
    EXPECT_EQ(w.env.dialogs->log[0].message.title, QStringLiteral("CmdDataView_Click"));
    EXPECT_TRUE(drawn(2));
    EXPECT_EQ(Global::MeasPlotScale.AxisVMax, 500);
}

TEST_F(CurveButtons, InstrumentGraphDrawsTheTickedRecordsClamped)
{
    LoadForward(3);
    CmdDataView_Click(3);
    EXPECT_FALSE(drawn(3));
    EXPECT_EQ(Global::ForwardPlotScale, PlotScale{});

    Global::ForwardTick[0] = 1;
    Global::ForwardTick[2] = 1;
    MainControl<QPushButton>(QStringLiteral("CmdDataView_3"))->click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(drawn(3));
    const PlotScale& s = Global::ForwardPlotScale;
    EXPECT_DOUBLE_EQ(s.PlotIMax, NumText::Val(Global::ForwardRecords[2].IvPoints[0][MeasRecord::Amp]));
    EXPECT_EQ(s.AxisVMax, 600);
    EXPECT_EQ(Global::MeasPlotScale, PlotScale{});
    EXPECT_TRUE(measType().isEmpty());
}

TEST_F(CurveButtons, InstrumentClearDrawsTheFrameOfTheCurrentRow)
{
    LoadForward(2);
    Global::ForwardTick[1] = 1;
    CmdDataView_Click(3);
    ASSERT_TRUE(drawn(3));
    MainControl<QPushButton>(QStringLiteral("CmdDataView_5"))->click();
    EXPECT_FALSE(drawn(3));

    Global::CurForwardRow = 1;
    CmdDataView_Click(5);
    EXPECT_TRUE(drawn(3));
    const PlotScale& s = Global::ForwardPlotScale;
    EXPECT_EQ(s.GridDivV, 6);
    EXPECT_EQ(s.DecadeV, 10);
    EXPECT_EQ(s.AxisVMax, 410); // 40.4 V in steps of 1 V
    const auto m = ForwardFrameModel(PictureSurface(pic(3)));
    ASSERT_TRUE(m);
    int power = 0;
    for (const PlotItem& it : m->items) {
        EXPECT_NE(it.kind, PlotItem::IvSegment);
        power += it.kind == PlotItem::LabelP || it.text == QStringLiteral("(W)");
    }
    EXPECT_EQ(power, 12); // always shown, the P-V box unticked

    // Read strictly: a text that is no number leaves the picture empty.
    Global::ForwardRecords[1].IvPoints[9][MeasRecord::Amp] = QStringLiteral("1,5");
    CmdDataView_Click(5);
    EXPECT_FALSE(drawn(3));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages()[0], QStringLiteral("ERROR No:13 Type mismatch ") + Global::UiText.value(780));
}

} // namespace
