// Draws the program's icon at every size of the desktop's icon theme into
// DIR/hicolor/<size>x<size>/apps/trulvex.png: one character cell of the
// About banner's LCD module, the letter "Я" in the display's 5 by 7 dots,
// dark on backlit yellow-green glass in a dark bezel. Each size is drawn
// on its own pixel grid, so every dot stays sharp.

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rgba {
  std::uint8_t red, green, blue, alpha;
};

class PngImage {
 public:
  explicit PngImage(int side) : side_(side), pixels_(side * side) {}
  void Set(int x, int y, Rgba colour) { pixels_[y * side_ + x] = colour; }
  Rgba At(int x, int y) const { return pixels_[y * side_ + x]; }

  bool Save(const std::filesystem::path& path) const {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(side_);
    image.height = static_cast<png_uint_32>(side_);
    image.format = PNG_FORMAT_RGBA;
    const bool written =
        png_image_write_to_stdio(&image, file, 0, pixels_.data(), 0, nullptr);
    return std::fclose(file) == 0 && written;
  }

 private:
  int side_;
  std::vector<Rgba> pixels_;
};

constexpr std::array<int, 8> kSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// "Я" as the Cyrillic character ROM draws it.
constexpr std::array<const char*, 7> kGlyph = {
    ".####", "#...#", "#...#", ".####", "..#.#", ".#..#", "#...#",
};

constexpr Rgba kLit{26, 42, 16, 255};
constexpr Rgba kRim{84, 104, 22, 255};

// Inside a square with rounded corners of radius `radius`.
bool Inside(int x, int y, int size, int radius) {
  const auto corner_distance = [&](int v) {
    return v < radius           ? radius - v
           : v >= size - radius ? v - (size - radius - 1)
                                : 0;
  };
  const int dx = corner_distance(x);
  const int dy = corner_distance(y);
  return dx == 0 || dy == 0 || dx * dx + dy * dy <= radius * radius;
}

PngImage Draw(int size) {
  PngImage image(size);
  const int bezel = std::max(1, size * 3 / 32);
  const int radius = size / 8;
  for (int y = 0; y < size; ++y) {
    // Dark plastic, lighter along the top edge, as on the banner.
    const int shade = 70 - 40 * y / size;
    for (int x = 0; x < size; ++x) {
      image.Set(x, y,
                Inside(x, y, size, radius)
                    ? Rgba{static_cast<std::uint8_t>(shade),
                           static_cast<std::uint8_t>(shade),
                           static_cast<std::uint8_t>(shade + 6), 255}
                    : Rgba{0, 0, 0, 0});
    }
  }
  const int glass = size - 2 * bezel;
  for (int y = 0; y < glass; ++y) {
    const int fade = 16 * y / glass;
    for (int x = 0; x < glass; ++x) {
      const bool rim =
          size >= 32 && (x == 0 || y == 0 || x == glass - 1 || y == glass - 1);
      image.Set(bezel + x, bezel + y,
                rim ? kRim
                    : Rgba{static_cast<std::uint8_t>(168 - fade),
                           static_cast<std::uint8_t>(198 - fade),
                           static_cast<std::uint8_t>(52 - fade / 2), 255});
    }
  }
  // Dots on a pitch that fits seven rows into the glass; from 32 pixels up
  // they stand apart as on the display, and unlit dots show faintly.
  const int pitch = std::max(2, glass * 10 / 76);
  const int gap = pitch <= 2 ? 0 : std::max(1, pitch / 4);
  const int dot = pitch - gap;
  const int left = bezel + (glass - (5 * pitch - gap)) / 2;
  const int top = bezel + (glass - (7 * pitch - gap)) / 2;
  for (int row = 0; row < 7; ++row) {
    for (int column = 0; column < 5; ++column) {
      const bool lit = kGlyph[row][column] == '#';
      if (!lit && gap == 0) continue;
      for (int y = 0; y < dot; ++y) {
        for (int x = 0; x < dot; ++x) {
          const int px = left + column * pitch + x;
          const int py = top + row * pitch + y;
          const Rgba glass_colour = image.At(px, py);
          image.Set(
              px, py,
              lit ? kLit
                  : Rgba{static_cast<std::uint8_t>(glass_colour.red - 14),
                         static_cast<std::uint8_t>(glass_colour.green - 12),
                         static_cast<std::uint8_t>(glass_colour.blue - 4),
                         255});
        }
      }
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_app_icon DIR\n";
    return 2;
  }
  for (const int size : kSizes) {
    const std::string side = std::to_string(size);
    const std::filesystem::path directory = std::filesystem::path(argv[1]) /
                                            "hicolor" / (side + "x" + side) /
                                            "apps";
    std::filesystem::create_directories(directory);
    if (!Draw(size).Save(directory / "trulvex.png")) {
      std::cerr << "make_app_icon: cannot write " << directory << "\n";
      return 1;
    }
  }
  return 0;
}
