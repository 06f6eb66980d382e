#include "report/FrmReport.h"

#include "common/AppGlobals.h"
#include "common/ControlMakers.h"
#include "common/Controls.h"
#include "common/FrmMessWindow.h"
#include "customers/CustomerGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "measview/PlotEngine.h"
#include "measview/PlotPainter.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FlexGrid.h"
#include "report/CurveColors.h"
#include "report/FrmReportWaveColor.h"
#include "report/PrintPages.h"
#include "report/ReportContents.h"
#include "report/ReportGlobals.h"
#include "report/ReportLayout.h"
#include "report/ReportLogo.h"
#include "report/Swatch.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>

using ReportLayout::Place;

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QString Arr(const QString& name, int index)
{
    return name + u'_' + QString::number(index);
}

// The designed positions of the tab pages' controls count from the top of
// the tab control, its tab strip included.
constexpr int kTabStrip = 360;

// The window and its frames are light grey.
constexpr quint32 kBackColor = 0xE0E0E0;

// Captions are fitted to their boxes whenever the language sets them.
const char* const kFittedCaption = "fittedCaption";

QLabel* Caption(const QString& name, QWidget* parent, int l, int t, int w, int h,
                Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    QLabel* c = ControlMakers::newCaption(name, parent);
    c->setAlignment(align);
    c->setProperty(kFittedCaption, true);
    Place(c, l, t, w, h);
    return c;
}

QLabel* Value(const QString& name, QWidget* parent, int l, int t, int w, int h,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    QLabel* v = ControlMakers::newValue(name, parent);
    v->setAlignment(align);
    v->setMargin(0);
    v->setIndent(2);
    Place(v, l, t, w, h);
    return v;
}

QGroupBox* Frame(const QString& name, QWidget* parent, int l, int t, int w, int h)
{
    auto* f = ControlMakers::make<QGroupBox>(name, parent);
    Place(f, l, t, w, h);
    return f;
}

void SmallFont(QWidget* w, double points)
{
    w->setFont(ProgramFont(QStringLiteral("MS UI Gothic"), points));
}

// Columns of the row slots, in the order of Report::Column: control name,
// left and width in twips, and the index of their heading in LblTitle.
struct SlotColumn {
    const char* name;
    int left;
    int width;
    int title;
};
constexpr SlotColumn kColumns[Report::ColumnCount] = {
    {"LblDate", 540, 840, 0},     {"LblTime", 1380, 840, 1},      {"LblCode", 2220, 960, 2},
    {"LblPoint", 3180, 1305, 3},  {"LblPm", 4485, 750, 4},        {"LblVoc", 5235, 750, 5},
    {"LblIsc", 5985, 750, 6},     {"LblFF", 6735, 690, 16},       {"LblCellT", 7425, 885, 7},
    {"LblOutT", 8310, 870, 8},    {"LblE", 9180, 855, 9},         {"LblDust", 10035, 510, 10},
    {"LblDeg", 10515, 810, 11},   {"LblCapa", 11325, 810, 13},    {"LblDataMeas", 12135, 750, 14},
    {"LblDataJudge", 12885, 1050, 15},
};

// Slot rows and headings of the measurement-data tab, in page coordinates.
constexpr int kHeadingTop = 6420 - kTabStrip;
constexpr int kSlotTop = 6615 - kTabStrip;
constexpr int kSlotHeight = 210;

// The customer fields: top of each value, and (for the second phone
// number) its own left edge.
constexpr int kCustomerTops[10] = {270, 600, 930, 1260, 1590, 1920, 2430, 2430, 2760, 3090};

} // namespace

// ---------------------------------------------------------------------------
// Construction

FrmReport::FrmReport() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("FrmReport"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(ProgramFont(QStringLiteral("MS UI Gothic"), 9));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorFromValue(kBackColor));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(ReportLayout::X(this, 14265), ReportLayout::Y(this, 10110));
    build();
    showLogo(BuiltInLogo());
    Form_Load();
}

FrmReport::~FrmReport() = default;

void FrmReport::build()
{
    buildTop();
    SSTab1 = ControlMakers::make<QTabWidget>(QStringLiteral("SSTab1"), this);
    Place(SSTab1, 30, 1260, 14205, 8835);
    for (int t = 0; t < 3; ++t) {
        auto* page = new QWidget(SSTab1);
        page->setObjectName(Arr(QStringLiteral("SSTab1Page"), t));
        page->setAutoFillBackground(true);
        SSTab1->addTab(page, QString());
    }
    buildDataTab(SSTab1->widget(0));
    buildMeasTab(SSTab1->widget(1));
    buildEquipmentTab(SSTab1->widget(2));
}

