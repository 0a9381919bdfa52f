#include "jpeg/JpegTestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QProcess>

#include <cmath>
#include <map>
#include <random>

namespace jpegtest {

Bitmap toBitmap(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int width = image.width(), height = image.height();
    const std::size_t rowBytes = (std::size_t(width) * 3 + 3) / 4 * 4;
    Bitmap bitmap;
    bitmap.description = {40, quint32(width), quint32(height), 1u | 24u << 16, 0,
        quint32(rowBytes * height), 0, 0, 0, 0, 0};
    bitmap.pixels.assign(rowBytes * height, 0);
    for (int r = 0; r < height; ++r) {
        const uchar* in = image.constScanLine(height - 1 - r);
        uint8_t* out = bitmap.pixels.data() + rowBytes * r;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return bitmap;
}

namespace {

    // Smooth random field in 0..1: bilinear value noise over a few octaves.
    class ValueNoise
    {
    public:
        explicit ValueNoise(unsigned seed)
        {
            std::mt19937 random(seed);
            for (float& v : m_grid)
                v = std::uniform_real_distribution<float>(0, 1)(random);
        }
        float operator()(float x, float y) const
        {
            float total = 0, weight = 0, amplitude = 1;
            for (int octave = 0; octave < 5; ++octave, x *= 2, y *= 2, amplitude /= 2) {
                total += amplitude * sample(x, y);
                weight += amplitude;
            }
            return total / weight;
        }

    private:
        float at(int x, int y) const { return m_grid[(y & 63) * 64 + (x & 63)]; }
        float sample(float x, float y) const
        {
            const int ix = int(std::floor(x)), iy = int(std::floor(y));
            const float fx = x - ix, fy = y - iy;
            const float top = at(ix, iy) * (1 - fx) + at(ix + 1, iy) * fx;
            const float bottom = at(ix, iy + 1) * (1 - fx) + at(ix + 1, iy + 1) * fx;
            return top * (1 - fy) + bottom * fy;
        }
        std::array<float, 64 * 64> m_grid{};
    };

    int clampByte(float v)
    {
        return std::clamp(int(std::lround(v)), 0, 255);
    }

} // namespace

QImage sceneImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    const ValueNoise texture(7);
    const float horizon = height * 0.45f;
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const float n = texture(x / 40.0f, y / 40.0f);
            float r, g, b;
            if (y < horizon) {
                const float t = y / horizon;
                r = 90 + 100 * t + 30 * n;
                g = 140 + 80 * t + 30 * n;
                b = 220 + 20 * t;
            } else {
                const float depth = (y - horizon) / (height - horizon);
                const float roadHalf = 0.05f * width + 0.4f * width * depth;
                const float dx = std::abs(x - width / 2.0f);
                // soft edges, as a camera lens would give them
                const float road = std::clamp((roadHalf - dx) / 3.0f + 0.5f, 0.0f, 1.0f);
                const float grassR = 70 + 60 * n, grassG = 110 + 70 * n, grassB = 50 + 30 * n;
                const float asphalt = 85 + 40 * n * depth;
                r = grassR * (1 - road) + asphalt * road;
                g = grassG * (1 - road) + asphalt * road;
                b = grassB * (1 - road) + (asphalt + 5) * road;
            }
            row[3 * x] = uchar(clampByte(r));
            row[3 * x + 1] = uchar(clampByte(g));
            row[3 * x + 2] = uchar(clampByte(b));
        }
    }
    return image;
}

QImage plasmaImage(int width, int height, unsigned seed, float featureSize)
{
    QImage image(width, height, QImage::Format_RGB888);
    const ValueNoise red(seed), green(seed + 1), blue(seed + 2);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const float fx = x / featureSize, fy = y / featureSize;
            row[3 * x] = uchar(clampByte(255 * red(fx, fy)));
            row[3 * x + 1] = uchar(clampByte(255 * green(fx, fy)));
            row[3 * x + 2] = uchar(clampByte(255 * blue(fx, fy)));
        }
    }
    return image;
}

