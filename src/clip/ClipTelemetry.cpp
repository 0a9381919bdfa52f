#include "clip/ClipTelemetry.h"

#include "recording/PVEXUDAT.h"
#include "recording/TelemetryBlock.h"
#include "recording/UdatWriter.h"

#include <memory>
#include <vector>

namespace clip {

namespace {

struct LoadedBlock
{
    std::vector<uint8_t> copy;
    PVEXUDAT reader;
    bool loaded = false;
};

std::unique_ptr<LoadedBlock> loadBlock(const QString& path)
{
    auto block = std::make_unique<LoadedBlock>();
    std::atomic<int> noTelemetry{1};
    // A recording of the wrong kind is only a recording without telemetry here: the handler
    // returns instead of ending the program.
    block->loaded = recording::loadTelemetry(path.toLocal8Bit(), 0, 0, block->copy, block->reader,
                        noTelemetry, [](int) {})
        == 0;
    if (block->loaded)
        block->reader.setRecordCount(block->reader.timeRecordCapacity());
    return block;
}

} // namespace

ClipTelemetry clipTelemetry(const ClipPlan& plan)
{
    ClipTelemetry result;
    std::vector<std::unique_ptr<LoadedBlock>> blocks;
    QByteArray timeType;
    for (const Piece& piece : plan.pieces) {
        blocks.push_back(loadBlock(piece.source.path));
        const PVEXUDAT& reader = blocks.back()->reader;
        if (blocks.back()->loaded && timeType.isEmpty())
            timeType = QByteArray(reader.timeType.data(), 4);
    }
    if (!plan.eventRecords.isEmpty())
        result.events = UdatWriter::box("EVTI", plan.eventRecords);
    if (timeType.isEmpty())
        return result;

    UdatWriter writer(timeType);
    const int seconds = plan.seconds();
    qsizetype piece = 0;
    int64_t pieceStartUs = 0; // where the piece begins in the clip
    for (int second = 0; second < seconds; ++second) {
        // The middle of the second decides which recording it comes from, so a join that the
        // names' times place a fraction off a whole second still picks one record per second.
        const int64_t middleUs = int64_t(second) * 1'000'000 + 500'000;
        while (piece + 1 < plan.pieces.size()
            && middleUs >= pieceStartUs + plan.pieces[piece].toUs - plan.pieces[piece].fromUs) {
            pieceStartUs += plan.pieces[piece].toUs - plan.pieces[piece].fromUs;
            ++piece;
        }
        const int64_t positionUs = plan.pieces[piece].fromUs + middleUs - pieceStartUs;
        const uint32_t index = uint32_t(std::max<int64_t>(0, positionUs / 1'000'000));
        const PVEXUDAT& reader = blocks[size_t(piece)]->reader;
        const bool loaded = blocks[size_t(piece)]->loaded;
        writer.addRecordBytes(loaded ? reader.timeRecord(index) : nullptr,
            loaded ? reader.gpsRecord(index) : nullptr,
            loaded ? reader.sensorRecord(index) : nullptr);
    }
    result.udat = writer.udatBox();
    result.records = writer.recordCount();
    return result;
}

} // namespace clip
