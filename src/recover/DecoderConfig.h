#pragma once

#include "recover/Mp4Boxes.h"

#include <QString>

#include <vector>

// The decoder configurations a sample description carries: the parameter sets of an avcC or
// hvcC record and the audio configuration of an esds, each read with every length checked
// against the box that holds it. A configuration that says more than it holds is damage; a
// file indexed with it does not open in a player.
namespace recover {

struct NalConfig
{
    int lengthSize = 4; // bytes of the length before each NAL unit of a sample
    std::vector<Bytes> parameterSets; // NAL units, headers included
};

// An empty string when the record is sound, else what is wrong with it (English, technical).
QString readAvcConfig(Bytes avcC, NalConfig& config);
QString readHevcConfig(Bytes hvcC, NalConfig& config);

struct AudioConfig
{
    int objectType = 0; // 2: AAC LC
    int sampleRateIndex = 15;
    int sampleRate = 0;
    int channelConfig = 0; // 0: a program config element says
};

// The elementary stream descriptor of an esds payload (version and flags first).
struct EsDescriptor
{
    int objectType = 0; // 0x40 MPEG-4 audio, 0x20 MPEG-4 visual, 0x6C JPEG, ...
    Bytes specificInfo; // the decoder specific info, empty when absent
};

QString readEsds(Bytes esds, EsDescriptor& descriptor);
QString readAudioConfig(Bytes specificInfo, AudioConfig& config);

} // namespace recover
