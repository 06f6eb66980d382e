// The main tab switch: the conditions of the measurement tabs, the save
// questions, what each tab entered shows, the import menu item and the
// wheel hook.
#include "MeasTabsEnv.h"

#include "catalog/CatalogGlobals.h"

#include <functional>

using namespace MeasTabsTest;

namespace {

struct Case {
    const char* name;
    std::function<void(MeasTabsEnv&)> arrange;
    int target;
    QList<int> answers;  // answers to the questions, in order
    QList<int> messages; // UI texts shown, in order
    int shown;           // the tab that ends up shown
};

void ChosenWithHistory(MeasTabsEnv& t)
{
    t.choose(QStringLiteral("K001"), 1);
}

// The page after the last history, its name box empty.
void EmptyPage(MeasTabsEnv& t)
{
    t.choose(QStringLiteral("K001"), 3);
}

void Edited(MeasTabsEnv& t)
{
    ChosenWithHistory(t);
    t.Type("TxtIn", 5, QStringLiteral("New street 1"));
}

// On the catalogue tab with unsaved catalogue edits, a model selected or not.
std::function<void(MeasTabsEnv&)> CatalogEdited(bool modelSelected)
{
    return [modelSelected](MeasTabsEnv& t) {
        ChosenWithHistory(t);
        t.goTo(3);
        Global::TabModified[3] = true;
        Global::CurModuleModel = modelSelected ? 0 : -1;
    };
}

} // namespace

