#pragma once
// Two small windows other parts show over their own: the message window,
// which shows Global::MessWindowText for one second and closes itself, and
// the progress window, a text line over a progress bar that its caller
// fills, repaints and closes.
#include <QWidget>

#include <cstdint>

class QLabel;
class QProgressBar;
class QTimer;

// Close reasons of a window (what asked it to close).
enum : int {
    vbFormControlMenu = 0, // the user (close box, window menu)
    vbFormCode = 1,        // the program
    vbAppWindows = 2,      // the session ends
    vbAppTaskManager = 3,  // the task manager
    vbFormMDIForm = 4,
    vbFormOwner = 5, // its owner window
};

class FrmMessWindow : public QWidget {
    Q_OBJECT
  public:
    // The window, loaded first when it is not (its load reads
    // MessWindowText and starts the one-second timer). `owner` is the window
    // it is centred over and stays above.
    static FrmMessWindow* Load(QWidget* owner);
    static bool IsLoaded();
    // Closes the window when it is loaded.
    static void Unload();

    // Shows the window modeless, centred over its owner; a window already
    // shown is only brought to the front.
    void Show();
    // Window background and label text colour (Windows colour values).
    void setBackColor(quint32 color);
    void setMessForeColor(quint32 color);

    void Form_Load();
    void TimClose_Timer();
    void Form_QueryUnload(bool& cancel, int unloadMode);

    QLabel* LblMess = nullptr;
    QTimer* TimClose = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    explicit FrmMessWindow(QWidget* owner);
};

// Shows MessWindowText in the message window over `owner` (sets the text
// first only when the window is not loaded yet, as a first access would).
void ShowMessWindow(QWidget* owner);

class FrmLoading : public QWidget {
    Q_OBJECT
  public:
    static FrmLoading* Load(QWidget* owner);
    static bool IsLoaded();
    static void Unload();

    // Shows the window modeless, centred over its owner.
    void Show();
    // Repaints the window at once (the caller's work keeps the event loop
    // from running).
    void Refresh();

    void Form_Load() {}
    void Form_QueryUnload(bool& cancel, int unloadMode);

    QLabel* LblMess = nullptr;
    QProgressBar* pBar = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    explicit FrmLoading(QWidget* owner);
};
