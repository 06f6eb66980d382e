// The print buttons of the report window end to end, through the real
// printer: the default printer "HeliodexPDF", a CUPS-PDF queue that
// scripts/print-queue.sh sets up (scripts/test.sh does so for the run),
// whose PDF files are read back with pdfinfo and pdftotext. Where there is
// no such printer the tests say so and print to the PDF folder instead.
//
// With HX_SCREENS_DIR set, the three printed pages are also written there
// as PDF files (print-report.pdf, print-equipment.pdf, print-curves.pdf).
#include "ReportWindowEnv.h"

#include "common/FrmMessWindow.h"
#include "platform/PrintJob.h"
#include "report/PrintPages.h"
#include "report/ReportLogo.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
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

constexpr char kQueue[] = "HeliodexPDF";
// Where the queue's CUPS-PDF writes (scripts/print-queue.sh).
QString CupsPdfFolder()
{
    const QString own = qEnvironmentVariable("HELIODEX_CUPS_PDF_OUT");
    return own.isEmpty() ? QStringLiteral("/var/spool/heliodex-cups-pdf") : own;
}

QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(20000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PrintedPdf {
    QString path;
    QString info; // pdfinfo
    QString text; // pdftotext -layout
};

// Where the jobs of a test go and how they are read back.
class PrintTarget {
  public:
    PrintTarget()
    {
        qunsetenv(PrintJob::PdfDirVariable);
        if (QPrinterInfo::defaultPrinterName() == QLatin1String(kQueue) && QFileInfo(CupsPdfFolder()).isDir()) {
            cups = true;
            folder = CupsPdfFolder();
        } else {
            std::printf("[ PRINT    ] No CUPS-PDF default printer \"%s\" (cupsd not running or queue not set up): "
                        "printing to the PDF folder instead\n",
                        kQueue);
            std::fflush(stdout);
            folder = own.path();
            qputenv(PrintJob::PdfDirVariable, folder.toLocal8Bit());
        }
        start = QDateTime::currentDateTime().addSecs(-2);
    }
    ~PrintTarget()
    {
        for (const QString& p : taken)
            QFile::remove(p);
        qunsetenv(PrintJob::PdfDirVariable);
    }

    // Waits (at most 30 s: a CUPS-PDF job takes a moment) until `count`
    // new PDF files holding `marker` are there, and reads them in the order
    // they were written.
    std::vector<PrintedPdf> take(int count, const QString& marker)
    {
        std::vector<PrintedPdf> found;
        QElapsedTimer clock;
        clock.start();
        while (int(found.size()) < count && clock.elapsed() < 30000) {
            const QFileInfoList files =
                QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed);
            for (const QFileInfo& f : files) {
                if (f.lastModified() < start || seen.contains(f.filePath()))
                    continue;
                // A file is read once its size held still for one poll:
                // CUPS-PDF may still be writing it.
                const qint64 before = sizes.value(f.filePath(), -1);
                sizes[f.filePath()] = f.size();
                if (before != f.size())
                    continue;
                int rc = 0;
                const QString info = RunTool(QStringLiteral("pdfinfo"), {f.filePath()}, &rc);
                if (rc != 0)
                    continue; // still being written
                seen.insert(f.filePath());
                const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), f.filePath(),
                                                                       QStringLiteral("-")});
                if (!text.contains(marker))
                    continue;
                taken << f.filePath();
                found.push_back({f.filePath(), info, text});
            }
            if (int(found.size()) < count)
                QThread::msleep(100);
        }
        return found;
    }

    bool cups = false;
    QString folder;

  private:
    QTemporaryDir own;
    QDateTime start;
    QSet<QString> seen;
    QHash<QString, qint64> sizes;
    QStringList taken;
};

bool HaveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QString PageSize(const QString& info)
{
    for (const QString& line : info.split(u'\n'))
        if (line.startsWith(QLatin1String("Page size:")))
            return line.mid(10).trimmed();
    return QString();
}

