// The generated soundtrack.
//
// Index of this file:
//  [SECTION] Helpers and buses
//  [SECTION] Instruments
//  [SECTION] Harmony, melody and arrangement

#include "music.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace content {
namespace {

constexpr double kPi = 3.14159265358979323846;
const double kBeat = 60.0 / kBpm;
const double kSixteenth = kBeat / 4.0;

// [SECTION] Helpers and buses
double MidiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

struct Noise {
    uint32_t s = 0x9E3779B9u;
    float next() {  // white noise in [-1, 1)
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return float(s) / 2147483648.0f - 1.0f;
    }
};

// PolyBLEP-corrected sawtooth, phase in [0, 1).
float Saw(double phase, double dt) {
    double v = 2.0 * phase - 1.0;
    if (phase < dt) {
        const double t = phase / dt;
        v -= t + t - t * t - 1.0;
    } else if (phase > 1.0 - dt) {
        const double t = (phase - 1.0) / dt;
        v -= t * t + t + t + 1.0;
    }
    return float(v);
}

// Topology-preserving state-variable filter (lowpass and highpass outputs).
struct Svf {
    double ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    void set(double cutoff, double q) {
        const double g = std::tan(kPi * std::min(cutoff, kSampleRate * 0.45) / kSampleRate);
        k = 1.0 / q;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    double low(double v0) {
        const double v3 = v0 - ic2, v1 = a1 * ic1 + a2 * v3, v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        lastBand = v1;
        lastHigh = v0 - k * v1 - v2;
        return v2;
    }
    double lastBand = 0, lastHigh = 0;
};

struct Bus {
    std::vector<float> l, r;
    explicit Bus(size_t n) : l(n, 0.0f), r(n, 0.0f) {}
    void add(size_t i, float v, float pan) {  // pan -1 (left) .. 1 (right), constant power
        if (i >= l.size()) return;
        const float a = float((pan + 1.0) * kPi / 4.0);
        l[i] += v * std::cos(a);
        r[i] += v * std::sin(a);
    }
};

size_t FrameAt(double seconds) {
    return size_t(std::max(0.0, seconds) * kSampleRate + 0.5);
}

// [SECTION] Instruments
// Each renders one note into a bus.

void Kick(Bus& bus, double t0, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(0.42);
    double phase = 0;
    Noise click{uint32_t(start) | 1u};
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        phase += (46.0 + 120.0 * std::exp(-t * 28.0)) / kSampleRate;
        const double body = std::sin(2 * kPi * phase) * std::exp(-t * 6.5);
        const double tick = click.next() * std::exp(-t * 900.0) * 0.4;
        bus.add(start + i, gain * float(std::tanh(1.6 * (body + tick))), 0.0f);
    }
}

void Clap(Bus& bus, double t0, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(0.3);
    Noise noise{uint32_t(start) * 7u + 3u};
    Svf band;
    band.set(1700.0, 1.2);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        // Three quick slaps, then a tail; a dash of 190 Hz body.
        double env = std::exp(-t * 16.0);
        for (double s : {0.0, 0.011, 0.022})
            if (t >= s) env += 0.8 * std::exp(-(t - s) * 160.0);
        band.low(noise.next());
        const double v =
            band.lastBand * env * 1.6 + std::sin(2 * kPi * 190.0 * t) * std::exp(-t * 30.0) * 0.35;
        bus.add(start + i, gain * float(v), 0.05f);
    }
}

void Hat(Bus& bus, double t0, float gain, bool open, float pan) {
    const size_t start = FrameAt(t0), n = FrameAt(open ? 0.35 : 0.07);
    Noise noise{uint32_t(start) * 13u + 5u};
    Svf hp;
    hp.set(7500.0, 0.8);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        hp.low(noise.next());
        const double env = std::exp(-t * (open ? 11.0 : 70.0));
        bus.add(start + i, gain * float(hp.lastHigh * env), pan);
    }
}

void Crash(Bus& bus, double t0, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(2.2);
    Noise nl{uint32_t(start) + 11u}, nr{uint32_t(start) + 97u};
    Svf hl, hr;
    hl.set(5000.0, 0.7);
    hr.set(5200.0, 0.7);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double env = std::exp(-t * 2.2) * std::min(1.0, t * 400.0);
        hl.low(nl.next());
        hr.low(nr.next());
        if (start + i < bus.l.size()) {
            bus.l[start + i] += gain * float(hl.lastHigh * env);
            bus.r[start + i] += gain * float(hr.lastHigh * env);
        }
    }
}

