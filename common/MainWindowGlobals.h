#pragma once
// Shared state of the main window and its two small message windows, in
// namespace Global (see common/Global.h).
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class FrmMessWindow;
class FrmLoading;

namespace Global {

// The main window once it exists, and its controls by control name
// (common/Controls.h).
inline QPointer<QWidget> MainWindow;
inline QHash<QString, QPointer<QObject>> MainControls;
// The main window as it was in front at the end of its load; the list grids
// take the keyboard focus under the mouse only while this window is active.
inline QPointer<QWidget> MainWindowHandle;

// The last mouse position seen over the customer grid, in its pixels.
inline std::int32_t UserListMouseX = 0;
inline std::int32_t UserListMouseY = 0;

// Picture frames, in twips, fixed when the main window loads: the frame of a
// construction-history picture and of a catalogue model picture.
inline std::int32_t HistPicFrameWidth = 0;
inline std::int32_t HistPicFrameHeight = 0;
inline std::int32_t ModelPicFrameWidth = 0;
inline std::int32_t ModelPicFrameHeight = 0;

// The timed message window and the progress window while they are loaded.
inline QPointer<FrmMessWindow> MessWindowForm;
inline QPointer<FrmLoading> LoadingForm;

// Long work (common/FrmMessWindow.h): how many run (nested), the filter that
// drops user input meanwhile, the modal window that was open when it began
// (it takes no input either), the time of the last pump, and the refresh of
// the innermost progress window.
inline int LongWorkDepth = 0;
inline QObject* LongWorkInputFilter = nullptr;
inline QPointer<QWidget> LongWorkStartModal;
inline QElapsedTimer LongWorkLastPump;
inline bool LongWorkPumping = false;
inline std::function<void()> LongWorkRefresh;
inline std::function<void()> LongWorkOuterUsbHook;

} // namespace Global
