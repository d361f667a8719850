// Writes a reproducible code page 1251 text of the given size: Russian and
// Latin words, punctuation and CR LF line ends, as a display text would hold.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_text BYTES FILE\n");
    return 2;
  }
  const std::size_t size = std::strtoull(argv[1], nullptr, 10);
  // Words in code page 1251: "Привет", "мир", "дисплей", "строка", "текст",
  // "символ", "код", "Ёлка", "«кавычки»", "№5" and some Latin ones.
  const std::vector<std::string> words = {
      "\xCF\xF0\xE8\xE2\xE5\xF2",
      "\xEC\xE8\xF0",
      "\xE4\xE8\xF1\xEF\xEB\xE5\xE9",
      "\xF1\xF2\xF0\xEE\xEA\xE0",
      "\xF2\xE5\xEA\xF1\xF2",
      "\xF1\xE8\xEC\xE2\xEE\xEB",
      "\xEA\xEE\xE4",
      "\xA8\xEB\xEA\xE0",
      "\xAB\xEA\xE0\xE2\xFB\xF7\xEA\xE8\xBB",
      "\xB9"
      "5",
      "HD44780",
      "LCD",
      "0x41,",
      "PIC16F84!"};
  std::mt19937 random(20261206);
  std::string text;
  text.reserve(size + 64);
  while (text.size() < size) {
    const int count = 3 + static_cast<int>(random() % 10);
    for (int i = 0; i < count; ++i) {
      if (i) text += ' ';
      text += words[random() % words.size()];
    }
    text += "\r\n";
  }
  text.resize(size);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
