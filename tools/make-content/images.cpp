#include "images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace content {
namespace {

constexpr Rgb kPink{1.0f, 0.55f, 0.68f};
constexpr Rgb kDeepPink{0.85f, 0.33f, 0.48f};
constexpr Rgb kCream{1.0f, 0.95f, 0.86f};

float Smooth(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Small deterministic generator for stars and grain.
struct Lcg {
    uint32_t s;
    float next() {
        s = s * 1664525u + 1013904223u;
        return float(s >> 8) / 16777216.0f;
    }
};

// Dark card background: vertical gradient with a soft vignette and faint diagonal stripes.
Canvas CardBackground(Rgb top, Rgb bottom) {
    Canvas c(1280, 720);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const float fx = (float(x) / c.width - 0.5f) * 1.6f, fy = float(y) / c.height - 0.5f;
            Rgb p = Mix(top, bottom, float(y) / c.height);
            const float stripe = 0.5f + 0.5f * std::sin((float(x) + float(y)) * 0.035f);
            const float vignette = 1.0f - 0.6f * (fx * fx + fy * fy * 1.5f);
            const float k = vignette * (0.94f + 0.06f * stripe);
            c.at(x, y) = {p.r * k, p.g * k, p.b * k};
        }
    return c;
}

// A round cartoon pig face centred at (cx, cy) with head radius r.
void DrawPigFace(Canvas& c, float cx, float cy, float r) {
    for (float side : {-1.0f, 1.0f}) {
        c.disc(cx + side * r * 0.72f, cy - r * 0.72f, r * 0.36f, kDeepPink);
        c.disc(cx + side * r * 0.72f, cy - r * 0.70f, r * 0.22f, Mix(kDeepPink, kPink, 0.5f));
    }
    c.disc(cx, cy, r, kPink);
    c.disc(cx - r * 0.25f, cy - r * 0.3f, r * 0.55f, Mix(kPink, {1, 1, 1}, 0.18f), 0.5f);  // sheen
    for (float side : {-1.0f, 1.0f}) {
        c.disc(cx + side * r * 0.38f, cy - r * 0.22f, r * 0.17f, {1, 1, 1});
        c.disc(cx + side * r * 0.38f, cy - r * 0.20f, r * 0.10f, {0.08f, 0.05f, 0.05f});
        c.disc(cx + side * r * 0.38f - r * 0.04f, cy - r * 0.25f, r * 0.035f, {1, 1, 1});
        c.disc(cx + side * r * 0.62f, cy + r * 0.22f, r * 0.12f, {1.0f, 0.42f, 0.55f},
               0.6f);  // cheeks
    }
    c.disc(cx, cy + r * 0.25f, r * 0.34f, kDeepPink);
    c.disc(cx, cy + r * 0.22f, r * 0.30f, Mix(kDeepPink, kPink, 0.35f));
    for (float side : {-1.0f, 1.0f})
        c.disc(cx + side * r * 0.12f, cy + r * 0.25f, r * 0.075f, {0.35f, 0.1f, 0.16f});
}

}  // namespace

Canvas DrawEyeTexture() {
    Canvas c(256, 256, {1, 1, 1});
    const float cx = 128, cy = 128;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) / 128.0f;
            // The front of the eye is the inner half of the texture; the back is a warm, darker
            // white.
            c.at(x, y) = Mix({1.0f, 0.99f, 0.97f}, {0.86f, 0.74f, 0.72f}, Smooth(0.35f, 0.95f, d));
        }
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            const float d = std::hypot(dx, dy);
            const float ang = std::atan2(dy, dx);
            if (d < 34) {
                // Iris: warm brown with radial fibres, darker rim.
                const float fibre =
                    0.85f + 0.15f * std::sin(ang * 23.0f) * std::sin(ang * 7.0f + d * 0.3f);
                Rgb iris = Mix({0.55f, 0.33f, 0.16f}, {0.25f, 0.13f, 0.06f}, Smooth(18, 34, d));
                iris = {iris.r * fibre, iris.g * fibre, iris.b * fibre};
                c.blend(x, y, iris, std::clamp(34 - d, 0.0f, 1.0f));
            }
        }
    c.disc(cx, cy, 19, {0.03f, 0.02f, 0.02f});
    c.disc(cx - 10, cy - 11, 7, {1, 1, 1}, 0.95f);
    c.disc(cx + 9, cy + 8, 3, {1, 1, 1}, 0.8f);
    return c;
}