void FrmReport::buildTop()
{
    // The title spans the window behind the buttons.
    LblReportTitle = Caption(QStringLiteral("LblReportTitle"), this, 0, 540, 14175, 360, Qt::AlignCenter);
    QFont title = ProgramFont(QStringLiteral("MS UI Gothic"), 16);
    title.setBold(true);
    LblReportTitle->setFont(title);

    for (int i = 0; i < 2; ++i) {
        auto* b = ControlMakers::make<QPushButton>(Arr(QStringLiteral("Command1"), i), this);
        Place(b, 120, 60 + 360 * i, 1455, 375);
        connect(b, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Command1[std::size_t(i)] = b;
    }
    CmdWavePrint = ControlMakers::make<QPushButton>(QStringLiteral("CmdWavePrint"), this);
    Place(CmdWavePrint, 120, 840, 1455, 375);
    connect(CmdWavePrint, &QPushButton::clicked, this, [this] { CmdWavePrint_Click(); });
    CmdBack = ControlMakers::make<QPushButton>(QStringLiteral("CmdBack"), this);
    Place(CmdBack, 1620, 840, 1455, 375);
    connect(CmdBack, &QPushButton::clicked, this, [this] { CmdBack_Click(); });

    // Right-aligned under the logo; a long list of models grows to the left.
    LblMeasMachine = Caption(QStringLiteral("LblMeasMachine"), this, 3240, 930, 10935, 255,
                             Qt::AlignRight | Qt::AlignVCenter);

    Image1 = ControlMakers::make<QLabel>(QStringLiteral("Image1_0"), this);
    Image1->setScaledContents(true);
    Image1->move(ReportLayout::X(this, 11910), ReportLayout::Y(this, 60));
    Image1->installEventFilter(this);
    // Nothing in the top band covers a button.
    for (QPushButton* b : {Command1[0], Command1[1], CmdWavePrint, CmdBack})
        b->raise();

    MnuPicDeleteMenu = new QMenu(this);
    MnuPicDeleteMenu->setObjectName(QStringLiteral("MnuPicDeleteMenu"));
    MnuPicDelete = MnuPicDeleteMenu->addAction(QString());
    MnuPicDelete->setObjectName(QStringLiteral("MnuPicDelete"));
    connect(MnuPicDelete, &QAction::triggered, this, [this] { MnuPicDelete_Click(); });
}

void FrmReport::buildDataTab(QWidget* page)
{
    const int off = kTabStrip;
    FraData = Frame(QStringLiteral("FraData"), page, 300, 750 - off, 6015, 3465);
    for (int i = 0; i < 10; ++i) {
        const int top = kCustomerTops[i];
        const bool secondPhone = i == 7;
        const int headLeft = secondPhone ? 3240 : 120;
        const int height = i == 5 ? 435 : 255;
        LblRepoMess[std::size_t(i)] =
            Caption(Arr(QStringLiteral("LblRepoMess"), i), FraData, headLeft, top, secondPhone ? 870 : 1110, 255);
        const int left = secondPhone ? 4140 : 1260;
        const int width = i == 6 ? 1935 : secondPhone ? 1755 : 4635;
        LblData[std::size_t(i)] = Value(Arr(QStringLiteral("LblData"), i), FraData, left, top, width, height,
                                        Qt::AlignLeft | (i == 5 ? Qt::AlignTop : Qt::AlignVCenter));
        if (i == 5)
            LblData[5]->setWordWrap(true);
    }

    FraJob = Frame(QStringLiteral("FraJob"), page, 300, 4680 - off, 6015, 3645);
    const struct {
        int head;
        int left;
        int top;
        int width;
        int height;
    } job[6] = {{10, 1260, 270, 2055, 255}, {11, 1260, 600, 4635, 255}, {12, 1920, 1080, 1575, 255},
                {13, 1920, 1410, 1575, 255}, {14, 1920, 1740, 1575, 255}, {15, 1260, 2220, 4635, 1335}};
    for (const auto& j : job) {
        LblRepoMess[std::size_t(j.head)] = Caption(Arr(QStringLiteral("LblRepoMess"), j.head), FraJob, 120, j.top,
                                                   j.head >= 12 && j.head <= 14 ? 1770 : 1110, 255);
        const bool memo = j.head == 15;
        LblData[std::size_t(j.head)] =
            Value(Arr(QStringLiteral("LblData"), j.head), FraJob, j.left, j.top, j.width, j.height,
                  memo ? Qt::AlignLeft | Qt::AlignTop
                       : (j.head >= 12 && j.head <= 14 ? Qt::AlignRight | Qt::AlignVCenter
                                                       : Qt::AlignLeft | Qt::AlignVCenter));
        if (memo)
            LblData[15]->setWordWrap(true);
    }

    FraMakers = Frame(QStringLiteral("FraMakers"), page, 6420, 6330 - off, 7185, 2025);
    const int lefts[3] = {60, 4290, 5730};
    const int widths[3] = {4185, 1395, 1395};
    for (int k = 0; k < 3; ++k)
        LblRepoMess[std::size_t(16 + k)] =
            Caption(Arr(QStringLiteral("LblRepoMess"), 16 + k), FraMakers, lefts[k], 210, widths[k], 225);
    for (int c = 0; c < 5; ++c) {
        const int top = 450 + 300 * c;
        LblCompanyName[std::size_t(c)] =
            Value(Arr(QStringLiteral("LblCompanyName"), c), FraMakers, lefts[0], top, widths[0] - 45, 255);
        LblCompanyTel[std::size_t(c)] =
            Value(Arr(QStringLiteral("LblCompanyTel"), c), FraMakers, lefts[1], top, widths[1] - 45, 255);
        LblCompanyCharge[std::size_t(c)] =
            Value(Arr(QStringLiteral("LblCompanyCharge"), c), FraMakers, lefts[2], top, widths[2] - 45, 255);
    }

    const int photoLeft[4] = {6390, 9990, 6390, 9990};
    const int photoTop[4] = {840, 840, 3540, 3540};
    for (int k = 0; k < 4; ++k) {
        auto* box = ControlMakers::make<QLabel>(Arr(QStringLiteral("ImgPic"), k), page);
        box->setScaledContents(true);
        Place(box, photoLeft[k], photoTop[k] - off, PhotoWidth, PhotoHeight);
        ImgPic[std::size_t(k)] = box;
    }
}

void FrmReport::buildMeasTab(QWidget* page)
{
    const int off = kTabStrip;
    PicWave = ControlMakers::make<QLabel>(QStringLiteral("PicWave"), page);
    Place(PicWave, 180, 420 - off, 13815, 5745);
    PicWave->setFrameShape(QFrame::Box);
    PicWave->setAutoFillBackground(true);
    PicWave->setBackgroundRole(QPalette::Base);
    PicWave->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SmallFont(PicWave, 8);
    LblMeasType = Caption(QStringLiteral("LblMeasType"), PicWave, 120, 120, 3600, 255);

    LblJudgeView = Caption(QStringLiteral("LblJudgeView"), page, 11475, 6180 - off, 2595, 225, Qt::AlignCenter);
    LblJudgeView->setFrameShape(QFrame::Box);

    for (int k = 0; k < Report::ColumnCount; ++k) {
        const SlotColumn& col = kColumns[k];
        QLabel* head = Caption(Arr(QStringLiteral("LblTitle"), col.title), page, col.left, kHeadingTop, col.width,
                               195, Qt::AlignCenter);
        SmallFont(head, 8);
        LblTitle[std::size_t(col.title)] = head;
        for (int s = 0; s < Slots; ++s) {
            QLabel* cell = Value(Arr(QString::fromLatin1(col.name), s), page, col.left,
                                 kSlotTop + kSlotHeight * s, col.width, kSlotHeight, Qt::AlignCenter);
            cell->setFrameShadow(QFrame::Plain);
            SmallFont(cell, 8);
            RowLabels[std::size_t(k)][std::size_t(s)] = cell;
        }
    }
    LblWaveTitle[1] = Caption(QStringLiteral("LblWaveTitle_1"), page, 60, kHeadingTop, 240, 195, Qt::AlignCenter);
    LblWaveTitle[0] = Caption(QStringLiteral("LblWaveTitle_0"), page, 300, kHeadingTop, 240, 195, Qt::AlignCenter);
    for (QLabel* t : LblWaveTitle)
        SmallFont(t, 7);
    for (int s = 0; s < Slots; ++s) {
        auto* pv = new Swatch(Arr(QStringLiteral("PicPV"), s), page);
        auto* iv = new Swatch(Arr(QStringLiteral("PicIV"), s), page);
        Place(pv, 60, kSlotTop + kSlotHeight * s, 240, kSlotHeight);
        Place(iv, 300, kSlotTop + kSlotHeight * s, 240, kSlotHeight);
        pv->onDoubleClick = [this, s] { PicPV_DblClick(s); };
        iv->onDoubleClick = [this, s] { PicIV_DblClick(s); };
        PicPV[std::size_t(s)] = pv;
        PicIV[std::size_t(s)] = iv;
    }

    VScroll1 = ControlMakers::make<QScrollBar>(QStringLiteral("VScroll1"), page);
    VScroll1->setOrientation(Qt::Vertical);
    Place(VScroll1, 13950, kHeadingTop, 195, 2295);
    // A drag changes the rows when the thumb is let go; an arrow or a click
    // in the trough moves one row.
    VScroll1->setTracking(false);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
}

void FrmReport::buildEquipmentTab(QWidget* page)
{
    FraArray = Frame(QStringLiteral("FraArray"), page, 90, 360 - kTabStrip, 13935, 8415);
    LblRepoMess[19] =
        Caption(QStringLiteral("LblRepoMess_19"), FraArray, 300, 720, 3660, 255, Qt::AlignRight | Qt::AlignVCenter);
    LblMeasPmMax = Value(QStringLiteral("LblMeasPmMax"), FraArray, 4050, 690, 2175, 315,
                         Qt::AlignRight | Qt::AlignVCenter);
    FraRepoExt = Frame(QStringLiteral("FraRepoExt"), FraArray, 7830, 120, 4935, 1005);
    LblExtData = Value(QStringLiteral("LblExtData"), FraRepoExt, 180, 210, 4575, 735, Qt::AlignLeft | Qt::AlignTop);
    LblExtData->setWordWrap(true);
    SmallFont(LblExtData, 8);

    SSTab2 = ControlMakers::make<QTabWidget>(QStringLiteral("SSTab2"), FraArray);
    Place(SSTab2, 300, 1140, 13275, 7245);
    for (int t = 0; t < 2; ++t) {
        auto* tab = new QWidget(SSTab2);
        tab->setObjectName(Arr(QStringLiteral("SSTab2Page"), t));
        SSTab2->addTab(tab, t == 0 ? QStringLiteral("01-05") : QStringLiteral("06-10"));
    }
    for (int g = 0; g < Groups; ++g)
        buildGroup(SSTab2->widget(g / 5), g);
}

void FrmReport::buildGroup(QWidget* page, int g)
{
    const int r = g % 5;
    const int lefts[5] = {150, 4470, 8790, 150, 4470};
    const int tops[5] = {360, 360, 360, 3780, 3780};
    const int powTops[5] = {3120, 3120, 3120, 6540, 6540};
    const auto at = std::size_t(g);
    auto mess = [this, g](int k) -> QString {
        return Arr(QStringLiteral("LblRepoMess"), 10 * g + 20 + k);
    };
    auto keep = [this, g](int k, QLabel* l) {
        LblRepoMess[std::size_t(10 * g + 20 + k)] = l;
    };

    QGroupBox* sel = Frame(Arr(QStringLiteral("FraStringSel"), g), page, lefts[r], tops[r] - kTabStrip, 4275, 2805);
    FraStringSel[at] = sel;
    SmallFont(sel, 8);

    // The module frame ends where the coefficient frame begins.
    QGroupBox* grp = Frame(Arr(QStringLiteral("FraGroup"), g), sel, 60, 180, 4155, 1800);
    FraGroup[at] = grp;
    keep(0, Caption(mess(0), grp, 60, 240, 600, 195));
    LblSrMaker[at] = Value(Arr(QStringLiteral("LblSrMaker"), g), grp, 660, 240, 1320, 195);
    LblStringPm[at] = Caption(Arr(QStringLiteral("LblStringPm"), g), grp, 2010, 240, 1380, 195,
                              Qt::AlignRight | Qt::AlignVCenter);
    LblStringTotalPm[at] = Value(Arr(QStringLiteral("LblStringTotalPm"), g), grp, 3435, 240, 660, 195,
                                 Qt::AlignRight | Qt::AlignVCenter);
    const int colLeft[6] = {60, 1410, 1905, 2400, 2985, 3570};
    const int colWidth[6] = {1335, 480, 480, 570, 570, 540};
    for (int k = 0; k < 6; ++k) {
        QLabel* head = Caption(mess(1 + k), grp, colLeft[k], 480, colWidth[k], 195, Qt::AlignCenter);
        SmallFont(head, 7);
        keep(1 + k, head);
    }
    for (int row = 0; row < 5; ++row) {
        const int k = 5 * g + row;
        const int top = 690 + 210 * row;
        const auto n = std::size_t(k);
        LblSerial[n] = Value(Arr(QStringLiteral("LblSerial"), k), grp, colLeft[0], top, colWidth[0], 195);
        LblCnt[n] = Value(Arr(QStringLiteral("LblCnt"), k), grp, colLeft[1], top, colWidth[1], 195, Qt::AlignCenter);
        LblCntH[n] = Value(Arr(QStringLiteral("LblCntH"), k), grp, colLeft[2], top, colWidth[2], 195, Qt::AlignCenter);
        LblSrPm[n] = Value(Arr(QStringLiteral("LblSrPm"), k), grp, colLeft[3], top, colWidth[3], 195,
                           Qt::AlignRight | Qt::AlignVCenter);
        LblSrVoc[n] = Value(Arr(QStringLiteral("LblSrVoc"), k), grp, colLeft[4], top, colWidth[4], 195,
                            Qt::AlignRight | Qt::AlignVCenter);
        LblSrIsc[n] = Value(Arr(QStringLiteral("LblSrIsc"), k), grp, colLeft[5], top, colWidth[5], 195,
                            Qt::AlignRight | Qt::AlignVCenter);
    }

    QGroupBox* corr = Frame(Arr(QStringLiteral("FraPmCorrect"), g), sel, 60, 1980, 4155, 795);
    FraPmCorrect[at] = corr;
    LblPmTempCorrectTitle[at] = Caption(Arr(QStringLiteral("LblPmTempCorrectTitle"), g), corr, 60, 210, 1920, 180);
    LblPmTemp[at] = Value(Arr(QStringLiteral("LblPmTemp"), g), corr, 2040, 210, 960, 180);
    LblAlphaTitle[at] = Caption(Arr(QStringLiteral("LblAlphaTitle"), g), corr, 60, 405, 1020, 180);
    LblAlpha[at] = Value(Arr(QStringLiteral("LblAlpha"), g), corr, 1080, 405, 900, 180);
    LblBetaTitle[at] = Caption(Arr(QStringLiteral("LblBetaTitle"), g), corr, 2100, 405, 1020, 180);
    LblBeta[at] = Value(Arr(QStringLiteral("LblBeta"), g), corr, 3120, 405, 960, 180);
    LblRsTitle[at] = Caption(Arr(QStringLiteral("LblRsTitle"), g), corr, 60, 600, 1020, 180);
    LblRs[at] = Value(Arr(QStringLiteral("LblRs"), g), corr, 1080, 600, 900, 180);
    LblKTitle[at] = Caption(Arr(QStringLiteral("LblKTitle"), g), corr, 2100, 600, 1020, 180);
    LblK[at] = Value(Arr(QStringLiteral("LblK"), g), corr, 3120, 600, 960, 180);

    QGroupBox* pow = Frame(Arr(QStringLiteral("FraPowConGroup"), g), page, lefts[r], powTops[r] - kTabStrip, 4275, 675);
    FraPowConGroup[at] = pow;
    SmallFont(pow, 8);
    keep(7, Caption(mess(7), pow, 60, 300, 570, 255));
    LblPowConNo[at] = Value(Arr(QStringLiteral("LblPowConNo"), g), pow, 645, 300, 330, 255, Qt::AlignCenter);
    keep(8, Caption(mess(8), pow, 1020, 300, 600, 255));
    LblPowConMaker[at] = Value(Arr(QStringLiteral("LblPowConMaker"), g), pow, 1635, 300, 1005, 255);
    keep(9, Caption(mess(9), pow, 2685, 300, 480, 255));
    LblPowConSerial[at] = Value(Arr(QStringLiteral("LblPowConSerial"), g), pow, 3180, 300, 1035, 255);
}

// ---------------------------------------------------------------------------
// Load

void FrmReport::Form_Load()
{
    Guarded(QStringLiteral("Form_Load"), [&] {
        PhotoWidth = 3600;
        PhotoHeight = 2700;
        LanguageInitial();
        clearContents();
        FirstShownRow = 0;
        DataView();

        showLogo(ReportLogo());
        placeLogo();

        if (QScreen* s = screen())
            move(s->availableGeometry().topLeft());
        else
            move(0, 0);

        // Every report row can reach the slots: the last position shows the
        // last ten.
        const int rows = int(ReportRows(Global::MeasFileCount, Global::DisplayTick).size());
        {
            const QSignalBlocker quiet(VScroll1);
            VScroll1->setRange(0, std::max(0, rows - Slots));
            VScroll1->setValue(0);
        }
        VScroll1->setEnabled(rows > Slots);

        const bool pv = ReportPvView();
        LblWaveTitle[1]->setVisible(pv);
        for (Swatch* s : PicPV)
            s->setVisible(pv);

        SSTab1->setCurrentIndex(1);
    });
}

void FrmReport::LanguageInitial()
{
    Guarded(QStringLiteral("LanguageInitial"), [&] {
        setWindowTitle(Ui(430));
        Command1[0]->setText(Ui(431));
        Command1[1]->setText(Ui(432));
        SSTab1->setCurrentIndex(0);
        SSTab1->setTabText(0, Ui(433));
        FraData->setTitle(Ui(434));
        for (int i = 0; i < 10; ++i)
            LblRepoMess[std::size_t(i)]->setText(Ui(435 + i));
        FraJob->setTitle(Ui(445));
        for (int i = 10; i < 16; ++i)
            LblRepoMess[std::size_t(i)]->setText(Ui(436 + i));
        FraMakers->setTitle(Ui(452));
        for (int i = 16; i < 19; ++i)
            LblRepoMess[std::size_t(i)]->setText(Ui(437 + i));
        SSTab1->setCurrentIndex(1);
        SSTab1->setTabText(1, Ui(456));
        for (int i = 0; i <= 6; ++i)
            LblTitle[std::size_t(i)]->setText(Ui(457 + i));
        for (int i = 7; i <= 9; ++i)
            LblTitle[std::size_t(i)]->setText(Ui(458 + i));
        LblTitle[10]->setText(Ui(474));
        LblTitle[11]->setText(Ui(475));
        LblTitle[13]->setText(Ui(492));
        LblTitle[14]->setText(Ui(496));
        LblTitle[15]->setText(Ui(497));
        LblTitle[16]->setText(Ui(507));
        SSTab1->setCurrentIndex(2);
        SSTab1->setTabText(2, Ui(476));
        FraArray->setTitle(Ui(477));
        LblRepoMess[19]->setText(Ui(478));
        FraRepoExt->setTitle(Ui(479));
        for (int g = 0; g < Groups; ++g) {
            const auto at = std::size_t(g);
            auto mess = [&](int k) { return LblRepoMess[std::size_t(10 * g + 20 + k)]; };
            FraGroup[at]->setTitle(QStringLiteral("%1 ").arg(g + 1, 2, 10, QLatin1Char('0')) + Ui(480));
            mess(0)->setText(Ui(481));
            mess(1)->setText(Ui(482));
            mess(2)->setText(Ui(483));
            mess(3)->setText(Ui(300));
            for (int k = 4; k <= 6; ++k)
                mess(k)->setText(Ui(480 + k));
            FraPowConGroup[at]->setTitle(Ui(487));
            for (int k = 7; k <= 9; ++k)
                mess(k)->setText(Ui(481 + k));
            LblStringPm[at]->setText(Ui(501));
            FraPmCorrect[at]->setTitle(Ui(502));
            LblPmTempCorrectTitle[at]->setText(Ui(503));
            LblAlphaTitle[at]->setText(Ui(683));
            LblBetaTitle[at]->setText(Ui(684));
            LblRsTitle[at]->setText(Ui(685));
            LblKTitle[at]->setText(Ui(686));
            FraStringSel[at]->setTitle(Ui(296));
        }
        LblJudgeView->setText(Ui(127));
        LblReportTitle->setText(Ui(504));
        const QString view = ReportViewName(ReportResultView());
        if (!view.isNull())
            LblMeasType->setText(view);
        LblWaveTitle[0]->setText(Ui(703));
        LblWaveTitle[1]->setText(Ui(704));
        CmdBack->setText(Ui(678));
        MnuPicDelete->setText(Ui(724));
        CmdWavePrint->setText(Ui(509));
        // The two report print buttons grow to their caption: the English ones are wider
        // than the button, and the title they stand beside is centred.
        for (QPushButton* b : Command1)
            b->resize(std::max(b->width(), b->sizeHint().width()), b->height());
        for (QLabel* caption : findChildren<QLabel*>())
            if (caption->property(kFittedCaption).toBool())
                ReportLayout::FitCaption(caption);
        SSTab1->setCurrentIndex(0);
        SSTab2->setCurrentIndex(0);
    });
}

void FrmReport::clearContents()
{
    for (QLabel* l : LblData)
        l->clear();
    for (QLabel* box : ImgPic) {
        box->clear();
        box->resize(ReportLayout::X(box, PhotoWidth), ReportLayout::Y(box, PhotoHeight));
    }
    LblMeasPmMax->clear();
    for (int g = 0; g < Groups; ++g) {
        const auto at = std::size_t(g);
        LblSrMaker[at]->clear();
        for (int k = 5 * g; k < 5 * g + 5; ++k) {
            const auto n = std::size_t(k);
            for (QLabel* l : {LblSerial[n], LblCnt[n], LblSrPm[n], LblSrVoc[n], LblSrIsc[n]})
                l->clear();
        }
        for (QLabel* l : {LblPowConNo[at], LblPowConMaker[at], LblPowConSerial[at], LblStringTotalPm[at],
                          LblPmTemp[at], LblAlpha[at], LblBeta[at], LblRs[at], LblK[at]})
            l->clear();
    }
    ClearPicture(PicWave);
    for (int k = 0; k < Report::ColumnCount; ++k) {
        if (k == Report::Capa || k == Report::DataMeas || k == Report::DataJudge)
            continue;
        for (QLabel* l : RowLabels[std::size_t(k)])
            l->clear();
    }
    LblExtData->clear();
    for (int c = 0; c < 5; ++c) {
        LblCompanyName[std::size_t(c)]->clear();
        LblCompanyTel[std::size_t(c)]->clear();
        LblCompanyCharge[std::size_t(c)]->clear();
    }
}

// ---------------------------------------------------------------------------
// The contents fill

void FrmReport::DataView()
{
    Guarded(QStringLiteral("DataView"), [&] {
        for (auto& column : RowLabels)
            for (QLabel* l : column)
                l->clear();
        fillHeader();
        fillEquipment();

        LblMeasMachine->hide();
        const std::vector<MeasRecord>& view = Global::MeasViewRecords;
        const ReportTotals totals = ReportTotalsOf(view, Global::MeasFileCount, Global::DisplayTick);
        fillRows();
        // Rows left out of the totals are said once, not at every scroll.
        if (!totals.leftOut.empty() && !leftOutReported) {
            leftOutReported = true;
            MsgBox(LeftOutMessage(view, totals.leftOut), vbOKOnly | vbInformation);
        }

        Global::ReportPmTotal = totals.pmTotal;
        Global::ReportVocMean = totals.vocMean;
        Global::ReportIscTotal = totals.iscTotal;
        // Without a ticked measurement there is nothing to total: empty.
        const ReportTotalTexts shown =
            ReportTotalLabels(totals.pmTotal, totals.vocMean, totals.iscTotal, FirstMeasurementVersion(view));
        LblData[12]->setText(shown.pm);
        LblData[13]->setText(shown.voc);
        LblData[14]->setText(shown.isc);
        WavePlot();
    });
}

void FrmReport::fillHeader()
{
    const ReportHeader h = ReportHeaderOf(ReportHistoryIndex());
    for (int i = 0; i < 10; ++i)
        LblData[std::size_t(i)]->setText(h.customer[std::size_t(i)]);
    LblData[10]->setText(h.measDate);
    LblData[11]->setText(h.historyName);
    LblData[15]->setText(h.memo);
    for (std::size_t c = 0; c < h.contractors.size(); ++c) {
        LblCompanyName[c]->setText(h.contractors[c][0]);
        LblCompanyTel[c]->setText(h.contractors[c][1]);
        LblCompanyCharge[c]->setText(h.contractors[c][2]);
    }
    fillPhotos(h.photoPaths);
}

void FrmReport::fillPhotos(const std::array<QString, 4>& paths)
{
    for (std::size_t k = 0; k < ImgPic.size(); ++k) {
        QLabel* box = ImgPic[k];
        box->hide();
        box->clear();
        box->resize(ReportLayout::X(box, PhotoWidth), ReportLayout::Y(box, PhotoHeight));
        const ReportPhoto photo =
            LoadReportPhoto(paths[k], QSizeF(PhotoWidth, PhotoHeight), box->logicalDpiX(), box->logicalDpiY());
        if (!photo.image.isNull()) {
            box->setPixmap(QPixmap::fromImage(photo.image));
            box->resize(std::max(1, ReportLayout::X(box, photo.sizeTwips.width())),
                        std::max(1, ReportLayout::Y(box, photo.sizeTwips.height())));
        }
        box->show();
        // An unreadable photo leaves its box empty and is said once; the
        // rest of the report is still filled.
        if (photo.error && photoReported.insert(paths[k]).second)
            ShowErrorReport(QStringLiteral("DataView"), *photo.error);
    }
}

void FrmReport::fillEquipment()
{
    const ReportEquipment e = ReportEquipmentOf(Global::ArrayConfiguration);
    LblMeasPmMax->setText(e.totalPm);
    LblExtData->setText(e.extMemo);
    for (int g = 0; g < Groups; ++g) {
        const auto at = std::size_t(g);
        const ReportGroupTexts& gr = e.groups[at];
        LblSrMaker[at]->setText(gr.maker);
        for (int r = 0; r < 5; ++r) {
            const auto n = std::size_t(5 * g + r);
            const ReportStringRowTexts& row = gr.rows[std::size_t(r)];
            LblSerial[n]->setText(row.model);
            LblCnt[n]->setText(row.series);
            LblSrPm[n]->setText(row.pm);
            LblSrVoc[n]->setText(row.voc);
            LblSrIsc[n]->setText(row.isc);
            LblCntH[n]->setText(row.parallel);
        }
        LblPowConNo[at]->setText(gr.powConNo);
        LblPowConMaker[at]->setText(gr.powConMaker);
        LblPowConSerial[at]->setText(gr.powConModel);
        LblStringTotalPm[at]->setText(gr.ratedPm);
        LblPmTemp[at]->setText(gr.pmTempCoef);
        LblAlpha[at]->setText(gr.alpha);
        LblBeta[at]->setText(gr.beta);
        LblRs[at]->setText(gr.rs);
        LblK[at]->setText(gr.k);
    }
}

void FrmReport::fillRows()
{
    const std::vector<MeasRecord>& view = Global::MeasViewRecords;
    const bool judgementOn = ReportJudgementOn();
    const std::vector<ReportRow> rows =
        ReportRowsShown(view, Global::MeasFileCount, Global::DisplayTick, FirstShownRow, Slots, judgementOn);
    for (const ReportRow& r : rows) {
        const auto s = std::size_t(r.row - FirstShownRow);
        PicIV[s]->setBackColor(CurveColorOf(CurveColor::IV, r.row));
        PicPV[s]->setBackColor(CurveColorOf(CurveColor::PV, r.row));
        for (int k = 0; k < Report::ColumnCount; ++k)
            RowLabels[std::size_t(k)][s]->setText(r.cells[std::size_t(k)]);
    }
    if (!rows.empty()) {
        LblJudgeView->setVisible(judgementOn);
        if (!judgementOn)
            for (int t : {13, 14, 15})
                LblTitle[std::size_t(t)]->clear();
    }
    LblMeasMachine->setText(ModelListOf(rows, view));
    ReportLayout::FitCaption(LblMeasMachine);
    LblMeasMachine->show();
}

void FrmReport::colourSwatches()
{
    const int rows = int(ReportRows(Global::MeasFileCount, Global::DisplayTick).size());
    for (int s = 0; s < Slots && FirstShownRow + s < rows; ++s) {
        PicIV[std::size_t(s)]->setBackColor(CurveColorOf(CurveColor::IV, FirstShownRow + s));
        PicPV[std::size_t(s)]->setBackColor(CurveColorOf(CurveColor::PV, FirstShownRow + s));
    }
}

void FrmReport::WavePlot()
{
    ReportPlotOptions options;
    options.pvView = ReportPvView();
    options.frameReading = PointReading::Value;
    const std::optional<PlotModel> model = ReportPlotModel(Global::MeasViewRecords, Global::MeasFileCount,
                                                           Global::DisplayTick, options, PictureSurface(PicWave));
    if (!model) {
        Global::SharedPlotLayout.LabelGapX = 1;
        Global::SharedPlotLayout.LabelGapY = 2;
        return;
    }
    KeepPlotState(*model, Global::MeasPlotScale);
    ShowPlot(PicWave, *model);
    ReportPlotErrors(*model, Global::MeasViewRecords, QStringLiteral("WaveDraw"));
}

// ---------------------------------------------------------------------------
// Handlers

void FrmReport::VScroll1_Change()
{
    Guarded(QStringLiteral("VScroll1_Change"), [&] {
        FirstShownRow = VScroll1->value();
        DataView();
    });
}

namespace {

// The print buttons stay disabled while a print runs, so that no second
// print can start in between (nothing lets window events through meanwhile).
class PrintButtonsOff {
  public:
    explicit PrintButtonsOff(FrmReport* f) : buttons{f->Command1[0], f->Command1[1], f->CmdWavePrint}
    {
        for (QPushButton* b : buttons)
            b->setEnabled(false);
    }
    ~PrintButtonsOff()
    {
        for (const QPointer<QPushButton>& b : buttons)
            if (b)
                b->setEnabled(true);
    }
    PrintButtonsOff(const PrintButtonsOff&) = delete;
    PrintButtonsOff& operator=(const PrintButtonsOff&) = delete;

  private:
    std::array<QPointer<QPushButton>, 3> buttons;
};

// Prints one page after reporting what its plot could not draw. A page that
// does not print is reported under `title` (empty: the program's title) and
// ends the print: nothing after it is printed or announced.
bool PrintOnePage(const PageModel& page, const PrintInputs& in, const QString& title)
{
    if (page.plot)
        ReportPlotErrors(*page.plot, in.view, QString());
    try {
        PrintPage(page);
        return true;
    } catch (...) {
        ShowErrorReport(title, ToAppError(std::current_exception()));
        return false;
    }
}

} // namespace

void FrmReport::Command1_Click(int index)
{
    const PrintButtonsOff off(this);
    Guarded(QStringLiteral("Command1_Click"), [&] {
        const bool detailed = index == 1;
        const PrintInputs in = CurrentPrintInputs();
        if (!PrintOnePage(PrintReportPage(in, ReportPageLabel(detailed)), in, QString()))
            return;
        if (detailed && !PrintOnePage(PrintEquipmentPage(in, EquipmentPageLabel()), in,
                                      QStringLiteral("Command1_Click")))
            return;
        Global::MessWindowText = QStringLiteral("PRINT START");
        FrmMessWindow* message = FrmMessWindow::Load(this);
        message->setBackColor(0xFF0000);
        message->setMessForeColor(0xFFFF);
        message->Show();
    });
}

void FrmReport::CmdWavePrint_Click()
{
    const PrintButtonsOff off(this);
    Guarded(QStringLiteral("CmdWavePrint_Click"), [&] {
        const PrintInputs in = CurrentPrintInputs();
        PrintOnePage(PrintWavePage(in), in, QString());
    });
}

void FrmReport::CmdBack_Click()
{
    ShowMainWindowAgain();
    close();
}

void FrmReport::PicIV_DblClick(int)
{
    {
        FrmReportWaveColor dialog(this);
        dialog.exec();
    }
    // However the dialog closed, the plot and the swatches show the colours
    // in memory.
    WavePlot();
    colourSwatches();
}

void FrmReport::PicPV_DblClick(int index)
{
    PicIV_DblClick(index);
}

void FrmReport::Image1_DblClick()
{
    FileRequest request;
    request.filter = Ui(539);
    request.startDir = QDir::homePath();
    const QString path = dialogs().openFile(request);
    if (path.isEmpty())
        return;
    const LogoChoice choice = ChooseLogoFile(path);
    if (choice.error) {
        ShowErrorReport(QStringLiteral("Image1_DblClick"), *choice.error, true);
        return;
    }
    showLogo(choice.image);
    placeLogo();
}

void FrmReport::Image1_MouseDown(Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::RightButton && !StoredLogoPath().isEmpty())
        MnuPicDeleteMenu->popup(globalPos);
}

