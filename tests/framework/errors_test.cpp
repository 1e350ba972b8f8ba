// Error boxes and exit codes, traces, and bounded text building.
#include <array>

#include "common/appmisc.h"
#include "tests/framework/framework_fixture.h"

TEST_F(FrameworkTest, EachFrameworkErrorHasItsExitCodeAndText) {
  struct Case { Result hr; int exitCode; const wchar_t* text; };  // no text: no box
  const Case cases[] = {
      {APPERR_NODIRECT3D, 2, L"Could not initialize Direct3D. You may want to check that the latest version of DirectX "
                             L"is correctly installed on your system.  Also make sure that this program was compiled "
                             L"with header files that match the installed DirectX DLLs."},
      {APPERR_NOCOMPATIBLEDEVICES, 3, L"Could not find any compatible Direct3D devices."},
      {APPERR_MEDIANOTFOUND, 4, L"Could not find required media. Ensure that the DirectX SDK is correctly installed."},
      {APPERR_NONZEROREFCOUNT, 5,
       L"The D3D device has a non-zero reference count, meaning some objects were not released."},
      {APPERR_CREATINGDEVICE, 6, L"Failed creating the Direct3D device."},
      {APPERR_RESETTINGDEVICE, 7, L"Failed resetting the Direct3D device."},
      {APPERR_CREATINGDEVICEOBJECTS, 8, L"Failed creating Direct3D device objects."},
      {APPERR_RESETTINGDEVICEOBJECTS, 9, L"Failed resetting Direct3D device objects."},
      {APPERR_INCORRECTVERSION, 10, L"Incorrect version of Direct3D and/or D3DX."},
      {E_OUTOFMEMORY, 1, nullptr},
  };
  for (const Case& c : cases) {
    platform.system.shown.clear();
    EXPECT_EQ(AppDisplayErrorMessage(c.hr), c.hr);
    EXPECT_EQ(AppGetExitCode(), c.exitCode);
    if (!c.text) {
      EXPECT_TRUE(platform.system.shown.empty());
      continue;
    }
    ASSERT_EQ(platform.system.shown.size(), 1u);
    EXPECT_EQ(platform.system.shown[0].text, c.text);
    EXPECT_EQ(platform.system.shown[0].caption, L"DirectX Application") << "no window title yet";
  }
}

TEST_F(FrameworkTest, NoErrorMessageBoxesKeepsTheExitCodeButShowsNothing) {
  platform.graphics->createDeviceResult = E_FAIL;
  EXPECT_EQ(StartUp(L"arena -noerrormsgboxes"), APPERR_CREATINGDEVICE);
  EXPECT_EQ(AppGetExitCode(), 6);
  EXPECT_TRUE(platform.system.shown.empty());
  EXPECT_TRUE(platform.system.DebugOutputContains(L"CreateDevice"));
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
  EXPECT_EQ(platform.system.shown.back().text,
            L"The D3D device has a non-zero reference count, meaning some objects were not released.");
  EXPECT_EQ(AppGetD3DDevice(), nullptr) << "forgotten anyway";
}

// Answering "yes" with no debugger attached must not end (or break) the process.
TEST_F(FrameworkTest, TraceBoxAnsweredYesWithoutDebuggerCarriesOn) {
  platform.system.answers = {plat::BoxAnswer::Yes};
  EXPECT_EQ(AppTrace("x.cpp", 1, E_FAIL, L"Call", true), E_FAIL);
  ASSERT_EQ(platform.system.shown.size(), 1u);
  EXPECT_EQ(platform.system.shown[0].buttons, plat::BoxButtons::YesNo);
  EXPECT_EQ(platform.system.debugBreaks, 0);

  platform.system.debuggerPresent = true;
  platform.system.answers = {plat::BoxAnswer::Yes};
  AppTrace("x.cpp", 1, E_FAIL, L"Call", true);
  EXPECT_EQ(platform.system.debugBreaks, 1);
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
