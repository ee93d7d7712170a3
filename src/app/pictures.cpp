#include "app/pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace app {

namespace {

using ui::Color;
using ui::Picture;

Picture Blank(int width, int height, uint32_t argb) {
    return Picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb)};
}

uint8_t Channel(uint32_t argb, int shift) { return static_cast<uint8_t>(argb >> shift); }

// Paints colour over the pixel with the given coverage (0..1), keeping straight alpha.
void Blend(Picture& picture, int x, int y, Color color, double coverage) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height || coverage <= 0) return;
    uint32_t& pixel = picture.pixels[static_cast<size_t>(y) * picture.width + x];
    if (coverage >= 1) {  // what the sums below give for full cover, without them (most pixels)
        pixel = 0xFF000000u | (color & 0xFFFFFF);
        return;
    }
    const double a = coverage, under = Channel(pixel, 24) / 255.0;
    const double outA = a + under * (1 - a);
    auto mix = [&](int shift) {
        const double value = (Channel(color, shift) * a + Channel(pixel, shift) * under * (1 - a)) / outA;
        return static_cast<uint32_t>(std::lround(value)) << shift;
    };
    pixel = static_cast<uint32_t>(std::lround(outA * 255)) << 24 | mix(16) | mix(8) | mix(0);
}

// Fills a shape given by its signed distance (negative inside), antialiased over one pixel.
void Fill(Picture& picture, int x0, int y0, int x1, int y1, Color color,
          const std::function<double(double, double)>& distance, double opacity = 1) {
    for (int y = std::max(y0, 0); y <= std::min(y1, picture.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, picture.width - 1); ++x)
            Blend(picture, x, y, color, opacity * std::clamp(0.5 - distance(x + 0.5, y + 0.5), 0.0, 1.0));
}

void Rect(Picture& p, int x, int y, int w, int h, Color color) {
    Fill(p, x, y, x + w - 1, y + h - 1, color, [](double, double) { return -1.0; });
}

void Disc(Picture& p, double cx, double cy, double r, Color color, double opacity = 1) {
    Fill(p, int(cx - r - 1), int(cy - r - 1), int(cx + r + 1), int(cy + r + 1), color,
         [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; }, opacity);
}

void Ring(Picture& p, double cx, double cy, double r, double thickness, Color color) {
    Fill(p, int(cx - r - thickness), int(cy - r - thickness), int(cx + r + thickness), int(cy + r + thickness),
         color, [=](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - r) - thickness / 2; });
}

double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

void Line(Picture& p, double ax, double ay, double bx, double by, double width, Color color, double opacity = 1) {
    Fill(p, int(std::min(ax, bx) - width), int(std::min(ay, by) - width), int(std::max(ax, bx) + width),
         int(std::max(ay, by) + width), color,
         [=](double x, double y) { return SegmentDistance(x, y, ax, ay, bx, by) - width / 2; }, opacity);
}

