// Writes the benchmarks' sample text of the given size into a file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sample_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_text BYTES FILE\n");
    return 2;
  }
  const std::size_t size = std::strtoull(argv[1], nullptr, 10);
  const std::string text = trulvex::bench::SampleText(size);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
