#pragma once
// A window's picture for docs/screens: with its frame as the window system
// shows it under Xvfb (QT_QPA_PLATFORM=xcb), else the window's own drawing.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QWidget>

// Saves `w` as `dir`/`name`.png; true when written.
inline bool SaveWindowShot(QWidget& w, const QString& dir, const QString& name)
{
    QPixmap shot;
    if (QScreen* s = w.screen(); s && QGuiApplication::platformName() == QLatin1String("xcb"))
        shot = s->grabWindow(0, w.frameGeometry().x(), w.frameGeometry().y(), w.frameGeometry().width(),
                             w.frameGeometry().height());
    if (shot.isNull())
        shot = w.grab();
    return shot.save(dir + u'/' + name + QStringLiteral(".png"));
}