int Pages(const QString& info)
{
    for (const QString& line : info.split(u'\n'))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return 0;
}

// A4 in points, portrait (595 by 842) or landscape.
bool IsA4(const QString& size, bool landscape)
{
    const QStringList parts = size.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return false;
    const double w = parts[0].toDouble();
    const double h = parts[2].toDouble();
    const double a = landscape ? 842 : 595, b = landscape ? 595 : 842;
    return std::abs(w - a) < 2 && std::abs(h - b) < 2;
}

// The curves page stands across the sheet: an A4 landscape page, or, as a
// printer that takes its paper upright puts it, the page turned on an A4
// portrait sheet, its words running up or down.
bool IsLandscape(const PrintedPdf& pdf, const QString& word)
{
    const QString size = PageSize(pdf.info);
    if (IsA4(size, true))
        return true;
    if (!IsA4(size, false))
        return false;
    const QString boxes = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf.path, QStringLiteral("-")});
    const QRegularExpression re(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                                               "yMax=\"([0-9.]+)\">") +
                                QRegularExpression::escape(word) + QStringLiteral("<"));
    const QRegularExpressionMatch m = re.match(boxes);
    if (!m.hasMatch())
        return false;
    const double w = m.captured(3).toDouble() - m.captured(1).toDouble();
    const double h = m.captured(4).toDouble() - m.captured(2).toDouble();
    return h > w;
}

// The report window over a customer whose texts carry `marker`.
FrmReport* OpenReport(ReportWindowEnv& env, const QString& marker)
{
    Global::UserDataRecord.CustomerCode = marker;
    Global::ArrayConfiguration.TotalPm = QStringLiteral("5400");
    Global::ArrayConfiguration.ExtMemo = marker;
    // Two groups of strings with their power conditioners and coefficients.
    ArrayConfigurationType& a = Global::ArrayConfiguration;
    for (int g : {0, 5}) {
        const auto at = std::size_t(g);
        a.GroupMaker[at] = g == 0 ? QStringLiteral("SunMaker") : QStringLiteral("Bright Cells");
        for (int r = 0; r < (g == 0 ? 3 : 2); ++r)
            a.StringRows[at * 5 + std::size_t(r)] = {g == 0 ? QStringLiteral("SM-215") : QStringLiteral("BC-250"),
                                                     QStringLiteral("8"), QStringLiteral("1"),
                                                     g == 0 ? QStringLiteral("215.00") : QStringLiteral("250.00"),
                                                     QStringLiteral("36.9"), QStringLiteral("7.95")};
        a.GroupPowCon[at] = {QString::number(g + 1), QStringLiteral("PcMaker"), QStringLiteral("PC-55")};
        a.GroupRatedPm[at] = g == 0 ? QStringLiteral("5160") : QStringLiteral("4000");
        a.GroupPmTempCoef[at] = QStringLiteral("-0.45");
        a.GroupAlpha[at] = QStringLiteral("0.0012");
        a.GroupBeta[at] = QStringLiteral("-0.13");
        a.GroupRs[at] = QStringLiteral("0.35");
        a.GroupK[at] = QStringLiteral("0.0015");
    }
    View v = MakeView(4, 3);
    v.records[1].F[MeasRecord::Position] = marker;
    return env.open(v);
}

void Click(QPushButton* b)
{
    b->click();
    ReportWindowEnv::settle();
}

QString Marker()
{
    return QStringLiteral("HX%1").arg(QRandomGenerator::global()->generate() % 100000000, 8, 10, QLatin1Char('0'));
}

// Scripted dialogs that run `onMessage` as each message box comes up.
struct WatchingDialogs : ScriptedDialogs {
    std::function<void()> onMessage;
    int message(const MessageRequest& r) override
    {
        if (onMessage)
            onMessage();
        return ScriptedDialogs::message(r);
    }
};

} // namespace

