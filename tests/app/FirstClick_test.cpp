// The lists after the real start-up (caption set-up included): a click with
// the mouse on the first data row of a list chooses it, also after a
// language change, and the header row is never chosen. With HX_SCREENS_DIR
// set, the catalogue tab with its first maker chosen is saved there as
// catalogue-first-maker-<en|ja>.png (run under Xvfb with QT_QPA_PLATFORM=xcb).
#include "instrument/UsbTestSupport.h"

#include "app/FrmMain.h"
#include "app/Startup.h"
#include "catalog/CatalogGlobals.h"
#include "common/FileHelpers.h"
#include "common/Global.h"
#include "common/Language.h"
#include "platform/FlexGrid.h"
#include "platform/Registry.h"
#include "support/WindowShot.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

constexpr quint32 Navy = 0x00800000;

class FirstClick : public ::testing::Test {
  protected:
    void SetUp() override
    {
        env.installLanguageFiles();
        link.sim->openFailures = -1; // no instrument
        Global::ShowMainWindowHook = nullptr; // the real main window, shown
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride = QLocale(QLocale::English, QLocale::UnitedStates);
        for (const char* side : {"MODULE_DATA", "POWER_CONDITIONER_DATA"})
            FolCopy(QStringLiteral(HX_FIXTURES "/catalog/data/") + QLatin1String(side),
                    env.dataFolder() + u'/' + QLatin1String(side), true);
        FolCopy(QStringLiteral(HX_FIXTURES "/customer/input/USER_DATA"), env.dataFolder() + QStringLiteral("/USER_DATA"),
                true);
        RegStrSet(RegKeySystem, QStringLiteral("Language"), QStringLiteral("1"));
        RegStrSet(RegKeySystem, QStringLiteral("SaveFolder"), env.dataFolder());
    }
    void TearDown() override
    {
        Global::InstanceLock.reset();
        Global::SystemLocaleOverride.reset();
        // Windows owned by another go with it.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            windows << w;
        for (const QPointer<QWidget>& w : windows)
            delete w.data();
    }

    // The program's start, as main() runs it, up to the shown main window.
    FrmMain* start()
    {
        bool open = false;
        try {
            open = Main();
        } catch (const ProgramEnded&) {
            ADD_FAILURE() << "the start ended the program";
            return nullptr;
        }
        EXPECT_TRUE(open);
        EXPECT_TRUE(env.dialogs->log.isEmpty());
        FrmMain* f = Global::MainForm;
        if (f)
            settle();
        return f;
    }

    static void settle()
    {
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
    }

    // A press and release of the left button on the middle of a cell of the
    // list, as the window system delivers them.
    static void click(FlexGrid* g, int row, int col)
    {
        const QPoint at = g->viewport()->mapFrom(g, g->CellRect(row, col).center());
        QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }

    // The first maker of both catalogue sides, then the first customer,
    // each chosen by one click.
    void clickFirstRows(FrmMain& f, const char* language)
    {
        SCOPED_TRACE(language);
        f.SSTab->setCurrentIndex(3);
        for (int side : {0, 1}) {
            SCOPED_TRACE(side == 0 ? "module makers" : "power-conditioner makers");
            f.SSTab2->setCurrentIndex(side);
            settle();
            auto* makers = f.control<FlexGrid>(QStringLiteral("MfgMakerList_%1").arg(side));
            auto* models = f.control<FlexGrid>(QStringLiteral("MfgSerialNoList_%1").arg(side));
            ASSERT_TRUE(makers && models);
            ASSERT_GE(makers->Rows(), 3);
            const QString header = makers->TextMatrix(0, 0);

            // On the header: nothing is chosen.
            click(makers, 0, 0);
            EXPECT_EQ(side == 0 ? Global::CurModuleMaker : Global::CurPowConMaker, -1);
            EXPECT_NE(makers->cellBackColor(0, 0), Navy);

            click(makers, 1, 0);
            EXPECT_EQ(makers->Row(), 1);
            EXPECT_EQ(makers->cellBackColor(1, 0), Navy);
            EXPECT_NE(makers->cellBackColor(0, 0), Navy);
            EXPECT_EQ(makers->TextMatrix(0, 0), header);
            EXPECT_EQ(side == 0 ? Global::CurModuleMaker : Global::CurPowConMaker, 0);
            EXPECT_GE(models->Rows(), 2); // its models are listed
        }

        f.SSTab->setCurrentIndex(0);
        settle();
        auto* users = f.control<FlexGrid>(QStringLiteral("MfgUserList"));
        ASSERT_TRUE(users);
        ASSERT_GE(users->Rows(), 2);
        click(users, 1, 0);
        EXPECT_EQ(users->Row(), 1);
        EXPECT_EQ(Global::CurUserIndex, 0);
        EXPECT_EQ(f.control<QLineEdit>(QStringLiteral("TxtIn_0"))->text(), QStringLiteral("A001"));
        // (The fixture's picture folders carry the English names.)
        if (QByteArray(language).startsWith("English"))
            EXPECT_EQ(Boxes(*env.dialogs), QStringList());
    }

    // The catalogue tab with the first module maker chosen.
    static void shoot(FrmMain& f, const QString& name)
    {
        const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
        if (dir.isEmpty())
            return;
        f.SSTab->setCurrentIndex(3);
        f.SSTab2->setCurrentIndex(0);
        settle();
        EXPECT_TRUE(SaveWindowShot(f, dir, name));
    }

    TestEnv env;
    SimulatedLink link;
};

} // namespace

TEST_F(FirstClick, TheFirstDataRowOfEveryListIsChosenByOneClickAfterStartAndLanguageChange)
{
    FrmMain* f = start();
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->isVisible());
    clickFirstRows(*f, "English, after the start");
    shoot(*f, QStringLiteral("catalogue-first-maker-en"));

    f->LanguageSetup(1); // Japanese, as the stored language
    f->show();
    settle();
    clickFirstRows(*f, "Japanese, after the language change");
    shoot(*f, QStringLiteral("catalogue-first-maker-ja"));
}
