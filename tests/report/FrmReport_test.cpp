// The report window as a user meets it: opened over the ticked rows with
// the main window hidden, scrolled, filled from the customer's records, its
// plot, the colour dialog, the logo, and back to the main window.
#include "ReportWindowEnv.h"
#include "common/FrmMessWindow.h"

#include "measview/PlotEngine.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"
#include "platform/PrintJob.h"
#include "platform/Registry.h"
#include "report/CurveColors.h"
#include "report/FrmReportWaveColor.h"
#include "report/ReportContents.h"
#include "report/ReportLogo.h"
#include "report/Swatch.h"
#include "support/WindowSystem.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace ReportTest;

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QString SlotText(FrmReport* f, Report::Column c, int slot)
{
    return f->RowLabels[std::size_t(c)][std::size_t(slot)]->text();
}

int CountPixels(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Runs `act` on the colour dialog once it is up (it is modal), from inside
// its own event loop.
void OnColourDialog(std::function<void(FrmReportWaveColor*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = dynamic_cast<FrmReportWaveColor*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

void DoubleClick(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    if (button != Qt::LeftButton)
        return;
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &dbl);
}

} // namespace

// ---- Opening, rows and scrolling ------------------------------------------------

TEST(ReportWindow, OpensOnTheRowsWithEveryRowReachableByScrolling)
{
    ReportWindowEnv env;
    struct Case {
        int ticked;
        bool total;
        bool enabled;
        int maximum;
    } cases[] = {{1, false, false, 0}, {10, false, false, 0}, {11, false, true, 1},
                 {20, false, true, 10}, {20, true, true, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ticked << (c.total ? " and the total" : ""));
        const View v = MakeView(25, c.ticked, c.total);
        const std::vector<int> rows = ReportRows(v.count, v.ticks);
        FrmReport* f = env.open(v);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->isVisible());
        EXPECT_FALSE(env.main->isVisible());
        EXPECT_EQ(f->SSTab1->currentIndex(), 1);
        EXPECT_EQ(f->FirstShownRow, 0);
        EXPECT_EQ(f->VScroll1->isEnabled(), c.enabled);
        EXPECT_EQ(f->VScroll1->minimum(), 0);
        EXPECT_EQ(f->VScroll1->maximum(), c.maximum);
        EXPECT_EQ(f->VScroll1->singleStep(), 1);
        EXPECT_EQ(f->VScroll1->pageStep(), 1);
        EXPECT_EQ(f->VScroll1->value(), 0);
        EXPECT_EQ(f->pos(), f->screen()->availableGeometry().topLeft());

        for (int top = 0; top <= c.maximum; ++top) {
            f->VScroll1->setValue(top);
            EXPECT_EQ(f->FirstShownRow, top);
            for (int s = 0; s < FrmReport::Slots; ++s) {
                const int q = top + s;
                if (q < int(rows.size())) {
                    const MeasRecord& r = v.records[std::size_t(rows[std::size_t(q)])];
                    EXPECT_EQ(SlotText(f, Report::Code, s), r.F[MeasRecord::Number]) << top << " " << s;
                    EXPECT_EQ(f->PicIV[std::size_t(s)]->backColor(), CurveColorOf(CurveColor::IV, q));
                    EXPECT_EQ(f->PicPV[std::size_t(s)]->backColor(), CurveColorOf(CurveColor::PV, q));
                } else {
                    for (int k = 0; k < Report::ColumnCount; ++k)
                        EXPECT_TRUE(SlotText(f, Report::Column(k), s).isEmpty());
                }
            }
        }
        // The last row is in the last slot at the last position.
        EXPECT_EQ(SlotText(f, Report::Code, std::min<int>(9, int(rows.size()) - 1)),
                  v.records[std::size_t(rows.back())].F[MeasRecord::Number]);
        // The totals cover every ticked measurement, wherever the slots are.
        const ReportTotals t = ReportTotalsOf(v.records, v.count, v.ticks);
        EXPECT_EQ(Global::ReportPmTotal, t.pmTotal);
        EXPECT_EQ(Global::ReportVocMean, t.vocMean);
        EXPECT_EQ(Global::ReportIscTotal, t.iscTotal);
        EXPECT_EQ(f->LblData[12]->text(), NumText::FormatText(t.pmTotal, QStringLiteral("0")));
        EXPECT_EQ(f->LblData[13]->text(), NumText::FormatText(t.vocMean, QStringLiteral("0.0")));
        EXPECT_EQ(f->LblData[14]->text(), NumText::FormatText(t.iscTotal, QStringLiteral("0.000")));
        EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();
    }
}

