// The customer and history choice of both measurement tabs, and the reset of
// the measurement-data page.
#include "catalog/ArraySet.h"
#include "common/Captions.h"
#include "common/Global.h"
#include "customers/CustomerGlobals.h"
#include "customers/UserData.h"
#include "measview/MeasTabSupport.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "measview/TabRules.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/DiskNames.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr int Groups = 10;
constexpr int RowsPerGroup = 5;

QString Indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void Show(const QString& control, const QString& text)
{
    if (QObject* c = MainControlObject(control))
        SetCaption(c, text);
}

void Show(const char* name, int index, const QString& text)
{
    Show(Indexed(name, index), text);
}

QComboBox* Combo(const char* name, int index)
{
    return MainControl<QComboBox>(Indexed(name, index));
}

// Fills `combo` with `items` without running its handler; nothing chosen.
void Refill(QComboBox* combo, const QStringList& items)
{
    if (!combo)
        return;
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
}

QStringList HistoryNames()
{
    QStringList names;
    const int count = std::clamp<int>(Global::HistoryCount, 0, int(Global::HistoryRecords.size()));
    for (int j = 0; j < count; ++j)
        names << Global::HistoryRecords[std::size_t(j)].HistoryName;
    return names;
}

void SelectGroupTab(int g)
{
    if (auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab1")))
        tabs->setCurrentIndex(g);
}

// The array summary of page 0 emptied; the group tab captions and string
// frames keep theirs.
void EmptyArraySummary()
{
    SelectGroupTab(0);
    Show(QStringLiteral("LblMeasModuleData"), QString());
    for (int g = 0; g < Groups; ++g) {
        Show("LblModMaker", g, QString());
        for (int j = RowsPerGroup * g; j < RowsPerGroup * (g + 1); ++j)
            for (const char* cell : {"LblModCode", "LblModCnt", "LblModCntH", "LblModPm", "LblModVoc", "LblModIsc"})
                Show(cell, j, QString());
        for (const char* label : {"LblPowConNo", "LblPowConMaker", "LblPowConSerial", "LblStringTotalPm", "LblPmTemp",
                                  "LblAlpha", "LblBeta", "LblRs", "LblK"})
            Show(label, g, QString());
    }
}

// Each group's rated Pm and correction coefficients for the loaded customer,
// as the array configuration window derives them when it is filled.
void DeriveGroups()
{
    QWidget* window = ArraySetForm();
    if (window)
        if (auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("SSTab1")))
            tabs->setCurrentIndex(0);
    ShowArraySetData();
    if (!window)
        return;
    for (int g = 0; g < Groups; ++g)
        if (const QObject* total = window->findChild<QObject*>(Indexed("LblStringTotalPm", g)))
            Global::ArrayConfiguration.GroupRatedPm[std::size_t(g)] = CaptionOf(total);
}

void ShowArraySummary()
{
    const ArrayConfigurationType& a = Global::ArrayConfiguration;
    Show(QStringLiteral("LblMeasModuleData"), a.TotalPm);
    Show(QStringLiteral("LblExtData"), a.ExtMemo);
    auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab1"));
    for (int g = 0; g < Groups; ++g) {
        const auto at = std::size_t(g);
        SelectGroupTab(g);
        Show("LblModMaker", g, a.GroupMaker[at]);
        if (tabs && g < tabs->count())
            tabs->setTabText(g, GroupTabCaption(a.GroupMaker[at], g));
        for (int j = RowsPerGroup * g; j < RowsPerGroup * (g + 1); ++j) {
            const StringRow& s = a.StringRows[std::size_t(j)];
            Show("LblModCode", j, s.ModelCode);
            Show("LblModCnt", j, s.SeriesCount);
            Show("LblModCntH", j, s.ParallelCount);
            Show("LblModPm", j, s.ModulePm);
            Show("LblModVoc", j, s.ModuleVoc);
            Show("LblModIsc", j, s.ModuleIsc);
        }
        const GroupPowConEntry& pc = a.GroupPowCon[at];
        Show("LblPowConNo", g, pc.PowConNo);
        Show("LblPowConMaker", g, pc.PowConMaker);
        Show("LblPowConSerial", g, pc.PowConModel);
        Show("LblStringTotalPm", g, RatedPmCaption(a.GroupRatedPm[at]));
        Show("LblPmTemp", g, a.GroupPmTempCoef[at]);
        Show("LblAlpha", g, a.GroupAlpha[at]);
        Show("LblBeta", g, a.GroupBeta[at]);
        Show("LblRs", g, a.GroupRs[at]);
        Show("LblK", g, a.GroupK[at]);
        Show("FraStringSel", g, Global::UiText.value(UiStringFrame));
    }
    SelectGroupTab(0);
}

