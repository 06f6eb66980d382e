#include "common/Captions.h"
#include "app/FrmMain.h"
#include "common/FrmMessWindow.h"
#include "common/Language.h"
#include "common/PicTextWrite.h"
#include "catalog/CatalogTab.h"
#include "customers/CustomerTab.h"
#include "platform/FlexGrid.h"
#include "report/ReportEntry.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>

// ---------------------------------------------------------------------------
// The caption set-up of the main window

namespace {

QString ui(int key)
{
    return Global::UiText.value(key);
}

QString arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

// The captions of the window, set in the order the tables below give.
class CaptionWriter {
  public:
    explicit CaptionWriter(FrmMain& f) : form(f) {}

    QObject* find(const QString& name) const
    {
        QObject* o = form.controlObject(name);
        if (!o)
            throw AppError(424, QStringLiteral("Object required: ") + name);
        return o;
    }
    void cap(const QString& name, int key) const { SetCaption(find(name), ui(key)); }
    void cap(const char* name, int key) const { cap(QString::fromLatin1(name), key); }
    void cap(const char* name, int index, int key) const { cap(arr(name, index), key); }

    // Header cell c of a list: made current, written and centred both ways.
    void header(FlexGrid* grid, int col, int key) const
    {
        grid->setCol(col);
        grid->setRow(0);
        grid->setText(ui(key));
        grid->setCellAlignment(FlexGrid::flexAlignCenterCenter);
    }
    FlexGrid* grid(const QString& name) const
    {
        auto* g = qobject_cast<FlexGrid*>(find(name));
        if (!g)
            throw AppError(13);
        return g;
    }

    // A tab's caption: the tab is selected first, then captioned.
    static void tab(QTabWidget* tabs, int index, int key)
    {
        tabs->setCurrentIndex(index);
        tabs->setTabText(tabs->currentIndex(), ui(key));
    }

