#include "catalog/ModelFiles.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "common/TextHelpers.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"

#include <QDir>

#include <algorithm>

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

// Fills `model` from `lines` by the layout `fields` starting at line
// `first` (0-based); missing lines read as empty; the lines after the layout
// are the memo, joined with CR LF.
template <class Model, std::size_t N, std::size_t L>
void readLayout(Model& model, const QStringList& lines, qsizetype first,
                const std::array<QString Model::*, N>& table, const int (&fields)[L], int memoField)
{
    qsizetype at = first;
    for (int f : fields) {
        if (f >= 0 && at < lines.size())
            model.*table[std::size_t(f)] = lines[at];
        ++at;
    }
    if (at < lines.size())
        model.*table[std::size_t(memoField)] = lines.mid(at).join(QStringLiteral("\r\n"));
}

template <class Model, std::size_t N, std::size_t L>
QByteArray writeLayout(const Model& model, QStringList lines, const std::array<QString Model::*, N>& table,
                       const int (&fields)[L], int memoField)
{
    for (int f : fields)
        lines << (f >= 0 ? SingleLine(model.*table[std::size_t(f)]) : QString());
    // The memo's own lines become file lines; an empty memo is one empty line.
    lines << (model.*table[std::size_t(memoField)]).split(QStringLiteral("\r\n"));
    return AnsiCodec::joinLines(lines);
}

QStringList sortedEntries(const QString& folder, QDir::Filters kind)
{
    return ListFolderNames(folder, kind == QDir::Dirs ? ListedKind::Folders : ListedKind::Files);
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
    for (auto& maker : table) {
        maker.MakerName.clear();
        maker.ModelCount = 0;
        maker.Models.clear();
    }
    count = 0;

    CatalogLoadResult result;
    const QString folder = CatalogFolder(side);
    if (!QFileInfo(folder).isDir()) {
        MakeFolder(folder);
        return result;
    }
    result.folderFound = true;

    // Makers first, then their models.
    const QStringList makers = ListMakerFolders(folder);
    for (const QString& name : makers) {
        if (count == Catalog::MaxMakers) {
            addProblem(result, 9, folder + u'/' + name);
            continue;
        }
        table[std::size_t(count++)].MakerName = name;
    }
    for (int j = 0; j < count; ++j) {
        auto& maker = table[std::size_t(j)];
        const QString makerFolder = folder + u'/' + maker.MakerName;
        const QStringList files = ListModelFiles(makerFolder);
        maker.Models.reserve(std::size_t(std::min<qsizetype>(files.size(), Catalog::MaxModels)));
        for (const QString& file : files) {
            const QString path = makerFolder + u'/' + file;
            if (maker.Models.size() == std::size_t(Catalog::MaxModels)) {
                addProblem(result, 9, path);
                continue;
            }
            const auto bytes = read(path);
            if (!bytes) {
                addProblem(result, 70, path);
                continue;
            }
            maker.Models.push_back(parse(*bytes, ModelCodeOf(file)));
        }
        maker.ModelCount = std::int32_t(maker.Models.size());
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
    m.ModelCode = code;
    const QStringList lines = AnsiCodec::splitLines(bytes);
    const bool versioned = !lines.isEmpty() && lines[0].left(4).toUpper() == QLatin1String("VER.");
    if (versioned)
        readLayout(m, lines, 1, ModuleFields, kVersionedLines, kModuleMemo);
    else
        readLayout(m, lines, 0, ModuleFields, kOldLines, kModuleMemo);
    return m;
}

PowConModelRecord ParsePowConModel(const QByteArray& bytes, const QString& code)
{
    PowConModelRecord m;
    m.ModelCode = code;
    readLayout(m, AnsiCodec::splitLines(bytes), 0, PowConFields, kPowConLines, kPowConMemo);
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

QString SingleLine(const QString& text)
{
    QString out = text;
    for (QChar& ch : out)
        if (ch == u'\r' || ch == u'\n' || ch == QChar(0x2028) || ch == QChar(0x2029))
            ch = u' ';
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
    return sortedEntries(catalogFolder, QDir::Dirs);
}

QStringList ListModelFiles(const QString& makerFolder)
{
    QStringList files = sortedEntries(makerFolder, QDir::Files);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QString& f) { return !f.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive); }),
                files.end());
    return files;
}

bool IsPortableCatalogName(const QString& name, bool modelCode)
{
    if (name.isEmpty())
        return true;
    if (!modelCode)
        return IsPortableName(name);
    return IsPortableName(name + QStringLiteral(".dat")) && !name.contains(u',');
}

CatalogLoadResult LoadModuleCatalog(ModuleCatalogTable& table, std::int32_t& count, const ModelFileReader& read)
{
    return loadCatalog(Catalog::ModuleSide, table, count, ParseModuleModel, read);
}

CatalogLoadResult LoadPowConCatalog(PowConCatalogTable& table, std::int32_t& count, const ModelFileReader& read)
{
    return loadCatalog(Catalog::PowConSide, table, count, ParsePowConModel, read);
}