TEST(TabSwitch, ConditionsQuestionsAndTheTabShown)
{
    const Case cases[] = {
        {"no customer, measurement data", [](MeasTabsEnv&) {}, 1, {}, {545}, 0},
        {"no customer, instrument data", [](MeasTabsEnv&) {}, 2, {}, {545}, 0},
        {"no customer, catalogue", [](MeasTabsEnv&) {}, 3, {}, {}, 3},
        {"empty history page, measurement data", EmptyPage, 1, {}, {576}, 0},
        {"empty history page, instrument data", EmptyPage, 2, {}, {576}, 0},
        {"history, measurement data", ChosenWithHistory, 1, {}, {}, 1},
        {"history, instrument data", ChosenWithHistory, 2, {}, {}, 2},
        {"customer edited, measurement data, No", Edited, 1, {vbNo}, {578}, 1},
        {"customer edited, instrument data, No", Edited, 2, {vbNo}, {578}, 2},
        {"customer edited, catalogue, No", Edited, 3, {vbNo}, {578}, 3},
        // A name typed on the page after the last history and not saved:
        // the measurement tab has no such history to show.
        {"unsaved history name, measurement data",
         [](MeasTabsEnv& t) {
             EmptyPage(t);
             t.Type("TxtIn", 11, QStringLiteral("South"));
         },
         1,
         {vbNo},
         {578, 576},
         0},
        {"catalogue edited with a model selected, customers, No", CatalogEdited(true), 0, {vbNo}, {578}, 0},
        {"catalogue edited without a model selected, customers", CatalogEdited(false), 0, {}, {}, 0},
        {"catalogue edited with a model selected, measurement data", CatalogEdited(true), 1, {vbNo}, {578}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasTabsEnv t;
        c.arrange(t);
        for (int a : c.answers)
            t.Dialogs().answer(a);
        t.TakeMessages();
        t.goTo(c.target);
        QStringList expected;
        for (int key : c.messages)
            expected << Ui(key);
        EXPECT_EQ(t.TakeMessages(), expected);
        EXPECT_EQ(t.Tabs().currentIndex(), c.shown);
        EXPECT_EQ(t.importShown(), c.shown == 3);
        EXPECT_EQ(Global::HookedGrid, c.shown + 1);
        EXPECT_EQ(t.Dialogs().pending(), 0);
        EXPECT_FALSE(Global::TabModified[0]);
        EXPECT_FALSE(Global::TabModified[3]);
    }
}

TEST(TabSwitch, EachMeasurementTabShowsTheCustomerAndHistoryOfTheCustomerTab)
{
    MeasTabsEnv t;
    t.choose(QStringLiteral("K001"), 1);
    t.goTo(1);
    EXPECT_EQ(t.Text("LblCodeName", 0), QStringLiteral("K001"));
    EXPECT_EQ(t.combo("CmbHistorySel", 0).currentText(), QStringLiteral("West"));
    EXPECT_EQ(Global::MeasHistoryFolder, t.history(QStringLiteral("2_West")));
    EXPECT_EQ(qobject_cast<QWidget*>(t.Ctl("TxtIn", 11))->focusPolicy(), Qt::ClickFocus);

    t.goTo(0);
    EXPECT_EQ(Global::CurUserRow, t.RowOf(QStringLiteral("K001")));
    EXPECT_EQ(t.Text("TxtIn", 0), QStringLiteral("K001"));
    t.Click("CmdScl", 1);
    t.Click("CmdScl", 1);
    t.goTo(2);
    EXPECT_EQ(t.Text("LblCodeName", 1), QStringLiteral("K001"));
    EXPECT_EQ(t.Text("LblSiteName", 1), QStringLiteral("Roof"));
    EXPECT_EQ(t.combo("CmbHistorySel", 1).currentText(), QStringLiteral("North_roof"));
    EXPECT_EQ(t.forwardList().Rows(), 4);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}

TEST(TabSwitch, EnteringTheCustomerTabSelectsTheChosenCustomerWhereverTheListsRowWent)
{
    MeasTabsEnv t;
    t.ClickCustomer(QStringLiteral("A100"));
    t.goTo(3);
    t.Grid().setRow(t.RowOf(QStringLiteral("K001")));
    t.goTo(0);
    EXPECT_EQ(t.Text("TxtIn", 0), QStringLiteral("A100"));
    EXPECT_EQ(Global::CurUserRow, t.RowOf(QStringLiteral("A100")));
}

TEST(TabSwitch, YesToTheQuestionOnTheWayToTheCatalogueSavesTheEditsOnScreen)
{
    MeasTabsEnv t;
    Edited(t);
    t.Dialogs().answer(vbYes);
    t.goTo(3);
    EXPECT_EQ(t.Tabs().currentIndex(), 3);
    const QByteArray user = Bytes(t.Folder(QStringLiteral("K001_Kimura")) + QStringLiteral("/UserData.csv"));
    EXPECT_TRUE(user.contains("New street 1")) << user.constData();
}

TEST(TabSwitch, ASaveThatDoesNotGoThroughKeepsThePageOfTheEditsShown)
{
    for (int target : {1, 2, 3}) {
        SCOPED_TRACE(target);
        MeasTabsEnv t;
        ChosenWithHistory(t);
        t.Type("TxtIn", 1, QString()); // no customer name: the save is refused
        t.Dialogs().answer(vbYes);
        t.TakeMessages();
        t.goTo(target);
        EXPECT_EQ(t.TakeMessages(), QStringList({Ui(578), Ui(555)}));
        EXPECT_EQ(t.Tabs().currentIndex(), 0);
        EXPECT_EQ(t.Text("TxtIn", 0), QStringLiteral("K001"));
        EXPECT_EQ(t.Text("TxtIn", 1), QString());
        EXPECT_TRUE(Global::TabModified[0]);
        EXPECT_FALSE(t.importShown());
    }

    // A catalogue model whose registration fails keeps the catalogue shown.
    MeasTabsEnv t;
    ChosenWithHistory(t);
    t.goTo(3);
    Global::TabModified[3] = true;
    Global::CurModuleModel = 0; // no such model: the registration fails
    t.Dialogs().answer(vbYes);
    t.TakeMessages();
    t.goTo(0);
    EXPECT_EQ(t.Tabs().currentIndex(), 3);
    EXPECT_TRUE(Global::TabModified[3]);
    EXPECT_TRUE(t.importShown());
    EXPECT_EQ(t.TakeMessages().value(0), Ui(578));
}

TEST(TabSwitch, NoToTheQuestionOnTheWayToTheInstrumentTabSavesNoTypedHistoryName)
{
    MeasTabsEnv t;
    ChosenWithHistory(t);
    t.Type("TxtIn", 11, QStringLiteral("Western"));
    ASSERT_TRUE(Global::HistoryNameEdited);
    t.Dialogs().answer(vbNo);
    t.goTo(2);
    EXPECT_EQ(t.Tabs().currentIndex(), 2);
    EXPECT_TRUE(QFileInfo(t.history(QStringLiteral("2_West"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(t.history(QStringLiteral("2_Western"))));

    // Without the question the typed name is saved on the way.
    t.goTo(0);
    t.Click("CmdScl", 1);
    t.Type("TxtIn", 11, QStringLiteral("Western"));
    Global::TabModified[0] = false;
    t.goTo(2);
    EXPECT_TRUE(QFileInfo(t.history(QStringLiteral("2_Western"))).isDir());
    EXPECT_EQ(t.combo("CmbHistorySel", 1).currentText(), QStringLiteral("Western"));
}

TEST(TabSwitch, NothingHappensWhileTheCaptionsAreSet)
{
    MeasTabsEnv t;
    Global::CaptionsLoading = true;
    t.goTo(1);
    Global::CaptionsLoading = false;
    EXPECT_EQ(t.Tabs().currentIndex(), 1);
    EXPECT_TRUE(t.TakeMessages().isEmpty());
}
