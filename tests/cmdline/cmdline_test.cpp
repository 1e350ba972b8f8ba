#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/appcmdline.h"
#include "platform/services.h"

namespace {

using O = CommandLineOverrides;
constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();

TEST(CommandLine, OptionsValuesAndUnknownWords) {
  struct Case {
    const wchar_t* line;
    O want;
    std::vector<std::wstring> traces = {};
  };
  const Case cases[] = {
      // The program name alone, however written, changes nothing.
      {L"", {}},
      {L"arena   ", {}},
      {L"\"C:/my games/arena -windowed\"", {}},
      {L"\"unterminated -windowed -width:5", {}},
      {L"arena-windowed", {}},
      {L"\"my arena\"-windowed", {.windowed = true}},  // read even without a blank after the quotes
      // Prefix optional, letters in any case.
      {L"arena /width:800", {.width = 800}},
      {L"arena WiDtH:800", {.width = 800}},
      {L"arena\t-Adapter:2 /HEIGHT:600 StartX:-30 -starty:40 -QuitAfterFrame:100",
       {.adapterOrdinal = 2, .startX = -30, .startY = 40, .height = 600, .quitAfterFrame = 100}},
      {L"arena -windowed -fullscreen -forcehal -forceref -forcepurehwvp -forcehwvp -forceswvp",
       {.windowed = true, .fullScreen = true, .forceHAL = true, .forceREF = true, .forcePureHWVP = true,
        .forceHWVP = true, .forceSWVP = true}},
      {L"arena -forcepurehwvp", {.forcePureHWVP = true}},  // not also read as "forcehwvp"
      // Decimal values: the last one counts, junk reads as 0, out of range saturates.
      {L"arena -width:800 -width:abc", {}},
      {L"arena -height:600 -height: -width -windowed", {.windowed = true}},  // missing values
      {L"arena -width:+640px", {.width = 640}},
      {L"arena -startx:--12", {.startX = 0}},
      {L"arena -quitafterframe:99999999999999999999", {.quitAfterFrame = kMax}},
      {L"arena -startx:-99999999999999999999", {.startX = kMin}},
      // Negative sizes, frame counts and adapters mean "none" rather than a nonsensical request.
      {L"arena -width:-5 -height:-1 -quitafterframe:-3 -adapter:-4", {}},
      {L"arena -constantframetime", {.constantFrameTime = true, .constantTimePerFrame = 0.0333f}},
      {L"arena -CONSTANTFRAMETIME:.25s", {.constantFrameTime = true, .constantTimePerFrame = 0.25f}},
      {L"arena -constantframetime:1e-2", {.constantFrameTime = true, .constantTimePerFrame = 0.01f}},
      // Nothing readable gives 0, and so do values the clock cannot use.
      {L"arena -constantframetime:abc", {.constantFrameTime = true}},
      {L"arena -constantframetime:-0.5", {.constantFrameTime = true}},
      {L"arena -constantframetime:nan", {.constantFrameTime = true}},
      {L"arena -constantframetime:1e300", {.constantFrameTime = true}},
      // Unknown words are reported and skipped; a doubled prefix is not an option.
      {L"arena -foo /bar:1 -width:800 windowedX -",
       {.windowed = true, .width = 800},
       {L"Unrecognized flag: foo", L"Unrecognized flag: bar:1", L"Unrecognized flag: X"}},
      {L"arena --windowed", {}, {L"Unrecognized flag: -windowed"}},
      // The presentation scale: a decimal value held within 1 to 8.
      {L"arena -Scale:3", {.scale = 3}},
      {L"arena -scale:0 /scale", {.scale = 1}},
      {L"arena -scale:-2", {.scale = 1}},
      {L"arena -scale:99999999999999999999", {.scale = 8}},
      {L"arena -scale:2.9", {.scale = 2}},
  };
  for (const Case& c : cases) {
    CommandLineResult r = ParseCommandLine(c.line);
    EXPECT_EQ(r.overrides, c.want) << c.line;
    EXPECT_EQ(r.traces, c.traces) << c.line;
  }
  CommandLineResult flags = ParseCommandLine(L"arena -noerrormsgboxes -automation");
  EXPECT_TRUE(flags.noErrorMsgBoxes && flags.automation);
  EXPECT_FALSE(ParseCommandLine(L"arena").noErrorMsgBoxes);
}

// The window's position: the caller's without an override, else the override held where the
// window's rectangle (position plus size and frame) cannot leave int.
TEST(CommandLine, StartPositionsAreHeldWithinTheWindowCoordinateRange) {
  const int kBound = kMaxWindowCoordinate;
  const int cases[][3] = {
      {-1, plat::kUseDefaultPos, plat::kUseDefaultPos}, {-1, 100, 100}, {0, 100, 0}, {-30, 100, -30},
      {kBound, 0, kBound}, {kBound + 1, 0, kBound}, {kMax, 0, kBound}, {-kBound, 0, -kBound},
      {-kBound - 1, 0, -kBound}, {kMin, plat::kUseDefaultPos, -kBound},
  };
  for (const auto& [startOverride, requested, position] : cases)
    EXPECT_EQ(CommandLineWindowPosition(startOverride, requested), position) << startOverride;
}

TEST(CommandLine, PrecedenceWhereTheOverridesAreApplied) {
  auto parse = [](const wchar_t* line) { return ParseCommandLine(line).overrides; };
  EXPECT_EQ(CommandLineWindowed(parse(L"arena")), -1);
  EXPECT_EQ(CommandLineWindowed(parse(L"arena -fullscreen")), 0);
  EXPECT_EQ(CommandLineWindowed(parse(L"arena -windowed -fullscreen")), 1);
  EXPECT_EQ(CommandLineDeviceType(parse(L"arena -forcehal")), uint32_t(plat::DEVTYPE_HAL));
  EXPECT_EQ(CommandLineDeviceType(parse(L"arena -forceref -forcehal")), uint32_t(plat::DEVTYPE_REF));
  EXPECT_EQ(CommandLineBehaviourFlags(parse(L"arena -forceswvp")), 0x20u);
  EXPECT_EQ(CommandLineBehaviourFlags(parse(L"arena -forceswvp -forcehwvp")), 0x40u);
  EXPECT_EQ(CommandLineBehaviourFlags(parse(L"arena -forcehwvp -forcepurehwvp -forceswvp")), 0x50u);
}

}  // namespace
