#ifndef TRULVEX_BENCH_SAMPLE_TEXT_H_
#define TRULVEX_BENCH_SAMPLE_TEXT_H_

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace trulvex::bench {

// A reproducible code page 1251 text: Russian and Latin words, punctuation
// and CR LF line ends, as a display text would hold. Made line by line, so
// that a text of any size can be written out in pieces.
class SampleTextLines {
 public:
  // Appends the next line to `text`.
  void AppendLine(std::string* text) {
    for (int i = 0, n = 3 + static_cast<int>(random_() % 10); i < n; ++i) {
      if (i) *text += ' ';
      *text += kWords[random_() % kWords.size()];
    }
    *text += "\r\n";
  }

 private:
  // "Привет", "мир", "дисплей", "строка", "текст", "символ", "код", "Ёлка",
  // "«кавычки»", "№5" and some Latin ones.
  inline static const std::vector<std::string> kWords = {
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
  std::mt19937 random_{20261206};
};

// The first `size` bytes of the sample text.
inline std::string SampleText(std::size_t size) {
  SampleTextLines lines;
  std::string text;
  text.reserve(size + 64);
  while (text.size() < size) lines.AppendLine(&text);
  text.resize(size);
  return text;
}

}  // namespace trulvex::bench

#endif  // TRULVEX_BENCH_SAMPLE_TEXT_H_
