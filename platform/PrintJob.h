#pragma once
// One print job of one A4 sheet: to the system's default printer through
// Qt's print support (CUPS on Linux), or, when the environment variable
// HELIODEX_PRINT_PDF_DIR names a folder, to a new PDF file in that folder
// (one file per job, written whole or not at all). The page is painted with
// vectors and real text in both cases.
#include <QPageLayout>
#include <QString>

#include <functional>

class QPainter;

namespace PrintJob {

inline constexpr char PdfDirVariable[] = "HELIODEX_PRINT_PDF_DIR";

// Paints one sheet through `paint` and hands it to the printer. The painter
// stands on the sheet's top left corner (no margins), in device pixels of
// painter.device(). Throws AppError: 484 when there is no default printer,
// 482 when the printer refuses the job, a file error when the PDF file
// cannot be written.
void PrintSheet(const QString& jobName, QPageLayout::Orientation orientation,
                const std::function<void(QPainter&)>& paint);

// The PDF file the next job to `folder` goes to: Heliodex-<date and time>-
// <process>-<n>.pdf, a name no file of the folder has.
QString NextPdfPath(const QString& folder);

} // namespace PrintJob