Color Mix(Color a, Color b, double t) {
    auto channel = [&](int shift) {
        return static_cast<Color>(std::lround(Channel(a, shift) * (1 - t) + Channel(b, shift) * t)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

void Panel(Picture& p) {
    for (int y = 0; y < p.height; ++y) Rect(p, 0, y, p.width, 1, Mix(0x181C22, 0x08090B, y / double(p.height)));
    for (int y = 0; y < 30; ++y) Rect(p, 0, y, p.width, 1, Mix(0x46505E, 0x262C35, y / 30.0));
    Rect(p, 0, 30, p.width, 1, 0x5A6676);
}

void Clock(Picture& p, double cx, double cy, double r) {
    Disc(p, cx, cy, r, 0x1A1F26);
    Ring(p, cx, cy, r, 2, 0xF2F5F8);
    for (int hour = 0; hour < 12; hour += 3) {
        const double angle = hour * M_PI / 6;
        Disc(p, cx + std::sin(angle) * (r - 3.5), cy - std::cos(angle) * (r - 3.5), 0.9, 0xF2F5F8);
    }
    Line(p, cx, cy, cx, cy - r + 4, 1.6, 0xF2F5F8);
    Line(p, cx, cy, cx + r - 5, cy + 2, 1.6, 0xF2F5F8);
    Disc(p, cx, cy, 1.6, 0xFFB020);
}

void Globe(Picture& p, double cx, double cy, double r) {
    // Shaded sphere: lighter towards the top left.
    Fill(p, int(cx - r - 1), int(cy - r - 1), int(cx + r + 1), int(cy + r + 1), 0x000000,
         [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; });
    for (int y = int(cy - r); y <= int(cy + r); ++y)
        for (int x = int(cx - r); x <= int(cx + r); ++x) {
            const double inside = std::clamp(r + 0.5 - std::hypot(x + 0.5 - cx, y + 0.5 - cy), 0.0, 1.0);
            const double light = std::hypot(x - (cx - r / 3), y - (cy - r / 3)) / (1.6 * r);
            Blend(p, x, y, Mix(0x3C9BE8, 0x0B3D78, std::clamp(light, 0.0, 1.0)), inside);
        }
    const Color grid = 0xA8DBFF;
    for (double k : {0.0, 0.45, 0.8}) {  // meridians as ellipses of shrinking width
        const double rx = std::max(r * std::cos(k * M_PI / 2), 0.5);
        Fill(p, int(cx - r), int(cy - r), int(cx + r), int(cy + r), grid,
             [=](double x, double y) {
                 const double f = std::hypot((x - cx) / rx, (y - cy) / r);
                 return std::abs(f - 1) * std::min(rx, r) - 0.6;
             }, 0.55);
    }
    for (double t : {-0.6, -0.3, 0.0, 0.3, 0.6}) {  // parallels
        const double y = cy + t * r, half = std::sqrt(r * r - (t * r) * (t * r));
        Line(p, cx - half, y, cx + half, y, 1.1, grid, 0.55);
    }
    Ring(p, cx, cy, r, 1.4, 0x8CCBFF);
}

void Screen(Picture& p, int x, int y, int w, int h) {
    Rect(p, x, y, w, h, 0xC9D1DA);
    Rect(p, x + 2, y + 2, w - 4, h - 6, 0x1E88D8);
    Line(p, x + 4, y + 4, x + w - 6, y + 4, 1, 0x9FD6FF, 0.8);
    Rect(p, x + w / 2 - 2, y + h, 4, 3, 0x9AA3AD);
    Rect(p, x + w / 2 - 8, y + h + 3, 16, 2, 0xC9D1DA);
}

void Network(Picture& p, double ax, double ay, double bx, double by) {
    Line(p, ax, ay, bx, by, 1.4, 0x7FD4FF, 0.9);
    Disc(p, ax, ay, 2.4, 0xFFB020);
    Disc(p, bx, by, 2.4, 0xFFB020);
}

}  // namespace

ui::Picture FundoSplash() {
    Picture p = Blank(500, 160, 0xFF000000);
    Panel(p);
    Clock(p, 32, 15, 11);
    Globe(p, 446, 72, 34);
    Network(p, 414, 52, 421, 60);
    Network(p, 470, 100, 474, 104);
    Screen(p, 380, 34, 34, 24);
    Screen(p, 462, 104, 32, 22);
    return p;
}

ui::Picture IconeErro(int size) {
    Picture p = Blank(size, size, 0x00000000);
    const double c = size / 2.0, r = size / 2.0 - 1;
    Disc(p, c, c, r, 0x9B1C1C);
    Disc(p, c, c, r - std::max(1.0, size / 16.0), 0xE03A3A);
    const double a = size * 0.32, b = size * 0.68, stroke = std::max(1.5, size / 8.0);
    Line(p, a, a, b, b, stroke, 0xFFFFFF);
    Line(p, a, b, b, a, stroke, 0xFFFFFF);
    return p;
}

}  // namespace app