    FrmMain& form;
};

void menuCaptions(const CaptionWriter& w)
{
    w.cap("MnuSystem", 4);
    w.cap("MnuEnd", 9);
    w.cap("MnuSaveFolderSel", 6);
    w.cap("MnuTools", 7);
    w.cap("MnuBackup", 8);
    w.cap("MnuPicDelete", 724);
    w.cap("MnuCopyPaste", 0, 725);
    w.cap("MnuCopyPaste", 1, 726);
    qobject_cast<QAction*>(w.find(arr("MnuCopyPaste", 1)))->setEnabled(false);
    w.cap("MnuInport", 733);
    qobject_cast<QAction*>(w.find(QStringLiteral("MnuInport")))->setVisible(false);
    qobject_cast<QAction*>(w.find(QStringLiteral("MnuInportBar")))->setVisible(false);
    w.cap("MnuUpdate", 55);
    w.cap("MnuUpdateInternet", 56);
}

void customerCaptions(const CaptionWriter& w)
{
    w.cap("FraData", 11);
    for (int i = 0; i <= 10; ++i)
        w.cap("LblUserMess", i, 12 + i);
    w.cap("CmdBtn", 3, 23);
    w.cap("CmdBtn", 0, 24);
    w.cap("CmdBtn", 2, 25);
    w.cap("CmdBtn", 1, 26);
    w.cap("FraSiteDate", 27);
    w.cap("LblUserMess", 11, 28);
    w.cap("CmdBtn", 10, 29);
    w.cap("CmdBtn", 11, 30);
    w.cap("FraWork", 31);
    w.cap("CmdDelete", 32);
    w.cap("LblUserMess", 12, 33);
    w.cap("LblUserMess", 20, 52);
    for (int i = 13; i <= 16; ++i)
        w.cap("LblUserMess", i, 21 + i);
    w.cap("CmdPicReg", 0, 39);
    w.cap("FraMakers", 40);
    for (int i = 17; i <= 19; ++i)
        w.cap("LblUserMess", i, 24 + i);
    w.cap("LblUserMess", 21, 53);
    w.cap("FraList", 54);
    FlexGrid* list = w.grid(QStringLiteral("MfgUserList"));
    for (int c = 0; c <= 7; ++c)
        w.header(list, c, 44 + c);
}

void measCaptions(const CaptionWriter& w, QTabWidget* sstab3)
{
    for (int i = 0; i <= 3; ++i)
        w.cap("LblViewMess", i, 71 + i);
    w.cap("FraViewArray", 75);
    w.cap("LblViewMess", 4, 76);
    static const int rowKeys[7] = {78, 79, 80, 300, 81, 82, 83};
    for (int g = 0; g < 10; ++g) {
        w.cap("FraViewModule", g, 77);
        for (int k = 0; k < 7; ++k)
            w.cap("LblViewMess", 10 * g + 5 + k, rowKeys[k]);
        w.cap("FraViewPowCon", g, 84);
        for (int k = 0; k < 3; ++k)
            w.cap("LblViewMess", 10 * g + 12 + k, 85 + k);
        w.cap("LblStringPm", g, 120);
        w.cap("FraViewPmCorrect", g, 121);
        w.cap("LblPmTempCorrectTitle", g, 122);
        w.cap("LblAlphaTitle", g, 683);
        w.cap("LblBetaTitle", g, 684);
        w.cap("LblRsTitle", g, 685);
        w.cap("LblKTitle", g, 686);
    }
    w.cap("FraViewExt", 88);
    w.cap("CmdDataView", 0, 89);
    w.cap("CmdDataView", 1, 90);
    w.cap("CmdDataControl", 0, 91);
    w.cap("CmdReportMake", 92);
    static const int listKeys[18] = {93,  94,  95,  123, 124, 96,  97,  98,  99,
                                     108, 101, 102, 103, 110, 111, 113, 117, 118};
    FlexGrid* list = w.grid(QStringLiteral("MfgMeasList"));
    for (int c = 0; c < 18; ++c)
        w.header(list, c, listKeys[c]);
    list->setCol(0);
    w.cap("ChkPV_VIEW", 786);
    CaptionWriter::tab(sstab3, 0, 125);
    CaptionWriter::tab(sstab3, 1, 126);
    CaptionWriter::tab(sstab3, 2, 708);
    sstab3->setCurrentIndex(0);
    for (int i = 0; i <= 2; ++i)
        w.cap("LblJudgeView", i, 127);
    w.cap("ChkJudgeOff", 128);
    SetCaption(w.find(QStringLiteral("LblMeasType")), QString());
}

void forwardCaptions(const CaptionWriter& w)
{
    for (int i = 0; i <= 3; ++i)
        w.cap("LblFrdMess", i, 131 + i);
    w.cap("CmdDataView", 3, 136);
    w.cap("CmdDataView", 5, 137);
    w.cap("CmdDataControl", 5, 138);
    w.cap("CmdDataControl", 6, 139);
    w.cap("CmdDataForward", 140);
    w.cap("CmdDataDelete", 141);
    w.cap("Frame2", 769);
    for (int i = 0; i < 2; ++i) {
        QString text = ui(770 + i);
        PicTextWrite(&w.form, i, text, 0, 0x8000000F, 9, 0);
    }
    w.cap("Frame4", 772);
    for (int i = 0; i < 2; ++i)
        qobject_cast<QLabel*>(w.find(arr("PicText", i)))->setFrameShape(QFrame::NoFrame);
    w.cap("LblFrdMess", 4, 773);
    w.cap("ChkPV_VIEW_FWD", 786);
}

void catalogCaptions(const CaptionWriter& w, QTabWidget* sstab2)
{
    CaptionWriter::tab(sstab2, 0, 181);
    w.cap("CmdBtn", 6, 182);
    w.cap("CmdBtn", 4, 183);
    w.cap("CmdBtn", 9, 184);
    w.cap("CmdBtn", 7, 185);
    for (int i = 0; i <= 15; ++i)
        w.cap("LblModuleMess", i, 186 + i);
    w.cap("FraModulePic", 202);
    w.cap("CmdPicReg", 2, 203);
    w.cap("FraCorrect", 204);
    for (int i = 16; i <= 19; ++i)
        w.cap("LblModuleMess", i, 189 + i);
    w.cap("CmdModuleReg", 0, 209);
    w.cap("CmdBtn", 17, 210);
    w.header(w.grid(arr("MfgMakerList", 0)), 0, 211);
    w.header(w.grid(arr("MfgSerialNoList", 0)), 0, 212);
    auto* cel = qobject_cast<QComboBox*>(w.find(QStringLiteral("CmbCel")));
    {
        // Filling the list chooses nothing.
        const QSignalBlocker quiet(cel);
        cel->clear();
        for (int key : {213, 214, 215, 216, 681, 682})
            cel->addItem(ui(key));
        cel->setCurrentIndex(-1);
    }
    w.cap("FraPmCorrect", 217);
    w.cap("LblModuleMess", 20, 218);

    CaptionWriter::tab(sstab2, 1, 230);
    w.cap("CmdBtn", 13, 231);
    w.cap("CmdBtn", 12, 232);
    w.cap("CmdBtn", 15, 233);
    w.cap("CmdBtn", 14, 234);
    for (int i = 0; i <= 23; ++i)
        w.cap("LblPowConMess", i, 235 + i);
    w.cap("FraPowConPic", 259);
    w.cap("CmdPicReg", 4, 260);
    w.cap("FraPowConMemo", 261);
    w.cap("CmdModuleReg", 1, 262);
    w.cap("CmdBtn", 16, 263);
    w.header(w.grid(arr("MfgMakerList", 1)), 0, 264);
    w.header(w.grid(arr("MfgSerialNoList", 1)), 0, 265);
}

} // namespace

void FrmMain::LanguageSetup(int index)
{
    hide();
    Global::CaptionsLoading = true;
    QCoreApplication::processEvents();
    Guarded(QStringLiteral("LanguageSetup"), [&] {
        LanguageRead(index);

        // Windows that take their texts when they load are loaded afresh.
        FrmArraySetUnload();
        FrmCustomerSortUnload();
        FrmLoading::Unload();
        FrmMessWindow::Unload();
        FrmPrintReportUnload();
        FrmPrintReportPage2Unload();
        FrmReportUnload();

        FormInitial();

        const CaptionWriter w(*this);
        menuCaptions(w);
        static const int tabKeys[4] = {10, 70, 130, 180};
        for (int t = 0; t < 4; ++t) {
            SSTab->setCurrentIndex(t);
            TabGridHook();
            SSTab->setTabText(SSTab->currentIndex(), ui(tabKeys[t]));
            switch (t) {
            case 0:
                customerCaptions(w);
                break;
            case 1:
                measCaptions(w, SSTab3);
                break;
            case 2:
                forwardCaptions(w);
                break;
            case 3:
                catalogCaptions(w, SSTab2);
                break;
            }
        }
        w.cap("CmdScl", 0, 514);
        w.cap("CmdScl", 1, 515);

        SSTab2->setCurrentIndex(0);
        SSTab->setCurrentIndex(0);
        TabGridHook();
    });
    show();
    Global::CaptionsLoading = false;
}
