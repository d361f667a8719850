#ifndef TRULVEX_BENCH_SAMPLE_TEXT_H_
#define TRULVEX_BENCH_SAMPLE_TEXT_H_

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace trulvex::bench {

// A reproducible code page 1251 text of `size` bytes: Russian and Latin
// words, punctuation and CR LF line ends, as a display text would hold.
inline std::string SampleText(std::size_t size) {
  // "Привет", "мир", "дисплей", "строка", "текст", "символ", "код", "Ёлка",
  // "«кавычки»", "№5" and some Latin ones.
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
    for (int i = 0, n = 3 + static_cast<int>(random() % 10); i < n; ++i) {
      if (i) text += ' ';
      text += words[random() % words.size()];
    }
    text += "\r\n";
  }
  text.resize(size);
  return text;
}

}  // namespace trulvex::bench

#endif  // TRULVEX_BENCH_SAMPLE_TEXT_H_
