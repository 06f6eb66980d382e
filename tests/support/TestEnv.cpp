#include "support/TestEnv.h"

#include "app/Global.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TestEnv::TestEnv()
{
    EnsureApp();
    oldHome = qgetenv("HOME");
    oldXdg = qgetenv("XDG_CONFIG_HOME");
    QDir().mkpath(home());
    QDir().mkpath(root() + QStringLiteral("/config"));
    QDir().mkpath(programFolder());
    QDir().mkpath(dataFolder());
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root() + QStringLiteral("/config")).toLocal8Bit());
    Global::HomeOverride = home();
    Global::ProgramFolderOverride = programFolder();
    Global::DriveCRootOverride = programFolder();
    Global::RuntimeFolderOverride = root();
    Global::EndProgramHook = [](int code) { throw ProgramEnded{code}; };
    Global::ClockOverride = nullptr;
    Global::UiText = QStringList(Global::UiTextCount);
    Global::DataFolder = dataFolder();
    Global::TabModified = {};
    dialogs = installScriptedDialogs();
}

TestEnv::~TestEnv()
{
    qputenv("HOME", oldHome);
    if (oldXdg.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg);
    Global::HomeOverride.clear();
    Global::ProgramFolderOverride.clear();
    Global::DriveCRootOverride.clear();
    Global::RuntimeFolderOverride.clear();
    Global::ClockOverride = nullptr;
    Global::EndProgramHook = nullptr;
    Global::CurrentDialogs.reset();
    // A test that stopped half-way must not leave a write armed to fail.
    FileIoFaults::Reset();
}

QString TestEnv::home() const { return root() + QStringLiteral("/home"); }
QString TestEnv::programFolder() const { return root() + QStringLiteral("/program"); }
QString TestEnv::dataFolder() const { return root() + QStringLiteral("/data"); }

void TestEnv::installLanguageFiles() const
{
    QDir().mkpath(programFolder() + QStringLiteral("/LANGUAGE"));
    for (const char* name : {"English.txt", "Japanese.txt"}) {
        QString src = QStringLiteral(HX_SOURCE_DIR "/lang/") + QString::fromLatin1(name);
        QString dst = programFolder() + QStringLiteral("/LANGUAGE/") + QString::fromLatin1(name);
        QFile::remove(dst);
        QFile::copy(src, dst);
    }
}

void TestEnv::loadUiText(const QString& language)
{
    auto lines = ReadLines(QStringLiteral(HX_SOURCE_DIR "/lang/") + language + QStringLiteral(".txt"));
    ASSERT_TRUE(lines.has_value());
    Global::UiText = QStringList(Global::UiTextCount);
    for (int i = 0; i < lines->size() && i < Global::UiTextCount; ++i)
        Global::UiText[i] = lines->at(i);
}

void EnsureApp()
{
    if (!QCoreApplication::instance()) {
        // Off screen unless a platform is asked for (xcb under Xvfb for
        // screenshots).
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char arg0[] = "heliodex-test";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
}
