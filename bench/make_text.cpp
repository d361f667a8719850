// Writes the benchmarks' sample text of the given size into a file, a
// megabyte at a time, so that a text of gigabytes needs no memory for it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sample_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_text BYTES FILE\n");
    return 2;
  }
  std::size_t left = std::strtoull(argv[1], nullptr, 10);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  trulvex::bench::SampleTextLines lines;
  std::string piece;
  while (left > 0) {
    while (piece.size() < (std::size_t{1} << 20)) lines.AppendLine(&piece);
    const std::size_t size = std::min(piece.size(), left);
    if (std::fwrite(piece.data(), 1, size, out) != size) break;
    left -= size;
    piece.erase(0, size);
  }
  if (std::fclose(out) != 0 || left != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
