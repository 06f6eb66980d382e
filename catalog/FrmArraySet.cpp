#include "catalog/FrmArraySet.h"

#include "catalog/ArrayDerivation.h"
#include "catalog/ArraySet.h"
#include "catalog/ArraySetGlobals.h"
#include "catalog/CatalogGlobals.h"
#include "common/AppGlobals.h"
#include "common/Captions.h"
#include "common/ControlMakers.h"
#include "common/Controls.h"
#include "common/EditKeys.h"
#include "common/FrmMessWindow.h" // close reasons
#include "customers/CustomerForm.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FlexGrid.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace ArrayDerivation;
using Customer::RowsPerGroup;

namespace {

// Marks a list item that is no catalogue entry: a maker or model a customer
// has stored but the catalogue no longer holds, kept so that it is saved
// back unchanged.
constexpr int KeptRole = Qt::UserRole + 1;

constexpr quint32 SaveColor = 0xC0FFC0;   // light green (red 192, green 255, blue 192)
constexpr quint32 CancelColor = 0x8080FF; // light red (red 255, green 128, blue 128)

QString arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

QString ui(int key)
{
    return Global::UiText.value(key);
}

using ControlMakers::make;
using ControlMakers::newCaption;
using ControlMakers::newValue;
using ControlMakers::paintButton;

// A drop-down list that offers only its own items. Its placeholder keeps it
// at no choice when a list that was empty gets its first items, whoever
// fills it.
QComboBox* newList(const QString& name, QWidget* parent, int minWidth)
{
    auto* c = make<QComboBox>(name, parent);
    c->setPlaceholderText(QStringLiteral(" "));
    c->setMinimumWidth(minWidth);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(4);
    return c;
}

QStringList itemsOf(const QComboBox* c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

// Empties a list and gives it `items`, with nothing chosen and no handler
// run.
void fillList(QComboBox* c, const QStringList& items)
{
    const QSignalBlocker block(c);
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(-1);
}

// Adds a stored text that the catalogue does not hold as a marked item at
// the end of the list; returns its position.
int addKept(QComboBox* c, const QString& text)
{
    const QSignalBlocker block(c);
    const int chosen = c->currentIndex();
    c->addItem(text);
    const int pos = c->count() - 1;
    c->setItemData(pos, true, KeptRole);
    c->setItemData(pos, ui(875), Qt::ToolTipRole);
    c->setItemData(pos, QColor(Qt::darkGray), Qt::ForegroundRole);
    c->setCurrentIndex(chosen);
    return pos;
}

bool isKept(const QComboBox* c, int pos)
{
    return pos >= 0 && pos < c->count() && c->itemData(pos, KeptRole).toBool();
}

// Removes the kept items a fill added to a maker list.
void dropKept(QComboBox* c)
{
    const QSignalBlocker block(c);
    const int chosen = c->currentIndex();
    for (int i = c->count() - 1; i >= 0; --i)
        if (isKept(c, i))
            c->removeItem(i);
    c->setCurrentIndex(chosen < c->count() ? chosen : -1);
}

// Chooses position `pos` (-1: none); a change runs the list's handler.
void choose(QComboBox* c, int pos)
{
    c->setCurrentIndex(pos);
}

} // namespace

// ---------------------------------------------------------------------------
// Building

FrmArraySet::FrmArraySet(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint |
                         Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmArraySet"));
    build();
    connectHandlers();
    listCatalogMakers();
    qApp->installEventFilter(this);
    Form_Load();
}

FrmArraySet::~FrmArraySet() = default;

void FrmArraySet::build()
{
    auto* outer = new QHBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* left = new QVBoxLayout;
    outer->addLayout(left);

    SSTab1 = make<QTabWidget>(QStringLiteral("SSTab1"), this);
    SSTab1->tabBar()->setExpanding(false);
    left->addWidget(SSTab1);
    for (int g = 0; g < Groups; ++g) {
        auto* page = new QWidget;
        auto* pageBox = new QVBoxLayout(page);
        SSTab1->addTab(page, QStringLiteral("%1").arg(g + 1, 2, 10, QLatin1Char('0')));

        FraStringSel[g] = make<QGroupBox>(arr("FraStringSel", g), page);
        pageBox->addWidget(FraStringSel[g]);
        auto* strings = new QVBoxLayout(FraStringSel[g]);

        // Maker and group total.
        FraArrayModule[g] = make<QGroupBox>(arr("FraArrayModule", g), FraStringSel[g]);
        strings->addWidget(FraArrayModule[g]);
        auto* makerRow = new QHBoxLayout(FraArrayModule[g]);
        LblArrayMess[10 * g + 1] = newCaption(arr("LblArrayMess", 10 * g + 1), FraArrayModule[g]);
        makerRow->addWidget(LblArrayMess[10 * g + 1]);
        CmbMaker[g] = newList(arr("CmbMaker", g), FraArrayModule[g], 200);
        makerRow->addWidget(CmbMaker[g], 1);
        makerRow->addSpacing(16);
        LblStringPm[g] = newCaption(arr("LblStringPm", g), FraArrayModule[g]);
        makerRow->addWidget(LblStringPm[g]);
        LblStringTotalPm[g] = newValue(arr("LblStringTotalPm", g), FraArrayModule[g], 90);
        makerRow->addWidget(LblStringTotalPm[g]);

        // The five string rows under their column headings.
        auto* frame1 = make<QGroupBox>(arr("Frame1", g), FraStringSel[g]);
        strings->addWidget(frame1);
        auto* rows = new QGridLayout(frame1);
        for (int c = 0; c < 6; ++c) {
            const int k = 10 * g + 2 + c;
            LblArrayMess[k] = newCaption(arr("LblArrayMess", k), frame1);
            rows->addWidget(LblArrayMess[k], 0, c, Qt::AlignHCenter | Qt::AlignBottom);
        }
        for (int j = 0; j < RowsPerGroup; ++j) {
            const int i = RowsPerGroup * g + j;
            CmbModSel[i] = newList(arr("CmbModSel", i), frame1, 220);
            TxtCnt[i] = make<QLineEdit>(arr("TxtCnt", i), frame1);
            TxtCntH[i] = make<QLineEdit>(arr("TxtCntH", i), frame1);
            for (QLineEdit* t : {TxtCnt[i], TxtCntH[i]}) {
                t->setMaximumWidth(70);
                t->setAlignment(Qt::AlignRight);
            }
            LblPm[i] = newValue(arr("LblPm", i), frame1, 70);
            LblVoc[i] = newValue(arr("LblVoc", i), frame1, 70);
            LblIsc[i] = newValue(arr("LblIsc", i), frame1, 70);
            QWidget* cells[6] = {CmbModSel[i], TxtCnt[i], TxtCntH[i], LblPm[i], LblVoc[i], LblIsc[i]};
            for (int c = 0; c < 6; ++c)
                rows->addWidget(cells[c], j + 1, c);
        }
        rows->setColumnStretch(0, 1);

        // The correction coefficients: the Pm temperature coefficient on the
        // first line, alpha and beta on the left, Rs and K on the right.
        FraCorrect[g] = make<QGroupBox>(arr("FraCorrect", g), FraStringSel[g]);
        strings->addWidget(FraCorrect[g]);
        auto* coef = new QGridLayout(FraCorrect[g]);
        auto place = [&](std::array<QLabel*, Groups>& title, const char* titleName,
                         std::array<QLabel*, Groups>& value, const char* valueName, int row, int col) {
            title[g] = newCaption(arr(titleName, g), FraCorrect[g]);
            value[g] = newValue(arr(valueName, g), FraCorrect[g], 90);
            coef->addWidget(title[g], row, col);
            coef->addWidget(value[g], row, col + 1);
        };
        place(LblPmTempCorrectTitle, "LblPmTempCorrectTitle", LblPmTemp, "LblPmTemp", 0, 0);
        place(LblAlphaTitle, "LblAlphaTitle", LblAlpha, "LblAlpha", 1, 0);
        place(LblBetaTitle, "LblBetaTitle", LblBeta, "LblBeta", 2, 0);
        place(LblRsTitle, "LblRsTitle", LblRs, "LblRs", 1, 2);
        place(LblKTitle, "LblKTitle", LblK, "LblK", 2, 2);
        coef->setColumnMinimumWidth(2, 0);
        coef->setColumnStretch(1, 1);
        coef->setColumnStretch(3, 1);

        // The power conditioner in one line.
        FraArrayPowCon[g] = make<QGroupBox>(arr("FraArrayPowCon", g), page);
        pageBox->addWidget(FraArrayPowCon[g]);
        auto* pc = new QHBoxLayout(FraArrayPowCon[g]);
        CmbNoSel[g] = newList(arr("CmbNoSel", g), FraArrayPowCon[g], 60);
        CmbPowConMaker[g] = newList(arr("CmbPowConMaker", g), FraArrayPowCon[g], 150);
        CmbPowConSerial[g] = newList(arr("CmbPowConSerial", g), FraArrayPowCon[g], 150);
        QComboBox* lists[3] = {CmbNoSel[g], CmbPowConMaker[g], CmbPowConSerial[g]};
        for (int c = 0; c < 3; ++c) {
            const int k = 10 * g + 8 + c;
            LblArrayMess[k] = newCaption(arr("LblArrayMess", k), FraArrayPowCon[g]);
            pc->addWidget(LblArrayMess[k]);
            pc->addWidget(lists[c], c == 0 ? 0 : 1);
        }
        QStringList numbers;
        for (int n = 1; n <= Groups; ++n)
            numbers << QString::number(n);
        fillList(CmbNoSel[g], numbers);
        pageBox->addStretch(1);
    }

    FraArrayExt = make<QGroupBox>(QStringLiteral("FraArrayExt"), this);
    left->addWidget(FraArrayExt);
    auto* ext = new QVBoxLayout(FraArrayExt);
    TxtExData = make<QPlainTextEdit>(QStringLiteral("TxtExData"), FraArrayExt);
    TxtExData->setTabChangesFocus(true);
    const int h = TxtExData->fontMetrics().lineSpacing() * 4 + 2 * TxtExData->frameWidth() + 8;
    TxtExData->setFixedHeight(h);
    ext->addWidget(TxtExData);

    // Right column: the grand total and the two buttons.
    auto* right = new QVBoxLayout;
    outer->addLayout(right);
    LblArrayMess[0] = newCaption(arr("LblArrayMess", 0), this);
    right->addWidget(LblArrayMess[0]);
    LblTotalPm = newValue(QStringLiteral("LblTotalPm"), this, 140);
    QFont big = LblTotalPm->font();
    big.setPointSizeF(14.25);
    LblTotalPm->setFont(big);
    LblTotalPm->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    right->addWidget(LblTotalPm);
    right->addSpacing(12);
    for (int b = 0; b < 2; ++b) {
        CmdBtn[b] = make<QPushButton>(arr("CmdBtn", b), this);
        CmdBtn[b]->setAutoDefault(false);
        CmdBtn[b]->setMinimumHeight(36);
        paintButton(CmdBtn[b], b == 0 ? SaveColor : CancelColor);
        right->addWidget(CmdBtn[b]);
    }
    right->addStretch(1);

    MnuCopyPasteMenu = make<QMenu>(QStringLiteral("MnuCopyPasteMenu"), this);
    for (int i = 0; i < 2; ++i) {
        MnuCopyPaste[i] = MnuCopyPasteMenu->addAction(QString());
        MnuCopyPaste[i]->setObjectName(arr("MnuCopyPaste", i));
    }
}

void FrmArraySet::connectHandlers()
{
    auto userChoice = [this](QComboBox* c) {
        connect(c, &QComboBox::activated, this, [this, c](int index) {
            if (index != indexAtUserAction.value(c, -2))
                Global::ArraySetChanged = true;
            indexAtUserAction.insert(c, index);
        });
    };
    for (int g = 0; g < Groups; ++g) {
        connect(CmbMaker[g], &QComboBox::currentIndexChanged, this, [this, g] { CmbMaker_Click(g); });
        connect(CmbPowConMaker[g], &QComboBox::currentIndexChanged, this, [this, g] { CmbPowConMaker_Click(g); });
        for (QComboBox* c : {CmbMaker[g], CmbNoSel[g], CmbPowConMaker[g], CmbPowConSerial[g]})
            userChoice(c);
    }
    for (int i = 0; i < Rows; ++i) {
        connect(CmbModSel[i], &QComboBox::currentIndexChanged, this, [this, i] { CmbModSel_Click(i); });
        connect(TxtCnt[i], &QLineEdit::textChanged, this, [this, i] { TxtCnt_Change(i); });
        connect(TxtCntH[i], &QLineEdit::textChanged, this, [this, i] { TxtCntH_Change(i); });
        // A count changed by the user in any way (a key, a paste by key or
        // menu, an input method) is an edit; the program's own texts are not.
        for (QLineEdit* count : {TxtCnt[i], TxtCntH[i]})
            connect(count, &QLineEdit::textEdited, this, [] { Global::ArraySetChanged = true; });
        userChoice(CmbModSel[i]);
    }
    for (int b = 0; b < 2; ++b)
        connect(CmdBtn[b], &QPushButton::clicked, this, [this, b] { CmdBtn_Click(b); });
    for (int i = 0; i < 2; ++i)
        connect(MnuCopyPaste[i], &QAction::triggered, this, [this, i] { MnuCopyPaste_Click(i); });
}

void FrmArraySet::listCatalogMakers()
{
    const QStringList modules = MakerNames(Global::ModuleCatalog, Global::ModuleMakerCount);
    const QStringList powCons = MakerNames(Global::PowConCatalog, Global::PowConMakerCount);
    for (int g = 0; g < Groups; ++g) {
        fillList(CmbMaker[g], modules);
        fillList(CmbPowConMaker[g], powCons);
    }
}

void FrmArraySet::Form_Load()
{
    Guarded(QStringLiteral("Form_Load"), [&] { LanguageInitial(); });
}

void FrmArraySet::LanguageInitial()
{
    Guarded(QStringLiteral("LanguageInitial"), [&] {
        setWindowTitle(ui(280));
        static const int rowKeys[6] = {283, 284, 300, 285, 286, 287};
        for (int g = 0; g < Groups; ++g) {
            FraArrayModule[g]->setTitle(ui(281));
            LblArrayMess[10 * g + 1]->setText(ui(282));
            for (int c = 0; c < 6; ++c)
                LblArrayMess[10 * g + 2 + c]->setText(ui(rowKeys[c]));
            FraArrayPowCon[g]->setTitle(ui(288));
            for (int c = 0; c < 3; ++c)
                LblArrayMess[10 * g + 8 + c]->setText(ui(289 + c));
            LblStringPm[g]->setText(ui(297));
            FraCorrect[g]->setTitle(ui(298));
            LblPmTempCorrectTitle[g]->setText(ui(299));
            LblAlphaTitle[g]->setText(ui(683));
            LblBetaTitle[g]->setText(ui(684));
            LblRsTitle[g]->setText(ui(685));
            LblKTitle[g]->setText(ui(686));
            FraStringSel[g]->setTitle(ui(296));
        }
        FraArrayExt->setTitle(ui(292));
        LblArrayMess[0]->setText(ui(293));
        CmdBtn[0]->setText(ui(294));
        CmdBtn[1]->setText(ui(295));
        MnuCopyPaste[0]->setText(ui(725));
        MnuCopyPaste[1]->setText(ui(726));
        // Nothing to paste until the first copy of this window's life.
        MnuCopyPaste[1]->setEnabled(false);
    });
}

// ---------------------------------------------------------------------------
// Catalogue positions

bool FrmArraySet::isCatalogMaker(int g, int m) const
{
    return m >= 0 && m < Global::ModuleMakerCount && !isKept(CmbMaker[g], m);
}

bool FrmArraySet::isCatalogPowConMaker(int g, int m) const
{
    return m >= 0 && m < Global::PowConMakerCount && !isKept(CmbPowConMaker[g], m);
}

QStringList FrmArraySet::modelListFor(int g, int m) const
{
    if (!isCatalogMaker(g, m))
        return {};
    return ModelCodes(Global::ModuleCatalog[std::size_t(m)]);
}

QStringList FrmArraySet::powConModelListFor(int g, int m) const
{
    if (!isCatalogPowConMaker(g, m))
        return {};
    return ModelCodes(Global::PowConCatalog[std::size_t(m)]);
}

// ---------------------------------------------------------------------------
// Maker and power-conditioner choice

void FrmArraySet::CmbMaker_Click(int index)
{
    Guarded(QStringLiteral("CmbMaker_Click"), [&] {
        const int m = CmbMaker[index]->currentIndex();
        if (m < 0)
            return;
        // A maker the catalogue does not hold has no models to offer.
        const QStringList models = modelListFor(index, m);
        for (int i = RowsPerGroup * index; i < RowsPerGroup * (index + 1); ++i) {
            fillList(CmbModSel[i], models);
            emptyRow(i);
        }
    });
}

void FrmArraySet::CmbPowConMaker_Click(int index)
{
    Guarded(QStringLiteral("CmbPowConMaker_Click"), [&] {
        const int m = CmbPowConMaker[index]->currentIndex();
        if (m < 0)
            return;
        fillList(CmbPowConSerial[index], powConModelListFor(index, m));
    });
}

void FrmArraySet::CmbMaker_KeyUp(int index, int keyCode)
{
    if (keyCode != Qt::Key_Delete)
        return;
    Guarded(QStringLiteral("CmbMaker_KeyUp"), [&] {
        for (int i = RowsPerGroup * index; i < RowsPerGroup * (index + 1); ++i) {
            choose(CmbModSel[i], -1);
            fillList(CmbModSel[i], {});
            emptyRow(i);
        }
        choose(CmbMaker[index], -1);
        const QString none[5];
        setGroupCoefficientLabels(index, none);
    });
}

void FrmArraySet::CmbPowConMaker_KeyUp(int index, int keyCode)
{
    if (keyCode != Qt::Key_Delete)
        return;
    Guarded(QStringLiteral("CmbPowConMaker_KeyUp"), [&] { emptyPowCon(index); });
}

void FrmArraySet::CmbNoSel_KeyUp(int index, int keyCode)
{
    if (keyCode != Qt::Key_Delete)
        return;
    Guarded(QStringLiteral("CmbNoSel_KeyUp"), [&] {
        choose(CmbNoSel[index], -1);
        emptyPowCon(index);
    });
}

// ---------------------------------------------------------------------------
// String rows, totals and coefficients

void FrmArraySet::emptyRow(int i)
{
    // The count boxes' changes recompute the totals without the row.
    TxtCnt[i]->setText(QString());
    TxtCntH[i]->setText(QString());
    LblPm[i]->setText(QString());
    LblVoc[i]->setText(QString());
    LblIsc[i]->setText(QString());
}

void FrmArraySet::emptyPowCon(int g)
{
    choose(CmbPowConMaker[g], -1);
    choose(CmbPowConSerial[g], -1);
    fillList(CmbPowConSerial[g], {});
}

void FrmArraySet::setGroupCoefficientLabels(int g, const QString (&texts)[5])
{
    QLabel* labels[5] = {LblPmTemp[g], LblAlpha[g], LblBeta[g], LblRs[g], LblK[g]};
    for (int c = 0; c < 5; ++c)
        labels[c]->setText(texts[c]);
}

void FrmArraySet::CmbModSel_Click(int index)
{
    Guarded(QStringLiteral("CmbModSel_Click"), [&] {
        const int g = index / RowsPerGroup;
        const int m = CmbMaker[g]->currentIndex();
        const int k = CmbModSel[index]->currentIndex();
        if (m < 0 || k < 0)
            return;
        const ModuleModelRecord* model =
            isCatalogMaker(g, m) && !isKept(CmbModSel[index], k)
                ? CatalogModule(Global::ModuleCatalog, Global::ModuleMakerCount, m, k)
                : nullptr;
        if (model) {
            LblPm[index]->setText(model->Pm);
            LblVoc[index]->setText(model->Voc);
            LblIsc[index]->setText(model->Isc);
        }
        if (index % RowsPerGroup == 0) {
            // The group's coefficients are those of its first row's model;
            // a first row naming no catalogue model leaves the group none,
            // so no correction runs on another model's figures.
            const GroupCoefficients c = model ? CoefficientsOf(*model) : GroupCoefficients{};
            const QString texts[5] = {c.PmTempCoef, c.Alpha, c.Beta, c.Rs, c.K};
            setGroupCoefficientLabels(g, texts);
            SetCoefficientsInRecord(Global::ArrayConfiguration, g, c);
        }
        recomputeTotals();
    });
}

void FrmArraySet::recomputeTotals()
{
    AllRowFigures rows;
    for (int i = 0; i < Rows; ++i)
        rows[std::size_t(i)] = {LblPm[i]->text(), TxtCnt[i]->text(), TxtCntH[i]->text()};
    LblTotalPm->setText(TotalText(GrandTotal(rows)));
    for (int g = 0; g < Groups; ++g)
        LblStringTotalPm[g]->setText(TotalText(GroupTotal(rows, g)));
}

void FrmArraySet::TxtCnt_Change(int)
{
    Guarded(QStringLiteral("TxtCnt_Change"), [&] { recomputeTotals(); });
}

void FrmArraySet::TxtCntH_Change(int index)
{
    TxtCnt_Change(index);
}

void FrmArraySet::CmbModSel_KeyUp(int index, int keyCode)
{
    if (keyCode != Qt::Key_Delete)
        return;
    Guarded(QStringLiteral("CmbModSel_KeyUp"), [&] {
        choose(CmbModSel[index], -1);
        emptyRow(index);
    });
}

// ---------------------------------------------------------------------------
// The fill from the record

void FrmArraySet::ShowData()
{
    ArrayConfigurationType& a = Global::ArrayConfiguration;

    LblTotalPm->setText(QString());
    TxtExData->setPlainText(QString());
    for (int g = 0; g < Groups; ++g) {
        choose(CmbMaker[g], -1);
        dropKept(CmbMaker[g]);
        LblStringTotalPm[g]->setText(QString());
        const QString none[5];
        setGroupCoefficientLabels(g, none);
        choose(CmbNoSel[g], -1);
        choose(CmbPowConMaker[g], -1);
        dropKept(CmbPowConMaker[g]);
        choose(CmbPowConSerial[g], -1);
        // Another customer's power-conditioner models are never matched.
        fillList(CmbPowConSerial[g], {});
    }
    ClearCoefficientTables(a);
    for (int r = 0; r < Rows; ++r) {
        choose(CmbModSel[r], -1);
        fillList(CmbModSel[r], {});
        emptyRow(r);
    }

    // A stored maker or model the catalogue does not hold is shown as a
    // marked item of its own, so that the customer save writes it back as it
    // was unless the user changes it.
    auto chooseStored = [](QComboBox* c, const QString& stored) {
        int pos = MatchItem(itemsOf(c), stored);
        if (pos < 0 && !stored.isEmpty())
            pos = addKept(c, stored);
        choose(c, pos);
    };
    for (int g = 0; g < Groups; ++g) {
        chooseStored(CmbMaker[g], a.GroupMaker[std::size_t(g)]);
        for (int r = RowsPerGroup * g; r < RowsPerGroup * (g + 1); ++r) {
            const StringRow s = a.StringRows[std::size_t(r)];
            if (s.ModelCode.isEmpty()) {
                choose(CmbModSel[r], -1);
                emptyRow(r);
                continue;
            }
            chooseStored(CmbModSel[r], s.ModelCode);
            // The stored figures, not the catalogue's, are what the customer
            // has; the totals follow from them.
            LblVoc[r]->setText(s.ModuleVoc);
            LblIsc[r]->setText(s.ModuleIsc);
            TxtCntH[r]->setText(s.ParallelCount);
            LblPm[r]->setText(s.ModulePm);
            TxtCnt[r]->setText(s.SeriesCount);
        }
        const GroupPowConEntry pc = a.GroupPowCon[std::size_t(g)];
        choose(CmbNoSel[g], GroupNumberPosition(pc.PowConNo));
        chooseStored(CmbPowConMaker[g], pc.PowConMaker);
        chooseStored(CmbPowConSerial[g], pc.PowConModel);
    }

    SetMemo(TxtExData, a.ExtMemo);
    if (QObject* pmMax = MainControlObject(QStringLiteral("LblModulePmMax")))
        SetCaption(pmMax, a.TotalPm);
}

// ---------------------------------------------------------------------------
// Opening, saving, cancelling, closing

void FrmArraySet::Open()
{
    AllRowFigures rows;
    for (int i = 0; i < Rows; ++i)
        rows[std::size_t(i)] = {LblPm[i]->text(), TxtCnt[i]->text(), TxtCntH[i]->text()};
    LblTotalPm->setText(TotalText(GrandTotal(rows)));

    QWidget* main = MainWindow();
    if (main && parentWidget() != main)
        setParent(main, windowFlags());
    adjustSize();
    if (main)
        move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
    if (main)
        main->hide();
}

void FrmArraySet::finish()
{
    if (QObject* pmMax = MainControlObject(QStringLiteral("LblModulePmMax")))
        SetCaption(pmMax, LblTotalPm->text());
    hide();
    if (QWidget* main = MainWindow())
        main->show();
}

bool FrmArraySet::save()
{
    ArrayConfigurationType& a = Global::ArrayConfiguration;
    const ArrayConfigurationType before = a;
    QObject* pmMax = MainControlObject(QStringLiteral("LblModulePmMax"));
    const QString pmMaxBefore = pmMax ? CaptionOf(pmMax) : QString();

    for (int i = 0; i < Rows; ++i) {
        StringRow& s = a.StringRows[std::size_t(i)];
        s.ModelCode = CmbModSel[i]->currentText();
        s.SeriesCount = TxtCnt[i]->text();
        s.ParallelCount = TxtCntH[i]->text();
        s.ModulePm = LblPm[i]->text();
        s.ModuleVoc = LblVoc[i]->text();
        s.ModuleIsc = LblIsc[i]->text();
    }
    a.TotalPm = LblTotalPm->text();
    a.ExtMemo = MemoOf(TxtExData);
    for (int g = 0; g < Groups; ++g)
        a.GroupRatedPm[std::size_t(g)] = LblStringTotalPm[g]->text();
    if (pmMax)
        SetCaption(pmMax, LblTotalPm->text());

    const bool saved = Global::ArraySetSaveHook ? Global::ArraySetSaveHook(false) : CmdBtn0_Click(false);
    if (!saved) {
        // Nothing was committed: the records and the main window are as they
        // were, and the window stays open with the user's edits.
        a = before;
        if (pmMax)
            SetCaption(pmMax, pmMaxBefore);
        return false;
    }
    finish();
    return true;
}

bool FrmArraySet::cancel()
{
    if (Global::ArraySetChanged) {
        Global::ArraySetChanged = false;
        if (MsgBox(ui(578), vbYesNo | vbQuestion | vbDefaultButton1, QString(), this) == vbYes) {
            if (!save()) {
                Global::ArraySetChanged = true;
                return false;
            }
        } else {
            ShowData();
        }
    }
    hide();
    const ArrayConfigurationType a = Global::ArrayConfiguration;
    for (int i = 0; i < Rows; ++i) {
        const StringRow& s = a.StringRows[std::size_t(i)];
        TxtCnt[i]->setText(s.SeriesCount);
        TxtCntH[i]->setText(s.ParallelCount);
        LblPm[i]->setText(s.ModulePm);
        LblVoc[i]->setText(s.ModuleVoc);
        LblIsc[i]->setText(s.ModuleIsc);
    }
    LblTotalPm->setText(a.TotalPm);
    SetMemo(TxtExData, a.ExtMemo);
    for (int g = 0; g < Groups; ++g)
        LblStringTotalPm[g]->setText(a.GroupRatedPm[std::size_t(g)]);
    finish();
    return true;
}

void FrmArraySet::CmdBtn_Click(int index)
{
    Guarded(QStringLiteral("CmdBtn_Click"), [&] {
        if (index == 0)
            save();
        else if (index == 1)
            cancel();
    });
}

void FrmArraySet::Form_QueryUnload(bool& cancelUnload, int unloadMode)
{
    cancelUnload = false;
    switch (unloadMode) {
    case vbFormControlMenu:
        // The close box leaves as the cancel button does: unsaved edits are
        // saved or given up, never kept half-way in the working copy.
        cancelUnload = true;
        if (Global::ArraySetChanged) {
            Guarded(QStringLiteral("Form_QueryUnload"), [&] { cancel(); });
        } else {
            hide();
            if (QWidget* main = MainWindow())
                main->show();
        }
        break;
    case vbAppWindows:
    case vbAppTaskManager:
    case vbFormMDIForm:
        EndProgramNow();
    default:
        break;
    }
}

void FrmArraySet::closeEvent(QCloseEvent* event)
{
    bool cancelUnload = false;
    Form_QueryUnload(cancelUnload, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (cancelUnload)
        event->ignore();
    else
        event->accept();
}

// ---------------------------------------------------------------------------
// Keys and the mouse

void FrmArraySet::Form_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers)
{
    if (KeyMarksEdit(keyCode, modifiers))
        Global::ArraySetChanged = true;
}

bool FrmArraySet::ownsWidget(const QWidget* w) const
{
    const QWidget* top = w->window();
    if (top == this)
        return true;
    // A list's open drop-down is a window of its own, over its list.
    return top->windowType() == Qt::Popup && !qobject_cast<const QMenu*>(top) && top->parentWidget() &&
           top->parentWidget()->window() == this;
}

bool FrmArraySet::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress &&
        type != QEvent::Wheel && type != QEvent::MouseButtonRelease)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !ownsWidget(w))
        return false;
    auto* list = qobject_cast<QComboBox*>(w);
    switch (type) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (list && !key->isAutoRepeat())
            indexAtUserAction.insert(list, list->currentIndex());
        Form_KeyDown(key->key(), key->modifiers());
        break;
    }
    case QEvent::KeyRelease: {
        if (!list)
            break;
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int g = 0; g < Groups; ++g) {
            if (list == CmbMaker[g])
                CmbMaker_KeyUp(g, key);
            else if (list == CmbPowConMaker[g])
                CmbPowConMaker_KeyUp(g, key);
            else if (list == CmbNoSel[g])
                CmbNoSel_KeyUp(g, key);
        }
        for (int i = 0; i < Rows; ++i)
            if (list == CmbModSel[i])
                CmbModSel_KeyUp(i, key);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (list)
            indexAtUserAction.insert(list, list->currentIndex());
        break;
    case QEvent::MouseButtonRelease:
        if (w == SSTab1 || w == SSTab1->tabBar()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            SSTab1_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
            return mouse->button() == Qt::RightButton;
        }
        break;
    default:
        break;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Copy and paste of a group

