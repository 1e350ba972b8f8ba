#pragma once
// A system-services stand-in that records every debugger write; the rest answers harmlessly.
// Installing it swaps it into the process's services for the lifetime of the object.
#include <string>
#include <vector>

#include "platform/services.h"

namespace battletest {

class RecordingSystem : public plat::ISystem {
 public:
  RecordingSystem() : saved_(plat::GetServices()) {
    plat::Services s = saved_;
    s.system = this;
    plat::SetServices(s);
  }
  ~RecordingSystem() override { plat::SetServices(saved_); }
  RecordingSystem(const RecordingSystem&) = delete;
  RecordingSystem& operator=(const RecordingSystem&) = delete;

  // Every write, one entry per call.
  std::vector<std::wstring> writes;
  // The writes joined and cut at "\n".
  std::vector<std::wstring> Lines() const {
    std::vector<std::wstring> lines;
    std::wstring all;
    for (const auto& w : writes) all += w;
    size_t start = 0;
    for (size_t nl; (nl = all.find(L'\n', start)) != std::wstring::npos; start = nl + 1)
      lines.push_back(all.substr(start, nl - start));
    return lines;
  }

  bool QueryPerformanceFrequency(int64_t& f) const override { f = 1000000; return true; }
  int64_t QueryPerformanceCounter() const override { return 0; }
  void Sleep(uint32_t) override {}
  void OutputDebugString(const std::wstring& text) override { writes.push_back(text); }
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring&, const std::wstring&, plat::BoxButtons,
                             bool) override {
    return plat::BoxAnswer::No;
  }
  bool IsDebuggerPresent() const override { return false; }
  void DebugBreak() override {}
  std::wstring GetCommandLine() const override { return L"arena"; }
  bool ReadWholeFile(const std::wstring&, std::vector<uint8_t>&) const override { return false; }

 private:
  plat::Services saved_;
};

}  // namespace battletest
