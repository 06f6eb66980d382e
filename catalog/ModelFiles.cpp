#include "catalog/ModelFiles.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "common/TextHelpers.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FolderReader.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace {

// Module files of the versioned layout: line 1 the version, then these
// fields line by line (-1: a reserved line, read and dropped), then the memo.
constexpr int kVersionedLines[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                   14, 15, 16, 17, 18, 19, 22, -1, -1, -1, -1, 21};
// The old layout: fields 1 to 19, the picture, then the memo.
constexpr int kOldLines[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                             11, 12, 13, 14, 15, 16, 17, 18, 19, 21};
constexpr int kModuleMemo = 20;
// Power-conditioner files: fields 1 to 24, the picture (26), then the memo.
constexpr int kPowConLines[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 26};
constexpr int kPowConMemo = 25;

const QString kVersionLine = QStringLiteral("VER.8");

// The lines of a file's bytes, split as every reader of these files splits
// them: at CR LF or a lone CR, or at LF in a file without any CR; what
// follows the last line end is one more line when it is not empty.
class LineCursor {
  public:
    explicit LineCursor(const QByteArray& bytes)
        : at(bytes.constData()), end(at + bytes.size()),
          hasCr(!bytes.isEmpty() && std::memchr(at, '\r', std::size_t(bytes.size())) != nullptr)
    {
    }
    bool atEnd() const { return at >= end; }
    const char* position() const { return at; }
    const char* fileEnd() const { return end; }
    bool crLines() const { return hasCr; }
    // The next line without its line end; false when there is none.
    bool next(const char*& line, qsizetype& size)
    {
        if (at >= end)
            return false;
        line = at;
        const auto* stop = static_cast<const char*>(std::memchr(at, hasCr ? '\r' : '\n', std::size_t(end - at)));
        if (!stop) {
            size = end - at;
            at = end;
            return true;
        }
        size = stop - at;
        at = stop + 1;
        if (hasCr && at < end && *at == '\n')
            ++at;
        return true;
    }

  private:
    const char* at;
    const char* end;
    bool hasCr;
};

// The rest of the file from `lines` on, its lines joined with CR LF. Bytes
// whose lines already end in CR LF are decoded in one piece.
QString restJoined(LineCursor& lines)
{
    const char* from = lines.position();
    qsizetype size = lines.fileEnd() - from;
    bool plain = lines.crLines();
    for (const char* p = from; plain;) {
        const auto* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(from + size - p)));
        if (!cr)
            break;
        plain = cr + 1 < from + size && cr[1] == '\n';
        p = cr + 2;
    }
    if (plain) {
        if (size >= 2 && from[size - 2] == '\r' && from[size - 1] == '\n')
            size -= 2;
        return AnsiCodec::decode(from, size);
    }
    QStringList rest;
    const char* line = nullptr;
    qsizetype n = 0;
    while (lines.next(line, n))
        rest << AnsiCodec::decode(line, n);
    return rest.join(QStringLiteral("\r\n"));
}

// Sets `field` to a line's text. Plain ASCII goes into the room the field
// has already, so that a catalogue read again over its own records
// allocates little.
void assignLine(QString& field, const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80) {
            field = AnsiCodec::decode(data, size);
            return;
        }
    }
    field.resize(0);
    field.append(QLatin1StringView(data, size));
}

// Fills `model` (every field emptied first, the code given) from the lines
// of `lines` by the layout `fields`; missing lines read as empty; the lines
// after the layout are the memo, joined with CR LF.
template <class Model, std::size_t N, std::size_t L>
void readLayout(Model& model, const QString& code, LineCursor& lines, const std::array<QString Model::*, N>& table,
                const int (&fields)[L], int memoField)
{
    for (auto field : table)
        (model.*field).resize(0);
    model.ModelCode = code;
    const char* line = nullptr;
    qsizetype size = 0;
    for (int f : fields) {
        if (!lines.next(line, size))
            return;
        if (f >= 0)
            assignLine(model.*table[std::size_t(f)], line, size);
    }
    if (!lines.atEnd())
        model.*table[std::size_t(memoField)] = restJoined(lines);
}

void parseModuleInto(ModuleModelRecord& m, const QByteArray& bytes, const QString& code)
{
    LineCursor lines(bytes);
    const bool versioned = bytes.size() >= 4 && qstrnicmp(bytes.constData(), "VER.", 4) == 0;
    if (versioned) {
        const char* first = nullptr;
        qsizetype size = 0;
        lines.next(first, size);
        readLayout(m, code, lines, ModuleFields, kVersionedLines, kModuleMemo);
    } else {
        readLayout(m, code, lines, ModuleFields, kOldLines, kModuleMemo);
    }
}

void parsePowConInto(PowConModelRecord& m, const QByteArray& bytes, const QString& code)
{
    LineCursor lines(bytes);
    readLayout(m, code, lines, PowConFields, kPowConLines, kPowConMemo);
}

