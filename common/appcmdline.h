#pragma once
// The framework's command-line options. Parsing is a pure function from the command line to the
// values it asks for; AppInit applies the result to the framework state.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The override fields of the framework state, with their values when no option is given.
struct CommandLineOverrides {
  int adapterOrdinal = -1;  // -1: none
  bool windowed = false;
  bool fullScreen = false;
  int startX = -1;  // -1: none
  int startY = -1;
  int width = 0;  // 0: none
  int height = 0;
  bool forceHAL = false;
  bool forceREF = false;
  bool forcePureHWVP = false;
  bool forceHWVP = false;
  bool forceSWVP = false;
  bool constantFrameTime = false;
  float constantTimePerFrame = 0.0f;
  int quitAfterFrame = 0;  // 0: none
  int scale = 0;           // presentation scale, 1 to 8; 0: none
  bool operator==(const CommandLineOverrides&) const = default;
};

struct CommandLineResult {
  CommandLineOverrides overrides;
  // "noerrormsgboxes": show-message-box-on-error := false (overrides AppInit's argument).
  bool noErrorMsgBoxes = false;
  // "automation": automation := true.
  bool automation = false;
  // Debugger-output lines to write, in order ("Unrecognized flag: foo", no line end).
  std::vector<std::wstring> traces;
};

// Default time per frame of "constantframetime" given without a value.
constexpr float kDefaultConstantTimePerFrame = 0.0333f;

// Parses the whole command line, program name first. Text after an embedded NUL is ignored.
// When constantFrameTime is set, the framework also switches its own constant frame time on with
// the same time per frame.
CommandLineResult ParseCommandLine(std::wstring_view commandLine);

// How the overrides combine where the framework applies them:
// windowed: -1 no override, 0 full screen, 1 windowed ("windowed" wins over "fullscreen");
int CommandLineWindowed(const CommandLineOverrides& o);
// device type: 0 no override, else DEVTYPE_REF or DEVTYPE_HAL (REF wins over HAL);
uint32_t CommandLineDeviceType(const CommandLineOverrides& o);
// behaviour flags: 0 no override, else pure hardware (0x50), hardware (0x40) or software (0x20)
// vertex processing, in that order of precedence.
uint32_t CommandLineBehaviourFlags(const CommandLineOverrides& o);
// window position, x or y: `requested` when the override is -1 (none), else the override held
// within +-kMaxWindowCoordinate. Far beyond any desktop, that bound keeps a position plus the
// window's size and frame inside int wherever the window's rectangle is worked out.
constexpr int kMaxWindowCoordinate = 1 << 30;
int CommandLineWindowPosition(int startOverride, int requested);

// Reads the process command line from the platform, writes the traces to the debugger output and
// returns the result for AppInit to apply.
CommandLineResult AppParseCommandLine();
