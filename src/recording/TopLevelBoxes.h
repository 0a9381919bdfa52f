#pragma once

#include <cstdint>
#include <span>
#include <vector>

class QIODevice;

// The one reader of a recording's top-level boxes (ftyp, mdat, moov, udat, EVTI, free, ...).
// Every part that looks at a recording's box structure (the telemetry block, the check for a
// recording the camera never closed, the movie header's duration, the event index, recovery)
// walks with it, so they agree on where every box lies:
//
//     QFile file(path);
//     file.open(QIODevice::ReadOnly);
//     recording::TopLevelBoxes boxes(file);
//     for (recording::TopBox box; boxes.next(box);)
//         if (box.is("moov")) ...            // box.offset, box.size, box.contentStart(), ...
//     if (boxes.stop() == recording::TopLevelBoxes::Stop::ReadFailed) ...
//
// Only the headers are read (a window of 64 kB at a time over a device), so a walk over a
// recording of any length costs a few reads, never the video.
//
// The rules, ISO/IEC 14496-12 4.2:
//   - size field 1: the 64-bit size follows the type (a 16-byte header), as muxers write the
//     media box beyond 4 GB; size field 0: the box runs to the end of the file.
//   - A box whose size runs past the end of the file is reported as `cut` (the file ends
//     inside it: a card pulled, a copy broken off) and is the last one.
//   - A size smaller than its own header cannot be a box: it is reported as `damaged`, and the
//     walk ends there, as it does where fewer than 8 bytes remain.
//   - A type that is not four printable ASCII characters (the zeros or noise after the last box
//     a card wrote) is no box at all: the walk ends before it. The scrambled first box of an
//     encrypted recording is exempt: its type is not "ftyp" and may be any four bytes.
namespace recording {

struct TopBox
{
    char type[4] = {};
    uint64_t offset = 0; // of the header
    uint64_t size = 0; // header included; for a size field of 0, the rest of the file
    uint32_t headerLength = 8; // 8, or 16 in the 64-bit form
    bool toEnd = false; // the size field was 0
    bool cut = false; // the size runs past the end of the file
    bool damaged = false; // the size is smaller than the header: only the type is to be trusted

    bool is(const char (&wanted)[5]) const;
    uint64_t contentStart() const { return offset + headerLength; }
    // Where the box ends in the file: its size, held to the end of the file.
    uint64_t end(uint64_t fileSize) const;
};

class TopLevelBoxes
{
public:
    enum class Stop {
        None, // still walking
        EndOfData, // fewer than 8 bytes left, or the last box ran to or past the end
        NotABox, // a type that is not four printable characters
        Damaged, // a size below the header's length (the box was reported)
        ReadFailed,
    };

    // The walk starts at offset 0 of the device (or data), whose size is the file's. The first
    // box's 32-bit size field is XORed with `firstSizeXor` (the scrambled recordings' key).
    explicit TopLevelBoxes(QIODevice& device, uint32_t firstSizeXor = 0);
    explicit TopLevelBoxes(std::span<const uint8_t> data, uint32_t firstSizeXor = 0);
    // The boxes inside a box's contents, [begin, end) of the device, by the same rules (a size
    // field 0 then runs to `end`); offsets stay the device's.
    TopLevelBoxes(QIODevice& device, uint64_t begin, uint64_t end);
    ~TopLevelBoxes();
    TopLevelBoxes(const TopLevelBoxes&) = delete;
    TopLevelBoxes& operator=(const TopLevelBoxes&) = delete;

    // The next box, or false when the walk has ended (stop() says why).
    bool next(TopBox& box);
    Stop stop() const { return m_stop; }
    // The end of the walk: the file's size (or `end` of a walk inside a box).
    uint64_t fileSize() const { return m_size; }

    // The first box of that type from where the walk stands; false when there is none.
    bool find(const char (&type)[5], TopBox& box);

private:
    const uint8_t* header(uint64_t& available);

    QIODevice* m_device = nullptr;
    std::span<const uint8_t> m_data;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
    uint32_t m_firstSizeXor = 0;
    bool m_first = true;
    Stop m_stop = Stop::None;
    // The device's window of header bytes.
    std::vector<uint8_t> m_window;
    uint64_t m_windowStart = 0;
    uint64_t m_windowLength = 0;
};

// Whether four bytes can be a box type: printable ASCII.
bool isPrintableType(const uint8_t* type);

} // namespace recording