// First in the file: the printer look-up must not have found a printer yet.
TEST(PrintEndToEnd, NoDefaultPrinterShowsTheErrorAndNothingElse)
{
    qunsetenv(PrintJob::PdfDirVariable);
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    qputenv("CUPS_SERVER", "/nonexistent/heliodex-no-cups.sock");
    ReportWindowEnv env;
    FrmReport* f = OpenReport(env, Marker());
    ASSERT_NE(f, nullptr);
    // While the error is on screen the print is still running: no print
    // button takes a click.
    auto* watching = new WatchingDialogs;
    setDialogs(std::unique_ptr<Dialogs>(watching));
    env.w.env.dialogs = watching;
    std::vector<bool> enabledDuringPrint;
    watching->onMessage = [&] {
        for (QPushButton* b : {f->Command1[0], f->Command1[1], f->CmdWavePrint})
            enabledDuringPrint.push_back(b->isEnabled());
    };
    FrmMessWindow::Unload();
    ReportWindowEnv::settle();

    Click(f->Command1[1]);
    EXPECT_EQ(enabledDuringPrint, std::vector<bool>(3, false));
    const QStringList boxes = Boxes(*env.w.env.dialogs);
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Heliodex|ERROR No:484 "))) << boxes[0].toStdString();
    EXPECT_FALSE(FrmMessWindow::IsLoaded());
    EXPECT_TRUE(f->Command1[0]->isEnabled());
    EXPECT_TRUE(f->Command1[1]->isEnabled());
    EXPECT_TRUE(f->CmdWavePrint->isEnabled());

    Click(f->CmdWavePrint);
    EXPECT_EQ(Boxes(*env.w.env.dialogs).size(), 2);
    EXPECT_FALSE(FrmMessWindow::IsLoaded());
    qunsetenv("CUPS_SERVER");
}

