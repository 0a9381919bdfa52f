#include "recover/PictureOrder.h"

#include "recover/BitReader.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace recover {

namespace {

// Slice headers and parameter sets put what is needed here within their first bytes.
constexpr size_t kHeaderBytes = 96;
constexpr size_t kParameterSetBytes = 512;

// H.264 profiles whose sequence parameter sets carry the chroma format and scaling lists.
bool highProfile(uint32_t profile)
{
    static constexpr uint32_t kProfiles[]
        = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    return std::find(std::begin(kProfiles), std::end(kProfiles), profile) != std::end(kProfiles);
}

void skipScalingList(BitReader& bits, int size)
{
    int last = 8, next = 8;
    for (int j = 0; j < size && !bits.overrun(); ++j) {
        if (next != 0)
            next = (last + bits.signedGolomb() + 256) % 256;
        last = next == 0 ? last : next;
    }
}

void skipProfileTierLevel(BitReader& bits, uint32_t subLayers)
{
    bits.skip(88 + 8);
    std::vector<bool> profile(subLayers), level(subLayers);
    for (uint32_t i = 0; i < subLayers; ++i) {
        profile[i] = bits.bit();
        level[i] = bits.bit();
    }
    if (subLayers > 0)
        bits.skip(2 * (8 - subLayers));
    for (uint32_t i = 0; i < subLayers; ++i)
        bits.skip((profile[i] ? 88 : 0) + (level[i] ? 8 : 0));
}

bool isIrap(int type)
{
    return type >= 16 && type <= 23;
}

} // namespace

bool PictureOrder::configure(bool hevc, const NalConfig& config)
{
    m_hevc = hevc;
    m_sequences.clear();
    m_pictures.clear();
    m_known = true;
    for (const Bytes nal : config.parameterSets) {
        const int type = hevc ? nal[0] >> 1 & 0x3F : nal[0] & 0x1F;
        const bool sequence = hevc ? type == 33 : type == 7;
        const bool picture = hevc ? type == 34 : type == 8;
        if ((sequence && !readSequence(nal.data(), nal.size()))
            || (picture && !readPicture(nal.data(), nal.size())))
            m_known = false;
    }
    m_known = m_known && !m_sequences.empty() && !m_pictures.empty();
    for (const auto& [id, sequence] : m_sequences)
        m_known = m_known && (sequence.pocType == 0 || sequence.pocType == 2);
    return m_known;
}

std::vector<uint8_t> PictureOrder::payload(const uint8_t* nal, size_t size, size_t limit) const
{
    const size_t header = m_hevc ? 2 : 1;
    return size > header ? unescapeNal(nal + header, size - header, limit) : std::vector<uint8_t>();
}

bool PictureOrder::readSequence(const uint8_t* nal, size_t size)
{
    const std::vector<uint8_t> rbsp = payload(nal, size, kParameterSetBytes);
    BitReader bits(rbsp.data(), rbsp.size());
    Sequence sequence;
    uint32_t id = 0;
    if (m_hevc) {
        bits.skip(4);
        const uint32_t subLayers = bits.bits(3);
        bits.skip(1);
        skipProfileTierLevel(bits, subLayers);
        id = bits.unsignedGolomb();
        if (bits.unsignedGolomb() == 3)
            sequence.separateColourPlane = bits.bit();
        bits.unsignedGolomb();
        bits.unsignedGolomb();
        if (bits.bit()) {
            for (int i = 0; i < 4; ++i)
                bits.unsignedGolomb();
        }
        bits.unsignedGolomb();
        bits.unsignedGolomb();
        sequence.pocLsbBits = int(bits.unsignedGolomb()) + 4;
    } else {
        const uint32_t profile = bits.bits(8);
        bits.skip(16);
        id = bits.unsignedGolomb();
        if (highProfile(profile)) {
            const uint32_t chroma = bits.unsignedGolomb();
            if (chroma == 3)
                sequence.separateColourPlane = bits.bit();
            bits.unsignedGolomb();
            bits.unsignedGolomb();
            bits.skip(1);
            if (bits.bit()) {
                for (int i = 0; i < (chroma != 3 ? 8 : 12); ++i) {
                    if (bits.bit())
                        skipScalingList(bits, i < 6 ? 16 : 64);
                }
            }
        }
        sequence.frameNumBits = int(bits.unsignedGolomb()) + 4;
        sequence.pocType = int(bits.unsignedGolomb());
        if (sequence.pocType == 0) {
            sequence.pocLsbBits = int(bits.unsignedGolomb()) + 4;
        } else if (sequence.pocType == 1) {
            m_sequences[id] = sequence; // read, but its order is not followed
            return !bits.overrun();
        }
        bits.unsignedGolomb();
        bits.skip(1);
        bits.unsignedGolomb();
        bits.unsignedGolomb();
        sequence.frameMbsOnly = bits.bit();
    }
    if (bits.overrun() || id > 31 || sequence.frameNumBits > 16 || sequence.pocLsbBits > 16)
        return false;
    m_sequences[id] = sequence;
    return true;
}

