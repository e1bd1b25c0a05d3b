// Fuzzes the hand-off split of the command line: never a crash, and a line of ten or more
// fields gives back exactly its first ten fields.
#include "SessionState.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto state = trellum::splitHandOff(line);
    const QStringList fields = line.split(QLatin1Char(','));
    if (state.has_value() != (fields.size() >= 10))
        std::abort();
    if (state) {
        for (int i = 0; i < trellum::SessionState::kFieldCount; ++i)
            if (state->field(i) != fields[i])
                std::abort();
    }
    return 0;
}
