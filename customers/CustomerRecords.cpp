#include "customers/CustomerRecords.h"

#include "customers/CustomerGlobals.h"
#include "platform/AppError.h"

void UserMemoryClear()
{
    Guarded(QStringLiteral("UserMemoryClear"), [] {
        using namespace Customer;
        Global::UserDataRecord = UserDataRecordType{};

        auto& a = Global::ArrayConfiguration;
        for (int g = 0; g < GroupCount; ++g) {
            a.GroupMaker[g].clear();
            a.GroupRatedPm[g].clear();
            a.GroupPowCon[g] = GroupPowConEntry{};
        }
        for (int r = 0; r < RowCount; ++r)
            a.StringRows[r] = StringRow{};
        a.TotalPm.clear();
        a.ExtMemo.clear();

        Global::HistoryRecords.fill(HistoryRecord{});
        Global::ContractorRecords.fill(ContractorRecord{});
        // A new customer has no history pages of the customer read before.
        Global::HistoryCount = 0;
        Global::HistoryFolderNames.fill(QString());
    });
}
