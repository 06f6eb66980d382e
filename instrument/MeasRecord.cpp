#include "instrument/MeasRecord.h"

#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <cmath>
#include <cstdint>
#include <atomic>
#include <limits>
#include <mutex>

namespace {

const QString NotANumber = QStringLiteral("--");


// Where the text of an entry not yet written comes from.
constexpr std::int32_t TextEntry = -1;   // already in `texts`
constexpr std::int32_t NumberEntry = -2; // the text of its value

struct Source {
    std::uint32_t start = 0;
    std::int32_t length = TextEntry; // >= 0: bytes of `source`
};

bool IsAscii(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

double ValueOfText(const QString& text)
{
    return text.isEmpty() ? 0 : NumText::Val(text);
}

double ValOfBytes(const char* data, qsizetype size)
{
    if (size == 0)
        return 0;
    return IsAscii(data, size) ? NumText::ValAscii(data, size)
                               : NumText::Val(AnsiCodec::decodeKeepingBytes(data, size));
}

} // namespace

// Entries whose texts are written on the first read: slices of a file's
// bytes and computed numbers.
struct IvPointTable::Pending {
    QByteArray source;
    std::array<std::array<Source, 3>, Rows> entries;
};

struct IvPointTable::Block {
    using Texts = std::array<Row, Rows>;
    Block() = default;
    explicit Block(std::unique_ptr<Texts> texts) : texts(std::move(texts)) {}
    // The texts. A block of plain texts has them from the start. A block
    // with pending entries makes them only when it must hold a text that
    // is not pending (then before anyone reads it: `textsAtStart`) or when
    // its texts are first read: most computed or loaded curves are only
    // ever read as numbers, and 363 empty texts are 8.7 kB to make, clear
    // and free per curve.
    std::unique_ptr<Texts> texts;
    bool textsAtStart = false;
    std::unique_ptr<Pending> pending;
    std::once_flag written;
    bool written_ = false; // set once the pending texts are written
    // The value of every entry (NaN for a "--" number). A block with pending
    // entries has them from the start; one of plain texts makes them on the
    // first value(): a measured curve is read by both corrections and by the
    // totals.
    std::unique_ptr<Values> values;
    std::once_flag valued;
    // Set once either once-flag's work is done: the totals read every value
    // of every ticked curve at each tick, and a flag looked at costs far
    // less than a call that finds the work done.
    std::atomic<bool> valuedDone{false};
    std::atomic<bool> cutDone{false};
    // Columns whose numbers are kept as computed (see FromNumbers). They
    // are all cut to 15 digits where they stand when the first of them is
    // read: the totals read a corrected view's voltages again at every
    // tick.
    unsigned unrounded = 0;
    std::once_flag cutting;
    bool cut_ = false; // set once they are cut
    void cut()
    {
        if (unrounded != 0 && !cutDone.load(std::memory_order_acquire))
            std::call_once(cutting, [this] {
                for (std::size_t c = 0; c < 3; ++c)
                    if ((unrounded >> c & 1u) != 0)
                        for (std::size_t k = 0; k < Rows; ++k)
                            if (pending->entries[k][c].length == NumberEntry && std::isfinite((*values)[k][c]))
                                (*values)[k][c] = NumText::StrValue((*values)[k][c]);
                cut_ = true;
                cutDone.store(true, std::memory_order_release);
            });
    }
};

namespace {

// The texts of a block being made or changed by its only holder.
using TextRows = std::array<IvPointTable::Row, IvPointTable::Rows>;
IvPointTable::Row* OwnTexts(std::unique_ptr<TextRows>& texts, bool& atStart)
{
    if (!texts)
        texts = std::make_unique<TextRows>();
    atStart = true;
    return texts->data();
}

bool IsBlankText(const QString& text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// Whether bytes of code page 932 are blank and a number as a whole, as
// their decoded text would be.
void JudgeBytes(const char* data, qsizetype size, bool& blank, bool& numeric)
{
    if (!IsAscii(data, size)) {
        const QString text = AnsiCodec::decodeKeepingBytes(data, size);
        blank = IsBlankText(text);
        numeric = NumText::IsNumeric(text);
        return;
    }
    blank = true;
    for (qsizetype i = 0; i < size && blank; ++i)
        blank = data[i] == ' ' || (data[i] >= '\t' && data[i] <= '\r');
    numeric = !blank && NumText::IsNumericAscii(data, size);
}

} // namespace

IvPointTable IvPointTable::FromNumbers(const Numbers& numbers, const IvPointTable& lastRowOf, unsigned unrounded)
{
    IvPointTable out;
    Block& b = out.pendingBlock();
    b.unrounded = out.unrounded_ = unrounded & 7u;
    // The last row without writing the other pending texts of `lastRowOf`:
    // its own entries are copied as they stand.
    constexpr std::size_t last = ComputedRows;
    if (const Block* from = lastRowOf.block_.get(); from && from->pending) {
        b.pending->source = from->pending->source;
        b.pending->entries[last] = from->pending->entries[last];
        (*b.values)[last] = (*from->values)[last];
        for (std::size_t c = 0; c < 3; ++c)
            if (from->pending->entries[last][c].length == TextEntry && from->textsAtStart &&
                !(*from->texts)[last][c].isEmpty())
                OwnTexts(b.texts, b.textsAtStart)[last][c] = (*from->texts)[last][c];
    } else {
        const Row& row = (*lastRowOf.readable().texts)[last];
        if (row != Row())
            OwnTexts(b.texts, b.textsAtStart)[last] = row;
        for (std::size_t c = 0; c < 3; ++c)
            (*b.values)[last][c] = ValueOfText(row[c]);
    }
    for (std::size_t c = 0; c < 3; ++c)
        for (std::size_t k = 0; k < ComputedRows; ++k) {
            b.pending->entries[k][c].length = NumberEntry;
            (*b.values)[k][c] = numbers[k][c];
        }
    return out;
}

IvPointTable IvPointTable::FromBytes(const QByteArray& source, const Slices& slices)
{
    IvPointTable out;
    Block& b = out.pendingBlock();
    b.pending->source = source;
    for (std::size_t k = 0; k < Rows; ++k)
        for (std::size_t c = 0; c < 3; ++c) {
            const TextSlice& s = slices[k][c];
            if (s.length <= 0 || s.start < 0 || s.start > source.size() - s.length)
                continue; // an empty text
            const char* bytes = source.constData() + s.start;
            (*b.values)[k][c] = ValOfBytes(bytes, s.length);
            if (s.start <= std::numeric_limits<std::uint32_t>::max() &&
                s.length <= std::numeric_limits<std::int32_t>::max())
                b.pending->entries[k][c] = {std::uint32_t(s.start), std::int32_t(s.length)};
            else
                OwnTexts(b.texts, b.textsAtStart)[k][c] = AnsiCodec::decodeKeepingBytes(bytes, s.length);
        }
    return out;
}

void IvPointTable::SetComputed(std::size_t k, int column, double number)
{
    Block& b = pendingBlock();
    const auto c = std::size_t(column);
    b.pending->entries[k][c].length = NumberEntry;
    if (b.texts)
        (*b.texts)[k][c] = QString();
    // A value already cut reads the same when cut again.
    (*b.values)[k][c] = number;
}

void IvPointTable::SetComputedColumn(int column, const std::array<double, ComputedRows>& numbers)
{
    Block& b = pendingBlock();
    const auto c = std::size_t(column);
    for (std::size_t k = 0; k < ComputedRows; ++k) {
        b.pending->entries[k][c].length = NumberEntry;
        if (b.texts)
            (*b.texts)[k][c] = QString();
        (*b.values)[k][c] = numbers[k];
    }
    b.unrounded |= 1u << c;
    unrounded_ = b.unrounded;
}

IvPointTable::Block& IvPointTable::pendingBlock()
{
    // Only a block nobody else holds and nobody has read texts from can take
    // more pending entries; any other is first turned into one.
    if (block_ && block_.use_count() == 1 && block_->pending && !block_->written_ && !block_->cut_)
        return *block_;
    auto own = std::make_shared<Block>();
    own->pending = std::make_unique<Pending>();
    own->values = std::make_unique<Values>();
    if (block_) {
        own->texts = std::make_unique<Block::Texts>(*readable().texts);
        own->textsAtStart = true;
        for (std::size_t k = 0; k < Rows; ++k)
            for (std::size_t c = 0; c < 3; ++c)
                (*own->values)[k][c] = ValueOfText((*own->texts)[k][c]);
    } else {
        for (auto& row : *own->values)
            row.fill(0);
    }
    block_ = std::move(own);
    values_ = block_->values.get();
    unrounded_ = 0;
    return *block_;
}

const IvPointTable::Block& IvPointTable::readable() const
{
    static const Block none(std::make_unique<Block::Texts>());
    if (!block_)
        return none;
    Block& b = *block_;
    if (b.pending)
        std::call_once(b.written, [&b] {
            b.cut();
            if (!b.texts)
                b.texts = std::make_unique<Block::Texts>();
            Block::Texts& texts = *b.texts;
            for (std::size_t k = 0; k < Rows; ++k)
                for (std::size_t c = 0; c < 3; ++c) {
                    const Source& s = b.pending->entries[k][c];
                    if (s.length >= 0)
                        texts[k][c] = AnsiCodec::decodeKeepingBytes(b.pending->source.constData() + s.start,
                                                                    s.length);
                    else if (s.length == NumberEntry)
                        texts[k][c] =
                            std::isfinite((*b.values)[k][c]) ? NumText::Str((*b.values)[k][c]) : NotANumber;
                }
            b.written_ = true;
        });
    return b;
}

IvPointTable::Block& IvPointTable::writable()
{
    // A block that is shared, or that keeps pending entries or values beside
    // its texts, is replaced by one of plain texts before anything is
    // changed.
    if (!block_) {
        block_ = std::make_shared<Block>();
        block_->texts = std::make_unique<Block::Texts>();
    } else if (block_.use_count() > 1 || block_->pending || block_->values) {
        auto own = std::make_shared<Block>();
        own->texts = std::make_unique<Block::Texts>(*readable().texts);
        block_ = std::move(own);
        values_ = nullptr;
        unrounded_ = 0;
    }
    return *block_;
}

const IvPointTable::Row* IvPointTable::readableRows() const
{
    return readable().texts->data();
}

IvPointTable::Row* IvPointTable::writableRows()
{
    return writable().texts->data();
}

double IvPointTable::valueOfText(std::size_t k, int column) const
{
    if (!block_)
        return 0;
    Block& b = *block_;
    const auto c = std::size_t(column);
    if (b.pending) {
        if ((b.unrounded >> c & 1u) != 0)
            b.cut();
        const double v = (*b.values)[k][c];
        return std::isfinite(v) ? v : 0;
    }
    if (!b.valuedDone.load(std::memory_order_acquire))
        std::call_once(b.valued, [&b] {
            b.values = std::make_unique<Values>();
            for (std::size_t r = 0; r < Rows; ++r)
                for (std::size_t i = 0; i < 3; ++i)
                    (*b.values)[r][i] = ValueOfText((*b.texts)[r][i]);
            b.valuedDone.store(true, std::memory_order_release);
        });
    return (*b.values)[k][c];
}

void IvPointTable::prepareValues() const
{
    if (!block_)
        return;
    if (block_->pending)
        block_->cut();
    else
        valueOfText(0, 0);
}

IvPointTable::Reading IvPointTable::reading(std::size_t k, int column) const
{
    Reading r;
    if (!block_)
        return r;
    const Block& b = *block_;
    const auto c = std::size_t(column);
    r.value = value(k, column);
    if (b.pending) {
        // Entries still pending are judged by their bytes or numbers. The
        // texts of a pending block may be written meanwhile by another
        // reader, but never those of its text entries.
        const Source& s = b.pending->entries[k][c];
        if (s.length == NumberEntry) {
            r.blank = false;
            r.numeric = std::isfinite((*b.values)[k][c]);
            return r;
        }
        if (s.length >= 0) {
            JudgeBytes(b.pending->source.constData() + s.start, s.length, r.blank, r.numeric);
            return r;
        }
        if (!b.textsAtStart)
            return r; // an empty text
    }
    const QString& text = (*b.texts)[k][c];
    r.blank = IsBlankText(text);
    r.numeric = NumText::IsNumeric(text);
    return r;
}

bool IvPointTable::operator==(const IvPointTable& other) const
{
    return block_ == other.block_ || *readable().texts == *other.readable().texts;
}
