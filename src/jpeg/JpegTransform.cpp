#include "jpeg/JpegTransform.h"

#include "jpeg/JpegTables.h"

#include <array>

namespace jpeg {

namespace {

    // Each colour term is a double product of a byte and a constant, so a table of the 256
    // products per term gives exactly the value the expression would compute.
    struct ColourTerms
    {
        std::array<double, 256> yR, yG, yB;
        std::array<double, 256> cbB, cbR, cbG;
        std::array<double, 256> crR, crG, crB;

        ColourTerms()
        {
            for (int i = 0; i < 256; ++i) {
                yR[i] = 0.299 * i;
                yG[i] = 0.587 * i;
                yB[i] = 0.114 * i;
                cbB[i] = 0.5 * i;
                cbR[i] = 0.1687 * i;
                cbG[i] = 0.3313 * i;
                crR[i] = 0.5 * i;
                crG[i] = 0.4187 * i;
                crB[i] = 0.0813 * i;
            }
        }
    };

    const ColourTerms& colourTerms()
    {
        static const ColourTerms terms;
        return terms;
    }

    // The value is held as a float first, then clamped and truncated: rounding to single
    // precision can carry a sum like 254.99999999 up to 255 before the truncation.
    inline float levelShifted(double value)
    {
        float f = static_cast<float>(value);
        if (f < 0.0f)
            f = 0.0f;
        else if (f > 255.0f)
            f = 255.0f;
        return static_cast<float>(static_cast<int>(f) - 128);
    }

} // namespace

void convertStrip(const uint8_t* rows, std::ptrdiff_t rowStep, int width, int rowCount, int stride,
    float* y, float* cb, float* cr)
{
    const ColourTerms& t = colourTerms();
    for (int r = 0; r < 8; ++r) {
        float* yRow = y + r * stride;
        float* cbRow = cb + r * stride;
        float* crRow = cr + r * stride;
        int x = 0;
        if (r < rowCount) {
            const uint8_t* p = rows + r * rowStep;
            for (; x < width; ++x, p += 3) {
                const int b = p[0], g = p[1], red = p[2];
                yRow[x] = levelShifted(t.yR[red] + t.yG[g] + t.yB[b]);
                cbRow[x] = levelShifted(t.cbB[b] - (t.cbR[red] + t.cbG[g]) + 128);
                crRow[x] = levelShifted(t.crR[red] - t.crG[g] - t.crB[b] + 128);
            }
        }
        for (; x < stride; ++x)
            yRow[x] = cbRow[x] = crRow[x] = 0.0f;
    }
}

void transformBlock(const float* block, int stride, const uint16_t* quant, int16_t* out)
{
    // sum[v][u] collects the 64 terms of F(v, u) in the prescribed order (rows y from the top,
    // columns x from the left); each lane of the inner u loops is one independent sum, so the
    // loops vectorise without reordering any sum.
    alignas(32) float sum[8][8] = {};
    for (int yy = 0; yy < 8; ++yy) {
        const float* row = block + yy * stride;
        const std::array<float, 8>& vTerm = dctCosines[yy];
        for (int x = 0; x < 8; ++x) {
            const float s = row[x];
            const std::array<float, 8>& uTerm = dctCosines[x];
            float su[8];
            for (int u = 0; u < 8; ++u)
                su[u] = s * uTerm[u];
            for (int v = 0; v < 8; ++v) {
                const float c = vTerm[v];
                for (int u = 0; u < 8; ++u)
                    sum[v][u] += su[u] * c;
            }
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
