#include "recover/SampleDescription.h"

#include "recover/DecoderConfig.h"
#include "recover/ReferenceMovie.h"

#include <cstring>
#include <string>

namespace recover {

namespace {

// What players accept in one stsd; a camera writes one entry.
constexpr uint32_t kMaxEntries = 1024;
// The fixed fields of a visual and of a sound sample entry, before their child boxes.
constexpr size_t kVisualFields = 78;
constexpr size_t kSoundFields = 28;

bool isPcm(const std::string& type)
{
    for (const char* pcm :
        {"sowt", "twos", "lpcm", "in24", "in32", "fl32", "fl64", "raw ", "ipcm", "fpcm"}) {
        if (type == pcm)
            return true;
    }
    return false;
}

QString readVideoEntry(const std::string& type, Bytes body, TrackInfo& track)
{
    if (body.size() < kVisualFields)
        return QStringLiteral("%1 entry of %2 bytes")
            .arg(QString::fromStdString(type))
            .arg(body.size());
    track.width = read16(body, 24);
    track.height = read16(body, 26);
    std::vector<BoxRef> children;
    // Some writers leave a few padding bytes after the last child box.
    Bytes rest = body.subspan(kVisualFields);
    exactChildBoxes(rest, children);
    const auto child = [&children](const char* name) {
        for (const BoxRef& box : children) {
            if (std::memcmp(box.type, name, 4) == 0)
                return box;
        }
        return BoxRef();
    };
    if (type == "avc1" || type == "avc3" || type == "hvc1" || type == "hev1") {
        const bool hevc = type[0] == 'h';
        const BoxRef config = child(hevc ? "hvcC" : "avcC");
        if (config.whole.empty())
            return QStringLiteral("%1 entry without a whole %2 box")
                .arg(QString::fromStdString(type), hevc ? "hvcC" : "avcC");
        NalConfig nal;
        const QString problem
            = hevc ? readHevcConfig(config.payload, nal) : readAvcConfig(config.payload, nal);
        if (!problem.isEmpty())
            return problem;
        track.codec = hevc ? Codec::Hevc : Codec::H264;
        track.nalLengthSize = nal.lengthSize;
        track.extradata = toByteArray(config.payload);
    } else if (type == "mp4v") {
        const BoxRef esds = child("esds");
        EsDescriptor descriptor;
        const QString problem = esds.whole.empty() ? QStringLiteral("mp4v entry without esds")
                                                   : readEsds(esds.payload, descriptor);
        if (!problem.isEmpty())
            return problem;
        if (descriptor.objectType == 0x20)
            track.codec = Codec::Mpeg4Visual;
        else if (descriptor.objectType == 0x6C)
            track.codec = Codec::Mjpeg;
        track.extradata = toByteArray(descriptor.specificInfo);
    } else if (type == "jpeg" || type == "mjpa") {
        track.codec = Codec::Mjpeg;
    }
    if (track.width == 0 || track.height == 0)
        return QStringLiteral("%1 entry of %2 x %3 pixels")
            .arg(QString::fromStdString(type))
            .arg(track.width)
            .arg(track.height);
    return {};
}

QString readSoundEntry(const std::string& type, Bytes body, TrackInfo& track)
{
    if (body.size() < kSoundFields)
        return QStringLiteral("%1 entry of %2 bytes")
            .arg(QString::fromStdString(type))
            .arg(body.size());
    const uint16_t version = read16(body, 8);
    track.channels = read16(body, 16);
    track.sampleRate = int(read32(body, 24) >> 16);
    const size_t extra = version == 1 ? 16 : version == 2 ? 36 : 0;
    if (version > 2 || body.size() < kSoundFields + extra)
        return QStringLiteral("%1 entry version %2 of %3 bytes")
            .arg(QString::fromStdString(type))
            .arg(version)
            .arg(body.size());
    std::vector<BoxRef> children;
    exactChildBoxes(body.subspan(kSoundFields + extra), children);
    if (type == "mp4a") {
        BoxRef esds;
        for (const BoxRef& box : children) {
            if (std::memcmp(box.type, "esds", 4) == 0)
                esds = box;
            // QuickTime nests it in a wave box.
            if (std::memcmp(box.type, "wave", 4) == 0 && esds.whole.empty())
                esds = childBox(box.payload, "esds");
        }
        EsDescriptor descriptor;
        QString problem = esds.whole.empty() ? QStringLiteral("mp4a entry without esds")
                                             : readEsds(esds.payload, descriptor);
        if (!problem.isEmpty())
            return problem;
        if (descriptor.objectType != 0x40
            && (descriptor.objectType < 0x66 || descriptor.objectType > 0x68))
            return {}; // another sound codec in mp4a: unknown here, said by the caller
        AudioConfig config;
        problem = readAudioConfig(descriptor.specificInfo, config);
        if (!problem.isEmpty())
            return problem;
        track.codec = Codec::Aac;
        track.extradata = toByteArray(descriptor.specificInfo);
        track.aacObjectType = config.objectType;
        track.aacRateIndex = config.sampleRateIndex;
        track.aacChannelConfig = config.channelConfig;
        // Muxers write 2 into the entry's channel count whatever the sound holds; the decoder
        // configuration tells the truth.
        if (config.channelConfig > 0 && config.channelConfig < 8)
            track.channels = config.channelConfig == 7 ? 8 : config.channelConfig;
        if (config.sampleRate > 0)
            track.sampleRate = config.sampleRate;
    } else if (type == "samr") {
        track.codec = Codec::AmrNb;
    } else if (type == "sawb") {
        track.codec = Codec::AmrWb;
    } else if (isPcm(type)) {
        track.codec = Codec::Pcm;
    }
    if (track.channels == 0 || track.sampleRate == 0)
        return QStringLiteral("%1 entry of %2 channels at %3 Hz")
            .arg(QString::fromStdString(type))
            .arg(track.channels)
            .arg(track.sampleRate);
    return {};
}

} // namespace

QString readSampleDescription(Bytes stsd, TrackInfo& track)
{
    if (stsd.size() < 8)
        return QStringLiteral("stsd of %1 bytes").arg(stsd.size());
    const uint32_t count = read32(stsd, 4);
    std::vector<BoxRef> entries;
    if (count == 0 || count > kMaxEntries)
        return QStringLiteral("stsd entry count %1").arg(int32_t(count));
    if (!exactChildBoxes(stsd.subspan(8), entries))
        return QStringLiteral("stsd entry whose size does not fit its box");
    if (entries.size() != count)
        return QStringLiteral("stsd entry count %1 for %2 entries").arg(count).arg(entries.size());
    if (entries.front().payload.size() < 8)
        return QStringLiteral("stsd entry of %1 bytes").arg(entries.front().whole.size());
    const std::string type(entries.front().type, 4);
    if (track.video())
        return readVideoEntry(type, entries.front().payload, track);
    if (track.sound())
        return readSoundEntry(type, entries.front().payload, track);
    return {};
}

QString checkDataInformation(Bytes dinf)
{
    const BoxRef dref = childBox(dinf, "dref");
    if (dref.payload.size() < 8)
        return QStringLiteral("dinf without a whole dref box");
    const uint32_t count = read32(dref.payload, 4);
    std::vector<BoxRef> entries;
    if (!exactChildBoxes(dref.payload.subspan(8), entries) || entries.size() != count || count == 0)
        return QStringLiteral("dref of %1 entries whose sizes do not fit its box")
            .arg(int32_t(count));
    for (const BoxRef& entry : entries) {
        if (entry.payload.size() < 4 || entry.whole.size() != read32(entry.whole, 0))
            return QStringLiteral("dref entry of %1 bytes").arg(entry.whole.size());
    }
    return {};
}

} // namespace recover
