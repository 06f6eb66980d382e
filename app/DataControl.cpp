#include "app/DataControl.h"

#include "app/FrmMain.h"
#include "common/Captions.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "instrument/DataControl.h"
#include "instrument/ForwardTab.h"
#include "measview/MeasViewTab.h"
#include "measview/TickMemory.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>

#include <algorithm>

namespace {

const QString Title = QStringLiteral("CmdDataControl_Click");
const QString MeasDataName = QStringLiteral("MeasData.csv");

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// The read-out records 0 .. n-1 that the list's flags, paths and records
// all cover.
int ReadOutRows()
{
    const int n = std::min({int(Global::ForwardFileCount), int(Global::ForwardTick.size()),
                            int(Global::ForwardFilePaths.size()), int(Global::ForwardRecords.size())});
    return std::max(n, 0);
}

// The ticked read-out records, scanned with the list hidden; the list then
// takes the keyboard focus.
QList<int> TickedReadOut(FlexGrid* grid)
{
    QList<int> ticked;
    {
        const ListHidden hidden(grid);
        for (int i = 0; i < ReadOutRows(); ++i)
            if (Global::ForwardTick[std::size_t(i)] == 1)
                ticked << i;
    }
    if (grid)
        grid->setFocus();
    return ticked;
}

// The ticked measurements 1 .. MeasFileCount of the loaded history (the
// total row does not count), as the paths they were loaded from.
QStringList TickedMeasFiles(FlexGrid* grid)
{
    const ListHidden hidden(grid);
    QStringList paths;
    const int count = std::min({int(Global::MeasFileCount), int(Global::DisplayTick.size()) - 1,
                                int(Global::MeasFilePaths.size())});
    for (int i = 1; i <= count; ++i)
        if (Global::DisplayTick[std::size_t(i)] == 1)
            paths << Global::MeasFilePaths[std::size_t(i - 1)];
    return paths;
}

// Runs `walk` with `grid` hidden; whatever happens, `reload` shows the
// folder's files afterwards, so the list never names files that went.
template <class Walk, class Reload> void WalkThenReload(FlexGrid* grid, Walk&& walk, Reload&& reload)
{
    try {
        const ListHidden hidden(grid);
        walk();
    } catch (...) {
        reload();
        throw;
    }
    reload();
}

void DeleteTickedMeasFiles(FrmMain& form)
{
    const QStringList paths = TickedMeasFiles(form.MfgMeasList);
    if (paths.isEmpty())
        return;
    // The folder the listed history was loaded from.
    const QString folder = Global::MeasHistoryFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    if (MsgBox(Ui(UiDeleteTickedMeasQuestion), vbYesNo | vbExclamation | vbDefaultButton2) != vbYes)
        return;
    WalkThenReload(
        form.MfgMeasList,
        [&] {
            // The ticks the list shows stay on the measurements that remain.
            KeepTicksOnTheirFiles(folder, LoadedTicksByName(), [&] {
                for (const QString& path : paths)
                    DeleteMeasFile(path);
            });
        },
        [] { CmbHistorySel_Click(0); });
    MsgBox(Ui(UiDataDeleted), vbOKOnly | vbInformation);
}

void DeleteTickedReadOut(FrmMain& form)
{
    const QList<int> ticked = TickedReadOut(form.MfgForwardList);
    if (ticked.isEmpty())
        return;
    if (MsgBox(Ui(UiDeleteTickedReadOutQuestion), vbYesNo | vbExclamation | vbDefaultButton2) != vbYes)
        return;
    WalkThenReload(
        form.MfgForwardList,
        [&] {
            for (int i : ticked)
                DeleteMeasFile(Global::ForwardFilePaths[std::size_t(i)]);
        },
        [] { ForwardDataView(); });
    MsgBox(Ui(UiDataDeleted), vbOKOnly | vbInformation);
}

// The customer chosen on the instrument-data tab, whose history takes the
// moved files: its control number and name, and the page of that history.
struct MoveTarget {
    QString code, name;
    int page = 0;
};

MoveTarget ChosenMoveTarget(FrmMain& form)
{
    const auto* code = form.control<QComboBox>(QStringLiteral("CmbCodeName_1"));
    const auto* name = form.control<QComboBox>(QStringLiteral("CmbUserName_1"));
    const auto* history = form.control<QComboBox>(QStringLiteral("CmbHistorySel_1"));
    if (!code || !name || code->currentIndex() < 0)
        return {};
    return {code->currentText(), name->currentText(), history ? std::max(history->currentIndex(), 0) : 0};
}

// Back to the customer tab with the customer the files went to selected
// again, found by control number and name (two customers may share a
// number): on the history page shown before when the tab showed that
// customer, else on the page of the history the files went to.
void ReturnToCustomerTab(FrmMain& form, const MoveTarget& target)
{
    const QString key = target.code + u'_' + target.name;
    std::int32_t page = Global::LoadedCustomerKey == key ? Global::HistoryPage : target.page;
    form.SSTab->setCurrentIndex(0);
    form.TabGridHook();
    if (auto* name = form.control<QLineEdit>(QStringLiteral("TxtIn_11")))
        name->setFocusPolicy(Qt::StrongFocus);
    UserListIni(true);
    if (target.code.isEmpty() || !FindUserRow(target.code, target.name)) {
        // No row is this customer's: none is chosen.
        Global::CurUserRow = 0;
        return;
    }
    MfgUserList_Click();
    if (Global::LoadedCustomerKey != key)
        return; // the customer could not be read: the tab stays empty
    page = std::clamp(page, std::int32_t(0), std::min(Global::HistoryCount, std::int32_t(Customer::HistorySlots - 1)));
    Global::HistoryPage = page;
    MeasDataPageChange();
    if (QObject* label = form.controlObject(QStringLiteral("LblPage")))
        SetCaption(label, NumText::Str(page + 1));
}

void MoveTickedReadOut(FrmMain& form)
{
    const QList<int> ticked = TickedReadOut(form.MfgForwardList);
    if (ticked.isEmpty())
        return;
    const auto* history = form.control<QComboBox>(QStringLiteral("CmbHistorySel_1"));
    if (!history || history->currentIndex() < 0 || history->currentText().isEmpty()) {
        MsgBox(Ui(UiNoTargetHistory), vbOKOnly | vbExclamation);
        return;
    }
    if (MsgBox(Ui(UiMoveQuestion), vbYesNo | vbQuestion | vbDefaultButton2) != vbYes)
        return;
    // The chosen history's own folder, as its customer was read.
    const QString folder = ChosenHistoryFolder();
    const MoveTarget target = ChosenMoveTarget(form);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    if (ticked.size() + FileCount(folder) > MaxHistoryFolderFiles) {
        MsgBox(Ui(UiHistoryFull), vbOKOnly | vbExclamation);
        return;
    }
    // The history file that takes the new date must be there and readable
    // before anything moves.
    const QString measData = folder + u'/' + MeasDataName;
    const QByteArray before = ReadFileOrThrow(measData);
    CheckMeasDataLines(before);

    QString date;
    bool moved = false;
    QStringList kept;
    WalkThenReload(
        form.MfgForwardList,
        [&] {
            // The history's ticks stay on their measurements as files come in.
            KeepTicksOnTheirFiles(folder, [&] {
                for (int i : ticked) {
                    MeasRecord& rec = Global::ForwardRecords[std::size_t(i)];
                    const QString path = Global::ForwardFilePaths[std::size_t(i)];
                    switch (MoveReadOutFile(rec, path, folder)) {
                    case ReadOutMoveResult::Moved:
                        date = rec.F[MeasRecord::Date];
                        moved = true;
                        break;
                    case ReadOutMoveResult::Kept:
                        kept << QFileInfo(path).fileName();
                        break;
                    case ReadOutMoveResult::Missing:
                        break;
                    }
                }
                if (moved)
                    WriteFileOrThrow(measData, MeasDataAfterMove(before, date));
            });
        },
        [] { ForwardDataView(); });

    ReturnToCustomerTab(form, target);
    if (!kept.isEmpty())
        MsgBox(Ui(UiReadOutNotMoved) + QStringLiteral("\r\n") + kept.join(QStringLiteral("\r\n")),
               vbOKOnly | vbExclamation);
}

} // namespace

void CmdDataControl_Click(int index)
{
    FrmMain* form = Global::MainForm;
    if (!form)
        return;
    Guarded(Title, [&] {
        switch (index) {
        case 0:
            DeleteTickedMeasFiles(*form);
            break;
        case 5:
            MoveTickedReadOut(*form);
            break;
        case 6:
            DeleteTickedReadOut(*form);
            break;
        default:
            break;
        }
    });
}
