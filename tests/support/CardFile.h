#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Reads a written recording back the way a viewer would, independently of the writer:
// top-level box walk to "udat", its three sub-boxes, and the 4-byte-stride "EVTI" scan.
namespace cardfile {

struct Box
{
    qint64 offset = 0;
    QByteArray type;
    std::uint32_t size = 0;
};

struct Telemetry
{
    QByteArray timeType;
    QList<std::uint32_t> times; // little-endian records
    QList<QByteArray> sentences; // up to the first NUL
    QList<std::array<float, 3>> samples;
};

std::uint32_t bigEndian32(const QByteArray& data, qint64 offset);
QByteArray readAll(const QString& path);
QList<Box> topLevelBoxes(const QByteArray& file); // stops after "udat" or at the first bad size
std::optional<Telemetry> telemetry(const QByteArray& file);
qint64 eventIndexOffset(const QByteArray& file); // -1 when there is none
QList<QByteArray> eventTexts(const QByteArray& file);
bool checksumValid(const QByteArray& sentence);

} // namespace cardfile
