#pragma once
// Reading and setting the caption or the text of any control the same way,
// whatever widget stands for it.
#include <QString>

class QObject;

// The caption: a label's, a button's or a check box's text, a frame's
// title, a menu's title, a menu item's text, a window's title.
QString CaptionOf(const QObject* control);
void SetCaption(QObject* control, const QString& caption);

// The text: a text box's or a memo's text, a list's shown text, else the
// caption.
QString TextOf(const QObject* control);
void SetTextOf(QObject* control, const QString& text);
