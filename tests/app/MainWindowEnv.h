#pragma once
// A main window loaded in a temporary environment with the shipped language
// files, for the tests of the main window and its captions.
#include "app/FrmMain.h"
#include "common/Language.h"
#include "platform/Registry.h"
#include "support/ShippedLanguages.h"
#include "support/TestEnv.h"

#include <memory>

struct MainWindowEnv {
    TestEnv env;
    std::unique_ptr<FrmMain> form;

    MainWindowEnv()
    {
        env.installLanguageFiles();
        UseShippedLanguages(env.programFolder() + QStringLiteral("/LANGUAGE/"));
        Global::HookedGrid = 0;
        Global::CaptionsLoading = false;
        Global::CurModuleModel = -1;
        Global::CurPowConModel = -1;
    }
    ~MainWindowEnv()
    {
        form.reset();
        Global::MainWindowHandle = nullptr;
    }

    // Loads the window with the stored language code `code` ("1" English,
    // "81" Japanese, anything else: no language file carries it).
    FrmMain& load(const QString& code = QStringLiteral("1"))
    {
        RegStrSet(RegKeySystem, QStringLiteral("Language"), code);
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        return *form;
    }
};
