#include "common/appmisc.h"

#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>

#include "common/app.h"
#include "common/app_state.h"
#include "platform/services.h"
#include "platform/system/trace.h"

// ---------------------------------------------------------------------------------------------
// Timer

namespace {
plat::ISystem* System() { return plat::GetServices().system; }

int64_t ReadCounter() {
  plat::ISystem* sys = System();
  return sys ? sys->QueryPerformanceCounter() : 0;
}
}  // namespace

FrameworkTimer::FrameworkTimer() {
  int64_t frequency = 0;
  plat::ISystem* sys = System();
  usingQPF_ = sys && sys->QueryPerformanceFrequency(frequency) && frequency > 0;
  ticksPerSec_ = usingQPF_ ? frequency : 0;
}

int64_t FrameworkTimer::CurrentTick() const { return stopTime_ != 0 ? stopTime_ : ReadCounter(); }

void FrameworkTimer::Reset() {
  if (!usingQPF_) return;
  int64_t t = CurrentTick();
  baseTime_ = t;
  lastElapsedTime_ = t;
  stopTime_ = 0;
  stopped_ = false;
}

void FrameworkTimer::Start() {
  if (!usingQPF_) return;
  int64_t t = ReadCounter();
  if (stopped_) baseTime_ += t - stopTime_;
  stopTime_ = 0;
  lastElapsedTime_ = t;
  stopped_ = false;
}

void FrameworkTimer::Stop() {
  if (!usingQPF_ || stopped_) return;
  int64_t t = CurrentTick();
  stopTime_ = t;
  lastElapsedTime_ = t;
  stopped_ = true;
}

double FrameworkTimer::GetAbsoluteTime() const {
  if (!usingQPF_) return -1.0;
  return static_cast<double>(CurrentTick()) / static_cast<double>(ticksPerSec_);
}

double FrameworkTimer::GetTime() const {
  if (!usingQPF_) return -1.0;
  return static_cast<double>(CurrentTick() - baseTime_) / static_cast<double>(ticksPerSec_);
}

double FrameworkTimer::GetElapsedTime() {
  if (!usingQPF_) return -1.0;
  int64_t t = CurrentTick();
  double elapsed = static_cast<double>(t - lastElapsedTime_) / static_cast<double>(ticksPerSec_);
  lastElapsedTime_ = t;
  return elapsed;
}

namespace {
// Trivially destructible, so it stays usable during the framework's exit handling.
FrameworkTimer& TimerStorage() {
  static FrameworkTimer timer;
  return timer;
}
}  // namespace

FrameworkTimer& AppGetGlobalTimer() { return TimerStorage(); }
void AppResetGlobalTimer() { TimerStorage() = FrameworkTimer(); }

// ---------------------------------------------------------------------------------------------
// Bounded text

namespace {
// Copies `text` (length `len`) into dest, truncating; dest/count already validated.
Result CopyBounded(wchar_t* dest, size_t count, const wchar_t* text, size_t len) {
  size_t n = len < count ? len : count - 1;
  std::wmemcpy(dest, text, n);
  dest[n] = L'\0';
  return n < len ? E_INSUFFICIENT_BUFFER : S_OK;
}
}  // namespace

Result AppStringPrintf(wchar_t* dest, size_t count, const wchar_t* format, ...) {
  if (!dest || count == 0) return E_INVALIDARG;
  if (!format) {
    dest[0] = L'\0';
    return E_INVALIDARG;
  }
  // swprintf reports truncation and encoding errors alike, so expand into a scratch buffer that
  // grows until the text fits, then copy what fits into dest.
  std::vector<wchar_t> scratch(count < 256 ? 256 : count + 1);
  constexpr size_t kLimit = size_t(1) << 20;
  for (;;) {
    va_list args;
    va_start(args, format);
    int written = std::vswprintf(scratch.data(), scratch.size(), format, args);
    va_end(args);
    if (written >= 0) return CopyBounded(dest, count, scratch.data(), static_cast<size_t>(written));
    if (scratch.size() >= kLimit) break;
    scratch.resize(scratch.size() * 4);
  }
  dest[0] = L'\0';
  return E_FAIL;
}

Result AppStringCopy(wchar_t* dest, size_t count, const wchar_t* src) {
  if (!dest || count == 0) return E_INVALIDARG;
  if (!src) {
    dest[0] = L'\0';
    return E_INVALIDARG;
  }
  return CopyBounded(dest, count, src, std::wcslen(src));
}

