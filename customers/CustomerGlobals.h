#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
#include "customers/CustomerRecords.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace Global {

// The loaded customer (see customers/CustomerRecords.h).
inline UserDataRecordType UserDataRecord;
inline ArrayConfigurationType ArrayConfiguration;
// Record k belongs to the history folder numbered k + 1 and is page k of
// the customer tab.
inline HistoryRecordArray HistoryRecords;
inline ContractorRecordArray ContractorRecords;
// Number of history folders found when the customer was read last.
inline std::int32_t HistoryCount = 0;
// Their names, entries 0 to HistoryCount - 1, in listing order.
inline HistoryFolderNameArray HistoryFolderNames;

// The construction-history page shown on the customer tab (0-based).
inline std::int32_t HistoryPage = 0;
// The history-name box has had the focus or a key since the last save
// question or list rebuild.
inline bool HistoryNameEdited = false;
// The copy buffer of the contractor block: row i is contractor i, columns
// name, telephone, person in charge. Lives until the program ends.
inline std::array<std::array<QString, 3>, Customer::ContractorCount> ContractorClip;

// The folder name (key) of the customer the customer tab shows, as it lies
// on disk; empty while the tab shows no saved customer (nothing chosen, or
// a new customer not saved yet). Deletion, documents, pictures and re-keying
// go by this key, never by the edited code and name boxes, and never by a
// customer another tab read into the records.
inline QString LoadedCustomerKey;

// The customer list cache and the loaded customer's place in it.
inline std::array<UserListItem, Customer::UserListCapacity> UserListItems;
inline std::int32_t UserListCount = 0;
inline std::int32_t CurUserIndex = 0; // index in UserListItems
inline std::int32_t CurUserRow = 0;   // highlighted grid row, 0 for none

// Window hooks, installed by the main window; unset in plain use and tests.
// Called by UserDataRead with the number of history folders it found, to
// show it in LblTotalPage.
inline std::function<void(std::int32_t)> ShowHistoryTotalHook;
// Called first by UserDataSave: copies the customer tab, the shown history
// page and the array configuration window into the records, and gives a
// new customer (CurUserRow 0) its highlighted grid row, setting
// CurUserIndex and CurUserRow.
inline std::function<void()> UserDataScreenToRecordsHook;

} // namespace Global