TEST(ReportWindow, ModelListFollowsTheSlotsTotalsAndPlotDoNot)
{
    ReportWindowEnv env;
    View v = MakeView(15, 15);
    for (int i = 1; i <= 15; ++i)
        v.records[std::size_t(i)].F[MeasRecord::Model] = i <= 3 ? QStringLiteral("A") : QStringLiteral("2");
    FrmReport* f = env.open(v);
    const QString head = Ui(Report::UiModelListHead);
    EXPECT_EQ(f->LblMeasMachine->text(), head + QStringLiteral("QTM-520 KRX-210"));
    EXPECT_TRUE(f->LblMeasMachine->isVisible());
    const QString pm = Global::ReportPmTotal;
    const PlotScale scale = Global::MeasPlotScale;
    const QImage plot = f->PicWave->pixmap().toImage();
    f->VScroll1->setValue(3);
    EXPECT_EQ(f->LblMeasMachine->text(), head + QStringLiteral("QTM-520"));
    EXPECT_EQ(Global::ReportPmTotal, pm);
    EXPECT_EQ(Global::MeasPlotScale, scale);
    EXPECT_EQ(f->PicWave->pixmap().toImage(), plot);
    f->VScroll1->setValue(0);
    EXPECT_EQ(f->LblMeasMachine->text(), head + QStringLiteral("QTM-520 KRX-210"));
}

TEST(ReportWindow, RowsWhosePmIsNoNumberAreLeftOutOfTheTotalsAndSaidOnce)
{
    ReportWindowEnv env;
    View v = MakeView(12, 12);
    v.records[2].F[MeasRecord::Pm] = QStringLiteral("--");
    v.records[11].F[MeasRecord::Pm] = QStringLiteral("ERR");
    FrmReport* f = env.open(v);
    ASSERT_EQ(env.boxes(), QStringList{LeftOutMessage(v.records, {2, 11})});
    EXPECT_EQ(env.w.env.dialogs->log[0].message.title, QStringLiteral("Heliodex"));
    // 201 to 212 W without the two rows; the Voc mean over the ten others.
    EXPECT_EQ(Global::ReportPmTotal, QStringLiteral("2065"));
    EXPECT_EQ(f->LblData[12]->text(), QStringLiteral("2065"));
    EXPECT_EQ(Global::ReportVocMean, QStringLiteral("40.7"));
    // The rows are shown as they stand; scrolling says nothing more.
    EXPECT_EQ(SlotText(f, Report::Pm, 1), QStringLiteral("--"));
    f->VScroll1->setValue(2);
    f->VScroll1->setValue(0);
    EXPECT_EQ(env.boxes().size(), 1);
}

