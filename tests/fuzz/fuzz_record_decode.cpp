// Any read-out text must decode without a crash, an out-of-bounds read or an
// exception other than the table's limit (AppError 9).
#include "instrument/RecordDecode.h"
#include "platform/AppError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 3 * 1184 + 1)
        return 0; // a few records are enough to reach every branch
    // The first byte picks the record size offered, the rest is the text.
    const int recordSize = size > 0 && (data[0] & 1) ? 1120 : 1184;
    const QString text =
        size > 0 ? QString::fromLatin1(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1)
                 : QString();
    static std::vector<MeasRecord> records; // reused: the table is emptied by the decoder
    try {
        const RecordDecodeResult r = InstrumentRecordDecode(text, recordSize, records);
        if (r.count < 0 || r.count > 801 || (r.recordSize != 1120 && r.recordSize != 1184))
            __builtin_trap();
    } catch (const AppError& e) {
        if (e.number != 9)
            __builtin_trap();
    }
    return 0;
}
