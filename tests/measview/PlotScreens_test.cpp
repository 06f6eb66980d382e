// The measurement-data graph as a user sees it: three measurements and
// their P-V curves painted into Pic_2, checked by the colours of its
// pixels. With HX_SCREENS_DIR set, the tab is also saved there as
// measurement-curves-en.png and the graph alone as graph-curves-en.png (run
// under Xvfb: xvfb-run -a -s "-screen 0 1366x768x24" with
// QT_QPA_PLATFORM=xcb).
#include "MeasTabTestSupport.h"
#include "PlotTestCurves.h"
#include "app/MainWindowEnv.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/CurveButtons.h"
#include "measview/MeasViewGlobals.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

TEST(PlotScreens, MeasurementGraphWithPvCurves)
{
    MainWindowEnv w;
    FrmMain& f = w.load();
    f.show();
    {
        const QSignalBlocker quiet(f.SSTab);
        f.SSTab->setCurrentIndex(1);
    }
    WaitForPaint();

    DimRecords(Global::MeasViewRecords, 800);
    Global::MeasViewRecords[1] = ModuleCurve(8.6, 44.8, "0001-01-01");
    Global::MeasViewRecords[2] = ModuleCurve(8.1, 43.9, "0002-01-01");
    Global::MeasViewRecords[3] = ModuleCurve(5.9, 42.5, "0003-01-02");
    Global::MeasFileCount = 3;
    Global::DisplayTick = {0, 1, 1, 1};
    MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);
    CmdDataView_Click(0);
    WaitForPaint();

    auto* pic = MainControl<QLabel>(QStringLiteral("Pic_2"));
    ASSERT_FALSE(pic->pixmap().isNull());
    const QImage graph = pic->pixmap().toImage();
    EXPECT_GT(CountPixels(graph, qRgb(0, 0, 255)), 200);  // I-V curves
    EXPECT_GT(CountPixels(graph, qRgb(255, 0, 0)), 200);  // P-V curves
    EXPECT_GT(CountPixels(graph, qRgb(224, 224, 224)), 500); // grid
    EXPECT_TRUE(w.env.dialogs->log.isEmpty());

    SaveScreen(f, QStringLiteral("measurement-curves-en.png"));
    SaveScreen(*pic, QStringLiteral("graph-curves-en.png"));
    DimRecords(Global::MeasViewRecords, 0);
    Global::MeasFileCount = 0;
    Global::DisplayTick.assign(1, 0);
}
