#pragma once
// What the main window and the other subsystems call of the customer tab:
// the customer list, the customer choice and save, the construction-history
// pages, the command buttons and pop-up menus of the tab, the picture
// handlers and the customer sort dialog. The handlers live in
// CustomerList, CustomerCommands, HistoryPages, HistoryPictures and
// FrmCustomerSort; ConnectCustomerTab wires them to the main window.
#include "customers/CustomerCommands.h"
#include "customers/CustomerList.h"
#include "customers/FrmCustomerSort.h"
#include "customers/HistoryPages.h"
#include "customers/HistoryPictures.h"

// ---- Customer tab reset ------------------------------------------------------

// Empties the customer tab and the array configuration window and locks the
// tab's inputs (the state with no customer). Also empties every history and
// contractor record and forgets which customer the tab showed.
void UserDataClearLock();
// Empties the tab's inputs and the array configuration window's rows and
// group choices, opens the inputs and goes back to history page 0 (a blank
// customer form).
void UserDataInitial();

// ---- Customer choice ---------------------------------------------------------

// Loads and shows the customer of the customer grid's current row: the
// save question for unsaved edits (only while the customer tab is shown),
// the row highlighted, the customer's folder read, its fields, history 0
// with its contractors and first picture, and the array configuration
// window filled. A row whose customer cannot be found or read leaves the
// tab empty and locked with no row chosen.
void MfgUserList_Click();

// Connects the customer tab's controls of the main window (and the shared
// command buttons and picture handlers) to their handlers.
void ConnectCustomerTab();
