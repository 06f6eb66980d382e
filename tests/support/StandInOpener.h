#pragma once
// Stand-ins for the desktop opener (xdg-open): small scripts in a folder of
// their own that write down what they were given and end as told.
#include "platform/Shell.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class StandInOpener {
  public:
    StandInOpener() { Global::ShellOpenOverride = nullptr; }
    ~StandInOpener()
    {
        Global::ShellOpenerOverride.clear();
        Global::ShellOpenWaitMs = 3000;
    }
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // An opener that logs its arguments, then runs `tail` (e.g. "exit 4"),
    // made the opener in use.
    QString use(const QString& name, const QByteArray& tail)
    {
        const QString path = dir.path() + u'/' + name;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write("#!/bin/sh\necho \"$*\" >> '" + QFile::encodeName(log()) + "'\n" + tail + "\n");
            f.close();
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        }
        Global::ShellOpenerOverride = path;
        return path;
    }
    // An opener that does not exist, made the opener in use.
    QString useMissing()
    {
        Global::ShellOpenerOverride = dir.path() + QStringLiteral("/no-opener");
        return Global::ShellOpenerOverride;
    }
    QString log() const { return dir.path() + QStringLiteral("/calls.log"); }
    // What the stand-ins were given, one line per start.
    QStringList calls() const
    {
        QFile f(log());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                           : QStringList();
    }

    QTemporaryDir dir;
};
