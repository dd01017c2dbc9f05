// SPDX-License-Identifier: MIT
#include "demo_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace velmoro_tool {
namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

BYTE Channel(double value)
{
    return static_cast<BYTE>(std::lround(std::clamp(value, 0.0, 255.0)));
}

// Fills a new 24-bit image pixel by pixel; y = 0 is the top row as displayed.
DWORD Paint(CDib& image, int width, int height, const std::function<Rgb(int x, int y)>& shade)
{
    if (DWORD code = image.Create(width, height, 24, 0, DIB_FORMAT_555))
        return code;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < height; ++y) {
        BYTE* row = image.GetBmpBitsAddress() + stride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const Rgb colour = shade(x, y);
            row[3 * x] = Channel(colour.b);
            row[3 * x + 1] = Channel(colour.g);
            row[3 * x + 2] = Channel(colour.r);
        }
    }
    return DIB_OK;
}

// Repeatable pseudo-random value in [0, 1) for a lattice point.
double Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFFFF) / double(0x1000000);
}

// Smooth value noise summed over octaves: soft, natural-looking variation.
double Noise(double x, double y, int seed, int octaves)
{
    double sum = 0, weight = 0.5, total = 0;
    for (int octave = 0; octave < octaves; ++octave, x *= 2, y *= 2, weight *= 0.5) {
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        const double top = Hash(x0, y0, seed + octave) + (Hash(x0 + 1, y0, seed + octave) - Hash(x0, y0, seed + octave)) * sx;
        const double bottom =
            Hash(x0, y0 + 1, seed + octave) + (Hash(x0 + 1, y0 + 1, seed + octave) - Hash(x0, y0 + 1, seed + octave)) * sx;
        sum += weight * (top + (bottom - top) * sy);
        total += weight;
    }
    return sum / total;
}

}  // namespace

DWORD PaintBackground(CDib& image, int width, int height)
{
    const double horizon = height * 0.62;
    const double sunX = width * 0.74, sunY = height * 0.28, sunRadius = height * 0.09;
    return Paint(image, width, height, [=](int x, int y) {
        const double far = horizon - height * (0.10 + 0.06 * std::sin(x * 0.011) + 0.03 * std::sin(x * 0.037 + 1));
        const double near = height * (0.78 + 0.05 * std::sin(x * 0.008 + 2) + 0.02 * std::sin(x * 0.029));
        if (y >= near)
            return Mix({70, 140, 50}, {40, 95, 35}, (y - near) / (height - near));
        if (y >= far)
            return Mix({95, 130, 150}, {60, 110, 90}, (y - far) / (near - far));
        const double sun = std::hypot(x - sunX, y - sunY) / sunRadius;
        const Rgb sky = Mix({40, 90, 170}, {180, 210, 235}, y / far);
        return sun < 1 ? Rgb{255, 236, 160} : Mix({255, 225, 150}, sky, (sun - 1) * 0.9);
    });
}

DWORD PaintSprite(CDib& image, int size)
{
    const double centre = (size - 1) / 2.0, radius = size * 0.46;
    return Paint(image, size, size, [=](int x, int y) {
        const double dx = (x - centre) / radius, dy = (y - centre) / radius;
        const double d2 = dx * dx + dy * dy;
        if (d2 > 1)
            return Rgb{GetRValue(kSpriteKey), GetGValue(kSpriteKey), GetBValue(kSpriteKey)};
        if (d2 > 0.86)
            return Rgb{90, 40, 10};  // outline
        // Light from the upper left on a sphere, with a highlight.
        const double dz = std::sqrt(1 - d2);
        const double light = std::max(0.0, (-dx - dy + dz * 1.4) / std::sqrt(1 + 1 + 1.96));
        const double highlight = std::pow(light, 24);
        const Rgb body = Mix({120, 50, 0}, {255, 170, 30}, light);
        return Mix(body, {255, 250, 230}, highlight);
    });
}

DWORD PaintPhoto(CDib& image, int width, int height)
{
    const double horizon = height * 0.58;
    const double sunX = width * 0.38, sunY = horizon - height * 0.27, sunRadius = height * 0.06;
    auto scene = [=](double x, double y) {
        const double ridge = horizon - height * (0.03 + 0.16 * Noise(x / width * 4, 0.5, 7, 5));
        if (y >= ridge && y < horizon)
            return Mix({40, 25, 45}, {70, 40, 60}, Noise(x / 30, y / 30, 3, 3));
        const double sun = std::hypot(x - sunX, y - sunY) / sunRadius;
        const Rgb sky = Mix({250, 150, 60}, {70, 50, 120}, (horizon - y) / horizon * 1.3);
        const double clouds = std::max(0.0, Noise(x / 160, y / 40, 11, 4) - 0.55) * 2;
        const Rgb cloudy = Mix(sky, {255, 200, 170}, clouds);
        return sun < 1 ? Rgb{255, 240, 200} : Mix({255, 210, 140}, cloudy, 0.25 + sun * 0.5);
    };
    return Paint(image, width, height, [=](int x, int y) {
        Rgb colour;
        if (y < horizon) {
            colour = scene(x, y);
        } else {
            // The water mirrors the sky, broken up by ripples and darkened with depth.
            const double depth = (y - horizon) / (height - horizon);
            const double ripple = 12 * (Noise(x / 60.0, y / 6.0, 5, 3) - 0.5) * (0.3 + depth);
            const Rgb mirrored = scene(x + ripple, std::max(0.0, 2 * horizon - y - 1));
            colour = Mix(mirrored, {20, 30, 60}, 0.25 + 0.5 * depth);
        }
        const double grain = (Hash(x, y, 99) - 0.5) * 14;
        return Rgb{colour.r + grain, colour.g + grain, colour.b + grain};
    });
}

}  // namespace velmoro_tool
