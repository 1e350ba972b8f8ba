// Error boxes and exit codes, traces, and bounded text building.
#include <array>
#include <string>
#include <vector>

#include "common/appmisc.h"
#include "tests/framework/framework_fixture.h"

// Each framework error sets its exit code and shows one box, in words of this platform, that says
// what the user can do; other codes show none.
TEST_F(FrameworkTest, EachFrameworkErrorHasItsExitCodeAndATextToActOn) {
  struct Case {
    Result hr;
    int exitCode;
    std::vector<std::wstring> says;  // empty: no box
  };
  const std::vector<std::wstring> deviceAdvice{L"graphics driver (OpenGL)", L"-forceref", L"reference device"};
  auto with = [](std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const Case cases[] = {
      {APPERR_NODIRECT3D, 2, {L"graphics system", L"desktop session", L"graphics driver"}},
      {APPERR_NOCOMPATIBLEDEVICES, 3, with({L"OpenGL device", L"-adapter", L"-forcehal"}, deviceAdvice)},
      {APPERR_MEDIANOTFOUND, 4, {L"Data2/monster.txt", L"launcher, xvela", L"data directory"}},
      {APPERR_NONZEROREFCOUNT, 5, {L"objects in use", L"report"}},
      {APPERR_CREATINGDEVICE, 6, with({L"Failed creating the graphics device."}, deviceAdvice)},
      {APPERR_RESETTINGDEVICE, 7, with({L"Failed resetting the graphics device."}, deviceAdvice)},
      {APPERR_CREATINGDEVICEOBJECTS, 8, with({L"Failed creating the game's"}, deviceAdvice)},
      {APPERR_RESETTINGDEVICEOBJECTS, 9, with({L"Failed resetting the game's"}, deviceAdvice)},
      {APPERR_INCORRECTVERSION, 10, {L"version", L"Install the game again"}},
      {E_OUTOFMEMORY, 1, {}},
  };
  // Another platform's runtime, kit or libraries mean nothing to a user here.
  const wchar_t* const foreign[] = {L"Direct", L"D3D", L"DLL", L"SDK", L"Windows"};
  for (const Case& c : cases) {
    platform.system.shown.clear();
    platform.system.writes.clear();
    EXPECT_EQ(AppDisplayErrorMessage(c.hr), c.hr);
    EXPECT_EQ(AppGetExitCode(), c.exitCode);
    if (c.says.empty()) {
      EXPECT_TRUE(platform.system.shown.empty());
      EXPECT_TRUE(platform.system.writes.empty());
      continue;
    }
    ASSERT_EQ(platform.system.shown.size(), 1u);
    const std::wstring& text = platform.system.shown[0].text;
    // Standard error carries the same words, on a line of their own.
    EXPECT_EQ(platform.system.writes, std::vector<std::wstring>{text + L"\n"}) << c.exitCode;
    for (const std::wstring& words : c.says)
      EXPECT_NE(text.find(words), std::wstring::npos) << c.exitCode << ": " << words;
    for (const wchar_t* name : foreign) EXPECT_EQ(text.find(name), std::wstring::npos) << c.exitCode << ": " << name;
    EXPECT_EQ(text.back(), L'.') << c.exitCode << ": cut short";
    EXPECT_EQ(platform.system.shown[0].caption, L"DirectX Application") << "no window title yet";
  }
}

TEST_F(FrameworkTest, NoErrorMessageBoxesKeepsTheExitCodeAndTheWordsButShowsNothing) {
  platform.graphics->createDeviceResult = E_FAIL;
  EXPECT_EQ(StartUp(L"arena -noerrormsgboxes"), APPERR_CREATINGDEVICE);
  EXPECT_EQ(AppGetExitCode(), 6);
  EXPECT_TRUE(platform.system.shown.empty());
  EXPECT_TRUE(platform.system.DebugOutputContains(L"CreateDevice"));
  EXPECT_TRUE(platform.system.DebugOutputContains(L"\nFailed creating the graphics device. Install"));
  // A failure that would ask whether to debug says what failed in a sentence too.
  platform.system.writes.clear();
  APP_ERR_MSGBOX(L"CreateWindow", E_FAIL);
  EXPECT_TRUE(platform.system.shown.empty());
  ASSERT_EQ(platform.system.writes.size(), 2u);
  EXPECT_EQ(platform.system.writes[0], L"Unexpected error encountered: CreateWindow failed (E_FAIL: Unspecified error.)\n");
}

TEST_F(FrameworkTest, CreatedCallbackFailureReleasesTheDeviceWithoutFurtherCallbacks) {
  rec.createdResult = E_FAIL;
  EXPECT_EQ(StartUp(), APPERR_CREATINGDEVICEOBJECTS);
  EXPECT_EQ(rec.events, (Events{"modify", "created"}));
  EXPECT_EQ(AppGetExitCode(), 8);
  EXPECT_EQ(AppGetD3DDevice(), nullptr);
  EXPECT_TRUE(platform.Device()->destroyed);
  EXPECT_FALSE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, ObjectsLeftAtReleaseAreReported) {
  std::unique_ptr<plat::ITexture> kept;
  rec.onCreated = [&] { AppGetD3DDevice()->CreateTextureFromPixels(1, 1, {0xFFFFFFFFu}, kept); };
  ASSERT_EQ(StartUp(), S_OK);
  AppShutdown(0);
  EXPECT_EQ(AppGetExitCode(), 5);
  ASSERT_FALSE(platform.system.shown.empty());
  EXPECT_EQ(platform.system.shown.back().text.rfind(L"The graphics device still had objects in use", 0), 0u);
  EXPECT_EQ(AppGetD3DDevice(), nullptr) << "forgotten anyway";
}

// Bounded text building truncates, always terminates and never writes past the given size.
TEST(BoundedTextTest, TruncatesTerminatesAndNeverWritesPastTheBuffer) {
  std::array<wchar_t, 8> a;
  auto untouchedFrom = [&](size_t from) {
    for (size_t i = from; i < a.size(); ++i)
      if (a[i] != L'#') return false;
    return true;
  };
  a.fill(L'#');
  EXPECT_EQ(AppStringPrintf(a.data(), 5, L"%ls-%d", L"abcdef", 12), E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(a.data()), L"abcd");
  EXPECT_TRUE(untouchedFrom(5));

  a.fill(L'#');
  EXPECT_EQ(AppStringPrintf(a.data(), 6, L"%d", 12345), S_OK) << "exact fit";
  EXPECT_EQ(std::wstring(a.data()), L"12345");
  EXPECT_TRUE(untouchedFrom(6));

  a.fill(L'#');
  EXPECT_EQ(AppStringPrintf(a.data(), 0, L"x"), E_INVALIDARG);
  EXPECT_EQ(AppStringCopy(a.data(), 0, L"x"), E_INVALIDARG);
  EXPECT_TRUE(untouchedFrom(0));
  EXPECT_EQ(AppStringCopy(a.data(), 3, L"hello"), E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(a.data()), L"he");
  EXPECT_TRUE(untouchedFrom(3));
}
