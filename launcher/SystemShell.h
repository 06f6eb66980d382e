#pragma once
// The launcher's shell on this system: documents open through the desktop's
// opener (xdg-open), print through the print command (lp). Window states have
// no equivalent here: the opened program places its own window.
#include "Launcher.h"

class SystemShell : public LaunchShell {
  public:
    // The programs are looked up on PATH unless given with a path.
    explicit SystemShell(QString opener = QStringLiteral("xdg-open"), QString printer = QStringLiteral("lp"));

    ShellResult Execute(const ShellRequest& request) override;

  private:
    ShellResult Open(const ShellRequest& request) const;
    ShellResult Print(const ShellRequest& request) const;

    QString opener_;
    QString printer_;
};
