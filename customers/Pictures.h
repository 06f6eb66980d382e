#pragma once
// Site and product pictures: the shrunken JPEG copy the program keeps of
// every picture it is given, and the rule by which a picture box shows a
// stored picture inside its fixed frame.
#include <QImage>
#include <QSizeF>
#include <QString>

class QLabel;

namespace Pictures {
// The box a stored copy must fit, in pixels.
inline constexpr int BoxWidth = 640;
inline constexpr int BoxHeight = 480;
// Frames of the main window's picture boxes, in twips.
inline constexpr int HistoryFrameWidth = 3200;
inline constexpr int HistoryFrameHeight = 2400;
inline constexpr int ModelFrameWidth = 4800;
inline constexpr int ModelFrameHeight = 3600;
inline constexpr double TwipsPerInch = 1440.0;
} // namespace Pictures

// The name of the copy made of a picture file named `fileName`: the part
// before its last "." followed by ".jpg" (empty when the name has no ".").
QString PicCopyName(const QString& fileName);

// The name, as `folder` holds it, of its picture file `name`: `name` itself
// when that file exists, else the first file (by name) whose name differs
// from it only in letter case, as the picture lists come from a system that
// ignores case; empty when there is none. Hidden files (".name") count as
// missing; a long path is looked up like any other.
QString PictureFileName(const QString& folder, const QString& name);

// Writes a copy of the picture `source` into `folder` (with or without a
// closing "/"), shrunk in proportion into 640 x 480 pixels when larger
// (drawn at the top left of a white 640 x 480 picture) and stored as JPEG
// at quality 100 under PicCopyName(source's name). A source lying in
// `folder` itself is first renamed to "_" & its name (when no file of that
// name exists yet), and is never overwritten by its own copy.
// Returns true when the copy was written; `copyName` then gets its name.
// A missing source gives false without a message; any other failure shows
// the error report titled "PicCopySizeDown" with the exclamation icon and
// gives false (a copy that cannot be written leaves any older copy as it
// was). Pictures of up to 256 MB of pixels (64 megapixels) are read.
bool PicCopySizeDown(const QString& source, const QString& folder, QString* copyName = nullptr);

// The picture file `path`, decoded. A file that is no loadable picture, or
// larger than 256 MB, throws AppError 481 (Invalid picture); a file that
// cannot be read throws its file error.
QImage ReadPicture(const QString& path);

// The size, in twips, at which a picture of natural size `natural` (twips)
// is shown in a frame of size `frame` (twips): shrunk in proportion until it
// fits, never enlarged. Single-precision results, as the boxes hold them.
QSizeF FitPictureSize(QSizeF natural, QSizeF frame);

// Twips to pixels and back at `dpi` logical dots per inch.
int TwipsToPixels(double twips, double dpi);
double PixelsToTwips(double pixels, double dpi);

// Shows the picture file `path` in `box`, fitted to a frame of
// frameWidth x frameHeight twips at the box's top-left corner (the box's
// position is not changed). An empty path or one naming no file leaves the
// box shown, empty and of frame size. A file that is no loadable picture
// throws AppError 481 and leaves the box hidden, for the caller's report.
void FitPictureToFrame(QLabel* box, const QString& path, int frameWidth, int frameHeight);
