#pragma once
// The user's own lock on the choice of the data folder: what the password
// window does with the two boxes in each of its four states, as plain code.
// The window shows the outcome and stores what it says.
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>
#include <optional>

enum PassMode : std::uint8_t {
    PassSetNew = 0,      // no password stored: type a new one twice
    PassVerify = 1,      // a password is stored: type it
    PassResetVerify = 2, // reset asked: type the old one
    PassResetNew = 3,    // the old one was typed: type a new one twice
};

// The state a window opens in with `stored` as the stored password.
PassMode PassModeFor(const QString& stored);

struct PassOkOutcome {
    PassMode next = PassSetNew;
    // The message to show: 0 none; 723 the two boxes differ; 719 a wrong
    // password (the text of WrongPasswordText()); 721 or 722 a password set.
    int messageKey = 0;
    // The password to store before the message, when there is one.
    std::optional<QString> store;
    bool openFolderWindow = false;
    bool clearFirstBox = false; // box 0 emptied (a wrong old password)
    bool clearBothBoxes = false;
};

// OK pressed in state `mode` with the boxes' texts (box 1 is hidden in
// states 1 and 2) and the stored password. Texts compare exactly. An empty
// first box does nothing. In a reset the old password stays stored until
// the new one has been typed twice, so that giving up keeps it.
PassOkOutcome PassOk(PassMode mode, const QString& box0, const QString& box1, const QString& stored);

// The message for a wrong password. The typed text is never shown: it may
// be a password of the user's for something else.
QString WrongPasswordText();

// Stores `password` as the stored password; true only when the settings
// give it back exactly; a text they cannot carry whole leaves the old one.
bool StorePassword(const QString& password);
// The stored password ("" when none is set).
QString StoredPassword();

namespace Global {
// When set, the keyboard modifiers held now come from here (tests).
inline std::function<Qt::KeyboardModifiers()> KeyStateOverride;
} // namespace Global
// True when Ctrl and Shift are both held down at this moment.
bool CtrlAndShiftHeld();
