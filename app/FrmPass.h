#pragma once
// The password window in front of the data-folder choice. On first use the
// user sets a password by typing it twice; from then on it must be typed; a
// reset replaces it once the old one has been typed. Holding Ctrl and Shift
// while the window opens clears the stored password. The window is shown
// modeless without an owner while the main window is hidden (or, when the
// stored data folder was missing at start-up, not loaded at all).
#include "common/PasswordLock.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

class FrmPass : public QDialog {
    Q_OBJECT
  public:
    FrmPass();

    // The Ctrl and Shift check, then SetupPassForm.
    void Form_Load();
    // Captions, and the state from the stored password. The boxes keep
    // their text.
    void SetupPassForm();
    void CmdResetting_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void txtPassword_GotFocus(int index);

    PassMode mode() const { return PassModeValue; }

    QLineEdit* txtPassword[2] = {};
    QLabel* lblLabels[2] = {};
    QLabel* LblMess = nullptr;
    QPushButton* CmdResetting = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc: the Cancel button.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showSecondBox(bool shown);

    PassMode PassModeValue = PassSetNew;
};

namespace Global {
inline QPointer<FrmPass> PassForm;
} // namespace Global

// Loads and shows a new password window (an open one is brought to the
// front).
void ShowPassWindow();
