#include "platform/PrintJob.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace PrintJob {

namespace {

QPageLayout SheetLayout(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0));
}

void PrintToPdf(const QString& folder, const QString& jobName, QPageLayout::Orientation orientation,
                const std::function<void(QPainter&)>& paint)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageLayout(SheetLayout(orientation));
        writer.setTitle(jobName);
        writer.setCreator(QStringLiteral("Heliodex"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw AppError(482);
        paint(painter);
        if (!painter.end())
            throw AppError(482);
    }
    WriteFileOrThrow(NextPdfPath(folder), buffer.data());
}

} // namespace

QString NextPdfPath(const QString& folder)
{
    static int jobs = 0;
    const QDir dir(folder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (;;) {
        const QString name = QStringLiteral("Heliodex-%1-%2-%3.pdf")
                                 .arg(stamp)
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(++jobs, 3, 10, QLatin1Char('0'));
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
}

void PrintSheet(const QString& jobName, QPageLayout::Orientation orientation,
                const std::function<void(QPainter&)>& paint)
{
    const QString folder = qEnvironmentVariable(PdfDirVariable);
    if (!folder.isEmpty()) {
        PrintToPdf(folder, jobName, orientation, paint);
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw AppError(484);
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobName);
    printer.setCreator(QStringLiteral("Heliodex"));
    printer.setFullPage(true);
    printer.setPageLayout(SheetLayout(orientation));
    QPainter painter;
    if (!painter.begin(&printer))
        throw AppError(482);
    paint(painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw AppError(482);
}

} // namespace PrintJob
