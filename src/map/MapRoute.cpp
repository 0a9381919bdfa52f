#include "map/MapRoute.h"

#include "map/MapScript.h"
#include "recording/PVEXUDAT.h"
#include "recording/PositionSentence.h"
#include "recording/TelemetryBlock.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace mapview {

Route routeFromTelemetry(const PVEXUDAT& udat)
{
    Route route;
    const uint32_t count = udat.recordCount;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* record = udat.gpsRecord(i);
        if (!record)
            break;
        const std::string_view text = recording::sentenceText(
            reinterpret_cast<const char*>(record), PVEXUDAT::kGpsRecordSize);
        if (!recording::isPositionSentence(text))
            continue;
        const recording::TelemetryRecord fix = recording::parsePositionSentence(text);
        if (std::strcmp(fix.statusText, "A") == 0 && isMapPosition(fix.latitude, fix.longitude))
            route.append({fix.latitude, fix.longitude});
    }
    return route;
}

Route routeOfRecording(const QString& path, int scrambledView, uint32_t scrambleKey)
{
    const QByteArray fileName1 = path.toLocal8Bit();
    if (path.isEmpty() || recording::isTelemetryExempt(fileName1))
        return {};
    std::vector<uint8_t> block;
    PVEXUDAT udat;
    std::atomic<int> noTelemetry{1};
    // A recording of the other view mode is the player's to report; the route just stays empty.
    const int code = recording::loadTelemetry(
        fileName1, scrambledView, scrambleKey, block, udat, noTelemetry, [](int) {});
    if (code != 0)
        return {};
    const uint32_t gpsCapacity
        = udat.gpsSize >= 8 ? (udat.gpsSize - 8) / PVEXUDAT::kGpsRecordSize : 0;
    udat.setRecordCount(gpsCapacity);
    return routeFromTelemetry(udat);
}

} // namespace mapview
