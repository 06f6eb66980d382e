#pragma once
// One measurement of the instrument: the header values of one I-V trace and
// its curve points, every value held as text exactly as it was decoded or
// read from a measurement file. Texts are converted to numbers (NumText::Val)
// only where something is computed with them; an empty text means no value.
#include <QString>

#include <array>
#include <vector>

struct MeasRecord {
    static constexpr int FieldCount = 49;   // F0 .. F48
    static constexpr int PointRows = 121;   // rows 0 .. 120 of IvPoints
    static constexpr int CurvePoints = 120; // rows 0 .. 119 hold the curve

    // Columns of IvPoints.
    static constexpr int Volt = 0;
    static constexpr int Amp = 1;
    static constexpr int Watt = 2;

    // Fields the program gives a meaning to (the rest are instrument values
    // that are stored and written back unchanged).
    static constexpr int Number = 0;       // "NNNN-AA-SS": serial, array group, sub-number
    static constexpr int Date = 1;         // "YY/MM/DD"
    static constexpr int Time = 2;         // "HH:NN:SS"
    static constexpr int Position = 3;     // measuring position, typed by the user
    static constexpr int CellTemp = 8;     // cell temperature (deg C)
    static constexpr int CellTemp2 = 9;    // second value of the cell temperature line
    static constexpr int AirTemp = 10;     // outside-air temperature (deg C)
    static constexpr int Irradiance = 12;  // W/m2
    static constexpr int Efficiency = 13;  // %
    static constexpr int Pm = 15;          // maximum power (W)
    static constexpr int Voc = 16;         // open-circuit voltage (V)
    static constexpr int Isc = 17;         // short-circuit current (A)
    static constexpr int Area = 20;        // m2
    static constexpr int Soiling = 25;     // "1" or "2"
    static constexpr int Tilt = 26;        // degrees
    static constexpr int JudgeSwitch = 31; // "2": no judgement
    static constexpr int JudgeValue = 32;
    static constexpr int JudgePairA = 33;
    static constexpr int JudgePairB = 34;
    static constexpr int JudgeResult = 37; // "1", "2", "3"
    static constexpr int Model = 40;       // instrument model code "0".."9", "A".."H"
    static constexpr int Version = 42;     // instrument version, such as "8.3"
    static constexpr int FillFactor = 43;  // "0.00"
    static constexpr int InstrText = 48;   // instrument text

    std::array<QString, FieldCount> F;
    // IvPoints[k][Volt], [Amp], [Watt]: voltage (V), current (A) and power (W)
    // of point k. Power is never stored in a file.
    std::array<std::array<QString, 3>, PointRows> IvPoints;

    bool operator==(const MeasRecord&) const = default;
};

// Re-creates `records` with the entries 0 to `upper`, every one empty (the
// loads dimension their arrays afresh before they fill them).
inline void DimRecords(std::vector<MeasRecord>& records, int upper)
{
    records.clear();
    records.resize(upper < 0 ? 0 : std::size_t(upper) + 1);
}
