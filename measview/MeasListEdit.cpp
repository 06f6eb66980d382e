// Enter in the measurement list's edit box: the value into the four views,
// the measurement's file rewritten under its new name.
#include "common/Global.h"
#include "customers/CustomerGlobals.h"
#include "instrument/ForwardTab.h"
#include "instrument/MeasEdit.h"
#include "instrument/MeasFile.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/Corrections.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"

#include <QTabWidget>

namespace {

constexpr int EditableColumns = 6;

// The group of measurement r changed: its corrected views are those of its
// new group, and the flags that refuse the STC view are raised anew from
// every measurement.
void CorrectAgain(int r)
{
    const CorrectionSet set = CorrectionSetOf(Global::ArrayConfiguration);
    const MeasRecord& measured = Global::MeasRawRecords[std::size_t(r)];
    Global::MeasPmCorrRecords[std::size_t(r)] = PmCorrected(measured, set);
    Global::MeasStcRecords[std::size_t(r)] = StcCorrected(measured, set);
    CorrectionFlags flags;
    for (int i = 1; i <= Global::MeasFileCount; ++i)
        RaiseCorrectionFlags(flags, Global::MeasRawRecords[std::size_t(i)], set);
    Global::StcCoefMissing = flags.stcCoefMissing;
    Global::ModuleCompFlags = {flags.noModule, flags.mixedModules};
}

} // namespace

void MeasListEditCommit(const QString& typed)
{
    FlexGrid* grid = MeasGrid();
    const int r = Global::CurMeasRow;
    const int column = Global::EditColMeas;
    // Record 0 is the total of the ticked rows: it has no file.
    if (!grid || grid->Rows() <= 2 || r < 1 || r > Global::MeasFileCount || r + 1 >= grid->Rows() ||
        column < 0 || column >= EditableColumns)
        return;
    for (const auto* view :
         {&Global::MeasViewRecords, &Global::MeasRawRecords, &Global::MeasPmCorrRecords, &Global::MeasStcRecords})
        if (r >= int(view->size()))
            return;
    if (r - 1 >= int(Global::MeasFilePaths.size()))
        return;
    // The file the measurement was loaded from.
    const QString oldPath = Global::MeasFilePaths[std::size_t(r - 1)];
    if (oldPath.isEmpty())
        return;

    const std::optional<MeasRecord> edited =
        TakeMeasEdit(Global::MeasRawRecords[std::size_t(r)], column, typed, grid->TextMatrix(r + 1, column));
    if (!edited)
        return;

    // The file gets the as-measured values, whichever view is shown.
    MeasRecord rec = *edited;
    MeasFileWriteOptions options;
    options.variant = MeasFileVariant::History;
    options.withSecondTemperature = true;
    const QByteArray bytes = MeasFileBytes(rec, options);
    const QString newPath = MeasEditTarget(oldPath, rec);
    CommitMeasEditFiles(oldPath, {{newPath, bytes}});

    const bool groupChanged = rec.F[MeasRecord::Number].mid(5, 2) !=
                              Global::MeasRawRecords[std::size_t(r)].F[MeasRecord::Number].mid(5, 2);
    Global::MeasRawRecords[std::size_t(r)] = rec;
    for (auto* view : {&Global::MeasViewRecords, &Global::MeasPmCorrRecords, &Global::MeasStcRecords})
        for (int f = MeasRecord::Number; f <= MeasRecord::Position; ++f)
            (*view)[std::size_t(r)].F[std::size_t(f)] = rec.F[std::size_t(f)];
    if (groupChanged)
        CorrectAgain(r);
    Global::MeasFilePaths[std::size_t(r - 1)] = newPath;
    grid->setTextMatrix(r + 1, column, ForwardEditText(rec, column));

    // The view shown is chosen again: its rows, ticks, totals and curves.
    if (auto* views = MainControl<QTabWidget>(QStringLiteral("SSTab3")))
        SSTab3_Click(views->currentIndex());
}