void FrmArraySet::SSTab1_MouseUp(Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::RightButton)
        MnuCopyPasteMenu->popup(globalPos);
}

void FrmArraySet::MnuCopyPaste_Click(int index)
{
    const int t = SSTab1->currentIndex();
    if (t < 0 || t >= Groups)
        return;
    if (index == 0)
        copy(t);
    else if (index == 1)
        paste(t);
}

void FrmArraySet::copy(int t)
{
    GroupClipboardType& c = Global::GroupClipboard;
    c.MakerPos = std::int16_t(CmbMaker[t]->currentIndex());
    c.MakerText = CmbMaker[t]->currentText();
    for (int k = 0; k < RowsPerGroup; ++k) {
        const int i = RowsPerGroup * t + k;
        c.ModelPos[k] = std::int16_t(CmbModSel[i]->currentIndex());
        c.ModelTexts[k] = CmbModSel[i]->currentText();
        c.SeriesCounts[k] = TxtCnt[i]->text();
        c.ParallelCounts[k] = TxtCntH[i]->text();
    }
    c.GroupNoPos = std::int16_t(CmbNoSel[t]->currentIndex());
    c.PowConMakerPos = std::int16_t(CmbPowConMaker[t]->currentIndex());
    c.PowConMakerText = CmbPowConMaker[t]->currentText();
    c.PowConModelPos = std::int16_t(CmbPowConSerial[t]->currentIndex());
    c.PowConModelText = CmbPowConSerial[t]->currentText();
    MnuCopyPaste[1]->setEnabled(true);
}

