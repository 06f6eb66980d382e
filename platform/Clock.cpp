#include "platform/Clock.h"

QDateTime CurrentDateTime()
{
    if (Global::ClockOverride)
        return Global::ClockOverride();
    return QDateTime::currentDateTime();
}
