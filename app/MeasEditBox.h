#pragma once
// The in-place edit box TxtPoinrIn of both measurement lists: element 0
// over the measurement list (MfgMeasList), element 1 over the
// instrument-data list (MfgForwardList). The lists open it over a cell on a
// double-click; these handlers close it and commit or drop the edit.

// Enter (13) and Esc (27) in box `index`: both first make the list usable
// again and hide the box; Esc then drops the edit (element 1 gives the list
// the focus), Enter sets `keyAscii` to 0 and commits the typed value
// (MeasListEditCommit, ForwardListEditCommit). An error of the commit shows
// the standard report titled "TxtPoinrIn_KeyPress", except an overflow
// (6), which ends it silently. Other keys are left to the box.
void TxtPoinrIn_KeyPress(int index, int& keyAscii);
// The box lost the focus: the edit is dropped as by Esc.
void TxtPoinrIn_LostFocus(int index);
// Connects the keys and the focus of both boxes to the handlers above.
void ConnectMeasEditBoxes();
