#pragma once
// Placing the report's controls at their designed positions in twips, at
// the screen's logical dots per inch.
#include <QWidget>

namespace ReportLayout {

// Moves and sizes `w` to (left, top, width, height) twips within its parent.
void Place(QWidget* w, int left, int top, int width, int height);
// Twips to pixels of `w`'s screen, across and down.
int X(const QWidget* w, double twips);
int Y(const QWidget* w, double twips);

} // namespace ReportLayout
