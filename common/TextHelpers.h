#pragma once
// Small pure helpers for texts and numbers that every subsystem shares.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// UI text of the refusal of a character the data files cannot hold.
inline constexpr int UiTextNotHeld = 975;

// The text without "/" and ":" (12:07:09 gives 120709).
QString SlCoCut(const QString& text);
// False when the name holds / > < ? : ; " \ * or |; an empty name gives true.
bool FileNameErrorCheck(const QString& name);
// True when a name the user typed can be one folder or file name on Windows
// and on this system, so that data travels between computers on backups and
// copies: not empty, no leading dot (a hidden entry here, "." and ".."
// included), no trailing blank or dot (Windows drops them), no control
// character, none of the characters FileNameErrorCheck refuses, not a
// reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an
// extension), read back unchanged from code page 932 (the data files hold
// the name in it; a name that reads back otherwise would no longer find its
// folder), and at most 255 bytes as this system stores names.
bool IsPortableName(const QString& name);
// True when every character takes one byte in code page 932.
bool IsSingleByteText(const QString& text);
// True when a machine-dependent character occurs (code page 932 codes
// 0x8540-0x889E, 0xEB40-0xEFFC, 0xF040-0xFFFF and the single bytes
// 0xA0-0xFF). A null or empty text gives false.
bool HasDependentChar(const QString& text);
// ---- Texts bound for a code page 932 data file ------------------------------
// Every text that goes into a data file (customer, history, contractor and
// array files, model files, measurement files) passes this one rule: a
// field is one line, so a line break in it becomes one blank; a character
// code page 932 cannot hold is refused before anything is written, never
// replaced by "?". Names of folders and files have their own checks.

// The text as one line: each line-break character (CR, LF, NEL, the
// Unicode line and paragraph separators) becomes a blank, so CR LF gives
// two blanks and nothing after it moves to another line.
QString OneLineText(const QString& text);
// The first character of `text` that code page 932 cannot hold (a surrogate
// pair whole); empty when it holds every one.
QString CharNotHeld(const QString& text);
// A text of a data file and the name its field has for the user.
struct NamedText {
    QString field;
    QString text;
};
// The refusal of the first text that holds a character code page 932
// cannot hold: UI text UiTextNotHeld, then the field, the character and its
// code point (the character may not show); empty when every text is held.
QString TextNotHeldRefusal(const QList<NamedText>& texts);
// The bytes of a data file: each field on one line (OneLineText), then,
// with the second form, the memo, whose own line breaks make further
// lines; CR LF after every line. A character code page 932 cannot hold
// throws AppError 5 naming it: the callers refuse such texts first, so a
// file is never written with a character lost.
QByteArray DataFileBytes(const QStringList& fields);
QByteArray DataFileBytes(const QStringList& fields, const QString& memo);

// The text without leading and trailing blanks (spaces only; tabs stay).
QString TrimBlanks(const QString& text);
// The part before the first NUL, without leading and trailing blanks.
QString TrimAtNull(const QString& text);
// The low 16 bits.
std::uint16_t LoWordOf(std::int32_t value);
// Sorts items first..last ascending in place by character codes (mode 0,
// the only mode in use); empty texts sort first.
void QuickSortStrings(QStringList& items, int first, int last, int mode = 0);
// Rounds away from zero to a whole number (2.3 gives 3, -0.5 gives -1).
double RoundUp(double x);
