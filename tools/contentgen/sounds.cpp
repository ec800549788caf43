// The fifteen sounds of the sound table, synthesised: creature voices from
// buzzing sources through vowel-like filters, water and wind from filtered
// noise, and two short tunes. Mono, 16-bit, 44100 Hz; every sound fades in
// and out and peaks at -1.5 dBFS.
#include "content_generator.h"
#include "content_files.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr float Pi = 3.14159265f;

using Samples = std::vector<float>;

Samples silence(float seconds)
{
    return Samples(size_t(seconds * Rate), 0.0f);
}

struct BandPass {
    float b0 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    void tune(float centre, float q)
    {
        float w = 2 * Pi * std::clamp(centre, 20.0f, Rate * 0.45f) / Rate;
        float alpha = std::sin(w) / (2 * q);
        float a0 = 1 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2 * std::cos(w) / a0;
        a2 = (1 - alpha) / a0;
    }
    float run(float x)
    {
        float y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

struct LowPass {
    float y = 0;
    float run(float x, float cutoff)
    {
        float k = 1 - std::exp(-2 * Pi * cutoff / Rate);
        y += (x - y) * k;
        return y;
    }
};

// Attack, then an exponential-ish fall to the end.
float envelope(float t, float length, float attack, float release)
{
    float a = std::min(1.0f, t / std::max(attack, 1e-4f));
    float r = std::min(1.0f, (length - t) / std::max(release, 1e-4f));
    return std::max(0.0f, a * r);
}

// Sawtooth with a little pulse mixed in: a buzzing voice source.
struct Buzz {
    float phase = 0;
    float run(float frequency)
    {
        phase += frequency / Rate;
        phase -= std::floor(phase);
        return (2 * phase - 1) * 0.7f + (phase < 0.3f ? 0.3f : -0.13f);
    }
};

// A voice: the buzz at a pitch that follows `pitch`, shaped by two formants
// that move from one vowel to another, roughened by `growl` (amplitude
// flutter), with breath noise.
Samples voice(float seconds, float (*pitch)(float), float f1a, float f2a, float f1b, float f2b, float growl,
              float breath, float attack, float release, uint32_t seed)
{
    Samples out = silence(seconds);
    Buzz buzz;
    BandPass one, two;
    LowPass chest;
    Lcg rng(seed);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / Rate, u = t / seconds;
        float src = buzz.run(pitch(u)) + (rng.unit() - 0.5f) * breath;
        one.tune(f1a + (f1b - f1a) * u, 5);
        two.tune(f2a + (f2b - f2a) * u, 6);
        // The low chest resonance gives the big creatures their weight.
        float s = one.run(src) * 1.0f + two.run(src) * 0.6f + chest.run(src, 250) * 0.5f;
        float flutter = 1 - growl * (0.5f + 0.5f * std::sin(2 * Pi * 28 * t + 3 * std::sin(2 * Pi * 3 * t)));
        out[i] = s * flutter * envelope(t, seconds, attack, release);
    }
    return out;
}

// Fades both ends (no clicks), removes any offset and sets the peak.
Samples finish(Samples s, float fadeIn = 0.005f, float fadeOut = 0.04f)
{
    float mean = 0;
    for (float v : s)
        mean += v;
    mean /= float(std::max<size_t>(1, s.size()));
    for (float& v : s)
        v -= mean;
    size_t in = size_t(fadeIn * Rate), out = size_t(fadeOut * Rate);
    for (size_t i = 0; i < s.size(); ++i) {
        float g = 1;
        if (i < in)
            g *= 0.5f - 0.5f * std::cos(Pi * float(i) / float(in));
        size_t fromEnd = s.size() - 1 - i;
        if (fromEnd < out)
            g *= 0.5f - 0.5f * std::cos(Pi * float(fromEnd) / float(out));
        s[i] *= g;
    }
    s.front() = 0;
    s.back() = 0;
    float peak = 0;
    for (float v : s)
        peak = std::max(peak, std::fabs(v));
    const float target = 0.8414f;   // -1.5 dBFS
    if (peak > 0)
        for (float& v : s)
            v *= target / peak;
    return s;
}

float orcPitch(float u) { return 95 - 25 * u; }
float orcDiePitch(float u) { return 115 - 70 * u * u + 6 * std::sin(u * 40); }
float zombiePitch(float u) { return 135 + 10 * std::sin(u * 2 * Pi * 5 * 1.8f) - 20 * u; }
float zombieDiePitch(float u) { return 150 - 95 * u + 8 * std::sin(u * 60); }
float shriekPitch(float u) { return 1350 - 900 * u + 60 * std::sin(u * 90); }
float fightPitch(float u) { return 850 + 450 * u + 80 * std::sin(u * 70); }

Samples wind()
{
    const float seconds = 4.0f;
    Samples out = silence(seconds);
    Lcg rng(201);
    BandPass band, band2;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / Rate;
        float gust = 0.55f + 0.45f * std::sin(2 * Pi * 0.35f * t - 1.2f) * std::sin(2 * Pi * 0.13f * t + 0.4f);
        band.tune(420 + 380 * gust + 60 * std::sin(2 * Pi * 1.7f * t), 4.0f);
        band2.tune(1300 + 500 * gust, 8.0f);
        float n = rng.unit() - 0.5f;
        out[i] = (band.run(n) + 0.35f * band2.run(n)) * (0.3f + gust) * envelope(t, seconds, 0.7f, 0.9f);
    }
    return finish(out, 0.05f, 0.2f);
}

