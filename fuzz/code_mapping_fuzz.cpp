// The byte mapping: the vector and portable forms agree, flattening in one
// pass equals flattening first, and a text mapped in pieces gives the same
// codes as the whole text.
#include <string>
#include <vector>

#include "core/engine/code_mapping.h"
#include "core/engine/text_preparation.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::size_t cut_seed = data.ConsumeIntegral<std::uint16_t>();
  const std::string text = data.ConsumeRemainingBytesAsString();

  const std::string mapped = trulvex::MapToLcdCodes(text);
  const std::string flat = trulvex::FlattenToLcdCodes(text);
  FUZZ_CHECK(mapped == trulvex::MapToLcdCodesScalar(text));
  FUZZ_CHECK(flat == trulvex::FlattenToLcdCodesScalar(text));
  FUZZ_CHECK(flat == trulvex::MapToLcdCodes(trulvex::FlattenText(text)));
  FUZZ_CHECK(mapped.size() <= text.size() && flat.size() <= text.size());
  FUZZ_CHECK(trulvex::HasDisplayable(text, false) == !mapped.empty());
  FUZZ_CHECK(trulvex::HasDisplayable(text, true) == !flat.empty());

  for (const bool flatten : {false, true}) {
    trulvex::LcdCodeStream stream(flatten);
    std::string streamed;
    std::size_t step = cut_seed % 97 + 1;
    for (std::size_t offset = 0; offset < text.size();) {
      const std::string_view piece =
          std::string_view(text).substr(offset, step);
      std::vector<char> out(trulvex::LcdCodeStream::Room(piece.size()));
      streamed.append(out.data(), stream.Map(piece, out.data()));
      offset += piece.size();
      step = (step * 7 + 3) % 97 + 1;  // uneven cuts, some inside CR LF
    }
    FUZZ_CHECK(streamed == (flatten ? flat : mapped));
  }
  return 0;
}
