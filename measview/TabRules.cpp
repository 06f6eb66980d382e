#include "measview/TabRules.h"

#include "platform/NumText.h"

#include <QString>

#include <algorithm>

int StcRefusalKey(bool stcCoefMissing, const std::array<bool, 2>& moduleCompFlags)
{
    if (stcCoefMissing)
        return UiStcCoefMissing;
    if (moduleCompFlags[0])
        return UiStcNoModule;
    if (moduleCompFlags[1])
        return UiStcMixedModules;
    return 0;
}

bool TickAllTicks(const std::vector<std::uint8_t>& ticks, int count)
{
    const int last = std::min(count, int(ticks.size()) - 1);
    for (int r = 0; r <= last; ++r)
        if (ticks[std::size_t(r)] == 0)
            return true;
    return false;
}

int TickedMeasurementCount(const std::vector<std::uint8_t>& ticks, int count)
{
    const int last = std::min(count, int(ticks.size()) - 1);
    int n = 0;
    for (int j = 1; j <= last; ++j)
        if (ticks[std::size_t(j)] == 1)
            ++n;
    return n;
}

ReportHandOver ReportHandOverFor(int count, int ticked)
{
    if (count <= 0)
        return ReportHandOver::Nothing;
    if (ticked > ReportMaxRows)
        return ReportHandOver::TooMany;
    if (ticked == 0)
        return ReportHandOver::Nothing;
    return ReportHandOver::Open;
}

QString GroupTabCaption(const QString& maker, int g)
{
    return maker.isEmpty() ? QString() : NumText::Format(g + 1, QStringLiteral("00"));
}

QString RatedPmCaption(const QString& ratedPm)
{
    return NumText::Val(ratedPm) != 0 ? ratedPm : QString();
}
