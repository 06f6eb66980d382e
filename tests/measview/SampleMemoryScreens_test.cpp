// The simulated instrument's sample memory as a new user first meets it:
// its records decoded and moved into a construction history of a customer
// whose array configuration is the one the README gives for it, shown on the
// measurement-data tab and printed as a report. Every string the memory
// holds is judged "Good" against its rated 2.55 kW, and the corrected views
// come out near that power.
//
// With HX_SCREENS_DIR set, the tab is saved there as sample-meastab-en.png
// and the printed report page as sample-print-report.pdf (and .png when
// pdftoppm is there). Run under Xvfb for the window's frame:
//   HX_SCREENS_DIR=docs/screens QT_QPA_PLATFORM=xcb \
//     xvfb-run -a -s "-screen 0 1366x768x24" build/tests/measview_SampleMemoryScreens_test
#include "MeasTabWindow.h"

#include "catalog/CatalogGlobals.h"
#include "catalog/ModelFiles.h"
#include "common/FrmMessWindow.h"
#include "customers/UserData.h"
#include "instrument/DataControl.h"
#include "instrument/MeasFile.h"
#include "instrument/ReadOut.h"
#include "instrument/RecordDecode.h"
#include "platform/NumText.h"
#include "platform/PrintJob.h"
#include "platform/SimulatedInstrument.h"
#include "report/FrmReport.h"
#include "report/ReportContents.h"
#include "report/ReportEntry.h"
#include "report/ReportGlobals.h"

#include <QCheckBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString Site = QStringLiteral("Sample site");

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// The module of every sample string, in the catalogue.
ModuleModelRecord SampleModule()
{
    ModuleModelRecord m;
    m.ModelCode = QStringLiteral("TS-255");
    m.CellType = QStringLiteral("1");
    m.Pm = QStringLiteral("255");
    m.Vpm = QStringLiteral("31.0");
    m.Ipm = QStringLiteral("8.23");
    m.Voc = QStringLiteral("38.4");
    m.Isc = QStringLiteral("9.12");
    m.Area = QStringLiteral("1.63");
    m.CellsAcross = QStringLiteral("6");
    m.CellsDown = QStringLiteral("10");
    m.Alpha = QStringLiteral("0.00456");
    m.Beta = QStringLiteral("-0.119");
    m.Rs = QStringLiteral("0.32");
    m.K = QStringLiteral("0");
    m.PmTempCoef = QStringLiteral("-0.45");
    return m;
}

// Groups 1 to 3: one string row each of 10 such modules in series, one
// string in parallel.
ArrayConfigurationType SampleArray()
{
    ArrayConfigurationType a;
    a.TotalPm = QStringLiteral("7650");
    for (int g = 0; g < 3; ++g) {
        a.GroupMaker[std::size_t(g)] = QStringLiteral("Tolvane Solar");
        a.StringRows[std::size_t(5 * g)] = {QStringLiteral("TS-255"), QStringLiteral("10"), QStringLiteral("1"),
                                            QStringLiteral("255"),    QStringLiteral("38.4"), QStringLiteral("9.12")};
    }
    return a;
}