QImage noiseImage(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB888);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = uchar(random() & 0xFF);
    }
    return image;
}

QImage uniformImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray encode(const QImage& image, const QString& path, qsizetype initialCapacity)
{
    const Bitmap bitmap = toBitmap(image);
    CJpegEncoder encoder;
    if (initialCapacity >= 0)
        encoder.setInitialOutputCapacity(initialCapacity);
    encoder.setImage(bitmap.description, bitmap.pixels.data(), qsizetype(bitmap.pixels.size()));
    if (encoder.writeJpeg(path.toLocal8Bit().constData()) != 1)
        return {};
    return readFile(path);
}

QByteArray bmpFile(const QImage& image, bool topDown)
{
    const Bitmap bitmap = toBitmap(image);
    const auto rowBytes = qsizetype(bitmap.pixels.size()) / image.height();
    QByteArray file(54, '\0');
    const auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = char(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, quint32(54 + bitmap.pixels.size()));
    put32(10, 54);
    for (int i = 0; i < 10; ++i) // the eleventh value is the capture's spare, not in the file
        put32(14 + 4 * i, bitmap.description[i]);
    if (topDown)
        put32(22, quint32(-image.height()));
    put32(38, 2835); // 72 dpi
    put32(42, 2835);
    for (int r = 0; r < image.height(); ++r) {
        const int from = topDown ? image.height() - 1 - r : r;
        file.append(
            reinterpret_cast<const char*>(bitmap.pixels.data()) + from * rowBytes, rowBytes);
    }
    return file;
}

