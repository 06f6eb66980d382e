// The Pm-corrected and STC-corrected views of a measurement, from records
// and coefficients made by hand: every field's text, the points, and the
// flags that refuse the STC view.
#include "MeasViewTestSupport.h"

#include "measview/Corrections.h"
#include "platform/NumText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

// The measured fields of the records below: group 01, 45 deg C, 800 W/m2.
MeasRecord Measured(std::initializer_list<std::pair<int, const char*>> more = {}, const char* volts = "10",
                    const char* amps = "5")
{
    MeasRecord r = MakeRecord({{0, "0001-01-01"}, {8, "45"}, {12, "800"}, {15, "50"}, {16, "20"}, {17, "8"}},
                              Every(volts), Every(amps));
    for (const auto& [n, text] : more)
        r.F[std::size_t(n)] = QString::fromUtf8(text);
    return r;
}

QStringList Values(const MeasRecord& r)
{
    return {r.F[15], r.F[16], r.F[17], r.F[43]};
}

const QStringList NoValues = {"--", "--", "--", "--"};

} // namespace

TEST(Corrections, IrradianceAndTemperatureTermsOfBothViews)
{
    // First row: 1 in series, 2 in parallel; alpha 0.004 per module.
    const CorrectionSet set = CorrectionSetOf(ArrayOf(0, {{{"PV-A", "1", "2"}}, "", "", "0.004"}));
    const MeasRecord m = Measured();

    // Pm view: 5 + 8 x (1000 / 800 - 1) = 7 at 10 V; no rated Pm or
    // coefficient: no temperature terms.
    const MeasRecord pm = PmCorrected(m, set);
    EXPECT_EQ(PointTexts(pm, 0), QStringList({"10", "7", "70"}));
    EXPECT_EQ(PointTexts(pm, 119), QStringList({"10", "7", "70"}));
    EXPECT_EQ(Values(pm), QStringList({"70.00", "20", "10", "0.35"}));

    // STC view: 5 + 8 x 0.25 + 0.008 x (25 - 45) = 6.84.
    const MeasRecord stc = StcCorrected(m, set);
    EXPECT_EQ(PointTexts(stc, 0), QStringList({"10", "6.84", "68.4"}));
    // Pm "0"; Isc 8 + 2 - 0.16; Voc unmoved; 68 / (20 x 9.84).
    EXPECT_EQ(Values(stc), QStringList({"68", "20", "9.84", "0.35"}));

    // Every other field stays as measured.
    for (const MeasRecord* r : {&pm, &stc})
        for (int n : {0, 8, 12, 13, 42})
            EXPECT_EQ(r->F[std::size_t(n)], m.F[std::size_t(n)]) << n;
}

TEST(Corrections, StcVoltagesMoveByBetaSeriesResistanceAndK)
{
    // beta -0.3 x 20 in series, 45 deg C: every voltage + 120.
    {
        const CorrectionSet set = CorrectionSetOf(ArrayOf(0, {{{"PV-A", "20", ""}}, "", "", "0", "-0.3"}));
        const MeasRecord stc = StcCorrected(Measured({{12, "1000"}}), set);
        EXPECT_EQ(PointTexts(stc, 7), QStringList({"130", "5", "650"}));
        EXPECT_EQ(stc.F[16], "140");
    }
    // Rs and K of a group of two strings of 10 modules scale by 10 / 2:
    // Rs' = 0.5 x 5 = 2.5, K' = 0.002 x 5 = 0.01. At 500 W/m2 and 25 deg C
    // the current doubles (5 to 10), so the voltage moves by
    // -2.5 x (10 - 5) - 0.01 x 10 x 0 = -12.5.
    {
        const CorrectionSet set =
            CorrectionSetOf(ArrayOf(0, {{{"PV-A", "10", "2"}}, "", "", "0", "0", "0.5", "0.002"}));
        EXPECT_DOUBLE_EQ(set.groups[0].rs, 2.5);
        EXPECT_DOUBLE_EQ(set.groups[0].k, 0.01);
        const MeasRecord stc = StcCorrected(Measured({{8, "25"}, {12, "500"}, {17, "5"}}, "400"), set);
        EXPECT_EQ(PointTexts(stc, 0), QStringList({"387.5", "10", "3875"}));
        EXPECT_EQ(Values(stc), QStringList({"3875", "7.5", "10", "51.67"}));
    }
}

