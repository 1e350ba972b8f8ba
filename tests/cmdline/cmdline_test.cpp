#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/appcmdline.h"
#include "platform/services.h"

namespace {

CommandLineOverrides Parse(const std::wstring& line) { return ParseCommandLine(line).overrides; }

TEST(CommandLine, ProgramNameAloneChangesNothing) {
  const CommandLineOverrides defaults;
  for (const wchar_t* line : {L"", L"arena", L"arena   ", L"\"C:/my games/arena -windowed\"",
                              L"\"unterminated -windowed -width:5", L"arena-windowed"}) {
    CommandLineResult r = ParseCommandLine(line);
    EXPECT_EQ(r.overrides, defaults) << line;
    EXPECT_TRUE(r.traces.empty()) << line;
    EXPECT_FALSE(r.noErrorMsgBoxes);
    EXPECT_FALSE(r.automation);
  }
  // After a quoted name the options are read even without a blank in between.
  EXPECT_TRUE(Parse(L"\"my arena\"-windowed").windowed);
}

TEST(CommandLine, PrefixIsOptionalAndLettersIgnoreCase) {
  for (const wchar_t* line : {L"arena -WIDTH:800", L"arena /width:800", L"arena width:800", L"arena -WiDtH:800"})
    EXPECT_EQ(Parse(line).width, 800) << line;
  CommandLineOverrides o = Parse(L"arena\t-Adapter:2 /HEIGHT:600 StartX:-30 -starty:40 -QuitAfterFrame:100");
  EXPECT_EQ(o.adapterOrdinal, 2);
  EXPECT_EQ(o.height, 600);
  EXPECT_EQ(o.startX, -30);
  EXPECT_EQ(o.startY, 40);
  EXPECT_EQ(o.quitAfterFrame, 100);
}

TEST(CommandLine, EveryFlagOption) {
  CommandLineResult r = ParseCommandLine(
      L"arena -windowed -fullscreen -forcehal -forceref -forcepurehwvp -forcehwvp -forceswvp -noerrormsgboxes "
      L"-automation");
  const CommandLineOverrides& o = r.overrides;
  EXPECT_TRUE(o.windowed && o.fullScreen && o.forceHAL && o.forceREF && o.forcePureHWVP && o.forceHWVP &&
              o.forceSWVP);
  EXPECT_TRUE(r.noErrorMsgBoxes);
  EXPECT_TRUE(r.automation);
  EXPECT_TRUE(r.traces.empty());
  // Each name alone sets only its own field: "forcepurehwvp" must not be read as "forcehwvp".
  CommandLineOverrides pure = Parse(L"arena -forcepurehwvp");
  EXPECT_TRUE(pure.forcePureHWVP);
  EXPECT_FALSE(pure.forceHWVP);
}

TEST(CommandLine, DecimalValues) {
  EXPECT_EQ(Parse(L"arena -width:800 -width:abc").width, 0);
  EXPECT_EQ(Parse(L"arena -width:+640px").width, 640);
  EXPECT_EQ(Parse(L"arena -startx:--12").startX, 0);
  EXPECT_EQ(Parse(L"arena -quitafterframe:99999999999999999999").quitAfterFrame, std::numeric_limits<int>::max());
  EXPECT_EQ(Parse(L"arena -startx:-99999999999999999999").startX, std::numeric_limits<int>::min());
  // Negative sizes, frame counts and adapters mean "none" rather than a nonsensical request.
  CommandLineOverrides o = Parse(L"arena -width:-5 -height:-1 -quitafterframe:-3 -adapter:-4");
  EXPECT_EQ(o.width, 0);
  EXPECT_EQ(o.height, 0);
  EXPECT_EQ(o.quitAfterFrame, 0);
  EXPECT_EQ(o.adapterOrdinal, -1);
}

TEST(CommandLine, UnknownWordsAreReportedAndSkipped) {
  CommandLineResult r = ParseCommandLine(L"arena -foo /bar:1 -width:800 windowedX -");
  EXPECT_EQ(r.overrides.width, 800);
  EXPECT_TRUE(r.overrides.windowed);
  ASSERT_EQ(r.traces.size(), 3u);
  EXPECT_EQ(r.traces[0], L"Unrecognized flag: foo");
  EXPECT_EQ(r.traces[1], L"Unrecognized flag: bar:1");
  EXPECT_EQ(r.traces[2], L"Unrecognized flag: X");
  // A doubled prefix is not an option.
  CommandLineResult d = ParseCommandLine(L"arena --windowed");
  EXPECT_FALSE(d.overrides.windowed);
  ASSERT_EQ(d.traces.size(), 1u);
  EXPECT_EQ(d.traces[0], L"Unrecognized flag: -windowed");
}

TEST(CommandLine, ConstantFrameTime) {
  CommandLineOverrides alone = Parse(L"arena -constantframetime");
  EXPECT_TRUE(alone.constantFrameTime);
  EXPECT_FLOAT_EQ(alone.constantTimePerFrame, 0.0333f);
  EXPECT_EQ(Parse(L"arena -CONSTANTFRAMETIME:.25s").constantTimePerFrame, 0.25f);
  EXPECT_EQ(Parse(L"arena -constantframetime:1e-2").constantTimePerFrame, 0.01f);
  // Nothing readable gives 0, and so do values the clock cannot use.
  for (const wchar_t* line : {L"arena -constantframetime:", L"arena -constantframetime:abc",
                              L"arena -constantframetime:-0.5", L"arena -constantframetime:nan",
                              L"arena -constantframetime:inf", L"arena -constantframetime:1e300"}) {
    CommandLineOverrides o = Parse(line);
    EXPECT_TRUE(o.constantFrameTime) << line;
    EXPECT_EQ(o.constantTimePerFrame, 0.0f) << line;
  }
}

TEST(CommandLine, PrecedenceWhereTheOverridesAreApplied) {
  EXPECT_EQ(CommandLineWindowed(Parse(L"arena")), -1);
  EXPECT_EQ(CommandLineWindowed(Parse(L"arena -fullscreen")), 0);
  EXPECT_EQ(CommandLineWindowed(Parse(L"arena -windowed -fullscreen")), 1);

  EXPECT_EQ(CommandLineDeviceType(Parse(L"arena -forcehal")), uint32_t(plat::DEVTYPE_HAL));
  EXPECT_EQ(CommandLineDeviceType(Parse(L"arena -forceref -forcehal")), uint32_t(plat::DEVTYPE_REF));

  EXPECT_EQ(CommandLineBehaviourFlags(Parse(L"arena -forceswvp")), 0x20u);
  EXPECT_EQ(CommandLineBehaviourFlags(Parse(L"arena -forceswvp -forcehwvp")), 0x40u);
  EXPECT_EQ(CommandLineBehaviourFlags(Parse(L"arena -forcehwvp -forcepurehwvp -forceswvp")), 0x50u);
}

}  // namespace