TEST(PrintEndToEnd, BasicDetailedAndCurvesPrints)
{
    if (!HaveTools())
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are needed to read the printed pages";
    PrintTarget target;
    ReportWindowEnv env;
    const QString marker = Marker();
    FrmReport* f = OpenReport(env, marker);
    ASSERT_NE(f, nullptr);
    env.w.env.dialogs->log.clear();
    FrmMessWindow::Unload();
    ReportWindowEnv::settle();

    // The basic print: one A4 portrait page, then "PRINT START".
    Click(f->Command1[0]);
    EXPECT_TRUE(Boxes(*env.w.env.dialogs).isEmpty()) << Boxes(*env.w.env.dialogs).join(u'\n').toStdString();
    ASSERT_TRUE(FrmMessWindow::IsLoaded());
    EXPECT_EQ(FrmMessWindow::Load(f)->LblMess->text(), QStringLiteral("PRINT START"));
    FrmMessWindow::Unload();
    std::vector<PrintedPdf> basic = target.take(1, marker);
    ASSERT_EQ(basic.size(), 1u) << "no printed page in " << target.folder.toStdString();
    EXPECT_EQ(Pages(basic[0].info), 1);
    EXPECT_TRUE(IsA4(PageSize(basic[0].info), false)) << PageSize(basic[0].info).toStdString();
    for (const QString& want : {Ui(504), Ui(375) + QStringLiteral(":1/1"), QStringLiteral("Sample Farm"),
                                QStringLiteral("South roof"), QStringLiteral("0003-01-01"), Ui(342)})
        EXPECT_TRUE(basic[0].text.contains(want)) << want.toStdString() << "\n" << basic[0].text.toStdString();

    // The detailed print: two jobs, the report page and the equipment page.
    Click(f->Command1[1]);
    EXPECT_TRUE(FrmMessWindow::IsLoaded());
    FrmMessWindow::Unload();
    std::vector<PrintedPdf> detailed = target.take(2, marker);
    ASSERT_EQ(detailed.size(), 2u);
    const PrintedPdf* first = nullptr;
    const PrintedPdf* second = nullptr;
    for (const PrintedPdf& p : detailed) {
        EXPECT_EQ(Pages(p.info), 1);
        EXPECT_TRUE(IsA4(PageSize(p.info), false));
        if (p.text.contains(Ui(375) + QStringLiteral(":1/2")))
            first = &p;
        if (p.text.contains(Ui(412) + QStringLiteral(":2/2")))
            second = &p;
    }
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (const QString& want : {Ui(391), QStringLiteral("01 ") + Ui(394), QStringLiteral("10 ") + Ui(394),
                                QStringLiteral("5400"), QStringLiteral("SunMaker")})
        EXPECT_TRUE(second->text.contains(want)) << want.toStdString() << "\n" << second->text.toStdString();

    // The curves print: one A4 landscape page, no message.
    Click(f->CmdWavePrint);
    EXPECT_FALSE(FrmMessWindow::IsLoaded());
    std::vector<PrintedPdf> curves = target.take(1, marker);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(Pages(curves[0].info), 1);
    EXPECT_TRUE(IsLandscape(curves[0], QStringLiteral("0002-01-01"))) << PageSize(curves[0].info).toStdString();
    EXPECT_TRUE(curves[0].text.contains(Ui(513))) << curves[0].text.toStdString();
    EXPECT_TRUE(curves[0].text.contains(QStringLiteral("0002-01-01")));
    EXPECT_FALSE(curves[0].text.contains(QStringLiteral("Sample Farm")));
    EXPECT_TRUE(Boxes(*env.w.env.dialogs).isEmpty()) << Boxes(*env.w.env.dialogs).join(u'\n').toStdString();

    const QString keep = qEnvironmentVariable("HX_SCREENS_DIR");
    if (!keep.isEmpty()) {
        const std::pair<const PrintedPdf*, const char*> pages[] = {
            {&basic[0], "print-report.pdf"}, {second, "print-equipment.pdf"}, {&curves[0], "print-curves.pdf"}};
        for (const auto& [p, name] : pages) {
            const QString to = QDir(keep).filePath(QString::fromLatin1(name));
            QFile::remove(to);
            EXPECT_TRUE(QFile::copy(p->path, to));
        }
    }
}

// The pages under the Japanese language file, printed to the PDF folder:
// the Japanese texts are real text in the PDF. With HX_SCREENS_DIR set
// they are kept there as print-<report|equipment|curves>-ja.pdf.
TEST(PrintEndToEnd, JapanesePagesCarryTheirText)
{
    if (!HaveTools())
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are needed to read the printed pages";
    QTemporaryDir folder;
    qputenv(PrintJob::PdfDirVariable, folder.path().toLocal8Bit());
    ReportWindowEnv env(QStringLiteral("81"));
    Global::UserDataRecord.CustomerName = QStringLiteral("見本 太郎");
    Global::HistoryRecords[1].HistoryName = QStringLiteral("南面屋根 定期点検");
    // Two site photos: one wider than its box, one smaller.
    const QString wide = folder.filePath(QStringLiteral("roof.jpg"));
    const QString small = folder.filePath(QStringLiteral("box.png"));
    ASSERT_TRUE(WritePicture(wide, 400, 200, QColor(90, 140, 200), "JPEG"));
    ASSERT_TRUE(WritePicture(small, 120, 90, QColor(200, 150, 60)));
    Global::HistoryRecords[1].PicturePaths = {wide, QString(), QString(), small, QString()};
    const QString marker = Marker();
    FrmReport* f = OpenReport(env, marker);
    ASSERT_NE(f, nullptr);
    Click(f->Command1[1]);
    FrmMessWindow::Unload();
    Click(f->CmdWavePrint);
    qunsetenv(PrintJob::PdfDirVariable);
    EXPECT_TRUE(Boxes(*env.w.env.dialogs).isEmpty()) << Boxes(*env.w.env.dialogs).join(u'\n').toStdString();

    const QFileInfoList files =
        QDir(folder.path()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 3);
    const char* names[3] = {"print-report-ja.pdf", "print-equipment-ja.pdf", "print-curves-ja.pdf"};
    const QString texts[3][2] = {{QStringLiteral("見本 太郎"), Ui(375) + QStringLiteral(":1/2")},
                                 {QStringLiteral("01 ") + Ui(394), Ui(412) + QStringLiteral(":2/2")},
                                 {Ui(504), Ui(505)}};
    for (int k = 0; k < 3; ++k) {
        const QString text = RunTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-layout"), files[k].filePath(), QStringLiteral("-")});
        for (const QString& want : texts[k])
            EXPECT_TRUE(text.contains(want)) << names[k] << ": " << want.toStdString() << "\n" << text.toStdString();
        const QString keep = qEnvironmentVariable("HX_SCREENS_DIR");
        if (!keep.isEmpty()) {
            const QString to = QDir(keep).filePath(QString::fromLatin1(names[k]));
            QFile::remove(to);
            EXPECT_TRUE(QFile::copy(files[k].filePath(), to));
        }
    }
}