// Curves of a group of S modules in series and P strings in parallel, made
// from one curve at 1000 W/m2 and 25 deg C by the inverse of the curve
// translation with the group's own coefficients (alpha x P, beta x S,
// Rs x S / P, K x S / P). Correcting them gives the curve back; taking Rs
// and K scaled by S alone, as for one string, misses Pm by several percent.
TEST(Corrections, GroupsOfParallelStringsComeBackToTheirStcCurve)
{
    const double s = 12, p = 2;
    const double alpha = 0.0045, beta = -0.12, rs = 0.5, k = 0.0012;
    const double a = alpha * p, b = beta * s, r = rs * s / p, kk = k * s / p;
    for (double e : {400.0, 500.0, 600.0}) {
        const double t = 45, dt = 25 - t;
        // An STC curve: Isc 17.8 A, Voc 480 V.
        double stcPm = 0;
        std::vector<std::pair<double, double>> stc;
        for (int i = 0; i < MeasRecord::CurvePoints; ++i) {
            const double v = 480.0 * i / 119;
            const double amps = 17.8 * (1 - std::pow(v / 480, 14));
            stc.emplace_back(v, amps);
            stcPm = std::max(stcPm, v * amps);
        }
        const double isc2 = 17.8;
        const double isc1 = (isc2 - a * dt) * e / 1000;
        MeasRecord m;
        m.F[0] = "0001-01-01";
        m.F[8] = NumText::Str(t);
        m.F[12] = NumText::Str(e);
        m.F[17] = NumText::Str(isc1);
        m.F[16] = "470";
        for (int i = 0; i < MeasRecord::CurvePoints; ++i) {
            const auto [v2, i2] = stc[std::size_t(i)];
            const double i1 = i2 - isc1 * (1000 / e - 1) - a * dt;
            const double v1 = v2 - b * dt + r * (i2 - i1) + kk * i2 * dt;
            m.IvPoints[std::size_t(i)][MeasRecord::Volt] = NumText::Str(v1);
            m.IvPoints[std::size_t(i)][MeasRecord::Amp] = NumText::Str(i1);
        }
        auto pmOf = [&](const char* seriesResistance, const char* curveFactor, const char* parallel) {
            ArrayConfigurationType array;
            SetGroup(array, 0,
                     {{{"PV-A", "12", parallel}}, "", "", "0.0045", "-0.12", seriesResistance, curveFactor});
            return NumText::Val(StcCorrected(m, CorrectionSetOf(array)).F[15]);
        };
        EXPECT_NEAR(pmOf("0.5", "0.0012", "2"), stcPm, 1.0) << e;
        // Rs x S and K x S: what the group would get as one string of 12.
        const double oneString = pmOf("1", "0.0024", "2");
        EXPECT_GT(std::fabs(oneString - stcPm) / stcPm, 0.04) << e;
    }
}

TEST(Corrections, PmToTwentyFiveDegreesWithTheRatedPmAndCoefficient)
{
    // Pmax' 200, rated Pm 900, -0.45 %/deg C, 45 deg C: 200 + 81; Voc and
    // every voltage x (1 + 0.0855).
    const CorrectionSet set = CorrectionSetOf(ArrayOf(0, {{{"PV-A", "10", "1"}}, "900", "-0.45"}));
    const MeasRecord pm = PmCorrected(Measured({{12, "1000"}, {16, "600"}, {17, "5"}}, "40"), set);
    EXPECT_EQ(Values(pm), QStringList({"281.00", "651.3", "5", "0.09"}));
    // The powers keep the voltages before the temperature term.
    EXPECT_EQ(PointTexts(pm, 3), QStringList({"43.42", "5", "200"}));

    // No coefficient: no temperature terms and no flag.
    const CorrectionSet none = CorrectionSetOf(ArrayOf(0, {{{"PV-A", "10", "1"}}, "900", ""}));
    EXPECT_EQ(Values(PmCorrected(Measured({{12, "1000"}, {16, "600"}, {17, "5"}}, "40"), none)),
              QStringList({"200.00", "600", "5", "0.07"}));
    CorrectionFlags flags;
    RaiseCorrectionFlags(flags, Measured(), none);
    EXPECT_EQ(flags, CorrectionFlags{});
}

