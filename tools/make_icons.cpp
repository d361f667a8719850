// Writes the stored pictures of icon_art.h as image<N>.ico files into the
// directory named on the command line. Each file is a Windows icon holding
// one 16 by 16 image: 894 bytes in full colour, 318 bytes in 16 colours.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

#include "byte_writer.h"
#include "icon_art.h"

namespace {

using trulvex::icon_art::Picture;
using trulvex::icon_art::Rgb;

constexpr int kSide = 16;
constexpr int kEntryOffset = 6 + 16;  // after the header and one entry
constexpr int kMaskRowBytes = 4;      // 16 bits padded to a 32-bit boundary

using trulvex::tools::Bytes;

// Every pixel as a colour, or nothing where it is transparent.
std::map<char, Rgb> Legend(const Picture& picture) {
  std::map<char, Rgb> legend;
  for (const auto& ink : picture.legend) {
    if (ink.key == trulvex::icon_art::kTransparent ||
        !legend.emplace(ink.key, ink.colour).second) {
      throw std::runtime_error("ink '" + std::string(1, ink.key) +
                               "' is given twice");
    }
  }
  for (int y = 0; y < kSide; ++y) {
    const auto row = picture.rows[y];
    if (row.size() != kSide) {
      throw std::runtime_error("row " + std::to_string(y) + " is " +
                               std::to_string(row.size()) + " pixels wide");
    }
    for (char key : row) {
      if (key != trulvex::icon_art::kTransparent && !legend.count(key)) {
        throw std::runtime_error("row " + std::to_string(y) + " uses ink '" +
                                 std::string(1, key) +
                                 "' that the legend lacks");
      }
    }
  }
  return legend;
}

int PaletteIndex(const Rgb& colour) {
  const auto& palette = trulvex::icon_art::kStandardPalette;
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    if (palette[i] == colour) return i;
  }
  throw std::runtime_error(
      "a 16-colour picture uses a colour outside the "
      "standard palette");
}

std::string Encode(const Picture& picture) {
  const std::map<char, Rgb> legend = Legend(picture);
  const bool sixteen = picture.bit_count == 4;
  if (!sixteen && picture.bit_count != 24) {
    throw std::runtime_error("bit count must be 24 or 4");
  }
  const int row_bytes = sixteen ? kSide / 2 : kSide * 3;
  const int palette_bytes = sixteen ? 16 * 4 : 0;
  const int pixel_bytes = row_bytes * kSide;
  const int mask_bytes = kMaskRowBytes * kSide;
  const int image_bytes = 40 + palette_bytes + pixel_bytes + mask_bytes;
  const auto transparent = [&](int x, int y) {
    return picture.rows[y][x] == trulvex::icon_art::kTransparent;
  };

  Bytes out;
  out.U16(0);  // reserved
  out.U16(1);  // icon
  out.U16(1);  // one image
  out.U8(kSide);
  out.U8(kSide);
  out.U8(0);  // colour count: 0 also for 16 colours, as the palette says
  out.U8(0);
  out.U16(picture.entry_has_bit_count ? 1 : 0);
  out.U16(picture.entry_has_bit_count ? picture.bit_count : 0);
  out.U32(image_bytes);
  out.U32(kEntryOffset);

  out.U32(40);
  out.U32(kSide);
  out.U32(kSide * 2);  // colour half and mask half
  out.U16(1);
  out.U16(picture.bit_count);
  out.U32(0);  // uncompressed
  out.U32(pixel_bytes + mask_bytes);
  out.U32(0);
  out.U32(0);
  out.U32(0);
  out.U32(0);

  if (sixteen) {
    for (const Rgb& colour : trulvex::icon_art::kStandardPalette) {
      out.U8(colour.blue);
      out.U8(colour.green);
      out.U8(colour.red);
      out.U8(0);
    }
  }
  for (int y = kSide - 1; y >= 0; --y) {  // bottom row first
    for (int x = 0; x < kSide; x += sixteen ? 2 : 1) {
      if (sixteen) {
        const auto index = [&](int column) {
          return transparent(column, y)
                     ? 0
                     : PaletteIndex(legend.at(picture.rows[y][column]));
        };
        out.U8(index(x) << 4 | index(x + 1));
      } else {
        const Rgb colour =
            transparent(x, y) ? Rgb{0, 0, 0} : legend.at(picture.rows[y][x]);
        out.U8(colour.blue);
        out.U8(colour.green);
        out.U8(colour.red);
      }
    }
  }
  for (int y = kSide - 1; y >= 0; --y) {
    std::uint32_t bits = 0;  // leftmost pixel in the highest bit
    for (int x = 0; x < kSide; ++x) {
      if (transparent(x, y)) bits |= 0x8000u >> x;
    }
    out.U8(static_cast<int>(bits >> 8));
    out.U8(static_cast<int>(bits));
    out.U8(0);
    out.U8(0);
  }
  return out.data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_icons <output directory>\n";
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  for (const Picture& picture : trulvex::icon_art::Pictures()) {
    const std::string name = "image" + std::to_string(picture.image) + ".ico";
    std::string bytes;
    try {
      bytes = Encode(picture);
    } catch (const std::exception& failure) {
      std::cerr << "make_icons: " << name << ": " << failure.what() << "\n";
      return 1;
    }
    std::ofstream file(directory / name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      std::cerr << "make_icons: cannot write " << (directory / name) << "\n";
      return 1;
    }
  }
  return 0;
}
