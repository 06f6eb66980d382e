#pragma once
// The data-folder choice window, reached only through the password window.
// The user types a folder or picks one in the folder browser; OK creates it
// when missing, refuses system folders, stores it for the next start and
// ends the program. Cancel returns to the main window.
#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

class FrmFolderList : public QDialog {
    Q_OBJECT
  public:
    FrmFolderList();

    // Captions, the folder in use, the current folder of the process.
    void Form_Load();
    void CmdFolChange_Click();
    void CmdOK_Click();
    void cmdCancel_Click();
    void Form_QueryUnload(bool& cancel, int unloadMode);

    QLabel* LblFolder[2] = {};
    QLineEdit* TxtDefaultFolder = nullptr;
    QLineEdit* TxtFolderIn = nullptr;
    QPushButton* CmdFolChange = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc: the Cancel button.
    void reject() override;
};

namespace Global {
inline QPointer<FrmFolderList> FolderListForm;
} // namespace Global

// Closes a loaded data-folder window and shows a new one.
void ShowFolderListWindow();

// Where the password and data-folder windows go back to: the main window,
// shown again. When there is none yet -- the stored data folder was missing
// at start-up -- the program ends: no main window opens on a folder that is
// not there.
void ShowMainWindowOrEnd();
// A close request of the password or data-folder window: the close box
// leads back to the main window (ShowMainWindowOrEnd), and ends the
// program when there is no data folder at all; the program's own close
// only closes; any other (the session ending, the task manager) ends the
// program at once.
void LeaveOnClose(int unloadMode);