template <class Model, std::size_t N, std::size_t L>
QByteArray writeLayout(const Model& model, QStringList lines, const std::array<QString Model::*, N>& table,
                       const int (&fields)[L], int memoField)
{
    for (int f : fields)
        lines << (f >= 0 ? model.*table[std::size_t(f)] : QString());
    // The memo's own lines become file lines; an empty memo is one empty line.
    return DataFileBytes(lines, model.*table[std::size_t(memoField)]);
}

bool nameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// The entries of one kind of an open folder (`path`), hidden ones left out,
// sorted as a user sees them; names that cannot be shown are reported once.
QStringList sortedEntries(const FolderReader& folder, const QString& path, bool folders)
{
    FolderListing listing;
    listing.folder = path;
    QStringList names = folders ? folder.subfolders(&listing.notShown) : folder.files(&listing.notShown);
    ReportNamesNotShown(listing);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.startsWith(u'.'); }),
                names.end());
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

bool isModelFileName(const QString& name)
{
    return name.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive);
}

QStringList modelFilesOf(const FolderReader& folder, const QString& path)
{
    QStringList files = sortedEntries(folder, path, false);
    files.erase(std::remove_if(files.begin(), files.end(), [](const QString& f) { return !isModelFileName(f); }),
                files.end());
    return files;
}

// The code of a model file the catalogue takes (see CatalogNameAccepted).
bool modelCodeAccepted(const QString& code)
{
    return !code.isEmpty() && IsPortableCatalogName(code, true);
}

void addProblem(CatalogLoadResult& r, int number, const QString& path)
{
    if (r.problems++ == 0) {
        r.firstNumber = number;
        r.firstPath = path;
    }
}

template <class Model, class Parse>
CatalogLoadResult loadCatalog(int side, std::array<CatalogMakerOf<Model>, Catalog::MaxMakers>& table,
                              std::int32_t& count, Parse parse, const ModelFileReader& read)
{
    // The records of the last load are read over where the new one has as
    // many; the rest are dropped at the end.
    std::array<std::size_t, Catalog::MaxMakers> used{};
    for (auto& maker : table) {
        maker.MakerName.clear();
        maker.ModelCount = 0;
    }
    count = 0;
    struct DropUnused {
        std::array<CatalogMakerOf<Model>, Catalog::MaxMakers>& table;
        const std::array<std::size_t, Catalog::MaxMakers>& used;
        ~DropUnused()
        {
            for (std::size_t j = 0; j < table.size(); ++j) {
                auto& models = table[j].Models;
                models.erase(models.begin() + std::ptrdiff_t(std::min(used[j], models.size())), models.end());
                table[j].ModelCount = std::int32_t(models.size());
            }
        }
    } dropUnused{table, used};

    CatalogLoadResult result;
    const QString folder = CatalogFolder(side);
    const FolderReader catalogue(folder);
    if (!catalogue.isOpen()) {
        if (!QFileInfo(folder).isDir()) {
            MakeFolder(folder);
            return result;
        }
        result.folderFound = true;
        addProblem(result, 70, folder);
        return result;
    }
    result.folderFound = true;

    // Makers first, then their models.
    for (const QString& name : sortedEntries(catalogue, folder, true)) {
        if (!CatalogNameAccepted(name, false)) {
            result.refusedNames << name;
            continue;
        }
        if (count == Catalog::MaxMakers) {
            addProblem(result, 9, folder + u'/' + name);
            continue;
        }
        table[std::size_t(count++)].MakerName = name;
    }
    QByteArray bytes;
    for (int j = 0; j < count; ++j) {
        auto& maker = table[std::size_t(j)];
        const QString makerFolder = folder + u'/' + maker.MakerName;
        const FolderReader dir(makerFolder);
        if (!dir.isOpen()) {
            addProblem(result, 70, makerFolder);
            continue;
        }
        const QStringList files = modelFilesOf(dir, makerFolder);
        maker.Models.reserve(std::size_t(std::min<qsizetype>(files.size(), Catalog::MaxModels)));
        std::size_t& loaded = used[std::size_t(j)];
        for (const QString& file : files) {
            const QString code = ModelCodeOf(file);
            if (!modelCodeAccepted(code)) {
                result.refusedNames << maker.MakerName + u'/' + file;
                continue;
            }
            if (loaded == std::size_t(Catalog::MaxModels)) {
                addProblem(result, 9, makerFolder + u'/' + file);
                continue;
            }
            FolderReader::ReadOutcome got = FolderReader::ReadOutcome::Read;
            if (read) {
                auto given = read(makerFolder + u'/' + file);
                got = !given                                ? FolderReader::ReadOutcome::Failed
                      : given->size() > MaxModelFileBytes ? FolderReader::ReadOutcome::TooLarge
                                                            : FolderReader::ReadOutcome::Read;
                bytes = given.value_or(QByteArray());
            } else {
                got = dir.readAtMost(file, MaxModelFileBytes, bytes);
            }
            if (got == FolderReader::ReadOutcome::TooLarge) {
                result.oversized << maker.MakerName + u'/' + file;
                continue;
            }
            if (got == FolderReader::ReadOutcome::Failed) {
                addProblem(result, 70, makerFolder + u'/' + file);
                continue;
            }
            if (loaded == maker.Models.size())
                maker.Models.emplace_back();
            parse(maker.Models[loaded++], bytes, code);
        }
    }
    return result;
}

} // namespace

