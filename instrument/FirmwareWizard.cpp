#include "instrument/FirmwareWizard.h"

#include "common/AppGlobals.h"
#include "common/FrmMessWindow.h"
#include "common/Version.h"
#include "instrument/FirmwareTransfer.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/UsbProtocol.h"
#include "platform/EndProgram.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Firmware update");
// Width of the windows' text boxes, in pixels.
constexpr int kTextWidth = 460;

QString text(int n)
{
    return Global::UiText.value(FirmwareTextKey(n));
}

// The picture of the first window: a chip receiving new firmware.
QPixmap chipPicture()
{
    QPixmap pm(72, 72);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    for (int i = 0; i < 4; ++i) {
        int y = 22 + i * 10;
        p.drawLine(8, y, 18, y);
        p.drawLine(54, y, 64, y);
    }
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(18, 16, 36, 44, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 0));
    QPolygon arrow;
    arrow << QPoint(30, 24) << QPoint(42, 24) << QPoint(42, 36) << QPoint(48, 36) << QPoint(36, 50)
          << QPoint(24, 36) << QPoint(30, 36);
    p.drawPolygon(arrow);
    return pm;
}

// Every window of the wizard opens centred on the screen, so that one
// follows the other at the same place.
void showCentred(QWidget* w)
{
    w->adjustSize();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    }
    w->show();
}

void layoutButtons(QVBoxLayout* outer, std::initializer_list<QPushButton*> buttons)
{
    outer->addStretch(1);
    outer->addSpacing(6);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    outer->addLayout(row);
}

} // namespace

int FirmwareTextKey(int n)
{
    return (Global::InstrumentFamily == 1 ? 750 : 650) + n;
}

void EndFirmwareWizard()
{
    Global::FirmwareWizardActive = false;
    if (Global::FirmwareWizardWaitLoop)
        Global::FirmwareWizardWaitLoop->quit();
}

void ShowFirmwareWizard()
{
    showCentred(new WMenuS);
}

void WaitForFirmwareWizard()
{
    QEventLoop loop;
    QEventLoop* outer = Global::FirmwareWizardWaitLoop;
    Global::FirmwareWizardWaitLoop = &loop;
    // Also notices a flag cleared without EndFirmwareWizard.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&loop] {
        if (!Global::FirmwareWizardActive)
            loop.quit();
    });
    check.start(100);
    while (Global::FirmwareWizardActive)
        loop.exec();
    Global::FirmwareWizardWaitLoop = outer;
}

// ---------------------------------------------------------------------------

FirmwareWizardWindow::FirmwareWizardWindow(const QString& name) : QWidget(nullptr, Qt::Window)
{
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTitle);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFixedWidth(kTextWidth + 24);
    // The session ending (log-off, shutdown) ends the program at once.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [] { EndProgramNow(); });
}

void FirmwareWizardWindow::unload()
{
    unloading = true;
    close();
}

void FirmwareWizardWindow::closeEvent(QCloseEvent* event)
{
    if (!unloading) {
        if (!userMayClose()) {
            event->ignore();
            return;
        }
        EndFirmwareWizard();
        IV_TRACER_DEVICE_CLOSE();
    }
    aboutToUnload();
    event->accept();
}

QPlainTextEdit* FirmwareWizardWindow::messageBox(const QString& name, int key, int boxWidth)
{
    auto* t = new QPlainTextEdit(this);
    t->setObjectName(name);
    t->setReadOnly(true);
    t->setPlainText(Global::UiText.value(key));
    t->setFrameShape(QFrame::NoFrame);
    t->setFocusPolicy(Qt::NoFocus);
    t->viewport()->setAutoFillBackground(false);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As high as its text needs at the window's width (at least two lines,
    // at most eight; a longer text scrolls).
    const QFontMetrics fm(t->font());
    const int width = (boxWidth > 0 ? boxWidth : kTextWidth) - 2 * int(t->document()->documentMargin()) - 8;
    const int textHeight =
        fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, t->toPlainText()).height();
    const int height = qBound(fm.lineSpacing() * 2, textHeight, fm.lineSpacing() * 8);
    t->setFixedHeight(height + 2 * int(t->document()->documentMargin()) + 4);
    return t;
}

QPushButton* FirmwareWizardWindow::button(const QString& name, int key)
{
    auto* b = new QPushButton(Global::UiText.value(key), this);
    b->setObjectName(name);
    b->setMinimumWidth(110);
    return b;
}

// ---------------------------------------------------------------------------

