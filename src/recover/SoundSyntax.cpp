#include "recover/SoundSyntax.h"

#include "recover/BitReader.h"
#include "recover/ReferenceMovie.h"

namespace recover {

namespace {

enum Element { SingleChannel = 0, ChannelPair = 1, DataStream = 4, Fill = 6 };

constexpr uint32_t kLowComplexity = 2;

// Scale factor bands of a long and of a short window, by sampling frequency index (ISO 14496-3
// tables 4.129 to 4.147); an index without a table takes the largest.
uint32_t longBands(int rateIndex)
{
    static constexpr uint32_t kBands[] = {41, 41, 47, 49, 49, 51, 47, 47, 43, 43, 43, 40, 40};
    return rateIndex >= 0 && rateIndex < 13 ? kBands[rateIndex] : 51;
}

uint32_t shortBands(int rateIndex)
{
    static constexpr uint32_t kBands[] = {12, 12, 12, 14, 14, 14, 15, 15, 15, 15, 15, 15, 15};
    return rateIndex >= 0 && rateIndex < 13 ? kBands[rateIndex] : 15;
}

bool icsInfoFits(BitReader& bits, const TrackInfo& track)
{
    if (bits.bit() != 0)
        return false; // ics_reserved_bit
    const uint32_t sequence = bits.bits(2);
    bits.skip(1);
    if (sequence == 2) { // eight short windows
        const bool fits = bits.bits(4) <= shortBands(track.aacRateIndex);
        bits.skip(7); // scale_factor_grouping
        return fits;
    }
    if (bits.bits(6) > longBands(track.aacRateIndex))
        return false;
    // Prediction belongs to AAC Main only.
    return track.aacObjectType != int(kLowComplexity) || bits.bit() == 0;
}

} // namespace

bool aacFrameMayStart(const TrackInfo& track, const uint8_t* p, size_t n, bool dataEnd)
{
    BitReader bits(p, n);
    uint32_t id = bits.bits(3);
    for (int guard = 0; guard < 4 && (id == Fill || id == DataStream); ++guard) {
        if (id == Fill) {
            uint32_t count = bits.bits(4);
            if (count == 15)
                count += bits.bits(8) - 1;
            bits.skip(uint64_t(count) * 8);
        } else {
            bits.skip(4);
            const bool align = bits.bit();
            uint32_t count = bits.bits(8);
            if (count == 255)
                count += bits.bits(8);
            if (align)
                bits.alignToByte();
            bits.skip(uint64_t(count) * 8);
        }
        id = bits.bits(3);
    }
    const int config = track.aacChannelConfig;
    const uint32_t tag = bits.bits(4);
    if (config == 1 && (id != SingleChannel || tag != 0))
        return false;
    if (config == 2 && (id != ChannelPair || tag != 0))
        return false;
    if (id != SingleChannel && id != ChannelPair)
        return false;
    bool fits = true;
    if (id == SingleChannel) {
        bits.skip(8); // global_gain
        fits = icsInfoFits(bits, track);
    } else if (bits.bit()) { // common_window
        fits = icsInfoFits(bits, track) && bits.bits(2) != 3; // ms_mask_present
    } else {
        bits.skip(8);
        fits = icsInfoFits(bits, track);
    }
    // Fewer bytes than the fields need: where the data end here, the decoder will say; else
    // the fields ran past what a frame start can hold.
    return bits.overrun() ? dataEnd : fits;
}

bool amrFrameMayStart(bool wideband, uint8_t header)
{
    const int type = header >> 3 & 0x0F;
    const bool known = wideband ? type <= 9 || type == 15 : type <= 8 || type == 15;
    return (header & 0x83) == 0 && known;
}

} // namespace recover