TEST(Corrections, MeasurementsWithoutAValidGroupGetNoGroupData)
{
    // Group 0 raises every flag and carries coefficients that would move
    // the values; ids without a valid group use none of it.
    const CorrectionSet set = CorrectionSetOf(
        ArrayOf(0, {{{"PV-A", "0", "1"}, {"PV-B", "1", "1"}}, "900", "-0.45", "1", "1", "1", ""}));
    for (const char* id : {"0001-00-01", "0001-11-01", "0001----01", "0001-.1-01", "", "0001-"}) {
        const MeasRecord m = Measured({{0, id}});
        EXPECT_EQ(MeasGroupIndex(m), -1) << id;
        EXPECT_EQ(Values(PmCorrected(m, set)), QStringList({"70.00", "20", "10", "0.35"})) << id;
        const MeasRecord stc = StcCorrected(m, set);
        EXPECT_EQ(PointTexts(stc, 0), QStringList({"10", "7", "70"})) << id;
        EXPECT_EQ(Values(stc), QStringList({"70", "20", "10", "0.35"})) << id;
        CorrectionFlags flags;
        RaiseCorrectionFlags(flags, m, set);
        EXPECT_EQ(flags, CorrectionFlags{}) << id;
    }
    // A cell temperature that is no number does not matter without a group.
    EXPECT_EQ(Values(PmCorrected(Measured({{0, "0001-00-01"}, {8, ""}}), set))[0], "70.00");
    EXPECT_EQ(Values(StcCorrected(Measured({{0, "0001-00-01"}, {8, "warm"}}), set))[0], "70");
    EXPECT_EQ(MeasGroupIndex(Measured({{0, "0001-10-01"}})), 9);
    EXPECT_EQ(MeasGroupIndex(Measured({{0, "0001- 3-01"}})), 2);
}

TEST(Corrections, GroupCompositionAndTheFlagsItRaises)
{
    struct Case {
        GroupSetup group;
        bool coefMissing, noModule, mixed;
        double alpha, beta;
    } cases[] = {
        // Rows A, A, (empty), B: mixed models.
        {{{{"A", "10", "2"}, {"A", "10", "2"}, {"", "", ""}, {"B", "10", "2"}}, "", "", "1", "1"},
         false,
         false,
         true,
         2,
         10},
        {{{{"A", "10", "2"}, {"A", "8", "3"}}, "", "", "1", "1"}, false, false, false, 2, 10},
        // No row with a model; series counts below 1 after rounding.
        {{{{"", "10", "2"}}, "", "", "1", "1"}, false, true, false, 1, 0},
        {{{{"A", "0", "2"}}, "", "", "1", "1"}, false, true, false, 2, 0},
        {{{{"A", "0.5", "2"}}, "", "", "1", "1"}, false, true, false, 2, 0},
        {{{{"A", "-3", "2"}}, "", "", "1", "1"}, false, true, false, 2, -3},
        // Parallel counts: empty, 0 and negative count as 1; 1.5 rounds to 2.
        {{{{"A", "1.5", ""}}, "", "", "1", "1"}, false, false, false, 1, 2},
        {{{{"A", "4", "0"}}, "", "", "1", "1"}, false, false, false, 1, 4},
        {{{{"A", "4", "-2"}}, "", "", "1", "1"}, false, false, false, 1, 4},
        {{{{"A", "4", "2.5"}}, "", "", "1", "1"}, false, false, false, 2, 4},
        // An empty coefficient counts 0 and raises its flag.
        {{{{"A", "4", "1"}}, "", "", "1", "1", "0", ""}, true, false, false, 1, 4},
        {{{{"A", "4", "1"}}, "", "", "", "1"}, true, false, false, 0, 4},
    };
    for (const Case& c : cases) {
        const CorrectionSet set = CorrectionSetOf(ArrayOf(3, c.group));
        const GroupCorrection& g = set.groups[3];
        EXPECT_EQ(g.coefMissing, c.coefMissing) << &c - cases;
        EXPECT_EQ(g.noModule, c.noModule) << &c - cases;
        EXPECT_EQ(g.mixedModules, c.mixed) << &c - cases;
        EXPECT_EQ(g.stcCorrectable, !c.noModule) << &c - cases;
        EXPECT_DOUBLE_EQ(g.alpha, c.alpha) << &c - cases;
        EXPECT_DOUBLE_EQ(g.beta, c.beta) << &c - cases;
        CorrectionFlags flags;
        RaiseCorrectionFlags(flags, Measured({{0, "0001-04-01"}}), set);
        EXPECT_EQ(flags, (CorrectionFlags{c.coefMissing, c.noModule, c.mixed})) << &c - cases;
    }

    // A group without a usable first row is not corrected in the STC view;
    // its Pm view is.
    const CorrectionSet noModule = CorrectionSetOf(ArrayOf(0, {{{"A", "0", "1"}}}));
    const MeasRecord stc = StcCorrected(Measured(), noModule);
    EXPECT_EQ(Values(stc), NoValues);
    EXPECT_EQ(PointTexts(stc, 0), QStringList({"", "", ""}));
    EXPECT_EQ(Values(PmCorrected(Measured(), noModule))[0], "70.00");
    // A missing K still gives an STC view, with K' = 0.
    const CorrectionSet noK = CorrectionSetOf(ArrayOf(0, {{{"A", "1", "2"}}, "", "", "0.004", "0", "0", ""}));
    EXPECT_EQ(PointTexts(StcCorrected(Measured(), noK), 0), QStringList({"10", "6.84", "68.4"}));
}

