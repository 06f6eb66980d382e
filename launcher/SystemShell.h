#pragma once
// The launcher's shell on this system: documents open through the desktop's
// opener (xdg-open), print through the print command (lp). Window states have
// no equivalent here: the opened program places its own window.
//
// The opener's exit status is waited for a short while: an opener that fails
// (no program for the document's type, say) is a failure with its status; one
// still running then has started its program, and goes on by itself.
#include "Launcher.h"

class SystemShell : public LaunchShell {
  public:
    // The programs are looked up on PATH unless given with a path.
    explicit SystemShell(QString opener = QStringLiteral("xdg-open"), QString printer = QStringLiteral("lp"),
                         int openWaitMs = 3000);

    ShellResult Execute(const ShellRequest& request) override;

  private:
    ShellResult Open(const ShellRequest& request) const;
    ShellResult Print(const ShellRequest& request) const;

    QString opener_;
    QString printer_;
    int openWaitMs_;
};
