#pragma once
// The firmware update wizard: six small windows shown one after the other,
// one at a time, modeless and without owner: WMenuS (an update is
// available), WMenu1 (update now or not), WMenu2 (confirmation), WMenu3 (the
// transfer with its progress bar), WMenu4 (after the transfer) and WMenu5
// (closing note). Texts are UiText 650 + n for the QTM family and 750 + n
// for the KRX family. Every way out clears Global::FirmwareWizardActive and
// leaves the instrument link closed.
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

// Shows the first window (start-up has set FirmwareFilePath,
// InstrumentFamily and FirmwareWizardActive and left the link open).
void ShowFirmwareWizard();
// Runs window events until FirmwareWizardActive is false.
void WaitForFirmwareWizard();
// Ends the wizard: clears FirmwareWizardActive and wakes the waiting start-up.
void EndFirmwareWizard();
// UiText key of text n of the wizard for the current instrument family.
int FirmwareTextKey(int n);

// What all six windows share: the title, and the close rule (a close by the
// user leaves the wizard: the flag is cleared and the link closed; the
// wizard's own steps just unload the window; the end of the session ends
// the program at once).
class FirmwareWizardWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FirmwareWizardWindow(const QString& name);
    // The wizard's own unload of this window.
    void unload();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Whether a close by the user may happen now.
    virtual bool userMayClose() const { return true; }
    virtual void aboutToUnload() {}
    QPlainTextEdit* messageBox(const QString& name, int key, int boxWidth = 0);
    QPushButton* button(const QString& name, int key);

  private:
    bool unloading = false;
};

class WMenuS : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenuS();
    void CmdBtn_Click();
    QLineEdit* TxtTitle;
    QPlainTextEdit* TxtMess;
    QPushButton* CmdBtn;
};

class WMenu1 : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenu1();
    void Command1_Click();
    void Command2_Click();
    QPlainTextEdit* TxtMess;
    QRadioButton* OptSel[2];
    QPushButton* Command1;
    QPushButton* Command2;
};

class WMenu2 : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenu2();
    void Command1_Click();
    void Command2_Click();
    QPlainTextEdit* TxtMess[2];
    QPushButton* Command1;
    QPushButton* Command2;
};

class WMenu3 : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenu3();
    // Runs the transfer once and hands over to the next window.
    void Timer1_Timer();
    bool transferRunning() const { return running; }
    QPlainTextEdit* TxtMess[2];
    QProgressBar* ProgressBar1;
    QTimer* Timer1;

  protected:
    // A close mid-transfer would leave the instrument erased: the close box
    // does nothing while the transfer runs.
    bool userMayClose() const override { return !running; }
    void aboutToUnload() override;

  private:
    bool running = false;
};

class WMenu4 : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenu4();
    void Command1_Click();
    QPlainTextEdit* TxtMess[2];
    QPushButton* Command1;
};

class WMenu5 : public FirmwareWizardWindow {
    Q_OBJECT
  public:
    WMenu5();
    void Command1_Click();
    QPlainTextEdit* TxtMess;
    QPushButton* Command1;
};
