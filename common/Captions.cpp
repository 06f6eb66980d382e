#include "common/Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

QString CaptionOf(const QObject* control)
{
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(control))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(control))
        return g->title();
    if (auto* m = qobject_cast<const QMenu*>(control))
        return m->title();
    if (auto* a = qobject_cast<const QAction*>(control))
        return a->text();
    if (auto* w = qobject_cast<const QWidget*>(control))
        return w->windowTitle();
    return QString();
}

void SetCaption(QObject* control, const QString& caption)
{
    if (auto* l = qobject_cast<QLabel*>(control))
        l->setText(caption);
    else if (auto* b = qobject_cast<QAbstractButton*>(control))
        b->setText(caption);
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        g->setTitle(caption);
    else if (auto* m = qobject_cast<QMenu*>(control))
        m->setTitle(caption);
    else if (auto* a = qobject_cast<QAction*>(control))
        a->setText(caption);
    else if (auto* w = qobject_cast<QWidget*>(control))
        w->setWindowTitle(caption);
}

QString TextOf(const QObject* control)
{
    if (auto* e = qobject_cast<const QLineEdit*>(control))
        return e->text();
    if (auto* m = qobject_cast<const QPlainTextEdit*>(control))
        return m->toPlainText();
    if (auto* c = qobject_cast<const QComboBox*>(control))
        return c->currentText();
    return CaptionOf(control);
}

void SetTextOf(QObject* control, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setText(text);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(control))
        m->setPlainText(text);
    else if (auto* c = qobject_cast<QComboBox*>(control))
        c->setCurrentText(text);
    else
        SetCaption(control, text);
}
