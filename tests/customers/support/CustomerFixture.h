#pragma once
// The fixture customer folder (tests/fixtures/customer) copied into a test's
// data folder, and helpers to compare folder trees byte for byte.
#include <QByteArray>
#include <QMap>
#include <QString>

#include <ostream>

class TestEnv;

namespace CustomerFixture {

// Copies the folder tree `from` into `to` (made when missing).
void CopyTree(const QString& from, const QString& to);
// The key (folder name) of the fixture customer.
QString Key();
// Copies the fixture's input/USER_DATA into the test's data folder, writes
// the older-layout history's outside picture (1600 x 1200 pixels, as a
// bitmap; kept when there) and puts its full path into that history's
// MeasData.csv. Returns the customer folder.
QString Install(const TestEnv& env);
// The outside picture named by the older-layout history.
QString OlderPicturePath(const TestEnv& env);
// Copies the folder tree `from` into `to` (created).
void CopyTree(const QString& from, const QString& to);
// Every file below `folder` (relative path -> bytes).
QMap<QString, QByteArray> Snapshot(const QString& folder);
// The files of the fixture's input as installed, with the files of its
// expected/ tree laid over them: what a read followed by a save leaves.
QMap<QString, QByteArray> ExpectedAfterSave(const TestEnv& env);
// The bytes of a file (empty when missing).
QByteArray Bytes(const QString& path);
// Lines joined with CR LF after each, in code page 932.
QByteArray Lines(const QStringList& lines);
// Writes `bytes` as the file `path`, making its folder (a test's set-up,
// not the program's write path).
void Put(const QString& path, const QByteArray& bytes);
// A minimal customer folder of `key` ({code}_{name}): UserData.csv with the
// code, the name and a memo line, and a MakerData.csv of one line. Returns
// the folder.
QString MakeCustomer(const TestEnv& env, const QString& key);
// The loaded customer emptied, as after start-up: no records, no array
// configuration, an empty customer list with row 1 current.
void ResetRecords();

} // namespace CustomerFixture

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
