#include "app/FrmMain.h"

#include "app/DataControl.h"
#include "app/ToolsMenu.h"
#include "app/MeasEditBox.h"
#include "common/ControlMakers.h"
#include "common/FrmMessWindow.h"
#include "common/GridWheel.h"
#include "common/Language.h"
#include "common/QueryUnload.h"
#include "catalog/CatalogTab.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerTab.h"
#include "instrument/ForwardTab.h"
#include "measview/MeasViewTab.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"
#include "platform/Registry.h"
#include "platform/TabWidget.h"
#include "report/CurveColors.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

QString nm(const char* name)
{
    return QString::fromLatin1(name);
}

// --- widget makers: each gets its control name as objectName ---------------

using ControlMakers::make;
using ControlMakers::newCaption;
using ControlMakers::newValue;
using ControlMakers::paintButton;

QLineEdit* newText(const QString& name, QWidget* parent, int minWidth = 0)
{
    auto* t = make<QLineEdit>(name, parent);
    if (minWidth > 0)
        t->setMinimumWidth(minWidth);
    return t;
}

QPlainTextEdit* newMemo(const QString& name, QWidget* parent, int lines)
{
    auto* t = make<QPlainTextEdit>(name, parent);
    t->setTabChangesFocus(true);
    const int h = t->fontMetrics().lineSpacing() * lines + 2 * t->frameWidth() + 8;
    t->setMinimumHeight(h);
    t->setMaximumHeight(h);
    return t;
}

