#pragma once
// The in-memory shape of one customer: its own fields, its array
// configuration, its construction histories and their contractors, and one
// row of the customer list. Every field is text, held as typed or as read
// from a file; an empty text means "not set".
#include <QString>

#include <array>
#include <cstdint>

namespace Customer {
inline constexpr int GroupCount = 10;         // array groups 0..9 (tables have room for 11)
inline constexpr int RowsPerGroup = 5;        // string rows per group
inline constexpr int RowCount = 50;           // string rows 0..49 (table has room for 51)
inline constexpr int HistorySlots = 100;      // history records 0..99
inline constexpr int MaxHistories = 99;       // history folders 1..99; record 99 is never saved
inline constexpr int PictureSlots = 4;        // picture slots 0..3 (table has room for 5)
inline constexpr int ContractorCount = 5;     // contractors 0..4 (tables have room for 6)
inline constexpr int UserListCapacity = 1024; // customers in the list cache
} // namespace Customer

// The loaded customer, in the order of the lines of UserData.csv.
struct UserDataRecordType {
    QString CustomerCode;
    QString CustomerName;
    QString NameReading;
    QString SiteName;
    QString PostalCode;
    QString Address;
    QString Phone1;
    QString Phone2;
    QString Mail;
    QString RegistrationDate;
    QString CustomerMemo; // may hold CR LF line breaks

    bool operator==(const UserDataRecordType&) const = default;
};

// One string of modules. MakerData.csv writes it in another order (the
// parallel count last).
struct StringRow {
    QString ModelCode;
    QString SeriesCount;
    QString ParallelCount;
    QString ModulePm;
    QString ModuleVoc;
    QString ModuleIsc;

    bool operator==(const StringRow&) const = default;
};

// The power conditioner of one group.
struct GroupPowConEntry {
    QString PowConNo; // "1".."10" or empty
    QString PowConMaker;
    QString PowConModel;

    bool operator==(const GroupPowConEntry&) const = default;
};

// The customer's array configuration. Group g is GroupMaker[g], rows 5g to
// 5g+4 and GroupPowCon[g] (in MakerData.csv one block of nine lines, an
// "ArrayGroup"). Index 10 of the group tables and row 50 are never used.
struct ArrayConfigurationType {
    using GroupTexts = std::array<QString, Customer::GroupCount + 1>;

    QString TotalPm;
    GroupTexts GroupMaker;
    std::array<StringRow, Customer::RowCount + 1> StringRows;
    std::array<GroupPowConEntry, Customer::GroupCount + 1> GroupPowCon;
    QString ExtMemo; // may hold CR LF line breaks

    // Derived when the array configuration window is filled; never stored.
    GroupTexts GroupRatedPm;
    GroupTexts GroupPmTempCoef;
    GroupTexts GroupAlpha;
    GroupTexts GroupBeta;
    GroupTexts GroupRs;
    GroupTexts GroupK;
    GroupTexts GroupCellsDown;
    GroupTexts GroupCellsAcross;

    bool operator==(const ArrayConfigurationType&) const = default;
};

// One construction history.
struct HistoryRecord {
    QString HistoryName;
    QString MeasDate;
    std::array<QString, Customer::PictureSlots + 1> PicturePaths; // full paths; index 4 unused
    QString HistoryMemo;                                          // may hold CR LF line breaks
    QString HistoryPmTotal;
    QString HistoryVocTotal;
    QString HistoryIscTotal;
    // The name of the history's folder in the customer folder as it was
    // found or last written; empty for a history not on disk yet. Every path
    // to the history is built from it, so a folder whose name does not
    // follow the history's name is still found.
    QString FolderName;

    bool operator==(const HistoryRecord&) const = default;
};

// The five contractors of one history (entry 5 is never used).
struct ContractorRecord {
    std::array<QString, Customer::ContractorCount + 1> ContractorNames;
    std::array<QString, Customer::ContractorCount + 1> ContractorPhones;
    std::array<QString, Customer::ContractorCount + 1> ContractorPersons;

    bool operator==(const ContractorRecord&) const = default;
};

using HistoryRecordArray = std::array<HistoryRecord, Customer::HistorySlots>;
using ContractorRecordArray = std::array<ContractorRecord, Customer::HistorySlots>;
using HistoryFolderNameArray = std::array<QString, Customer::HistorySlots>;

// One row of the customer list, in grid column order.
struct UserListItem {
    QString CustomerCode;
    QString CustomerName;
    QString NameReading;
    QString SiteName;
    QString PostalCode;
    QString Address;
    QString Phone1;
    QString RegistrationDate;

    bool operator==(const UserListItem&) const = default;
};

// Empties the loaded customer: its fields, the stored part of the array
// configuration and GroupRatedPm, every history and contractor record
// (entries 0..3 of the pictures, 0..4 of the contractors, and the folder
// each was read from), and sets the history count to 0, so that a new
// customer starts with no pages of the customer read before. The five
// coefficient tables, the entries no page uses (group 10, row 50, picture
// slot 4, contractor 5) and HistoryFolderNames stay as they are.
void UserMemoryClear();
