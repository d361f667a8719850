// The character passes: the vector and portable forms agree, flattening in
// one pass equals flattening first, and a text passed in pieces gives what
// the whole text gives; so do the BIN codes of a text read in chunks,
// cleaned or not.
#include <string>
#include <vector>

#include "core/engine/bin_conversion.h"
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
  FUZZ_CHECK(trulvex::FlattenText(text) == trulvex::FlattenTextScalar(text));

  using trulvex::CharPass;
  const struct {
    CharPass pass;
    std::string whole;
  } passes[] = {{CharPass::kMap, mapped},
                {CharPass::kFlattenMap, flat},
                {CharPass::kFlatten, trulvex::FlattenText(text)}};
  for (const auto& [pass, whole] : passes) {
    std::uint8_t pending = 0;
    std::string streamed;
    std::size_t step = cut_seed % 97 + 1;
    for (std::size_t offset = 0; offset < text.size();) {
      const std::string_view piece =
          std::string_view(text).substr(offset, step);
      std::vector<char> out(trulvex::PassRoom(piece.size()));
      streamed.append(out.data(),
                      trulvex::RunCharPass(pass, piece, out.data(), &pending));
      offset += piece.size();
      step = (step * 7 + 3) % 97 + 1;  // uneven cuts, some inside CR LF
    }
    FUZZ_CHECK(streamed == whole);
  }

  trulvex::BinOptions options;
  options.DelErrSunmol = static_cast<int>(cut_seed % 3);
  options.DelSpace = static_cast<int>(cut_seed / 3 % 3);
  options.CountSpace = static_cast<int>(cut_seed / 9 % 5);
  const std::string codes = trulvex::MapToLcdCodes(
      trulvex::CleanText(trulvex::FlattenText(text), options.DelSpace,
                         options.CountSpace, options.DelErrSunmol));
  trulvex::fuzz::ChunkedReader reader(text, cut_seed / 45, cut_seed % 2 == 0);
  std::string sent;
  const trulvex::BinOutcome outcome =
      trulvex::StartBinConversion(reader, options, [&sent](std::string_view b) {
        sent.append(b);
        return true;
      });
  FUZZ_CHECK(sent == codes);
  FUZZ_CHECK((outcome == trulvex::BinOutcome::kSuccess) == !codes.empty());
  return 0;
}
