// The screen the game's window lives on: the presentation scale held to what the screen can show,
// the part of a display windows may use, full-screen sizes that are display modes, and a
// full-screen window that follows its display's mode.
#include <string>
#include <vector>

#include "common/app.h"
#include "common/app_internal.h"
#include "common/app_state.h"
#include "common/appenum.h"
#include "common/appmisc.h"
#include "platform/services.h"

namespace {

plat::IWindowSystem* Windows() { return plat::GetServices().windows; }

// No desktop is smaller: a work area under this is a window manager's mistake, or what is left of
// one that went away.
constexpr int kSmallestWorkWidth = 640, kSmallestWorkHeight = 480;

// One line for the user on standard error (the debugger output).
void Notice(const wchar_t* text) {
  if (plat::ISystem* system = plat::GetServices().system)
    system->OutputDebugString(std::wstring(L"arena: ") + text + L"\n");
}

bool Inside(const plat::Rect& inner, const plat::Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

plat::Rect AppUsableWorkArea(const plat::DisplayInfo& display, int scale) {
  const plat::Rect& area = display.workArea;
  const int s = scale < 1 ? 1 : scale;
  if (!Inside(area, display.bounds) || area.Width() * s < kSmallestWorkWidth || area.Height() * s < kSmallestWorkHeight)
    return display.bounds;
  return area;
}

void AppHoldPresentationScale() {
  plat::IWindowSystem* windows = Windows();
  if (!windows) return;
  const int wanted = windows->PresentationScale();
  if (wanted <= 1) return;

  // The window the game opens with, frame and all, must fit where windows go on its display.
  FrameworkState& s = GetAppState();
  const int width = s.GetOverrideWidth() > 0 ? s.GetOverrideWidth() : 640;
  const int height = s.GetOverrideHeight() > 0 ? s.GetOverrideHeight() : 480;
  const int ordinal = s.GetOverrideAdapterOrdinal();
  int scale = wanted;
  for (; scale > 1; --scale) {
    // Displays and frames are measured in the pixels of the scale they are asked at.
    windows->SetPresentationScale(scale);
    const std::vector<plat::DisplayInfo> displays = windows->GetDisplays();
    if (displays.empty()) break;  // nothing known to hold the scale to
    const size_t index =
        ordinal >= 0 && static_cast<size_t>(ordinal) < displays.size() ? static_cast<size_t>(ordinal) : 0;
    const plat::Rect area = AppUsableWorkArea(displays[index], scale);
    const plat::Rect frame = windows->NewWindowFrame();
    if (width + frame.left + frame.right <= area.Width() && height + frame.top + frame.bottom <= area.Height()) break;
  }
  windows->SetPresentationScale(scale);
  if (scale < wanted) {
    wchar_t text[160];
    AppStringPrintf(text, 160, L"a %dx%d window at presentation scale %d does not fit on the screen; scale %d is used",
                    width, height, wanted, scale);
    Notice(text);
  }
}

void AppFitFullScreenSize(DeviceSettings& settings) {
  if (settings.pp.Windowed) return;
  DeviceEnumeration* enumeration = AppPrepareEnumerationObject(false);
  const EnumAdapterInfo* adapter = enumeration ? enumeration->GetAdapterInfo(settings.AdapterOrdinal) : nullptr;
  if (!adapter) return;
  const uint32_t askedWidth = settings.pp.BackBufferWidth, askedHeight = settings.pp.BackBufferHeight;
  if (!ClosestDisplayMode(*adapter, settings.AdapterFormat, settings.pp.BackBufferWidth, settings.pp.BackBufferHeight))
    return;
  if (settings.pp.BackBufferWidth == askedWidth && settings.pp.BackBufferHeight == askedHeight) return;
  wchar_t text[160];
  AppStringPrintf(text, 160, L"the display has no %ux%u mode; full screen takes the nearest, %ux%u", askedWidth,
                  askedHeight, settings.pp.BackBufferWidth, settings.pp.BackBufferHeight);
  Notice(text);
}

void AppFollowDisplayMode() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* current = s.GetCurrentDeviceSettings();
  plat::IWindowSystem* windows = Windows();
  plat::WindowHandle window = AppGetHWND();
  if (!current || current->pp.Windowed || !windows || !window) return;

  const plat::Rect client = windows->GetClientRect(window);
  if (static_cast<uint32_t>(client.Width()) == current->pp.BackBufferWidth &&
      static_cast<uint32_t>(client.Height()) == current->pp.BackBufferHeight)
    return;
  // Only a window that covers its display shows the display's new size; on the way there (a window
  // manager that leaves hands the window its windowed size back first) the size is let pass.
  const std::vector<plat::DisplayInfo> displays = windows->GetDisplays();
  const int index = windows->GetWindowDisplay(window);
  if (index < 0 || static_cast<size_t>(index) >= displays.size()) return;
  const plat::Rect& screen = displays[static_cast<size_t>(index)].bounds;
  if (client.Width() != screen.Width() || client.Height() != screen.Height() || client.Width() <= 0 ||
      client.Height() <= 0)
    return;

  DeviceSettings settings = *current;
  settings.pp.BackBufferWidth = static_cast<uint32_t>(client.Width());
  settings.pp.BackBufferHeight = static_cast<uint32_t>(client.Height());
  settings.pp.FullScreen_RefreshRateInHz = 0;  // whatever the display runs the new mode at
  AppChangeDevice(&settings, false, false);
}