Samples bubbles()
{
    const float seconds = 1.6f;
    Samples out = silence(seconds);
    Lcg rng(202);
    for (int b = 0; b < 16; ++b) {
        float start = rng.between(0.02f, seconds - 0.15f);
        float f0 = rng.between(380, 1100), life = rng.between(0.04f, 0.09f), level = rng.between(0.4f, 1.0f);
        float phase = 0;
        for (size_t i = size_t(start * Rate); i < out.size(); ++i) {
            float t = float(i) / Rate - start;
            if (t > life * 3)
                break;
            // A bubble's pitch rises as it shrinks toward the surface.
            phase += f0 * (1 + 2.5f * t / life * 0.3f) / Rate;
            float env = std::min(1.0f, t / 0.003f) * std::exp(-t / life);
            out[i] += std::sin(2 * Pi * phase) * env * level;
        }
    }
    return finish(out);
}

// Water hit: a burst of hissing noise, a low body, then falling droplets.
Samples splash(float seconds, float brightness, float drops, uint32_t seed)
{
    Samples out = silence(seconds);
    Lcg rng(seed);
    BandPass hiss;
    LowPass body;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / Rate;
        float n = rng.unit() - 0.5f;
        hiss.tune(brightness * (1.0f - 0.5f * std::min(1.0f, t / 0.4f)), 0.8f);
        float burst = std::min(1.0f, t / 0.008f) * std::exp(-t / 0.16f);
        float low = body.run(n, 300) * 3.0f * std::exp(-t / 0.08f);
        out[i] = hiss.run(n) * burst * 1.6f + low;
    }
    int count = int(drops);
    for (int d = 0; d < count; ++d) {
        float start = rng.between(0.12f, seconds - 0.12f);
        float f = rng.between(1400, 3200), level = rng.between(0.1f, 0.3f);
        for (size_t i = size_t(start * Rate); i < out.size() && float(i) / Rate < start + 0.06f; ++i) {
            float t = float(i) / Rate - start;
            out[i] += std::sin(2 * Pi * f * (1 + 3 * t) * t) * std::exp(-t / 0.015f) * level;
        }
    }
    return finish(out);
}

// A rushing whoosh that ends in a thump on the ground.
Samples fall()
{
    const float seconds = 0.9f;
    Samples out = silence(seconds);
    Lcg rng(203);
    BandPass sweep;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / Rate, u = t / 0.65f;
        float n = rng.unit() - 0.5f;
        sweep.tune(2200 * std::pow(0.15f, std::min(u, 1.0f)), 2.0f);
        float whoosh = u < 1 ? std::sin(Pi * u) : 0;
        float thudT = t - 0.65f;
        float thud = thudT > 0 ? std::sin(2 * Pi * (70 - 30 * thudT) * thudT) * std::exp(-thudT / 0.06f) * 0.9f : 0;
        out[i] = sweep.run(n) * whoosh * 2.2f + thud;
    }
    return finish(out);
}

