#pragma once
// The system's single-byte ("ANSI") code page, fixed to code page 932
// (Microsoft's Shift-JIS, windows-31j). Data files, language files and the
// settings all count and store text in these bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace AnsiCodec {

// Bytes to text. A byte sequence that is not code page 932 decodes to U+FFFD.
QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

// The same, keeping every byte: a lead byte that makes no character with the
// byte after it becomes byteChar(lead) instead of U+FFFD, so that encode
// gives the bytes back (measurement files, which carry the instrument's
// bytes as they came).
QString decodeKeepingBytes(const QByteArray& bytes);
QString decodeKeepingBytes(const char* data, qsizetype size);

// The character one byte stands for on its own, for texts that must keep
// one character per byte (the instrument's read-out): the byte's character
// where it is one, and for a lead byte of a double-byte character (0x81 to
// 0x9F, 0xE0 to 0xFC) the private-use character U+F700 + byte, which encodes
// back to that single byte. Every byte value survives decoding and encoding.
QChar byteChar(unsigned char byte);

// Text to bytes. A character that code page 932 cannot hold becomes "?".
QByteArray encode(const QString& text);

// Whether code page 932 holds the character: it encodes to bytes of its
// own, not to the "?" that stands in for a character the code page lacks.
bool holds(char32_t codePoint);

// The position (in UTF-16 units) of the first character of `text` that code
// page 932 cannot hold, a lone surrogate included; -1 when it holds them all.
qsizetype firstUnheld(const QString& text);

// Number of bytes `text` takes in code page 932 ("?" counts one).
qsizetype byteLength(const QString& text);

// Bytes of one character (one code point, surrogate pairs taken together).
QByteArray encodeChar(char32_t codePoint);

// The ANSI code of a character: its one byte (0..255), or lead * 256 + trail
// for a double-byte character. An unrepresentable character gives '?' (0x3F).
quint16 charCode(char32_t codePoint);

// The ANSI codes of every character of `text`, in order.
QList<quint16> charCodes(const QString& text);

// Lines of a text held in code page 932. A line ends at CR LF or at a lone
// CR; a LF without a CR stays in the line. When the bytes hold no CR at all
// they are split at LF instead (files saved by editors that write LF only).
// A final line end does not start an extra empty line.
QStringList splitLines(const QByteArray& bytes);

// The same split, on bytes, for formats that must keep bytes exactly.
QList<QByteArray> splitLineBytes(const QByteArray& bytes);

// Lines joined with CR LF after each one, encoded in code page 932.
QByteArray joinLines(const QStringList& lines);

// Lines of bytes, each ended by CR LF (the inverse of splitLineBytes for
// lines written back).
QByteArray joinLineBytes(const QList<QByteArray>& lines);

} // namespace AnsiCodec