// A plot that cannot be drawn (no current, no voltage) is reported as the
// plot frame reports it, and the page still prints without its curves.
TEST(PrintEndToEnd, AnUndrawablePlotIsReportedAndThePagePrints)
{
    QTemporaryDir folder;
    qputenv(PrintJob::PdfDirVariable, folder.path().toLocal8Bit());
    ReportWindowEnv env;
    View v = MakeView(2, 2);
    for (int i = 0; i <= 2; ++i)
        for (auto& point : v.records[std::size_t(i)].IvPoints)
            point[MeasRecord::Volt] = point[MeasRecord::Amp] = QStringLiteral("0");
    FrmReport* f = env.open(v);
    ASSERT_NE(f, nullptr);
    env.w.env.dialogs->log.clear();
    Click(f->CmdWavePrint);
    qunsetenv(PrintJob::PdfDirVariable);
    const QStringList boxes = Boxes(*env.w.env.dialogs);
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("WaveClear|ERROR No:380 "))) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].endsWith(Ui(780))) << boxes[0].toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size(), 1);
}

namespace {

QString Squeezed(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

// The UI texts of each page's captions: the report page, the
// installed-equipment page and the curves page.
const std::vector<int> kReportCaptions = {504, 340, 341, 342, 343, 344, 345, 346, 347, 348, 349, 350, 351, 352,
                                          353, 354, 355, 356, 357, 358, 380, 381, 382, 127, 405, 406, 407, 363,
                                          364, 365, 366, 368, 369, 370, 373, 374, 377, 378, 379, 507};
const std::vector<int> kEquipmentCaptions = {390, 391, 392, 393, 394, 395, 396, 397, 300, 398, 399, 400,
                                             401, 402, 403, 404, 420, 421, 422, 683, 684, 685, 686};
const std::vector<int> kCurvesCaptions = {504, 340, 127, 405, 406, 407, 363, 364, 365, 366, 368,
                                          369, 370, 373, 374, 377, 378, 379, 507};

struct Word {
    QString text;
    QRectF box;
};

// The words of a one-page PDF with their boxes, and the page's size, in
// points.
std::vector<Word> Words(const QString& pdf, QSizeF* page)
{
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\"")).match(html);
    *page = size.hasMatch() ? QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()) : QSizeF();
    std::vector<Word> words;
    const QRegularExpression re(QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                                               "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.push_back({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// The page drawn as a picture at 36 dots per inch: the columns and rows
// between its outermost marks.
QRect InkExtent(const QString& pdf, QSize* sheet)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, base});
    const QImage image(base + QStringLiteral(".png"));
    *sheet = image.size();
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                ink = ink.united(QRect(x, y, 1, 1));
    return ink;
}

} // namespace

