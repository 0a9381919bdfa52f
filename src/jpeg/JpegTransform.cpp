#include "jpeg/JpegTransform.h"

#include "jpeg/JpegTables.h"

#include <algorithm>
#include <array>

// Wider vectors where the processor has them. Only lane-wise multiplies and adds are
// vectorised (no fused multiply-add: the AVX2 clone does not enable FMA, and contraction is
// off), so every clone computes bit-identical results.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define ZYN_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZYN_VECTOR_CLONES
#endif

namespace jpeg {

namespace {

    // The value is held as a float first, then clamped and truncated: rounding to single
    // precision can carry a sum like 254.99999999 up to 255 before the truncation.
    inline float levelShifted(double value)
    {
        float f = static_cast<float>(value);
        f = f < 0.0f ? 0.0f : f;
        f = f > 255.0f ? 255.0f : f;
        return static_cast<float>(static_cast<int>(f) - 128);
    }

} // namespace

ZYN_VECTOR_CLONES
void convertStrip(const uint8_t* rows, std::ptrdiff_t rowStep, int width, int rowCount, int stride,
    float* y, float* cb, float* cr)
{
    for (int r = 0; r < 8; ++r) {
        float* yRow = y + r * stride;
        float* cbRow = cb + r * stride;
        float* crRow = cr + r * stride;
        int x = 0;
        if (r < rowCount) {
            const uint8_t* p = rows + r * rowStep;
            // Split the channels first so that the arithmetic below runs lane by lane.
            constexpr int Chunk = 64;
            for (; x < width; x += Chunk) {
                const int n = std::min(Chunk, width - x);
                double b[Chunk], g[Chunk], red[Chunk];
                for (int i = 0; i < n; ++i) {
                    b[i] = p[3 * (x + i)];
                    g[i] = p[3 * (x + i) + 1];
                    red[i] = p[3 * (x + i) + 2];
                }
                // double products and sums, in the order the formulas are written
                for (int i = 0; i < n; ++i) {
                    yRow[x + i] = levelShifted(0.299 * red[i] + 0.587 * g[i] + 0.114 * b[i]);
                    cbRow[x + i]
                        = levelShifted(0.5 * b[i] - (0.1687 * red[i] + 0.3313 * g[i]) + 128);
                    crRow[x + i] = levelShifted(0.5 * red[i] - 0.4187 * g[i] - 0.0813 * b[i] + 128);
                }
            }
            x = width;
        }
        for (; x < stride; ++x)
            yRow[x] = cbRow[x] = crRow[x] = 0.0f;
    }
}

ZYN_VECTOR_CLONES
void transformBlock(const float* block, int stride, const uint16_t* quant, int16_t* out)
{
    // sum[v] holds the eight totals F(v, 0..7); each lane collects its 64 terms in the
    // prescribed order (rows y from the top, columns x from the left), term = (s * cu) * cv.
    // Lanes never mix, so the vector form sums exactly as the scalar loops would.
    using Lanes = float __attribute__((vector_size(32)));
    Lanes uTerms[8];
    for (int x = 0; x < 8; ++x)
        for (int u = 0; u < 8; ++u)
            uTerms[x][u] = dctCosines[x][u];
    Lanes sum[8] = {};
    for (int yy = 0; yy < 8; ++yy) {
        const float* row = block + yy * stride;
        const std::array<float, 8>& vTerm = dctCosines[yy];
        for (int x = 0; x < 8; ++x) {
            const Lanes su = row[x] * uTerms[x];
            for (int v = 0; v < 8; ++v)
                sum[v] += su * vTerm[v];
        }
    }
    for (int k = 0; k < 64; ++k) {
        const int n = zigZagToNatural[k];
        const int v = n >> 3, u = n & 7;
        const float scaled = 0.25f * dctNormalisation[u] * dctNormalisation[v] * sum[v][u];
        const int16_t coefficient = static_cast<int16_t>(scaled);
        out[k] = static_cast<int16_t>(coefficient / quant[k]);
    }
}

} // namespace jpeg
