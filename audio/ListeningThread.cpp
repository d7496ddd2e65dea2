#include "audio/ListeningThread.h"

#include "audio/PcmConvert.h"

namespace orv {

namespace {

// The listening goes no deeper than the estimator's frame analysis, which
// keeps its buffers on the heap: a small reservation, not the process's
// default megabyte. (Wine gives every thread at least a megabyte.)
constexpr SIZE_T kStackBytes = 64 * 1024;

}  // namespace

ListeningThread::ListeningThread(int sampleRate) : estimator_(sampleRate), samples_(kSlots * kBlockFrames)
{
    thread_ = CreateThread(nullptr, kStackBytes, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

ListeningThread::~ListeningThread() { End(true); }

DWORD WINAPI ListeningThread::ThreadMain(void* self)
{
    static_cast<ListeningThread*>(self)->Hear();
    return 0;
}

void ListeningThread::Hear()
{
    AcquireSRWLockExclusive(&lock_);
    running_ = true;
    for (;;) {
        while (waiting_ == 0 && !ended_) {
            listenerAsleep_ = true;
            SleepConditionVariableSRW(&posted_, &lock_, INFINITE, 0);
            listenerAsleep_ = false;
        }
        if (discard_ || waiting_ == 0) break;
        ReleaseSRWLockExclusive(&lock_);
        // The block at tail_ is this thread's until waiting_ drops again.
        estimator_.Add(samples_.data() + tail_ * kBlockFrames, frames_[tail_]);
        tail_ = (tail_ + 1) % kSlots;
        AcquireSRWLockExclusive(&lock_);
        --waiting_;
        if (decoderAsleep_ && waiting_ <= kSlots - kWakeAfter) WakeConditionVariable(&heard_);
    }
    ReleaseSRWLockExclusive(&lock_);
}

float* ListeningThread::Block()
{
    AcquireSRWLockExclusive(&lock_);
    while (waiting_ == kSlots) {
        decoderAsleep_ = true;
        SleepConditionVariableSRW(&heard_, &lock_, INFINITE, 0);
        decoderAsleep_ = false;
    }
    ReleaseSRWLockExclusive(&lock_);
    return samples_.data() + head_ * kBlockFrames;
}

void ListeningThread::Post(size_t frames)
{
    AcquireSRWLockExclusive(&lock_);
    if (!running_) {
        // Blocks heard here all come before the first one the ring takes.
        ReleaseSRWLockExclusive(&lock_);
        estimator_.Add(samples_.data() + head_ * kBlockFrames, frames);
        return;
    }
    frames_[head_] = frames;
    head_ = (head_ + 1) % kSlots;
    ++waiting_;
    const bool wake = listenerAsleep_ && waiting_ >= kWakeAfter;
    ReleaseSRWLockExclusive(&lock_);
    if (wake) WakeConditionVariable(&posted_);
}

void ListeningThread::PostS16(const int16_t* pcm, size_t frames, int channels)
{
    while (frames > 0) {
        const size_t n = frames < kBlockFrames ? frames : kBlockFrames;
        DownmixS16(pcm, n, channels, Block());
        Post(n);
        pcm += n * static_cast<size_t>(channels);
        frames -= n;
    }
}

void ListeningThread::End(bool discard)
{
    if (!thread_) return;
    AcquireSRWLockExclusive(&lock_);
    ended_ = true;
    discard_ = discard;
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&posted_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

KeyEstimate ListeningThread::Finish()
{
    End(false);
    return estimator_.Finish();
}

}  // namespace orv
