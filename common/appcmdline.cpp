#include "common/appcmdline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/services.h"

namespace {

constexpr size_t kMaxValueChars = 255;  // longer values and words are cut; the rest reads as the next word

// Characters are compared as unsigned code points: wchar_t is signed here, and a negative value
// must count as an ordinary word character rather than as white space.
uint32_t Code(wchar_t c) { return static_cast<uint32_t>(c); }
bool IsBlank(wchar_t c) { return Code(c) <= 32; }

wchar_t LowerAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

class Cursor {
 public:
  explicit Cursor(std::wstring_view s) : s_(s.substr(0, s.find(L'\0'))) {}
  bool AtEnd() const { return pos_ >= s_.size(); }
  wchar_t Peek() const { return AtEnd() ? L'\0' : s_[pos_]; }
  void Skip(size_t n = 1) { pos_ = std::min(s_.size(), pos_ + n); }

  // The option name (lower case) as a case-insensitive prefix of the text here; moves past it.
  bool TakeName(std::wstring_view name) {
    if (s_.size() - pos_ < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
      if (LowerAsciiLetter(s_[pos_ + i]) != name[i]) return false;
    pos_ += name.size();
    return true;
  }

  // Up to the next blank character, at most kMaxValueChars; moves past it.
  std::wstring_view TakeWord() {
    size_t end = pos_;
    while (end < s_.size() && !IsBlank(s_[end]) && end - pos_ < kMaxValueChars) ++end;
    std::wstring_view word = s_.substr(pos_, end - pos_);
    pos_ = end;
    return word;
  }

  // ":value" directly here: the value (possibly empty). Without ":" returns false and moves nowhere.
  bool TakeValue(std::wstring_view& value) {
    if (Peek() != L':') return false;
    Skip();
    value = TakeWord();
    return true;
  }

 private:
  std::wstring_view s_;
  size_t pos_ = 0;
};

// Leading white space, one sign, decimal digits up to the first non-digit; no digits give 0.
// Out-of-range values saturate rather than overflow.
int ParseInt(std::wstring_view v) {
  size_t i = 0;
  while (i < v.size() && (v[i] == L' ' || (v[i] >= L'\t' && v[i] <= L'\r'))) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == L'+' || v[i] == L'-')) negative = v[i++] == L'-';
  int64_t n = 0;
  constexpr int64_t kLimit = int64_t(std::numeric_limits<int>::max()) + 1;
  for (; i < v.size() && v[i] >= L'0' && v[i] <= L'9'; ++i) n = std::min(kLimit, n * 10 + (v[i] - L'0'));
  if (negative) return static_cast<int>(-n);
  return static_cast<int>(std::min<int64_t>(n, std::numeric_limits<int>::max()));
}

// A decimal floating-point number up to the first character that cannot continue it; nothing
// readable gives 0. Only finite, non-negative times that fit a float are accepted: anything else
// (a sign, "inf", "nan", 1e99) would send the frame clock backwards or make it meaningless, so it
// gives 0 as well.
float ParseTimePerFrame(std::wstring_view v) {
  std::string ascii;
  size_t i = 0;
  while (i < v.size() && (v[i] == L' ' || (v[i] >= L'\t' && v[i] <= L'\r'))) ++i;
  if (i < v.size() && v[i] == L'+') ++i;
  for (; i < v.size() && Code(v[i]) < 128; ++i) ascii.push_back(static_cast<char>(v[i]));
  double d = 0.0;
  auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), d, std::chars_format::general);
  (void)end;
  if (ec != std::errc() || !std::isfinite(d) || d < 0.0 || d > double(std::numeric_limits<float>::max()))
    return 0.0f;
  return static_cast<float>(d);
}

// Sizes, positions and frame counts below their "none" values make no sense; they are read as
// "none" so a typo cannot ask for a negative window or back buffer.
int NonNegative(int v) { return v < 0 ? 0 : v; }

}  // namespace

