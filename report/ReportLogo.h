#pragma once
// The report's logo: the built-in picture, or a picture file the user chose,
// remembered in the setting `Logo` (its full path; empty: built-in).
#include "platform/AppError.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

// The built-in logo, 150 by 30 pixels, drawn by the program.
QImage BuiltInLogo();

// The size in twips at which `picture` is shown in the logo's box, on the
// report window and on the printed pages: a pixel is 15 twips, and a picture
// larger than the box (the built-in logo's size) is scaled down to fit it,
// its aspect kept. A null picture has no size.
QSizeF LogoSizeTwips(const QImage& picture);

// The stored `Logo` path (empty: the built-in logo).
QString StoredLogoPath();

// The logo a report shows: the picture of the stored file when it names a
// file that loads; otherwise the built-in one, without a message (a file
// moved away or spoilt never stops a report).
QImage ReportLogo();

// The user chose the file `path`. A path that is empty, too long or names
// no file chooses the built-in logo (`Logo` stored empty). A file is loaded
// first and stored only when it loads; otherwise nothing changes and
// `error` tells why.
struct LogoChoice {
    enum Kind { Unchanged, Chosen, BuiltIn } kind = Unchanged;
    QImage image;
    std::optional<AppError> error;
};
LogoChoice ChooseLogoFile(const QString& path);

// Back to the built-in logo (`Logo` stored empty); false when it could not
// be stored.
bool RemoveLogo();