bool PictureOrder::readPicture(const uint8_t* nal, size_t size)
{
    const std::vector<uint8_t> rbsp = payload(nal, size, kHeaderBytes);
    BitReader bits(rbsp.data(), rbsp.size());
    Picture picture;
    const uint32_t id = bits.unsignedGolomb();
    picture.sequence = int(bits.unsignedGolomb());
    if (m_hevc) {
        picture.dependentSlices = bits.bit();
        picture.outputFlagPresent = bits.bit();
        picture.extraSliceHeaderBits = int(bits.bits(3));
    } else {
        bits.skip(1);
        picture.bottomFieldPresent = bits.bit();
    }
    if (bits.overrun() || id > 255)
        return false;
    m_pictures[id] = picture;
    return true;
}

bool PictureOrder::lookUp(
    uint32_t pictureSet, const Picture*& picture, const Sequence*& sequence) const
{
    const auto p = m_pictures.find(pictureSet);
    const auto s = p == m_pictures.end() ? m_sequences.end()
                                         : m_sequences.find(uint32_t(p->second.sequence));
    if (s == m_sequences.end())
        return false;
    picture = &p->second;
    sequence = &s->second;
    return true;
}

bool PictureOrder::count(const uint8_t* nal, size_t size, PictureCount& out)
{
    if (!m_known)
        return false;
    return m_hevc ? countHevc(nal, size, out) : countAvc(nal, size, out);
}

int32_t PictureOrder::withMsb(int32_t lsb, int bits)
{
    const int32_t max = int32_t(1) << bits;
    if (lsb < m_prevLsb && m_prevLsb - lsb >= max / 2)
        return m_prevMsb + max;
    if (lsb > m_prevLsb && lsb - m_prevLsb > max / 2)
        return m_prevMsb - max;
    return m_prevMsb;
}

bool PictureOrder::countAvc(const uint8_t* nal, size_t size, PictureCount& out)
{
    if (size < 2)
        return false;
    const bool reference = nal[0] & 0x60;
    const bool idr = (nal[0] & 0x1F) == 5;
    const std::vector<uint8_t> rbsp = payload(nal, size, kHeaderBytes);
    BitReader bits(rbsp.data(), rbsp.size());
    bits.unsignedGolomb();
    bits.unsignedGolomb();
    const Picture* picture = nullptr;
    const Sequence* sequence = nullptr;
    if (!lookUp(bits.unsignedGolomb(), picture, sequence))
        return false;
    const Sequence& s = *sequence;
    if (s.separateColourPlane)
        bits.skip(2);
    bits.skip(uint64_t(s.frameNumBits));
    bool field = false;
    if (!s.frameMbsOnly && (field = bits.bit()))
        bits.skip(1);
    if (idr)
        bits.unsignedGolomb();
    if (idr)
        m_prevMsb = m_prevLsb = 0;
    if (s.pocType == 2) {
        // Display order is decoding order: a running count serves.
        out.count = idr ? 0 : m_prevLsb + 2;
        m_prevLsb = out.count;
    } else {
        const int32_t lsb = int32_t(bits.bits(s.pocLsbBits));
        const int32_t bottom = picture->bottomFieldPresent && !field ? bits.signedGolomb() : 0;
        const int32_t msb = withMsb(lsb, s.pocLsbBits);
        out.count = std::min(msb + lsb, msb + lsb + bottom);
        if (reference) {
            m_prevMsb = msb;
            m_prevLsb = lsb;
        }
    }
    out.reset = idr;
    return !bits.overrun();
}

