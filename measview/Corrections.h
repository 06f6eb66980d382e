#pragma once
// The Pm-corrected and STC-corrected views of a measurement.
//
// Pm-corrected: every current is brought to 1000 W/m2, the maximum power to
// 25 deg C with the group's Pm temperature coefficient and rated Pm, and the
// open-circuit voltage and every curve voltage to 25 deg C with 0.95 times
// that coefficient.
// STC-corrected: the whole curve is translated to 1000 W/m2 and 25 deg C
// with the group module's alpha, beta, series resistance Rs and curve
// correction factor K, scaled from one module to the group by the series
// count S and parallel count P of the group's first string row: alpha x P,
// beta x S, Rs x S / P and K x S / P (the group is S modules in series, P
// such strings in parallel).
//
// The array group of a measurement is the middle part AA of its number
// NNNN-AA-SS (1 to 10). A measurement without a valid group is corrected
// with no group data: no temperature terms.
//
// A measurement that cannot be corrected shows "--" in Pm (F15), Voc (F16),
// Isc (F17) and fill factor (F43) and has no curve points (empty texts) in
// that view: its irradiance is zero, negative or missing; or its group is
// valid and its cell temperature F8 is not a number; or (STC view only) its
// group has no string row with a module or a series count below 1. Every
// other field stays as measured. A computed value that is not a finite
// number is stored as "--".
#include "customers/CustomerRecords.h"
#include "instrument/MeasRecord.h"

#include <QString>

#include <array>

// The correction data of one array group, taken from the array
// configuration once per load.
struct GroupCorrection {
    double ratedPm = 0;    // GroupRatedPm
    double pmTempCoef = 0; // GroupPmTempCoef in 1/deg C (the table holds %/deg C)
    // The first string row with a module has a series count of 1 or more.
    bool stcCorrectable = false;
    // Coefficients scaled to the group (empty ones count 0).
    double alpha = 0, beta = 0, rs = 0, k = 0;
    // What a measurement of this group raises: alpha, beta, Rs or K empty;
    // no row with a module or a series count below 1; rows of another
    // module than the first row's.
    bool coefMissing = false;
    bool noModule = false;
    bool mixedModules = false;
};

struct CorrectionSet {
    std::array<GroupCorrection, Customer::GroupCount> groups;
};

// The ten groups of `array`: rows 5g to 5g+4, skipping rows without a model
// code. Counts are rounded to whole numbers (halves to even); a parallel
// count below 1 counts as 1.
CorrectionSet CorrectionSetOf(const ArrayConfigurationType& array);

// The group index 0 to 9 of a measurement (its group number minus 1), or -1
// when its number names no group 1 to 10.
int MeasGroupIndex(const MeasRecord& rec);

// The flags that refuse the STC-corrected view.
struct CorrectionFlags {
    bool stcCoefMissing = false;
    bool noModule = false;
    bool mixedModules = false;
    bool operator==(const CorrectionFlags&) const = default;
};
// Raises in `flags` what the group of `rec` raises (nothing without a group).
void RaiseCorrectionFlags(CorrectionFlags& flags, const MeasRecord& rec, const CorrectionSet& set);

// The Pm-corrected and the STC-corrected view of a measurement as measured.
MeasRecord PmCorrected(const MeasRecord& measured, const CorrectionSet& set);
MeasRecord StcCorrected(const MeasRecord& measured, const CorrectionSet& set);

// The value of ResultText(value) read back, without making the text.
double TextValue(double value);
// A number stored as plain text, "--" when it is not finite.
QString ResultText(double value);
// A number in a fixed format ("0", "0.00", ...), "--" when it is not finite.
QString ResultFormat(double value, const QString& pattern);
// The fill factor F15 / (F16 x F17) in "0.00" from the texts of `rec`; "--"
// when F16 x F17 is 0, F15 is "--" or the result is not finite.
QString FillFactorText(const MeasRecord& rec);
