#include "common/FrmMessWindow.h"

#include "common/Global.h"
#include "platform/FlexGrid.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

void setWindowColor(QWidget* w, quint32 color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ColorFromValue(color));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColor(QWidget* w, quint32 color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, ColorFromValue(color));
    w->setPalette(pal);
}

// Places `w` centred over `owner` (over the screen without one).
void centreOver(QWidget* w, QWidget* owner)
{
    QPoint centre;
    if (owner && owner->isVisible()) {
        centre = owner->frameGeometry().center();
    } else if (auto* s = QGuiApplication::primaryScreen()) {
        centre = s->availableGeometry().center();
    }
    w->move(centre - QPoint(w->width() / 2, w->height() / 2));
}

Qt::WindowFlags smallWindowFlags()
{
    return Qt::Tool | Qt::FramelessWindowHint;
}

// What every close request of the two windows does: a close by the user or
// by the program closes the window; any other (the session, the task
// manager, a parent or owner window) ends the program at once.
void queryUnload(bool& cancel, int unloadMode)
{
    cancel = false;
    if (unloadMode != vbFormControlMenu && unloadMode != vbFormCode)
        EndProgramNow();
}

} // namespace

// ---------------------------------------------------------------------------
// FrmMessWindow

FrmMessWindow::FrmMessWindow(QWidget* owner) : QWidget(owner, smallWindowFlags())
{
    setObjectName(QStringLiteral("FrmMessWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle);
    setWindowColor(this, 0x00FFFF); // yellow

    LblMess = new QLabel(this);
    LblMess->setObjectName(QStringLiteral("LblMess"));
    LblMess->setTextFormat(Qt::PlainText);
    QFont f = LblMess->font();
    f.setBold(true);
    f.setPointSizeF(20.25);
    LblMess->setFont(f);
    setTextColor(LblMess, 0x000000);
    LblMess->move(TwipsToPixelsX(360, this), TwipsToPixelsY(240, this));

    TimClose = new QTimer(this);
    TimClose->setObjectName(QStringLiteral("TimClose"));
    TimClose->setSingleShot(false);
    connect(TimClose, &QTimer::timeout, this, &FrmMessWindow::TimClose_Timer);
}

FrmMessWindow* FrmMessWindow::Load(QWidget* owner)
{
    if (Global::MessWindowForm)
        return Global::MessWindowForm;
    auto* w = new FrmMessWindow(owner);
    Global::MessWindowForm = w;
    w->Form_Load();
    return w;
}

bool FrmMessWindow::IsLoaded()
{
    return !Global::MessWindowForm.isNull();
}

void FrmMessWindow::Unload()
{
    if (Global::MessWindowForm)
        Global::MessWindowForm->close();
}

void FrmMessWindow::Form_Load()
{
    LblMess->setText(Global::MessWindowText);
    LblMess->adjustSize();
    resize(LblMess->width() + TwipsToPixelsX(1000, this), TwipsToPixelsY(900, this));
    TimClose->setInterval(1000);
    TimClose->start();
}

void FrmMessWindow::Show()
{
    if (isVisible()) {
        raise();
        return;
    }
    centreOver(this, parentWidget());
    show();
    raise();
}

void FrmMessWindow::setBackColor(quint32 color)
{
    setWindowColor(this, color);
}

void FrmMessWindow::setMessForeColor(quint32 color)
{
    setTextColor(LblMess, color);
}

void FrmMessWindow::TimClose_Timer()
{
    close();
}

void FrmMessWindow::Form_QueryUnload(bool& cancel, int unloadMode)
{
    queryUnload(cancel, unloadMode);
}

void FrmMessWindow::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (cancel) {
        event->ignore();
        return;
    }
    TimClose->stop();
    if (Global::MessWindowForm == this)
        Global::MessWindowForm = nullptr;
    event->accept();
}

void ShowMessWindow(QWidget* owner)
{
    FrmMessWindow::Load(owner)->Show();
}

// ---------------------------------------------------------------------------
// FrmLoading

FrmLoading::FrmLoading(QWidget* owner) : QWidget(owner, smallWindowFlags())
{
    setObjectName(QStringLiteral("FrmLoading"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle);
    setWindowColor(this, 0xC0E0FF); // light orange

    LblMess = new QLabel(this);
    LblMess->setObjectName(QStringLiteral("LblMess"));
    LblMess->setTextFormat(Qt::PlainText);
    pBar = new QProgressBar(this);
    pBar->setObjectName(QStringLiteral("pBar"));
    pBar->setRange(0, 100);
    pBar->setValue(0);
    pBar->setTextVisible(false);

    // The text line is indented; the bar spans the window's whole width.
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, TwipsToPixelsY(120, this), 0, TwipsToPixelsY(120, this));
    auto* textRow = new QHBoxLayout;
    textRow->setContentsMargins(TwipsToPixelsX(120, this), 0, TwipsToPixelsX(120, this), 0);
    textRow->addWidget(LblMess, 0, Qt::AlignLeft);
    textRow->addStretch(1);
    lay->addLayout(textRow);
    lay->addWidget(pBar);
    setFixedSize(TwipsToPixelsX(4800, this), TwipsToPixelsY(1000, this));
}

FrmLoading* FrmLoading::Load(QWidget* owner)
{
    if (Global::LoadingForm)
        return Global::LoadingForm;
    auto* w = new FrmLoading(owner);
    Global::LoadingForm = w;
    w->Form_Load();
    return w;
}

bool FrmLoading::IsLoaded()
{
    return !Global::LoadingForm.isNull();
}

void FrmLoading::Unload()
{
    if (Global::LoadingForm)
        Global::LoadingForm->close();
}

void FrmLoading::Show()
{
    if (!isVisible())
        centreOver(this, parentWidget());
    show();
    raise();
    Refresh();
}

void FrmLoading::Refresh()
{
    if (isVisible())
        repaint();
}

void FrmLoading::Form_QueryUnload(bool& cancel, int unloadMode)
{
    queryUnload(cancel, unloadMode);
}

void FrmLoading::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (cancel) {
        event->ignore();
        return;
    }
    if (Global::LoadingForm == this)
        Global::LoadingForm = nullptr;
    event->accept();
}
