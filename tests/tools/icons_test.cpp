#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "icon_art.h"
#include "test_support.h"

namespace trulvex {
namespace {

using icon_art::Picture;
using icon_art::Rgb;

std::string IconFile(int image) {
  return testing::ReadFile(std::filesystem::path(TRULVEX_ICON_DIR) /
                           ("image" + std::to_string(image) + ".ico"));
}

int U8(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes.at(at));
}
int U16(const std::string& bytes, std::size_t at) {
  return U8(bytes, at) | U8(bytes, at + 1) << 8;
}
std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(U16(bytes, at)) |
         static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

TEST(StoredIconsTest, TheElevenImagesAndTheirDepths) {
  std::set<int> images;
  for (const Picture& picture : icon_art::Pictures()) {
    images.insert(picture.image);
    EXPECT_EQ(picture.bit_count,
              picture.image == 2 || picture.image == 3 ? 4 : 24)
        << "image " << picture.image;
  }
  EXPECT_EQ(images,
            (std::set<int>{1, 2, 3, 4, 5, 6, 7, 9, 10, 20, 21, 22, 23}));
}

TEST(StoredIconsTest, FilesHaveTheSingleImageIconLayout) {
  for (const Picture& picture : icon_art::Pictures()) {
    SCOPED_TRACE("image " + std::to_string(picture.image));
    const std::string bytes = IconFile(picture.image);
    const bool sixteen = picture.bit_count == 4;
    ASSERT_EQ(bytes.size(), sixteen ? 318u : 894u);

    EXPECT_EQ(U16(bytes, 0), 0);
    EXPECT_EQ(U16(bytes, 2), 1);
    EXPECT_EQ(U16(bytes, 4), 1);
    EXPECT_EQ(U8(bytes, 6), 16);
    EXPECT_EQ(U8(bytes, 7), 16);
    EXPECT_EQ(U8(bytes, 8), 0);
    EXPECT_EQ(U8(bytes, 9), 0);
    const bool bare_entry = picture.image == 20 || picture.image == 21;
    EXPECT_EQ(U16(bytes, 10), bare_entry ? 0 : 1);
    EXPECT_EQ(U16(bytes, 12), bare_entry ? 0 : picture.bit_count);
    EXPECT_EQ(U32(bytes, 14), sixteen ? 296u : 872u);
    EXPECT_EQ(U32(bytes, 18), 22u);

    EXPECT_EQ(U32(bytes, 22), 40u);
    EXPECT_EQ(U32(bytes, 26), 16u);
    EXPECT_EQ(U32(bytes, 30), 32u);
    EXPECT_EQ(U16(bytes, 34), 1);
    EXPECT_EQ(U16(bytes, 36), picture.bit_count);
    EXPECT_EQ(U32(bytes, 38), 0u);
  }
}

// Reads every pixel back, bottom-up rows and mask included, and compares
// it with the drawing; the 16-colour files must carry the standard palette.
TEST(StoredIconsTest, PixelsAndMaskReproduceTheArt) {
  constexpr std::uint32_t kStandard16[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  const auto rgb = [](const std::string& bytes, std::size_t at) {
    return Rgb{static_cast<std::uint8_t>(U8(bytes, at + 2)),
               static_cast<std::uint8_t>(U8(bytes, at + 1)),
               static_cast<std::uint8_t>(U8(bytes, at))};
  };
  for (const Picture& picture : icon_art::Pictures()) {
    SCOPED_TRACE("image " + std::to_string(picture.image));
    const std::string bytes = IconFile(picture.image);
    const bool sixteen = picture.bit_count == 4;
    ASSERT_EQ(bytes.size(), sixteen ? 318u : 894u);
    const std::size_t pixels = sixteen ? 62 + 64 : 62;
    const std::size_t mask = pixels + (sixteen ? 128 : 768);
    if (sixteen) {
      for (int i = 0; i < 16; ++i) {
        const Rgb entry = rgb(bytes, 62 + 4 * i);
        EXPECT_EQ(entry.red << 16 | entry.green << 8 | entry.blue,
                  static_cast<int>(kStandard16[i]))
            << "palette entry " << i;
      }
    }
    for (int y = 0; y < 16; ++y) {
      const std::size_t row = 15 - y;
      for (int x = 0; x < 16; ++x) {
        const char key = picture.rows[y][x];
        Rgb stored;
        if (sixteen) {
          const int pair = U8(bytes, pixels + row * 8 + x / 2);
          const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
          stored = rgb(bytes, 62 + 4 * index);
        } else {
          stored = rgb(bytes, pixels + row * 48 + x * 3);
        }
        const bool masked =
            U8(bytes, mask + row * 4 + x / 8) & (0x80 >> (x % 8));
        const bool transparent = key == icon_art::kTransparent;
        EXPECT_EQ(masked, transparent) << "pixel " << x << "," << y;
        Rgb expected{0, 0, 0};
        for (const auto& ink : picture.legend) {
          if (!transparent && ink.key == key) expected = ink.colour;
        }
        EXPECT_TRUE(stored == expected) << "pixel " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace trulvex
