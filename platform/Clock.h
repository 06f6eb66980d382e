#pragma once
// The computer's clock, replaceable where a test needs a fixed time.
#include <QDateTime>

#include <functional>

namespace Global {
// When set, the current local date and time come from here.
inline std::function<QDateTime()> ClockOverride;
} // namespace Global

QDateTime CurrentDateTime();
