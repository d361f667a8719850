// Turns the character generator's text art (src/core/engine/lcd_glyphs.txt)
// into the table that core/engine/lcd_glyphs.cpp includes: one line of eight
// row bytes per code, the leftmost dot in bit 4. A malformed file stops the
// build with the line at fault.

#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kCodes = 256;
constexpr int kRows = 8;
constexpr int kColumns = 5;

struct Failure {
  int line;
  std::string what;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The code of a block header "// 0xNN ...", or -1 for any other line.
int HeaderCode(const std::string& line) {
  if (line.rfind("// 0x", 0) != 0 || line.size() < 7) return -1;
  const int high = HexDigit(line[5]);
  const int low = HexDigit(line[6]);
  if (high < 0 || low < 0 || (line.size() > 7 && line[7] != ' ')) return -1;
  return high * 16 + low;
}

std::string Hex(int code) {
  static const char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[code >> 4] + kDigits[code & 15];
}

std::vector<std::array<std::uint8_t, kRows>> Parse(std::istream& in) {
  std::vector<std::array<std::uint8_t, kRows>> glyphs;
  int rows_done = kRows;  // no block open yet
  std::string line;
  int number = 0;
  const auto fail = [&](std::string what) {
    throw Failure{number, std::move(what)};
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const int code = HeaderCode(line);
    if (code >= 0) {
      if (rows_done != kRows) {
        fail("the block of " + Hex(static_cast<int>(glyphs.size()) - 1) +
             " has " + std::to_string(rows_done) + " rows, not 8");
      }
      if (code != static_cast<int>(glyphs.size())) {
        fail("block " + Hex(code) + " where " +
             Hex(static_cast<int>(glyphs.size())) + " was expected");
      }
      glyphs.push_back({});
      rows_done = 0;
      continue;
    }
    if (line.rfind("//", 0) == 0) continue;
    if (line.empty()) {
      if (rows_done != kRows) fail("blank line inside a block");
      continue;
    }
    if (rows_done == kRows) fail("dots outside a block");
    if (line.size() != kColumns) {
      fail("a row of " + std::to_string(line.size()) + " characters, not 5");
    }
    std::uint8_t bits = 0;
    for (char c : line) {
      if (c != '#' && c != '.') fail("a row may hold only '#' and '.'");
      bits = static_cast<std::uint8_t>(bits << 1 | (c == '#' ? 1 : 0));
    }
    glyphs.back()[rows_done++] = bits;
  }
  ++number;
  if (rows_done != kRows) fail("the last block is short of rows");
  if (glyphs.size() != kCodes) {
    fail(std::to_string(glyphs.size()) + " blocks, not 256");
  }
  return glyphs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_glyph_table <glyph art> <table to write>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "make_glyph_table: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::vector<std::array<std::uint8_t, kRows>> glyphs;
  try {
    glyphs = Parse(in);
  } catch (const Failure& failure) {
    std::cerr << argv[1] << ":" << failure.line << ": " << failure.what << "\n";
    return 1;
  }
  std::ostringstream table;
  table << "// Made by tools/make_glyph_table.cpp from lcd_glyphs.txt.\n";
  for (int code = 0; code < kCodes; ++code) {
    table << "{{";
    for (int row = 0; row < kRows; ++row) {
      table << (row ? ", " : "") << Hex(glyphs[code][row]);
    }
    table << "}},  // " << Hex(code) << "\n";
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << table.str();
  if (!out.flush()) {
    std::cerr << "make_glyph_table: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
