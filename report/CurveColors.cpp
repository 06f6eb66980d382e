#include "report/CurveColors.h"

#include "common/AppGlobals.h"
#include "platform/AppError.h"
#include "platform/NumText.h"
#include "platform/Registry.h"

#include <cmath>

namespace {

constexpr std::uint32_t kDefaults[5] = {0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF};
constexpr double kLargest = 0xFFFFFF;

QString ValueName(int q)
{
    return QString::number(q + 1);
}

} // namespace

std::uint32_t DefaultCurveColor(int q)
{
    return kDefaults[((q % 5) + 5) % 5];
}

std::uint32_t CurveColorValue(const QString& stored)
{
    const double v = NumText::Val(stored);
    // Rounded half to even, as any whole number the program makes.
    const double whole = std::nearbyint(v);
    if (!(whole >= 0 && whole <= kLargest))
        return 0;
    return std::uint32_t(NumText::CLng(whole));
}

void LoadCurveColors()
{
    // The first time, the defaults are stored and used as they are: a store
    // that cannot be written must not turn every curve black.
    if (RegStrGet(RegKeyColorPV, QStringLiteral("1")).isEmpty()) {
        for (int q = 0; q < CurveColor::Rows; ++q)
            for (const int kind : {CurveColor::PV, CurveColor::IV})
                Global::CurveColors[std::size_t(kind)][std::size_t(q)] = DefaultCurveColor(q);
        StoreCurveColors();
        return;
    }
    for (int q = 0; q < CurveColor::Rows; ++q) {
        Global::CurveColors[CurveColor::PV][std::size_t(q)] = CurveColorValue(RegStrGet(RegKeyColorPV, ValueName(q)));
        Global::CurveColors[CurveColor::IV][std::size_t(q)] = CurveColorValue(RegStrGet(RegKeyColorIV, ValueName(q)));
    }
}

bool StoreCurveColors()
{
    bool all = true;
    for (int q = 0; q < CurveColor::Rows; ++q) {
        const auto at = std::size_t(q);
        all &= RegStrSet(RegKeyColorPV, ValueName(q), QString::number(Global::CurveColors[CurveColor::PV][at]));
        all &= RegStrSet(RegKeyColorIV, ValueName(q), QString::number(Global::CurveColors[CurveColor::IV][at]));
    }
    if (!all)
        ShowErrorReport(QStringLiteral("RegStrSet"), AppError(75));
    return all;
}

std::uint32_t CurveColorOf(int kind, int q)
{
    if (kind < 0 || kind > 1 || q < 0 || q >= CurveColor::Rows)
        return 0;
    return Global::CurveColors[std::size_t(kind)][std::size_t(q)];
}
