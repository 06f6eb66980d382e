#pragma once
// The window-size limiter. A window may not grow beyond its maximum size
// (by default about the screen's); the print pages are laid out at the size
// of a printed page, larger than many screens, so each attaches a
// CLimitForm to itself and gives it limits of its own. Several limiters may
// be bound to one window: the first one attached sets its limits; when it
// goes, the next one takes over, and when the last goes the window gets
// back the limits it had before.
#include <QPointer>
#include <QWidget>

#include <cstdint>

class CLimitForm {
  public:
    CLimitForm();
    ~CLimitForm();
    CLimitForm(const CLimitForm&) = delete;
    CLimitForm& operator=(const CLimitForm&) = delete;

    // Binds the limiter to `window` and attaches it. False when it is bound
    // to that window already (nothing changes) or `window` is null.
    bool Initialize(QWidget* window);

    // The window bound by Initialize; null before.
    QWidget* hwnd() const { return window; }
    // Limits in pixels. The maximums start at the screen's size, and a value
    // below 1 sets the screen's size again; the minimums start at 0, and a
    // value below 1 is stored as 0. A bound limiter applies them at once.
    std::int32_t MaxWidth() const { return maxWidth; }
    std::int32_t MaxHeight() const { return maxHeight; }
    std::int32_t MinWidth() const { return minWidth; }
    std::int32_t MinHeight() const { return minHeight; }
    void setMaxWidth(std::int32_t v);
    void setMaxHeight(std::int32_t v);
    void setMinWidth(std::int32_t v);
    void setMinHeight(std::int32_t v);

    // True when this limiter's limits are the window's (the first attached).
    bool answers() const;

  private:
    void apply() const;

    QPointer<QWidget> window;
    std::int32_t maxWidth = 0, maxHeight = 0, minWidth = 0, minHeight = 0;
    // The window's own limits before the first limiter, kept by the limiter
    // that holds the window (handed on when it goes).
    bool holdsOriginal = false;
    QSize originalMin, originalMax;

    friend void DetachSizeLimit(CLimitForm* limiter);
    friend void AttachSizeLimit(CLimitForm* limiter);
};

// The registry of limiters (called by Initialize and by the destructor).
void AttachSizeLimit(CLimitForm* limiter);
void DetachSizeLimit(CLimitForm* limiter);
// The screen's size in pixels (the primary screen's; 1024 x 768 without one).
QSize ScreenSizePixels();
