#pragma once
// Process services on SDL and POSIX.
#include <string>
#include <vector>

#include "platform/system/system.h"

namespace plat {

class SdlSystem final : public ISystem {
 public:
  bool QueryPerformanceFrequency(int64_t& ticksPerSecond) const override;
  int64_t QueryPerformanceCounter() const override;
  void Sleep(uint32_t milliseconds) override;
  void OutputDebugString(const std::wstring& text) override;
  BoxAnswer MessageBox(WindowHandle owner, const std::wstring& text, const std::wstring& caption,
                       BoxButtons buttons, bool errorIcon) override;
  bool IsDebuggerPresent() const override;
  void DebugBreak() override;
  std::wstring GetCommandLine() const override;
  FileRead ReadWholeFile(const std::wstring& name, uint64_t maxBytes, std::vector<uint8_t>& bytes) const override;
};

// One wide command line from argv: arguments are separated by one blank, and an argument that
// contains a blank or a tab (or is empty) is enclosed in double quotes.
std::wstring BuildCommandLine(const std::vector<std::string>& args);

// False when a message box could not be answered by anyone: no display, a headless video
// driver, or ARENA_NO_MESSAGE_BOXES in the environment. Reads the environment on every call.
bool MessageBoxesPossible();

// The TracerPid line of a /proc/<pid>/status text: true when it names a tracer.
bool StatusShowsTracer(const std::string& statusText);

}  // namespace plat
