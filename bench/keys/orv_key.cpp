// orv_key: the key estimator run over WAV files on the build machine, one
// line per file, for the corpus score (bench/keys/score.sh). Each file is read
// as the program reads a track, through WavReader over a ByteSource, and fed to
// KeyEstimator in 4096-frame blocks, so the figures are the shipped code's.
//
//   orv_key [--parts N] FILE...
//
// --parts N hears each file as N estimators, each given one stretch of it,
// then taken into the first, as the program does when several cores decode a
// long MP3 at once. With ORV_KEY_PROFILES=FILE, each file's pitch-class
// profiles (seconds or -1 for the whole, frames, weight, 12 treble and 12
// bass classes from C) are added to FILE, one line each, for studying the
// choice outside the program; ORV_KEY_CHUNK=SECONDS adds the profiles heard
// so far every SECONDS (without --parts).
//
// Columns: path, verdict (key, silent, too-short, no-key, or error), tonic
// pitch class, mode, signature pitch class, confidence, seconds spent on the
// file (reading and estimating), then the key as spelled and the tuning in
// cents. MP3s are decoded to WAV before (score.sh does it with lame).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/KeyEstimator.h"
#include "audio/WavReader.h"

namespace {

// The host's files by stdio; the program's own source is Windows-only.
class StdioSource : public orv::ByteSource {
public:
    explicit StdioSource(const char* path) : file_(std::fopen(path, "rb"))
    {
        if (file_ && fseeko(file_, 0, SEEK_END) == 0) {
            const off_t end = ftello(file_);
            size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
        }
    }
    ~StdioSource() override
    {
        if (file_) std::fclose(file_);
    }
    StdioSource(const StdioSource&) = delete;
    StdioSource& operator=(const StdioSource&) = delete;

    bool IsOpen() const { return file_ != nullptr; }

