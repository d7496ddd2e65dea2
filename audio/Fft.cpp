// A real FFT of size N computed as a complex FFT of size N/2 over the even
// samples as real parts and the odd samples as imaginary parts, then split
// into the real signal's spectrum (Brigham, "The FFT and Its Applications",
// 1988, ch. 9). The complex transform is the iterative radix-2
// decimation-in-time form of Cooley & Tukey (1965): input in bit-reversed
// order, the first two stages fused (their twiddles are 1 and -i), then one
// pass per stage over contiguous twiddles, four butterflies at a time so that
// the compiler keeps them in one SSE register.
#include "audio/Fft.h"

#include <cmath>

namespace orv {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Four radix-2 butterflies b *= w, (a, b) = (a + b, a - b), w = c - i s: one
// SSE operation per line once the compiler has paired them.
inline void Butterflies4(float* __restrict ar, float* __restrict ai, float* __restrict br, float* __restrict bi,
                         const float* __restrict c, const float* __restrict s)
{
    float tr[4], ti[4];
    for (int v = 0; v < 4; ++v) tr[v] = br[v] * c[v] + bi[v] * s[v];
    for (int v = 0; v < 4; ++v) ti[v] = bi[v] * c[v] - br[v] * s[v];
    for (int v = 0; v < 4; ++v) br[v] = ar[v] - tr[v];
    for (int v = 0; v < 4; ++v) bi[v] = ai[v] - ti[v];
    for (int v = 0; v < 4; ++v) ar[v] += tr[v];
    for (int v = 0; v < 4; ++v) ai[v] += ti[v];
}

}  // namespace

RealFft::RealFft(int size) : size_(size), half_(size / 2)
{
    const int m = half_;
    int bits = 0;
    while ((1 << bits) < m) ++bits;
    bitReverse_.resize(static_cast<size_t>(m));
    for (int n = 0; n < m; ++n) {
        int r = 0;
        for (int b = 0; b < bits; ++b) r |= ((n >> b) & 1) << (bits - 1 - b);
        bitReverse_[static_cast<size_t>(n)] = r;
    }
    // Stage with half-length h keeps its twiddles at offset h - 4.
    stageCos_.assign(static_cast<size_t>(m), 0.0f);
    stageSin_.assign(static_cast<size_t>(m), 0.0f);
    for (int h = 4; h < m; h *= 2) {
        for (int j = 0; j < h; ++j) {
            const double a = kPi * j / h;
            stageCos_[static_cast<size_t>(h - 4 + j)] = static_cast<float>(std::cos(a));
            stageSin_[static_cast<size_t>(h - 4 + j)] = static_cast<float>(std::sin(a));
        }
    }
    splitCos_.resize(static_cast<size_t>(m));
    splitSin_.resize(static_cast<size_t>(m));
    for (int k = 0; k < m; ++k) {
        const double a = 2.0 * kPi * k / size;
        splitCos_[static_cast<size_t>(k)] = static_cast<float>(std::cos(a));
        splitSin_[static_cast<size_t>(k)] = static_cast<float>(std::sin(a));
    }
    re_.resize(static_cast<size_t>(m));
    im_.resize(static_cast<size_t>(m));
}

void RealFft::Complex()
{
    const int m = half_;
    float* __restrict re = re_.data();
    float* __restrict im = im_.data();
    for (int s = 0; s < m; s += 4) {
        const float b0r = re[s] + re[s + 1], b0i = im[s] + im[s + 1];
        const float b1r = re[s] - re[s + 1], b1i = im[s] - im[s + 1];
        const float b2r = re[s + 2] + re[s + 3], b2i = im[s + 2] + im[s + 3];
        const float b3r = re[s + 2] - re[s + 3], b3i = im[s + 2] - im[s + 3];
        re[s] = b0r + b2r;
        im[s] = b0i + b2i;
        re[s + 2] = b0r - b2r;
        im[s + 2] = b0i - b2i;
        re[s + 1] = b1r + b3i;
        im[s + 1] = b1i - b3r;
        re[s + 3] = b1r - b3i;
        im[s + 3] = b1i + b3r;
    }
    for (int h = 4; h < m; h *= 2) {
        const float* __restrict wc = stageCos_.data() + (h - 4);
        const float* __restrict ws = stageSin_.data() + (h - 4);
        for (int s = 0; s < m; s += 2 * h) {
            float* __restrict ar = re + s;
            float* __restrict ai = im + s;
            float* __restrict br = re + s + h;
            float* __restrict bi = im + s + h;
            for (int j = 0; j < h; j += 4) {
                Butterflies4(ar + j, ai + j, br + j, bi + j, wc + j, ws + j);
            }
        }
    }
}

void RealFft::Magnitude(const float* in, float* magnitude)
{
    const int m = half_;
    for (int n = 0; n < m; ++n) {
        const size_t r = static_cast<size_t>(bitReverse_[static_cast<size_t>(n)]);
        re_[r] = in[2 * n];
        im_[r] = in[2 * n + 1];
    }
    Complex();
    const float* re = re_.data();
    const float* im = im_.data();
    magnitude[0] = std::fabs(re[0] + im[0]);
    magnitude[m] = std::fabs(re[0] - im[0]);
    for (int k = 1; k < m; ++k) {
        const float zr = re[k], zi = im[k], yr = re[m - k], yi = im[m - k];
        const float er = 0.5f * (zr + yr), ei = 0.5f * (zi - yi);
        const float orr = 0.5f * (zi + yi), oi = -0.5f * (zr - yr);
        const float c = splitCos_[static_cast<size_t>(k)], s = splitSin_[static_cast<size_t>(k)];
        const float xr = er + c * orr + s * oi;
        const float xi = ei + c * oi - s * orr;
        magnitude[k] = std::sqrt(xr * xr + xi * xi);
    }
}

}  // namespace orv