Canvas DrawBackdrop() {
    const int w = 1024, h = 576;
    const float horizon = h * 0.64f;
    Canvas c(w, h);
    Lcg rng{12345};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fy = float(y) / horizon;
            Rgb sky;
            if (fy < 0.55f)
                sky = Mix({0.05f, 0.03f, 0.16f}, {0.32f, 0.08f, 0.38f}, fy / 0.55f);
            else if (fy < 1.0f)
                sky = Mix({0.32f, 0.08f, 0.38f}, {1.0f, 0.45f, 0.35f}, (fy - 0.55f) / 0.45f);
            else {
                // Ground: dark violet with a perspective grid.
                const float depth = (float(y) - horizon) / (h - horizon);  // 0 at horizon
                sky = Mix({0.18f, 0.04f, 0.20f}, {0.06f, 0.02f, 0.08f}, std::sqrt(depth));
                const float z = 1.0f / std::max(depth, 0.02f);
                const float gx = (float(x) - w * 0.5f) / (w * 0.5f) * z * 4.0f;
                const float lineX = std::fabs(gx - std::round(gx)) / (z * 0.045f);
                const float lineZ = std::fabs(z * 2.0f - std::round(z * 2.0f)) / (z * z * 0.02f);
                const float glow = std::max(Smooth(1.0f, 0.0f, lineX), Smooth(1.0f, 0.0f, lineZ)) *
                                   (1 - Smooth(0, 0.02f, -depth + 0.02f));
                sky = Mix(sky, {1.0f, 0.35f, 0.75f}, glow * std::min(1.0f, depth * 3.0f + 0.2f));
            }
            c.at(x, y) = sky;
        }
    // Stars in the upper sky.
    for (int i = 0; i < 160; ++i) {
        const float sx = rng.next() * w, sy = rng.next() * horizon * 0.55f, b = rng.next();
        c.disc(sx, sy, 0.6f + b * 0.9f, {1, 0.95f, 1}, 0.35f + 0.6f * b);
    }
    // Sun: yellow to pink, with widening gaps in its lower half.
    const float sunX = w * 0.5f, sunY = horizon - 70, sunR = 150;
    for (int y = int(sunY - sunR) - 1; y <= int(horizon); ++y)
        for (int x = int(sunX - sunR) - 1; x <= int(sunX + sunR) + 1; ++x) {
            const float d = std::hypot(float(x) + 0.5f - sunX, float(y) + 0.5f - sunY);
            if (d > sunR + 1 || float(y) >= horizon) continue;
            const float t = (float(y) - (sunY - sunR)) / (2 * sunR);
            float cover = std::clamp(sunR - d + 0.5f, 0.0f, 1.0f);
            if (t > 0.5f) {
                const float band = std::fmod(float(y) - (sunY), 22.0f);
                const float gap = 2.0f + (t - 0.5f) * 22.0f;
                if (band < gap) cover = 0;
            }
            c.blend(x, y, Mix({1.0f, 0.92f, 0.35f}, {1.0f, 0.25f, 0.55f}, t), cover);
        }
    // Soft glow around the sun.
    for (int y = 0; y < int(horizon); ++y)
        for (int x = 0; x < w; ++x) {
            const float d = std::hypot(float(x) - sunX, float(y) - sunY) / (sunR * 2.2f);
            c.blend(x, y, {1.0f, 0.5f, 0.45f}, 0.25f * std::exp(-d * d * 2.0f));
        }
    return c;
}

bool DrawTitleCard(Canvas* out, std::string* error) {
    TextWriter bold, plain, oblique;
    if (!bold.open("DejaVuSans-Bold.ttf", error) || !plain.open("DejaVuSans.ttf", error) ||
        !oblique.open("DejaVuSans-BoldOblique.ttf", error))
        return false;
    Canvas c = CardBackground({0.10f, 0.03f, 0.14f}, {0.03f, 0.01f, 0.06f});
    DrawPigFace(c, 640, 210, 105);
    // Title with a pink shadow offset.
    bold.drawCentred(c, "VESSMARK", 646, 476, 150, kDeepPink, 1.0f, 10);
    bold.drawCentred(c, "VESSMARK", 640, 470, 150, kCream, 1.0f, 10);
    oblique.drawCentred(c, "part 2", 640, 560, 64, kPink);
    plain.drawCentred(c, "a pig demo in 153 beats per minute", 640, 640, 30, {0.80f, 0.72f, 0.85f});
    *out = std::move(c);
    return true;
}

bool DrawEndCard(Canvas* out, std::string* error) {
    TextWriter bold, plain;
    if (!bold.open("DejaVuSans-Bold.ttf", error) || !plain.open("DejaVuSans.ttf", error))
        return false;
    Canvas c = CardBackground({0.03f, 0.06f, 0.14f}, {0.01f, 0.01f, 0.05f});
    bold.drawCentred(c, "thanks for watching", 640, 150, 72, kCream, 1.0f, 2);
    struct Line {
        const char* role;
        const char* who;
    };
    const Line credits[] = {
        {"code", "the vessmark crew"},
        {"music", "synthesised at 153 bpm"},
        {"pigs", "six meshes, two hundred at once"},
        {"greetings", "everyone who still codes for fun"},
    };
    float y = 290;
    for (const Line& l : credits) {
        const float w = bold.measure(l.role, 34);
        bold.draw(c, l.role, 540 - w, y, 34, kPink);
        plain.draw(c, l.who, 570, y, 34, {0.85f, 0.85f, 0.92f});
        y += 62;
    }
    DrawPigFace(c, 640, 590, 55);
    plain.drawCentred(c, "VESSMARK part 2", 640, 690, 24, {0.55f, 0.55f, 0.7f}, 1.0f, 3);
    *out = std::move(c);
    return true;
}

}  // namespace content