TEST(ReportWindow, BackAndCloseBoxShowTheMainWindowUnloadingByCodeDoesNot)
{
    ReportWindowEnv env;
    const View v = MakeView(3, 2);

    // The main window comes back where it stood.
    const QPoint at = env.main->pos() + QPoint(37, 21);
    env.main->move(at);
    env.settle();
    QPointer<FrmReport> f = env.open(v);
    f->CmdBack->click();
    env.settle();
    EXPECT_TRUE(env.main->isVisible());
    EXPECT_EQ(env.main->pos(), at);
    EXPECT_FALSE(FrmReportIsLoaded());
    EXPECT_TRUE(f.isNull());

    f = env.open(v);
    EXPECT_FALSE(env.main->isVisible());
    EXPECT_TRUE(CloseBoxClick(f));
    env.settle();
    EXPECT_TRUE(env.main->isVisible());
    EXPECT_EQ(env.main->pos(), at);
    EXPECT_FALSE(FrmReportIsLoaded());
    EXPECT_TRUE(f.isNull());

    // A new report replaces the one open; code unloads leave the main
    // window alone.
    f = env.open(v);
    QPointer<FrmReport> second = env.open(MakeView(3, 3));
    env.settle();
    EXPECT_TRUE(f.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(SlotText(second, Report::Code, 2), QStringLiteral("0003-01-01"));
    FrmReportUnload();
    env.settle();
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(env.main->isVisible());
}

TEST(ReportWindow, PvColumnAndPvCurvesFollowTheMainCheckBox)
{
    ReportWindowEnv env;
    Global::CurveColors[CurveColor::IV][0] = 0x0000FF; // red
    Global::CurveColors[CurveColor::PV][0] = 0x00FF00; // green
    const View v = MakeView(2, 1);
    for (Qt::CheckState state : {Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked}) {
        SCOPED_TRACE(int(state));
        env.pv(state);
        FrmReport* f = env.open(v);
        const bool on = state == Qt::Checked;
        EXPECT_EQ(!f->LblWaveTitle[1]->isHidden(), on);
        EXPECT_FALSE(f->LblWaveTitle[0]->isHidden());
        for (int s = 0; s < FrmReport::Slots; ++s) {
            EXPECT_EQ(!f->PicPV[std::size_t(s)]->isHidden(), on);
            EXPECT_FALSE(f->PicIV[std::size_t(s)]->isHidden());
        }
        const QImage plot = f->PicWave->pixmap().toImage();
        EXPECT_GT(CountPixels(plot, qRgb(255, 0, 0)), 100);
        EXPECT_EQ(CountPixels(plot, qRgb(0, 255, 0)) > 100, on);
    }
}

// ---- Contents --------------------------------------------------------------------

TEST(ReportWindow, FillsCustomerHistoryContractorsEquipmentAndRows)
{
    ReportWindowEnv env;
    ArrayConfigurationType& a = Global::ArrayConfiguration;
    a.TotalPm = QStringLiteral("5400");
    a.ExtMemo = QStringLiteral("meter");
    a.GroupMaker[0] = QStringLiteral("Maker A");
    a.StringRows[0] = {QStringLiteral("M-215"), QStringLiteral("8"), QStringLiteral("2"),
                       QStringLiteral("215.00"), QStringLiteral("36.1"), QStringLiteral("8.01")};
    a.GroupRatedPm[0] = QStringLiteral("3440");
    a.GroupRatedPm[1] = QStringLiteral("0.0");
    a.GroupPowCon[0] = {QStringLiteral("1"), QStringLiteral("PC Maker"), QStringLiteral("PC-55")};
    a.GroupK[0] = QStringLiteral("0.001");
    View v = MakeView(3, 3);
    v.records[2].F[MeasRecord::Model] = QStringLiteral("B");
    v.records[2].F[MeasRecord::Version] = QStringLiteral("8.5");
    FrmReport* f = env.open(v);

    EXPECT_EQ(f->LblData[0]->text(), QStringLiteral("C001"));
    EXPECT_EQ(f->LblData[7]->text(), QStringLiteral("090-222"));
    EXPECT_EQ(f->LblData[9]->text(), QStringLiteral("2024/01/15"));
    EXPECT_EQ(f->LblData[10]->text(), QStringLiteral("2024/06/02"));
    EXPECT_EQ(f->LblData[11]->text(), QStringLiteral("South roof"));
    EXPECT_EQ(f->LblData[15]->text(), QStringLiteral("Inspection after the storm"));
    EXPECT_EQ(f->LblCompanyName[0]->text(), QStringLiteral("Solar Works"));
    EXPECT_EQ(f->LblCompanyCharge[0]->text(), QStringLiteral("Sato"));
    EXPECT_EQ(f->LblCompanyName[4]->text(), QStringLiteral("Wiring Co"));
    EXPECT_EQ(f->LblMeasPmMax->text(), QStringLiteral("5400"));
    EXPECT_EQ(f->LblExtData->text(), QStringLiteral("meter"));
    EXPECT_EQ(f->LblSrMaker[0]->text(), QStringLiteral("Maker A"));
    EXPECT_EQ(f->LblSerial[0]->text(), QStringLiteral("M-215"));
    EXPECT_EQ(f->LblCntH[0]->text(), QStringLiteral("2"));
    EXPECT_EQ(f->LblSrPm[0]->text(), QStringLiteral("215.00"));
    EXPECT_EQ(f->LblStringTotalPm[0]->text(), QStringLiteral("3440"));
    EXPECT_TRUE(f->LblStringTotalPm[1]->text().isEmpty());
    EXPECT_EQ(f->LblPowConSerial[0]->text(), QStringLiteral("PC-55"));
    EXPECT_EQ(f->LblK[0]->text(), QStringLiteral("0.001"));

    // The rows with their judgement columns; the KRX row by its own rules.
    EXPECT_EQ(SlotText(f, Report::DataMeas, 0), QStringLiteral("98/97"));
    EXPECT_EQ(SlotText(f, Report::DataMeas, 1), QStringLiteral("98/--"));
    EXPECT_EQ(SlotText(f, Report::OutT, 1), QStringLiteral("--"));
    EXPECT_EQ(SlotText(f, Report::DataJudge, 0), Ui(580));
    EXPECT_FALSE(f->LblJudgeView->isHidden());
    EXPECT_EQ(f->LblTitle[13]->text(), Ui(492));
    EXPECT_EQ(f->LblMeasMachine->text(), Ui(Report::UiModelListHead) + QStringLiteral("QTM-310 KRX-210Z"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(f->ImgPic[std::size_t(i)]->isHidden());
        EXPECT_EQ(f->ImgPic[std::size_t(i)]->width(), TwipsToPixelsX(3600, f));
    }
    EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();
}

TEST(ReportWindow, JudgementOffEmptiesItsColumnsAndHeadings)
{
    ReportWindowEnv env;
    env.judgementOff(true);
    FrmReport* f = env.open(MakeView(2, 2));
    EXPECT_TRUE(f->LblJudgeView->isHidden());
    for (int t : {13, 14, 15})
        EXPECT_TRUE(f->LblTitle[std::size_t(t)]->text().isEmpty());
    for (int s = 0; s < 2; ++s) {
        EXPECT_TRUE(SlotText(f, Report::Capa, s).isEmpty());
        EXPECT_TRUE(SlotText(f, Report::DataJudge, s).isEmpty());
        EXPECT_FALSE(SlotText(f, Report::Pm, s).isEmpty());
    }
    EXPECT_EQ(f->LblTitle[16]->text(), Ui(507));
}

TEST(ReportWindow, NoHistoryChosenAndOnlyTheTotalTickedStillFillTheRest)
{
    ReportWindowEnv env;
    env.chooseHistory(-1);
    FrmReport* f = env.open(MakeView(3, 0, true));
    EXPECT_EQ(f->LblData[1]->text(), QStringLiteral("Sample Farm"));
    EXPECT_TRUE(f->LblData[11]->text().isEmpty());
    EXPECT_TRUE(f->LblCompanyName[0]->text().isEmpty());
    // The total is the one row; with no measurement there is nothing to total.
    EXPECT_EQ(SlotText(f, Report::Code, 0), QStringLiteral("TOTAL"));
    EXPECT_TRUE(SlotText(f, Report::Code, 1).isEmpty());
    for (int i = 12; i <= 14; ++i)
        EXPECT_TRUE(f->LblData[std::size_t(i)]->text().isEmpty());
    EXPECT_TRUE(Global::ReportPmTotal.isEmpty());
    EXPECT_FALSE(f->PicWave->pixmap().isNull());
    EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();
}

TEST(ReportWindow, PhotosFitTheirFramesAndASpoiltOneIsSaidOnce)
{
    ReportWindowEnv env;
    const QString dir = env.w.env.root();
    HistoryRecord& h = Global::HistoryRecords[1];
    h.PicturePaths[0] = dir + QStringLiteral("/wide.png");
    h.PicturePaths[1] = dir + QStringLiteral("/spoilt.jpg");
    h.PicturePaths[2] = dir + QStringLiteral("/missing.jpg");
    h.PicturePaths[3] = dir + QStringLiteral("/small.png");
    ASSERT_TRUE(WritePicture(h.PicturePaths[0], 480, 180));
    ASSERT_TRUE(WriteFileAtomic(h.PicturePaths[1], QByteArray("no picture")));
    ASSERT_TRUE(WritePicture(h.PicturePaths[3], 120, 90));
    FrmReport* f = env.open(MakeView(14, 14));

    ASSERT_EQ(env.boxes().size(), 1);
    EXPECT_EQ(env.w.env.dialogs->log[0].message.title, QStringLiteral("DataView"));
    EXPECT_TRUE(env.boxes()[0].startsWith(QStringLiteral("ERROR No:481 Invalid picture")));
    QLabel* const* pic = f->ImgPic.data();
    EXPECT_EQ(pic[0]->size(), QSize(TwipsToPixelsX(3600, f), TwipsToPixelsY(1350, f)));
    EXPECT_FALSE(pic[0]->pixmap().isNull());
    for (int k : {1, 2}) {
        EXPECT_FALSE(pic[k]->isHidden());
        EXPECT_TRUE(pic[k]->pixmap().isNull());
        EXPECT_EQ(pic[k]->size(), QSize(TwipsToPixelsX(3600, f), TwipsToPixelsY(2700, f)));
    }
    EXPECT_EQ(pic[3]->size(), QSize(TwipsToPixelsX(1800, f), TwipsToPixelsY(1350, f)));
    // The rest of the report is filled, and scrolling says nothing more.
    EXPECT_FALSE(SlotText(f, Report::Code, 9).isEmpty());
    EXPECT_FALSE(f->LblData[12]->text().isEmpty());
    f->VScroll1->setValue(4);
    f->VScroll1->setValue(0);
    EXPECT_EQ(env.boxes().size(), 1);
}

TEST(ReportWindow, APlotThatCannotBeDrawnIsSaidOncePerFill)
{
    ReportWindowEnv env;
    View v = MakeView(12, 12);
    for (int i = 1; i <= 12; ++i)
        for (auto& p : v.records[std::size_t(i)].IvPoints)
            p[MeasRecord::Amp] = QStringLiteral("0");
    FrmReport* f = env.open(v);
    ASSERT_EQ(env.boxes().size(), 1);
    EXPECT_EQ(env.w.env.dialogs->log[0].message.title, QStringLiteral("WaveClear"));
    EXPECT_TRUE(env.boxes()[0].endsWith(u' ' + Ui(780)));
    EXPECT_TRUE(f->PicWave->pixmap().isNull());
    // The scale is this plot's, never an earlier one's.
    EXPECT_EQ(Global::MeasPlotScale.DecadeI, 1e11);
    EXPECT_EQ(SlotText(f, Report::Code, 9), QStringLiteral("0010-01-01"));
    f->VScroll1->setValue(1);
    EXPECT_EQ(env.boxes().size(), 2);

    // One bad curve among good ones: one report naming it, the others drawn.
    env.w.env.dialogs->log.clear();
    View bad = MakeView(3, 3);
    bad.records[2].IvPoints[5][MeasRecord::Amp] = QStringLiteral("x");
    bad.records[3].IvPoints[5][MeasRecord::Volt] = QStringLiteral("y");
    Global::CurveColors[CurveColor::IV][0] = 0x0000FF;
    f = env.open(bad);
    ASSERT_EQ(env.boxes().size(), 1);
    EXPECT_EQ(env.w.env.dialogs->log[0].message.title, QStringLiteral("WaveDraw"));
    EXPECT_TRUE(env.boxes()[0].startsWith(QStringLiteral("ERROR No:13 ")));
    EXPECT_TRUE(env.boxes()[0].contains(QStringLiteral("0002-01-01")));
    EXPECT_FALSE(f->PicWave->pixmap().isNull());
    EXPECT_GT(CountPixels(f->PicWave->pixmap().toImage(), qRgb(255, 0, 0)), 100);
}

// ---- Colours -------------------------------------------------------------------

TEST(ReportWindow, ColourDialogOkStoresEveryPairCancelAndCloseKeepThem)
{
    ReportWindowEnv env;
    FrmReport* f = env.open(MakeView(16, 15));
    f->VScroll1->setValue(5);
    const auto before = Global::CurveColors;

    // OK after choosing row 6's I-V colour: kept, stored, shown at once.
    env.w.env.dialogs->answerColor(0x123456);
    OnColourDialog([](FrmReportWaveColor* d) {
        EXPECT_EQ(d->windowTitle(), Ui(688));
        EXPECT_EQ(d->Label1[0]->text(), Ui(691));
        EXPECT_EQ(d->Label1[12]->text(), Ui(738));
        EXPECT_EQ(d->Label1[21]->text(), Ui(747));
        EXPECT_EQ(d->Label1[10]->text(), Ui(701));
        EXPECT_EQ(d->Label1[11]->text(), Ui(702));
        EXPECT_EQ(d->OKButton->text(), Ui(689));
        EXPECT_EQ(d->PivIV[7]->backColor(), CurveColorOf(CurveColor::IV, 7));
        d->PivIV[5]->onDoubleClick();
        EXPECT_EQ(d->PivIV[5]->backColor(), 0x123456u);
        d->OKButton->click();
    });
    f->PicPV[3]->onDoubleClick();
    EXPECT_EQ(Global::CurveColors[CurveColor::IV][5], 0x123456u);
    EXPECT_EQ(RegStrGet(RegKeyColorIV, QStringLiteral("6")), QStringLiteral("1193046"));
    for (int n = 1; n <= 20; ++n)
        EXPECT_EQ(RegStrGet(RegKeyColorPV, QString::number(n)),
                  QString::number(before[CurveColor::PV][std::size_t(n - 1)]));
    EXPECT_EQ(f->PicIV[0]->backColor(), 0x123456u);
    ASSERT_EQ(env.w.env.dialogs->log.size(), 1);
    EXPECT_EQ(env.w.env.dialogs->log[0].kind, RecordedDialog::Color);
    EXPECT_EQ(env.w.env.dialogs->log[0].defaultText, QStringLiteral("0"));

    // Cancel, then the close box: the picks are dropped.
    const auto kept = Global::CurveColors;
    for (int way = 0; way < 2; ++way) {
        env.w.env.dialogs->answerColor(0x654321);
        OnColourDialog([way](FrmReportWaveColor* d) {
            d->PivPV[0]->onDoubleClick();
            EXPECT_EQ(d->PivPV[0]->backColor(), 0x654321u);
            if (way == 0)
                d->CancelButton->click();
            else
                EXPECT_TRUE(CloseBoxClick(d));
        });
        f->PicIV[0]->onDoubleClick();
        EXPECT_EQ(Global::CurveColors, kept);
        EXPECT_EQ(RegStrGet(RegKeyColorPV, QStringLiteral("1")), QString::number(kept[CurveColor::PV][0]));
    }

    // A colour chooser cancelled leaves the swatch as it was.
    OnColourDialog([](FrmReportWaveColor* d) {
        d->PivIV[0]->onDoubleClick();
        EXPECT_EQ(d->PivIV[0]->backColor(), CurveColorOf(CurveColor::IV, 0));
        d->OKButton->click();
    });
    f->PicIV[0]->onDoubleClick();
    EXPECT_EQ(Global::CurveColors, kept);
}

// ---- Logo -------------------------------------------------------------------------

TEST(ReportWindow, LogoChooseSpoiltFileAndRemove)
{
    ReportWindowEnv env;
    auto& dialogs = *env.w.env.dialogs;
    const QString good = env.w.env.root() + QStringLiteral("/logo.png");
    const QString spoilt = env.w.env.root() + QStringLiteral("/logo.jpg");
    ASSERT_TRUE(WritePicture(good, 300, 60, Qt::red));
    ASSERT_TRUE(WriteFileAtomic(spoilt, QByteArray("no picture")));
    FrmReport* f = env.open(MakeView(2, 1));
    // The logo's right edge stands 150 twips in from the window's width.
    auto rightEdge = [f] {
        return f->Image1->x() + f->Image1->width();
    };
    auto edge = [f] {
        return f->width() - TwipsToPixelsX(150, f);
    };
    EXPECT_EQ(f->logoPicture(), BuiltInLogo());
    EXPECT_EQ(rightEdge(), edge());
    EXPECT_EQ(f->Image1->y(), TwipsToPixelsY(60, f));

    // No logo of the user's: the right button opens no menu.
    DoubleClick(f->Image1, Qt::RightButton);
    EXPECT_FALSE(f->MnuPicDeleteMenu->isVisible());

    dialogs.answerText(good);
    DoubleClick(f->Image1);
    EXPECT_EQ(StoredLogoPath(), good);
    EXPECT_EQ(f->logoPicture().size(), QSize(300, 60));
    EXPECT_EQ(rightEdge(), edge());
    EXPECT_EQ(dialogs.log.last().defaultText, Ui(539));
    EXPECT_EQ(ReportLogoPicture().size(), QSize(300, 60));

    // A file that is no picture: one exclamation box, nothing changes.
    dialogs.answerText(spoilt);
    f->Image1_DblClick();
    ASSERT_EQ(env.boxes().size(), 1);
    EXPECT_EQ(dialogs.log.last().message.title, QStringLiteral("Image1_DblClick"));
    EXPECT_EQ(dialogs.log.last().message.icon, vbExclamation);
    EXPECT_EQ(StoredLogoPath(), good);
    EXPECT_EQ(f->logoPicture().size(), QSize(300, 60));

    // Cancel in the file dialog: nothing.
    f->Image1_DblClick();
    EXPECT_EQ(StoredLogoPath(), good);

    // The menu of a stored logo removes it.
    DoubleClick(f->Image1, Qt::RightButton);
    EXPECT_TRUE(f->MnuPicDeleteMenu->isVisible());
    f->MnuPicDeleteMenu->hide();
    f->MnuPicDelete->trigger();
    EXPECT_TRUE(StoredLogoPath().isEmpty());
    EXPECT_EQ(f->logoPicture(), BuiltInLogo());
    EXPECT_EQ(rightEdge(), edge());

    // A name that names no file stores the built-in logo.
    ASSERT_EQ(ChooseLogoFile(good).kind, LogoChoice::Chosen);
    dialogs.answerText(env.w.env.root() + QStringLiteral("/gone.png"));
    f->Image1_DblClick();
    EXPECT_TRUE(StoredLogoPath().isEmpty());
    EXPECT_EQ(f->logoPicture(), BuiltInLogo());

    // A stored logo that was spoilt since: the next report shows the
    // built-in one and says nothing.
    ASSERT_TRUE(RegStrSet(RegKeySystem, QStringLiteral("Logo"), spoilt));
    dialogs.log.clear();
    f = env.open(MakeView(2, 1));
    EXPECT_EQ(f->logoPicture(), BuiltInLogo());
    EXPECT_TRUE(env.boxes().isEmpty());
    EXPECT_EQ(f->SSTab1->currentIndex(), 1);
}

namespace {

// A left click where the window system puts it: on the window, at the
// centre of `target`, reaching whatever the window has there.
void ClickThroughWindow(QWidget* window, QWidget* target)
{
    QWindow* handle = window->windowHandle();
    ASSERT_NE(handle, nullptr);
    const QPointF local = target->mapTo(window, QPointF(target->rect().center()));
    const QPointF global = window->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QGuiApplication::sendEvent(handle, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton, Qt::NoButton, {});
    QGuiApplication::sendEvent(handle, &release);
    ReportWindowEnv::settle();
}

} // namespace

// A logo far wider than its box is drawn into the box, aspect kept, at its
// place at the top right; every button under and beside it takes a click.
TEST(ReportWindow, AWideLogoKeepsToItsBoxAndEveryButtonTakesAClick)
{
    QTemporaryDir printed;
    qputenv(PrintJob::PdfDirVariable, printed.path().toLocal8Bit());
    ReportWindowEnv env;
    const QString wide = env.w.env.root() + QStringLiteral("/wide-logo.png");
    ASSERT_TRUE(WritePicture(wide, 1500, 300, Qt::darkGreen));
    ASSERT_EQ(ChooseLogoFile(wide).kind, LogoChoice::Chosen);
    QPointer<FrmReport> f = env.open(MakeView(3, 2));
    ASSERT_FALSE(f.isNull());
    EXPECT_EQ(f->logoPicture().size(), QSize(1500, 300));
    // The box is the built-in logo's: 150 by 30 pixels of 15 twips.
    EXPECT_LE(f->Image1->width(), TwipsToPixelsX(2250, f) + 1);
    EXPECT_LE(f->Image1->height(), TwipsToPixelsY(450, f) + 1);
    EXPECT_NEAR(double(f->Image1->width()) / f->Image1->height(), 5.0, 0.2);
    EXPECT_EQ(f->Image1->x() + f->Image1->width(), f->width() - TwipsToPixelsX(150, f));

    auto pdfs = [&] {
        return QDir(printed.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size();
    };
    const std::pair<QPushButton*, qsizetype> prints[] = {
        {f->Command1[0], 1}, {f->Command1[1], 3}, {f->CmdWavePrint, 4}};
    for (const auto& [button, total] : prints) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(f->childAt(button->mapTo(f.data(), button->rect().center())), button);
        ClickThroughWindow(f, button);
        EXPECT_EQ(pdfs(), total);
        FrmMessWindow::Unload();
    }
    EXPECT_EQ(f->childAt(f->CmdBack->mapTo(f.data(), f->CmdBack->rect().center())), f->CmdBack);
    ClickThroughWindow(f, f->CmdBack);
    EXPECT_TRUE(f.isNull());
    EXPECT_TRUE(env.main->isVisible());
    qunsetenv(PrintJob::PdfDirVariable);
    EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();
    RemoveLogo();
}

// ---- Captions ---------------------------------------------------------------------

TEST(ReportWindow, CaptionsComeFromTheLanguageFile)
{
    for (const char* code : {"1", "81"}) {
        SCOPED_TRACE(code);
        ReportWindowEnv env(QString::fromLatin1(code));
        env.resultView(1);
        FrmReport* f = env.open(MakeView(2, 2));
        EXPECT_EQ(f->windowTitle(), Ui(430));
        EXPECT_EQ(f->Command1[1]->text(), Ui(432));
        EXPECT_EQ(f->SSTab1->tabText(0), Ui(433));
        EXPECT_EQ(f->SSTab1->tabText(1), Ui(456));
        EXPECT_EQ(f->SSTab1->tabText(2), Ui(476));
        EXPECT_EQ(f->SSTab2->tabText(0), QStringLiteral("01-05"));
        EXPECT_EQ(f->SSTab2->tabText(1), QStringLiteral("06-10"));
        EXPECT_EQ(f->SSTab2->currentIndex(), 0);
        EXPECT_EQ(f->LblRepoMess[9]->text(), Ui(444));
        EXPECT_EQ(f->LblRepoMess[15]->text(), Ui(451));
        EXPECT_EQ(f->LblRepoMess[18]->text(), Ui(455));
        EXPECT_EQ(f->LblRepoMess[19]->text(), Ui(478));
        EXPECT_EQ(f->LblRepoMess[23]->text(), Ui(300));
        EXPECT_EQ(f->LblRepoMess[119]->text(), Ui(490));
        EXPECT_EQ(f->FraGroup[0]->title(), QStringLiteral("01 ") + Ui(480));
        EXPECT_EQ(f->FraGroup[9]->title(), QStringLiteral("10 ") + Ui(480));
        EXPECT_EQ(f->FraStringSel[4]->title(), Ui(296));
        EXPECT_EQ(f->LblKTitle[9]->text(), Ui(686));
        EXPECT_EQ(f->LblTitle[9]->text(), Ui(467));
        EXPECT_EQ(f->LblTitle[11]->text(), Ui(475));
        EXPECT_EQ(f->LblMeasType->text(), Ui(506));
        EXPECT_EQ(f->LblWaveTitle[1]->text(), Ui(704));
        EXPECT_EQ(f->CmdBack->text(), Ui(678));
        EXPECT_EQ(f->CmdWavePrint->text(), Ui(509));
        EXPECT_EQ(f->MnuPicDelete->text(), Ui(724));
        EXPECT_EQ(f->LblReportTitle->text(), Ui(504));
        for (int key : {430, 431, 456, 480, 504, 678, 688, 691, 747, 940})
            EXPECT_FALSE(Ui(key).isEmpty()) << key;
    }
    // An empty key 480 leaves the group number and its blank.
    ReportWindowEnv env;
    Global::UiText[480].clear();
    env.resultView(2);
    FrmReport* f = env.open(MakeView(2, 2));
    EXPECT_EQ(f->FraGroup[0]->title(), QStringLiteral("01 "));
    EXPECT_EQ(f->LblMeasType->text(), Ui(508));
}

// Every caption is whole in its box in both languages: where its designed
// box is too narrow for the font really used it grows into the room beside
// it or takes a smaller font, and never covers a neighbour.
TEST(ReportWindow, EveryCaptionIsWholeInBothLanguages)
{
    for (const char* language : {"1", "81"}) {
        SCOPED_TRACE(language);
        ReportWindowEnv env(QString::fromLatin1(language));
        FrmReport* f = env.open(MakeView(3, 2));
        ASSERT_NE(f, nullptr);
        int captions = 0;
        for (QLabel* c : f->findChildren<QLabel*>()) {
            if (!c->property("fittedCaption").toBool() || c->text().isEmpty())
                continue;
            ++captions;
            SCOPED_TRACE(c->objectName().toStdString() + " " + c->text().toStdString());
            EXPECT_LE(c->sizeHint().width(), c->width());
            for (QObject* o : c->parentWidget()->children()) {
                auto* other = qobject_cast<QWidget*>(o);
                if (!other || other == c || other->isHidden() || !other->property("fittedCaption").toBool())
                    continue;
                // Neighbours designed to overlap a little stay so.
                if (other->property("designedBox").toRect().intersects(c->property("designedBox").toRect()))
                    continue;
                EXPECT_FALSE(other->geometry().intersects(c->geometry())) << other->objectName().toStdString();
            }
        }
        EXPECT_GT(captions, 100);
    }
}
