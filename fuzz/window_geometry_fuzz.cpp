// Stored window settings, as hostile as a hand-edited Preferences.ini can
// make them, on any arrangement of screens: the restored window never
// overflows (the sanitizers watch the arithmetic), lies whole on one of the
// screens whenever they can hold a frame, and keeps its divider inside.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "core/shell/settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  using trulvex::ScreenRect;
  FuzzedDataProvider data(bytes, size);
  trulvex::Settings settings;
  settings.X = data.ConsumeIntegral<std::int32_t>();
  settings.Y = data.ConsumeIntegral<std::int32_t>();
  settings.W = data.ConsumeIntegral<std::int32_t>();
  settings.H = data.ConsumeIntegral<std::int32_t>();
  settings.R = data.ConsumeIntegral<std::int32_t>();
  const ScreenRect frame{0, 0, data.ConsumeIntegralInRange(0, 100),
                         data.ConsumeIntegralInRange(0, 100)};
  const int menu_outside = data.ConsumeIntegralInRange(0, 100);
  const ScreenRect minimum{0, 0, data.ConsumeIntegralInRange(0, 1000),
                           data.ConsumeIntegralInRange(0, 1000)};
  std::vector<ScreenRect> screens(data.ConsumeIntegralInRange(0, 4));
  for (ScreenRect& screen : screens) {
    screen = {data.ConsumeIntegralInRange(-20000, 20000),
              data.ConsumeIntegralInRange(-20000, 20000),
              data.ConsumeIntegralInRange(1, 20000),
              data.ConsumeIntegralInRange(1, 20000)};
  }
  const trulvex::WindowGeometry geometry = trulvex::RestoredWindowGeometry(
      settings, screens, frame, menu_outside, minimum);
  FUZZ_CHECK(geometry.width >= 1 && geometry.height >= 1);
  FUZZ_CHECK(geometry.divider >= 0 && geometry.divider <= geometry.height);
  const std::int64_t right =
      std::int64_t{geometry.x} + geometry.width + frame.width;
  const std::int64_t bottom =
      std::int64_t{geometry.y} + geometry.height + frame.height;
  // A screen narrower than the frame itself cannot hold any window.
  bool roomy = true;
  bool inside = false;
  for (const ScreenRect& s : screens) {
    roomy = roomy && s.width > frame.width && s.height > frame.height;
    inside = inside || (geometry.x >= s.left && geometry.y >= s.top &&
                        right <= std::int64_t{s.left} + s.width &&
                        bottom <= std::int64_t{s.top} + s.height);
  }
  FUZZ_CHECK(!roomy || inside || screens.empty());
  return 0;
}