// What cannot be corrected shows "--" in Pm, Voc, Isc and fill factor and
// has no curve; the rest of the record stays.
TEST(Corrections, MeasurementsThatCannotBeCorrected)
{
    const CorrectionSet set = CorrectionSetOf(ArrayOf(0, {{{"PV-A", "1", "1"}}, "900", "-0.45", "0.004"}));
    struct Case {
        const char* what;
        MeasRecord m;
    } cases[] = {
        {"no irradiance", Measured({{12, ""}})},
        {"zero irradiance", Measured({{12, "0"}})},
        {"negative irradiance", Measured({{12, "-5"}})},
        {"irradiance that is no number", Measured({{12, "--"}})},
        {"empty cell temperature of a valid group", Measured({{8, ""}})},
        {"cell temperature that is no number", Measured({{8, "45 C"}})},
    };
    for (const Case& c : cases) {
        for (const MeasRecord& r : {PmCorrected(c.m, set), StcCorrected(c.m, set)}) {
            EXPECT_EQ(Values(r), NoValues) << c.what;
            EXPECT_EQ(PointTexts(r, 0), QStringList({"", "", ""})) << c.what;
            EXPECT_EQ(PointTexts(r, 119), QStringList({"", "", ""})) << c.what;
            EXPECT_EQ(r.F[0], c.m.F[0]) << c.what;
            EXPECT_EQ(r.F[12], c.m.F[12]) << c.what;
        }
    }
    // A cell temperature with blanks around it is a number.
    EXPECT_EQ(Values(PmCorrected(Measured({{8, " 45 "}}), set))[0], "151.00");
}

TEST(Corrections, EdgesOfTheResults)
{
    const CorrectionSet none;
    // All powers negative: Pm 0.
    const MeasRecord negative = Measured({{0, "0001-00-01"}}, "-1");
    EXPECT_EQ(PmCorrected(negative, none).F[15], "0.00");
    EXPECT_EQ(StcCorrected(negative, none).F[15], "0");
    // Isc or Voc 0: no fill factor.
    EXPECT_EQ(PmCorrected(Measured({{0, "0001-00-01"}, {17, "0"}}), none).F[43], "--");
    EXPECT_EQ(StcCorrected(Measured({{0, "0001-00-01"}, {16, ""}}), none).F[43], "--");
    // A power beyond the largest double is no number: "--", and so are Pm
    // and the fill factor that would follow from it.
    const MeasRecord huge = Measured({{0, "0001-00-01"}, {12, "1000"}}, "1E308", "50");
    const MeasRecord pm = PmCorrected(huge, none);
    EXPECT_EQ(PointTexts(pm, 0), QStringList({"1E+308", "50", "--"}));
    EXPECT_EQ(pm.F[15], "--");
    EXPECT_EQ(pm.F[43], "--");
    // A tiny irradiance whose inverse overflows cannot be corrected.
    EXPECT_EQ(Values(PmCorrected(Measured({{12, "1E-320"}}), none)), NoValues);
}
