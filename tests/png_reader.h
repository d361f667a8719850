#ifndef TRULVEX_TESTS_PNG_READER_H_
#define TRULVEX_TESTS_PNG_READER_H_

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace trulvex::testing {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::vector<int> At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

// Reads an 8-bit RGB PNG without interlacing, as the preview writes it
// (with libpng, or with zlib alone where there is no libpng): the chunks'
// checksums, the image data and all five row filters. An empty picture
// when anything is wrong.
inline Picture DecodePng(std::string_view bytes) {
  const auto big_endian = [&](std::size_t at) {
    return std::uint32_t{static_cast<std::uint8_t>(bytes[at])} << 24 |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 1])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 2])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(bytes[at + 3])};
  };
  if (!bytes.starts_with("\x89PNG\r\n\x1A\n")) return {};
  Picture picture;
  std::string compressed;
  bool ended = false;
  for (std::size_t at = 8; !ended;) {
    if (bytes.size() - at < 12) return {};
    const std::uint32_t length = big_endian(at);
    if (bytes.size() - at - 12 < length) return {};
    const std::string_view typed = bytes.substr(at + 4, length + 4);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                           static_cast<uInt>(typed.size()));
    if (crc != big_endian(at + 8 + length)) return {};
    const std::string_view type = typed.substr(0, 4);
    const std::string_view data = typed.substr(4);
    if (type == "IHDR") {
      if (data.size() != 13 ||
          data.substr(8) != std::string_view("\x08\x02\x00\x00\x00", 5)) {
        return {};
      }
      picture.width = static_cast<int>(big_endian(at + 8));
      picture.height = static_cast<int>(big_endian(at + 12));
    } else if (type == "IDAT") {
      compressed += data;
    } else if (type == "IEND") {
      ended = true;
    }
    at += length + 12;
  }
  const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
  std::vector<std::uint8_t> raw((stride + 1) * picture.height);
  uLongf size = static_cast<uLongf>(raw.size());
  if (raw.empty() ||
      uncompress(raw.data(), &size,
                 reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size())) != Z_OK ||
      size != raw.size()) {
    return {};
  }
  picture.rgb.resize(stride * picture.height);
  for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height); ++y) {
    const std::uint8_t filter = raw[y * (stride + 1)];
    const std::uint8_t* in = &raw[y * (stride + 1) + 1];
    std::uint8_t* row = &picture.rgb[y * stride];
    const std::uint8_t* up = y > 0 ? row - stride : nullptr;
    for (std::size_t x = 0; x < stride; ++x) {
      const int a = x >= 3 ? row[x - 3] : 0;
      const int b = up != nullptr ? up[x] : 0;
      const int c = x >= 3 && up != nullptr ? up[x - 3] : 0;
      int predicted = 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          predicted = a;
          break;
        case 2:
          predicted = b;
          break;
        case 3:
          predicted = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c;
          const int pa = std::abs(p - a), pb = std::abs(p - b),
                    pc = std::abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default:
          return {};
      }
      row[x] = static_cast<std::uint8_t>(in[x] + predicted);
    }
  }
  return picture;
}

}  // namespace trulvex::testing

#endif  // TRULVEX_TESTS_PNG_READER_H_
