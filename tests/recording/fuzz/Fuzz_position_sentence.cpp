// The position sentence: parse, every display text, and the speed digits.

#include "recording/PositionSentence.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text
        = recording::sentenceText(reinterpret_cast<const char*>(data), size);
    const recording::TelemetryRecord r = recording::parsePositionSentence(text);
    const QString lines
        = recording::latitudeLine(r.latitude) + recording::longitudeLine(r.longitude);
    if (lines.contains(QLatin1String("60.00\"")))
        std::abort();
    int last = 0;
    for (int unit : {0, 1, 2, 7}) {
        for (int digit : recording::speedDigits(recording::displayedSpeed(r, unit, last))) {
            if (digit < 0 || digit > 9)
                std::abort();
        }
        recording::speedText(r, unit);
    }
    recording::dateTimeText(r);
    return 0;
}
