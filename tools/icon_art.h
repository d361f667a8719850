#ifndef TRULVEX_TOOLS_ICON_ART_H_
#define TRULVEX_TOOLS_ICON_ART_H_

// The program's stored pictures, drawn as pixel art. Every picture is 16
// rows of 16 characters, top row first; '.' is transparent and every other
// character is an ink of the picture's legend. make_icons turns them into
// the .ico files the program embeds.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace trulvex::icon_art {

struct Rgb {
  std::uint8_t red, green, blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Ink {
  char key;
  Rgb colour;
};

struct Picture {
  int image;
  // 24 for full colour; 4 for the pictures held to the 16 standard colours.
  int bit_count;
  // The undo and redo files leave plane and bit count at 0 in their
  // directory entry; their bitmap header still tells the truth.
  bool entry_has_bit_count;
  std::vector<Ink> legend;
  std::array<std::string_view, 16> rows;
};

inline constexpr char kTransparent = '.';

// The 16 standard colours, which the 16-colour pictures are limited to.
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kMaroon{128, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kOlive{128, 128, 0};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kPurple{128, 0, 128};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kGray{128, 128, 128};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kLime{0, 255, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kFuchsia{255, 0, 255};
inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// The palette stored in every 16-colour file, in the usual Windows order.
inline constexpr std::array<Rgb, 16> kStandardPalette = {
    kBlack, kMaroon, kGreen, kOlive,  kNavy, kPurple,  kTeal, kSilver,
    kGray,  kRed,    kLime,  kYellow, kBlue, kFuchsia, kAqua, kWhite};

// Inks shared by several full-colour pictures keep the set one family.
inline constexpr Ink kOutline{'k', {32, 32, 40}};
inline constexpr Ink kPaper{'w', {255, 255, 255}};
inline constexpr Ink kPaperShade{'s', {214, 220, 228}};
inline constexpr Ink kTextLine{'t', {110, 130, 170}};
inline constexpr Ink kSteel{'s', {206, 212, 222}};
inline constexpr Ink kFolder{'y', {236, 190, 64}};
inline constexpr Ink kFolderLight{'Y', {255, 228, 140}};
inline constexpr Ink kFolderDark{'o', {150, 104, 20}};
inline constexpr Ink kBlueInk{'b', {40, 110, 210}};
inline constexpr Ink kBlueLight{'B', {120, 180, 250}};
inline constexpr Ink kBlueDark{'n', {16, 50, 120}};

// clang-format off
inline const std::vector<Picture>& Pictures() {
  static const std::vector<Picture> pictures = {
      // Open a file: an open folder.
      {1, 24, true,
       {kOutline, kFolder, kFolderLight, kFolderDark},
       {{
           "................",
           "................",
           "..kkkk..........",
           ".kYYYYk.........",
           "kYyyyyYkkkkkkk..",
           "kYyyyyyyyyyyyk..",
           "kYyyyyyyyyyyyk..",
           "kYyyykkkkkkkkkkk",
           "kYyykYYYYYYYYYYk",
           "kYykYyyyyyyyyyk.",
           "kYkYyyyyyyyyyok.",
           "kykYyyyyyyyyyk..",
           "kkYyyyyyyyyook..",
           "kkooooooooook...",
           ".kkkkkkkkkkk....",
           "................",
       }}},
      // Save: a diskette.
      {2, 4, true,
       {{'k', kBlack}, {'n', kNavy}, {'b', kBlue}, {'w', kWhite},
        {'s', kSilver}, {'g', kGray}},
       {{
           ".kkkkkkkkkkkkkk.",
           "knbwwwwwwwwwwnnk",
           "knbwggggggggwnnk",
           "knbwwwwwwwwwwnnk",
           "knbwggggggggwnnk",
           "knbwwwwwwwwwwnnk",
           "knbnnnnnnnnnnnnk",
           "knbnnnnnnnnnnnnk",
           "knbnnnnnnnnnnnnk",
           "knnnssssssssnnnk",
           "knnnsskkssssnnnk",
           "knnnsskkssssnnnk",
           "knnnsskkssssnnnk",
           "knnnssssssssnnnk",
           "knnnssssssssnnnk",
           ".kkkkkkkkkkkkkk.",
       }}},
      // Profile management: a table of settings and a gear.
      {3, 4, true,
       {{'k', kBlack}, {'n', kNavy}, {'w', kWhite}, {'s', kSilver},
        {'g', kGray}, {'y', kYellow}, {'o', kOlive}},
       {{
           ".kkkkkkkkkkkk...",
           "knnnnnnnnnnnk...",
           "kkkkkkkkkkkkk...",
           "kwwwgwwwwwwwk...",
           "kwswgwssssswk...",
           "kwwwgwwwwkkkk...",
           "kgggggkkgkykkkk.",
           "kwwwgwkykyyykok.",
           "kwswgwskykkkok..",
           "kwwwgkkykwwwkokk",
           "kggggkyykwwwkook",
           "kwwwgkkykwwwkokk",
           "kwswgwskokkkok..",
           "kwwwgwkokooooko.",
           "kkkkkkkkkkokkkk.",
           ".........kkk....",
       }}},
      // Cut: scissors.
      {4, 24, true,
       {kOutline, kSteel, {'g', {120, 126, 140}}, {'r', {214, 40, 40}}},
       {{
           "..k..........k..",
           "..kk........kk..",
           "..ksk......ksk..",
           "...ksk....ksk...",
           "...kssk..kssk...",
           "....ksskkssk....",
           ".....kssssk.....",
           "......kggk......",
           ".....krkkrk.....",
           "....krk..krk....",
           "..kkrrk..krrkk..",
           ".krrrrk..krrrrk.",
           "krr..rk..kr..rrk",
           "krr..rk..kr..rrk",
           ".krrrrk..krrrrk.",
           "..kkkk....kkkk..",
       }}},
      // Copy: two sheets.
      {5, 24, true,
       {kOutline, kPaper, kPaperShade, kTextLine},
       {{
           ".kkkkkkkk.......",
           "kwwwwwwwk.......",
           "kwttttwwk.......",
           "kwwwwwwwk.......",
           "kwttttkkkkkkk...",
           "kwwwwwkwwwwwkk..",
           "kwtttwkwwwwwksk.",
           "kwwwwwkwtttwkkkk",
           "kwttttkwwwwwwwsk",
           "kwwwwwkwttttttsk",
           "kwtttwkwwwwwwwsk",
           "kwwwwwkwttttttsk",
           "kkkkkkkwwwwwwwsk",
           "......kwttttttsk",
           "......kwwwwwwwsk",
           "......kkkkkkkkk.",
       }}},
      // Paste: a clipboard with a sheet on it.
      {6, 24, true,
       {kOutline, kPaper, kPaperShade, kTextLine, {'m', kSteel.colour},
        {'c', {190, 130, 60}}, {'d', {120, 74, 28}}},
       {{
           "....kkkkk.......",
           "ddddkmmmkdddd...",
           "dcckkmmmkkccd...",
           "dcckkkkkkkccd...",
           "dcccccccccccd...",
           "dcccccccccccd...",
           "dcccckkkkkkkkkk.",
           "dcccckwwwwwwwsk.",
           "dcccckwttttttsk.",
           "dcccckwwwwwwwsk.",
           "dcccckwttttttsk.",
           "dcccckwwwwwwwsk.",
           "dcccckwtttttwsk.",
           "dcccckwwwwwwwsk.",
           "dddddkwwwwwwwsk.",
           ".....kkkkkkkkkk.",
       }}},
      // New document: a blank sheet with a sparkle.
      {7, 24, true,
       {kOutline, kPaper, kPaperShade, {'y', {255, 200, 30}},
        {'Y', {255, 250, 200}}},
       {{
           ".kkkkkkk.....y..",
           ".kwwwwwkk....y..",
           ".kwwwwwksk.yyYyy",
           ".kwwwwwkssk..y..",
           ".kwwwwwkkkkk.y..",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".kwwwwwwwwsk....",
           ".ksssssssssk....",
           ".kkkkkkkkkkk....",
       }}},
      // About: an "i" on a blue disc.
      {9, 24, true,
       {kOutline, kPaper, kBlueInk, kBlueLight, kBlueDark},
       {{
           ".....kkkkkk.....",
           "...kkBBBBBBkk...",
           "..kBBBBwwBBbbk..",
           ".kBBbbbwwbbbbbk.",
           ".kBbbbbbbbbbbnk.",
           "kBbbbbwwwbbbbbnk",
           "kBbbbbbwwbbbbbnk",
           "kBbbbbbwwbbbbbnk",
           "kbbbbbbwwbbbbbnk",
           "kbbbbbbwwbbbbbnk",
           "kbbbbbbwwbbbbnnk",
           ".kbbbbwwwwbbbnk.",
           ".kbbbbbbbbbbnnk.",
           "..kbbbbbbbbnnk..",
           "...kknnnnnnkk...",
           ".....kkkkkk.....",
       }}},
      // Text modified: a pencil.
      {10, 24, true,
       {kOutline, {'p', {240, 130, 150}}, {'s', {190, 196, 206}},
        {'Y', {255, 236, 130}}, {'y', {250, 200, 40}}, {'o', {190, 130, 20}},
        {'c', {236, 204, 156}}, {'g', {80, 80, 88}}},
       {{
           "................",
           "............kkk.",
           "...........kpppk",
           "..........kppppk",
           ".........kssppk.",
           "........kYyssk..",
           ".......kYyyok...",
           "......kYyyok....",
           ".....kYyyok.....",
           "....kYyyok......",
           "...kccyok.......",
           "...kcccok.......",
           "..kccckk........",
           "..kgck..........",
           "..kkk...........",
           "................",
       }}},
      // Undo: an arrow turning back to the left.
      {20, 24, false,
       {kOutline, kBlueInk, kBlueLight, kBlueDark},
       {{
           "................",
           "................",
           "................",
           ".......kkkkk....",
           ".....kkBBBBBkk..",
           "....kbbbbbbbbbk.",
           "...kbbbkkkkkbbbk",
           "...kbbk.....kbbk",
           "...kbbk.....kbbk",
           ".kkkbbkkk...kbbk",
           ".kbbbbbbk...kbbk",
           "..kbbbbk....kkkk",
           "...kbbk.........",
           "....kk..........",
           "................",
           "................",
       }}},
      // Redo: the same arrow turning to the right.
      {21, 24, false,
       {kOutline, kBlueInk, kBlueLight, kBlueDark},
       {{
           "................",
           "................",
           "................",
           "....kkkkk.......",
           "..kkBBBBBkk.....",
           ".kbbbbbbbbbk....",
           "kbbbkkkkkbbbk...",
           "kbbk.....kbbk...",
           "kbbk.....kbbk...",
           "kbbk...kkkbbkkk.",
           "kbbk...kbbbbbbk.",
           "kkkk....kbbbbk..",
           ".........kbbk...",
           "..........kk....",
           "................",
           "................",
       }}},
      // Convert: the text goes down into a character display.
      {22, 24, true,
       {kOutline, {'r', {170, 40, 10}}, {'R', {250, 140, 40}},
        {'G', {150, 200, 60}}, {'d', {30, 60, 20}}},
       {{
           "......rrrr......",
           "......rRRr......",
           "......rRRr......",
           "...rrrrRRrrrr...",
           "....rRRRRRRr....",
           ".....rRRRRr.....",
           "......rRRr......",
           "kkkkkkkrrkkkkkkk",
           "kGGGGGGGGGGGGGGk",
           "kGGdGGdGdGdddGGk",
           "kGdGdGdGdGGdGGGk",
           "kGdddGdGdGGdGGGk",
           "kGdGdGGdGGGdGGGk",
           "kGGGGGGGGGGGGGGk",
           "kkkkkkkkkkkkkkkk",
           "................",
       }}},
      // The display preview: a character module, its glass showing text.
      {23, 24, true,
       {kOutline, {'p', {34, 110, 62}}, {'h', {214, 214, 190}},
        {'G', {170, 212, 70}}, {'d', {30, 60, 20}}},
       {{
           "................",
           "pppppppppppppppp",
           "phpppppppppppphp",
           "pkkkkkkkkkkkkkkp",
           "pkGGGGGGGGGGGGkp",
           "pkGdGdGddGGdGGkp",
           "pkGdddGdGdGdGGkp",
           "pkGdGdGddGGdGGkp",
           "pkGGGGGGGGGGGGkp",
           "pkGddGGdGdGdGGkp",
           "pkGdGdGdGdGdGGkp",
           "pkGddGGGdGGdGGkp",
           "pkGGGGGGGGGGGGkp",
           "pkkkkkkkkkkkkkkp",
           "phpppppppppppphp",
           "pppppppppppppppp",
       }}},
  };
  return pictures;
}
// clang-format on

}  // namespace trulvex::icon_art

#endif  // TRULVEX_TOOLS_ICON_ART_H_
