// Command-line parser: any wide string must parse without reading past its end, and the values it
// hands on must be ones the framework can use.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/appcmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring line;
  if (size > 0 && data[0] == 'W') {
    // Raw wide characters, including negative and out-of-range code points.
    size_t n = (size - 1) / sizeof(wchar_t);
    line.resize(n);
    if (n) std::memcpy(line.data(), data + 1, n * sizeof(wchar_t));
  } else {
    // Readable seeds: one byte per character, high bytes sign-extended.
    for (size_t i = 0; i < size; ++i) line.push_back(static_cast<wchar_t>(static_cast<signed char>(data[i])));
  }
  // An exactly sized heap copy without a terminator, so any read past the end is caught.
  std::vector<wchar_t> exact(line.begin(), line.end());
  std::wstring_view view(exact.data(), exact.size());
  CommandLineResult r = ParseCommandLine(view);

  const CommandLineOverrides& o = r.overrides;
  if (o.width < 0 || o.height < 0 || o.quitAfterFrame < 0 || o.adapterOrdinal < -1) std::abort();
  if (!std::isfinite(o.constantTimePerFrame) || o.constantTimePerFrame < 0.0f) std::abort();
  for (const auto& t : r.traces)
    if (t.size() > 19 + 255 || t.size() <= 19) std::abort();
  return 0;
}
