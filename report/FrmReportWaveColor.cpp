#include "report/FrmReportWaveColor.h"

#include "common/AppGlobals.h"
#include "common/ControlMakers.h"
#include "common/FrmMessWindow.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/FlexGrid.h"
#include "report/CurveColors.h"
#include "report/ReportLayout.h"
#include "report/Swatch.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using ReportLayout::Place;

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

QString Arr(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

// Designed rows: the first at 420 twips, one every 255.
int RowTop(int r)
{
    return 420 + 255 * r;
}

} // namespace

FrmReportWaveColor::FrmReportWaveColor(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FrmReportWaveColor"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(ProgramFont(QStringLiteral("MS UI Gothic"), 9));
    setFixedSize(ReportLayout::X(this, 3630), ReportLayout::Y(this, 5565));

    for (int i = 0; i < int(Label1.size()); ++i)
        Label1[std::size_t(i)] = ControlMakers::newCaption(Arr("Label1", i), this);
    for (int r = 0; r < Rows; ++r) {
        auto* pv = new Swatch(Arr("PivPV", r), this);
        auto* iv = new Swatch(Arr("PivIV", r), this);
        pv->onDoubleClick = [this, r] { PivPV_DblClick(r); };
        iv->onDoubleClick = [this, r] { PivIV_DblClick(r); };
        PivPV[std::size_t(r)] = pv;
        PivIV[std::size_t(r)] = iv;
        QLabel* label = Label1[std::size_t(r < 10 ? r : r + 2)];
        Place(label, 120, RowTop(r), 930, 255);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Place(pv, 1080, RowTop(r), 525, 255);
        Place(iv, 1665, RowTop(r), 525, 255);
    }
    // The P-V column stands left of the I-V column.
    Place(Label1[11], 1080, 120, 525, 255);
    Place(Label1[10], 1665, 120, 525, 255);
    Label1[11]->setAlignment(Qt::AlignCenter);
    Label1[10]->setAlignment(Qt::AlignCenter);

    OKButton = ControlMakers::make<QPushButton>(QStringLiteral("OKButton"), this);
    CancelButton = ControlMakers::make<QPushButton>(QStringLiteral("CancelButton"), this);
    Place(OKButton, 2340, RowTop(0), 1170, 375);
    Place(CancelButton, 2340, RowTop(0) + 480, 1170, 375);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });

    Form_Load();
    if (QScreen* s = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void FrmReportWaveColor::Form_Load()
{
    setWindowTitle(Ui(688));
    OKButton->setText(Ui(689));
    CancelButton->setText(Ui(690));
    for (int r = 0; r < 10; ++r)
        Label1[std::size_t(r)]->setText(Ui(691 + r));
    Label1[10]->setText(Ui(701));
    Label1[11]->setText(Ui(702));
    for (int r = 10; r < Rows; ++r)
        Label1[std::size_t(r + 2)]->setText(Ui(728 + r));
    for (int r = 0; r < Rows; ++r) {
        PivIV[std::size_t(r)]->setBackColor(CurveColorOf(CurveColor::IV, r));
        PivPV[std::size_t(r)]->setBackColor(CurveColorOf(CurveColor::PV, r));
    }
}

void FrmReportWaveColor::chooseInto(Swatch* swatch)
{
    // No colour is offered first; cancel leaves the swatch as it was.
    if (const std::optional<quint32> c = dialogs().chooseColor(0))
        swatch->setBackColor(*c & 0xFFFFFF);
}

void FrmReportWaveColor::PivIV_DblClick(int index)
{
    if (index >= 0 && index < Rows)
        chooseInto(PivIV[std::size_t(index)]);
}

void FrmReportWaveColor::PivPV_DblClick(int index)
{
    if (index >= 0 && index < Rows)
        chooseInto(PivPV[std::size_t(index)]);
}

void FrmReportWaveColor::OKButton_Click()
{
    for (int r = 0; r < Rows; ++r) {
        Global::CurveColors[CurveColor::IV][std::size_t(r)] = PivIV[std::size_t(r)]->backColor();
        Global::CurveColors[CurveColor::PV][std::size_t(r)] = PivPV[std::size_t(r)]->backColor();
    }
    StoreCurveColors();
    done(QDialog::Accepted);
}

void FrmReportWaveColor::CancelButton_Click()
{
    done(QDialog::Rejected);
}

void FrmReportWaveColor::reject()
{
    // Escape drops the choices as Cancel does.
    CancelButton_Click();
}

void FrmReportWaveColor::Form_QueryUnload(bool& cancel, int unloadMode)
{
    cancel = false;
    if (unloadMode == vbAppWindows || unloadMode == vbAppTaskManager || unloadMode == vbFormMDIForm)
        EndProgramNow();
}

void FrmReportWaveColor::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (cancel) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