void FrmReport::MnuPicDelete_Click()
{
    if (!RemoveLogo()) {
        ShowErrorReport(QStringLiteral("MnuPicDelete_Click"), AppError(75), true);
        return;
    }
    showLogo(BuiltInLogo());
    placeLogo();
}

void FrmReport::showLogo(const QImage& picture)
{
    logo = picture;
    Image1->setPixmap(QPixmap::fromImage(picture));
    const QSizeF size = LogoSizeTwips(picture);
    Image1->resize(std::max(1, ReportLayout::X(Image1, size.width())),
                   std::max(1, ReportLayout::Y(Image1, size.height())));
}

void FrmReport::placeLogo()
{
    // The right edge stands 150 twips in from the window's width. The
    // border around it is the window system's and is not known before the
    // window is shown, so the width is the client area's, at load and later.
    Image1->move(width() - Image1->width() - ReportLayout::X(this, 150), Image1->y());
}

bool FrmReport::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            Image1_DblClick();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(event);
            Image1_MouseDown(m->button(), m->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmReport::Form_QueryUnload(bool& cancel, int unloadMode)
{
    cancel = false;
    switch (unloadMode) {
    case vbFormControlMenu:
        ShowMainWindowAgain();
        break;
    case vbAppWindows:
    case vbAppTaskManager:
    case vbFormMDIForm:
        EndProgramNow();
    default:
        break;
    }
}

void FrmReport::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (cancel) {
        event->ignore();
        return;
    }
    // Unloaded: the window goes once this event is done.
    if (Global::ReportForm == this)
        Global::ReportForm = nullptr;
    event->accept();
}