// A customer that could not be read leaves nothing of the customer loaded
// before on the page: no site, no histories, and on page 0 no array summary
// and no loaded history.
void EmptyCustomerPage(int k)
{
    Show("LblSiteName", k, QString());
    Refill(Combo("CmbHistorySel", k), {});
    if (k != 0)
        return;
    EmptyArraySummary();
    Show(QStringLiteral("LblExtData"), QString());
    UnloadMeasHistory();
}

} // namespace

void CmbCodeName_Click(int index)
{
    if (index != 0 && index != 1)
        return;
    const int k = index;
    Guarded(QStringLiteral("CmbCodeName_Click"), [&] {
        QComboBox* code = Combo("CmbCodeName", k);
        QComboBox* name = Combo("CmbUserName", k);
        if (!code || !name || code->currentIndex() < 0)
            return;
        // Both lists on the same customer; the customer is read once.
        {
            const QSignalBlocker block(name);
            name->setCurrentIndex(code->currentIndex());
        }
        Show("LblUserName", k, name->currentText());

        const QString key = code->currentText() + u'_' + name->currentText();
        if (!UserDataRead(key)) {
            EmptyCustomerPage(k);
            // Other failures have shown their own report.
            if (!IsSafeNamePart(key) || KindOf(UserDataFolder(key) + QStringLiteral("/UserData.csv")) != DiskKind::File)
                MsgBox(Global::UiText.value(UiCustomerFileMissing), vbOKOnly | vbExclamation);
            return;
        }
        Show("LblSiteName", k, Global::UserDataRecord.SiteName);

        if (k == 0) {
            DeriveGroups();
            ShowArraySummary();
            Refill(Combo("CmbHistorySel", 0), HistoryNames());
            Global::CurMeasRow = -1;
        } else {
            QComboBox* histories = Combo("CmbHistorySel", 1);
            Refill(histories, HistoryNames());
            // Each entry remembers its history's own folder, so that a move
            // goes into the history chosen whatever the names of the others.
            if (histories)
                for (int j = 0; j < histories->count(); ++j)
                    histories->setItemData(j, UserDataFolder(key) + u'/' +
                                                  HistoryFolderOf(Global::HistoryRecords[std::size_t(j)], j));
            // The destination of moved read-out files; choosing it loads nothing.
            if (histories && histories->count() > 0)
                histories->setCurrentIndex(0);
        }
    });
}

void CmbUserName_Click(int index)
{
    if (index != 0 && index != 1)
        return;
    Guarded(QStringLiteral("CmbUserName_Click"), [&] {
        QComboBox* code = Combo("CmbCodeName", index);
        QComboBox* name = Combo("CmbUserName", index);
        if (!code || !name || name->currentIndex() < 0)
            return;
        {
            const QSignalBlocker block(code);
            code->setCurrentIndex(name->currentIndex());
        }
        CmbCodeName_Click(index);
    });
}

void DataViewDisplayInitial()
{
    Guarded(QStringLiteral("DataViewDisplayInitial"), [&] {
        QStringList names;
        QStringList codes;
        const int count = std::clamp<int>(Global::UserListCount, 0, int(Global::UserListItems.size()));
        for (int i = 0; i < count; ++i) {
            names << Global::UserListItems[std::size_t(i)].CustomerName;
            codes << Global::UserListItems[std::size_t(i)].CustomerCode;
        }
        Refill(Combo("CmbUserName", 0), names);
        Refill(Combo("CmbCodeName", 0), codes);
        EmptyArraySummary();
        Show("LblSiteName", 0, QString());
        Refill(Combo("CmbHistorySel", 0), {});
        // The list is emptied, and with it what it showed: nothing that is
        // no longer on the page can be ticked, switched or reported.
        UnloadMeasHistory();
        Global::CurMeasRow = -1;
    });
}

QString ChosenHistoryFolder()
{
    const QComboBox* history = Combo("CmbHistorySel", 1);
    if (!history || history->currentIndex() < 0)
        return QString();
    return history->currentData().toString();
}
