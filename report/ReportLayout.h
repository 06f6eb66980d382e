#pragma once
// Placing the report's controls at their designed positions in twips, at
// the screen's logical dots per inch.
#include <QWidget>

class QLabel;

namespace ReportLayout {

// Moves and sizes `w` to (left, top, width, height) twips within its parent.
void Place(QWidget* w, int left, int top, int width, int height);
// Twips to pixels of `w`'s screen, across and down.
int X(const QWidget* w, double twips);
int Y(const QWidget* w, double twips);

// How far a box too narrow by `missing` grows into the room beside it:
// towards the side its alignment leaves open first (a left-aligned text to
// the right, a right-aligned one to the left, a centred one both ways
// alike), then the other. Shared by the window and the printed pages.
struct Growth {
    int left = 0;
    int right = 0;
};
Growth GrowAcross(int missing, int roomLeft, int roomRight, Qt::Alignment align);

// Fits a one-line caption whole into its box in the font really used: the
// box grows where its parent leaves room beside it (towards the side its
// alignment leaves open, up to the nearest sibling on its line or the
// parent's edge), and the font shrinks for that caption alone for what is
// still missing. Each fit starts again from the caption's designed box and
// font, so it may run after every change of text. Wrapping captions wrap.
void FitCaption(QLabel* caption);

} // namespace ReportLayout