QString ModelCodeOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

ModuleModelRecord ParseModuleModel(const QByteArray& bytes, const QString& code)
{
    ModuleModelRecord m;
    parseModuleInto(m, bytes, code);
    return m;
}

PowConModelRecord ParsePowConModel(const QByteArray& bytes, const QString& code)
{
    PowConModelRecord m;
    parsePowConInto(m, bytes, code);
    return m;
}

QByteArray ModuleModelBytes(const ModuleModelRecord& model)
{
    return writeLayout(model, {kVersionLine}, ModuleFields, kVersionedLines, kModuleMemo);
}

QByteArray PowConModelBytes(const PowConModelRecord& model)
{
    return writeLayout(model, {}, PowConFields, kPowConLines, kPowConMemo);
}

QByteArray NewModelBytes(int side)
{
    const int lines = side == Catalog::ModuleSide ? Catalog::NewModuleFileLines : Catalog::NewPowConFileLines;
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out.append("\r\n");
    return out;
}

QString CatalogFolderName(int side)
{
    return side == Catalog::ModuleSide ? QStringLiteral("MODULE_DATA") : QStringLiteral("POWER_CONDITIONER_DATA");
}

QString CatalogFolder(int side)
{
    return Global::DataFolder + u'/' + CatalogFolderName(side);
}

QString MakerFolder(int side, const QString& maker)
{
    return CatalogFolder(side) + u'/' + maker;
}

QString ModelFilePath(int side, const QString& maker, const QString& code)
{
    return MakerFolder(side, maker) + u'/' + code + QStringLiteral(".dat");
}

QString ModelFileOnDisk(int side, const QString& maker, const QString& code)
{
    const QString folder = MakerFolder(side, maker);
    for (const QString& file : ListModelFiles(folder))
        if (ModelCodeOf(file) == code)
            return folder + u'/' + file;
    return ModelFilePath(side, maker, code);
}

QStringList ListMakerFolders(const QString& catalogFolder)
{
    return sortedEntries(FolderReader(catalogFolder), catalogFolder, true);
}

QStringList ListModelFiles(const QString& makerFolder)
{
    return modelFilesOf(FolderReader(makerFolder), makerFolder);
}

bool IsPortableCatalogName(const QString& name, bool modelCode)
{
    if (name.isEmpty())
        return true;
    if (!modelCode)
        return IsPortableName(name);
    return IsPortableName(name + QStringLiteral(".dat")) && !name.contains(u',');
}

bool CatalogNameAccepted(const QString& name, bool modelFile)
{
    if (!modelFile)
        return !name.isEmpty() && IsPortableCatalogName(name, false);
    return modelCodeAccepted(ModelCodeOf(name));
}

bool CatalogEntryRefused(const QString& relative, bool folder)
{
    const QStringList parts = relative.split(u'/');
    // Entries the catalogue never lists are copied as they are.
    if (parts[0].startsWith(u'.') || (parts.size() == 1 && !folder))
        return false;
    if (!CatalogNameAccepted(parts[0], false))
        return true;
    return parts.size() == 2 && !folder && !parts[1].startsWith(u'.') && isModelFileName(parts[1]) &&
           !CatalogNameAccepted(parts[1], true);
}

CatalogLoadResult LoadModuleCatalog(ModuleCatalogTable& table, std::int32_t& count, const ModelFileReader& read)
{
    return loadCatalog(Catalog::ModuleSide, table, count, parseModuleInto, read);
}

CatalogLoadResult LoadPowConCatalog(PowConCatalogTable& table, std::int32_t& count, const ModelFileReader& read)
{
    return loadCatalog(Catalog::PowConSide, table, count, parsePowConInto, read);
}

QString PassedOverReport(const QStringList& refusedNames, const QStringList& oversized)
{
    constexpr qsizetype kShown = 20;
    QStringList parts;
    auto add = [&](int key, const QStringList& names) {
        if (names.isEmpty())
            return;
        QString part = Global::UiText.value(key);
        for (qsizetype i = 0; i < std::min(names.size(), kShown); ++i)
            part += QStringLiteral("\r\n") + names[i];
        if (names.size() > kShown)
            part += QStringLiteral("\r\n(+%1)").arg(names.size() - kShown);
        parts << part;
    };
    add(UiNamesPassedOver, refusedNames);
    add(UiFilesTooLarge, oversized);
    return parts.join(QStringLiteral("\r\n\r\n"));
}
