#include "catalog/ModelPictures.h"

#include "catalog/CatalogAccess.h"
#include "catalog/CatalogGlobals.h"
#include "catalog/ModelFiles.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "common/Global.h"
#include "customers/Pictures.h"
#include "customers/UserData.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace {

int sideOfButton(int index)
{
    switch (index) {
    case 2: return Catalog::ModuleSide;
    case 4: return Catalog::PowConSide;
    default: return -1;
    }
}

QLabel* pictureBox(int side)
{
    return MainControl<QLabel>(QStringLiteral("ImgModule_%1").arg(side));
}

// The chosen maker's picture folders: the one named in the language in use
// first, then those other language files name (a switch of language renames
// nothing on disk).
QStringList chosenMakerFolders(int side)
{
    const QString maker = MakerNameAt(side, CurMaker(side));
    QStringList folders{ModelPictureFolder(side, maker)};
    for (const QString& name : LanguageFolderNames(side == Catalog::ModuleSide ? 541 : 542))
        if (!folders.contains(MakerFolder(side, maker) + u'/' + name))
            folders << MakerFolder(side, maker) + u'/' + name;
    return folders;
}

// The chosen maker's picture folder as it lies on disk, under whichever
// language's name; the one of the language in use when there is none yet.
QString chosenMakerFolder(int side)
{
    const QStringList folders = chosenMakerFolders(side);
    for (const QString& folder : folders)
        if (QFileInfo(folder).isDir())
            return folder;
    return folders.first();
}

// The box keeps the size of its frame in the window's layout; the picture
// is drawn at its top-left corner at the size the frame rule gives it.
void drawAtFittedSize(QLabel* box)
{
    const QPixmap picture = box->pixmap();
    if (picture.isNull())
        return;
    const double dpiX = box->logicalDpiX();
    const double dpiY = box->logicalDpiY();
    const QSizeF natural(PixelsToTwips(picture.width(), dpiX), PixelsToTwips(picture.height(), dpiY));
    const QSizeF shown =
        FitPictureSize(natural, QSizeF(Pictures::ModelFrameWidth, Pictures::ModelFrameHeight));
    const QSize pixels(std::max(1, TwipsToPixels(shown.width(), dpiX)),
                       std::max(1, TwipsToPixels(shown.height(), dpiY)));
    box->setScaledContents(false);
    box->setPixmap(pixels == picture.size()
                       ? picture
                       : picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

bool ShowModelPicture(int side, const QString& path)
{
    Global::ShownModelPicturePath[std::size_t(side)].clear();
    QLabel* box = pictureBox(side);
    if (!box)
        return false;
    try {
        FitPictureToFrame(box, path, Pictures::ModelFrameWidth, Pictures::ModelFrameHeight);
    } catch (const AppError&) {
        // A file that is no picture shows as no picture.
        FitPictureToFrame(box, QString(), Pictures::ModelFrameWidth, Pictures::ModelFrameHeight);
        return false;
    }
    if (box->pixmap().isNull())
        return false;
    drawAtFittedSize(box);
    box->update();
    Global::ShownModelPicturePath[std::size_t(side)] = path;
    return true;
}

QString ModelPicturePath(int side)
{
    const QString* name = SelectedPictureFile(side);
    if (!name || name->isEmpty() || !IsSafeNamePart(*name))
        return QString();
    for (const QString& folder : chosenMakerFolders(side))
        if (QFileInfo(folder + u'/' + *name).isFile())
            return folder + u'/' + *name;
    return chosenMakerFolder(side) + u'/' + *name;
}

bool IsViewableModelPicture(int side, const QString& path)
{
    if (path.isEmpty() || !ModelSelected(side))
        return false;
    const QFileInfo file(path);
    if (!IsSafeNamePart(file.fileName()) || file.isSymLink() || FileCheck(path).isEmpty())
        return false;
    const QString fileFolder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QStringList folders = chosenMakerFolders(side);
    if (fileFolder.isEmpty() || std::none_of(folders.begin(), folders.end(), [&](const QString& f) {
            return QFileInfo(f).canonicalFilePath() == fileFolder;
        }))
        return false;
    // An image by what it holds, and by the name the desktop goes by.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return false;
    return QImageReader::supportedImageFormats().contains(file.suffix().toLower().toLatin1());
}

void ModelPictureRegister(int index)
{
    const int side = sideOfButton(index);
    if (side < 0)
        return;
    Guarded(QStringLiteral("CmdPicReg_Click"), [&] {
        if (!ModelSelected(side))
            return;
        const QString folder = chosenMakerFolder(side);
        MakeFolder(folder);
        FileRequest request;
        request.filter = Global::UiText.value(539);
        const QString chosen = dialogs().openFile(request);
        if (chosen.isEmpty())
            return; // cancelled: nothing changes

        // The reference names the copy in the picture folder (its name ends
        // in ".jpg" whatever the chosen file's type); when the copy fails, a
        // file of that name already there is taken instead.
        QString path;
        const QString chosenName = FileCheck(chosen);
        if (!chosenName.isEmpty()) {
            QString copy;
            PicCopySizeDown(chosen, folder, &copy);
            if (copy.isEmpty())
                copy = PicCopyName(chosenName);
            if (!copy.isEmpty())
                path = folder + u'/' + copy;
        }
        ShowModelPicture(side, path);
        if (QString* picture = SelectedPictureFile(side))
            *picture = FileCheck(path);
        Global::TabModified[3] = true;
    });
}

void ModelPictureRemove(int side)
{
    Guarded(QStringLiteral("MnuPicDelete_Click"), [&] {
        QString* picture = SelectedPictureFile(side);
        if (!picture)
            return;
        ShowModelPicture(side, QString());
        picture->clear();
        Global::TabModified[3] = true;
    });
}