// Noise sweep rising over `length` seconds into t0 + length.
void Riser(Bus& bus, double t0, double length, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(length);
    Noise noise{uint32_t(start) * 3u + 1u};
    Svf f;
    for (size_t i = 0; i < n; ++i) {
        const double x = double(i) / double(n);
        if (i % 32 == 0) f.set(300.0 * std::pow(30.0, x), 2.5);
        const double v = f.low(noise.next()) * x * x;
        bus.add(start + i, gain * float(v), float(std::sin(x * 12.0) * 0.5));
    }
}

void Bass(Bus& bus, double t0, double length, double note, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(length + 0.03);
    const double hz = MidiToHz(note), dt = hz / kSampleRate;
    double phase = 0, sub = 0;
    Svf f;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        if (i % 16 == 0) f.set(220.0 + 1400.0 * std::exp(-t * 14.0), 1.1);
        phase += dt;
        phase -= std::floor(phase);
        sub += dt * 0.5;
        sub -= std::floor(sub);
        const double env = std::min(1.0, t * 300.0) *
                           (t < length ? 1.0 : std::exp(-(t - length) * 150.0)) *
                           (0.75 + 0.25 * std::exp(-t * 6.0));
        const double v = f.low(Saw(phase, dt)) * 0.8 + std::sin(2 * kPi * sub) * 0.55;
        bus.add(start + i, gain * float(v * env), 0.0f);
    }
}

// Three detuned saws spread across the stereo field, slow envelope, mellow lowpass.
void Pad(Bus& bus, double t0, double length, double note, float gain, double brightness) {
    const double attack = 0.35, release = 0.9;
    const size_t start = FrameAt(t0), n = FrameAt(length + release);
    const double detune[3] = {-0.09, 0.0, 0.08};
    const float pans[3] = {-0.7f, 0.0f, 0.7f};
    for (int v = 0; v < 3; ++v) {
        const double hz = MidiToHz(note + detune[v]), dt = hz / kSampleRate;
        double phase = 0.31 * v;
        Svf f;
        f.set(900.0 + 1600.0 * brightness, 0.7);
        for (size_t i = 0; i < n; ++i) {
            const double t = double(i) / kSampleRate;
            phase += dt;
            phase -= std::floor(phase);
            const double env =
                std::min(1.0, t / attack) * (t < length ? 1.0 : std::exp(-(t - length) * 5.0));
            bus.add(start + i, gain * float(f.low(Saw(phase, dt)) * env / 3.0), pans[v]);
        }
    }
}

// Soft plucked triangle for arpeggios.
void Pluck(Bus& bus, double t0, double note, float gain, float pan) {
    const size_t start = FrameAt(t0), n = FrameAt(0.6);
    const double hz = MidiToHz(note);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double ph = std::fmod(hz * t, 1.0);
        const double tri = 4.0 * std::fabs(ph - 0.5) - 1.0;
        const double env = std::min(1.0, t * 500.0) * std::exp(-t * 7.0);
        bus.add(start + i, gain * float((tri * 0.7 + std::sin(2 * kPi * hz * 2 * t) * 0.2) * env),
                pan);
    }
}

// Lead: saw and square blend with delayed vibrato and a filter that opens on the attack.
void Lead(Bus& bus, double t0, double length, double note, float gain) {
    const size_t start = FrameAt(t0), n = FrameAt(length + 0.15);
    const double hz = MidiToHz(note);
    double phase = 0, phase2 = 0.5;
    Svf f;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double vib = 1.0 + 0.006 * std::sin(2 * kPi * 5.5 * t) *
                                     std::min(1.0, std::max(0.0, (t - 0.15) * 4.0));
        const double dt = hz * vib / kSampleRate;
        phase += dt;
        phase -= std::floor(phase);
        phase2 += dt * 1.004;
        phase2 -= std::floor(phase2);
        if (i % 16 == 0) f.set(1200.0 + 2600.0 * std::exp(-t * 5.0), 0.9);
        const double square = Saw(phase, dt) - Saw(std::fmod(phase + 0.5, 1.0), dt);
        const double raw = Saw(phase2, dt) * 0.5 + square * 0.35;
        const double env = std::min(1.0, t * 120.0) * (t < length ? 0.85 + 0.15 * std::exp(-t * 8.0)
                                                                  : std::exp(-(t - length) * 30.0));
        bus.add(start + i, gain * float(f.low(raw) * env), 0.0f);
    }
}

