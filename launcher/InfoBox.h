#pragma once
// The launcher's only window: the information box of a failure.
#include "Launcher.h"

class InfoBox : public LaunchMessages {
  public:
    void Information(const QString& caption, const QString& text) override;
};
