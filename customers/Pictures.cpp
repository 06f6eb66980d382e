#include "customers/Pictures.h"

#include "common/FileHelpers.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

constexpr qint64 MaxPictureFileSize = qint64(256) * 1024 * 1024;

// Qt refuses to decode pictures of more than 128 MB of pixels, about 33
// megapixels; today's cameras take more. The limit is raised for the
// program's own picture loads only, and still bounds what a file can make
// it allocate.
constexpr int PictureAllocationLimitMB = 256;

class AllocationLimit {
  public:
    AllocationLimit() : old(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(PictureAllocationLimitMB);
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(old); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

  private:
    int old;
};

QImage DecodePicture(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const AllocationLimit limit;
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw AppError(481);
    return image;
}

// The picture as it is stored: unchanged when it fits the box, else scaled
// in proportion into the box's top-left corner, the rest of the box white.
QImage ShrinkIntoBox(const QImage& source)
{
    const int w = source.width();
    const int h = source.height();
    const double factor = std::min(double(Pictures::BoxWidth) / w, double(Pictures::BoxHeight) / h);
    QImage out;
    QImage drawn;
    if (factor >= 1.0) {
        out = QImage(w, h, QImage::Format_RGB32);
        drawn = source;
    } else {
        out = QImage(Pictures::BoxWidth, Pictures::BoxHeight, QImage::Format_RGB32);
        const int sw = std::clamp(int(w * factor + 0.5), 1, Pictures::BoxWidth);
        const int sh = std::clamp(int(h * factor + 0.5), 1, Pictures::BoxHeight);
        drawn = source.scaled(sw, sh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (out.isNull())
        throw AppError(7);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, drawn);
    painter.end();
    return out;
}

QByteArray EncodeJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    if (!writer.write(image))
        throw AppError(75);
    return bytes;
}

QString CanonicalFolder(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

QImage ReadPicture(const QString& path)
{
    if (QFileInfo(path).size() > MaxPictureFileSize)
        throw AppError(481);
    return DecodePicture(ReadFileOrThrow(path));
}

QString PicCopyName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    return fileName.left(dot) + QStringLiteral(".jpg");
}

QString PictureFileName(const QString& folder, const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.'))
        return QString();
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return name;
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& file : files)
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return file;
    return QString();
}

bool PicCopySizeDown(const QString& source, const QString& folder, QString* copyName)
{
    if (copyName)
        copyName->clear();
    const QString name = FileCheck(source);
    if (name.isEmpty())
        return false;
    try {
        QString target = folder;
        if (!target.endsWith(u'/'))
            target += u'/';
        const QString copy = PicCopyName(name);
        if (copy.isEmpty())
            throw AppError(5);

        // Decode first: nothing is renamed or written for a file that is no
        // picture. A path read from an old file may name anything, so no
        // file larger than any picture is read whole.
        const QFileInfo sourceInfo(source);
        const QImage picture = ReadPicture(source);

        const QString copyPath = target + copy;
        const QString sourceFolder = CanonicalFolder(sourceInfo.absolutePath());
        if (!sourceFolder.isEmpty() && sourceFolder == CanonicalFolder(target)) {
            // A picture taken from the picture folder itself keeps its
            // original under a "_" name, and its copy never replaces it.
            const QString dir = sourceInfo.absolutePath() + u'/';
            const bool copyHitsSource = CanonicalFolder(copyPath) == sourceInfo.canonicalFilePath();
            QString kept = u'_' + name;
            bool rename = !QFileInfo::exists(dir + kept);
            while (!rename && copyHitsSource) {
                kept.prepend(u'_');
                if (kept.size() > 200)
                    throw AppError(58);
                rename = !QFileInfo::exists(dir + kept);
            }
            if (rename)
                RenameOrThrow(source, dir + kept);
        }

        const QByteArray jpeg = EncodeJpeg(ShrinkIntoBox(picture));
        WriteFileOrThrow(copyPath, jpeg);
        if (copyName)
            *copyName = copy;
        return true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
        ShowErrorReport(QStringLiteral("PicCopySizeDown"), ToAppError(std::current_exception()), true);
        return false;
    }
}

QSizeF FitPictureSize(QSizeF natural, QSizeF frame)
{
    if (natural.width() <= 0 || natural.height() <= 0 || frame.width() <= 0 || frame.height() <= 0)
        return natural;
    const double rw = natural.width() / frame.width();
    const double rh = natural.height() / frame.height();
    double ratio = rh >= rw ? rh : rw;
    if (ratio < 1.0)
        ratio = 1.0;
    return QSizeF(float(natural.width() / ratio), float(natural.height() / ratio));
}

int TwipsToPixels(double twips, double dpi)
{
    return qRound(twips * dpi / Pictures::TwipsPerInch);
}

double PixelsToTwips(double pixels, double dpi)
{
    return pixels * Pictures::TwipsPerInch / dpi;
}

void FitPictureToFrame(QLabel* box, const QString& path, int frameWidth, int frameHeight)
{
    if (!box)
        return;
    const double dpiX = box->logicalDpiX();
    const double dpiY = box->logicalDpiY();
    box->hide();
    box->clear();
    box->resize(TwipsToPixels(frameWidth, dpiX), TwipsToPixels(frameHeight, dpiY));
    if (!FileCheck(path).isEmpty()) {
        const QImage image = ReadPicture(path);
        const QSizeF natural(PixelsToTwips(image.width(), dpiX), PixelsToTwips(image.height(), dpiY));
        const QSizeF shown = FitPictureSize(natural, QSizeF(frameWidth, frameHeight));
        box->setScaledContents(true);
        box->setPixmap(QPixmap::fromImage(image));
        box->resize(std::max(1, TwipsToPixels(shown.width(), dpiX)),
                    std::max(1, TwipsToPixels(shown.height(), dpiY)));
    }
    box->show();
}
