// The key estimator on a thread of its own, fed mono blocks through a small
// ring: the platform's decoder keeps one core busy while the listening runs
// on the other, so a track takes about as long as its decoding. Until the
// thread runs (under Wine it takes 4-8 ms to start, longer than the ring
// lasts), or where none can be started, each block is heard on the caller's
// thread as it is handed over. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/KeyEstimator.h"

namespace orv {

class ListeningThread {
public:
    static constexpr size_t kBlockFrames = 8192;

    explicit ListeningThread(int sampleRate);
    // Drops what has not been heard yet and joins the thread.
    ~ListeningThread();
    ListeningThread(const ListeningThread&) = delete;
    ListeningThread& operator=(const ListeningThread&) = delete;

    // A block of kBlockFrames samples in [-1, 1] to fill, then handed over
    // with the count filled. Block() waits while the ring is full.
    float* Block();
    void Post(size_t frames);
    // Interleaved 16-bit PCM, mixed down into as many blocks as it takes.
    void PostS16(const int16_t* pcm, size_t frames, int channels);
    // Waits until every posted block has been heard.
    KeyEstimate Finish();

private:
    static constexpr size_t kSlots = 8;
    // Each side wakes the other only once half the ring has changed hands:
    // under Wine a wake costs about 9 us, a block's listening about 25.
    static constexpr size_t kWakeAfter = kSlots / 2;

    static DWORD WINAPI ThreadMain(void* self);
    void Hear();
    void End(bool discard);

    KeyEstimator estimator_;
    std::vector<float> samples_;   // kSlots blocks, one after the other
    size_t frames_[kSlots] = {};
    size_t head_ = 0;              // the block being filled (the decoding thread's)
    size_t tail_ = 0;              // the block being heard (the listening thread's)
    SRWLOCK lock_ = SRWLOCK_INIT;  // guards the six below
    CONDITION_VARIABLE posted_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE heard_ = CONDITION_VARIABLE_INIT;
    size_t waiting_ = 0;           // blocks posted and not yet heard
    bool running_ = false;         // the thread takes blocks from the ring
    bool listenerAsleep_ = false;
    bool decoderAsleep_ = false;
    bool ended_ = false;
    bool discard_ = false;
    HANDLE thread_ = nullptr;
};

}  // namespace orv
