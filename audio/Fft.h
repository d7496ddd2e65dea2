// The magnitude spectrum of one analysis frame. A key is decided from a few
// thousand frames per track, so the transform is the estimator's main cost:
// it is written for one fixed power-of-two size, with every table made once.
#pragma once

#include <vector>

namespace orv {

class RealFft {
public:
    explicit RealFft(int size);  // a power of two, 16 or more

    int Size() const { return size_; }
    // in: size() samples; magnitude: size()/2 + 1 values, |X[k]| for k = 0..size/2.
    void Magnitude(const float* in, float* magnitude);

private:
    void Complex();  // in place on re_, im_ (half the real size)

    int size_ = 0;
    int half_ = 0;
    std::vector<int> bitReverse_;
    std::vector<float> stageCos_, stageSin_;  // per stage, contiguous twiddles
    std::vector<float> splitCos_, splitSin_;  // the real-from-complex split's twiddles
    std::vector<float> re_, im_;
};

}  // namespace orv
