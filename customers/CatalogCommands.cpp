#include "customers/CatalogCommands.h"

#include "catalog/CatalogAccess.h"
#include "catalog/CatalogTab.h"
#include "catalog/ModelFiles.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "common/Global.h"
#include "customers/UserData.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

using Catalog::ModuleSide;
using Catalog::PowConSide;

namespace {

// Paths this long are never looked up by the file helpers.
constexpr qsizetype kMaxPath = 256;

enum class Action { NewMaker, DeleteMaker, NewModel, DeleteModel, Documents };

struct Command {
    int side;
    Action action;
};

// The buttons of the catalogue tab.
bool commandOf(int index, Command& c)
{
    switch (index) {
    case 6: c = {ModuleSide, Action::NewMaker}; return true;
    case 4: c = {ModuleSide, Action::DeleteMaker}; return true;
    case 9: c = {ModuleSide, Action::NewModel}; return true;
    case 7: c = {ModuleSide, Action::DeleteModel}; return true;
    case 17: c = {ModuleSide, Action::Documents}; return true;
    case 13: c = {PowConSide, Action::NewMaker}; return true;
    case 12: c = {PowConSide, Action::DeleteMaker}; return true;
    case 15: c = {PowConSide, Action::NewModel}; return true;
    case 14: c = {PowConSide, Action::DeleteModel}; return true;
    case 16: c = {PowConSide, Action::Documents}; return true;
    default: return false;
    }
}

QString ui(int key)
{
    return Global::UiText.value(key);
}

bool askNoDefault(int key)
{
    return MsgBox(ui(key), vbYesNo | vbQuestion | vbDefaultButton2) == vbYes;
}

void refuseName()
{
    MsgBox(ui(575), vbOKOnly | vbExclamation);
}

// The name typed for a new maker or model: nullopt when nothing was given
// (Cancel or an empty text) or the name was refused with its message.
std::optional<QString> askName(int promptKey, bool modelCode)
{
    const std::optional<QString> typed = InputBox(ui(promptKey));
    if (!typed)
        return std::nullopt;
    if (!IsPortableCatalogName(*typed, modelCode)) {
        refuseName();
        return std::nullopt;
    }
    if (typed->isEmpty())
        return std::nullopt;
    return typed;
}

// Makes the row of `grid` holding `text` current and runs `click`; when no
// row holds it, nothing is chosen.
template <class Click> void chooseRow(const QString& gridName, const QString& text, Click click)
{
    auto* grid = MainControl<FlexGrid>(gridName);
    if (!grid)
        return;
    for (int r = 1; r < grid->Rows(); ++r) {
        if (grid->TextMatrix(r, 0) == text) {
            grid->setRow(r);
            grid->setCol(0);
            click();
            return;
        }
    }
}

void chooseMaker(int side, const QString& maker)
{
    chooseRow(QStringLiteral("MfgMakerList_%1").arg(side), maker, [side] { MfgMakerList_Click(side); });
}

void chooseModel(int side, const QString& code)
{
    chooseRow(QStringLiteral("MfgSerialNoList_%1").arg(side), code, [side] { MfgSerialNoList_Click(side); });
}

void newMaker(int side)
{
    const auto name = askName(522, false);
    if (!name)
        return;
    const QString folder = MakerFolder(side, *name);
    if (folder.size() >= kMaxPath) {
        refuseName();
        return;
    }
    if (!AskToRegisterModelEdits(side, false))
        return;
    // A maker folder that exists already, in any letter case, is left as it
    // is, as a file system that ignores case would.
    if (AppPaths::findCaseInsensitive(CatalogFolder(side), *name).isEmpty())
        MakeFolderOrThrow(folder);
    CatalogReload(side);
}

void deleteMaker(int side)
{
    const int maker = CurMaker(side);
    if (maker < 0)
        return;
    const QString folder = MakerFolder(side, MakerNameAt(side, maker));
    const int keys[2][3] = {{523, 524, 525}, {526, 527, 528}};
    for (int key : keys[side])
        if (!askNoDefault(key))
            return;
    if (!FolderCheck(folder).isEmpty())
        DlFol(folder);
    CurMaker(side) = -1;
    CatalogReload(side);
}

void newModel(int side)
{
    const int maker = CurMaker(side);
    if (maker < 0)
        return;
    const auto code = askName(side == ModuleSide ? 529 : 530, true);
    if (!code)
        return;
    const QString makerName = MakerNameAt(side, maker);
    const QString file = ModelFilePath(side, makerName, *code);
    if (file.size() >= kMaxPath) {
        refuseName();
        return;
    }
    // As the file system matches names: on a system that tells letter case
    // apart, another case is another model only if no file matches anyway.
    if (QFileInfo::exists(file) ||
        !AppPaths::findCaseInsensitive(MakerFolder(side, makerName), *code + QStringLiteral(".dat")).isEmpty()) {
        MsgBox(ui(736), vbOKOnly | vbExclamation);
        return;
    }
    if (!AskToRegisterModelEdits(side, false))
        return;
    WriteFileOrThrow(file, NewModelBytes(side));
    CatalogReload(side);
    chooseMaker(side, makerName);
    chooseModel(side, *code);
}

void deleteModel(int side)
{
    const int maker = CurMaker(side);
    const int model = CurModel(side);
    if (maker < 0 || model < 0)
        return;
    const QString makerName = MakerNameAt(side, maker);
    const QString file = ModelFileOnDisk(side, makerName, ModelCodeAt(side, maker, model));
    const int keys[2][2] = {{531, 532}, {533, 534}};
    for (int key : keys[side])
        if (!askNoDefault(key))
            return;
    if (!FileCheck(file).isEmpty() && !QFile::remove(file))
        throw FileError(70, file);
    CatalogReload(side);
    chooseMaker(side, makerName);
}

// Creates the documents folder with its marker file (one empty line) when
// it is missing, then shows it in the file browser without waiting.
void openDocuments(int side)
{
    const int maker = CurMaker(side);
    if (maker < 0)
        return;
    const QString name = ui(side == ModuleSide ? 535 : 537);
    const QString marker = ui(side == ModuleSide ? 536 : 538);
    if (!IsSafeNamePart(name) || !IsSafeNamePart(marker))
        throw AppError(52);
    // The maker's documents folder whichever language named it; a new one
    // under the name of the language in use.
    const QString makerFolder = MakerFolder(side, MakerNameAt(side, maker));
    const QString folder = NamedFolderIn(makerFolder, LanguageFolderNames(side == ModuleSide ? 535 : 537), name);
    if (FolderCheck(folder).isEmpty()) {
        MakeFolderOrThrow(folder);
        WriteFileOrThrow(folder + u'/' + marker, QByteArrayLiteral("\r\n"));
    }
    ShellOpen(folder);
}

} // namespace

bool IsCatalogCommand(int index)
{
    Command c;
    return commandOf(index, c);
}

void CatalogCommand_Click(int index)
{
    Command c;
    if (!commandOf(index, c))
        return;
    Guarded(QStringLiteral("CmdBtn_Click"), [&] {
        switch (c.action) {
        case Action::NewMaker: newMaker(c.side); break;
        case Action::DeleteMaker: deleteMaker(c.side); break;
        case Action::NewModel: newModel(c.side); break;
        case Action::DeleteModel: deleteModel(c.side); break;
        case Action::Documents: openDocuments(c.side); break;
        }
    });
}