// ---------------------------------------------------------------------------------------------
// Errors

namespace {
// What helps when the graphics device fails: the driver behind OpenGL, or the device that needs none.
constexpr const wchar_t* kDeviceAdvice =
    L"Install or update the graphics driver (OpenGL), or start the game with -forceref to use the reference "
    L"device, which draws without it.";
}  // namespace

AppErrorInfo AppGetErrorInfo(Result hr) {
  switch (static_cast<uint32_t>(hr)) {
    case static_cast<uint32_t>(APPERR_NODIRECT3D):
      return {2, L"Could not start the graphics system: there is no display to open the game's window on.",
              L"Start the game from a desktop session, and check that the graphics driver is installed."};
    case static_cast<uint32_t>(APPERR_NOCOMPATIBLEDEVICES):
      return {3,
              L"Could not find a graphics device for the game: neither the OpenGL device nor the reference device "
              L"offers the display, mode and options asked for.",
              L"Check the options -adapter, -forcehal, -fullscreen, -width, -height and those for vertex "
              L"processing. Install or update the graphics driver (OpenGL), or start the game with -forceref to "
              L"use the reference device."};
    case static_cast<uint32_t>(APPERR_MEDIANOTFOUND):
      return {4, L"Could not find the game's data: the monster table Data2/monster.txt is missing or too short.",
              L"The game reads Data2/ in the directory it starts from: start it through its launcher, xvela, or "
              L"from its data directory, the one that holds Data2/."};
    case static_cast<uint32_t>(APPERR_NONZEROREFCOUNT):
      return {5,
              L"The graphics device still had objects in use when it was released: some of the game's textures, "
              L"fonts or sprites were not released.",
              L"This is a fault in the game; please report it."};
    case static_cast<uint32_t>(APPERR_CREATINGDEVICE):
      return {6, L"Failed creating the graphics device.", kDeviceAdvice};
    case static_cast<uint32_t>(APPERR_RESETTINGDEVICE):
      return {7, L"Failed resetting the graphics device.", kDeviceAdvice};
    case static_cast<uint32_t>(APPERR_CREATINGDEVICEOBJECTS):
      return {8, L"Failed creating the game's fonts and textures on the graphics device.", kDeviceAdvice};
    case static_cast<uint32_t>(APPERR_RESETTINGDEVICEOBJECTS):
      return {9, L"Failed resetting the game's fonts and textures on the graphics device.", kDeviceAdvice};
    case static_cast<uint32_t>(APPERR_INCORRECTVERSION):
      return {10, L"The graphics libraries installed are not of the version this build of the game needs.",
              L"Install the game again from its package, or build it again against the libraries installed."};
    default:
      return {1, nullptr, nullptr};
  }
}

Result AppDisplayErrorMessage(Result hr) {
  FrameworkState& s = GetAppState();
  AppErrorInfo info = AppGetErrorInfo(hr);
  s.SetExitCode(info.exitCode);
  plat::ISystem* sys = System();
  if (!info.text || !sys) return hr;
  wchar_t text[512];
  AppStringPrintf(text, 512, L"%ls %ls", info.text, info.advice);
  // The box's words go to the debugger output (standard error) as well, on one line: boxes may be
  // off, or shown where nobody looks.
  sys->OutputDebugString(std::wstring(text) + L"\n");
  if (s.GetShowMsgBoxOnError()) {
    const wchar_t* title = s.WindowTitle();
    std::wstring caption = title[0] != L'\0' ? title : L"DirectX Application";
    sys->MessageBox(AppGetHWND(), text, caption, plat::BoxButtons::Ok, true);
  }
  return hr;
}

// ---------------------------------------------------------------------------------------------
// Traces

Result AppTrace(const char* sourceFile, uint32_t line, Result hr, const wchar_t* message, bool popMsgBox) {
  // A failure worth a box says what it was in a sentence of its own, box or not.
  plat::ISystem* sys = System();
  if (popMsgBox && sys) {
    std::wstring sentence = L"Unexpected error encountered";
    if (message && *message) sentence += std::wstring(L": ") + message + L" failed";
    sys->OutputDebugString(sentence + L" (" + plat::ResultName(hr) + L": " + plat::ResultDescription(hr) + L")\n");
  }
  // No boxes at all while the user asked for none.
  if (!GetAppState().GetShowMsgBoxOnError()) popMsgBox = false;
  return plat::TraceResult(sourceFile, line, hr, message, popMsgBox);
}
