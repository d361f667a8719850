// The code page 1251 codec: decoding then encoding gives the bytes back,
// the piecewise decoder and detector agree with the whole-text ones
// wherever the text is cut, and so does the reader that decides a text's
// encoding as it reads it, from memory or from a stream.
#include <cstdio>
#include <memory>
#include <string>

#include "core/base/byte_source.h"
#include "core/base/cp1251.h"
#include "core/base/decoding_text_reader.h"
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

  // The reader applies the whole-text rule chunk by chunk.
  const trulvex::TextEncoding encoding = trulvex::DetectEncoding(input);
  const std::string expected =
      encoding == trulvex::TextEncoding::kCp1251
          ? input
          : trulvex::Utf8ToCp1251(
                input.substr(input.starts_with(trulvex::kUtf8Bom) ? 3 : 0));
  std::FILE* stream =
      fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
  const std::unique_ptr<trulvex::ByteSource> sources[] = {
      trulvex::ByteSource::FromBytes(input, cut_seed % 13 + 1),
      stream != nullptr ? trulvex::ByteSource::FromStream(stream) : nullptr};
  for (const auto& source : sources) {
    if (!source) continue;
    trulvex::DecodingTextReader reader(source.get(), std::nullopt);
    if (cut_seed % 3 == 0) FUZZ_CHECK(reader.Decide() == encoding);
    std::string read;
    for (std::string_view chunk; !(chunk = reader.Next()).empty();) {
      read += chunk;
      FUZZ_CHECK(reader.LfFollows() ==
                 (expected.find('\n', read.size()) != std::string::npos));
    }
    FUZZ_CHECK(!reader.failed());
    FUZZ_CHECK(read == expected);
    FUZZ_CHECK(reader.encoding() == encoding);
  }
  if (stream != nullptr) std::fclose(stream);
  return 0;
}
