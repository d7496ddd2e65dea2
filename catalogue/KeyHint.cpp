#include "catalogue/KeyHint.h"

#include <array>

namespace orv {

namespace {

constexpr int kNaturalPitch[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMajorSteps[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr char kLetters[] = "CDEFGAB";
const char* const kEffectNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// GBK, spelled out: this layer is also built by a compiler without GBK as
// its execution character set.
const char kEffectLabel[] = "\xD0\xA7\xB9\xFB\xC6\xF7: ";         // 效果器:
const char kScaleLabel[] = "\xD2\xF4\xBD\xD7: ";                    // 音阶:
const char kShiftLabel[] = "\xC9\xFD\xBD\xB5\xB5\xF7: ";            // 升降调:

int Mod12(int v) { return (v % 12 + 12) % 12; }

struct Note {
    int letter;
    int alter;  // -2 .. +2
};

int PitchOf(Note n) { return Mod12(kNaturalPitch[n.letter] + n.alter); }

int AlterFor(int letter, int pitch)
{
    const int a = Mod12(pitch - kNaturalPitch[letter]);
    return a > 6 ? a - 12 : a;
}

using Scale = std::array<Note, 7>;

Scale MajorScale(Note tonic)
{
    Scale s{};
    for (int k = 0; k < 7; ++k) {
        const int letter = (tonic.letter + k) % 7;
        s[k] = {letter, AlterFor(letter, PitchOf(tonic) + kMajorSteps[k])};
    }
    return s;
}

bool NeedsDoubleSigns(const Scale& s)
{
    for (const Note& n : s)
        if (n.alter > 1 || n.alter < -1) return true;
    return false;
}

// The scale the effect is set to, in the signature of the key as written.
// A written key whose signature would need double signs (G#, D#, A#, E#,
// B#, Fb major) is spelled as its enharmonic twin, whose signature needs none.
Scale ScaleOnTheEffect(const SongKey& key)
{
    Note tonic{key.letter, key.accidental};
    if (key.minor) {
        const int letter = (tonic.letter + 2) % 7;  // the relative major, a minor third up
        tonic = {letter, AlterFor(letter, PitchOf(tonic) + 3)};
    }
    Scale s = MajorScale(tonic);
    if (NeedsDoubleSigns(s) && tonic.alter != 0) {
        const int letter = (tonic.letter + (tonic.alter > 0 ? 1 : 6)) % 7;
        s = MajorScale({letter, AlterFor(letter, PitchOf(tonic))});
    }
    return s;
}

std::string NoteName(Note n, bool signAfter)
{
    const std::string sign = n.alter > 0 ? "#" : n.alter < 0 ? "b" : "";
    const std::string letter(1, kLetters[n.letter]);
    return signAfter ? letter + sign : sign + letter;
}

}  // namespace

std::string KeyHintText(const SongKey& key)
{
    const Scale scale = ScaleOnTheEffect(key);
    const int effect = PitchOf(scale[0]);
    std::string text = kEffectLabel;
    text += kEffectNames[effect];
    // The minor's own name is the sixth note of its relative major.
    if (key.minor) text += " (" + NoteName(scale[5], key.accidentalAfter) + "m)";
    text += "\r\n";
    text += kScaleLabel;
    for (int k = 0; k < 7; ++k) text += (k ? " " : "") + NoteName(scale[k], key.accidentalAfter);
    text += "\r\n";
    text += kShiftLabel;
    text += std::string("-2 ") + kEffectNames[Mod12(effect - 2)] + "  -1 " + kEffectNames[Mod12(effect - 1)] + "  +1 " +
            kEffectNames[Mod12(effect + 1)] + "  +2 " + kEffectNames[Mod12(effect + 2)];
    return text;
}

}  // namespace orv
