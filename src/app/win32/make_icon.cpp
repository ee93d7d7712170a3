// Draws the program's icon, a globe, and writes it as a Windows .ico file with several sizes of
// 32-bit images. Built and run on the build machine while the Windows program is cross-built.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// Colour of one point of the unit square [-1, 1]²; alpha 0 outside the globe.
Rgba globeAt(double x, double y, double pixel) {
    const double radius = std::sqrt(x * x + y * y);
    if (radius > 1.0) return {};
    const double line = std::max(pixel * 1.2, 0.045);
    if (radius > 1.0 - line) return {0.05, 0.16, 0.35, 1};  // the rim
    // Ocean lit from the top-left.
    const double light = 0.55 + 0.45 * std::clamp(1.0 - std::hypot(x + 0.4, y + 0.4) / 1.6, 0.0, 1.0);
    Rgba colour{0.10 * light, 0.45 * light, 0.85 * light, 1};
    // Parallels: straight lines at fixed heights.
    for (double parallel : {-0.5, 0.0, 0.5})
        if (std::abs(y - parallel) < line / 2) return {0.80, 0.92, 1.0, 1};
    // Meridians: ellipses through the poles, x = a·sqrt(1 - y²).
    const double width = std::sqrt(std::max(1e-9, 1.0 - y * y));
    for (double a : {0.0, 0.55})
        if (std::abs(std::abs(x) - a * width) < line / 2) return {0.80, 0.92, 1.0, 1};
    // Two land masses so that the globe reads as the Earth even at 16 pixels.
    const double land1 = std::hypot((x + 0.35) / 0.35, (y - 0.15) / 0.5);
    const double land2 = std::hypot((x - 0.45) / 0.25, (y + 0.35) / 0.3);
    if (land1 < 1.0 || land2 < 1.0) return {0.20 * light, 0.62 * light, 0.25 * light, 1};
    return colour;
}

// A size×size BGRA image, bottom row first, 4×4 samples per pixel.
std::vector<uint8_t> drawGlobe(int size) {
    std::vector<uint8_t> bgra(static_cast<size_t>(size) * size * 4);
    const int samples = 4;
    const double pixel = 2.0 / size;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            Rgba sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = -1.0 + (column + (sx + 0.5) / samples) * pixel;
                    const double y = -1.0 + (row + (sy + 0.5) / samples) * pixel;
                    const Rgba c = globeAt(x * 1.04, y * 1.04, pixel);
                    sum.r += c.r * c.a, sum.g += c.g * c.a, sum.b += c.b * c.a, sum.a += c.a;
                }
            }
            const double n = samples * samples;
            const double alpha = sum.a / n;
            const auto channel = [&](double premultiplied) {
                return static_cast<uint8_t>(std::lround(alpha > 0 ? 255.0 * premultiplied / sum.a : 0.0));
            };
            uint8_t* out = &bgra[(static_cast<size_t>(size - 1 - row) * size + column) * 4];
            out[0] = channel(sum.b), out[1] = channel(sum.g), out[2] = channel(sum.r);
            out[3] = static_cast<uint8_t>(std::lround(alpha * 255.0));
        }
    }
    return bgra;
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF), put16(out, v >> 16);
}

// One icon image: header, colour rows, then an all-clear AND mask (the alpha channel decides).
std::vector<uint8_t> iconImage(int size) {
    std::vector<uint8_t> image;
    const uint32_t maskRow = ((static_cast<uint32_t>(size) + 31) / 32) * 4;
    put32(image, 40), put32(image, size), put32(image, size * 2);  // colour and mask stacked
    put16(image, 1), put16(image, 32);
    put32(image, 0), put32(image, size * size * 4 + maskRow * size);
    put32(image, 0), put32(image, 0), put32(image, 0), put32(image, 0);
    const std::vector<uint8_t> pixels = drawGlobe(size);
    image.insert(image.end(), pixels.begin(), pixels.end());
    image.insert(image.end(), static_cast<size_t>(maskRow) * size, 0);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    const int sizes[] = {16, 24, 32, 48, 64};
    const uint32_t count = sizeof(sizes) / sizeof(sizes[0]);
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) images.push_back(iconImage(size));

    std::vector<uint8_t> file;
    put16(file, 0), put16(file, 1), put16(file, count);
    uint32_t offset = 6 + 16 * count;
    for (uint32_t i = 0; i < count; ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i])), file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0), file.push_back(0);
        put16(file, 1), put16(file, 32);
        put32(file, static_cast<uint32_t>(images[i].size())), put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