CommandLineResult ParseCommandLine(std::wstring_view commandLine) {
  CommandLineResult r;
  CommandLineOverrides& o = r.overrides;
  Cursor c(commandLine);

  // Program name: quoted up to the closing quote, else up to the first blank.
  if (c.Peek() == L'"') {
    c.Skip();
    while (!c.AtEnd() && c.Peek() != L'"') c.Skip();
    c.Skip();
  } else {
    while (!c.AtEnd() && !IsBlank(c.Peek())) c.Skip();
  }

  while (true) {
    while (!c.AtEnd() && IsBlank(c.Peek())) c.Skip();
    if (c.AtEnd()) break;
    if (c.Peek() == L'/' || c.Peek() == L'-') c.Skip();

    std::wstring_view value;
    if (c.TakeName(L"adapter")) {
      if (c.TakeValue(value)) {
        int n = ParseInt(value);
        o.adapterOrdinal = n < 0 ? -1 : n;
      }
    } else if (c.TakeName(L"windowed")) {
      o.windowed = true;
    } else if (c.TakeName(L"fullscreen")) {
      o.fullScreen = true;
    } else if (c.TakeName(L"forcehal")) {
      o.forceHAL = true;
    } else if (c.TakeName(L"forceref")) {
      o.forceREF = true;
    } else if (c.TakeName(L"forcepurehwvp")) {
      o.forcePureHWVP = true;
    } else if (c.TakeName(L"forcehwvp")) {
      o.forceHWVP = true;
    } else if (c.TakeName(L"forceswvp")) {
      o.forceSWVP = true;
    } else if (c.TakeName(L"width")) {
      if (c.TakeValue(value)) o.width = NonNegative(ParseInt(value));
    } else if (c.TakeName(L"height")) {
      if (c.TakeValue(value)) o.height = NonNegative(ParseInt(value));
    } else if (c.TakeName(L"startx")) {
      if (c.TakeValue(value)) o.startX = ParseInt(value);
    } else if (c.TakeName(L"starty")) {
      if (c.TakeValue(value)) o.startY = ParseInt(value);
    } else if (c.TakeName(L"constantframetime")) {
      o.constantFrameTime = true;
      o.constantTimePerFrame = c.TakeValue(value) ? ParseTimePerFrame(value) : kDefaultConstantTimePerFrame;
    } else if (c.TakeName(L"quitafterframe")) {
      if (c.TakeValue(value)) o.quitAfterFrame = NonNegative(ParseInt(value));
    } else if (c.TakeName(L"scale")) {
      if (c.TakeValue(value)) o.scale = std::clamp(ParseInt(value), 1, 8);
    } else if (c.TakeName(L"noerrormsgboxes")) {
      r.noErrorMsgBoxes = true;
    } else if (c.TakeName(L"automation")) {
      r.automation = true;
    } else {
      std::wstring_view word = c.TakeWord();
      // A lone prefix ("- ") names nothing; there is no word to report.
      if (!word.empty()) r.traces.push_back(L"Unrecognized flag: " + std::wstring(word));
    }
  }
  return r;
}

int CommandLineWindowed(const CommandLineOverrides& o) {
  if (o.windowed) return 1;
  if (o.fullScreen) return 0;
  return -1;
}

uint32_t CommandLineDeviceType(const CommandLineOverrides& o) {
  if (o.forceREF) return plat::DEVTYPE_REF;
  if (o.forceHAL) return plat::DEVTYPE_HAL;
  return 0;
}

uint32_t CommandLineBehaviourFlags(const CommandLineOverrides& o) {
  if (o.forcePureHWVP) return plat::CREATE_HARDWARE_VERTEXPROCESSING | plat::CREATE_PUREDEVICE;
  if (o.forceHWVP) return plat::CREATE_HARDWARE_VERTEXPROCESSING;
  if (o.forceSWVP) return plat::CREATE_SOFTWARE_VERTEXPROCESSING;
  return 0;
}

int CommandLineWindowPosition(int startOverride, int requested) {
  if (startOverride == -1) return requested;
  return std::clamp(startOverride, -kMaxWindowCoordinate, kMaxWindowCoordinate);
}

CommandLineResult AppParseCommandLine() {
  plat::ISystem* system = plat::GetServices().system;
  if (system == nullptr) return {};
  CommandLineResult r = ParseCommandLine(system->GetCommandLine());
  for (const auto& line : r.traces) system->OutputDebugString(line);
  return r;
}
