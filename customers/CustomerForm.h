#pragma once
// The customer tab's part in reading and saving a customer: what a save
// takes from the screen into the records before the files are written, and
// what a read shows. The folder procedures themselves (customers/UserData.h)
// know no window; they reach the screen through the two hooks of
// customers/CustomerGlobals.h, which InstallCustomerFormHooks sets when the
// main window loads.
#include "customers/CustomerRecords.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

class QObject;

namespace Global {
// The array configuration window `FrmArraySet` while it is loaded (it is
// only ever hidden, never closed); null while it does not exist. The window
// sets it when it loads. Its controls are the working copy of the loaded
// customer's ArrayConfiguration.
inline QPointer<QWidget> ArraySetForm;
} // namespace Global

// ---- Memo boxes ------------------------------------------------------------
// The records and files hold a memo's line breaks as CR LF; a memo box
// holds its own line breaks. Every memo passes these two on its way.

// A memo of the records as the box shows it: CR LF (and a lone CR) become
// the box's line break "\n".
QString MemoToBox(const QString& memo);
// A memo box's text as the records hold it: every line break ("\n", CR LF,
// a lone CR, the Unicode line and paragraph separators) becomes CR LF.
QString MemoFromBox(const QString& boxText);
// The memo held by a box (a memo box, or any other control with a text).
QString MemoOf(const QObject* box);
// Shows the records' memo `memo` in a box.
void SetMemo(QObject* box, const QString& memo);

// ---- The save: screen into records -----------------------------------------

// Installed as Global::UserDataScreenToRecordsHook; UserDataSave runs it
// before it writes anything. Takes, from the main window's customer tab:
// TxtIn_0 .. TxtIn_10 into UserDataRecord; the history page shown (TxtIn_11,
// LblDate, LblMeasDataPm/Voc/Isc, TxtIn_12, TxtCompanyName/Tel/Charge_0..4)
// into HistoryRecords and ContractorRecords of HistoryPage; and, through
// ArraySetScreenToRecords, the array configuration. A customer without a
// row in the customer list (CurUserRow 0) gets one: a row is added to
// MfgUserList, made current and highlighted, and CurUserIndex / CurUserRow
// name it.
// Everything is read first and changes nothing until all of it was read:
// a missing control (error 424), a page outside the history records or a
// list already holding 1024 customers (error 9) throws AppError and leaves
// the records, the list and the selection as they were, so UserDataSave
// reports the failure and writes nothing. Without a main window there is
// nothing on screen to take and the records stay as they are.
void UserDataScreenToRecords();

// The array configuration window's controls into `into`: TotalPm from the
// main window's LblModulePmMax, ExtMemo from TxtExData, GroupRatedPm from
// LblStringTotalPm_g, each string row r = 0..49 from CmbModSel_r, TxtCnt_r,
// TxtCntH_r, LblPm_r, LblVoc_r, LblIsc_r, and each group g = 0..9 from
// CmbMaker_g, CmbNoSel_g, CmbPowConMaker_g, CmbPowConSerial_g (the text each
// shows). Does nothing while Global::ArraySetForm is null: the array
// configuration is then the one the records hold, as loaded. A missing
// control throws AppError 424 with `into` untouched.
void ArraySetScreenToRecords(ArrayConfigurationType& into);

// ---- The read: what it shows -------------------------------------------------

// Installed as Global::ShowHistoryTotalHook: the number of construction
// histories of the customer just read, in LblTotalPage.
void ShowHistoryTotal(std::int32_t historyCount);

// Sets both hooks; called by the main window's load.
void InstallCustomerFormHooks();
