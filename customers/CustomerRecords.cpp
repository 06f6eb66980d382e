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

        // Every history and contractor a page can show; the entries no page
        // uses (picture slot 4, contractor 5) are left as they are.
        for (HistoryRecord& h : Global::HistoryRecords) {
            h.HistoryName.clear();
            h.MeasDate.clear();
            for (int j = 0; j < PictureSlots; ++j)
                h.PicturePaths[j].clear();
            h.HistoryMemo.clear();
            h.HistoryPmTotal.clear();
            h.HistoryVocTotal.clear();
            h.HistoryIscTotal.clear();
            // The folders belong to the customer read before, not to the
            // new one.
            h.FolderName.clear();
        }
        for (ContractorRecord& c : Global::ContractorRecords) {
            for (int k = 0; k < ContractorCount; ++k) {
                c.ContractorNames[k].clear();
                c.ContractorPhones[k].clear();
                c.ContractorPersons[k].clear();
            }
        }
        // A new customer has no history pages of the customer read before.
        // HistoryFolderNames keeps its texts; with the count at 0 none of
        // them is valid.
        Global::HistoryCount = 0;
    });
}
