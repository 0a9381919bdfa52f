#include "BmpFile.h"

#include "jpeg/CJpegEncoder.h"

#include <QString>

#include <cstdio>

// zyn-jpegenc IN.bmp OUT.jpg: encodes a 24-bit uncompressed BMP the way a frame capture does.
int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: zyn-jpegenc IN.bmp OUT.jpg\n");
        return 1;
    }
    BmpImage image;
    QString error;
    if (!readBmp(QString::fromLocal8Bit(argv[1]), image, error)) {
        std::fprintf(stderr, "zyn-jpegenc: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    CJpegEncoder encoder;
    encoder.setImage(
        image.description, image.pixels.data(), static_cast<qsizetype>(image.pixels.size()));
    if (encoder.writeJpeg(argv[2]) == 0) {
        std::fprintf(stderr, "zyn-jpegenc: cannot write %s\n", argv[2]);
        return 3;
    }
    return 0;
}
