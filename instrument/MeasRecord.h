#pragma once
// One measurement of the instrument: the header values of one I-V trace and
// its curve points, every value held as text exactly as it was decoded or
// read from a measurement file. Texts are converted to numbers (NumText::Val)
// only where something is computed with them; an empty text means no value.
// (Curve points read from a file or computed keep their bytes or numbers
// until their texts are first read, which gives the same texts; see
// IvPointTable.)
#include <QByteArray>
#include <QString>

#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// The 121 curve points of a measurement, each a row of three texts (volt,
// amp, watt), used like an array of rows: points[k][MeasRecord::Amp].
//
// Copies share their texts until one of them is changed, and a curve read
// from a file or computed (a corrected view) may hold its bytes or numbers
// and write their texts only when they are first read: a history load reads
// up to 800 measurements and computes two corrected curves of each, which
// are mostly never looked at point by point.
// Reading through a const object is safe from several threads at once;
// a reference from the non-const operator[] is good until the object is
// copied or assigned.
class IvPointTable {
public:
    using Row = std::array<QString, 3>;
    using value_type = Row;
    using size_type = std::size_t;
    using iterator = Row*;
    using const_iterator = const Row*;

    static constexpr std::size_t Rows = 121;
    // Rows a computed curve holds as numbers (the last row is always text).
    static constexpr std::size_t ComputedRows = 120;
    using Numbers = std::array<std::array<double, 3>, ComputedRows>;

    IvPointTable() = default;
    IvPointTable(const IvPointTable&) = default;
    IvPointTable& operator=(const IvPointTable&) = default;
    // A table moved from is empty.
    IvPointTable(IvPointTable&& other) noexcept
        : block_(std::move(other.block_)), values_(std::exchange(other.values_, nullptr)),
          unrounded_(std::exchange(other.unrounded_, 0))
    {
    }
    IvPointTable& operator=(IvPointTable&& other) noexcept
    {
        block_ = std::move(other.block_);
        values_ = std::exchange(other.values_, nullptr);
        unrounded_ = std::exchange(other.unrounded_, 0);
        return *this;
    }

    // Rows 0 to 119 from computed numbers, row 120 that of `lastRowOf`
    // (without writing its other texts). The text of a number is
    // NumText::Str of it, "--" for one that is not finite. A number is one
    // that Str writes and Val reads back unchanged (as NumText::StrValue
    // gives it, NaN for "--"), except in the columns of `unrounded` (bit c
    // for column c), whose numbers are as computed: their values are cut to
    // 15 digits only when read, as few of them ever are.
    static IvPointTable FromNumbers(const Numbers& numbers, const IvPointTable& lastRowOf,
                                    unsigned unrounded = 0);

    // Texts given as places in a file's bytes (code page 932), decoded when
    // first read; a slice of length 0 is an empty text.
    struct TextSlice {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    using Slices = std::array<std::array<TextSlice, 3>, Rows>;
    static IvPointTable FromBytes(const QByteArray& source, const Slices& slices);

    // Entry [k][column] from a number as FromNumbers takes them.
    void SetComputed(std::size_t k, int column, double number);
    // Column `column` of rows 0 to 119 from numbers as computed (unrounded).
    void SetComputedColumn(int column, const std::array<double, ComputedRows>& numbers);

    Row& operator[](std::size_t k) { return writableRows()[k]; }
    const Row& operator[](std::size_t k) const { return readableRows()[k]; }
    iterator begin() { return writableRows(); }
    iterator end() { return begin() + Rows; }
    const_iterator begin() const { return readableRows(); }
    const_iterator end() const { return begin() + Rows; }
    static constexpr std::size_t size() { return Rows; }

    // NumText::Val of text [k][column], without writing a pending text.
    double value(std::size_t k, int column) const
    {
        if (!values_ || (unrounded_ >> column & 1u) != 0)
            return valueOfText(k, column);
        const double v = (*values_)[k][std::size_t(column)];
        return std::isnan(v) ? 0 : v;
    }

    // Makes every value ready to be read (the values of plain texts worked
    // out, computed numbers cut): readers on several threads that would
    // make them on their first read wait for one another meanwhile.
    void prepareValues() const;

    // What a plot reads of text [k][column], without writing a pending
    // text: whether it is blank (empty or blanks only), whether it is a
    // number as a whole (NumText::IsNumeric) and its value().
    struct Reading {
        bool blank = true;
        bool numeric = false;
        double value = 0;
    };
    Reading reading(std::size_t k, int column) const;

    bool operator==(const IvPointTable& other) const;

private:
    struct Block;
    struct Pending;
    using Values = std::array<std::array<double, 3>, Rows>;
    std::shared_ptr<Block> block_; // none: every text empty
    // The values of every entry when block_ has them from the start (NaN
    // for "--"); none for a block of plain texts.
    const Values* values_ = nullptr;
    unsigned unrounded_ = 0; // that of the block: columns whose values are cut when read

    double valueOfText(std::size_t k, int column) const;

    Block& pendingBlock();
    const Block& readable() const;
    Block& writable();
    const Row* readableRows() const;
    Row* writableRows();
};

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
    IvPointTable IvPoints;

    bool operator==(const MeasRecord&) const = default;
};

// Re-creates `records` with the entries 0 to `upper`, every one empty (the
// loads dimension their arrays afresh before they fill them).
inline void DimRecords(std::vector<MeasRecord>& records, int upper)
{
    records.clear();
    records.resize(upper < 0 ? 0 : std::size_t(upper) + 1);
}
