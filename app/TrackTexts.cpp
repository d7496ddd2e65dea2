#include "app/TrackTexts.h"

#include <windows.h>

#include "catalogue/KeyHint.h"

namespace orv {

const char kTrackBoxCaption[] = "Orvane";
const char kSupportedFormats[] =
    "支持的格式：MP3（MPEG-1/2/2.5 Layer III，CBR 或 VBR）和 WAV（PCM 8/16/24/32 位或浮点）。";

namespace {

// Shown, not stored: a character GBK lacks becomes "?".
std::string ShownName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.empty()) return std::string();
    const int n = WideCharToMultiByte(936, 0, name.data(), static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(936, 0, name.data(), static_cast<int>(name.size()), &out[0], n, "?", nullptr);
    return out;
}

std::string Number(long long v) { return std::to_string(v); }

std::string HexTag(uint32_t tag)
{
    char buf[16];
    wsprintfA(buf, "0x%04X", static_cast<unsigned>(tag));
    return buf;
}

std::string NoKeyReason(const KeyEstimate& e)
{
    switch (e.verdict) {
    case KeyEstimate::Verdict::Silent: return "文件里几乎没有声音。";
    case KeyEstimate::Verdict::TooShort:
        return "有声音的部分太短（约 " + Number(static_cast<long long>(e.secondsHeard + 0.5)) + " 秒），不足以判断。";
    default: return "没有哪个调突出（可能是噪声、只有鼓声，或没有调性）。";
    }
}

std::string FailureText(const TrackReport& r)
{
    using O = TrackReport::Outcome;
    switch (r.outcome) {
    case O::Missing: return "找不到这个文件。";
    case O::Folder: return "这是一个文件夹。";
    case O::CannotOpen:
        return "无法打开这个文件（可能正被其他程序占用，或没有读取权限）。系统错误代码：" + Number(r.systemError);
    case O::Empty: return "这是一个空文件（0 字节）。";
    case O::TooLarge: return "文件超过 1 GB，不作分析。";
    case O::NotAudio: return std::string("这不是可识别的音频文件。\r\n") + kSupportedFormats;
    case O::UnsupportedWav:
        return "这个 WAV 文件的编码（格式代码 " + HexTag(r.formatTag) + "）不受支持。\r\n" + kSupportedFormats;
    case O::BadWav: return "这个 WAV 文件已损坏，读不出声音数据。";
    case O::NoDecoder: return "系统中没有 MP3 解码器（MPEG Layer-3 ACM 编解码器），无法分析 MP3；WAV 文件仍可分析。";
    case O::DecodeFailed: return "MP3 解码失败，文件可能已损坏。";
    case O::ReadFailed: return "读取文件时出错（文件可能已被移走或删除，或网络中断）。系统错误代码：" + Number(r.systemError);
    case O::TimedOut: return "读取文件超时（网络位置没有响应）。";
    case O::Stopped: return "分析已停止。";
    default: return std::string();
    }
}

}  // namespace

std::string CatalogueTitle(const std::wstring& title)
{
    std::string out;
    for (size_t i = 0; i < title.size(); ++i) {
        const size_t units = (IS_HIGH_SURROGATE(title[i]) && i + 1 < title.size()) ? 2 : 1;
        char bytes[8];
        BOOL lacked = FALSE;
        const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, title.data() + i, static_cast<int>(units), bytes,
                                          sizeof bytes, nullptr, &lacked);
        if (n > 0 && !lacked) out.append(bytes, static_cast<size_t>(n));
        i += units - 1;
    }
    // What was left out may leave spaces side by side, or at the ends.
    std::string tidy;
    for (char c : out) {
        if (c == ' ' && (tidy.empty() || tidy.back() == ' ')) continue;
        tidy += c;
    }
    while (!tidy.empty() && tidy.back() == ' ') tidy.pop_back();
    return tidy.empty() ? std::string("未命名歌曲") : tidy;
}

std::string EntryFor(const std::string& title, int signature)
{
    return title + " " + CatalogueKeyName(signature) + "调";
}

std::string TonicName(const SongKey& key)
{
    const std::string sign = key.accidental > 0 ? "#" : key.accidental < 0 ? "b" : "";
    return sign + "CDEFGAB"[key.letter % 7];
}

int SignatureOf(const SongKey& key) { return key.minor ? (key.pitch + 3) % 12 : key.pitch; }

int SemitonesFrom(int catalogueSignature, int trackSignature)
{
    int d = ((trackSignature - catalogueSignature) % 12 + 12) % 12;
    return d > 6 ? d - 12 : d;
}

std::string ProgressCaption(int next, int total)
{
    return total > 1 ? "正在分析 " + Number(next) + "/" + Number(total) + " …" : std::string("正在分析 …");
}

std::string FolderWithoutTracksText(const std::wstring& folder)
{
    return "文件夹“" + ShownName(folder) + "”中没有 MP3 或 WAV 文件。\r\n" + kSupportedFormats;
}

std::string ShortFailure(const TrackReport& r)
{
    using O = TrackReport::Outcome;
    switch (r.outcome) {
    case O::NoKey: return "听不出调";
    case O::NotAudio: return "不是音频文件";
    case O::UnsupportedWav: return "WAV 编码不受支持";
    case O::Empty: return "空文件";
    case O::TooLarge: return "超过 1 GB";
    case O::Missing: return "找不到文件";
    case O::CannotOpen: return "无法打开";
    case O::TimedOut: return "读取超时";
    case O::NoDecoder: return "系统无 MP3 解码器";
    case O::Stopped: return "已停止";
    default: return "文件损坏或读取出错";
    }
}

std::string SingleTrackText(const std::wstring& path, const TrackReport& report, const std::string& title,
                            const std::optional<CatalogueMatch>& match)
{
    std::string text = "文件：" + ShownName(path) + "\r\n";
    if (report.outcome == TrackReport::Outcome::NoKey) {
        return text + "听不出明确的调，没有做任何改动。\r\n" + NoKeyReason(report.estimate);
    }
    if (report.outcome != TrackReport::Outcome::Key) return text + FailureText(report);

    const KeyEstimate& e = report.estimate;
    text += KeyHintText(e.key) + "\r\n";
    if (match && match->key) {
        const int shift = SemitonesFrom(SignatureOf(*match->key), e.signature);
        text += "目录中为 " + match->keyText + "，";
        if (shift == 0) text += "与此伴奏一致。\r\n";
        else text += std::string("此伴奏") + (shift > 0 ? "升" : "降") + "了 " + Number(shift > 0 ? shift : -shift) +
                     " 个半音。\r\n";
    } else if (match) {
        text += "目录中已有“" + match->entry + "”，未写调。\r\n";
    }
    if (report.incomplete) text += "文件不完整，只分析了能读到的部分。\r\n";
    text += "已在输入框填好：" + EntryFor(title, e.signature) + "\r\n按“保存”即可加入歌曲库。";
    return text;
}

}  // namespace orv
