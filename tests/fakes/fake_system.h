#pragma once
// Process services for tests: a clock the test moves, recorded debugger output and message boxes,
// a scripted command line, and files read from disk as the game reads them.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/system/system.h"

namespace fake {

class FakeSystem : public plat::ISystem {
 public:
  // Microsecond ticks, starting well away from 0 so that the first frame's "more than a second
  // since the last statistics" holds as it does on a real machine. Sleep moves the clock on.
  int64_t counter = 1000 * 1'000'000LL;
  void AdvanceSeconds(double seconds) { counter += static_cast<int64_t>(seconds * 1e6); }
  std::vector<uint32_t> sleeps;

  std::vector<std::wstring> writes;  // one entry per OutputDebugString call
  std::wstring Joined() const {
    std::wstring all;
    for (const std::wstring& w : writes) all += w;
    return all;
  }
  bool DebugOutputContains(const std::wstring& text) const { return Joined().find(text) != std::wstring::npos; }

  // Message boxes: recorded; Yes/No boxes are answered from `answers` in order, then No.
  struct Box {
    std::wstring text, caption;
    plat::BoxButtons buttons = plat::BoxButtons::Ok;
    bool errorIcon = false;
  };
  std::vector<Box> shown;
  std::deque<plat::BoxAnswer> answers;

  bool debuggerPresent = false;
  int debugBreaks = 0;
  std::wstring commandLine = L"arena";

  bool QueryPerformanceFrequency(int64_t& ticksPerSecond) const override {
    ticksPerSecond = 1'000'000;
    return true;
  }
  int64_t QueryPerformanceCounter() const override { return counter; }
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    counter += int64_t(milliseconds) * 1000;
  }
  void OutputDebugString(const std::wstring& text) override { writes.push_back(text); }
  plat::BoxAnswer MessageBox(plat::WindowHandle, const std::wstring& text, const std::wstring& caption,
                             plat::BoxButtons buttons, bool errorIcon) override {
    shown.push_back(Box{text, caption, buttons, errorIcon});
    if (buttons == plat::BoxButtons::Ok) return plat::BoxAnswer::Ok;
    if (answers.empty()) return plat::BoxAnswer::No;
    plat::BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool IsDebuggerPresent() const override { return debuggerPresent; }
  void DebugBreak() override { ++debugBreaks; }
  std::wstring GetCommandLine() const override { return commandLine; }
  plat::FileRead ReadWholeFile(const std::wstring& name, uint64_t maxBytes, std::vector<uint8_t>& bytes) const override {
    return plat::ReadRegularFile(std::string(name.begin(), name.end()), maxBytes, bytes);  // ASCII names only
  }
};

}  // namespace fake