bool FrmArraySet::pasteStillFits(int t) const
{
    const GroupClipboardType& c = Global::GroupClipboard;
    // Each copied position must name, in the list it will be chosen from,
    // the entry it named when it was copied.
    auto fits = [](const QStringList& items, int pos, const QString& text) {
        return pos < 0 || (pos < items.size() && items[pos] == text);
    };
    if (!fits(itemsOf(CmbMaker[t]), c.MakerPos, c.MakerText))
        return false;
    for (int k = 0; k < RowsPerGroup; ++k) {
        const QStringList models =
            c.MakerPos >= 0 ? modelListFor(t, c.MakerPos) : itemsOf(CmbModSel[RowsPerGroup * t + k]);
        if (!fits(models, c.ModelPos[k], c.ModelTexts[k]))
            return false;
    }
    if (c.GroupNoPos >= CmbNoSel[t]->count())
        return false;
    if (!fits(itemsOf(CmbPowConMaker[t]), c.PowConMakerPos, c.PowConMakerText))
        return false;
    const QStringList serials =
        c.PowConMakerPos >= 0 ? powConModelListFor(t, c.PowConMakerPos) : itemsOf(CmbPowConSerial[t]);
    return fits(serials, c.PowConModelPos, c.PowConModelText);
}

void FrmArraySet::paste(int t)
{
    if (!pasteStillFits(t)) {
        MsgBox(ui(876), vbOKOnly | vbExclamation, QString(), this);
        return;
    }
    const GroupClipboardType c = Global::GroupClipboard;
    // Each step relies on the lists the step before filled. The maker choice
    // runs even when the group has that maker already, so that the rows
    // start empty and come out as they were copied.
    if (CmbMaker[t]->currentIndex() == c.MakerPos)
        CmbMaker_Click(t);
    else
        choose(CmbMaker[t], c.MakerPos);
    for (int k = 0; k < RowsPerGroup; ++k) {
        const int i = RowsPerGroup * t + k;
        choose(CmbModSel[i], c.ModelPos[k]);
        TxtCnt[i]->setText(c.SeriesCounts[k]);
        TxtCntH[i]->setText(c.ParallelCounts[k]);
    }
    choose(CmbNoSel[t], c.GroupNoPos);
    if (CmbPowConMaker[t]->currentIndex() == c.PowConMakerPos)
        CmbPowConMaker_Click(t);
    else
        choose(CmbPowConMaker[t], c.PowConMakerPos);
    choose(CmbPowConSerial[t], c.PowConModelPos);
    Global::ArraySetChanged = true;
}
