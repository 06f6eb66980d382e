#pragma once
// The construction-history pages of the customer tab: page HistoryPage of
// the loaded customer's HistoryRecords / ContractorRecords on screen, the
// page buttons, copy and paste of the contractor block, the guard on the
// history-name box, and the deletion of the history shown.
#include <QPoint>
#include <QString>

#include <Qt>

// Shows page HistoryPage (name, date, totals, contractors, memo, picture of
// slot 1). The caller sets LblPage.
void MeasDataPageChange();
// Stores the shown page's editable boxes into its records.
void MeasDataMemoryMove();
// Page buttons: 0 previous, 1 next.
void CmdScl_Click(int index);
// Pop-up menu items of the contractor headings: 0 copy, 1 paste.
void MnuCopyPaste_Click(int index);
// A mouse button on a caption LblUserMess(index): the right button over a
// contractor heading (17 to 19) opens the copy and paste menu at `globalPos`.
void LblUserMess_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos);
// The history-name box TxtIn(11): entering it or a key marks the name as
// edited; leaving it with a changed name of a saved history asks whether to
// keep the new name (and saves) or put the old one back.
void TxtIn_GotFocus(int index);
void TxtIn_KeyUp(int index);
void TxtIn_LostFocus(int index);

// Deletes the history shown, after the save question and two
// confirmations, renumbers the remaining history folders, and shows the
// customer again.
void CmdDelete_Click();

// Renumbers the history folders of the customer folder `folder` so that
// their numbers run 1, 2, 3 ... in the order of their numbers; only folders
// numbered 1 to 99 take part (the documents folder `documentsName` and
// anything else keep their names). A target name that is taken is reached
// through a temporary name. Throws AppError when a rename fails.
void RenumberHistoryFolders(const QString& folder, const QString& documentsName);
