#include "app/FrmSplash.h"

#include "common/AppGlobals.h"
#include "app/Startup.h"
#include "platform/Dialogs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The splash picture: a sun above a photovoltaic module.
QPixmap splashPicture()
{
    QPixmap pm(140, 140);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient sun(QPointF(100, 38), 26);
    sun.setColorAt(0, QColor(255, 230, 90));
    sun.setColorAt(1, QColor(255, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(100, 38), 24, 24);
    p.setBrush(QColor(20, 50, 120));
    QPolygonF panel;
    panel << QPointF(14, 80) << QPointF(104, 80) << QPointF(126, 128) << QPointF(6, 128);
    p.drawPolygon(panel);
    p.setPen(QPen(QColor(170, 200, 240), 1.5));
    for (int i = 1; i < 4; ++i) {
        qreal t = i / 4.0;
        p.drawLine(QPointF(14 + 90 * t, 80), QPointF(6 + 120 * t, 128));
    }
    for (int i = 1; i < 3; ++i) {
        qreal t = i / 3.0;
        qreal y = 80 + 48 * t;
        p.drawLine(QPointF(14 - 8 * t, y), QPointF(104 + 22 * t, y));
    }
    return pm;
}

} // namespace

frmSplash::frmSplash()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(splashPicture());
    lblProductName = new QLabel(this);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    lblProductName->setFont(big);
    lblCompanyProduct = new QLabel(this);
    lblCompanyProduct->setObjectName(QStringLiteral("lblCompanyProduct"));
    lblCompanyProduct->setWordWrap(true);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    LblLoadingMess = new QLabel(Frame1);
    LblLoadingMess->setObjectName(QStringLiteral("LblLoadingMess"));
    LblLoadingMess->setWordWrap(true);
    LblLoadingMess->setAlignment(Qt::AlignCenter);

    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(LblLoadingMess);
    auto* texts = new QVBoxLayout;
    texts->addWidget(lblCompanyProduct);
    texts->addWidget(lblProductName);
    texts->addWidget(lblVersion, 0, Qt::AlignRight);
    texts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->addLayout(top, 1);
    outer->addWidget(Frame1);

    Frame1->installEventFilter(this);
    LblLoadingMess->installEventFilter(this);
    Form_Load();
    setFixedSize(sizeHint().expandedTo(QSize(480, 0)));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::Form_Load()
{
    lblVersion->setText(QStringLiteral("[Version.%1.%2.%3]")
                            .arg(AppVersionMajor)
                            .arg(AppVersionMinor)
                            .arg(AppVersionRevision));
    lblProductName->setText(AppTitle);
    lblCompanyProduct->setText(Global::UiText.value(510));
    LblLoadingMess->setText(Global::UiText.value(776));
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    // Form_KeyPress: any key closes the splash.
    event->accept();
    close();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    // Frame1_Click closes the splash.
    if (event->type() == QEvent::MouseButtonRelease && (watched == Frame1 || watched == LblLoadingMess)) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
