#pragma once

#include "recover/DecoderConfig.h"

#include <cstdint>
#include <map>
#include <vector>

// The display order of H.264 and HEVC pictures, from the picture order count in their slice
// headers and the parameter sets of the reference's decoder configuration. An encoder that
// sends pictures out of display order (B-frames) writes their display times only into the
// index, which a cut recording lacks; the count in every slice header tells them again.
namespace recover {

struct PictureCount
{
    int32_t count = 0; // the picture order count
    bool reset = false; // the count starts again here (an IDR picture): earlier pictures show first
};

class PictureOrder
{
public:
    // False when the parameter sets cannot be read or use an order this code does not follow
    // (H.264's picture order count type 1): pictures are then taken in decoding order.
    bool configure(bool hevc, const NalConfig& config);
    bool known() const { return m_known; }

    // The count of the picture whose first slice is the NAL unit `nal` (header included; the
    // first few dozen bytes are enough). False when the slice header cannot be read.
    bool count(const uint8_t* nal, size_t size, PictureCount& out);

private:
    struct Sequence
    {
        int frameNumBits = 0;
        int pocType = 0;
        int pocLsbBits = 0;
        bool frameMbsOnly = true;
        bool separateColourPlane = false;
    };
    struct Picture
    {
        int sequence = -1;
        bool bottomFieldPresent = false; // H.264
        bool dependentSlices = false; // HEVC
        bool outputFlagPresent = false;
        int extraSliceHeaderBits = 0;
    };
    // A NAL unit's payload after its header, at most `limit` bytes of it, unescaped.
    std::vector<uint8_t> payload(const uint8_t* nal, size_t size, size_t limit) const;
    bool readSequence(const uint8_t* nal, size_t size);
    bool readPicture(const uint8_t* nal, size_t size);
    // The parameter sets a slice names by its picture parameter set's id; false when unknown.
    bool lookUp(uint32_t pictureSet, const Picture*& picture, const Sequence*& sequence) const;
    bool countAvc(const uint8_t* nal, size_t size, PictureCount& out);
    bool countHevc(const uint8_t* nal, size_t size, PictureCount& out);
    int32_t withMsb(int32_t lsb, int bits);

    bool m_hevc = false;
    bool m_known = false;
    std::map<uint32_t, Sequence> m_sequences;
    std::map<uint32_t, Picture> m_pictures;
    bool m_first = true;
    int32_t m_prevMsb = 0, m_prevLsb = 0;
};

// The display position of each picture in decoding order, counted in frames from the first,
// for pictures of one frame duration each: the pictures between two resets show in the order
// of their counts. False when the counts do not make a consistent order (then decoding order
// stands).
bool displayPositions(const std::vector<PictureCount>& counts, std::vector<int64_t>& positions);

} // namespace recover
