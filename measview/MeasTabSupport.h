#pragma once
// What the handlers of the measurement-data tab share: the list, the guard
// flags held for the life of a scope, and the list kept from drawing while
// many cells change. Only measview's own sources include this.
#include "common/Controls.h"
#include "platform/FlexGrid.h"

#include <QComboBox>
#include <QString>

// The measurement list MfgMeasList of the main window (nullptr before it).
inline FlexGrid* MeasGrid()
{
    return MainControl<FlexGrid>(QStringLiteral("MfgMeasList"));
}

// The shown text of a combo box of the main window.
inline QString MainComboText(const QString& name)
{
    const auto* combo = MainControl<QComboBox>(name);
    return combo ? combo->currentText() : QString();
}

// Sets a guard flag for the life of the object and puts it back as it was on
// every way out, a failure included, so that no handler is left dead.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag(flag), before(flag) { flag = true; }
    ~FlagScope() { flag = before; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag;
    bool before;
};

// Connects the list's ticks, scrolling and mouse, the all button and the
// edit box to their handlers (measview/MeasTicks.cpp).
void ConnectMeasTicks(QObject* form);
