#include "platform/system/sdl_system.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/system/end_signals.h"
#include "platform/system/sdl_handle.h"
#include "platform/system/text.h"

namespace plat {

namespace {

std::mutex& ArgsMutex() {
  static std::mutex m;
  return m;
}
std::vector<std::string>& Args() {
  static std::vector<std::string> args;
  return args;
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

constexpr size_t kBoxLineLength = 60;

}  // namespace

void SetCommandLineArgs(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc && argv != nullptr; ++i) {
    if (argv[i] != nullptr) args.emplace_back(argv[i]);
  }
  std::lock_guard lock(ArgsMutex());
  Args() = std::move(args);
}

std::wstring BuildCommandLine(const std::vector<std::string>& args) {
  std::wstring line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) line += L' ';
    std::wstring arg = Utf8ToWide(args[i]);
    const bool quote = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
    if (quote) line += L'"';
    line += arg;
    if (quote) line += L'"';
  }
  return line;
}

bool MessageBoxesPossible() {
  if (EnvSet("ARENA_NO_MESSAGE_BOXES")) return false;
  // The driver SDL is running with, else the one it would pick from the environment.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) driver = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr &&
      (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0)) {
    return false;
  }
  return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

bool StatusShowsTracer(const std::string& statusText) {
  std::istringstream in(statusText);
  std::string line;
  while (std::getline(in, line)) {
    constexpr std::string_view kKey = "TracerPid:";
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    const long pid = std::strtol(line.c_str() + kKey.size(), nullptr, 10);
    return pid != 0;
  }
  return false;
}

bool SdlSystem::QueryPerformanceFrequency(int64_t& ticksPerSecond) const {
  const uint64_t f = SDL_GetPerformanceFrequency();
  ticksPerSecond = static_cast<int64_t>(f);
  return f != 0;
}

int64_t SdlSystem::QueryPerformanceCounter() const {
  return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

void SdlSystem::Sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void SdlSystem::OutputDebugString(const std::wstring& text) {
  const std::string bytes = WideToUtf8(text);
  // A single write keeps one trace line whole when several processes share stderr.
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    done += static_cast<size_t>(n);
  }
}

BoxAnswer SdlSystem::MessageBox(WindowHandle owner, const std::wstring& text,
                                const std::wstring& caption, BoxButtons buttons, bool errorIcon) {
  const BoxAnswer fallback = buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
  // Once the game is told to end, nobody is left to answer.
  if (!MessageBoxesPossible() || EndSignalled()) return fallback;

  // SDL sizes the box to its longest line; these fit a 640x480 screen with the button.
  const std::string utf8Text = WideToUtf8(BreakLines(text, kBoxLineLength));
  const std::string utf8Caption = WideToUtf8(caption);
  SDL_MessageBoxButtonData yesNo[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(BoxAnswer::Yes), "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(BoxAnswer::No), "No"},
  };
  SDL_MessageBoxButtonData ok[1] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
       static_cast<int>(BoxAnswer::Ok), "OK"},
  };
  SDL_MessageBoxData data{};
  data.flags = errorIcon ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  data.window = ToSdlWindow(owner);
  data.title = utf8Caption.c_str();
  data.message = utf8Text.c_str();
  if (buttons == BoxButtons::YesNo) {
    data.numbuttons = 2;
    data.buttons = yesNo;
  } else {
    data.numbuttons = 1;
    data.buttons = ok;
  }
  int pressed = -1;
  // SDL shows the box from a process of its own and waits for it.
  const BoxChildGuard guard;
  if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return fallback;
  return static_cast<BoxAnswer>(pressed);
}

bool SdlSystem::IsDebuggerPresent() const {
  std::ifstream in("/proc/self/status");
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  return StatusShowsTracer(text.str());
}

void SdlSystem::DebugBreak() {
  // Without a tracer SIGTRAP would end the process; the caller's promise is not trusted.
  if (IsDebuggerPresent()) std::raise(SIGTRAP);
}

std::wstring SdlSystem::GetCommandLine() const {
  std::lock_guard lock(ArgsMutex());
  return BuildCommandLine(Args());
}

FileRead SdlSystem::ReadWholeFile(const std::wstring& name, uint64_t maxBytes, std::vector<uint8_t>& bytes) const {
  return ReadRegularFile(WideToUtf8(name), maxBytes, bytes);
}

}  // namespace plat
