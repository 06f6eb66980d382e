#pragma once
// The tabbed pages of the program's windows: a QTabWidget that repaints
// itself only when its own parts moved.
//
// QTabWidget lays out its tab bar and page stack again at every layout
// request, and then repaints itself whole, although most requests come from
// a caption or a button deep inside a page whose size did not change. A
// tab widget holding a whole window would repaint the window at every
// such change. Here a layout request that leaves the tab bar, the page
// stack and the corner widgets where they were repaints nothing; the page
// contents repaint themselves as they change.
#include <QTabWidget>

class TabWidget : public QTabWidget {
    Q_OBJECT
  public:
    explicit TabWidget(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
};
