#pragma once
// Two small windows other parts show over their own: the message window,
// which shows Global::MessWindowText for one second and closes itself, and
// the progress window, a text line over a progress bar that its caller
// fills, repaints and closes.
//
// Below them, long work: the read-out, the firmware transfer, a history
// load, a backup, an import or printing keep the user-interface thread
// busy. While a LongWork lives the windows ignore user input (a message box
// the work opens still takes its own), so no second command can start, and
// LongWork::Pump lets them repaint; a LongWorkProgress adds the progress
// window, shown at once and repainted with every pump.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

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

    // Shows the window modeless, centred over its owner, wide enough for its
    // label.
    void Show();
    // Widens the window to its label's text when the text needs more than
    // the window's own width, keeping its centre.
    void FitToText();
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

// ---------------------------------------------------------------------------
// Long work

class LongWork {
  public:
    // `shown`: a window of the work's own (its progress), repainted at every
    // pump even when nothing in it changed, so that it never looks frozen.
    explicit LongWork(QWidget* shown = nullptr);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // True while any long work runs.
    static bool Running();
    // Lets pending paint, timer and window events run while long work runs
    // (user input is dropped), at most once every PumpIntervalMs unless
    // `now`; does nothing when no long work runs. A wait on the instrument
    // pumps by itself.
    static void Pump(bool now = false);
    static constexpr int PumpIntervalMs = 40;

  private:
    bool ownsRefresh = false;
    std::function<void()> outerRefresh;
};

// The progress window of a long work: FrmLoading over `owner`, shown at once
// with `label` and a bar from 0 to `maximum` at 0. The bar and label take
// their new values at the next pump (setValue pumps too), so they repaint
// at least ten times a second while the work goes on; setting the bar is
// cheap between pumps.
class LongWorkProgress {
  public:
    LongWorkProgress(QWidget* owner, int maximum, const QString& label = QString());
    ~LongWorkProgress();
    LongWorkProgress(const LongWorkProgress&) = delete;
    LongWorkProgress& operator=(const LongWorkProgress&) = delete;

    void setValue(int value);
    // A new end of the bar (work that learns its size once it began).
    void setMaximum(int maximum);
    void setLabel(const QString& text);
    int value() const { return wanted; }
    // Closes the window; the long work itself lasts until destruction.
    void close();
    FrmLoading* window() const { return form; }

  private:
    void refresh();

    LongWork work;
    QPointer<FrmLoading> form;
    int wanted = 0;
    QString label;
    bool labelChanged = false;
    bool refreshInstalled = false;
    std::function<void()> outerRefresh;
};
