#include "recover/VideoSyntax.h"

#include "recover/MediaReader.h"

#include <algorithm>
#include <array>

namespace recover {

namespace {

constexpr uint8_t kStartCode[] = {0, 0, 1};

// What a NAL unit header says, for both codecs.
struct NalHeader
{
    bool plausible = false; // a type an encoder writes into a sample, forbidden bit clear
    bool slice = false;
    bool firstSlice = false; // begins a picture
    bool startsUnit = false; // a non-slice unit that can only open an access unit
    bool key = false;
    bool broken = false; // a contradiction no encoder writes (an IDR slice of no reference)
};

// `p` points at the header; `next` is the byte after it (the slice header's first bits).
NalHeader avcHeader(const uint8_t* p)
{
    NalHeader h;
    const int type = p[0] & 0x1F;
    // Slices, SEI, parameter sets, delimiters, end of sequence and stream, filler; the rest
    // are reserved or belong to extensions.
    h.plausible = !(p[0] & 0x80) && type >= 1 && type <= 12;
    h.slice = type >= 1 && type <= 5;
    h.firstSlice = h.slice && (p[1] & 0x80); // first_mb_in_slice is 0
    h.startsUnit = type >= 6 && type <= 9;
    h.key = type == 5;
    h.broken = type == 5 && (p[0] & 0x60) == 0;
    return h;
}

NalHeader hevcHeader(const uint8_t* p)
{
    NalHeader h;
    const int type = p[0] >> 1 & 0x3F;
    const int layer = (p[0] & 1) << 5 | p[1] >> 3;
    const bool vcl = type <= 9 || (type >= 16 && type <= 21);
    h.plausible
        = !(p[0] & 0x80) && layer == 0 && (p[1] & 7) != 0 && (vcl || (type >= 32 && type <= 40));
    h.slice = vcl;
    h.firstSlice = vcl && (p[2] & 0x80); // first_slice_segment_in_pic_flag
    h.startsUnit = (type >= 32 && type <= 35) || type == 39;
    h.key = type >= 16 && type <= 21;
    return h;
}

// An MPEG-4 Visual sample starts with a sequence, object or layer header, a group of
// pictures, user data or the picture itself.
bool sampleStartCode(uint8_t code)
{
    return code <= 0x2F || code == 0xB0 || code == 0xB2 || code == 0xB3 || code == 0xB5
        || code == 0xB6;
}

} // namespace

VideoSyntax::VideoSyntax(const TrackInfo& track, MediaReader& reader, uint32_t maxSampleSize)
    : m_codec(track.codec)
    , m_lengthSize(track.nalLengthSize)
    , m_reader(reader)
    , m_maxSize(maxSampleSize)
{ }

bool VideoSyntax::parse(uint64_t position, uint64_t limit, VideoSample& sample)
{
    limit = std::min({limit, m_reader.end(), position + m_maxSize});
    switch (m_codec) {
    case Codec::H264:
    case Codec::Hevc:
        return parseNal(position, limit, sample);
    case Codec::Mpeg4Visual:
        return parseMpeg4(position, limit, sample);
    case Codec::Mjpeg:
        return parseJpeg(position, limit, sample);
    default:
        return false;
    }
}

bool VideoSyntax::plausibleStart(const uint8_t* p) const
{
    switch (m_codec) {
    case Codec::H264:
    case Codec::Hevc: {
        uint64_t length = 0;
        for (int i = 0; i < m_lengthSize; ++i)
            length = length << 8 | p[i];
        const NalHeader h
            = m_codec == Codec::H264 ? avcHeader(p + m_lengthSize) : hevcHeader(p + m_lengthSize);
        return length >= minimumNal() && length <= m_maxSize && h.plausible && !h.broken
            && (h.firstSlice || h.startsUnit);
    }
    case Codec::Mpeg4Visual:
        return p[0] == 0 && p[1] == 0 && p[2] == 1 && sampleStartCode(p[3]);
    case Codec::Mjpeg:
        return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
    default:
        return false;
    }
}

bool VideoSyntax::startsSample(uint64_t position)
{
    const size_t needed = size_t(m_lengthSize) + 3;
    if (position + needed > m_reader.end())
        return true;
    const uint8_t* p = m_reader.at(position, needed);
    return p && plausibleStart(p);
}

uint64_t VideoSyntax::nextSample(uint64_t from, uint64_t limit, VideoSample& sample)
{
    const size_t needed = size_t(m_lengthSize) + 3;
    limit = std::min(limit, m_reader.end());
    for (uint64_t at = from; at + needed <= limit;) {
        const size_t piece = size_t(std::min<uint64_t>(64 << 10, limit - at));
        const uint8_t* bytes = m_reader.at(at, piece);
        if (!bytes)
            return limit;
        for (size_t i = 0; i + needed <= piece; ++i) {
            if (!plausibleStart(bytes + i))
                continue;
            if (parse(at + i, m_reader.end(), sample))
                return at + i;
            bytes = m_reader.at(at, piece); // parsing may have moved the window
            if (!bytes)
                return limit;
        }
        at += piece - needed + 1;
    }
    return limit;
}

uint64_t VideoSyntax::nextStartCode(uint64_t from, uint64_t limit)
{
    return m_reader.find(from, limit, kStartCode, 3);
}

// One access unit: NAL units up to the one that starts the next picture. A unit that does not
// look like one (a length past the data or the size bound, a forbidden bit, a reserved type)
// ends the sample; what follows is sound or the end of the walk.
bool VideoSyntax::parseNal(uint64_t position, uint64_t limit, VideoSample& sample)
{
    const size_t lengthSize = size_t(m_lengthSize);
    bool sawSlice = false;
    sample.key = false;
    sample.delimited = true;
    for (uint64_t at = position;;) {
        const uint8_t* head
            = at + lengthSize + 3 <= limit ? m_reader.at(at, lengthSize + 3) : nullptr;
        if (!head)
            break;
        uint64_t length = 0;
        for (size_t i = 0; i < lengthSize; ++i)
            length = length << 8 | head[i];
        const NalHeader h
            = m_codec == Codec::H264 ? avcHeader(head + lengthSize) : hevcHeader(head + lengthSize);
        if (length < minimumNal() || !h.plausible || h.broken)
            break;
        if (sawSlice && (h.startsUnit || h.firstSlice))
            break;
        if (length > limit - at - lengthSize) {
            // A unit of this picture that runs past the end of the data: the picture is cut.
            if (sawSlice && length <= m_maxSize && at + lengthSize + length > m_reader.end())
                return false;
            break;
        }
        if (!sawSlice && h.slice && !h.firstSlice)
            return false;
        if (h.firstSlice && !sawSlice) {
            sample.firstSlice = at + lengthSize;
            sample.firstSliceSize = uint32_t(length);
        }
        sawSlice |= h.slice;
        sample.key |= h.key;
        at += lengthSize + length;
        sample.end = at;
    }
    return sawSlice;
}

bool VideoSyntax::parseMpeg4(uint64_t position, uint64_t limit, VideoSample& sample)
{
    const uint8_t* head = m_reader.at(position, 5);
    if (!head || position + 5 > limit || head[0] || head[1] || head[2] != 1
        || !sampleStartCode(head[3]))
        return false;
    uint64_t code = position;
    while (head[3] != 0xB6) {
        code = m_reader.find(code + 4, limit, kStartCode, 3);
        head = code + 5 <= limit ? m_reader.at(code, 5) : nullptr;
        if (!head || !sampleStartCode(head[3]))
            return false;
    }
    const int codingType = head[4] >> 6;
    if (codingType == 3)
        return false; // sprite pictures: not written by a camera's encoder
    sample.key = codingType == 0;
    sample.end = m_reader.find(code + 4, limit, kStartCode, 3);
    sample.delimited = false;
    return true;
}

// Marker segments by their lengths; entropy-coded data up to the next marker that is neither
// a stuffed 0xFF nor a restart marker; the sample ends after the end-of-image marker.
bool VideoSyntax::parseJpeg(uint64_t position, uint64_t limit, VideoSample& sample)
{
    const uint8_t* head = m_reader.at(position, 3);
    if (!head || position + 3 > limit || head[0] != 0xFF || head[1] != 0xD8 || head[2] != 0xFF)
        return false;
    sample.key = true;
    sample.delimited = true;
    constexpr uint8_t ff[] = {0xFF};
    for (uint64_t at = position + 2; at + 2 <= limit;) {
        const uint8_t* marker = m_reader.at(at, 4 <= limit - at ? 4 : 2);
        if (!marker || marker[0] != 0xFF)
            return false;
        const uint8_t type = marker[1];
        if (type == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (type == 0xD9) {
            sample.end = at + 2;
            return true;
        }
        if (type == 0x01 || (type >= 0xD0 && type <= 0xD7)) {
            at += 2;
            continue;
        }
        if (type == 0x00 || type == 0xD8 || limit - at < 4)
            return false;
        const uint32_t length = uint32_t(marker[2]) << 8 | marker[3];
        if (length < 2)
            return false;
        at += 2 + length;
        if (type != 0xDA)
            continue;
        for (;;) {
            at = m_reader.find(at, limit, ff, 1);
            const uint8_t* next = at + 2 <= limit ? m_reader.at(at, 2) : nullptr;
            if (!next)
                return false;
            if (next[1] != 0x00 && !(next[1] >= 0xD0 && next[1] <= 0xD7))
                break;
            at += 2;
        }
    }
    return false;
}

Codec sniffVideoCodec(MediaReader& reader, uint64_t start, uint64_t end)
{
    end = std::min(end, start + (256u << 10));
    const size_t length = size_t(end > start ? end - start : 0);
    const uint8_t* bytes = length >= 8 ? reader.at(start, length) : nullptr;
    if (!bytes)
        return Codec::Unknown;
    std::array<int, 4> hits{}; // H.264, HEVC, MPEG-4, JPEG
    for (size_t i = 0; i + 8 <= length; ++i) {
        const uint8_t* p = bytes + i;
        if (p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF && p[3] >= 0xC0 && p[3] != 0xFF)
            ++hits[3];
        if (p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0xB6 && (p[4] >> 6) != 3)
            ++hits[2];
        const uint32_t nal
            = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (nal < 8 || nal > length - i - 4 || nal >= (1u << 20))
            continue;
        const int avcType = p[4] & 0x1F;
        if (!(p[4] & 0x80) && (avcType == 1 || avcType == 5) && (p[4] & 0x60) && (p[5] & 0x80))
            ++hits[0];
        const int hevcType = p[4] >> 1 & 0x3F;
        if (!(p[4] & 0x81) && (p[5] >> 3) == 0 && (p[5] & 7) != 0 && (p[6] & 0x80)
            && (hevcType <= 1 || (hevcType >= 19 && hevcType <= 21)))
            ++hits[1];
    }
    const auto best = std::max_element(hits.begin(), hits.end());
    if (*best < 2)
        return Codec::Unknown;
    const Codec codecs[] = {Codec::H264, Codec::Hevc, Codec::Mpeg4Visual, Codec::Mjpeg};
    return codecs[best - hits.begin()];
}

} // namespace recover