// Logos of 400, 900 and 1500 pixels: each page keeps to its sheet, its
// right-hand texts (the print date, the page label, the last column) on
// it, and every caption of the three pages is printed whole, in English
// and in Japanese.
TEST(PrintEndToEnd, WideLogosKeepEachPageOnItsSheetAndEveryCaptionWhole)
{
    if (!HaveTools() || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdfinfo, pdftotext and pdftoppm (poppler-utils) are needed to read the printed pages";
    for (const char* language : {"1", "81"}) {
        for (const int logoWidth : {400, 900, 1500}) {
            SCOPED_TRACE(std::string(language) + " logo " + std::to_string(logoWidth));
            QTemporaryDir folder;
            qputenv(PrintJob::PdfDirVariable, folder.path().toLocal8Bit());
            ReportWindowEnv env(QString::fromLatin1(language));
            const QString logo = env.w.env.root() + QStringLiteral("/logo.png");
            ASSERT_TRUE(WritePicture(logo, logoWidth, 100, QColor(20, 60, 140)));
            ASSERT_EQ(ChooseLogoFile(logo).kind, LogoChoice::Chosen);
            FrmReport* f = OpenReport(env, Marker());
            ASSERT_NE(f, nullptr);
            Click(f->Command1[1]);
            FrmMessWindow::Unload();
            Click(f->CmdWavePrint);
            qunsetenv(PrintJob::PdfDirVariable);
            RemoveLogo();
            EXPECT_TRUE(env.boxes().isEmpty()) << env.boxes().join(u'\n').toStdString();

            const QFileInfoList files =
                QDir(folder.path()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
            ASSERT_EQ(files.size(), 3);
            const QDate today = QDate::currentDate();
            for (const QFileInfo& file : files) {
                const QString text = Squeezed(RunTool(QStringLiteral("pdftotext"),
                                                      {QStringLiteral("-raw"), file.filePath(), QStringLiteral("-")}));
                const bool report = text.contains(Squeezed(ReportPageLabel(true)));
                const bool equipment = text.contains(Squeezed(EquipmentPageLabel()));
                const char* name = report ? "report page" : equipment ? "equipment page" : "curves page";
                SCOPED_TRACE(name);
                // The right-hand texts.
                QStringList right = {PrintDateText(equipment ? 390 : 340, today, QLocale::system())};
                if (report)
                    right << ReportPageLabel(true);
                if (equipment)
                    right << EquipmentPageLabel();
                if (!equipment)
                    right << Ui(379);
                for (const QString& want : right)
                    EXPECT_TRUE(text.contains(Squeezed(want))) << want.toStdString();
                // Every caption whole.
                for (int key : report ? kReportCaptions : equipment ? kEquipmentCaptions : kCurvesCaptions)
                    EXPECT_TRUE(text.contains(Squeezed(Ui(key)))) << key << " " << Ui(key).toStdString();

                // Every word on the sheet, and the drawing clear of its edges.
                QSizeF page;
                const std::vector<Word> words = Words(file.filePath(), &page);
                ASSERT_FALSE(page.isEmpty());
                EXPECT_GT(words.size(), 50u);
                for (const Word& w : words)
                    EXPECT_TRUE(QRectF(QPointF(0, 0), page).contains(w.box))
                        << w.text.toStdString() << " at " << w.box.left() << "," << w.box.top() << " to "
                        << w.box.right() << "," << w.box.bottom() << " on " << page.width() << "x" << page.height();
                QSize sheet;
                const QRect ink = InkExtent(file.filePath(), &sheet);
                ASSERT_FALSE(ink.isEmpty());
                // 5 mm at 36 dots per inch is 7 dots.
                EXPECT_GE(ink.left(), 7);
                EXPECT_GE(ink.top(), 7);
                EXPECT_LE(ink.right(), sheet.width() - 8);
                EXPECT_LE(ink.bottom(), sheet.height() - 8);
            }
        }
    }
}
