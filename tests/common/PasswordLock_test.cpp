// The password window's states as plain code: what OK does with the boxes.
#include "common/PasswordLock.h"

#include "common/AppGlobals.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(PasswordLock, TheStateFollowsTheStoredPassword)
{
    EXPECT_EQ(PassModeFor(QString()), PassSetNew);
    EXPECT_EQ(PassModeFor(QStringLiteral("x")), PassVerify);
}

TEST(PasswordLock, OkByStateAndInput)
{
    const QString stored = QStringLiteral("Secret1");
    const struct {
        const char* what;
        PassMode mode;
        const char* box0;
        const char* box1;
        PassMode next;
        int message;
        const char* store; // nullptr: nothing stored
        bool open;
        bool clear0;
        bool clearBoth;
    } cases[] = {
        // An empty first box does nothing, in every state.
        {"set, empty", PassSetNew, "", "", PassSetNew, 0, nullptr, false, false, false},
        {"verify, empty", PassVerify, "", "", PassVerify, 0, nullptr, false, false, false},
        {"reset, empty", PassResetVerify, "", "", PassResetVerify, 0, nullptr, false, false, false},
        {"new, empty", PassResetNew, "", "x", PassResetNew, 0, nullptr, false, false, false},
        // Setting one: typed twice alike.
        {"set, differ", PassSetNew, "abc", "abd", PassSetNew, 723, nullptr, false, false, false},
        {"set, case differs", PassSetNew, "abc", "ABC", PassSetNew, 723, nullptr, false, false, false},
        {"set, alike", PassSetNew, "abc", "abc", PassSetNew, 721, "abc", true, false, false},
        // Typing the stored one: exact, letter case counts.
        {"verify, right", PassVerify, "Secret1", "", PassVerify, 0, nullptr, true, false, false},
        {"verify, case", PassVerify, "secret1", "", PassVerify, 719, nullptr, false, false, false},
        {"verify, wrong", PassVerify, "nope", "", PassVerify, 719, nullptr, false, false, false},
        // Reset: the old one first; it stays stored until the new one is set.
        {"reset, wrong", PassResetVerify, "nope", "", PassResetVerify, 719, nullptr, false, true, false},
        {"reset, right", PassResetVerify, "Secret1", "", PassResetNew, 0, nullptr, false, false, true},
        {"new, differ", PassResetNew, "n1", "n2", PassResetNew, 723, nullptr, false, false, false},
        {"new, alike", PassResetNew, "n1", "n1", PassResetNew, 722, "n1", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PassOkOutcome out =
            PassOk(c.mode, QString::fromUtf8(c.box0), QString::fromUtf8(c.box1), stored);
        EXPECT_EQ(out.next, c.next);
        EXPECT_EQ(out.messageKey, c.message);
        EXPECT_EQ(out.store.has_value(), c.store != nullptr);
        if (c.store && out.store)
            EXPECT_EQ(*out.store, QString::fromUtf8(c.store));
        EXPECT_EQ(out.openFolderWindow, c.open);
        EXPECT_EQ(out.clearFirstBox, c.clear0);
        EXPECT_EQ(out.clearBothBoxes, c.clearBoth);
    }
}

TEST(PasswordLock, AWrongPasswordIsNeverShownBack)
{
    TestEnv env;
    TestEnv::loadUiText();
    const QString text = WrongPasswordText();
    EXPECT_EQ(text, Global::UiText[719] + Global::UiText[720]);
    EXPECT_EQ(text, QStringLiteral("The password you typed is not correct."));
}

TEST(PasswordLock, APasswordIsStoredOnlyWhenItComesBackWhole)
{
    TestEnv env;
    EXPECT_TRUE(StorePassword(QStringLiteral("パスワード1")));
    EXPECT_EQ(StoredPassword(), QStringLiteral("パスワード1"));
    // A character code page 932 cannot carry would be stored as "?": the
    // user could never type it back, so it is refused.
    EXPECT_FALSE(StorePassword(QStringLiteral("caf\u00e9")));
    EXPECT_FALSE(StorePassword(QString(300, u'a')));
    EXPECT_EQ(StoredPassword(), QStringLiteral("パスワード1")); // the old one stays
    EXPECT_TRUE(StorePassword(QString()));
    EXPECT_EQ(StoredPassword(), QString());
}

TEST(PasswordLock, CtrlAndShiftMustBothBeHeld)
{
    const struct {
        Qt::KeyboardModifiers held;
        bool both;
    } cases[] = {
        {Qt::NoModifier, false},
        {Qt::ControlModifier, false},
        {Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::ShiftModifier, true},
        {Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, true},
    };
    for (const auto& c : cases) {
        Global::KeyStateOverride = [&] { return c.held; };
        EXPECT_EQ(CtrlAndShiftHeld(), c.both) << int(c.held);
    }
    Global::KeyStateOverride = nullptr;
}
