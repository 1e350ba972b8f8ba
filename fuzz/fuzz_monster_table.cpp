// Feeds arbitrary bytes to the monster table: once as a file read through the system services,
// once as text handed straight to the parser (one byte per character, so digits, TABs and line
// breaks are easy to reach).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/data/monster_table.h"
#include "platform/services.h"

namespace {

class BytesSystem : public plat::ISystem {
 public:
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool QueryPerformanceFrequency(int64_t& f) const override { f = 1; return true; }
  int64_t QueryPerformanceCounter() const override { return 0; }
  void Sleep(uint32_t) override {}
  void OutputDebugString(const std::wstring&) override {}
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring&, const std::wstring&,
                             plat::BoxButtons, bool) override { return plat::BoxAnswer::Ok; }
  bool IsDebuggerPresent() const override { return false; }
  void DebugBreak() override {}
  std::wstring GetCommandLine() const override { return L"fuzz"; }
  plat::FileRead ReadWholeFile(const std::wstring&, uint64_t maxBytes, std::vector<uint8_t>& bytes) const override {
    if (size > maxBytes) return {plat::FileFault::TooLarge, 0, size};
    bytes.assign(data, data + size);
    return {};
  }
};

size_t CountLines(const std::wstring& text) {
  size_t lines = 1;
  for (wchar_t c : text) lines += c == L'\n';
  return lines;
}

void Check(const MonsterTable& table, size_t maxRows) {
  if (table.size() > maxRows) std::abort();
  for (const MonsterRecord& r : table) {
    const int64_t sum = int64_t{r.column5} + r.column6 + r.column7 + r.column8;
    if (r.average5to8 != sum / 4) std::abort();
    if (r.column1 < 0 || r.column16 < 0) std::abort();  // digits only: never negative
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static BytesSystem system;
  system.data = data;
  system.size = size;
  plat::Services services = plat::GetServices();
  services.system = &system;
  plat::SetServices(services);

  std::vector<uint8_t> bytes(data, data + size);
  const std::wstring fileText = MonsterFileText(bytes);
  MonsterTable fromFile;
  if (fromFile.LoadFile(L"Data2/monster.txt") != 1) std::abort();
  Check(fromFile, CountLines(fileText));
  if (ShortTableLine(L"Data2/monster.txt", fromFile, 8).back() != L'\n') std::abort();

  std::wstring text(data, data + size);
  MonsterTable fromText;
  fromText.ParseText(text);
  Check(fromText, CountLines(text));
  const size_t once = fromText.size();
  fromText.ParseText(text);
  if (fromText.size() != 2 * once) std::abort();
  return 0;
}
