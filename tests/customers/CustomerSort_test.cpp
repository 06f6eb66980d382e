// The customer sort dialog: opened by the sort button, preselected from
// the shared sort state, re-sorts the list in place and stores the choice;
// closing stores nothing.
#include "customers/support/CustomerTabEnv.h"

#include "platform/Registry.h"

#include <QGroupBox>
#include <QPushButton>

using namespace CustomerTabTest;

namespace {

const QList<CustomerSpec> Three = {
    {"A1", "Mori", "mori", "s", "300-0000", "x", "1", "2024/03/01", {}, ""},
    {"B2", "Aoki", "aoki", "s", "100-0000", "x", "1", "2022/01/01", {}, ""},
    {"C3", "Sato", "sato", "s", "200-0000", "x", "1", "2023/01/01", {}, ""},
};

class CustomerSortTest : public ::testing::Test {
  protected:
    CustomerTabEnv t;
    void SetUp() override
    {
        for (const CustomerSpec& c : Three)
            t.Write(c);
    }
    FrmCustomerSort& OpenDialog()
    {
        t.Click("CmdBtn", 2);
        FrmCustomerSort* form = FrmCustomerSort::Loaded();
        EXPECT_NE(form, nullptr);
        return *form;
    }
    int CheckedColumnOption(FrmCustomerSort& f)
    {
        for (int i = 0; i < 5; ++i)
            if (f.Op1[i]->isChecked())
                return i;
        return -1;
    }
};

} // namespace

TEST_F(CustomerSortTest, SortingReordersTheListStoresTheChoiceAndLeavesNoCustomerChosen)
{
    t.Load();
    t.ClickCustomer("C3");
    FrmCustomerSort& f = OpenDialog();
    EXPECT_TRUE(f.isModal());
    EXPECT_EQ(f.parentWidget(), t.w.form.get());
    EXPECT_EQ(f.windowTitle(), Ui(310));
    EXPECT_EQ(f.FraObject->title(), Ui(311));
    EXPECT_EQ(f.Op1[3]->text(), Ui(315));
    EXPECT_EQ(f.FraCondition->title(), Ui(317));
    EXPECT_EQ(f.Op2[1]->text(), Ui(320));
    EXPECT_EQ(f.CmdBtn[0]->text(), Ui(321));
    EXPECT_EQ(f.CmdBtn[1]->text(), Ui(322));
    EXPECT_EQ(CheckedColumnOption(f), 0);
    EXPECT_TRUE(f.Op2[0]->isChecked());

    f.Op1[3]->click(); // postal code
    f.Op2[1]->click(); // descending
    EXPECT_EQ(Global::SortColumn, 4);
    EXPECT_EQ(Global::SortDirection, 1);
    f.CmdBtn[0]->click();
    EXPECT_EQ(t.Column(4), (QStringList{"300-0000", "200-0000", "100-0000"}));
    EXPECT_EQ(Global::CurUserRow, 0);
    EXPECT_EQ(Global::LoadedCustomerKey, "");
    EXPECT_EQ(t.Text("TxtIn", 0), "");
    EXPECT_TRUE(t.Enabled("TxtIn_0")) << "empty and open";
    for (int r = 1; r < 4; ++r)
        EXPECT_NE(t.Grid().cellBackColor(r, 0), UserRowSelectedBack) << r;
    EXPECT_EQ(t.Grid().Row(), 1);
    EXPECT_EQ(t.Grid().Col(), 1);
    EXPECT_EQ(RegNumGet(RegKeySystem, "SortCol"), 4);
    EXPECT_EQ(RegNumGet(RegKeySystem, "SortContition"), 1);
    EXPECT_TRUE(FrmCustomerSortIsLoaded()) << "stays open for another sort";

    f.Op1[4]->click();
    f.Op2[0]->click();
    f.CmdBtn[0]->click();
    EXPECT_EQ(t.Column(7), (QStringList{"2022/01/01", "2023/01/01", "2024/03/01"}));
    f.CmdBtn[1]->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(FrmCustomerSortIsLoaded());
    EXPECT_TRUE(t.TakeMessages().isEmpty());

    // The next start reads the stored choice: the list comes sorted so.
    t.w.form.reset();
    Global::SortColumn = RegNumGet(RegKeySystem, "SortCol");
    Global::SortDirection = RegNumGet(RegKeySystem, "SortContition");
    t.Load();
    EXPECT_EQ(t.Column(0), (QStringList{"B2", "C3", "A1"}));
}

TEST_F(CustomerSortTest, ClosingKeepsTheChoiceForThisRunOnlyAndOddStoredValuesPreselectNothing)
{
    t.Load();
    FrmCustomerSort& f = OpenDialog();
    f.Op1[1]->click();
    f.close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(FrmCustomerSortIsLoaded());
    EXPECT_EQ(Global::SortColumn, 1);
    EXPECT_EQ(RegNumGet(RegKeySystem, "SortCol"), 0) << "nothing stored";
    UserListIni(true);
    EXPECT_EQ(t.Column(1), (QStringList{"Aoki", "Mori", "Sato"}));

    // A stored column 3 is no option; a sort without a choice keeps it.
    Global::SortColumn = 3;
    Global::SortDirection = 0;
    FrmCustomerSort& g = OpenDialog();
    EXPECT_EQ(CheckedColumnOption(g), -1);
    g.CmdBtn[0]->click();
    EXPECT_EQ(RegNumGet(RegKeySystem, "SortCol"), 3);
    g.close();
}

TEST_F(CustomerSortTest, UnsavedEditsAreAskedAboutBeforeTheDialogOpens)
{
    t.Load();
    t.ClickCustomer("A1");
    t.Type("TxtIn", 3, "edited");
    t.Dialogs().answer(vbNo);
    t.Click("CmdBtn", 2);
    EXPECT_EQ(t.TakeMessages(), QStringList{Ui(578)});
    EXPECT_TRUE(FrmCustomerSortIsLoaded());
    FrmCustomerSortUnload();

    // A save that does not go through keeps the edits; no dialog.
    t.Type("TxtIn", 0, "");
    t.Dialogs().answer(vbYes);
    t.Click("CmdBtn", 2);
    EXPECT_EQ(t.TakeMessages(), (QStringList{Ui(578), Ui(555)}));
    EXPECT_FALSE(FrmCustomerSortIsLoaded());
    EXPECT_EQ(t.Text("TxtIn", 3), "edited");
}