// The sample memory read out and moved into the history `folder`, as the
// read-out and the move into a history write it.
int MoveSampleMemoryInto(const QString& folder)
{
    QString text;
    for (const QByteArray& record : SampleInstrumentMemory())
        text += ReadOutAnswerText(record);
    std::vector<MeasRecord> records(801);
    const RecordDecodeResult decoded = InstrumentRecordDecode(text, 1184, records);
    for (int k = 0; k < decoded.count; ++k)
        WriteMeasFileBytes(folder, records[std::size_t(k)], MovedMeasFileBytes(records[std::size_t(k)]));
    return decoded.count;
}

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(SampleMemoryScreens, TheSampleMemoryOnTheTabAndInAPrintedReport)
{
    MeasTabWindow t;
    t.form->move(0, 0);
    const QString data = Global::DataFolder;
    ASSERT_TRUE(WriteFileAtomic(data + QStringLiteral("/MODULE_DATA/Tolvane Solar/TS-255.dat"),
                                ModuleModelBytes(SampleModule())));
    LoadModuleCatalog(Global::ModuleCatalog, Global::ModuleMakerCount);
    ASSERT_TRUE(WriteFileAtomic(MeasTab::CustomerFolder(0) + QStringLiteral("/MakerData.csv"),
                                MakerDataBytes(SampleArray())));
    const QString folder = MeasTab::CustomerFolder(0) + QStringLiteral("/3_") + Site;
    QDir().mkpath(folder);
    ASSERT_TRUE(WriteFileAtomic(folder + QStringLiteral("/MeasData.csv"),
                                Cp932({"Sample site", "24/05/15", "", "", "", "", "", "", ""})));
    const int count = MoveSampleMemoryInto(folder);
    ASSERT_EQ(count, 30);

    t.open(0, Site);
    ASSERT_EQ(Global::MeasFileCount, count);
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    // Ten strings of group 1, five of group 2 and three of group 3 (list
    // rows 2 to 31 in that order).
    QList<int> rows;
    for (int r = 2; r <= 11; ++r)
        rows << r;
    for (int r = 14; r <= 18; ++r)
        rows << r;
    for (int r = 24; r <= 26; ++r)
        rows << r;
    for (int r : rows)
        t.grid()->setTick(r, true);
    t.control<QCheckBox>(QStringLiteral("ChkPV_VIEW"))->setChecked(true);

    // Each string near its rated power once corrected; every view offered.
    for (int tab : {2, 1}) {
        SCOPED_TRACE(tab);
        t.form->SSTab3->setCurrentIndex(tab);
        ASSERT_EQ(t.form->SSTab3->currentIndex(), tab);
        ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
        for (int i = 1; i <= count; ++i) {
            const double pm = NumText::Val(Global::MeasViewRecords[std::size_t(i)].F[15]);
            EXPECT_GT(pm, 0.9 * 2550) << i;
            EXPECT_LT(pm, 1.08 * 2550) << i;
        }
    }
    t.form->SSTab3->setCurrentIndex(0);
    WaitForPaint();
    // Rated kW, the criteria and "Good" on every row of an instrument that
    // judges; group 3's instrument shows none.
    for (int r = 2; r <= count + 1; ++r) {
        const bool judged = r < 24;
        EXPECT_EQ(t.rowTexts(r).mid(15, 3), judged ? QStringList({"2.55", "90/80", Ui(580)})
                                                   : QStringList({"--", "--/--", "--"}))
            << r;
    }
    SaveScreen(*t.form, QStringLiteral("sample-meastab-en.png"));

    // The report of the ticked strings, printed to a PDF file.
    QTemporaryDir printed;
    qputenv(PrintJob::PdfDirVariable, printed.path().toLocal8Bit());
    t.control<QPushButton>(QStringLiteral("CmdReportMake"))->click();
    ASSERT_TRUE(FrmReportIsLoaded());
    FrmReport* report = FrmReportWindow();
    QApplication::processEvents();
    FrmMessWindow::Unload();
    report->Command1[0]->click();
    QApplication::processEvents();
    FrmMessWindow::Unload();
    qunsetenv(PrintJob::PdfDirVariable);
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    for (int s = 0; s < Report::WindowSlots; ++s) {
        EXPECT_EQ(report->RowLabels[Report::Capa][std::size_t(s)]->text(), QStringLiteral("2.55")) << s;
        EXPECT_EQ(report->RowLabels[Report::DataJudge][std::size_t(s)]->text(), Ui(580)) << s;
    }
    const QFileInfoList pdfs = QDir(printed.path()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1);
    const QString pdf = pdfs[0].filePath();
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.contains(Site)) << text.toStdString();
        EXPECT_TRUE(text.contains(Ui(580))) << text.toStdString();
        EXPECT_FALSE(text.contains(Ui(581))) << text.toStdString();
        EXPECT_FALSE(text.contains(Ui(582))) << text.toStdString();
    }
    const QString keep = qEnvironmentVariable("HX_SCREENS_DIR");
    if (!keep.isEmpty()) {
        const QString to = QDir(keep).filePath(QStringLiteral("sample-print-report.pdf"));
        QFile::remove(to);
        EXPECT_TRUE(QFile::copy(pdf, to));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("110"), QStringLiteral("-png"),
                                                 QStringLiteral("-singlefile"), to,
                                                 QDir(keep).filePath(QStringLiteral("sample-print-report"))});
    }
    report->findChild<QPushButton*>(QStringLiteral("CmdBack"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
