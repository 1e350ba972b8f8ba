#pragma once
// Process-level services: time, debug output, message boxes, command line and files.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/file_read.h"
#include "platform/system/messages.h"

namespace plat {

enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

class ISystem {
 public:
  virtual ~ISystem() = default;

  // Time.
  virtual bool QueryPerformanceFrequency(int64_t& ticksPerSecond) const = 0;
  virtual int64_t QueryPerformanceCounter() const = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;

  // Debugger output: one write per call, as UTF-8, in order, nothing added.
  virtual void OutputDebugString(const std::wstring& text) = 0;

  // Modal box. Returns at once (No for YesNo, Ok otherwise) when boxes are impossible (no display).
  virtual BoxAnswer MessageBox(WindowHandle owner, const std::wstring& text,
                               const std::wstring& caption, BoxButtons buttons, bool errorIcon) = 0;
  virtual bool IsDebuggerPresent() const = 0;
  virtual void DebugBreak() = 0;  // only called when a debugger is present

  // The whole command line as one wide string; arguments containing blanks are quoted.
  virtual std::wstring GetCommandLine() const = 0;

  // Reads an existing regular file, relative to the working directory, of at most `maxBytes`;
  // the result says why not when it cannot (see ReadRegularFile).
  virtual FileRead ReadWholeFile(const std::wstring& name, uint64_t maxBytes, std::vector<uint8_t>& bytes) const = 0;
};

// Stores the process arguments that GetCommandLine() of the real system rebuilds. Call it from
// main() before the framework reads the command line.
void SetCommandLineArgs(int argc, char** argv);

}  // namespace plat
