#include "common/FrmMessWindow.h"

#include "common/Global.h"
#include "platform/FlexGrid.h"
#include "platform/UsbLink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

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
    FitToText();
    if (!isVisible())
        centreOver(this, parentWidget());
    show();
    raise();
    Refresh();
}

void FrmLoading::FitToText()
{
    const int margin = TwipsToPixelsX(120, this);
    const int width =
        std::max(TwipsToPixelsX(4800, this), LblMess->fontMetrics().horizontalAdvance(LblMess->text()) + 3 * margin);
    if (width == this->width())
        return;
    const QPoint centre = geometry().center();
    setFixedSize(width, height());
    if (isVisible())
        move(centre - QPoint(width / 2, height() / 2));
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

// ---------------------------------------------------------------------------
// Long work

namespace {

bool IsUserInput(const QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        return e->spontaneous(); // the close box; the program's own closes pass
    default:
        return false;
    }
}

// Drops user input to every window while long work runs. A message box the
// work opens (modal, and not open before the work began) takes its input.
class LongWorkInputFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!IsUserInput(event))
            return false;
        // A key that would trigger a menu's shortcut: taken as the widget's
        // own key, so that no shortcut fires, then dropped.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return !ToModalOfTheWork(watched);
        }
        if (event->type() == QEvent::Shortcut)
            return true;
        // Events reach a window first and its widget next; they are judged
        // at the widget.
        if (!watched->isWidgetType())
            return false;
        if (ToModalOfTheWork(watched))
            return false;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }

  private:
    static bool ToModalOfTheWork(QObject* watched)
    {
        auto* w = qobject_cast<QWidget*>(watched);
        QWidget* modal = QApplication::activeModalWidget();
        if (!w || !modal || modal == Global::LongWorkStartModal)
            return false;
        return w == modal || modal->isAncestorOf(w);
    }
};

} // namespace

LongWork::LongWork(QWidget* shown)
{
    if (shown) {
        outerRefresh = Global::LongWorkRefresh;
        Global::LongWorkRefresh = [window = QPointer<QWidget>(shown), outer = outerRefresh] {
            if (outer)
                outer();
            if (window)
                window->update();
        };
        ownsRefresh = true;
    }
    if (Global::LongWorkDepth++ > 0 || !QCoreApplication::instance())
        return;
    Global::LongWorkStartModal = QApplication::activeModalWidget();
    Global::LongWorkInputFilter = new LongWorkInputFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(Global::LongWorkInputFilter);
    Global::LongWorkOuterUsbHook = Global::UsbWaitHook;
    Global::UsbWaitHook = [] { LongWork::Pump(); };
    Global::LongWorkLastPump.start();
}

LongWork::~LongWork()
{
    if (ownsRefresh)
        Global::LongWorkRefresh = outerRefresh;
    if (--Global::LongWorkDepth > 0 || !Global::LongWorkInputFilter)
        return;
    // Input that came in during the work is still dropped, not delivered
    // late.
    Global::LongWorkDepth = 1;
    Pump(true);
    Global::LongWorkDepth = 0;
    delete Global::LongWorkInputFilter;
    Global::LongWorkInputFilter = nullptr;
    Global::LongWorkStartModal = nullptr;
    Global::UsbWaitHook = Global::LongWorkOuterUsbHook;
    Global::LongWorkOuterUsbHook = nullptr;
}

bool LongWork::Running()
{
    return Global::LongWorkDepth > 0;
}

void LongWork::Pump(bool now)
{
    if (!Running() || Global::LongWorkPumping || !QCoreApplication::instance())
        return;
    if (!now && Global::LongWorkLastPump.isValid() && Global::LongWorkLastPump.elapsed() < PumpIntervalMs)
        return;
    Global::LongWorkPumping = true;
    if (Global::LongWorkRefresh)
        Global::LongWorkRefresh();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    Global::LongWorkPumping = false;
    Global::LongWorkLastPump.restart();
}

LongWorkProgress::LongWorkProgress(QWidget* owner, int maximum, const QString& text) : label(text)
{
    form = FrmLoading::Load(owner);
    form->pBar->setRange(0, maximum);
    form->pBar->setValue(0);
    form->LblMess->setText(text);
    form->Show();
    outerRefresh = Global::LongWorkRefresh;
    Global::LongWorkRefresh = [this] { refresh(); };
    refreshInstalled = true;
    LongWork::Pump(true);
}

LongWorkProgress::~LongWorkProgress()
{
    close();
}

void LongWorkProgress::close()
{
    if (refreshInstalled) {
        Global::LongWorkRefresh = outerRefresh;
        outerRefresh = nullptr;
        refreshInstalled = false;
    }
    if (form)
        FrmLoading::Unload();
    form = nullptr;
}

void LongWorkProgress::setValue(int value)
{
    wanted = value;
    LongWork::Pump();
}

void LongWorkProgress::setMaximum(int maximum)
{
    if (form)
        form->pBar->setRange(0, maximum);
}

void LongWorkProgress::setLabel(const QString& text)
{
    label = text;
    labelChanged = true;
    LongWork::Pump();
}

void LongWorkProgress::refresh()
{
    if (!form)
        return;
    if (form->pBar->value() != wanted)
        form->pBar->setValue(wanted);
    if (labelChanged) {
        form->LblMess->setText(label);
        form->FitToText();
        labelChanged = false;
    }
    // Painted at every pump, also while the bar moves by less than a pixel:
    // the window never looks frozen.
    form->update();
}
