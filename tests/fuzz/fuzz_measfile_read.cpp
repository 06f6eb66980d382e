// Any file content must read as a measurement file of either variant without
// a crash, an out-of-bounds read or an exception.
#include "instrument/MeasFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (MeasFileVariant v : {MeasFileVariant::ReadOut, MeasFileVariant::History}) {
        MeasFileInfo info;
        MeasRecord r = ReadMeasFileBytes(bytes, v, &info);
        ApplyHistoryLoadRules(r, info);
        if (info.lineCount < 1)
            __builtin_trap();
    }
    return 0;
}
