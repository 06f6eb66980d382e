#pragma once
// The customer folder and its files: reading a customer into the shared
// records, and writing the records back.
//
//   {DataFolder}/USER_DATA/{code}_{name}/
//     UserData.csv, MakerData.csv
//     {UiText 520}/{UiText 521}          documents folder and its marker
//     {k}_{history name}/                one folder per history, k = 1..99
//       MeasData.csv, PictureData.csv, ConstructionContractor.csv
//       {UiText 540}/                    the history's picture folder
//
// All files are code page 932 with CR LF line ends. The parsers below work
// on bytes, so that anything a user or an older version left in a customer
// folder can be tried without a folder; a file shorter than its layout
// reads as if padded with empty lines.
#include "customers/CustomerRecords.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

using PictureNames = std::array<QString, Customer::PictureSlots>;
using PictureSlotFlags = std::array<bool, Customer::PictureSlots>;

// ---- Names and paths -----------------------------------------------------

// {DataFolder}/USER_DATA/{key}
QString UserDataFolder(const QString& key);
// Names from the language file: the documents folder, its marker file and
// a history's picture folder.
QString DocumentsFolderName();
QString DocumentsMarkerName();
QString PictureFolderName();
// Folders named from the language file are found under the name of any
// language, as a switch of language leaves them where they are named.
// The names a history's picture folder (UI text 540) and a customer's
// documents folder (UI text 520) may have: the language in use first, then
// the other language files' (LanguageTexts); names that could leave their
// folder are left out.
QStringList PictureFolderNames();
QStringList DocumentsFolderNames();
// The same for any folder named by UI text `key` (a maker's picture or
// documents folder).
QStringList LanguageFolderNames(int key);
// The full path of the first of `names` that is a folder in `parent`; when
// there is none, of the one to make, parent/`newName` (the name in the
// language in use); empty when that is no usable name either. Nothing is
// made or renamed.
QString NamedFolderIn(const QString& parent, const QStringList& names, const QString& newName);
// The picture file `name` of the history folder `historyFolder`, as a full
// path: looked up, as PictureFileName does, in the folder `preferred` first
// (when given), then in the history's picture folders `pictureFolderNames`
// in order. Empty when none of them holds it.
QString FindHistoryPicture(const QString& historyFolder, const QString& name,
                           const QStringList& pictureFolderNames, const QString& preferred = QString());
// True when `name` can be one entry of a folder: not empty, not "." or
// "..", and without "/", "\" or NUL. Names read from files pass this before
// they become part of a path.
bool IsSafeNamePart(const QString& name);
// The number a history folder's name begins with (the digits before its
// first "_"), when it is 1 to 99; 0 for any other name.
int HistoryFolderNumber(const QString& folderName);
// The folder name of history record `index`: the folder it was read from or
// last saved to, else (index + 1) & "_" & its name.
QString HistoryFolderOf(const HistoryRecord& record, int index);

// ---- Parsers (bytes of one file) -----------------------------------------

// UserData.csv: lines 1 to 10 and the memo (line 11 to the end).
UserDataRecordType ParseUserData(const QByteArray& bytes);
// MakerData.csv into the stored part of `into` (TotalPm, GroupMaker,
// StringRows, GroupPowCon, ExtMemo). Groups after the end of the file and
// rows of fewer than five fields are left as `into` holds them; the derived
// tables are never touched.
void ParseMakerData(const QByteArray& bytes, ArrayConfigurationType& into);
// One total line of MeasData.csv: the value after "SEL_OK," (any letter
// case, up to the next ","), or "----" for an unmarked line.
QString ReadMarkedTotal(const QString& line);

struct MeasDataContent {
    HistoryRecord record;       // name, date, totals and memo
    PictureNames olderPictures; // lines 6 to 9: picture paths of older versions
};
// MeasData.csv of the history folder `folderName`. An empty file gives the
// name after the folder name's first "_" and "----" totals.
MeasDataContent ParseMeasData(const QByteArray& bytes, const QString& folderName);
// Whether the save writes the totals marked: the last of the file's first
// three lines contains "SEL_OK" in any letter case.
bool MeasDataTotalsMarked(const QByteArray& bytes);
// The file with lines 6 to 9 emptied where `which` is set; every other line
// keeps its bytes. Lines end in CR LF.
QByteArray ClearOlderPictureLines(const QByteArray& bytes, const PictureSlotFlags& which);
// PictureData.csv: the picture file names of slots 1 to 4. A line that is
// no plain file name (a path separator, "." or "..") reads empty: a
// reference never leaves the picture folder.
PictureNames ParsePictureData(const QByteArray& bytes);
// ConstructionContractor.csv: name, phone, person of contractors 0 to 4.
ContractorRecord ParseContractors(const QByteArray& bytes);

// ---- Writers (bytes of one file) -----------------------------------------

QByteArray UserDataBytes(const UserDataRecordType& user);
QByteArray MakerDataBytes(const ArrayConfigurationType& array);
// MeasData.csv; lines 6 to 9 hold `olderPictures` (older versions' picture
// paths not yet copied into the picture folder), empty in the usual case.
QByteArray MeasDataBytes(const HistoryRecord& history, bool marked, const PictureNames& olderPictures = {});
QByteArray PictureDataBytes(const PictureNames& names);
QByteArray ContractorBytes(const ContractorRecord& contractors);

// ---- Folder procedures ---------------------------------------------------

// Reads the customer folder `folder` (the key code & "_" & name) into
// UserDataRecord, the stored part of ArrayConfiguration, HistoryRecords,
// ContractorRecords, HistoryCount and HistoryFolderNames. The records are
// replaced only when the whole customer was read; a missing UserData.csv
// changes nothing without a message, other failures show the report titled
// "UserDataRead" (or "UserDataRead2" for a history that cannot be read
// whole) and change nothing, so that no later save writes a half-read
// customer over its files. A file that is there is read whatever the length
// of its path. GroupRatedPm and the coefficient tables keep their values.
// Histories of older versions are brought into the current layout on the
// way (pictures copied into the picture folder; the path of a picture that
// could not be copied stays in MeasData.csv for a later read). Picture
// names of PictureData.csv are matched without regard to letter case.
// Returns true when a customer was read.
bool UserDataRead(const QString& folder);
// Reads the histories named in HistoryFolderNames (entries 0 to
// HistoryCount - 1) of the customer folder `folder` into fresh
// HistoryRecords and ContractorRecords. A folder without a number of 1 to
// 99 is skipped; a history that cannot be read whole is reported
// ("UserDataRead2") and leaves the records as they were. True when every
// history was read.
bool UserDataRead2(const QString& folder);

// Writes the loaded customer to {DataFolder}/USER_DATA/{key}: first runs
// UserDataScreenToRecordsHook (when installed) to take the screen into the
// records, enters the customer in UserListItems (a new customer, CurUserRow
// 0, gets the entry after the listed ones), then writes MakerData.csv, the
// documents folder, the folder and files of every named history 1 to 99
// (creating or renaming its folder to {k}_{name}; PictureData.csv only when
// `keepPictureData` is false) and UserData.csv last. Every file is written
// whole through the one write path, and every file's text is made into
// bytes first: a character code page 932 cannot hold (common/TextHelpers.h)
// fails the save (error 5) before anything is written. An older picture path that the read
// could not copy is written back into MeasData.csv as it was. Returns false
// after the report titled "UserDataSave" when anything failed, with the
// classic number and the file or folder named; files not yet written, and
// the file that failed, keep their old content.
bool UserDataSave(const QString& key, bool keepPictureData);
