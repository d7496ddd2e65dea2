// The WAV reader, the MP3 frame reader and the ID3 title over files built in
// memory: every WAV layout a backing track comes in, every MP3 framing, and
// input that is not what its name says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "audio/Id3Tag.h"
#include "audio/Mp3Frames.h"
#include "audio/WavReader.h"

namespace orv {
namespace {

using namespace std::string_literals;

std::string Le(uint64_t v, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}

std::string Be(uint64_t v, int bytes)
{
    const std::string s = Le(v, bytes);
    return std::string(s.rbegin(), s.rend());
}

std::string Syncsafe(size_t v)
{
    return Be((v & 0x7F) | (v >> 7 & 0x7F) << 8 | (v >> 14 & 0x7F) << 16 | (v >> 21 & 0x7F) << 24, 4);
}

// Counts the bytes read; the read that takes the count past failAfter fails, and every one after it.
struct TestSource : ByteSource {
    explicit TestSource(std::string b, uint64_t fail = UINT64_MAX) : bytes(std::move(b)), failAfter(fail) {}
    int64_t ReadAt(uint64_t offset, void* out, size_t size) override
    {
        const int64_t n = MemorySource(bytes).ReadAt(offset, out, size);
        return (bytesRead += static_cast<uint64_t>(n)) > failAfter ? -1 : n;
    }
    uint64_t Size() const override { return bytes.size(); }
    std::string bytes;
    uint64_t failAfter, bytesRead = 0;
};

std::string Chunk(const std::string& id, const std::string& body)
{
    return id + Le(body.size(), 4) + body + (body.size() % 2 ? "\0"s : "");
}

std::string FmtChunk(int tag, int channels, int bits, int sub = 0, int blockAlign = -1)
{
    if (blockAlign < 0) blockAlign = channels * bits / 8;
    std::string body = Le(tag, 2) + Le(channels, 2) + Le(44100, 4) + Le(44100 * blockAlign, 4) + Le(blockAlign, 2) +
                       Le(bits, 2);
    if (tag == 0xFFFE)
        body += Le(22, 2) + Le(bits == 24 ? 20 : bits, 2) + Le(3, 4) + Le(sub, 2) +
                "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71"s;
    return Chunk("fmt ", body);
}

// Exact in every format, 8-bit included: multiples of 1/16 in [-0.5, 0.4375].
double SampleValue(int frame, int channel)
{
    return ((frame * 7 + channel * 3) % 16 - 8) / 16.0;
}

std::string EncodeSample(double v, int bits, bool isFloat)
{
    const float f = static_cast<float>(v);
    uint64_t u = 0;
    if (isFloat) std::memcpy(&u, bits == 32 ? static_cast<const void*>(&f) : &v, static_cast<size_t>(bits / 8));
    else u = static_cast<uint64_t>(static_cast<int64_t>(v * static_cast<double>(int64_t{1} << (bits - 1))));
    return Le(bits == 8 ? u + 128 : u, bits / 8);
}

struct WavCase {
    const char* name;
    int tag, sub, bits, channels, frames;
    // Chunks in file order: f fmt, d data, L LIST, j odd-sized JUNK; data
    // sized 0xFFFFFFFF (D), 0 (Z), or 1000 bytes past the end (T).
    const char* layout;
    size_t cut;  // bytes taken off the end of the file
    int framesPresent;
    bool truncated;
};

std::string MakeWav(const WavCase& c)
{
    std::string pcm, chunks;
    for (int f = 0; f < c.frames; ++f)
        for (int ch = 0; ch < c.channels; ++ch)
            pcm += EncodeSample(SampleValue(f, ch), c.bits, c.tag == 3 || c.sub == 3);
    for (const char* k = c.layout; *k; ++k) {
        switch (*k) {
        case 'f': chunks += FmtChunk(c.tag, c.channels, c.bits, c.sub); break;
        case 'd': chunks += Chunk("data", pcm); break;
        case 'L': chunks += Chunk("LIST", "INFOISFT"s + Le(6, 4) + "Lavf\0\0"s); break;
        case 'j': chunks += Chunk("JUNK", "abc"); break;
        case 'D': chunks += "data" + Le(0xFFFFFFFF, 4) + pcm; break;
        case 'Z': chunks += "data" + Le(0, 4) + pcm; break;
        case 'T': chunks += "data" + Le(pcm.size() + 1000, 4) + pcm; break;
        }
    }
    // Streaming writers leave the RIFF size wrong too.
    const bool streamed = std::strpbrk(c.layout, "DZ") != nullptr;
    const std::string file = "RIFF" + Le(streamed ? 0xFFFFFFFF : chunks.size() + 4, 4) + "WAVE" + chunks;
    return file.substr(0, file.size() - c.cut);
}

TEST(WavReader, LayoutsGiveTheirFormatAndMonoSamples)
{
    const WavCase cases[] = {
        {"pcm16 stereo", 1, 0, 16, 2, 100, "fd", 0, 100, false},
        {"pcm8 mono, LIST first", 1, 0, 8, 1, 101, "Lfd", 0, 101, false},
        {"pcm24 6ch, odd JUNK between", 1, 0, 24, 6, 100, "jfjd", 0, 100, false},
        {"pcm32, data before fmt", 1, 0, 32, 2, 100, "LdjfL", 0, 100, false},
        {"float32 stereo", 3, 0, 32, 2, 100, "fdL", 0, 100, false},
        {"float64 mono", 3, 0, 64, 1, 100, "fLd", 0, 100, false},
        {"extensible pcm24 (20 valid bits)", 0xFFFE, 1, 24, 2, 100, "fd", 0, 100, false},
        {"extensible float 6ch", 0xFFFE, 3, 32, 6, 100, "Lfd", 0, 100, false},
        {"data past the end, last frame cut", 1, 0, 16, 2, 100, "fT", 3, 99, true},
        {"data sized 0xFFFFFFFF", 1, 0, 16, 2, 100, "fD", 0, 100, false},
        {"data sized 0 with bytes after", 1, 0, 24, 1, 100, "jfZ", 0, 100, false},
        {"several read blocks", 1, 0, 16, 2, 40000, "fd", 0, 40000, false},
    };
    for (const WavCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestSource source(MakeWav(c));
        WavFormat format;
        ASSERT_EQ(ReadWavFormat(source, &format), WavStatus::Ok);
        EXPECT_EQ(std::make_tuple(format.channels, format.sampleRate, format.bitsPerSample, format.isFloat,
                                  format.dataBytes, format.truncated),
                  std::make_tuple(c.channels, 44100, c.bits, c.tag == 3 || c.sub == 3,
                                  static_cast<uint64_t>(c.framesPresent * c.channels * c.bits / 8), c.truncated));
        WavSampleReader reader(source, format);
        EXPECT_EQ(reader.FramesTotal(), static_cast<uint64_t>(c.framesPresent));
        std::vector<float> mono(1000);
        int frame = 0, wrong = 0;
        for (size_t n; (n = reader.ReadMono(mono.data(), mono.size())) > 0;) {
            for (size_t i = 0; i < n; ++i, ++frame) {
                double expected = 0;
                for (int ch = 0; ch < c.channels; ++ch) expected += SampleValue(frame, ch) / c.channels;
                wrong += std::abs(mono[i] - expected) > 1e-6;
            }
        }
        EXPECT_EQ(std::make_tuple(frame, wrong, reader.Failed()), std::make_tuple(c.framesPresent, 0, false));
    }
}

const std::string kMpeg1 = "\xFF\xFB\x90\x00"s;      // 128 kbit/s, 44.1 kHz, stereo: 417 bytes
const std::string kMpeg1At48 = "\xFF\xFB\x94\x00"s;  // 128 kbit/s, 48 kHz: 384
const std::string kMpeg1Pad = "\xFF\xFB\x96\x40"s;   // the same, padded, joint stereo: 385
const std::string kMpeg1Hi = "\xFF\xFB\xE4\x00"s;    // 320 kbit/s, 48 kHz: 960
const std::string kMpeg1Lo = "\xFF\xFB\x54\x00"s;    // 64 kbit/s, 48 kHz: 192
const std::string kMpeg2Mono = "\xFF\xF3\x80\xC0"s;  // 64 kbit/s, 22.05 kHz, mono: 208
const std::string kMpeg25 = "\xFF\xE3\x48\x00"s;     // 32 kbit/s, 8 kHz, stereo: 288

std::string Frames(const std::string& header, int frameBytes, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += header + std::string(static_cast<size_t>(frameBytes - 4), 0x55);
    return s;
}

// A frame carrying tag at offset (Xing/Info/VBRI), filled to frameBytes.
std::string VbrFrame(const std::string& header, size_t frameBytes, size_t offset, const std::string& tag)
{
    const std::string s = header + std::string(offset - 4, '\0') + tag;
    return s + std::string(frameBytes - s.size(), '\0');
}

std::string Id3Frame(int major, const std::string& id, const std::string& body, int format = 0)
{
    if (major == 2) return id + Be(body.size(), 3) + body;
    return id + (major == 3 ? Be(body.size(), 4) : Syncsafe(body.size())) + '\0' + static_cast<char>(format) + body;
}

std::string Id3Tag(int major, const std::string& frames, int flags = 0)
{
    return "ID3"s + static_cast<char>(major) + '\0' + static_cast<char>(flags) + Syncsafe(frames.size()) + frames;
}

TEST(Mp3Frames, HeadersOfOtherLayersAndReservedValuesAreRefused)
{
    // Layer II, free format, bitrate 15, rate 3, reserved version, reserved emphasis, no sync.
    for (const std::string& refused : {"\xFF\xFD\x90\x00"s, "\xFF\xFB\x00\x00"s, "\xFF\xFB\xF0\x00"s,
                                       "\xFF\xFB\x9C\x00"s, "\xFF\xEB\x90\x00"s, "\xFF\xFB\x90\x02"s,
                                       "\xFE\xFB\x90\x00"s}) {
        Mp3FrameHeader h;
        EXPECT_FALSE(ParseMp3FrameHeader(reinterpret_cast<const uint8_t*>(refused.data()), &h));
    }
}

TEST(Mp3Frames, FramingsGiveTheAudioFramesOnly)
{
    using End = Mp3FrameReader::End;
    std::string vbr;
    for (int i = 0; i < 5; ++i)
        vbr += Frames(kMpeg1At48, 384, 1) + Frames(kMpeg1Pad, 385, 1) + Frames(kMpeg1Hi, 960, 1) +
               Frames(kMpeg1Lo, 192, 1);
    // The second tag's cover picture looks like a run of frames.
    const std::string tags = Id3Tag(3, Id3Frame(3, "TIT2", "\0A"s)) +
                             Id3Tag(4, Id3Frame(4, "APIC", "\0image/jpeg\0\3\0"s + Frames(kMpeg1, 417, 7200)));
    const std::string fakeRun = Frames(kMpeg1, 417, 3) + "not audio";
    const std::string ape = "APETAGEX" + Le(2000, 4) + Le(64, 4) + Le(0, 4) + Le(0xA0000000, 4) + std::string(8, '\0');
    const std::string tails = ape + std::string(32, 'a') + ape + "TAG+" + std::string(223, 'e') + "TAG" +
                              std::string(125, 't');
    const std::string garbage = std::string(100, 'g') + kMpeg1 + std::string(600, 'g');
    const std::string joinTag = Id3Tag(3, Id3Frame(3, "APIC", std::string(100000, '\xFF')));
    struct Case {
        const char* name;
        std::string bytes;
        uint64_t firstOffset;
        int rate;  // of the first audio frame
        uint64_t audioEnd;  // 0: the whole file
        int frames;
        uint32_t frameCount;  // from a VBR header frame
        uint64_t skipped;
        End end;
    };
    const Case cases[] = {
        {"MPEG-1 CBR", Frames(kMpeg1, 417, 20), 0, 44100, 0, 20, 0, 0, End::Clean},
        {"MPEG-1 48 kHz VBR and padding", vbr, 0, 48000, 0, 20, 0, 0, End::Clean},
        {"MPEG-2 mono", Frames(kMpeg2Mono, 208, 12), 0, 22050, 0, 12, 0, 0, End::Clean},
        {"MPEG-2.5 8 kHz", Frames(kMpeg25, 288, 12), 0, 8000, 0, 12, 0, 0, End::Clean},
        {"two tags, a 3 MB picture of fake frames", tags + Frames(kMpeg2Mono, 208, 10), tags.size(), 22050, 0, 10, 0,
         0, End::Clean},
        {"junk with a run of three frames", "junk" + fakeRun + Frames(kMpeg1, 417, 10), 4 + fakeRun.size(), 44100, 0,
         10, 0, 0, End::Clean},
        {"Xing", VbrFrame(kMpeg1, 417, 36, "Xing\0\0\0\x0F\0\0\0\x14"s) + Frames(kMpeg1, 417, 20), 417, 44100, 0, 20,
         20, 0, End::Clean},
        {"Info in MPEG-2 mono",
         VbrFrame(kMpeg2Mono, 208, 13, "Info\0\0\0\x01\0\0\0\x0C"s) + Frames(kMpeg2Mono, 208, 12), 208, 22050, 0, 12,
         12, 0, End::Clean},
        {"VBRI", VbrFrame(kMpeg1, 417, 36, "VBRI\0\1\0\0\0\0\0\0\0\0\0\0\0\x14"s) + Frames(kMpeg1, 417, 20), 417,
         44100, 0, 20, 20, 0, End::Clean},
        {"APE, TAG+ and ID3v1 at the end", Frames(kMpeg1, 417, 10) + tails, 0, 44100, 4170, 10, 0, 0, End::Clean},
        {"garbage with a false sync mid-stream", Frames(kMpeg1, 417, 10) + garbage + Frames(kMpeg1, 417, 10), 0, 44100,
         0, 20, 0, 704, End::Clean},
        {"frames of another rate mid-stream",
         Frames(kMpeg1, 417, 10) + Frames(kMpeg1At48, 384, 5) + Frames(kMpeg1, 417, 10), 0, 44100, 0, 20, 0, 5 * 384,
         End::Clean},
        {"a tag between joined tracks", Frames(kMpeg1, 417, 10) + joinTag + Frames(kMpeg1, 417, 10), 0, 44100, 0, 20,
         0, joinTag.size(), End::Clean},
        {"last frame cut", Frames(kMpeg1, 417, 20).substr(0, 417 * 20 - 100), 0, 44100, 0, 19, 0, 0, End::Truncated},
        {"70 KB of garbage", Frames(kMpeg1, 417, 10) + std::string(70000, 'g') + Frames(kMpeg1, 417, 10), 0, 44100, 0,
         10, 0, 64 * 1024 + 1, End::LostSync},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSource source(c.bytes);
        Mp3StreamInfo info;
        ASSERT_EQ(FindMp3Stream(source, &info), Mp3Status::Ok);
        EXPECT_EQ(std::make_tuple(info.firstFrameOffset, info.first.sampleRate, info.audioEnd, info.frameCount,
                                  info.vbrHeader),
                  std::make_tuple(c.firstOffset, c.rate, c.audioEnd ? c.audioEnd : c.bytes.size(), c.frameCount,
                                  c.frameCount > 0));
        Mp3FrameReader reader(source, info);
        Mp3Frame frame;
        int frames = 0, wrong = 0;
        for (; reader.Next(&frame); ++frames)
            wrong += frame.size != static_cast<size_t>(frame.header.frameBytes) || frame.data[0] != 0xFF ||
                     frame.data[frame.size - 1] != 0x55;
        EXPECT_EQ(std::make_tuple(frames, wrong, reader.Ended()), std::make_tuple(c.frames, 0, c.end));
        // Where the sync is lost depends on the read blocks: at least so much.
        EXPECT_TRUE(c.end == End::LostSync ? reader.BytesSkipped() >= c.skipped : reader.BytesSkipped() == c.skipped)
            << reader.BytesSkipped();
    }
}

// Stretches decoded at once must between them give every frame once: each
// later stretch begins with lead frames that the one before also reads, and
// only those are heard twice.
TEST(Mp3Frames, PartsTogetherHoldEveryFrameOnce)
{
    // Frames told apart by their number, so a frame read twice or missed shows.
    auto numbered = [](const std::vector<std::pair<std::string, int>>& kinds, int count) {
        std::string s;
        for (int i = 0; i < count; ++i) {
            const auto& [header, bytes] = kinds[static_cast<size_t>(i) % kinds.size()];
            s += header + static_cast<char>(i & 0xFF) + static_cast<char>(i >> 8) +
                 std::string(static_cast<size_t>(bytes - 6), 0x55);
        }
        return s;
    };
    const std::string cbr = numbered({{kMpeg1, 417}}, 400);
    const std::string vbr = numbered({{kMpeg1At48, 384}, {kMpeg1Pad, 385}, {kMpeg1Hi, 960}, {kMpeg1Lo, 192}}, 300);
    // Garbage with a false sync where the middle would fall.
    const std::string broken = numbered({{kMpeg1, 417}}, 50).substr(0, 417 * 25) + std::string(300, 'g') + kMpeg1 +
                               std::string(100, 'g') + numbered({{kMpeg1, 417}}, 50).substr(417 * 25);
    const struct {
        const char* name;
        std::string bytes;
        int parts, planned;
    } cases[] = {
        {"CBR in two", cbr, 2, 2},
        {"CBR in four", cbr, 4, 4},
        {"VBR in three", vbr, 3, 3},
        {"MPEG-2 mono, small frames, in two", numbered({{kMpeg2Mono, 208}}, 300), 2, 2},
        {"garbage at the seam", broken, 2, 2},
        {"too short for a lead run", numbered({{kMpeg1, 417}}, 4), 2, 1},
        {"one part", cbr, 1, 1},
    };
    auto numbers = [](ByteSource& source, const Mp3StreamInfo& stream, uint32_t skip) {
        std::vector<int> seen;
        Mp3FrameReader reader(source, stream);
        for (Mp3Frame f; reader.Next(&f);)
            if (skip > 0) --skip;
            else seen.push_back(f.data[4] | f.data[5] << 8);
        EXPECT_EQ(reader.Ended(), Mp3FrameReader::End::Clean);
        return seen;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSource source(c.bytes);
        Mp3StreamInfo info;
        ASSERT_EQ(FindMp3Stream(source, &info), Mp3Status::Ok);
        const std::vector<int> whole = numbers(source, info, 0);
        const std::vector<Mp3Part> plan = PlanMp3Parts(source, info, c.parts);
        ASSERT_EQ(plan.size(), static_cast<size_t>(c.planned));
        std::vector<int> joined;
        for (size_t i = 0; i < plan.size(); ++i) {
            const std::vector<int> heard = numbers(source, plan[i].stream, plan[i].leadFrames);
            EXPECT_GE(heard.size(), whole.size() / static_cast<size_t>(c.parts) / 2);
            joined.insert(joined.end(), heard.begin(), heard.end());
            // The lead covers the bit reservoir: at least 1 KiB of frames.
            if (i > 0) {
                EXPECT_GE(plan[i - 1].stream.audioEnd - plan[i].stream.firstFrameOffset, 1024u);
            }
        }
        EXPECT_EQ(joined, whole);
    }
}

TEST(AudioReaders, HostileInputIsRefused)
{
    const std::string riff = "RIFF\0\0\0\0WAVE"s, data = Chunk("data", std::string(400, '\x10'));
    struct Case {
        const char* name;
        std::string bytes;
        WavStatus wav;
        Mp3Status mp3;
        uint64_t failAfter = UINT64_MAX;
    };
    const Case cases[] = {
        {"empty", "", WavStatus::NotWav, Mp3Status::NotMp3},
        {"3 bytes", "ID3", WavStatus::NotWav, Mp3Status::NotMp3},
        {"text", std::string(5000, 't'), WavStatus::NotWav, Mp3Status::NotMp3},
        {"PNG", "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"s + std::string(3000, '\xFF') + kMpeg1, WavStatus::NotWav,
         Mp3Status::NotMp3},
        {"headers 100 bytes apart", Frames(kMpeg1, 100, 50), WavStatus::NotWav, Mp3Status::NotMp3},
        {"an ID3 tag past the end", "ID3\3\0\0\0\0\x7F\x7F"s + Frames(kMpeg1, 417, 5), WavStatus::NotWav,
         Mp3Status::NotMp3},
        {"RIFF without fmt", riff + data, WavStatus::BadFormat, Mp3Status::NotMp3},
        {"fmt of 0 channels", riff + FmtChunk(1, 0, 16) + data, WavStatus::BadFormat, Mp3Status::NotMp3},
        {"block size that does not fit", riff + FmtChunk(1, 2, 16, 0, 3) + data, WavStatus::BadFormat,
         Mp3Status::NotMp3},
        {"huge chunk before fmt", riff + "LIST\xF0\xFF\xFF\xFF" + FmtChunk(1, 2, 16) + data, WavStatus::BadFormat,
         Mp3Status::NotMp3},
        {"fmt without data", riff + FmtChunk(1, 2, 16), WavStatus::NoData, Mp3Status::NotMp3},
        {"extensible of another sub-format", riff + FmtChunk(0xFFFE, 2, 16, 2) + data, WavStatus::UnsupportedFormat,
         Mp3Status::NotMp3},
        {"MP3 in WAV", riff + FmtChunk(0x55, 2, 0, 0, 1) + Chunk("data", Frames(kMpeg1, 417, 5)),
         WavStatus::UnsupportedFormat, Mp3Status::Ok},
        {"a source that fails", riff + FmtChunk(1, 2, 16) + data, WavStatus::ReadError, Mp3Status::ReadError, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSource source(c.bytes, c.failAfter);
        WavFormat format;
        Mp3StreamInfo info;
        TagTitle title;
        EXPECT_EQ(ReadWavFormat(source, &format), c.wav);
        if (c.wav == WavStatus::UnsupportedFormat) {
            EXPECT_EQ(format.formatTag, c.bytes[20] == 0x55 ? 0x55u : 0xFFFEu);
        }
        EXPECT_EQ(FindMp3Stream(source, &info), c.mp3);
        EXPECT_FALSE(ReadId3Title(source, &title));
    }
}

TEST(AudioReaders, ReadErrorsMidwayAreReported)
{
    TestSource wav(MakeWav({"", 1, 0, 16, 2, 40000, "fd", 0, 40000, false}), 100000);
    WavFormat format;
    ASSERT_EQ(ReadWavFormat(wav, &format), WavStatus::Ok);
    WavSampleReader samples(wav, format);
    std::vector<float> mono(4096);
    uint64_t frames = 0;
    for (size_t n; (n = samples.ReadMono(mono.data(), mono.size())) > 0;) frames += n;
    EXPECT_TRUE(samples.Failed());
    EXPECT_LT(frames, 40000u);

    TestSource mp3(Frames(kMpeg1, 417, 400), 100000);
    Mp3StreamInfo info;
    ASSERT_EQ(FindMp3Stream(mp3, &info), Mp3Status::Ok);
    Mp3FrameReader reader(mp3, info);
    Mp3Frame frame;
    while (reader.Next(&frame)) {
    }
    EXPECT_EQ(reader.Ended(), Mp3FrameReader::End::ReadError);
    EXPECT_LT(reader.FramesRead(), 400u);
}

std::string Unsync(const std::string& s)
{
    std::string out;
    for (char c : s) out += c == '\xFF' ? "\xFF\0"s : std::string(1, c);
    return out;
}

TEST(Id3Title, EncodingsVersionsAndFallbacks)
{
    const std::string gbk = "\xC7\xE7\xCC\xEC";  // two Han characters in GBK
    const std::string v1 = "TAG" + gbk + std::string(26, ' ') + std::string(95, '\0');
    const std::string unsynced = Unsync(Id3Frame(3, "TPE1", "\1\xFF\xFE\xFF\0"s) +
                                        Id3Frame(3, "TIT2", "\1\xFF\xFE\xFF\0" "A\0"s));
    // 256 bytes written as a plain number in a v2.4 tag; read syncsafe it would be 128.
    const std::string plainSized = "TPE1\0\0\x01\0\0\0"s + std::string(256, 'x');
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string unicode;
        std::string legacy;
    };
    const Case cases[] = {
        {"ISO-8859-1 holding GBK", Id3Tag(3, Id3Frame(3, "TIT2", "\0"s + gbk + "  \0"s)), u"", gbk},
        {"UTF-16 little-endian", Id3Tag(3, Id3Frame(3, "TIT2", "\1\xFF\xFEH\0i\0\0\0"s)), u"Hi", ""},
        {"UTF-16 big-endian mark", Id3Tag(3, Id3Frame(3, "TIT2", "\1\xFE\xFF\0H\0i"s)), u"Hi", ""},
        {"UTF-16BE", Id3Tag(4, Id3Frame(4, "TIT2", "\2\x66\x74\x59\x29"s)), u"\u6674\u5929", ""},
        {"UTF-8, a pair, broken bytes",
         Id3Tag(4, Id3Frame(4, "TIT2", "\3A\xF0\x9F\x8E\xB5\xC3" "B\xE6\x99\xB4\xC0\x80 \0Second"s)),
         u"A\U0001F3B5\uFFFDB\u6674\uFFFD\uFFFD", ""},
        {"v2.2", Id3Tag(2, Id3Frame(2, "TP1", "\0Band"s) + Id3Frame(2, "TT2", "\0Old"s)), u"", "Old"},
        {"v2.3 unsynchronised", Id3Tag(3, unsynced, 0x80), u"\u00FFA", ""},
        {"v2.4 frame unsynchronised, data length",
         Id3Tag(4, Id3Frame(4, "TIT2", "\0\0\0\x07"s + Unsync("\1\xFF\xFE\xFF\0A\0"s), 0x03)), u"\u00FFA", ""},
        {"v2.4 with a plain size", Id3Tag(4, plainSized + Id3Frame(4, "TIT2", "\3Plain"s)), u"Plain", ""},
        {"extended header, 3 MB picture first",
         Id3Tag(3, "\0\0\0\x06\0\0\0\0\0\0"s + Id3Frame(3, "APIC", std::string(3 << 20, '\xFF')) +
                       Id3Frame(3, "TIT2", "\0Big"s), 0x40),
         u"", "Big"},
        {"v2.4 extended header", Id3Tag(4, "\0\0\0\x06\x01\0"s + Id3Frame(4, "TIT2", "\3X"s), 0x40), u"X", ""},
        {"empty v2 title, v1 taken", Id3Tag(3, Id3Frame(3, "TIT2", "\0  "s)) + v1, u"", gbk},
        {"v2 before v1", Id3Tag(4, Id3Frame(4, "TIT2", "\3V2"s)) + v1, u"V2", ""},
        {"v1 alone", "audio" + v1, u"", gbk},
        {"no tag", std::string(300, 'x'), u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSource source(c.bytes);
        TagTitle title;
        EXPECT_EQ(ReadId3Title(source, &title), !c.unicode.empty() || !c.legacy.empty());
        EXPECT_EQ(std::tie(title.unicode, title.legacy), std::tie(c.unicode, c.legacy));
        EXPECT_LT(source.bytesRead, 256u * 1024);  // a picture is passed over, not read
    }
}

}  // namespace
}  // namespace orv
