#pragma once
// A temporary HOME, settings folder, program folder and data folder for one
// test, with scripted dialogs and a clock that tests may fix.
#include "support/ScriptedDialogs.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QString root() const { return dir.path(); }
    QString home() const;           // $HOME
    QString programFolder() const;  // executable's folder, with LANGUAGE/
    QString dataFolder() const;     // a data folder, created
    ScriptedDialogs* dialogs = nullptr;

    // Copies the shipped language files into programFolder()/LANGUAGE.
    void installLanguageFiles() const;
    // Loads the shipped English (or Japanese) text table into Global::UiText.
    static void loadUiText(const QString& language = QStringLiteral("English"));

private:
    QTemporaryDir dir;
    QByteArray oldHome, oldXdg;
};

// A QApplication for tests that need one (created once per process).
void EnsureApp();