WMenuS::WMenuS() : FirmwareWizardWindow(QStringLiteral("WMenuS"))
{
    setWindowTitle(
        kTitle +
        QStringLiteral(" 【Ver%1.%2.%3】").arg(AppVersionMajor).arg(AppVersionMinor).arg(AppVersionRevision));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(chipPicture());
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(picture);

    TxtTitle = new QLineEdit(this);
    TxtTitle->setObjectName(QStringLiteral("TxtTitle"));
    TxtTitle->setReadOnly(true);
    TxtTitle->setFrame(false);
    TxtTitle->setFocusPolicy(Qt::NoFocus);
    TxtTitle->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    TxtTitle->setText(text(0));
    QFont bold = TxtTitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    TxtTitle->setFont(bold);
    TxtMess = messageBox(QStringLiteral("TxtMess"), FirmwareTextKey(1), kTextWidth - 110);
    CmdBtn = button(QStringLiteral("CmdBtn"), FirmwareTextKey(2));

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(frame, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(TxtTitle);
    texts->addWidget(TxtMess, 1);
    top->addLayout(texts, 1);
    outer->addLayout(top, 1);
    layoutButtons(outer, {CmdBtn});

    connect(CmdBtn, &QPushButton::clicked, this, &WMenuS::CmdBtn_Click);
}

void WMenuS::CmdBtn_Click()
{
    showCentred(new WMenu1);
    unload();
}

WMenu1::WMenu1() : FirmwareWizardWindow(QStringLiteral("WMenu1"))
{
    TxtMess = messageBox(QStringLiteral("TxtMess"), FirmwareTextKey(3));
    for (int i = 0; i < 2; ++i) {
        OptSel[i] = new QRadioButton(this);
        OptSel[i]->setObjectName(QStringLiteral("OptSel_%1").arg(i));
    }
    OptSel[0]->setChecked(true);
    OptSel[0]->setText(text(4));
    OptSel[1]->setText(text(5));
    Command1 = button(QStringLiteral("Command1"), FirmwareTextKey(6));
    Command2 = button(QStringLiteral("Command2"), FirmwareTextKey(7));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TxtMess, 1);
    outer->addWidget(OptSel[0]);
    outer->addWidget(OptSel[1]);
    layoutButtons(outer, {Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &WMenu1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &WMenu1::Command2_Click);
}

void WMenu1::Command1_Click()
{
    if (OptSel[0]->isChecked()) {
        showCentred(new WMenu2);
    } else {
        IV_TRACER_DEVICE_CLOSE();
        EndFirmwareWizard();
    }
    unload();
}

void WMenu1::Command2_Click()
{
    IV_TRACER_DEVICE_CLOSE();
    EndFirmwareWizard();
    unload();
}

WMenu2::WMenu2() : FirmwareWizardWindow(QStringLiteral("WMenu2"))
{
    for (int i = 0; i < 2; ++i)
        TxtMess[i] = messageBox(QStringLiteral("TxtMess_%1").arg(i), FirmwareTextKey(8 + i));
    Command1 = button(QStringLiteral("Command1"), FirmwareTextKey(10));
    Command2 = button(QStringLiteral("Command2"), FirmwareTextKey(11));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TxtMess[0], 1);
    outer->addWidget(TxtMess[1], 1);
    layoutButtons(outer, {Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &WMenu2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &WMenu2::Command2_Click);
}

void WMenu2::Command1_Click()
{
    showCentred(new WMenu3);
    unload();
}

void WMenu2::Command2_Click()
{
    IV_TRACER_DEVICE_CLOSE();
    EndFirmwareWizard();
    unload();
}

WMenu3::WMenu3() : FirmwareWizardWindow(QStringLiteral("WMenu3"))
{
    for (int i = 0; i < 2; ++i)
        TxtMess[i] = messageBox(QStringLiteral("TxtMess_%1").arg(i), FirmwareTextKey(12 + i));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TxtMess[0], 1);
    outer->addWidget(TxtMess[1], 1);
    outer->addWidget(ProgressBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(Global::FirmwareTransferDelayMs);
    connect(Timer1, &QTimer::timeout, this, &WMenu3::Timer1_Timer);
    Timer1->start();
}

void WMenu3::aboutToUnload()
{
    Timer1->stop();
}

void WMenu3::Timer1_Timer()
{
    Timer1->stop();
    if (running)
        return;
    // Long work: the windows take no input, and the bar repaints while the
    // transfer waits on the instrument.
    TransferResult result = TransferResult::FileRejected;
    {
        const LongWork work(this);
        TransferHooks hooks;
        hooks.progress = [this](int v) {
            ProgressBar1->setValue(v);
            LongWork::Pump();
        };
        hooks.processEvents = [] { LongWork::Pump(); };
        running = true;
        try {
            result = WriteFirmware(Global::FirmwareFilePath, hooks);
        } catch (...) {
            running = false;
            throw;
        }
        running = false;
    }
    switch (result) {
    case TransferResult::Written:
        showCentred(new WMenu4);
        IV_TRACER_DEVICE_CLOSE();
        break;
    case TransferResult::FileRejected:
        // Refused before the instrument was touched: the wizard ends as a
        // cancel does.
        IV_TRACER_DEVICE_CLOSE();
        EndFirmwareWizard();
        break;
    case TransferResult::NotAccepted:
        // The instrument would not take the firmware; its box told the user
        // to run the update again. The wizard ends as a cancel does and the
        // program goes on.
        CloseLinkAfterFailure();
        EndFirmwareWizard();
        break;
    }
    unload();
}

WMenu4::WMenu4() : FirmwareWizardWindow(QStringLiteral("WMenu4"))
{
    for (int i = 0; i < 2; ++i)
        TxtMess[i] = messageBox(QStringLiteral("TxtMess_%1").arg(i), FirmwareTextKey(14 + i));
    Command1 = button(QStringLiteral("Command1"), FirmwareTextKey(16));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TxtMess[0], 1);
    outer->addWidget(TxtMess[1], 1);
    layoutButtons(outer, {Command1});

    connect(Command1, &QPushButton::clicked, this, &WMenu4::Command1_Click);
}

void WMenu4::Command1_Click()
{
    showCentred(new WMenu5);
    unload();
}

WMenu5::WMenu5() : FirmwareWizardWindow(QStringLiteral("WMenu5"))
{
    TxtMess = messageBox(QStringLiteral("TxtMess"), FirmwareTextKey(17));
    Command1 = button(QStringLiteral("Command1"), FirmwareTextKey(18));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TxtMess, 1);
    layoutButtons(outer, {Command1});

    connect(Command1, &QPushButton::clicked, this, &WMenu5::Command1_Click);
}

void WMenu5::Command1_Click()
{
    EndFirmwareWizard();
    unload();
}
