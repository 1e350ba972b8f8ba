#pragma once
// A system-services stand-in that records debugger output and message boxes and reads files from
// disk; everything else does nothing.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/system/system.h"

class DebugCapture : public plat::ISystem {
 public:
  std::vector<std::wstring> writes;  // one entry per OutputDebugString call
  int boxes = 0;

  std::wstring Joined() const {
    std::wstring all;
    for (const std::wstring& w : writes) all += w;
    return all;
  }

  bool QueryPerformanceFrequency(int64_t& ticksPerSecond) const override {
    ticksPerSecond = 1000000;
    return true;
  }
  int64_t QueryPerformanceCounter() const override { return 0; }
  void Sleep(uint32_t) override {}
  void OutputDebugString(const std::wstring& text) override { writes.push_back(text); }
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring&, const std::wstring&, plat::BoxButtons buttons,
                             bool) override {
    ++boxes;
    return buttons == plat::BoxButtons::YesNo ? plat::BoxAnswer::No : plat::BoxAnswer::Ok;
  }
  bool IsDebuggerPresent() const override { return false; }
  void DebugBreak() override {}
  std::wstring GetCommandLine() const override { return L""; }
  bool ReadWholeFile(const std::wstring& name, std::vector<uint8_t>& bytes) const override {
    std::ifstream in(std::string(name.begin(), name.end()), std::ios::binary);  // ASCII names only
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  }
};
