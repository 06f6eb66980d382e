#pragma once
// Small helpers the customer tab's code shares for the main window's
// controls (found by control name, common/Controls.h). Not for other
// subsystems.
#include <QString>

class FlexGrid;
class QObject;
class QWidget;

#include <cstddef>

namespace CustomerUi {

// UI text keys of the customer tab's boxes.
enum Key : int {
    UiDeleteCustomer1 = 517,
    UiDeleteCustomer2 = 518,
    UiSaveCustomerFirst = 519,
    UiPictureFilter = 539,
    UiDeleteHistory1 = 553,
    UiDeleteHistory2 = 554,
    UiCodeAndNameRequired = 555,
    UiCodeForbidden = 556,
    UiNameForbidden = 557,
    UiHistoryNameForbidden = 558,
    UiHistoryNameTwice = 559,
    UiHistoryDateWithoutName = 560,
    UiPictureMissing = 571,
    UiNameNotPortable = 575,
    UiPathTooLong = 586,
    UiKeepNewHistoryName = 588,
    UiCodeNotSingleByte = 675,
    UiDeleted = 677,
    UiCustomerExists = 687,
    UiFolderInUse = 774,
    UiHistoryPagePastLast = 976,
};

// Element `index` of a control array: "Name_index".
QString Indexed(const char* name, int index);

// The control, or nullptr when the main window has none of that name.
QObject* Find(const QString& name);
QObject* Find(const char* name, int index);
// The control; a missing one throws AppError 424 (Object required).
QObject* Required(const QString& name);
QObject* Required(const char* name, int index);

// The text of a box or the caption of a label.
QString Text(const QString& name);
QString Text(const char* name, int index);
// Sets a box's text or a label's caption from code. The control's own
// signals are held meanwhile, so the program's texts never count as edits.
void Show(const QString& name, const QString& text);
void Show(const char* name, int index, const QString& text);
// A memo box: the records' CR LF line breaks as the box's own.
void ShowMemo(const QString& name, const QString& memo);
// The memo a box holds, with CR LF line breaks.
QString Memo(const QString& name);

// Enables or disables a control (missing controls are skipped).
void Enable(const QString& name, bool on);
void Enable(const char* name, int index, bool on);

// The customer grid `MfgUserList` (nullptr without a main window).
FlexGrid* UserGrid();
// The main tab shown (`SSTab`): 0 customers .. 3 catalogue; -1 when none.
int MainTab();
// HistoryPage as an index of the history records; throws AppError 9 when
// it is none.
std::size_t ShownPage();
// The main window, as owner of boxes and windows.
QWidget* Owner();

// The save question (UI text 578): Yes/No, question icon, Yes the default.
// True for Yes.
bool AskSave();
// A deletion question: Yes/No, question icon, No the default. True for Yes.
bool AskDelete(int key);
// A box with an OK button and the exclamation icon / the information icon.
void Refuse(int key);
void Inform(int key);

} // namespace CustomerUi
