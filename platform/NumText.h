#pragma once
// Numbers are held as text throughout the program and converted only to be
// computed with. Every conversion between text and number goes through here,
// so that all parts read and write numbers alike, whatever the locale.
#include <QString>

#include <cstdint>

namespace NumText {

// The number a text begins with: leading blanks and blanks between digits
// are skipped (space, tab, CR, LF), an optional sign, digits with at most one
// ".", an optional exponent ("E" or "D", optional sign, digits); "&H" and
// "&O" prefixes read hexadecimal and octal, as a 16-bit pattern when the
// value fits 16 bits ("&HFFFF" reads -1), else as a 32-bit one. Anything
// else ends the number. No number reads 0, and so does a number too large
// for a double (or, after "&H" or "&O", for 32 bits).
double Val(const QString& text);

// Val of a text of ASCII characters given as its bytes.
double ValAscii(const char* data, qsizetype size);

// A computed number as text: at most 15 significant digits, the shortest
// form, "." as the decimal separator, never "-0". Numbers from 1E-4 up to
// below 1E15 are written plainly, others with an exponent ("1E+15", "2.5E-05").
QString Str(double value);

// The number Val reads back from Str(value): value cut to 15 significant
// digits, without making the text (0 for what Str writes as "0").
double StrValue(double value);

// A number in a fixed pattern: "0", "00", "0000", "0.0", "0.00", "0.000",
// ... (a run of zeros, optionally "." and a run of zeros). The value is first
// cut to 15 significant digits, then rounded half away from zero: 2.675 with
// "0.00" gives "2.68", 250.5 with "0" gives "251". A result that would read
// "-0.00" is written without the sign.
QString Format(double value, const QString& pattern);

// The value of a text, formatted: Format(Val(text), pattern).
QString FormatText(const QString& text, const QString& pattern);

// Conversion to a whole number: halves to the even neighbour (2.5 gives 2,
// 3.5 gives 4). Out of range throws AppError 6 (Overflow).
std::int32_t CLng(double value);
std::int16_t CInt(double value);
std::uint8_t CByte(double value);

// True when `text` is a number as a whole (blanks around it allowed), the
// way a typed field is judged numeric.
bool IsNumeric(const QString& text);
// IsNumeric of a text of ASCII characters given as its bytes.
bool IsNumericAscii(const char* data, qsizetype size);

} // namespace NumText
