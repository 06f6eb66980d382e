#pragma once
// The data-control buttons of both measurement tabs, one handler for the
// button array `CmdDataControl`: 0 (measurement-data tab) deletes the ticked
// measurement files of the history listed; 5 (instrument-data tab) moves the
// ticked read-out measurements into the history chosen there and returns to
// the customer tab; 6 deletes the ticked read-out files. Any other index
// does nothing. The file work is plain code (instrument/DataControl.h).
void CmdDataControl_Click(int index);