QPushButton* newButton(const QString& name, QWidget* parent)
{
    auto* b = make<QPushButton>(name, parent);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* newFrame(const QString& name, QWidget* parent)
{
    return make<QGroupBox>(name, parent);
}

FlexGrid* newGrid(const QString& name, QWidget* parent)
{
    return make<FlexGrid>(name, parent);
}

// A picture box: shows a picture (or a drawing) from its top left corner.
QLabel* newPicture(const QString& name, QWidget* parent, int widthTwips, int heightTwips)
{
    auto* p = make<QLabel>(name, parent);
    p->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    p->setFrameShape(QFrame::Box);
    p->setAutoFillBackground(true);
    p->setBackgroundRole(QPalette::Base);
    if (widthTwips > 0)
        p->setFixedSize(TwipsToPixelsX(widthTwips, p), TwipsToPixelsY(heightTwips, p));
    return p;
}

// The curve graphs label ten grid steps across a narrow picture: a small
// font keeps the tick labels apart.
void setGraphFont(QLabel* picture)
{
    QFont f = picture->font();
    f.setPointSizeF(f.pointSizeF() > 0 ? f.pointSizeF() * 0.8 : 7);
    picture->setFont(f);
}

// A catalogue list is as wide as its one column of 20 blanks and a scroll bar.
int oneColumnListWidth(const FlexGrid* g)
{
    const QFontMetrics fm(g->font());
    return fm.horizontalAdvance(QString(22, u' ')) + g->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
           2 * g->frameWidth() + 2;
}

QGridLayout* gridIn(QWidget* w, int margin = 6, int spacing = 4)
{
    auto* g = new QGridLayout(w);
    g->setContentsMargins(margin, margin, margin, margin);
    g->setHorizontalSpacing(spacing + 2);
    g->setVerticalSpacing(spacing);
    return g;
}

QHBoxLayout* rowIn(QWidget* w, int margin = 6)
{
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(margin, margin, margin, margin);
    h->setSpacing(6);
    return h;
}

QVBoxLayout* columnIn(QWidget* w, int margin = 6)
{
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(margin, margin, margin, margin);
    v->setSpacing(4);
    return v;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction

// The customer and construction-history choice of a measurement tab (page 0
// measurement data, 1 instrument data), from grid row `firstRow` down.
void FrmMain::addCustomerChoice(QGridLayout* grid, QWidget* page, int index, int firstRow)
{
    auto* code = reg(make<QComboBox>(arr("CmbCodeName", index), page));
    code->setMinimumWidth(110);
    grid->addWidget(code, firstRow, 1);
    grid->addWidget(reg(newValue(arr("LblCodeName", index), page, 90)), firstRow, 2);
    auto* name = reg(make<QComboBox>(arr("CmbUserName", index), page));
    name->setMinimumWidth(110);
    grid->addWidget(name, firstRow + 1, 1);
    grid->addWidget(reg(newValue(arr("LblUserName", index), page, 90)), firstRow + 1, 2);
    grid->addWidget(reg(newValue(arr("LblSiteName", index), page)), firstRow + 2, 1, 1, 2);
    grid->addWidget(reg(make<QComboBox>(arr("CmbHistorySel", index), page)), firstRow + 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(AppTitle);
    setFont(ProgramFont(QStringLiteral("MS UI Gothic"), 9));
    Global::MainForm = this;
    RegisterMainWindow(this);

    buildMenus();

    SSTab = reg(make<TabWidget>(nm("SSTab"), this));
    SSTab->setDocumentMode(false);
    setCentralWidget(SSTab);
    QWidget* pages[4];
    for (int t = 0; t < 4; ++t) {
        pages[t] = make<QWidget>(QStringLiteral("SSTabPage_%1").arg(t), SSTab);
        SSTab->addTab(pages[t], QString());
    }
    buildCustomerTab(pages[0]);
    buildMeasTab(pages[1]);
    buildForwardTab(pages[2]);
    buildCatalogTab(pages[3]);
    for (int t = 0; t < 4; ++t)
        watchEdits(pages[t], t);

    // Two hidden picture boxes used while pictures are converted.
    for (const char* name : {"PicMini", "PicTmp"}) {
        auto* p = reg(newPicture(nm(name), this, 0, 0));
        p->setFrameShape(QFrame::NoFrame);
        p->hide();
    }

    connectHandlers();
    qApp->installEventFilter(this);
}

FrmMain::~FrmMain()
{
    if (Global::MainForm == this)
        Global::MainForm = nullptr;
    ForgetMainWindow(this);
}

QObject* FrmMain::controlObject(const QString& name) const
{
    return named.value(name, nullptr);
}

QAction* FrmMain::addAction(const QString& name, QMenu* menu)
{
    auto* a = new QAction(menu);
    a->setObjectName(name);
    menu->addAction(a);
    return reg(a);
}

void FrmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto* system = reg(make<QMenu>(nm("MnuSystem"), this));
    bar->addMenu(system);
    addAction(nm("MnuEnd"), system);

    auto* tools = reg(make<QMenu>(nm("MnuTools"), this));
    bar->addMenu(tools);
    addAction(nm("MnuSaveFolderSel"), tools);
    addAction(nm("MnuBar2"), tools)->setSeparator(true);
    addAction(nm("MnuBackup"), tools);
    addAction(nm("MnuInportBar"), tools)->setSeparator(true);
    addAction(nm("MnuInport"), tools);
    addAction(nm("MnuWebBar"), tools)->setSeparator(true);
    auto* update = reg(make<QMenu>(nm("MnuUpdate"), tools));
    tools->addMenu(update);
    addAction(nm("MnuUpdateInternet"), update);

    // Pop-up menus, never in the menu bar.
    auto* picDel = reg(make<QMenu>(nm("MnuPicDel"), this));
    addAction(nm("MnuPicDelete"), picDel);
    auto* copyPaste = reg(make<QMenu>(nm("MnuCopyPasteMenu"), this));
    addAction(arr("MnuCopyPaste", 0), copyPaste);
    addAction(arr("MnuCopyPaste", 1), copyPaste);
}

// --- customer tab -----------------------------------------------------------

void FrmMain::buildCustomerTab(QWidget* page)
{
    auto* pageLayout = columnIn(page, 6);

    // Customer fields.
    auto* fraData = reg(newFrame(nm("FraData"), page));
    auto* g = gridIn(fraData);
    auto field = [&](int idx, int row, int col, int span = 1) {
        g->addWidget(reg(newCaption(arr("LblUserMess", idx), fraData)), row, col);
        g->addWidget(reg(newText(arr("TxtIn", idx), fraData, 110)), row, col + 1, 1, span);
    };
    field(0, 0, 0);
    field(1, 0, 2);
    field(2, 1, 0);
    field(3, 1, 2);
    field(4, 2, 0);
    field(9, 2, 2);
    field(5, 3, 0, 3);
    field(6, 4, 0);
    field(7, 4, 2);
    field(8, 5, 0, 3);
    g->addWidget(reg(newCaption(arr("LblUserMess", 10), fraData)), 6, 0, Qt::AlignTop);
    g->addWidget(reg(newMemo(arr("TxtIn", 10), fraData, 3)), 6, 1, 1, 3);
    auto* dataButtons = new QHBoxLayout;
    dataButtons->addStretch(1);
    dataButtons->addWidget(reg(newButton(arr("CmdBtn", 3), fraData)));
    dataButtons->addWidget(reg(newButton(arr("CmdBtn", 0), fraData)));
    g->addLayout(dataButtons, 7, 0, 1, 4);
    g->setRowStretch(8, 1);

    // Construction histories.
    auto* fraWork = reg(newFrame(nm("FraWork"), page));
    auto* work = rowIn(fraWork);
    auto* left = new QGridLayout;
    left->setHorizontalSpacing(6);
    left->setVerticalSpacing(4);
    left->addWidget(reg(newCaption(arr("LblUserMess", 12), fraWork)), 0, 0);
    left->addWidget(reg(newText(arr("TxtIn", 11), fraWork, 150)), 0, 1, 1, 3);
    left->addWidget(reg(newCaption(arr("LblUserMess", 20), fraWork)), 1, 0);
    left->addWidget(reg(newValue(nm("LblDate"), fraWork, 80)), 1, 1);
    left->addWidget(reg(newCaption(arr("LblUserMess", 13), fraWork)), 1, 2);
    left->addWidget(reg(newValue(nm("LblMeasDataPm"), fraWork, 60)), 1, 3);
    left->addWidget(reg(newCaption(arr("LblUserMess", 14), fraWork)), 2, 0);
    left->addWidget(reg(newValue(nm("LblMeasDataVoc"), fraWork, 60)), 2, 1);
    left->addWidget(reg(newCaption(arr("LblUserMess", 15), fraWork)), 2, 2);
    left->addWidget(reg(newValue(nm("LblMeasDataIsc"), fraWork, 60)), 2, 3);
    left->addWidget(reg(newCaption(arr("LblUserMess", 16), fraWork)), 3, 0, Qt::AlignTop);
    left->addWidget(reg(newMemo(arr("TxtIn", 12), fraWork, 4)), 3, 1, 1, 3);
    auto* pager = new QHBoxLayout;
    pager->setSpacing(4);
    auto* prev = reg(newButton(arr("CmdScl", 0), fraWork));
    auto* next = reg(newButton(arr("CmdScl", 1), fraWork));
    prev->setMaximumWidth(60);
    next->setMaximumWidth(60);
    pager->addWidget(prev);
    pager->addWidget(reg(newValue(nm("LblPage"), fraWork, 32)));
    pager->addWidget(next);
    pager->addSpacing(8);
    pager->addWidget(reg(newCaption(arr("LblUserMess", 21), fraWork)));
    pager->addWidget(reg(newValue(nm("LblTotalPage"), fraWork, 32)));
    pager->addStretch(1);
    pager->addWidget(reg(newButton(nm("CmdDelete"), fraWork)));
    left->addLayout(pager, 4, 0, 1, 4);
    left->setRowStretch(5, 1);
    left->setColumnStretch(1, 1);
    left->setColumnStretch(3, 1);
    work->addLayout(left, 1);

    auto* picColumn = new QVBoxLayout;
    picColumn->setSpacing(4);
    auto* img = reg(newPicture(arr("ImgPic", 0), fraWork, 3200, 2400));
    img->setFrameShape(QFrame::Box);
    picColumn->addWidget(img);
    auto* options = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* op = reg(make<QRadioButton>(arr("OpPicSel", i), fraWork));
        op->setText(QString::number(i + 1));
        options->addWidget(op);
    }
    picColumn->addLayout(options);
    picColumn->addWidget(reg(newButton(arr("CmdPicReg", 0), fraWork)));
    picColumn->addStretch(1);
    work->addLayout(picColumn, 0);

    auto* fraMakers = reg(newFrame(nm("FraMakers"), fraWork));
    auto* mk = gridIn(fraMakers, 6, 3);
    for (int c = 0; c < 3; ++c)
        mk->addWidget(reg(newCaption(arr("LblUserMess", 17 + c), fraMakers)), 0, c, Qt::AlignHCenter);
    for (int i = 0; i < 5; ++i) {
        mk->addWidget(reg(newText(arr("TxtCompanyName", i), fraMakers, 120)), i + 1, 0);
        mk->addWidget(reg(newText(arr("TxtCompanyTel", i), fraMakers, 90)), i + 1, 1);
        mk->addWidget(reg(newText(arr("TxtCompanyCharge", i), fraMakers, 80)), i + 1, 2);
    }
    mk->setColumnStretch(0, 3);
    mk->setColumnStretch(1, 2);
    mk->setColumnStretch(2, 2);
    mk->setRowStretch(6, 1);
    work->addWidget(fraMakers, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(fraData, 4);
    top->addWidget(fraWork, 7);
    pageLayout->addLayout(top, 0);

    // The customer list and the installation.
    auto* fraList = reg(newFrame(nm("FraList"), page));
    auto* list = columnIn(fraList);
    MfgUserList = reg(newGrid(nm("MfgUserList"), fraList));
    list->addWidget(MfgUserList, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch(1);
    listButtons->addWidget(reg(newButton(arr("CmdBtn", 2), fraList)));
    listButtons->addWidget(reg(newButton(arr("CmdBtn", 1), fraList)));
    list->addLayout(listButtons);

    auto* fraSite = reg(newFrame(nm("FraSiteDate"), page));
    auto* site = columnIn(fraSite);
    auto* pmRow = new QHBoxLayout;
    pmRow->addWidget(reg(newCaption(arr("LblUserMess", 11), fraSite)));
    pmRow->addWidget(reg(newValue(nm("LblModulePmMax"), fraSite, 80)), 1);
    site->addLayout(pmRow);
    site->addWidget(reg(newButton(arr("CmdBtn", 10), fraSite)));
    site->addWidget(reg(newButton(arr("CmdBtn", 11), fraSite)));
    site->addStretch(1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fraList, 1);
    bottom->addWidget(fraSite, 0);
    pageLayout->addLayout(bottom, 1);
}

// --- measurement-data tab ---------------------------------------------------

void FrmMain::buildMeasTab(QWidget* page)
{
    auto* pageLayout = columnIn(page, 6);

    // Chosen customer and construction history.
    auto* choice = new QGridLayout;
    choice->setHorizontalSpacing(6);
    choice->setVerticalSpacing(4);
    for (int i = 0; i < 4; ++i)
        choice->addWidget(reg(newCaption(arr("LblViewMess", i), page)), i, 0);
    addCustomerChoice(choice, page, 0, 0);

    auto* fraArray = reg(newFrame(nm("FraViewArray"), page));
    auto* arrayRow = rowIn(fraArray);
    arrayRow->addWidget(reg(newCaption(arr("LblViewMess", 4), fraArray)));
    arrayRow->addWidget(reg(newValue(nm("LblMeasModuleData"), fraArray, 80)), 1);

    auto* fraExt = reg(newFrame(nm("FraViewExt"), page));
    auto* extCol = columnIn(fraExt);
    auto* ext = reg(newValue(nm("LblExtData"), fraExt));
    ext->setWordWrap(true);
    ext->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ext->setMinimumHeight(ext->fontMetrics().lineSpacing() * 3 + 6);
    extCol->addWidget(ext);

    auto* leftCol = new QVBoxLayout;
    leftCol->addLayout(choice);
    leftCol->addWidget(fraArray);
    leftCol->addWidget(fraExt, 1);

    // Array groups, one tab each.
    SSTab1 = reg(make<TabWidget>(nm("SSTab1"), page));
    for (int gr = 0; gr < 10; ++gr) {
        auto* tab = new QWidget(SSTab1);
        SSTab1->addTab(tab, QStringLiteral("%1").arg(gr + 1, 2, 10, QLatin1Char('0')));
        auto* tg = gridIn(tab, 4, 3);

        // The group's string rows: its modules (maker, rated Pm, the five
        // rows) and its correction coefficients.
        auto* fraStrings = reg(newFrame(arr("FraStringSel", gr), tab));
        auto* sg = gridIn(fraStrings, 4, 3);
        auto* fraModule = reg(newFrame(arr("FraViewModule", gr), fraStrings));
        auto* rows = gridIn(fraModule, 4, 2);
        auto* makerRow = new QHBoxLayout;
        makerRow->addWidget(reg(newCaption(arr("LblViewMess", 10 * gr + 5), fraModule)));
        makerRow->addWidget(reg(newValue(arr("LblModMaker", gr), fraModule, 120)), 1);
        makerRow->addSpacing(10);
        makerRow->addWidget(reg(newCaption(arr("LblStringPm", gr), fraModule)));
        makerRow->addWidget(reg(newValue(arr("LblStringTotalPm", gr), fraModule, 70)));
        rows->addLayout(makerRow, 0, 0, 1, 6);
        for (int c = 0; c < 6; ++c)
            rows->addWidget(reg(newCaption(arr("LblViewMess", 10 * gr + 6 + c), fraModule)), 1, c,
                            Qt::AlignHCenter);
        static const char* const cells[6] = {"LblModCode", "LblModCnt", "LblModCntH",
                                             "LblModPm",   "LblModVoc", "LblModIsc"};
        static const int widths[6] = {120, 40, 40, 55, 55, 55};
        for (int j = 5 * gr; j < 5 * gr + 5; ++j)
            for (int c = 0; c < 6; ++c)
                rows->addWidget(reg(newValue(arr(cells[c], j), fraModule, widths[c])), j - 5 * gr + 2, c);
        rows->setColumnStretch(0, 3);
        sg->addWidget(fraModule, 0, 0);

        auto* fraCorrect = reg(newFrame(arr("FraViewPmCorrect", gr), fraStrings));
        auto* cg = gridIn(fraCorrect, 4, 3);
        static const char* const titles[5] = {"LblPmTempCorrectTitle", "LblAlphaTitle", "LblBetaTitle",
                                              "LblRsTitle", "LblKTitle"};
        static const char* const values[5] = {"LblPmTemp", "LblAlpha", "LblBeta", "LblRs", "LblK"};
        for (int k = 0; k < 5; ++k) {
            cg->addWidget(reg(newCaption(arr(titles[k], gr), fraCorrect)), k, 0);
            cg->addWidget(reg(newValue(arr(values[k], gr), fraCorrect, 60)), k, 1);
        }
        cg->setRowStretch(5, 1);
        sg->addWidget(fraCorrect, 0, 1);
        sg->setColumnStretch(0, 1);
        tg->addWidget(fraStrings, 0, 0);

        auto* fraPowCon = reg(newFrame(arr("FraViewPowCon", gr), tab));
        auto* pc = rowIn(fraPowCon, 4);
        pc->addWidget(reg(newCaption(arr("LblViewMess", 10 * gr + 12), fraPowCon)));
        pc->addWidget(reg(newValue(arr("LblPowConNo", gr), fraPowCon, 30)));
        pc->addWidget(reg(newCaption(arr("LblViewMess", 10 * gr + 13), fraPowCon)));
        pc->addWidget(reg(newValue(arr("LblPowConMaker", gr), fraPowCon, 100)), 1);
        pc->addWidget(reg(newCaption(arr("LblViewMess", 10 * gr + 14), fraPowCon)));
        pc->addWidget(reg(newValue(arr("LblPowConSerial", gr), fraPowCon, 100)), 1);
        tg->addWidget(fraPowCon, 1, 0);
    }

    auto* top = new QHBoxLayout;
    top->addLayout(leftCol, 2);
    top->addWidget(SSTab1, 5);
    pageLayout->addLayout(top, 0);

    // Result views: the list is shared by the three views and moves onto the
    // page shown.
    SSTab3 = reg(make<TabWidget>(nm("SSTab3"), page));
    for (int v = 0; v < 3; ++v) {
        auto* view = new QWidget(SSTab3);
        auto* vg = gridIn(view, 4, 3);
        vg->addWidget(reg(newCaption(arr("LblJudgeView", v), view)), 0, 0);
        vg->setColumnStretch(1, 1);
        vg->setRowStretch(1, 1);
        SSTab3->addTab(view, QString());
    }
    measListTop = new QWidget(page);
    auto* topRow = rowIn(measListTop, 0);
    auto* all = reg(newButton(nm("CmdDspAll"), measListTop));
    all->setText(QStringLiteral("All"));
    topRow->addWidget(all);
    topRow->addStretch(1);
    auto* judge = reg(make<QCheckBox>(nm("ChkJudgeOff"), measListTop));
    judge->setAutoFillBackground(true);
    QPalette jp = judge->palette();
    jp.setColor(QPalette::Window, ColorFromValue(0x80FF80));
    judge->setPalette(jp);
    topRow->addWidget(judge);
    measListArea = new QWidget(page);
    auto* listCol = columnIn(measListArea, 0);
    MfgMeasList = reg(newGrid(nm("MfgMeasList"), measListArea));
    MfgMeasList->setTickable(true);
    listCol->addWidget(MfgMeasList);
    auto* edit0 = reg(newText(arr("TxtPoinrIn", 0), measListArea));
    edit0->hide();
    moveMeasListInto(0);

    // Curves and commands.
    auto* right = new QVBoxLayout;
    auto* pic2 = reg(newPicture(arr("Pic", 2), page, 0, 0));
    pic2->setMinimumSize(360, 220);
    setGraphFont(pic2);
    pic2->setFrameShape(QFrame::StyledPanel);
    pic2->setFrameShadow(QFrame::Sunken);
    auto* measType = reg(newCaption(nm("LblMeasType"), pic2));
    measType->setFont(page->font());
    measType->move(8, 4);
    right->addWidget(pic2, 1);
    auto* viewButtons = new QHBoxLayout;
    viewButtons->addWidget(reg(newButton(arr("CmdDataView", 0), page)));
    viewButtons->addWidget(reg(newButton(arr("CmdDataView", 1), page)));
    viewButtons->addWidget(reg(make<QCheckBox>(nm("ChkPV_VIEW"), page)));
    right->addLayout(viewButtons);
    auto* bottomButtons = new QHBoxLayout;
    auto* fraControl = reg(newFrame(nm("FraDataControl"), page));
    auto* fc = rowIn(fraControl, 4);
    auto* del = reg(newButton(arr("CmdDataControl", 0), fraControl));
    paintButton(del, 0x8080FF);
    fc->addWidget(del);
    auto* rewrite = reg(newButton(arr("CmdDataControl", 1), fraControl));
    rewrite->hide();
    fc->addWidget(rewrite);
    bottomButtons->addWidget(fraControl);
    bottomButtons->addStretch(1);
    bottomButtons->addWidget(reg(newButton(nm("CmdReportMake"), page)), 0, Qt::AlignBottom);
    right->addLayout(bottomButtons);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(SSTab3, 1);
    bottom->addLayout(right, 0);
    pageLayout->addLayout(bottom, 1);
}

void FrmMain::moveMeasListInto(int view)
{
    QWidget* target = SSTab3->widget(view);
    if (!target || (measListArea->parentWidget() == target))
        return;
    for (QWidget* w : {measListTop, measListArea})
        if (w->parentWidget() && w->parentWidget()->layout())
            w->parentWidget()->layout()->removeWidget(w);
    auto* g = static_cast<QGridLayout*>(target->layout());
    g->addWidget(measListTop, 0, 1);
    g->addWidget(measListArea, 1, 0, 1, 2);
    measListTop->show();
    measListArea->show();
}

// --- instrument-data tab ----------------------------------------------------

void FrmMain::buildForwardTab(QWidget* page)
{
    auto* pageLayout = columnIn(page, 6);

    auto* target = new QGridLayout;
    target->setHorizontalSpacing(6);
    target->setVerticalSpacing(4);
    target->addWidget(reg(newCaption(arr("LblFrdMess", 4), page)), 0, 0, 1, 3);
    for (int i = 0; i < 4; ++i)
        target->addWidget(reg(newCaption(arr("LblFrdMess", i), page)), i + 1, 0);
    addCustomerChoice(target, page, 1, 1);

    auto* frame2 = reg(newFrame(nm("Frame2"), page));
    auto* f2 = gridIn(frame2);
    for (int i = 0; i < 2; ++i)
        f2->addWidget(reg(newPicture(arr("PicText", i), frame2, 4200, 360)), 0, i);
    auto* forward = reg(newButton(nm("CmdDataForward"), frame2));
    forward->setMinimumHeight(34);
    f2->addWidget(forward, 1, 0);
    auto* move = reg(newButton(arr("CmdDataControl", 5), frame2));
    move->setMinimumHeight(34);
    paintButton(move, 0xC0FFC0);
    f2->addWidget(move, 1, 1);

    auto* frame5 = reg(newFrame(nm("Frame5"), page));
    auto* f5 = columnIn(frame5);
    auto* delFiles = reg(newButton(arr("CmdDataControl", 6), frame5));
    delFiles->setMinimumHeight(34);
    paintButton(delFiles, 0x80C0FF);
    f5->addStretch(1);
    f5->addWidget(delFiles);

    auto* frame4 = reg(newFrame(nm("Frame4"), page));
    auto* f4 = columnIn(frame4);
    auto* delInstrument = reg(newButton(nm("CmdDataDelete"), frame4));
    delInstrument->setMinimumHeight(34);
    f4->addStretch(1);
    f4->addWidget(delInstrument);

    auto* top = new QHBoxLayout;
    top->addLayout(target, 3);
    top->addWidget(frame2, 0);
    top->addWidget(frame5, 0);
    top->addWidget(frame4, 0);
    pageLayout->addLayout(top, 0);

    auto* listBox = new QWidget(page);
    auto* lc = columnIn(listBox, 0);
    auto* all = reg(newButton(nm("CmdFwdAll"), listBox));
    all->setText(QStringLiteral("All"));
    lc->addWidget(all, 0, Qt::AlignLeft);
    MfgForwardList = reg(newGrid(nm("MfgForwardList"), listBox));
    MfgForwardList->setTickable(true);
    lc->addWidget(MfgForwardList, 1);
    auto* edit1 = reg(newText(arr("TxtPoinrIn", 1), listBox));
    edit1->hide();

    auto* right = new QVBoxLayout;
    auto* pic3 = reg(newPicture(arr("Pic", 3), page, 0, 0));
    pic3->setMinimumSize(360, 220);
    setGraphFont(pic3);
    pic3->setFrameShape(QFrame::StyledPanel);
    pic3->setFrameShadow(QFrame::Sunken);
    right->addWidget(pic3, 1);
    auto* viewButtons = new QHBoxLayout;
    viewButtons->addWidget(reg(newButton(arr("CmdDataView", 3), page)));
    viewButtons->addWidget(reg(newButton(arr("CmdDataView", 5), page)));
    viewButtons->addWidget(reg(make<QCheckBox>(nm("ChkPV_VIEW_FWD"), page)));
    right->addLayout(viewButtons);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(listBox, 1);
    bottom->addLayout(right, 0);
    pageLayout->addLayout(bottom, 1);
}

// --- catalogue tab ----------------------------------------------------------

void FrmMain::buildCatalogTab(QWidget* page)
{
    auto* pageLayout = columnIn(page, 6);
    SSTab2 = reg(make<TabWidget>(nm("SSTab2"), page));
    auto* modules = new QWidget(SSTab2);
    auto* powCons = new QWidget(SSTab2);
    SSTab2->addTab(modules, QString());
    SSTab2->addTab(powCons, QString());
    buildModulePage(modules);
    buildPowConPage(powCons);
    pageLayout->addWidget(SSTab2);
}

void FrmMain::buildModulePage(QWidget* page)
{
    auto* pageLayout = rowIn(page, 6);

    auto* makers = new QVBoxLayout;
    auto* makerList = reg(newGrid(arr("MfgMakerList", 0), page));
    makerList->setFixedWidth(oneColumnListWidth(makerList));
    makers->addWidget(makerList, 1);
    makers->addWidget(reg(newButton(arr("CmdBtn", 6), page)));
    makers->addWidget(reg(newButton(arr("CmdBtn", 4), page)));
    makers->addWidget(reg(newButton(arr("CmdBtn", 17), page)));
    auto* hidden5 = reg(newButton(arr("CmdBtn", 5), page));
    hidden5->hide();
    pageLayout->addLayout(makers, 0);

    auto* models = new QVBoxLayout;
    auto* modelList = reg(newGrid(arr("MfgSerialNoList", 0), page));
    modelList->setFixedWidth(oneColumnListWidth(modelList));
    models->addWidget(modelList, 1);
    models->addWidget(reg(newButton(arr("CmdBtn", 9), page)));
    models->addWidget(reg(newButton(arr("CmdBtn", 7), page)));
    auto* hidden8 = reg(newButton(arr("CmdBtn", 8), page));
    hidden8->hide();
    pageLayout->addLayout(models, 0);

    // The model's fields: label k shows field box txt[k].
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(4);
    fields->addWidget(reg(newCaption(arr("LblModuleMess", 0), page)), 0, 0);
    auto* cel = reg(make<QComboBox>(nm("CmbCel"), page));
    cel->setMinimumWidth(140);
    fields->addWidget(cel, 0, 1);
    static const int boxes[15] = {17, 18, 19, 20, 21, 22, 23, 24, 25, 58, 59, 26, 27, 28, 33};
    for (int k = 1; k <= 14; ++k) {
        const int row = k <= 7 ? k : k - 7;
        const int col = k <= 7 ? 0 : 2;
        fields->addWidget(reg(newCaption(arr("LblModuleMess", k), page)), row, col);
        fields->addWidget(reg(newText(arr("TxtIn", boxes[k - 1]), page, 90)), row, col + 1);
    }
    fields->addWidget(reg(newCaption(arr("LblModuleMess", 15), page)), 8, 0, Qt::AlignTop);
    fields->addWidget(reg(newMemo(arr("TxtIn", 33), page, 4)), 8, 1, 1, 3);

    auto* fraPm = reg(newFrame(nm("FraPmCorrect"), page));
    auto* pm = rowIn(fraPm, 6);
    pm->addWidget(reg(newCaption(arr("LblModuleMess", 20), fraPm)));
    pm->addWidget(reg(newText(arr("TxtIn", 13), fraPm, 80)), 1);
    fields->addWidget(fraPm, 9, 0, 1, 4);

    auto* fraCorrect = reg(newFrame(nm("FraCorrect"), page));
    auto* cg = gridIn(fraCorrect);
    for (int k = 0; k < 4; ++k) {
        cg->addWidget(reg(newCaption(arr("LblModuleMess", 16 + k), fraCorrect)), k / 2, (k % 2) * 2);
        cg->addWidget(reg(newText(arr("TxtIn", 29 + k), fraCorrect, 80)), k / 2, (k % 2) * 2 + 1);
    }
    fields->addWidget(fraCorrect, 10, 0, 1, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setRowStretch(11, 1);
    pageLayout->addLayout(fields, 1);

    auto* picColumn = new QVBoxLayout;
    auto* fraPic = reg(newFrame(nm("FraModulePic"), page));
    auto* fp = columnIn(fraPic);
    fp->addWidget(reg(newPicture(arr("ImgModule", 0), fraPic, 4800, 3600)));
    fp->addWidget(reg(newButton(arr("CmdPicReg", 2), fraPic)));
    picColumn->addWidget(fraPic);
    picColumn->addStretch(1);
    auto* save = reg(newButton(arr("CmdModuleReg", 0), page));
    save->setMinimumHeight(34);
    picColumn->addWidget(save);
    pageLayout->addLayout(picColumn, 0);
}

void FrmMain::buildPowConPage(QWidget* page)
{
    auto* pageLayout = rowIn(page, 6);

    auto* makers = new QVBoxLayout;
    auto* makerList = reg(newGrid(arr("MfgMakerList", 1), page));
    makerList->setFixedWidth(oneColumnListWidth(makerList));
    makers->addWidget(makerList, 1);
    makers->addWidget(reg(newButton(arr("CmdBtn", 13), page)));
    makers->addWidget(reg(newButton(arr("CmdBtn", 12), page)));
    makers->addWidget(reg(newButton(arr("CmdBtn", 16), page)));
    pageLayout->addLayout(makers, 0);

    auto* models = new QVBoxLayout;
    auto* modelList = reg(newGrid(arr("MfgSerialNoList", 1), page));
    modelList->setFixedWidth(oneColumnListWidth(modelList));
    models->addWidget(modelList, 1);
    models->addWidget(reg(newButton(arr("CmdBtn", 15), page)));
    models->addWidget(reg(newButton(arr("CmdBtn", 14), page)));
    pageLayout->addLayout(models, 0);

    // The 24 rating fields: label k shows box 60 (k = 0) or 33 + k.
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(4);
    for (int k = 0; k < 24; ++k) {
        const int row = k % 12;
        const int col = (k / 12) * 2;
        fields->addWidget(reg(newCaption(arr("LblPowConMess", k), page)), row, col);
        fields->addWidget(reg(newText(arr("TxtIn", k == 0 ? 60 : 33 + k), page, 90)), row, col + 1);
    }
    auto* fraMemo = reg(newFrame(nm("FraPowConMemo"), page));
    auto* fm = columnIn(fraMemo);
    fm->addWidget(reg(newMemo(arr("TxtIn", 57), fraMemo, 3)));
    fields->addWidget(fraMemo, 12, 0, 1, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setRowStretch(13, 1);
    pageLayout->addLayout(fields, 1);

    auto* picColumn = new QVBoxLayout;
    auto* fraPic = reg(newFrame(nm("FraPowConPic"), page));
    auto* fp = columnIn(fraPic);
    fp->addWidget(reg(newPicture(arr("ImgModule", 1), fraPic, 4800, 3600)));
    fp->addWidget(reg(newButton(arr("CmdPicReg", 4), fraPic)));
    picColumn->addWidget(fraPic);
    picColumn->addStretch(1);
    auto* save = reg(newButton(arr("CmdModuleReg", 1), page));
    save->setMinimumHeight(34);
    picColumn->addWidget(save);
    pageLayout->addLayout(picColumn, 0);
}

// --- handlers ---------------------------------------------------------------

void FrmMain::connectHandlers()
{
    connect(control<QAction>(nm("MnuEnd")), &QAction::triggered, this, [this] { MnuEnd_Click(); });

    auto previousTab = [](QTabWidget* tabs, auto handler) {
        auto prev = std::make_shared<int>(tabs->currentIndex());
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [prev, handler](int now) {
            const int before = *prev;
            *prev = now;
            handler(before);
        });
    };
    previousTab(SSTab, [this](int before) { SSTab_Click(before); });
    previousTab(SSTab2, [](int before) { SSTab2_Click(before); });
    previousTab(SSTab3, [this](int before) {
        moveMeasListInto(SSTab3->currentIndex());
        SSTab3_Click(before);
    });

    for (int i : {0, 1, 3, 5})
        connect(control<QPushButton>(arr("CmdDataView", i)), &QPushButton::clicked, this,
                [i] { CmdDataView_Click(i); });
    for (int i : {0, 5, 6})
        connect(control<QPushButton>(arr("CmdDataControl", i)), &QPushButton::clicked, this,
                [i] { CmdDataControl_Click(i); });
    for (int i = 0; i < 2; ++i)
        connect(control<QPushButton>(arr("CmdModuleReg", i)), &QPushButton::clicked, this,
                [i] { CmdModuleReg_Click(i); });
    connect(control<QPushButton>(nm("CmdReportMake")), &QPushButton::clicked, this,
            [] { CmdReportMake_Click(); });
    for (int k = 0; k < 2; ++k) {
        connect(control<QComboBox>(arr("CmbCodeName", k)), &QComboBox::currentIndexChanged, this,
                [k](int) { CmbCodeName_Click(k); });
        connect(control<QComboBox>(arr("CmbUserName", k)), &QComboBox::currentIndexChanged, this,
                [k](int) { CmbUserName_Click(k); });
        connect(control<QComboBox>(arr("CmbHistorySel", k)), &QComboBox::currentIndexChanged, this,
                [k](int) { CmbHistorySel_Click(k); });
    }
    connect(MfgUserList, &FlexGrid::MouseMove, this,
            [this](Qt::MouseButtons, QPoint pos) { MfgUserList_MouseMove(pos); });
    connect(MfgMeasList, &FlexGrid::DblClick, this, [] { MfgMeasList_DblClick(); });
    ConnectMeasViewTab();
    ConnectCustomerTab();
    ConnectForwardTab();
    ConnectMeasEditBoxes();
    ConnectCatalogTab();
    ConnectToolsMenu();
}

// Besides the key rule, whatever edits a text box or a list of a tab (a
// shifted letter, a paste, text from an input method, a choice made with
// the mouse) marks that tab as edited. Texts the program sets do not.
void FrmMain::watchEdits(QWidget* page, int tab)
{
    for (auto* e : page->findChildren<QLineEdit*>()) {
        if (e->objectName().startsWith(QLatin1String("TxtPoinrIn")) || qobject_cast<QComboBox*>(e->parent()))
            continue;
        connect(e, &QLineEdit::textEdited, this, [tab] { Global::TabModified[std::size_t(tab)] = true; });
    }
    for (auto* m : page->findChildren<QPlainTextEdit*>())
        connect(m, &QPlainTextEdit::textChanged, this, [m, tab] {
            if (m->hasFocus())
                Global::TabModified[std::size_t(tab)] = true;
        });
    for (auto* c : page->findChildren<QComboBox*>())
        connect(c, &QComboBox::activated, this, [tab] { Global::TabModified[std::size_t(tab)] = true; });
}

// ---------------------------------------------------------------------------
// Frame behaviour

void FrmMain::Form_Load()
{
    InstallCustomerFormHooks();
    Guarded(QStringLiteral("Form_Load"), [&] {
        Global::HistPicFrameWidth = 3200;
        Global::HistPicFrameHeight = 2400;
        Global::ModelPicFrameWidth = 4800;
        Global::ModelPicFrameHeight = 3600;

        // The language the start-up loaded, found by the same rule.
        const int found = StoredLanguageIndex();
        if (found >= 0)
            LanguageSetup(found);
        else
            FormInitial();

        LoadCurveColors();

        // The grids take the focus under the mouse while this window is in
        // front; it is the window this load has just set up, whichever
        // window (the splash) happened to be active at this moment.
        Global::MainWindowHandle = this;

        // Take the screen (up to a comfortable size) from its top left
        // corner, leaving room for the window's frame.
        if (QScreen* s = screen()) {
            const QRect avail = s->availableGeometry();
            QSize want = (avail.size() - QSize(10, 40)).boundedTo(QSize(1600, 1000));
            resize(want.expandedTo(minimumSizeHint()));
            move(avail.topLeft());
        } else {
            move(0, 0);
        }
    });
}

void FrmMain::FormInitial()
{
    Guarded(QStringLiteral("FormInitial"), [&] {
        setWindowTitle(Global::UiText.value(510) + QStringLiteral("    [Version.%1.%2.%3]")
                                                       .arg(AppVersionMajor)
                                                       .arg(AppVersionMinor)
                                                       .arg(AppVersionRevision));
        ModuleDataRead();
        PowConDataRead();
        UserListIni(true);
        MakerListIni();
        PowConListIni();
        MeasListIni();
        SSTab2->setCurrentIndex(0);
        SSTab->setCurrentIndex(0);
        TabGridHook();
    });
}

bool FrmMain::SaveQuestions()
{
    const int question = vbYesNo | vbQuestion | vbDefaultButton1;
    if (Global::TabModified[0]) {
        Global::TabModified[0] = false;
        if (MsgBox(Global::UiText.value(578), question, QString(), this) == vbYes && !CmdBtn0_Click(true)) {
            // The save did not go through: keep the window and the edits.
            Global::TabModified[0] = true;
            return false;
        }
    }
    if (Global::TabModified[3]) {
        Global::TabModified[3] = false;
        bool failed = false;
        CatalogSaveQuestion(&failed);
        if (failed) {
            Global::TabModified[3] = true;
            return false;
        }
    }
    return true;
}

bool FrmMain::EndQuestions()
{
    if (!SaveQuestions())
        return false;
    return MsgBox(Global::UiText.value(516), vbYesNo | vbQuestion | vbDefaultButton1, QString(), this) == vbYes;
}

void FrmMain::Form_QueryUnload(bool& cancel, int unloadMode)
{
    cancel = false;
    if (unloadMode != vbFormControlMenu)
        EndProgramNow();
    bool end = false;
    if (!Guarded(QStringLiteral("Form_QueryUnload"), [&] { end = EndQuestions(); }))
        end = false;
    if (!end) {
        cancel = true;
        return;
    }
    TabGridUnhook();
    EndProgramNow();
}

void FrmMain::MnuEnd_Click()
{
    bool end = false;
    Guarded(QStringLiteral("MnuEnd_Click"), [&] { end = EndQuestions(); });
    if (!end)
        return;
    TabGridUnhook();
    EndProgramNow();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    RunQueryUnload(this, event);
}

void FrmMain::Form_KeyDown(const QKeyEvent& key)
{
    if (KeyMarksEdit(key.key(), key.modifiers())) {
        const int tab = SSTab->currentIndex();
        if (tab >= 0 && tab < 4)
            Global::TabModified[std::size_t(tab)] = true;
    }
}

void FrmMain::MfgUserList_MouseMove(QPoint pos)
{
    if ((pos.x() != Global::UserListMouseX || pos.y() != Global::UserListMouseY) &&
        QApplication::activeWindow() == Global::MainWindowHandle && Global::MainWindowHandle)
        MfgUserList->setFocus(Qt::MouseFocusReason);
    Global::UserListMouseX = pos.x();
    Global::UserListMouseY = pos.y();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Seen before the control; a key that travels on to the control's
        // parents is seen again, which sets the same flag again.
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this)
            Form_KeyDown(*static_cast<QKeyEvent*>(event));
        break;
    }
    case QEvent::MouseButtonDblClick:
        for (int i = 0; i < 2; ++i)
            if (watched == controlObject(arr("ImgModule", i)))
                ImgModule_DblClick(i);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Tabs and the wheel hook

void FrmMain::TabGridHook()
{
    TabGridUnhook();
    switch (SSTab->currentIndex()) {
    case 0:
        HookGridWheel(MfgUserList);
        Global::HookedGrid = 1;
        break;
    case 1:
        HookGridWheel(MfgMeasList);
        Global::HookedGrid = 2;
        break;
    case 2:
        HookGridWheel(MfgForwardList);
        Global::HookedGrid = 3;
        break;
    default:
        Global::HookedGrid = 4;
        break;
    }
}

void FrmMain::TabGridUnhook()
{
    switch (Global::HookedGrid) {
    case 1:
        UnhookGridWheel(MfgUserList);
        break;
    case 2:
        UnhookGridWheel(MfgMeasList);
        break;
    case 3:
        UnhookGridWheel(MfgForwardList);
        break;
    default:
        break;
    }
}