// [SECTION] Harmony, melody and arrangement

struct Chord {
    double root;                // bass note
    std::array<double, 3> pad;  // pad voicing
};
const Chord kAm{45, {57, 60, 64}}, kF{41, {57, 60, 65}}, kC{48, {55, 60, 64}}, kG{43, {55, 59, 62}},
    kEm{40, {55, 59, 64}};

const Chord& ChordAt(int bar) {
    static const Chord* main[4] = {&kAm, &kF, &kC, &kG};
    static const Chord* second[4] = {&kF, &kG, &kEm, &kAm};
    if (bar >= 28 && bar < 40) return *second[bar % 4];
    return *main[bar % 4];
}

struct Note {
    int step;    // sixteenth within the bar
    int length;  // in sixteenths
    int midi;
};
// Two four-bar phrases in A minor pentatonic (plus passing notes of the chords).
const std::vector<std::vector<Note>> kPhraseA = {
    {{0, 3, 76}, {3, 1, 74}, {4, 2, 72}, {6, 2, 69}, {8, 4, 72}, {12, 4, 76}},
    {{0, 4, 77}, {4, 2, 76}, {6, 2, 72}, {8, 8, 69}},
    {{0, 2, 67}, {2, 2, 72}, {4, 4, 76}, {8, 4, 79}, {12, 4, 76}},
    {{0, 6, 74}, {6, 2, 71}, {8, 2, 74}, {10, 2, 76}, {12, 4, 74}},
};
const std::vector<std::vector<Note>> kPhraseB = {
    {{0, 4, 81}, {4, 2, 79}, {6, 2, 76}, {8, 4, 74}, {12, 4, 72}},
    {{0, 2, 72}, {2, 2, 74}, {4, 8, 76}, {12, 4, 72}},
    {{0, 3, 76}, {3, 3, 79}, {6, 2, 76}, {8, 4, 72}, {12, 4, 74}},
    {{0, 4, 71}, {4, 4, 74}, {8, 8, 76}},
};

int SectionOf(int bar) {
    int s = 0;
    for (int i = 0; i < 6; ++i)
        if (bar >= kSectionBars[i]) s = i;
    return s;
}
bool BuildBar(int bar) {  // the bar before a section change
    for (int i = 1; i < 6; ++i)
        if (bar == kSectionBars[i] - 1) return true;
    return bar == 58;  // the peak gets a two-bar build
}

// Schroeder reverb on one channel.
void Reverb(const std::vector<float>& in, std::vector<float>& out, int spread, float mix) {
    const int combs[4] = {1557 + spread, 1617 + spread, 1491 + spread, 1422 + spread};
    const int allpasses[2] = {225 + spread / 2, 556 + spread / 2};
    std::vector<std::vector<float>> cb(4), ab(2);
    for (int i = 0; i < 4; ++i) cb[size_t(i)].assign(size_t(combs[i]), 0.0f);
    for (int i = 0; i < 2; ++i) ab[size_t(i)].assign(size_t(allpasses[i]), 0.0f);
    size_t ci[4] = {0, 0, 0, 0}, ai[2] = {0, 0};
    float damp[4] = {0, 0, 0, 0};
    for (size_t n = 0; n < in.size(); ++n) {
        float acc = 0;
        for (int i = 0; i < 4; ++i) {
            float& cell = cb[size_t(i)][ci[i]];
            damp[i] = cell * 0.7f + damp[i] * 0.3f;
            acc += cell;
            cell = in[n] * 0.25f + damp[i] * 0.8f;
            ci[i] = (ci[i] + 1) % cb[size_t(i)].size();
        }
        for (int i = 0; i < 2; ++i) {
            float& cell = ab[size_t(i)][ai[i]];
            const float y = cell - acc * 0.5f;
            cell = acc + cell * 0.5f;
            acc = y;
            ai[i] = (ai[i] + 1) % ab[size_t(i)].size();
        }
        out[n] += acc * mix;
    }
}

}  // namespace

