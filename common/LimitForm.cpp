#include "common/LimitForm.h"

#include <QGuiApplication>
#include <QList>
#include <QScreen>

#include <algorithm>

namespace {

// Every attached limiter in the order of attaching. The windows that
// created them own them; a limiter removes itself when it is destroyed.
QList<CLimitForm*>& LimitForms()
{
    static QList<CLimitForm*> forms;
    return forms;
}

CLimitForm* firstFor(const QWidget* window, const CLimitForm* except = nullptr)
{
    for (CLimitForm* f : LimitForms())
        if (f != except && f->hwnd() == window)
            return f;
    return nullptr;
}

} // namespace

QSize ScreenSizePixels()
{
    if (QGuiApplication::instance())
        if (const QScreen* s = QGuiApplication::primaryScreen())
            return s->size();
    return QSize(1024, 768);
}

CLimitForm::CLimitForm()
{
    const QSize screen = ScreenSizePixels();
    maxWidth = screen.width();
    maxHeight = screen.height();
}

CLimitForm::~CLimitForm()
{
    DetachSizeLimit(this);
}

bool CLimitForm::Initialize(QWidget* w)
{
    if (!w || w == window)
        return false;
    // Binding to a second window first lets go of the first one.
    if (window)
        DetachSizeLimit(this);
    window = w;
    AttachSizeLimit(this);
    return true;
}

void CLimitForm::setMaxWidth(std::int32_t v)
{
    maxWidth = v < 1 ? ScreenSizePixels().width() : v;
    apply();
}

void CLimitForm::setMaxHeight(std::int32_t v)
{
    maxHeight = v < 1 ? ScreenSizePixels().height() : v;
    apply();
}

void CLimitForm::setMinWidth(std::int32_t v)
{
    minWidth = std::max<std::int32_t>(v, 0);
    apply();
}

void CLimitForm::setMinHeight(std::int32_t v)
{
    minHeight = std::max<std::int32_t>(v, 0);
    apply();
}

bool CLimitForm::answers() const
{
    return window && firstFor(window) == this;
}

void CLimitForm::apply() const
{
    if (!answers())
        return;
    const int cap = QWIDGETSIZE_MAX;
    const int maxW = std::min<std::int32_t>(maxWidth, cap);
    const int maxH = std::min<std::int32_t>(maxHeight, cap);
    window->setMinimumSize(std::min(minWidth, maxW), std::min(minHeight, maxH));
    window->setMaximumSize(maxW, maxH);
}

void AttachSizeLimit(CLimitForm* limiter)
{
    if (!limiter || !limiter->window || LimitForms().contains(limiter))
        return;
    if (!firstFor(limiter->window)) {
        // The first limiter of the window keeps the window's own limits.
        limiter->holdsOriginal = true;
        limiter->originalMin = limiter->window->minimumSize();
        limiter->originalMax = limiter->window->maximumSize();
    }
    LimitForms().append(limiter);
    limiter->apply();
}

void DetachSizeLimit(CLimitForm* limiter)
{
    if (!LimitForms().removeOne(limiter))
        return;
    QWidget* window = limiter->window;
    const bool held = limiter->holdsOriginal;
    limiter->holdsOriginal = false;
    if (!window)
        return;
    if (CLimitForm* next = firstFor(window)) {
        if (held) {
            next->holdsOriginal = true;
            next->originalMin = limiter->originalMin;
            next->originalMax = limiter->originalMax;
        }
        next->apply();
        return;
    }
    if (held) {
        window->setMinimumSize(limiter->originalMin);
        window->setMaximumSize(limiter->originalMax);
    }
}