// Goblin chatter: quick nasal syllables at jumping pitches.
Samples chatter(float seconds, int syllables, float low, float high, float rise, uint32_t seed)
{
    Samples out = silence(seconds);
    Lcg rng(seed);
    float slot = seconds / float(syllables);
    for (int s = 0; s < syllables; ++s) {
        float start = float(s) * slot + rng.between(0, slot * 0.2f);
        float len = slot * rng.between(0.5f, 0.75f);
        float f = rng.between(low, high);
        Buzz buzz;
        BandPass nasal, bright;
        nasal.tune(rng.between(900, 1300), 4);
        bright.tune(rng.between(2200, 2800), 6);
        for (size_t i = size_t(start * Rate); i < out.size() && float(i) / Rate < start + len; ++i) {
            float t = float(i) / Rate - start;
            float src = buzz.run(f * (1 + rise * t / len));
            float env = std::sin(Pi * t / len);
            out[i] += (nasal.run(src) + 0.5f * bright.run(src)) * env;
        }
    }
    return finish(out);
}

Samples shriek(float seconds, float (*pitch)(float), float noise, uint32_t seed)
{
    Samples out = silence(seconds);
    Lcg rng(seed);
    Buzz buzz;
    BandPass formant, air;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / Rate, u = t / seconds;
        float f = pitch(u);
        float src = buzz.run(f) + (rng.unit() - 0.5f) * noise;
        formant.tune(f * 2.2f, 3);
        air.tune(3000, 2);
        float rough = 1 - 0.35f * (0.5f + 0.5f * std::sin(2 * Pi * 45 * t));
        out[i] = (formant.run(src) + 0.3f * air.run(src)) * rough * envelope(t, seconds, 0.02f, seconds * 0.5f);
    }
    return finish(out);
}

// ---- tunes ----

float noteFrequency(int semitonesFromA4)
{
    return 440.0f * std::pow(2.0f, float(semitonesFromA4) / 12.0f);
}

// A plucked, harp-like note added into the buffer.
void pluck(Samples& out, float start, float length, float frequency, float level)
{
    size_t first = size_t(start * Rate);
    size_t last = std::min(out.size(), size_t((start + length) * Rate));
    for (size_t i = first; i < last; ++i) {
        float t = float(i) / Rate - start;
        float env = std::min(1.0f, t / 0.006f) * std::exp(-t * 2.2f) * std::min(1.0f, (length - t) / 0.05f);
        float s = std::sin(2 * Pi * frequency * t) + 0.35f * std::sin(4 * Pi * frequency * t) * std::exp(-t * 4) +
                  0.15f * std::sin(6 * Pi * frequency * t) * std::exp(-t * 6);
        out[i] += s * env * level;
    }
}

// A soft held tone for the bass line.
void pad(Samples& out, float start, float length, float frequency, float level)
{
    size_t first = size_t(start * Rate);
    size_t last = std::min(out.size(), size_t((start + length) * Rate));
    for (size_t i = first; i < last; ++i) {
        float t = float(i) / Rate - start;
        float env = std::min(1.0f, t / 0.15f) * std::min(1.0f, (length - t) / 0.25f);
        float s = std::sin(2 * Pi * frequency * t) + 0.25f * std::sin(2 * Pi * frequency * 2.003f * t);
        out[i] += s * env * level;
    }
}

void bell(Samples& out, float start, float length, float frequency, float level)
{
    size_t first = size_t(start * Rate);
    size_t last = std::min(out.size(), size_t((start + length) * Rate));
    const float partials[4][2] = {{1.0f, 1.0f}, {2.76f, 0.4f}, {5.4f, 0.2f}, {8.93f, 0.1f}};
    for (size_t i = first; i < last; ++i) {
        float t = float(i) / Rate - start;
        float s = 0;
        for (const auto& p : partials)
            s += std::sin(2 * Pi * frequency * p[0] * t) * p[1] * std::exp(-t * (1.5f + p[0]));
        float env = std::min(1.0f, t / 0.003f) * std::min(1.0f, (length - t) / 0.05f);
        out[i] += s * env * level;
    }
}

