#pragma once
// An ISystem whose files live in memory; everything but ReadWholeFile is inert.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/services.h"

namespace datatest {

class MemorySystem : public plat::ISystem {
 public:
  std::map<std::wstring, std::vector<uint8_t>> files;
  std::vector<std::wstring> unreadable;  // present but failing to read
  mutable int reads = 0;

  bool QueryPerformanceFrequency(int64_t& f) const override { f = 1; return true; }
  int64_t QueryPerformanceCounter() const override { return 0; }
  void Sleep(uint32_t) override {}
  void OutputDebugString(const std::wstring&) override {}
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring&, const std::wstring&,
                             plat::BoxButtons, bool) override { return plat::BoxAnswer::Ok; }
  bool IsDebuggerPresent() const override { return false; }
  void DebugBreak() override {}
  std::wstring GetCommandLine() const override { return L"arena"; }
  bool ReadWholeFile(const std::wstring& name, std::vector<uint8_t>& bytes) const override {
    ++reads;
    for (const auto& u : unreadable)
      if (u == name) return false;
    auto it = files.find(name);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }
};

// Installs a MemorySystem as the process's system services for the lifetime of the object.
class ScopedMemorySystem {
 public:
  ScopedMemorySystem() : saved_(plat::GetServices()) {
    plat::Services s = saved_;
    s.system = &system;
    plat::SetServices(s);
  }
  ~ScopedMemorySystem() { plat::SetServices(saved_); }
  ScopedMemorySystem(const ScopedMemorySystem&) = delete;
  ScopedMemorySystem& operator=(const ScopedMemorySystem&) = delete;
  MemorySystem system;

 private:
  plat::Services saved_;
};

// Text as UTF-16LE bytes, without a byte order mark.
inline std::vector<uint8_t> Utf16le(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

}  // namespace datatest
