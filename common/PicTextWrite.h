#pragma once
// Captions drawn into picture boxes: the text is drawn once into the box
// `PicText_<index>` of `form` (a QLabel), centred, and the drawing becomes
// the box's picture, so that it survives repainting.
#include <QString>

#include <cstdint>

class QWidget;

// mode 0: one line centred; 1: wrapped into at most three lines, each
// starting with a blank, the wrapped text handed back in `text`; any other
// mode: drawn from the left edge. Colours are Windows colour values
// (0x8000000F is the button face). An index that names no box gives the
// standard error report titled "PicTextWrite".
void PicTextWrite(QWidget* form, int index, QString& text, quint32 textColor, quint32 backColor,
                  float fontSize, std::uint8_t mode);

// The wrapping of mode 1 on its own: `measure`(text, context) gives a
// text's width in the units of `innerWidth`.
QString PicTextWrap(const QString& text, int innerWidth, int (*measure)(const QString&, const void*),
                    const void* context);