QByteArray runFilter(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QImage decodeWithQt(const QByteArray& jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    QImageReader reader(&buffer, "jpeg");
    return reader.read().convertToFormat(QImage::Format_RGB888);
}

QImage decodeWithDjpeg(const QByteArray& jpeg)
{
    QProcess djpeg;
    djpeg.start(QStringLiteral("djpeg"), {QStringLiteral("-pnm")});
    if (!djpeg.waitForStarted())
        return {};
    djpeg.write(jpeg);
    djpeg.closeWriteChannel();
    if (!djpeg.waitForFinished(30000) || djpeg.exitStatus() != QProcess::NormalExit
        || djpeg.exitCode() != 0 || !djpeg.readAllStandardError().isEmpty())
        return {};
    return QImage::fromData(djpeg.readAllStandardOutput(), "PPM")
        .convertToFormat(QImage::Format_RGB888);
}

double psnr(const QImage& a, const QImage& b)
{
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < 3 * a.width(); ++x)
            squares += double(p[x] - q[x]) * (p[x] - q[x]);
    }
    const double mse = squares / (3.0 * a.width() * a.height());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<Segment> parseSegments(const QByteArray& jpeg, QByteArray* scan)
{
    std::vector<Segment> segments;
    const auto byte = [&](qsizetype i) { return uint8_t(jpeg.at(i)); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return {};
    segments.push_back({0xD8, {}});
    qsizetype at = 2;
    while (at + 1 < jpeg.size()) {
        if (byte(at) != 0xFF)
            return {};
        const uint8_t marker = byte(at + 1);
        if (marker == 0xD9) {
            segments.push_back({marker, {}});
            return at + 2 == jpeg.size() ? segments : std::vector<Segment>();
        }
        if (at + 3 >= jpeg.size())
            return {};
        const int length = byte(at + 2) << 8 | byte(at + 3);
        if (length < 2 || at + 2 + length > jpeg.size())
            return {};
        segments.push_back({marker, jpeg.mid(at + 4, length - 2)});
        at += 2 + length;
        if (marker == 0xDA) {
            // entropy-coded data runs to the next marker that is not a stuffed 0xFF 0x00
            qsizetype end = at;
            while (end + 1 < jpeg.size() && !(byte(end) == 0xFF && byte(end + 1) != 0x00))
                end += byte(end) == 0xFF ? 2 : 1;
            if (scan)
                *scan = jpeg.mid(at, end - at);
            at = end;
        }
    }
    return {};
}

namespace {

    struct DecodeTable
    {
        std::map<std::pair<int, unsigned>, int> symbolOf; // (length, code) -> symbol
    };

    class BitReader
    {
    public:
        explicit BitReader(const QByteArray& data)
        {
            for (qsizetype i = 0; i < data.size(); ++i) {
                m_bytes.push_back(uint8_t(data[i]));
                if (uint8_t(data[i]) == 0xFF)
                    ++i; // the stuffed 0x00
            }
        }
        int bit()
        {
            if (m_position >= m_bytes.size() * 8)
                return -1;
            const int value = m_bytes[m_position / 8] >> (7 - m_position % 8) & 1;
            ++m_position;
            return value;
        }
        std::size_t remaining() const { return m_bytes.size() * 8 - m_position; }

    private:
        std::vector<uint8_t> m_bytes;
        std::size_t m_position = 0;
    };

    int decodeSymbol(BitReader& bits, const DecodeTable& table)
    {
        unsigned code = 0;
        for (int length = 1; length <= 16; ++length) {
            const int b = bits.bit();
            if (b < 0)
                return -1;
            code = code << 1 | unsigned(b);
            const auto found = table.symbolOf.find({length, code});
            if (found != table.symbolOf.end())
                return found->second;
        }
        return -1;
    }

    bool receive(BitReader& bits, int size, int& value)
    {
        int raw = 0;
        for (int i = 0; i < size; ++i) {
            const int b = bits.bit();
            if (b < 0)
                return false;
            raw = raw << 1 | b;
        }
        value = size == 0 ? 0 : raw < (1 << (size - 1)) ? raw - (1 << size) + 1 : raw;
        return true;
    }

    bool decodeBlock(
        BitReader& bits, const DecodeTable& dc, const DecodeTable& ac, CodedBlock& block)
    {
        block.dcCategory = decodeSymbol(bits, dc);
        if (block.dcCategory < 0 || !receive(bits, block.dcCategory, block.zigZag[0]))
            return false;
        for (int k = 1; k < 64;) {
            const int symbol = decodeSymbol(bits, ac);
            if (symbol < 0)
                return false;
            if (symbol == 0x00) {
                block.endOfBlock = true;
                return true;
            }
            k += symbol >> 4;
            if (k > 63 || !receive(bits, symbol & 15, block.zigZag[k]))
                return false;
            ++k;
        }
        return true;
    }

} // namespace

DecodedScan decodeScan(const QByteArray& jpeg, int blockCount)
{
    DecodedScan result;
    QByteArray scan;
    std::map<int, DecodeTable> tables;
    for (const Segment& segment : parseSegments(jpeg, &scan)) {
        if (segment.marker != 0xC4)
            continue;
        for (qsizetype at = 0; at + 17 <= segment.payload.size();) {
            DecodeTable& table = tables[uint8_t(segment.payload[at])];
            qsizetype symbol = at + 17;
            unsigned code = 0;
            for (int length = 1; length <= 16; ++length, code <<= 1)
                for (int i = 0; i < uint8_t(segment.payload[at + length]); ++i)
                    table.symbolOf[{length, code++}] = uint8_t(segment.payload[symbol++]);
            at = symbol;
        }
    }
    if (tables.size() != 4)
        return result;
    BitReader bits(scan);
    for (int i = 0; i < blockCount * 3; ++i) {
        CodedBlock block;
        const int table = i % 3 == 0 ? 0 : 1;
        if (!decodeBlock(bits, tables[table], tables[0x10 + table], block))
            return result;
        result.blocks.push_back(block);
    }
    result.fillBits = int(bits.remaining());
    result.fillBitsAllOnes = true;
    for (int i = 0; i < result.fillBits; ++i)
        result.fillBitsAllOnes = result.fillBitsAllOnes && bits.bit() == 1;
    result.ok = true;
    return result;
}

} // namespace jpegtest
