// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/SoundSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kRate = static_cast<float>(SoundSynth::kSampleRate);

// Mono working buffer of a given length in seconds.
std::vector<float> Silence(float seconds) { return std::vector<float>(static_cast<std::size_t>(seconds * kRate), 0.0f); }

// A small deterministic noise source, so every build makes the same sounds.
class Noise {
public:
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }

private:
    std::uint32_t state = 0x9E3779B9u;
};

// Adds a decaying sine from `start` seconds on.
void AddPing(std::vector<float>& out, float start, float freq, float amplitude, float decaySeconds)
{
    std::size_t first = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = first; i < out.size(); ++i) {
        float t = static_cast<float>(i - first) / kRate;
        float env = std::exp(-t / decaySeconds);
        if (env < 1e-4f) break;
        float attack = std::min(1.0f, t / 0.0006f);  // 0.6 ms rise: no click
        out[i] += amplitude * attack * env * std::sin(2.0f * kPi * freq * t);
    }
}

// Adds a burst of noise through a two-pole band-pass filter, decaying fast.
void AddNoiseBurst(std::vector<float>& out, float start, float centre, float q, float amplitude, float decaySeconds,
                   Noise& noise)
{
    float w = 2.0f * kPi * centre / kRate;
    float alpha = std::sin(w) / (2.0f * q);
    float b0 = alpha, b2 = -alpha, a0 = 1 + alpha, a1 = -2 * std::cos(w), a2 = 1 - alpha;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    std::size_t first = static_cast<std::size_t>(start * kRate);
    for (std::size_t i = first; i < out.size(); ++i) {
        float t = static_cast<float>(i - first) / kRate;
        float env = std::exp(-t / decaySeconds);
        if (env < 1e-4f) break;
        float x = noise.Next();
        float y = (b0 * x + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        out[i] += amplitude * env * y;
    }
}

// A brass-like voice: harmonics whose brightness opens with the attack,
// a gentle delayed vibrato and a second voice a few cents sharp.
void AddBrassNote(std::vector<float>& out, float start, float duration, float freq, float amplitude)
{
    const float release = 0.14f;
    std::size_t first = static_cast<std::size_t>(start * kRate);
    std::size_t last = std::min(out.size(), static_cast<std::size_t>((start + duration + release) * kRate));
    float phase[2][12] = {};
    for (std::size_t i = first; i < last; ++i) {
        float t = static_cast<float>(i - first) / kRate;
        float env;
        if (t < 0.018f)
            env = t / 0.018f;
        else if (t < duration)
            env = 0.78f + 0.22f * std::exp(-(t - 0.018f) / 0.09f);
        else
            env = 0.78f * std::exp(-(t - duration) / (release / 4.0f));
        float bright = 0.35f + 0.5f * std::min(1.0f, t / 0.05f) - 0.12f * std::min(1.0f, t / 0.6f);
        float vibrato = 1.0f + 0.0035f * std::min(1.0f, std::max(0.0f, t - 0.2f) / 0.3f) * std::sin(2 * kPi * 5.5f * t);
        float sample = 0;
        for (int voice = 0; voice < 2; ++voice) {
            float f = freq * vibrato * (voice ? 1.0017f : 1.0f);
            float weight = 1.0f;
            for (int k = 0; k < 12; ++k) {
                float harmonicFreq = f * static_cast<float>(k + 1);
                if (harmonicFreq > 14000.0f) break;
                phase[voice][k] += 2 * kPi * harmonicFreq / kRate;
                if (phase[voice][k] > 2 * kPi) phase[voice][k] -= 2 * kPi;
                sample += weight * std::sin(phase[voice][k]) / static_cast<float>(k + 1);
                weight *= bright;
            }
        }
        out[i] += amplitude * env * sample * 0.5f;
    }
}

// A light Schroeder reverb; the two channels use different delays so the
// tail spreads across the stereo field.
std::vector<float> Reverb(const std::vector<float>& dry, bool rightChannel)
{
    const float combMs[2][4] = {{29.7f, 37.1f, 41.1f, 43.7f}, {31.3f, 35.9f, 42.7f, 45.1f}};
    std::vector<float> wet(dry.size(), 0.0f);
    for (float ms : combMs[rightChannel ? 1 : 0]) {
        std::size_t delay = static_cast<std::size_t>(ms * kRate / 1000.0f);
        std::vector<float> line(dry.size(), 0.0f);
        for (std::size_t i = 0; i < dry.size(); ++i) {
            float fed = i >= delay ? line[i - delay] : 0.0f;
            line[i] = dry[i] + 0.72f * fed;
            wet[i] += fed * 0.25f;
        }
    }
    for (float ms : {5.0f, 1.7f}) {
        std::size_t delay = static_cast<std::size_t>(ms * kRate / 1000.0f);
        std::vector<float> out(wet.size(), 0.0f);
        for (std::size_t i = 0; i < wet.size(); ++i) {
            float delayedIn = i >= delay ? wet[i - delay] : 0.0f;
            float delayedOut = i >= delay ? out[i - delay] : 0.0f;
            out[i] = -0.6f * wet[i] + delayedIn + 0.6f * delayedOut;
        }
        wet.swap(out);
    }
    return wet;
}

// Short linear fades at both ends.
void Fade(std::vector<float>& mono, float fadeInSeconds, float fadeOutSeconds)
{
    std::size_t fadeIn = static_cast<std::size_t>(fadeInSeconds * kRate);
    std::size_t fadeOut = static_cast<std::size_t>(fadeOutSeconds * kRate);
    for (std::size_t i = 0; i < fadeIn && i < mono.size(); ++i) mono[i] *= static_cast<float>(i) / fadeIn;
    for (std::size_t i = 0; i < fadeOut && i < mono.size(); ++i) mono[mono.size() - 1 - i] *= static_cast<float>(i) / fadeOut;
}

// Scales every sample by one gain so that the loudest sits at `peak`; one
// gain for both channels keeps the stereo image where it was.
void Normalise(std::vector<float>& samples, float peak)
{
    float loudest = 0;
    for (float s : samples) loudest = std::max(loudest, std::fabs(s));
    if (loudest > 0)
        for (float& s : samples) s *= peak / loudest;
}

std::vector<float> ToStereo(const std::vector<float>& left, const std::vector<float>& right)
{
    std::vector<float> frames(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        frames[2 * i] = left[i];
        frames[2 * i + 1] = right[i];
    }
    return frames;
}

}  // namespace

