#include "recover/DecoderConfig.h"

#include "recover/BitReader.h"

namespace recover {

namespace {

// Reads `count` units of a 16-bit length and the bytes, from `position` on.
bool readUnits(Bytes record, size_t& position, uint32_t count, std::vector<Bytes>& units)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (record.size() - position < 2)
            return false;
        const uint16_t length = read16(record, position);
        position += 2;
        if (length < 2 || record.size() - position < length)
            return false;
        units.push_back(record.subspan(position, length));
        position += length;
    }
    return true;
}

// ISO 14496-1 expandable size: up to four bytes of seven bits each.
bool descriptorLength(Bytes bytes, size_t& position, uint32_t& length)
{
    length = 0;
    for (int i = 0; i < 4; ++i) {
        if (position >= bytes.size())
            return false;
        const uint8_t b = bytes[position++];
        length = length << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return true;
}

} // namespace

QString readAvcConfig(Bytes avcC, NalConfig& config)
{
    if (avcC.size() < 7 || avcC[0] != 1)
        return QStringLiteral("avcC of %1 bytes, version %2")
            .arg(avcC.size())
            .arg(avcC.empty() ? 0 : avcC[0]);
    config.lengthSize = (avcC[4] & 3) + 1;
    if (config.lengthSize == 3)
        return QStringLiteral("avcC NAL length size 3");
    size_t position = 6;
    const uint32_t sequenceSets = avcC[5] & 0x1F;
    if (sequenceSets == 0 || !readUnits(avcC, position, sequenceSets, config.parameterSets))
        return QStringLiteral("avcC shorter than its %1 sequence parameter sets").arg(sequenceSets);
    if (position >= avcC.size())
        return QStringLiteral("avcC ends before its picture parameter sets");
    const uint32_t pictureSets = avcC[position++];
    if (pictureSets == 0 || !readUnits(avcC, position, pictureSets, config.parameterSets))
        return QStringLiteral("avcC shorter than its %1 picture parameter sets").arg(pictureSets);
    return {};
}

QString readHevcConfig(Bytes hvcC, NalConfig& config)
{
    if (hvcC.size() < 23 || hvcC[0] != 1)
        return QStringLiteral("hvcC of %1 bytes, version %2")
            .arg(hvcC.size())
            .arg(hvcC.empty() ? 0 : hvcC[0]);
    config.lengthSize = (hvcC[21] & 3) + 1;
    if (config.lengthSize == 3)
        return QStringLiteral("hvcC NAL length size 3");
    size_t position = 23;
    const uint32_t arrays = hvcC[22];
    bool sequenceSet = false;
    for (uint32_t a = 0; a < arrays; ++a) {
        if (hvcC.size() - position < 3)
            return QStringLiteral("hvcC shorter than its %1 arrays").arg(arrays);
        const int type = hvcC[position] & 0x3F;
        const uint16_t count = read16(hvcC, position + 1);
        position += 3;
        if (!readUnits(hvcC, position, count, config.parameterSets))
            return QStringLiteral("hvcC shorter than its parameter sets");
        sequenceSet |= type == 33 && count > 0;
    }
    if (!sequenceSet)
        return QStringLiteral("hvcC without a sequence parameter set");
    return {};
}

QString readEsds(Bytes esds, EsDescriptor& descriptor)
{
    size_t position = 4; // version and flags
    uint32_t length = 0;
    if (esds.size() <= position || esds[position++] != 0x03
        || !descriptorLength(esds, position, length) || length > esds.size() - position)
        return QStringLiteral("esds without a whole ES descriptor");
    const Bytes es = esds.subspan(position, length);
    if (es.size() < 3)
        return QStringLiteral("esds ES descriptor of %1 bytes").arg(es.size());
    const uint8_t flags = es[2];
    position = 3;
    if (flags & 0x80)
        position += 2;
    if (flags & 0x40 && position < es.size())
        position += 1 + es[position];
    if (flags & 0x20)
        position += 2;
    if (position >= es.size() || es[position++] != 0x04 || !descriptorLength(es, position, length)
        || length > es.size() - position || length < 13)
        return QStringLiteral("esds without a whole decoder configuration");
    const Bytes decoder = es.subspan(position, length);
    descriptor.objectType = decoder[0];
    position = 13;
    if (position < decoder.size() && decoder[position] == 0x05) {
        ++position;
        if (!descriptorLength(decoder, position, length) || length > decoder.size() - position)
            return QStringLiteral("esds decoder specific info runs past its descriptor");
        descriptor.specificInfo = decoder.subspan(position, length);
    }
    return {};
}

namespace {

// ISO 14496-3 4.4.1.1: read to its end, so that one announced but not held is noticed.
void skipProgramConfig(BitReader& bits)
{
    bits.skip(4 + 2 + 4);
    const uint32_t front = bits.bits(4), side = bits.bits(4), back = bits.bits(4);
    const uint32_t lfe = bits.bits(2), data = bits.bits(3), coupling = bits.bits(4);
    if (bits.bit())
        bits.skip(4); // mono mixdown
    if (bits.bit())
        bits.skip(4); // stereo mixdown
    if (bits.bit())
        bits.skip(3); // matrix mixdown
    bits.skip(5 * (front + side + back) + 4 * (lfe + data) + 5 * coupling);
    bits.alignToByte();
    bits.skip(8 * bits.bits(8)); // comment
}

} // namespace

QString readAudioConfig(Bytes specificInfo, AudioConfig& config)
{
    static constexpr int kRates[]
        = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
    BitReader bits(specificInfo.data(), specificInfo.size());
    config.objectType = int(bits.bits(5));
    if (config.objectType == 31)
        config.objectType = 32 + int(bits.bits(6));
    config.sampleRateIndex = int(bits.bits(4));
    if (config.sampleRateIndex == 15)
        config.sampleRate = int(bits.bits(24));
    else if (config.sampleRateIndex < 13)
        config.sampleRate = kRates[config.sampleRateIndex];
    config.channelConfig = int(bits.bits(4));
    // The general audio objects (AAC and its kin) say their channels in a program
    // configuration element when the channel configuration is 0.
    const bool general
        = config.objectType <= 7 || (config.objectType >= 17 && config.objectType <= 23);
    if (config.channelConfig == 0 && general && config.sampleRateIndex != 15) {
        bits.skip(1); // frame length
        if (bits.bit())
            bits.skip(14); // core coder delay
        bits.skip(1); // extension
        skipProgramConfig(bits);
    }
    if (bits.overrun() || config.objectType == 0 || config.sampleRate == 0
        || (config.channelConfig > 7 && config.channelConfig < 11))
        return QStringLiteral("AAC configuration of %1 bytes that does not hold together")
            .arg(specificInfo.size());
    return {};
}

} // namespace recover
