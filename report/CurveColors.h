#pragma once
// The curve colours of the report rows (Global::CurveColors): their defaults,
// their storage under the settings keys Report\Color\PV and Report\Color\IV
// (values "1" to "20", the colour as decimal text), and the reading of one
// colour for a report row.
#include <QString>

#include <cstdint>

namespace CurveColor {
inline constexpr int Rows = 20;
inline constexpr int PV = 0;
inline constexpr int IV = 1;
} // namespace CurveColor

// The default colour of report row q (0-based): blue, green, cyan, red and
// magenta in turn, the same for the I-V and the P-V curve.
std::uint32_t DefaultCurveColor(int q);

// A stored colour text as a colour: its leading number rounded to a whole
// number; anything that is not 0 to 16777215 (0xFFFFFF) reads as 0, black.
std::uint32_t CurveColorValue(const QString& stored);

// At program start: when value "1" of the P-V key is empty or missing, all
// 40 defaults are written first; then the 20 pairs are read into
// Global::CurveColors.
void LoadCurveColors();

// Writes the 20 pairs of Global::CurveColors into the settings, every one,
// changed or not. A failing write does not stop the others; the first one
// is reported once (titled "RegStrSet"). True when all were written.
bool StoreCurveColors();

// Colour `kind` (CurveColor::PV or IV) of report row q; black for a row
// outside the table (the twenty-first row of a report with its total).
std::uint32_t CurveColorOf(int kind, int q);