std::vector<float> SoundSynth::HoverClick()
{
    std::vector<float> mono = Silence(0.07f);
    Noise noise;
    AddPing(mono, 0.0f, 2200.0f, 0.5f, 0.012f);
    AddPing(mono, 0.0f, 1150.0f, 0.35f, 0.02f);
    AddNoiseBurst(mono, 0.0f, 4500.0f, 1.2f, 0.25f, 0.0015f, noise);
    Fade(mono, 0.0005f, 0.01f);
    // Loud enough to be heard over the music, which the game plays at half volume.
    Normalise(mono, 0.95f);
    return ToStereo(mono, mono);
}

std::vector<float> SoundSynth::PieceSnap()
{
    std::vector<float> mono = Silence(0.26f);
    Noise noise;
    // The snap: a bright crack, then the settle a moment later.
    AddNoiseBurst(mono, 0.0f, 3200.0f, 0.9f, 1.0f, 0.0035f, noise);
    AddNoiseBurst(mono, 0.018f, 2400.0f, 1.1f, 0.45f, 0.003f, noise);
    // The knock: the wooden body of the table under the pieces.
    AddPing(mono, 0.0f, 190.0f, 0.55f, 0.045f);
    AddPing(mono, 0.0f, 430.0f, 0.35f, 0.028f);
    AddPing(mono, 0.0f, 960.0f, 0.22f, 0.014f);
    AddPing(mono, 0.018f, 610.0f, 0.15f, 0.02f);
    std::vector<float> left = mono, right = mono;
    std::vector<float> roomLeft = Reverb(mono, false), roomRight = Reverb(mono, true);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        left[i] += 0.12f * roomLeft[i];
        right[i] += 0.12f * roomRight[i];
    }
    Fade(left, 0.0003f, 0.04f);
    Fade(right, 0.0003f, 0.04f);
    std::vector<float> frames = ToStereo(left, right);
    Normalise(frames, 0.95f);
    return frames;
}

std::vector<float> SoundSynth::Fanfare()
{
    std::vector<float> mono = Silence(2.4f);
    const float g4 = 392.0f, c5 = 523.25f, e5 = 659.26f, g5 = 783.99f, c4 = 261.63f;
    // A rising call, then the held chord.
    AddBrassNote(mono, 0.00f, 0.10f, g4, 0.55f);
    AddBrassNote(mono, 0.13f, 0.10f, c5, 0.55f);
    AddBrassNote(mono, 0.26f, 0.10f, e5, 0.55f);
    AddBrassNote(mono, 0.39f, 1.25f, g5, 0.6f);
    AddBrassNote(mono, 0.39f, 1.25f, e5, 0.4f);
    AddBrassNote(mono, 0.39f, 1.25f, c5, 0.4f);
    AddBrassNote(mono, 0.39f, 1.25f, c4, 0.35f);
    // The sparkle: little bells running up over the chord.
    const float bells[] = {2093.0f, 2637.0f, 3136.0f, 4186.0f};
    for (int i = 0; i < 4; ++i) {
        AddPing(mono, 0.45f + 0.07f * static_cast<float>(i), bells[i], 0.09f, 0.35f);
        AddPing(mono, 0.45f + 0.07f * static_cast<float>(i), bells[i] * 2.76f, 0.03f, 0.12f);
    }
    std::vector<float> roomLeft = Reverb(mono, false), roomRight = Reverb(mono, true);
    std::vector<float> left(mono.size()), right(mono.size());
    for (std::size_t i = 0; i < mono.size(); ++i) {
        left[i] = mono[i] + 0.22f * roomLeft[i];
        right[i] = mono[i] + 0.22f * roomRight[i];
    }
    Fade(left, 0.001f, 0.25f);
    Fade(right, 0.001f, 0.25f);
    std::vector<float> frames = ToStereo(left, right);
    Normalise(frames, 0.9f);
    return frames;
}
