#ifndef TRULVEX_TOOLS_PNG_WRITER_H_
#define TRULVEX_TOOLS_PNG_WRITER_H_

// A PNG file of 8-bit RGBA pixels, compressed with zlib.

#include <zlib.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace trulvex::tools {

struct Rgba {
  std::uint8_t red, green, blue, alpha;
};

class PngImage {
 public:
  PngImage(int width, int height)
      : width_(width), height_(height), pixels_(width * height) {}

  int width() const { return width_; }
  int height() const { return height_; }
  void Set(int x, int y, Rgba colour) { pixels_[y * width_ + x] = colour; }
  Rgba At(int x, int y) const { return pixels_[y * width_ + x]; }

  std::string Encode() const {
    std::string raw;  // each row: filter type 0, then its pixels
    for (int y = 0; y < height_; ++y) {
      raw += '\0';
      for (int x = 0; x < width_; ++x) {
        const Rgba p = At(x, y);
        raw += static_cast<char>(p.red);
        raw += static_cast<char>(p.green);
        raw += static_cast<char>(p.blue);
        raw += static_cast<char>(p.alpha);
      }
    }
    std::string header;
    Big32(&header, static_cast<std::uint32_t>(width_));
    Big32(&header, static_cast<std::uint32_t>(height_));
    header += "\x08\x06";            // 8 bits per channel, RGBA
    header += std::string(3, '\0');  // deflate, adaptive filters, no interlace
    std::string png = "\x89PNG\r\n\x1A\n";
    Chunk(&png, "IHDR", header);
    Chunk(&png, "IDAT", Zlib(raw));
    Chunk(&png, "IEND", "");
    return png;
  }

 private:
  static void Big32(std::string* out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      *out += static_cast<char>((value >> shift) & 0xFF);
    }
  }

  static std::uint32_t Crc32(const std::string& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
      std::array<std::uint32_t, 256> t{};
      for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
      }
      return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
      crc = table[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
  }

  static void Chunk(std::string* png, const char* type,
                    const std::string& data) {
    Big32(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    *png += typed;
    Big32(png, Crc32(typed));
  }

  static std::string Zlib(const std::string& raw) {
    uLongf size = compressBound(raw.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.data()), raw.size(),
                  Z_BEST_COMPRESSION) != Z_OK) {
      throw std::runtime_error("zlib failed");
    }
    out.resize(size);
    return out;
  }

  int width_, height_;
  std::vector<Rgba> pixels_;
};

}  // namespace trulvex::tools

#endif  // TRULVEX_TOOLS_PNG_WRITER_H_