bool PictureOrder::countHevc(const uint8_t* nal, size_t size, PictureCount& out)
{
    if (size < 3)
        return false;
    const int type = nal[0] >> 1 & 0x3F;
    const int temporalId = (nal[1] & 7) - 1;
    const std::vector<uint8_t> rbsp = payload(nal, size, kHeaderBytes);
    BitReader bits(rbsp.data(), rbsp.size());
    if (!bits.bit())
        return false; // not the first slice of its picture
    if (isIrap(type))
        bits.skip(1);
    const Picture* picture = nullptr;
    const Sequence* sequence = nullptr;
    if (!lookUp(bits.unsignedGolomb(), picture, sequence))
        return false;
    const Sequence& s = *sequence;
    bits.skip(uint64_t(picture->extraSliceHeaderBits));
    bits.unsignedGolomb();
    if (picture->outputFlagPresent)
        bits.skip(1);
    if (s.separateColourPlane)
        bits.skip(2);
    const bool idr = type == 19 || type == 20;
    const int32_t lsb = idr ? 0 : int32_t(bits.bits(s.pocLsbBits));
    // An IDR or BLA picture, or the stream's first random access picture, starts the count anew.
    const bool restart = isIrap(type) && (type <= 20 || m_first);
    const int32_t msb = restart ? 0 : withMsb(lsb, s.pocLsbBits);
    out.count = msb + lsb;
    out.reset = restart;
    m_first = false;
    const bool subLayerNonReference = type <= 14 && type % 2 == 0;
    const bool leading = type >= 6 && type <= 9;
    if (temporalId == 0 && !subLayerNonReference && !leading) {
        m_prevMsb = msb;
        m_prevLsb = lsb;
    }
    return !bits.overrun();
}

bool displayPositions(const std::vector<PictureCount>& counts, std::vector<int64_t>& positions)
{
    const size_t n = counts.size();
    std::vector<size_t> starts;
    for (size_t i = 0; i < n; ++i) {
        if (i == 0 || counts[i].reset)
            starts.push_back(i);
    }
    starts.push_back(n);
    // Encoders count in steps of one or two per frame: the common divisor of the distances.
    int64_t step = 0;
    for (size_t s = 0; s + 1 < starts.size(); ++s) {
        int64_t base = INT64_MAX;
        for (size_t i = starts[s]; i < starts[s + 1]; ++i)
            base = std::min<int64_t>(base, counts[i].count);
        for (size_t i = starts[s]; i < starts[s + 1]; ++i)
            step = std::gcd(step, int64_t(counts[i].count) - base);
    }
    step = std::max<int64_t>(step, 1);
    positions.assign(n, 0);
    for (size_t s = 0; s + 1 < starts.size(); ++s) {
        const size_t first = starts[s], last = starts[s + 1];
        int64_t base = INT64_MAX;
        for (size_t i = first; i < last; ++i)
            base = std::min<int64_t>(base, counts[i].count);
        std::set<int64_t> taken;
        for (size_t i = first; i < last; ++i) {
            positions[i] = int64_t(first) + (counts[i].count - base) / step;
            taken.insert(positions[i]);
        }
        // Pictures cut off at the end of the data leave gaps, but never more than an encoder
        // holds back; a wider spread is a count misread, and then the counts' ranks serve.
        const bool plausible = taken.size() == last - first && *taken.rbegin() < int64_t(last) + 32
            && (last == n || *taken.rbegin() < int64_t(last));
        if (plausible)
            continue;
        std::vector<size_t> order(last - first);
        std::iota(order.begin(), order.end(), first);
        std::stable_sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return counts[a].count < counts[b].count; });
        for (size_t r = 0; r < order.size(); ++r) {
            if (r > 0 && counts[order[r]].count == counts[order[r - 1]].count)
                return false;
            positions[order[r]] = int64_t(first + r);
        }
    }
    return true;
}

} // namespace recover