    int64_t ReadAt(uint64_t offset, void* out, size_t size) override
    {
        if (offset >= size_) return 0;
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return -1;
        const size_t n = std::fread(out, 1, size, file_);
        if (n < size && std::ferror(file_)) return -1;
        return static_cast<int64_t>(n);
    }
    uint64_t Size() const override { return size_; }

private:
    std::FILE* file_;
    uint64_t size_ = 0;
};

const char* StatusName(orv::WavStatus status)
{
    switch (status) {
    case orv::WavStatus::Ok: return "ok";
    case orv::WavStatus::NotWav: return "not a WAV file";
    case orv::WavStatus::UnsupportedFormat: return "unsupported format";
    case orv::WavStatus::BadFormat: return "bad format chunk";
    case orv::WavStatus::NoData: return "no data";
    case orv::WavStatus::ReadError: return "read error";
    }
    return "?";
}

const char* VerdictName(orv::KeyEstimate::Verdict verdict)
{
    switch (verdict) {
    case orv::KeyEstimate::Verdict::Key: return "key";
    case orv::KeyEstimate::Verdict::Silent: return "silent";
    case orv::KeyEstimate::Verdict::TooShort: return "too-short";
    case orv::KeyEstimate::Verdict::NoClearKey: return "no-key";
    }
    return "?";
}

std::string Spelled(const orv::SongKey& key)
{
    std::string name(1, "CDEFGAB"[key.letter >= 0 && key.letter < 7 ? key.letter : 0]);
    if (key.accidental > 0) name += '#';
    if (key.accidental < 0) name += 'b';
    if (key.minor) name += 'm';
    return name;
}

// ORV_KEY_PROFILES=FILE: the profiles heard up to now (at seconds, or -1 at
// the end) as one line of FILE.
void WriteProfiles(const char* path, double at, const orv::KeyEstimator& estimator)
{
    const char* profilesPath = std::getenv("ORV_KEY_PROFILES");
    std::FILE* out = profilesPath ? std::fopen(profilesPath, "a") : nullptr;
    if (!out) return;
    const orv::PitchProfiles p = estimator.Profiles();
    std::fprintf(out, "%s\t%.1f\t%.0f\t%.6g", path, at, p.frames, p.trebleWeight);
    for (double v : p.treble) std::fprintf(out, "\t%.6g", v);
    for (double v : p.bass) std::fprintf(out, "\t%.6g", v);
    std::fprintf(out, "\n");
    std::fclose(out);
}

// False when the file could not be read; the line says why either way.
bool EstimateFile(const char* path, int parts)
{
    const auto start = std::chrono::steady_clock::now();
    StdioSource source(path);
    if (!source.IsOpen()) {
        std::printf("%s\terror\t-\t-\t-\t0\t0\tcannot open\t0\n", path);
        return false;
    }
    orv::WavFormat format;
    const orv::WavStatus status = orv::ReadWavFormat(source, &format);
    if (status != orv::WavStatus::Ok) {
        std::printf("%s\terror\t-\t-\t-\t0\t0\t%s\t0\n", path, StatusName(status));
        return false;
    }
    orv::WavSampleReader reader(source, format);
    std::vector<std::unique_ptr<orv::KeyEstimator>> estimators;
    for (int i = 0; i < parts; ++i) estimators.push_back(std::make_unique<orv::KeyEstimator>(format.sampleRate));
    const uint64_t frames = format.blockAlign > 0 ? format.dataBytes / static_cast<uint64_t>(format.blockAlign) : 0;
    std::vector<float> block(4096);
    // ORV_KEY_CHUNK=SECONDS: the profiles so far are written every SECONDS too.
    const char* chunk = std::getenv("ORV_KEY_CHUNK");
    const double chunkSeconds = chunk ? std::atof(chunk) : 0;
    const uint64_t chunkFrames = static_cast<uint64_t>(chunkSeconds * format.sampleRate);
    uint64_t nextChunk = chunkFrames;
    // Part p takes frames [frames * p / parts, frames * (p + 1) / parts).
    const auto partEnd = [&](size_t p) { return frames * (p + 1) / static_cast<uint64_t>(parts); };
    const size_t last = static_cast<size_t>(parts - 1);
    uint64_t at = 0;
    size_t part = 0;
    for (;;) {
        const size_t n = reader.ReadMono(block.data(), block.size());
        if (n == 0) break;
        for (size_t i = 0; i < n;) {
            while (part < last && at >= partEnd(part)) ++part;
            const size_t run = part < last ? static_cast<size_t>(std::min<uint64_t>(n - i, partEnd(part) - at)) : n - i;
            estimators[part]->Add(&block[i], run);
            i += run;
            at += run;
        }
        if (chunkFrames > 0 && parts == 1 && at >= nextChunk) {
            WriteProfiles(path, static_cast<double>(at) / format.sampleRate, *estimators[0]);
            nextChunk += chunkFrames;
        }
    }
    for (int i = 1; i < parts; ++i) estimators[0]->Absorb(*estimators[static_cast<size_t>(i)]);
    WriteProfiles(path, -1, *estimators[0]);
    const orv::KeyEstimate estimate = estimators[0]->Finish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (reader.Failed()) {
        std::printf("%s\terror\t-\t-\t-\t0\t%.3f\tread error\t0\n", path, seconds);
        return false;
    }
    if (estimate.verdict == orv::KeyEstimate::Verdict::Key) {
        std::printf("%s\tkey\t%d\t%s\t%d\t%.3f\t%.3f\t%s\t%.1f\n", path, estimate.key.pitch,
                    estimate.key.minor ? "minor" : "major", estimate.signature, estimate.confidence, seconds,
                    Spelled(estimate.key).c_str(), estimate.tuningCents);
    } else {
        std::printf("%s\t%s\t-\tnone\t-\t%.3f\t%.3f\t-\t%.1f\n", path, VerdictName(estimate.verdict),
                    estimate.confidence, seconds, estimate.tuningCents);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    int first = 1, parts = 1;
    if (argc > 2 && std::strcmp(argv[1], "--parts") == 0) {
        parts = std::atoi(argv[2]);
        first = 3;
    }
    if (argc <= first || parts < 1 || parts > 16) {
        std::fprintf(stderr, "usage: orv_key [--parts N] FILE.wav...\n");
        return 2;
    }
    int failed = 0;
    for (int i = first; i < argc; ++i) {
        if (!EstimateFile(argv[i], parts)) ++failed;
        std::fflush(stdout);
    }
    return failed == 0 ? 0 : 1;
}
