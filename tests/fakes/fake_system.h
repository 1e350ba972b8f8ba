#pragma once
// Process services for tests: a clock the test moves, recorded debugger output and message boxes,
// a scripted command line and in-memory files.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/system/system.h"

namespace fake {

class FakeSystem : public plat::ISystem {
 public:
  // Clock: `counter` ticks at `frequency` per second. Starts well away from 0 so that the first
  // frame's "more than a second since the last statistics" holds as it does on a real machine.
  int64_t frequency = 1'000'000;
  bool hasCounter = true;
  mutable int64_t counter = 1000 * 1'000'000LL;  // readings may drift it (ticksPerQuery)
  int64_t ticksPerQuery = 0;      // added after every counter reading
  bool sleepAdvancesClock = true;  // Sleep(ms) moves the clock on by ms
  void AdvanceSeconds(double seconds) { counter += static_cast<int64_t>(seconds * static_cast<double>(frequency)); }
  std::vector<uint32_t> sleeps;

  // Debugger output, one entry per call.
  std::vector<std::wstring> debugOutput;
  std::wstring AllDebugOutput() const;
  bool DebugOutputContains(const std::wstring& text) const { return AllDebugOutput().find(text) != std::wstring::npos; }

  // Message boxes: recorded; answered from `answers` in order, then `defaultAnswer`
  // (Ok for Ok boxes).
  struct Box {
    plat::WindowHandle owner = nullptr;
    std::wstring text, caption;
    plat::BoxButtons buttons = plat::BoxButtons::Ok;
    bool errorIcon = false;
  };
  std::vector<Box> boxes;
  std::deque<plat::BoxAnswer> answers;
  plat::BoxAnswer defaultAnswer = plat::BoxAnswer::No;

  bool debuggerPresent = false;
  int debugBreaks = 0;

  std::wstring commandLine = L"arena";
  std::map<std::wstring, std::vector<uint8_t>> files;

  bool QueryPerformanceFrequency(int64_t& ticksPerSecond) const override;
  int64_t QueryPerformanceCounter() const override;
  void Sleep(uint32_t milliseconds) override;
  void OutputDebugString(const std::wstring& text) override;
  plat::BoxAnswer MessageBox(plat::WindowHandle owner, const std::wstring& text, const std::wstring& caption,
                             plat::BoxButtons buttons, bool errorIcon) override;
  bool IsDebuggerPresent() const override { return debuggerPresent; }
  void DebugBreak() override { ++debugBreaks; }
  std::wstring GetCommandLine() const override { return commandLine; }
  bool ReadWholeFile(const std::wstring& name, std::vector<uint8_t>& bytes) const override;
};

}  // namespace fake
