// Every open of the program -- the customer's and the catalogue's documents
// folders, the download page, the model picture's viewer -- goes through the
// desktop opener, and each reports an opener that is missing or fails in
// plain words, never as a file-access error and never not at all.
#include "app/MainWindowEnv.h"
#include "app/ToolsMenu.h"
#include "common/FileHelpers.h"
#include "common/SystemHelpers.h"
#include "customers/CatalogCommands.h"
#include "platform/FlexGrid.h"
#include "support/StandInOpener.h"

#include <QDir>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

TEST(DesktopOpen, EveryOpenStartsTheOpenerAndReportsItsFailure)
{
    MainWindowEnv w;
    for (const char* side : {"MODULE_DATA", "POWER_CONDITIONER_DATA"})
        FolCopy(QStringLiteral(HX_FIXTURES "/catalog/data/") + QLatin1String(side),
                w.env.dataFolder() + u'/' + QLatin1String(side), true);
    FolCopy(QStringLiteral(HX_FIXTURES "/customer/input/USER_DATA"), w.env.dataFolder() + QStringLiteral("/USER_DATA"),
            true);
    Global::DataFolder = w.env.dataFolder();
    FrmMain& f = w.load();
    const QString picture = w.env.root() + QStringLiteral("/module.jpg");
    {
        QFile p(picture);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write("jpg");
    }
    auto choose = [&](const QString& grid) {
        auto* g = f.control<FlexGrid>(grid);
        ASSERT_TRUE(g);
        g->setRow(1);
        emit g->Click();
    };
    choose(QStringLiteral("MfgUserList"));
    choose(QStringLiteral("MfgMakerList_0"));
    const QString customerDocs =
        w.env.dataFolder() + QStringLiteral("/USER_DATA/A001_山田商店/") + Global::UiText.value(520);
    const QString makerDocs =
        w.env.dataFolder() + QStringLiteral("/MODULE_DATA/Alpha Solar/") + Global::UiText.value(535);

    struct Open {
        const char* name;
        QString target;
        std::function<void()> act;
    };
    const Open opens[] = {
        {"customer's documents folder", customerDocs,
         [&] { f.control<QPushButton>(QStringLiteral("CmdBtn_11"))->click(); }},
        {"catalogue's documents folder", makerDocs, [] { CatalogCommand_Click(17); }},
        {"download page", DownloadPageAddress, [] { MnuUpdateInternet_Click(); }},
        {"picture viewer", picture, [&] { RunSubSystem(&f, picture, QString()); }},
    };
    struct Opener {
        const char* name;
        QByteArray tail; // empty: none installed
        const char* why;
    };
    const Opener openers[] = {
        {"exits 0", "exit 0", nullptr},
        {"fails", "exit 4", "failed with exit status 4"},
        {"missing", {}, "no desktop opener is installed"},
    };
    for (const Opener& o : openers) {
        StandInOpener opener;
        if (o.tail.isEmpty())
            opener.useMissing();
        else
            opener.use(QStringLiteral("opener"), o.tail);
        for (const Open& open : opens) {
            SCOPED_TRACE(testing::Message() << o.name << ", " << open.name);
            w.env.dialogs->log.clear();
            QFile::remove(opener.log());
            open.act();
            if (!o.tail.isEmpty())
                EXPECT_EQ(opener.calls(), QStringList{open.target});
            if (!o.why) {
                EXPECT_EQ(Boxes(*w.env.dialogs), QStringList());
                continue;
            }
            ASSERT_EQ(w.env.dialogs->log.size(), 1) << Boxes(*w.env.dialogs).join(u'\n').toStdString();
            const QString text = w.env.dialogs->log[0].message.text;
            EXPECT_TRUE(text.startsWith(u'"' + open.target + QStringLiteral("\" could not be opened: ")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(QLatin1String(o.why))) << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("ERROR"))) << text.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(customerDocs).isDir());
    EXPECT_TRUE(QFileInfo(makerDocs).isDir());
}
