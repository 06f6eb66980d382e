#pragma once
// Names the user types that become folder names (customer keys, history
// names, catalogue makers): a customer folder travels between computers on
// backups and copies, so a name is taken only when every system the data
// may reach can hold it as one folder name.
#include <QString>

// True when `name` can be one folder name on Windows and on this system:
// not empty, not "." or "..", no trailing blank or dot, no control
// character, none of the characters Windows forbids in names
// (/ \ : * ? " < > | and ;), not a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, also with an extension), every character held by code
// page 932, and at most 255 bytes as this system stores names.
bool IsPortableFolderName(const QString& name);
