#include "catalog/support/CatalogFixture.h"

#include "catalog/CatalogGlobals.h"
#include "common/Captions.h"
#include "common/FileHelpers.h"
#include "customers/CustomerForm.h"
#include "platform/AnsiCodec.h"
#include "platform/FlexGrid.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QKeyEvent>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace CatalogFixture {

QString Dir()
{
    return QStringLiteral(HX_FIXTURES "/catalog");
}

void Install(const QString& dataFolder)
{
    for (const char* side : {"MODULE_DATA", "POWER_CONDITIONER_DATA"})
        FolCopy(Dir() + QStringLiteral("/data/") + QLatin1String(side),
                dataFolder + u'/' + QLatin1String(side), true);
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Lines(const QStringList& lines)
{
    return AnsiCodec::joinLines(lines);
}

QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(QDir(folder).relativeFilePath(p), Bytes(p));
    }
    return out;
}

void MakePicture(const QString& path, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(image.save(path));
}

QString ModuleFile(const QString& maker, const QString& file)
{
    return Global::DataFolder + QStringLiteral("/MODULE_DATA/") + maker + u'/' + file;
}

QString PowConFile(const QString& maker, const QString& file)
{
    return Global::DataFolder + QStringLiteral("/POWER_CONDITIONER_DATA/") + maker + u'/' + file;
}

} // namespace CatalogFixture

CatalogWindow::CatalogWindow(bool install)
{
    if (install)
        CatalogFixture::Install(w.env.dataFolder());
    Global::ShownModelPicturePath = {};
    // The fixture's unreadable and short files are reported by the load.
    w.load();
    form = w.form.get();
    form->resize(1300, 720);
    form->show();
    form->SSTab->setCurrentIndex(3);
    QApplication::processEvents();
    w.env.dialogs->log.clear();
}

QObject* CatalogWindow::ctl(const QString& name) const
{
    QObject* o = form->controlObject(name);
    EXPECT_NE(o, nullptr) << name.toStdString();
    return o;
}

QObject* CatalogWindow::ctl(const char* name, int index) const
{
    return ctl(QString::fromLatin1(name) + u'_' + QString::number(index));
}

FlexGrid* CatalogWindow::makers(int side) const
{
    return qobject_cast<FlexGrid*>(ctl("MfgMakerList", side));
}

FlexGrid* CatalogWindow::models(int side) const
{
    return qobject_cast<FlexGrid*>(ctl("MfgSerialNoList", side));
}

QLabel* CatalogWindow::picture(int side) const
{
    return qobject_cast<QLabel*>(ctl("ImgModule", side));
}

QString CatalogWindow::text(int box) const
{
    return TextOf(ctl("TxtIn", box));
}

void CatalogWindow::type(int box, const QString& text) const
{
    auto* target = qobject_cast<QWidget*>(ctl("TxtIn", box));
    ASSERT_NE(target, nullptr);
    target->setFocus();
    for (QChar ch : text) {
        const bool enter = ch == u'\n';
        QKeyEvent press(QEvent::KeyPress, enter ? Qt::Key_Return : 0, Qt::NoModifier,
                        enter ? QStringLiteral("\r") : QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, enter ? Qt::Key_Return : 0, Qt::NoModifier,
                          enter ? QStringLiteral("\r") : QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

void CatalogWindow::clickMaker(int side, int row) const
{
    FlexGrid* g = makers(side);
    g->setRow(row);
    emit g->Click();
}

void CatalogWindow::clickModel(int side, int row) const
{
    FlexGrid* g = models(side);
    g->setRow(row);
    emit g->Click();
}

QStringList CatalogWindow::rows(const FlexGrid* grid) const
{
    QStringList out;
    for (int r = 1; r < grid->Rows(); ++r)
        out << grid->TextMatrix(r, 0);
    return out;
}
