// Writes the About window's banner into the file named on the command line:
// a character LCD module showing "TRULVEX" and an underline cursor in
// 5 by 8 dot cells, as a 168 by 35 pixel, 24-bit uncompressed Windows bitmap
// of 17696 bytes with its pixels at offset 54.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "byte_writer.h"

namespace {

constexpr int kWidth = 168;
constexpr int kHeight = 35;
constexpr int kRowBytes = kWidth * 3;  // already a multiple of four
constexpr int kPixelOffset = 14 + 40;
// Two zero bytes end the file, keeping its length a multiple of four.
constexpr int kTrailer = 2;
constexpr int kFileBytes = kPixelOffset + kRowBytes * kHeight + kTrailer;
static_assert(kFileBytes == 17696);

struct Rgb {
  int r, g, b;
};

using Glyph = std::array<const char*, 8>;

// The HD44780 way: 5 by 7 letters, the eighth row is the cursor's.
constexpr std::array<Glyph, 8> kCells = {{
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "....."},
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#", "....."},
    {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###.", "....."},
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####", "....."},
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#..", "....."},
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####", "....."},
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#", "....."},
    {".....", ".....", ".....", ".....", ".....", ".....", ".....", "#####"},
}};

constexpr int kDot = 2;        // a dot is 2 by 2 pixels
constexpr int kPitch = 3;      // with one pixel between dots
constexpr int kCellGap = 4;    // between character cells
constexpr int kPanelLeft = 5;  // the glass inside the bezel
constexpr int kPanelTop = 3;
constexpr int kPanelWidth = kWidth - 2 * kPanelLeft;
constexpr int kPanelHeight = kHeight - 2 * kPanelTop;

class Canvas {
 public:
  void Set(int x, int y, Rgb colour) { pixels_[y][x] = colour; }
  void Fill(int left, int top, int width, int height, Rgb colour) {
    for (int y = top; y < top + height; ++y) {
      for (int x = left; x < left + width; ++x) Set(x, y, colour);
    }
  }
  Rgb At(int x, int y) const { return pixels_[y][x]; }

 private:
  std::array<std::array<Rgb, kWidth>, kHeight> pixels_{};
};

Canvas Draw() {
  Canvas canvas;
  // Bezel: dark plastic, lighter along the top edge.
  for (int y = 0; y < kHeight; ++y) {
    const int shade = 70 - y;
    canvas.Fill(0, y, kWidth, 1, {shade, shade, shade + 6});
  }
  // Backlit glass with a darker rim and a faint vertical gradient.
  canvas.Fill(kPanelLeft - 1, kPanelTop - 1, kPanelWidth + 2, kPanelHeight + 2,
              {84, 104, 22});
  for (int y = 0; y < kPanelHeight; ++y) {
    canvas.Fill(kPanelLeft, kPanelTop + y, kPanelWidth, 1,
                {168 - y, 198 - y, 52 - y / 2});
  }
  // Character cells, centred on the glass; unlit dots stay faintly visible.
  const int cell_width = 5 * kPitch - (kPitch - kDot);
  const int cell_height = 8 * kPitch - (kPitch - kDot);
  const int row_width =
      static_cast<int>(kCells.size()) * (cell_width + kCellGap) - kCellGap;
  const int left = kPanelLeft + (kPanelWidth - row_width) / 2;
  const int top = kPanelTop + (kPanelHeight - cell_height) / 2;
  for (int cell = 0; cell < static_cast<int>(kCells.size()); ++cell) {
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 5; ++column) {
        const bool lit = kCells[cell][row][column] == '#';
        const int x = left + cell * (cell_width + kCellGap) + column * kPitch;
        const int y = top + row * kPitch;
        const Rgb glass = canvas.At(x, y);
        canvas.Fill(x, y, kDot, kDot,
                    lit ? Rgb{26, 42, 16}
                        : Rgb{glass.r - 14, glass.g - 12, glass.b - 4});
      }
    }
  }
  return canvas;
}

using trulvex::tools::Bytes;

std::string Encode(const Canvas& canvas) {
  Bytes out;
  out.U8('B');
  out.U8('M');
  out.U32(kFileBytes);
  out.U32(0);
  out.U32(kPixelOffset);
  out.U32(40);
  out.U32(kWidth);
  out.U32(kHeight);  // positive: the bottom row comes first
  out.U16(1);
  out.U16(24);
  out.U32(0);  // uncompressed
  out.U32(kRowBytes * kHeight);
  out.U32(2835);  // 72 dots per inch
  out.U32(2835);
  out.U32(0);
  out.U32(0);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb colour = canvas.At(x, y);
      out.U8(colour.b);
      out.U8(colour.g);
      out.U8(colour.r);
    }
  }
  for (int i = 0; i < kTrailer; ++i) out.U8(0);
  return out.data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_banner FILE.bmp\n";
    return 2;
  }
  const std::filesystem::path path = argv[1];
  if (path.has_parent_path()) {
    std::filesystem::create_directories(path.parent_path());
  }
  const std::string bytes = Encode(Draw());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::cerr << "make_banner: cannot write " << path << "\n";
    return 1;
  }
  return 0;
}
