#pragma once
// The model files of the two catalogues and their folders, as plain code:
//
//   {DataFolder}/MODULE_DATA/{maker}/{model code}.dat
//   {DataFolder}/POWER_CONDITIONER_DATA/{maker}/{model code}.dat
//
// Code page 932 text, one value per line, CR LF after every line. A module
// file is versioned ("VER." in its first line: fields 1-19, the Pm
// temperature coefficient, four reserved lines, the picture, the memo) or
// of the old layout (fields 1-19, the picture, the memo); a power-
// conditioner file has one layout (fields 1-24, the picture, the memo). The
// memo runs to the end of the file. A file shorter than its layout reads as
// if padded with empty lines.
#include "catalog/CatalogRecords.h"
#include "platform/FileIo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Catalog {
// The two sides of the catalogue tab and of every table that comes in pairs.
inline constexpr int ModuleSide = 0;
inline constexpr int PowConSide = 1;
// Lines of a new model's file: all empty.
inline constexpr int NewModuleFileLines = 20;
inline constexpr int NewPowConFileLines = 25;
} // namespace Catalog

// The model code of a model file: its name up to its last ".".
QString ModelCodeOf(const QString& fileName);

// Parsers of one model file's bytes; `code` becomes the ModelCode.
ModuleModelRecord ParseModuleModel(const QByteArray& bytes, const QString& code);
PowConModelRecord ParsePowConModel(const QByteArray& bytes, const QString& code);

// The whole file of a record: the module file always in the versioned
// layout ("VER.8"). A value other than the memo is written on one line
// whatever it holds (OneLineText); a character code page 932 cannot hold
// throws AppError 5 (common/TextHelpers.h, DataFileBytes).
QByteArray ModuleModelBytes(const ModuleModelRecord& model);
QByteArray PowConModelBytes(const PowConModelRecord& model);
// The file of a new model of `side`: only empty lines.
QByteArray NewModelBytes(int side);

// ---- Folders ---------------------------------------------------------------

// "MODULE_DATA" or "POWER_CONDITIONER_DATA".
QString CatalogFolderName(int side);
// {DataFolder}/{catalogue folder}, {...}/{maker}, {...}/{maker}/{code}.dat
QString CatalogFolder(int side);
QString MakerFolder(int side, const QString& maker);
QString ModelFilePath(int side, const QString& maker, const QString& code);
// The file a loaded model was read from: the model file of the maker folder
// whose code is `code` (its extension in any letter case); ModelFilePath
// when there is none.
QString ModelFileOnDisk(int side, const QString& maker, const QString& code);

// The maker folders of a catalogue folder and the model files of a maker
// folder ("*.dat" in any letter case), each sorted by name without regard to
// case (names equal but for case in code-unit order), so that maker k and
// model k are the same on every machine. Hidden entries, links and anything
// that is not a plain folder or file are left out.
QStringList ListMakerFolders(const QString& catalogFolder);
QStringList ListModelFiles(const QString& makerFolder);

// ---- Names -----------------------------------------------------------------

// True when `name` can be a maker folder (or, with `modelCode`, the code of
// a model file "{name}.dat") everywhere the data may travel: no character
// the file-name check refuses, no leading dot (a hidden entry here; "." and
// ".." too), no control character, no reserved device name (CON, PRN, AUX,
// NUL, COM1-9, LPT1-9, with or without extension), only characters code
// page 932 holds unchanged, at most 255 bytes on this system; a maker folder
// has no trailing blank or dot (Windows drops them), and a model code holds
// no "," (it is one field of a customer's string rows). An empty name
// passes: the callers treat it as "nothing given".
bool IsPortableCatalogName(const QString& name, bool modelCode);

// True when the catalogue takes a maker folder of this name (`modelFile`
// false) or a model file of this name ("{code}.dat", `modelFile` true):
// a name the customer files can hold and the catalogue's own buttons would
// give, by IsPortableCatalogName (so no ",", no line break, nothing outside
// code page 932). A load and an import pass any other over and report it.
bool CatalogNameAccepted(const QString& name, bool modelFile);
// For an import: true when the entry `relative` of a catalogue folder
// ("{maker}" a folder, "{maker}/{file}.dat" a file, "/" between) is a
// maker or model the catalogue would pass over for its name, or lies in
// such a maker's folder. Anything else (other files, hidden entries, the
// maker's subfolders) is never refused.
bool CatalogEntryRefused(const QString& relative, bool folder);

// ---- Loading ---------------------------------------------------------------

// No model file comes near this size; a larger file in a maker folder is
// passed over without being read whole.
inline constexpr qint64 MaxModelFileBytes = 1024 * 1024;

// What a load met besides the models it read.
struct CatalogLoadResult {
    bool folderFound = false; // false: the catalogue folder was missing (and is created)
    int problems = 0;         // files or folders that could not be read, entries past the limits
    int firstNumber = 0;      // error number and path of the first problem
    QString firstPath;
    // Passed over and named in one report: makers and models whose names
    // the catalogue does not take ("{maker}" or "{maker}/{file}"), and
    // files larger than MaxModelFileBytes.
    QStringList refusedNames;
    QStringList oversized;
};

// Empties the table and the count, then reads every maker folder of the
// side's catalogue folder and every model file in it. A file or maker
// folder that cannot be read is skipped (the maker stays, with no models);
// past 256 makers or 256 models of a maker the first 256 are loaded; a
// missing catalogue folder is created and leaves the table empty. Each
// counts as a problem of the result. Makers and models whose names are not
// accepted (CatalogNameAccepted) and files too large for a model file are
// passed over and listed in the result.
// The folders are opened once and their files read relative to them;
// `read`, when given, reads a file by its full path instead (nullopt when
// it cannot be read).
using ModelFileReader = std::function<std::optional<QByteArray>(const QString& path)>;
CatalogLoadResult LoadModuleCatalog(ModuleCatalogTable& table, std::int32_t& count,
                                    const ModelFileReader& read = {});
CatalogLoadResult LoadPowConCatalog(PowConCatalogTable& table, std::int32_t& count,
                                    const ModelFileReader& read = {});

// The one report of what a load (and the import before it) passed over: UI
// text 984 and the refused names, then UI text 985 and the oversized files,
// each name on its own line (past 20 of a kind, "(+N)" for the rest);
// empty when nothing was passed over.
inline constexpr int UiNamesPassedOver = 984;
inline constexpr int UiFilesTooLarge = 985;
QString PassedOverReport(const QStringList& refusedNames, const QStringList& oversized);