// A short minstrel's air in D minor: melody over a slow bass, about 12 s.
Samples intro()
{
    const float beat = 0.3f;
    // Semitones from A4; 99 is a rest. Two beats per entry where marked long.
    const int melody[] = {-7, -4, 0, 5, 3, 0, -4, -2, 0, -2, -4, -5, -7, 99,
                          -7, -4, 0, 5, 7, 8, 7, 3, 5, 3, 0, -2, 0, -4, -7, 99};
    const float lengths[] = {1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1,
                             1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 3, 1};
    const int bass[] = {-31, -31, -26, -24, -31, -26, -24, -31};
    float total = 0;
    for (float l : lengths)
        total += l * beat;
    Samples out = silence(total + 1.2f);
    float t = 0.3f;
    for (size_t i = 0; i < sizeof(melody) / sizeof(melody[0]); ++i) {
        if (melody[i] != 99)
            pluck(out, t, lengths[i] * beat + 0.8f, noteFrequency(melody[i]), 0.5f);
        t += lengths[i] * beat;
    }
    float barLength = total / 8.0f;
    for (int b = 0; b < 8; ++b)
        pad(out, 0.3f + float(b) * barLength, barLength, noteFrequency(bass[b]), 0.22f);
    return finish(out, 0.02f, 0.4f);
}

// The key found: a rising major arpeggio of bells and a ringing chord.
Samples foundKey()
{
    Samples out = silence(3.0f);
    const int notes[] = {3, 7, 10, 15, 19};
    for (int i = 0; i < 5; ++i)
        bell(out, 0.05f + float(i) * 0.13f, 2.4f, noteFrequency(notes[i]), 0.35f);
    for (int n : {15, 19, 22})
        bell(out, 0.75f, 2.2f, noteFrequency(n), 0.28f);
    return finish(out, 0.003f, 0.3f);
}

bool writeWav(const std::string& root, const char* name, const Samples& s)
{
    return writeContentFile(root, std::string("Sounds/") + name + ".wav", encodeWav(s, Rate));
}

}

bool writeSounds(const std::string& root)
{
    bool ok = true;
    // Orc: a short low grunt; its death a long falling growl.
    ok = writeWav(root, "Orc", finish(voice(0.7f, orcPitch, 550, 950, 450, 800, 0.5f, 0.4f, 0.03f, 0.3f, 101))) && ok;
    ok = writeWav(root, "OrcDie", finish(voice(1.5f, orcDiePitch, 700, 1150, 400, 800, 0.7f, 0.6f, 0.02f, 0.8f, 102))) && ok;
    ok = writeWav(root, "Wind", wind()) && ok;
    ok = writeWav(root, "Bubbles", bubbles()) && ok;
    // Zombie: a slow hollow moan, "oo" opening to "aa".
    ok = writeWav(root, "Zombie", finish(voice(1.8f, zombiePitch, 320, 800, 700, 1100, 0.15f, 0.8f, 0.25f, 0.6f, 103))) && ok;
    ok = writeWav(root, "ZombieDie", finish(voice(1.8f, zombieDiePitch, 700, 1100, 300, 700, 0.6f, 1.0f, 0.05f, 0.9f, 104))) && ok;
    ok = writeWav(root, "Splash", splash(1.1f, 1800, 10, 105)) && ok;
    ok = writeWav(root, "SplashOut", splash(0.7f, 3200, 6, 106)) && ok;
    ok = writeWav(root, "Fall", fall()) && ok;
    ok = writeWav(root, "Goblin", chatter(0.8f, 6, 550, 850, 0.2f, 107)) && ok;
    ok = writeWav(root, "Goblin2", chatter(0.7f, 5, 750, 1050, 0.5f, 108)) && ok;
    ok = writeWav(root, "GoblinDie", shriek(0.9f, shriekPitch, 0.3f, 109)) && ok;
    ok = writeWav(root, "GoblinFight", shriek(0.6f, fightPitch, 0.8f, 110)) && ok;
    ok = writeWav(root, "Intro", intro()) && ok;
    ok = writeWav(root, "FoundKey", foundKey()) && ok;
    return ok;
}
