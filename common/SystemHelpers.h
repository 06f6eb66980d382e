#pragma once
// Wrappers of the operating system: waiting while window events run,
// handing a file or web address to the desktop, and the user's name.
#include <QString>

#include <cstdint>

class QWidget;

// Waits `ms` milliseconds, processing pending window events; true when the
// wait ran to its end.
bool Wait(std::int32_t ms);
// Opens `file` with its associated program (nothing for an empty path or a
// missing file); does not wait for the program, reports a failure to open
// (ShellOpen).
void RunSubSystem(QWidget* owner, const QString& file, const QString& parameters);
// Opens a document or web address (trimmed; nothing when blank); a failure
// to open is reported (ShellOpen).
void ShellOpenDocument(const QString& target, QWidget* owner);
// The Windows version code of the program's tables; 0 ("any other
// version") on this system.
int GetOsVersionCode();
// The logged-on user's name.
QString GetLoginUserName();

// Stores a text setting only when the settings can keep it exactly (code
// page 932, shorter than 256 bytes): true when it reads back as given.
// Otherwise the old value is put back and the result is false.
bool RegStrSetExact(const QString& path, const QString& name, const QString& text);