double BarSeconds() {
    return 4.0 * kBeat;
}

std::vector<float> RenderSoundtrack(double seconds) {
    const size_t frames = FrameAt(seconds);
    Bus drums(frames), music(frames), leadBus(frames), send(frames);
    const double bar = BarSeconds();
    const int bars = int(std::ceil(seconds / bar));
    std::vector<double> kicks;

    for (int b = 0; b < bars; ++b) {
        const double t = b * bar;
        const int section = SectionOf(b);
        const Chord& chord = ChordAt(b);
        const bool build = BuildBar(b);
        const bool ending = b >= 76;

        // Pads everywhere, swelling in over the first bars and brighter at the peak.
        const float padGain = b < 4 ? 0.12f + 0.06f * float(b) : (section == 3 ? 0.30f : 0.26f);
        const double padLength = ending ? std::max(bar, seconds - t - 2.5) : bar;
        if (!ending || b == 76)
            for (double note : chord.pad)
                Pad(music, t, padLength, note, padGain, section == 3 ? 0.8 : 0.4);

        // Arpeggio: intro from bar 4, breakdown and ending.
        if ((b >= 4 && section == 0) || section == 4 || (section == 5 && b < 76) || section == 2) {
            const double notes[4] = {chord.pad[0] + 12, chord.pad[1] + 12, chord.pad[2] + 12,
                                     chord.pad[1] + 12};
            const float g = section == 5 ? 0.10f * float(76 - b) / 8.0f + 0.03f : 0.11f;
            for (int s = 0; s < 16; ++s)
                Pluck(music, t + s * kSixteenth, notes[s % 4] + (s >= 8 ? 12 : 0), g,
                      s % 2 ? 0.5f : -0.5f);
        }

        // Kick: four on the floor from bar 8 to the breakdown; sparse in breakdown and ending.
        const bool fullDrums = (b >= 8 && section <= 3);
        for (int beat = 0; beat < 4; ++beat) {
            const double tb = t + beat * kBeat;
            bool kick = fullDrums;
            if (build && beat >= 2 && section != 3 && b != 15) kick = false;
            if (section == 4 && b < 67) kick = beat == 0;
            if (section == 5) kick = b < 74 && beat == 0;
            if (kick) {
                Kick(drums, tb, section == 5 ? 0.35f : 0.55f);
                kicks.push_back(tb);
            }
            // Clap on 2 and 4 from the second section.
            if (section >= 1 && section <= 3 && (beat == 1 || beat == 3)) Clap(drums, tb, 0.22f);
        }

        // Hats: off-beat eighths from bar 8, sixteenths at the peak, open hats in sections 2-4.
        if ((b >= 8 && section <= 3) || (section == 5 && b < 72)) {
            for (int s = 0; s < 16; ++s) {
                const bool offbeat = s % 4 == 2;
                const bool play =
                    offbeat || (section >= 2 && section <= 3 && s % 2 == 1) || (section == 3);
                if (!play) continue;
                const float g = (offbeat ? 0.12f : 0.05f) * (section == 5 ? 0.6f : 1.0f);
                Hat(drums, t + s * kSixteenth, g, offbeat && section >= 1 && section <= 3,
                    s % 2 ? 0.3f : -0.2f);
            }
        }

        // Bass: from bar 12; off-beat pumping eighths, octave jumps in section 3 and 4.
        if ((b >= 12 && section <= 3) || (section == 4 && b >= 64)) {
            for (int e = 0; e < 8; ++e) {
                if (section <= 1 && e % 2 == 0 && b >= 16) continue;  // off-beats only
                double note = chord.root;
                if (section >= 2 && e % 4 == 3) note += 12;
                Bass(music, t + e * 2 * kSixteenth, kSixteenth * 1.6, note,
                     section == 4 ? 0.18f : 0.26f);
            }
        }

        // Lead: phrases over sections 2 to 5.
        const bool lead = (b >= 20 && b < 28) || (b >= 30 && b < 38) || (b >= 44 && b < 58) ||
                          (b >= 60 && b < 68);
        if (lead) {
            const auto& phrase = ((b / 4) % 2 == 0) ? kPhraseA : kPhraseB;
            const int lift = (b >= 48 && b < 56) ? 12 : 0;
            const float g = section == 4 ? 0.11f : 0.15f;
            for (const Note& n : phrase[size_t(b % 4)])
                Lead(leadBus, t + n.step * kSixteenth, n.length * kSixteenth * 0.92, n.midi + lift,
                     g);
        }

        // Build-ups: a noise riser and a snare roll that doubles in speed; a crash on the new
        // section.
        if (build) {
            const double length = b == 58 ? 2 * bar : bar;
            if (b != 59) Riser(drums, t, length, section >= 3 ? 0.22f : 0.16f);
            if (b != 58 && b != 67) {
                for (int s = 0; s < 16; ++s)  // eighths, then sixteenths, growing louder
                    if (s >= 8 || s % 2 == 0)
                        Clap(drums, t + s * kSixteenth, 0.06f + 0.012f * float(s));
            }
        }
        for (int i = 1; i < 5; ++i)
            if (b == kSectionBars[i]) Crash(drums, t, 0.2f);
        if (b == 48 || b == 56) Crash(drums, t, 0.14f);
    }

    // Side-chain: the music bus ducks under each kick.
    std::sort(kicks.begin(), kicks.end());
    size_t k = 0;
    double last = -10.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kSampleRate;
        while (k < kicks.size() && kicks[k] <= t) last = kicks[k++];
        const float duck = float(1.0 - 0.45 * std::exp(-(t - last) * 9.0));
        music.l[i] *= duck;
        music.r[i] *= duck;
    }

    // Lead through a dotted-eighth ping-pong delay; everything tonal into the reverb send.
    const size_t delay = FrameAt(3 * kSixteenth);
    for (size_t i = 0; i < frames; ++i) {
        const float dl = i >= delay ? leadBus.r[i - delay] * 0.45f : 0.0f;  // cross-feedback
        const float dr = i >= delay ? leadBus.l[i - delay] * 0.45f : 0.0f;
        const float dryL = leadBus.l[i], dryR = leadBus.r[i];
        leadBus.l[i] = dryL + dl;
        leadBus.r[i] = dryR + dr;
        send.l[i] = music.l[i] * 0.5f + leadBus.l[i] * 0.6f + drums.l[i] * 0.1f;
        send.r[i] = music.r[i] * 0.5f + leadBus.r[i] * 0.6f + drums.r[i] * 0.1f;
    }
    std::vector<float> mixL(frames), mixR(frames);
    for (size_t i = 0; i < frames; ++i) {
        mixL[i] = drums.l[i] + music.l[i] + leadBus.l[i];
        mixR[i] = drums.r[i] + music.r[i] + leadBus.r[i];
    }
    Reverb(send.l, mixL, 0, 0.35f);
    Reverb(send.r, mixR, 23, 0.35f);

    // Fade out over the last seconds of the song.
    const double fadeStart = kSongSeconds - 5.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kSampleRate;
        if (t > fadeStart) {
            const float g = float(std::max(0.0, 1.0 - (t - fadeStart) / 4.5));
            mixL[i] *= g * g;
            mixR[i] *= g * g;
        }
    }

    // Loudness: scale to about -14 dBFS RMS, then a soft knee above 0.65 keeps peaks under 0.89 (-1
    // dBFS).
    double sum = 0;
    for (size_t i = 0; i < frames; ++i)
        sum += double(mixL[i]) * mixL[i] + double(mixR[i]) * mixR[i];
    const double rms = std::sqrt(sum / std::max<double>(1.0, 2.0 * double(frames)));
    const float scale = rms > 1e-9 ? float(std::pow(10.0, -14.0 / 20.0) / rms) : 1.0f;
    auto limit = [](float x) {
        const float a = std::fabs(x);
        if (a <= 0.65f) return x;
        const float over = (a - 0.65f) / 0.24f;
        return std::copysign(0.65f + 0.24f * float(std::tanh(over)), x);
    };
    std::vector<float> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        out[2 * i] = limit(mixL[i] * scale);
        out[2 * i + 1] = limit(mixR[i] * scale);
    }
    return out;
}

}  // namespace content
