// The code page 1251 codec: decoding then encoding gives the bytes back,
// and the piecewise decoder and detector agree with the whole-text ones
// wherever the text is cut.
#include <string>

#include "core/base/cp1251.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::size_t cut_seed = data.ConsumeIntegral<std::uint16_t>();
  const std::string input = data.ConsumeRemainingBytesAsString();

  // The input as code page 1251 text.
  const std::string utf8 = trulvex::Cp1251ToUtf8(input);
  FUZZ_CHECK(trulvex::IsValidUtf8(utf8));
  std::size_t unmappable = 1;
  FUZZ_CHECK(trulvex::Utf8ToCp1251(utf8, &unmappable) == input);
  FUZZ_CHECK(unmappable == 0);

  // The input as UTF-8 (mostly not well-formed).
  const std::string whole = trulvex::Utf8ToCp1251(input, &unmappable);
  FUZZ_CHECK(whole.size() <= input.size());
  FUZZ_CHECK((unmappable == 0) == (trulvex::IsValidUtf8(input) &&
                                   trulvex::Cp1251ToUtf8(whole) == input));

  trulvex::Utf8Decoder decoder;
  trulvex::EncodingDetector detector;
  std::string pieced;
  std::size_t step = cut_seed % 13 + 1;
  bool feeding = true;
  for (std::size_t offset = 0; offset < input.size();) {
    const std::string_view piece = std::string_view(input).substr(offset, step);
    decoder.Decode(piece, &pieced);
    if (feeding) feeding = detector.Feed(piece);
    offset += piece.size();
    step = (step * 5 + 1) % 13 + 1;
  }
  decoder.Finish(&pieced);
  FUZZ_CHECK(pieced == whole);
  FUZZ_CHECK(decoder.unmappable() == unmappable);
  FUZZ_CHECK(detector.Finish() == trulvex::DetectEncoding(input));
  return 0;
}
