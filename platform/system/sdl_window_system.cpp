#include "platform/system/sdl_window_system.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/graphics/image_file.h"
#include "platform/graphics/raster_backend.h"
#include "platform/system/end_signals.h"
#include "platform/system/sdl_handle.h"
#include "platform/system/text.h"
#include "platform/system/x11_display.h"

namespace plat {

namespace {

// The classic arrow, 12×19 in a 32×32 cell, hot spot at its tip.
constexpr uint32_t kArrowMask[32] = {
    0x7FFFFFFF, 0x3FFFFFFF, 0x1FFFFFFF, 0x0FFFFFFF, 0x07FFFFFF, 0x03FFFFFF, 0x01FFFFFF, 0x00FFFFFF,
    0x007FFFFF, 0x003FFFFF, 0x001FFFFF, 0x000FFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x187FFFFF, 0x387FFFFF,
    0x7C3FFFFF, 0xFC3FFFFF, 0xFE7FFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
};
constexpr uint32_t kArrowImage[32] = {
    0x00000000, 0x00000000, 0x40000000, 0x60000000, 0x70000000, 0x78000000, 0x7C000000, 0x7E000000,
    0x7F000000, 0x7F800000, 0x7FC00000, 0x7E000000, 0x76000000, 0x66000000, 0x43000000, 0x03000000,
    0x01800000, 0x01800000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000,
    0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000,
};

// The program's icon: the desktop entry's art at 64 pixels, built in, so that it shows wherever
// the game is started from.
constexpr uint8_t kIconPng[] = {
#include "window_icon.inc"
};

// How long a window manager that offers to tell a new window's frame may take to answer.
constexpr int kFrameExtentsWaitMs = 500;
// How often a full-screen window looks whether its display or its window manager has changed.
constexpr uint64_t kFullScreenCheckMs = 250;
// A window that had the focus this shortly before its window manager went or was replaced asks for
// it back, for a while and a few times: a new manager may take it once more as it settles.
constexpr uint64_t kFocusMemoryMs = 2000, kRefocusMs = 3000;
constexpr int kMostFocusRequests = 8;

void SetProgramIcon(SDL_Window* sw) {
  gfx::DecodedImage icon;
  if (Failed(gfx::DecodeImageBytes({std::begin(kIconPng), std::end(kIconPng)}, true, icon))) return;
  const int width = static_cast<int>(icon.info.Width), height = static_cast<int>(icon.info.Height);
  const std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> surface(
      SDL_CreateRGBSurfaceWithFormatFrom(icon.argb.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888),
      SDL_FreeSurface);
  if (surface) SDL_SetWindowIcon(sw, surface.get());
}

struct Borders {
  int top = 0, left = 0, bottom = 0, right = 0;
};

bool Hidden(SDL_Window* sw) { return (SDL_GetWindowFlags(sw) & SDL_WINDOW_SHOWN) == 0; }

// The frame around the client area in window coordinates.
Borders ScreenFrame(SDL_Window* sw) {
  Borders b;
  if (sw == nullptr || (SDL_GetWindowFlags(sw) & SDL_WINDOW_BORDERLESS) != 0) return b;
  // SDL learns the frame only from the events of a mapped window; before that, the window
  // manager's answer to the request made at creation tells it.
  if (Hidden(sw)) {
    if (const auto frame = X11FrameExtents(sw)) return Borders{frame->top, frame->left, frame->bottom, frame->right};
  }
  // Unknown (no window manager) counts as no frame.
  if (SDL_GetWindowBordersSize(sw, &b.top, &b.left, &b.bottom, &b.right) != 0) return Borders{};
  return b;
}

// A frame in logical pixels: one that covers part of a logical pixel counts it whole.
Borders LogicalFrame(const Borders& b, const ScreenScale& scale) {
  return Borders{scale.ToLogicalUp(b.top), scale.ToLogicalUp(b.left), scale.ToLogicalUp(b.bottom),
                 scale.ToLogicalUp(b.right)};
}
Borders FrameBorders(SDL_Window* sw, const ScreenScale& scale) { return LogicalFrame(ScreenFrame(sw), scale); }

// A rectangle of the screen in logical pixels.
Rect ToRect(const SDL_Rect& r, const ScreenScale& scale) {
  return Rect{scale.ToLogical(r.x), scale.ToLogical(r.y), scale.ToLogical(r.x + r.w), scale.ToLogical(r.y + r.h)};
}

// A window's client size in real pixels (its drawable's size).
void PixelSize(SDL_Window* sw, int& width, int& height) {
  width = height = 0;
  SDL_GetWindowSizeInPixels(sw, &width, &height);
}

// Real pixels per window coordinate of the output SDL has the window on.
double MeasureBufferScale(SDL_Window* sw) {
  int units = 0, unitsHigh = 0, pixels = 0, pixelsHigh = 0;
  SDL_GetWindowSize(sw, &units, &unitsHigh);
  PixelSize(sw, pixels, pixelsHigh);
  return BufferScaleOf(pixels, units);
}

bool OnWayland() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

uint64_t EventTime(const SDL_Event& e, uint64_t now) {
  // Event stamps are the low 32 bits of the same millisecond clock.
  const uint32_t age = static_cast<uint32_t>(now) - e.common.timestamp;
  return age <= now ? now - age : now;
}

}  // namespace

class SdlWindowSystem::Facts final : public IWindowFacts {
 public:
  explicit Facts(const SdlWindowSystem& owner) : owner_(owner) {}

  WindowFacts Find(uint32_t id) const override {
    SDL_Window* sw = nullptr;
    if (id == 0) {
      if (owner_.windows_.size() == 1) sw = owner_.windows_.begin()->first;
    } else {
      sw = SDL_GetWindowFromID(id);
      if (owner_.windows_.count(sw) == 0) sw = nullptr;
    }
    WindowFacts f;
    if (sw == nullptr) return f;
    f.window = ToWindowHandle(sw);
    const ScreenScale scale = owner_.Screen();
    SDL_GetWindowPosition(sw, &f.clientX, &f.clientY);
    PixelSize(sw, f.clientWidth, f.clientHeight);
    f.clientX = scale.ToLogical(f.clientX);
    f.clientY = scale.ToLogical(f.clientY);
    f.clientWidth /= scale.scale;
    f.clientHeight /= scale.scale;
    const uint32_t flags = SDL_GetWindowFlags(sw);
    f.minimized = (flags & SDL_WINDOW_MINIMIZED) != 0;
    f.maximized = (flags & SDL_WINDOW_MAXIMIZED) != 0;
    return f;
  }

  std::vector<WindowHandle> All() const override {
    std::vector<WindowHandle> all;
    for (const auto& [sw, record] : owner_.windows_) all.push_back(ToWindowHandle(sw));
    return all;
  }

  uint16_t KeyModifiers() const override { return static_cast<uint16_t>(SDL_GetModState()); }

 private:
  const SdlWindowSystem& owner_;
};

SdlWindowSystem::~SdlWindowSystem() {
  for (auto& [sw, record] : windows_) SDL_DestroyWindow(sw);
}

SDL_Window* SdlWindowSystem::Find(WindowHandle w) const {
  SDL_Window* sw = ToSdlWindow(w);
  return windows_.count(sw) != 0 ? sw : nullptr;
}

void SdlWindowSystem::SetPresentationScale(int scale) {
  scale_ = std::clamp(scale, 1, 8);
  translator_.SetScale(Screen());
}

ScreenScale SdlWindowSystem::Screen() const {
  if (!bufferKnown_) {
    // Before there is a window, the scale SDL gives a new one: the largest of the outputs'.
    bufferKnown_ = true;
    buffer_ = ProbeBufferScale();
  }
  return ScreenScale{scale_, buffer_};
}

double SdlWindowSystem::ProbeBufferScale() {
  if (!OnWayland()) return 1.0;
  SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 240, 240,
                                       SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (probe == nullptr) return 1.0;
  const double buffer = MeasureBufferScale(probe);
  SDL_DestroyWindow(probe);
  return buffer;
}

// Only a Wayland compositor gives each output a scale of its own; on X11 the desktop's (GDK_SCALE)
// holds for every screen.
void SdlWindowSystem::FollowOutputScale(bool follow) { followOutput_ = follow && OnWayland(); }

void SdlWindowSystem::TakeBufferScale(SDL_Window* sw) {
  const double buffer = MeasureBufferScale(sw);
  const ScreenScale was = Screen();
  if (buffer == was.buffer) return;
  // The window keeps its size in coordinates across outputs; its logical size stays too, so where
  // the presentation scale does not follow the output (the command line's), the window is resized.
  int units = 0, unitsHigh = 0;
  SDL_GetWindowSize(sw, &units, &unitsHigh);
  const int width = was.ToLogical(units), height = was.ToLogical(unitsHigh);
  buffer_ = buffer;
  if (followOutput_) scale_ = WholeScaleFor(buffer);
  translator_.SetScale(Screen());
  const int wantUnits = std::max(1, Screen().ToCoordinateUp(width));
  const int wantUnitsHigh = std::max(1, Screen().ToCoordinateUp(height));
  if (wantUnits == units && wantUnitsHigh == unitsHigh) return;
  NoteOwnChange(ToWindowHandle(sw));
  SDL_SetWindowSize(sw, wantUnits, wantUnitsHigh);
}

int ScaleFromGdkScale(const char* value) {
  if (value == nullptr) return 1;
  const std::string_view text(value);
  int scale = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), scale);
  if (ec != std::errc() || end != text.data() + text.size() || scale < 2 || scale > 8) return 1;
  return scale;
}

int SdlWindowSystem::DesktopScale() const {
  // A Wayland compositor gives each output a scale of its own; on X11 the desktop says it once.
  if (OnWayland()) return WholeScaleFor(Screen().buffer);
  return ScaleFromGdkScale(std::getenv("GDK_SCALE"));
}

void SdlWindowSystem::NoteOwnChange(WindowHandle w) { translator_.NoteOwnChange(w, SDL_GetTicks64()); }

WindowHandle SdlWindowSystem::CreateAppWindow(const std::wstring& title, int x, int y, int clientWidth,
                                              int clientHeight, WindowProc proc) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return nullptr;
  const std::string utf8 = WideToUtf8(title);
  const ScreenScale screen = Screen();
  const int px = x == kUseDefaultPos ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : screen.ToCoordinate(x);
  const int py = y == kUseDefaultPos ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : screen.ToCoordinate(y);
  const int cw = std::max(1, screen.ToCoordinateUp(clientWidth));
  const int ch = std::max(1, screen.ToCoordinateUp(clientHeight));
  // On a Wayland output of scale 2 the window's buffer is then drawn at twice its size in
  // coordinates, and the compositor shows it as it is rather than enlarging it.
  uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  // The graphics devices draw with OpenGL where it works; without, the window surface serves. The window's framebuffer
  // (chosen with the window) has an alpha channel that the devices fill with 1: without one, the
  // fourth byte of each presented pixel is left at 0, and a compositor or screenshot tool that
  // reads it sees the window as transparent.
  if (gfx::WindowsUseGl()) {
    flags |= SDL_WINDOW_OPENGL;
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  }
  SDL_Window* sw = SDL_CreateWindow(utf8.c_str(), px, py, cw, ch, flags);
  if (sw == nullptr && (flags & SDL_WINDOW_OPENGL) != 0) {
    sw = SDL_CreateWindow(utf8.c_str(), px, py, cw, ch, flags & ~SDL_WINDOW_OPENGL);
  }
  if (sw == nullptr) return nullptr;
  if (!displayWatch_) displayWatch_ = std::make_unique<DisplayWatch>(sw);
  // The window's own scale decides from now on; it is known before the window is shown.
  buffer_ = MeasureBufferScale(sw);
  if (followOutput_) scale_ = WholeScaleFor(buffer_);
  translator_.SetScale(Screen());
  if (Screen() != screen) {
    SDL_SetWindowSize(sw, std::max(1, Screen().ToCoordinateUp(clientWidth)),
                      std::max(1, Screen().ToCoordinateUp(clientHeight)));
  }
  SetProgramIcon(sw);
  // The frame is needed to place the window before it is shown; managers tell it on request.
  X11RequestFrameExtents(sw, kFrameExtentsWaitMs);
  windows_[sw] = WindowRecord{proc, false};
  const WindowHandle w = ToWindowHandle(sw);
  NoteOwnChange(w);
  // The procedure may limit how small the user can drag the window.
  MinMaxInfo limits;
  SendMessage(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  if (IsWindow(w) && limits.minTrackWidth > 0 && limits.minTrackHeight > 0) {
    // A window manager keeps a window at least this large, even past the screen's edges.
    const SDL_Rect screen = DisplayRect(std::max(0, SDL_GetWindowDisplayIndex(sw)));
    SDL_SetWindowMinimumSize(sw, std::min(Screen().ToCoordinateUp(limits.minTrackWidth), std::max(1, screen.w)),
                             std::min(Screen().ToCoordinateUp(limits.minTrackHeight), std::max(1, screen.h)));
  }
  if (scale_ > 1) X11SetSizeStep(sw, scale_);
  return w;
}

void SdlWindowSystem::DestroyAppWindow(WindowHandle w) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr || windows_[sw].destroying) return;
  windows_[sw].destroying = true;
  SendMessage(w, WM_DESTROY, 0, 0);
  SDL_DestroyWindow(sw);
  windows_.erase(sw);
  translator_.ForgetWindow(w);
  // Messages still queued for the window have no one to go to.
  std::erase_if(queue_, [w](const Msg& m) { return m.window == w; });
}

bool SdlWindowSystem::IsWindow(WindowHandle w) const { return Find(w) != nullptr; }

void SdlWindowSystem::SetTitle(WindowHandle w, const std::wstring& title) {
  if (SDL_Window* sw = Find(w)) SDL_SetWindowTitle(sw, WideToUtf8(title).c_str());
}

Rect SdlWindowSystem::GetClientRect(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return {};
  int width = 0, height = 0;
  PixelSize(sw, width, height);
  return Rect{0, 0, width / scale_, height / scale_};
}

Rect SdlWindowSystem::GetWindowRect(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return {};
  int x = 0, y = 0, width = 0, height = 0;
  PixelSize(sw, width, height);
  // Until it is mapped, the X window stands where the manager will put the frame's corner.
  const Borders frame = ScreenFrame(sw);
  if (Hidden(sw) && X11WindowPosition(sw, x, y)) {
    x += frame.left;
    y += frame.top;
  } else {
    SDL_GetWindowPosition(sw, &x, &y);
  }
  // The frame's corner is rounded, not the client's position and the frame each on its own: a
  // window placed at the rectangle read here then stays where it was, or (off the logical grid)
  // moves once onto it, rather than creeping by a pixel at every full-screen round trip.
  const ScreenScale screen = Screen();
  const Borders b = LogicalFrame(frame, screen);
  const int left = screen.ToLogical(x - frame.left), top = screen.ToLogical(y - frame.top);
  return Rect{left, top, left + b.left + width / scale_ + b.right, top + b.top + height / scale_ + b.bottom};
}

Rect SdlWindowSystem::AdjustWindowRect(WindowHandle w, const Rect& client) const {
  const Borders b = FrameBorders(Find(w), Screen());
  return Rect{client.left - b.left, client.top - b.top, client.right + b.right, client.bottom + b.bottom};
}

Rect SdlWindowSystem::NewWindowFrame() const {
  if (!newWindowFrame_) {
    // The manager tells the frame of a window not mapped yet: a hidden one, made to ask and gone.
    Rect frame;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
      if (SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64, 64,
                                               SDL_WINDOW_HIDDEN)) {
        if (const auto extents = X11RequestFrameExtents(probe, kFrameExtentsWaitMs))
          frame = Rect{extents->left, extents->top, extents->right, extents->bottom};
        SDL_DestroyWindow(probe);
      }
    }
    newWindowFrame_ = frame;
  }
  const Borders b = LogicalFrame(Borders{newWindowFrame_->top, newWindowFrame_->left, newWindowFrame_->bottom,
                                         newWindowFrame_->right},
                                 Screen());
  return Rect{b.left, b.top, b.right, b.bottom};
}

void SdlWindowSystem::SetWindowRect(WindowHandle w, const Rect& outer) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return;
  const Borders frame = ScreenFrame(sw);
  const ScreenScale screen = Screen();
  const Borders b = LogicalFrame(frame, screen);
  const int width = std::max(1, screen.ToCoordinateUp(outer.Width() - b.left - b.right));
  const int height = std::max(1, screen.ToCoordinateUp(outer.Height() - b.top - b.bottom));
  // The client goes where the rectangle puts it however the window is moved, so that a rectangle
  // read back puts the window where it was: a frame narrower than the scale must not shift it.
  const int clientX = screen.ToCoordinate(outer.left + b.left), clientY = screen.ToCoordinate(outer.top + b.top);
  NoteOwnChange(w);
  // SDL would take a move of an unmapped window for the client's and offset it by a frame it
  // does not know yet; the X window itself goes where the frame's corner is to be.
  if (!Hidden(sw) || !X11MoveWindow(sw, clientX - frame.left, clientY - frame.top))
    SDL_SetWindowPosition(sw, clientX, clientY);
  SDL_SetWindowSize(sw, width, height);
}

void SdlWindowSystem::SetClientSize(WindowHandle w, int width, int height) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return;
  NoteOwnChange(w);
  SDL_SetWindowSize(sw, std::max(1, Screen().ToCoordinateUp(width)), std::max(1, Screen().ToCoordinateUp(height)));
}

void SdlWindowSystem::ShowWindow(WindowHandle w, ShowCommand cmd) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return;
  NoteOwnChange(w);
  switch (cmd) {
    case ShowCommand::Hide: SDL_HideWindow(sw); break;
    case ShowCommand::Show: SDL_ShowWindow(sw); break;
    case ShowCommand::Minimize: SDL_MinimizeWindow(sw); break;
    case ShowCommand::Maximize: SDL_ShowWindow(sw); SDL_MaximizeWindow(sw); break;
    case ShowCommand::Restore: SDL_ShowWindow(sw); SDL_RestoreWindow(sw); break;
  }
}

bool SdlWindowSystem::IsVisible(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr && (SDL_GetWindowFlags(sw) & SDL_WINDOW_SHOWN) != 0;
}

bool SdlWindowSystem::IsMinimized(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr && (SDL_GetWindowFlags(sw) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SdlWindowSystem::IsMaximized(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr && (SDL_GetWindowFlags(sw) & SDL_WINDOW_MAXIMIZED) != 0;
}

void SdlWindowSystem::SetBordered(WindowHandle w, bool bordered) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return;
  NoteOwnChange(w);
  SDL_SetWindowBordered(sw, bordered ? SDL_TRUE : SDL_FALSE);
}

bool SdlWindowSystem::IsBordered(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr && (SDL_GetWindowFlags(sw) & SDL_WINDOW_BORDERLESS) == 0;
}

void SdlWindowSystem::SetTopmost(WindowHandle w, bool topmost) {
  if (SDL_Window* sw = Find(w)) SDL_SetWindowAlwaysOnTop(sw, topmost ? SDL_TRUE : SDL_FALSE);
}

bool SdlWindowSystem::IsTopmost(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr && (SDL_GetWindowFlags(sw) & SDL_WINDOW_ALWAYS_ON_TOP) != 0;
}

bool SdlWindowSystem::SetFullScreen(WindowHandle w, bool fullScreen, const DisplayModeInfo* mode) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return false;
  NoteOwnChange(w);
  WindowRecord& record = windows_[sw];
  if (!fullScreen) {
    const bool ok = SDL_SetWindowFullscreen(sw, 0) == 0;
    const bool wasFullScreen = record.fullScreen;
    if (ok) record.fullScreen = false;
    // A window manager gives the window back the frame it had, and the framework then places it
    // where it was. Moving it here as well would race the manager: SDL still holds the full-screen
    // window's frame (none), so the move put the frame's corner where the client had been, and
    // whichever of the two moves the manager took last decided where the window ended up.
    if (ok && wasFullScreen && !X11HasWindowManager(sw)) {
      // Without a window manager nothing restores the old frame, so put it back ourselves.
      SDL_SetWindowSize(sw, record.windowed.w, record.windowed.h);
      SDL_SetWindowPosition(sw, record.windowed.x, record.windowed.y);
    }
    ClipCursor(w, false);
    GrabKeyboard(w, false);
    return ok;
  }
  if (record.fullScreen && mode != nullptr) {
    // Already covering a display of that size: SDL's list of modes may not know it (a mode set
    // with xrandr since SDL read them), and would pick another.
    int width = 0, height = 0;
    SDL_GetWindowSize(sw, &width, &height);
    if (width == Screen().ToCoordinate(static_cast<int>(std::min<uint32_t>(mode->width, INT32_MAX))) &&
        height == Screen().ToCoordinate(static_cast<int>(std::min<uint32_t>(mode->height, INT32_MAX)))) {
      ClipCursor(w, true);
      GrabKeyboard(w, true);
      return true;
    }
  }
  if (!record.fullScreen) {
    SDL_GetWindowPosition(sw, &record.windowed.x, &record.windowed.y);
    SDL_GetWindowSize(sw, &record.windowed.w, &record.windowed.h);
  }
  if (OnWayland()) {
    // A compositor keeps the output's mode, so full screen is the whole output as it is. (SDL's
    // own full screen there would draw a mode's size in real pixels at the output's scale: a
    // quarter of an output of scale 2.)
    if (SDL_SetWindowFullscreen(sw, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    record.fullScreen = true;
    ClipCursor(w, true);
    GrabKeyboard(w, true);
    return true;
  }
  const int display = std::max(0, SDL_GetWindowDisplayIndex(sw));
  SDL_DisplayMode want{};
  if (SDL_GetDesktopDisplayMode(display, &want) != 0) return false;
  if (mode != nullptr) {
    want.w = Screen().ToCoordinate(static_cast<int>(std::min<uint32_t>(mode->width, INT32_MAX)));
    want.h = Screen().ToCoordinate(static_cast<int>(std::min<uint32_t>(mode->height, INT32_MAX)));
    want.refresh_rate = static_cast<int>(mode->refreshRate);
    want.format = mode->bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
  }
  SDL_DisplayMode chosen{};
  if (SDL_GetClosestDisplayMode(display, &want, &chosen) == nullptr) chosen = want;
  if (SDL_SetWindowDisplayMode(sw, &chosen) != 0) return false;
  if (SDL_SetWindowFullscreen(sw, SDL_WINDOW_FULLSCREEN) != 0) return false;
  // SDL asks the window manager for full screen and from then on takes the window for the whole
  // display. With no manager to grant it, cover the display ourselves, or the picture would be
  // squeezed into the old window and the pointer confined to it.
  if (!X11HasWindowManager(sw)) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) == 0) X11PlaceWindow(sw, {bounds.x, bounds.y, chosen.w, chosen.h});
  }
  record.fullScreen = true;
  record.manager = X11WindowManager(sw);
  record.focusedAt = SDL_GetTicks64();  // it goes full screen as the window in use
  record.refocusUntil = 0;
  ClipCursor(w, true);
  GrabKeyboard(w, true);
  return true;
}

std::vector<DisplayModeInfo> ModesFromSdl(const std::vector<SDL_DisplayMode>& modes, const ScreenScale& scale) {
  std::vector<DisplayModeInfo> out;
  for (const SDL_DisplayMode& m : modes) {
    const int bits = SDL_BITSPERPIXEL(m.format);
    DisplayModeInfo info;
    if (bits == 24 || bits == 32) info.bitsPerPixel = 32;
    else if (bits == 15 || bits == 16) info.bitsPerPixel = 16;
    else continue;
    const int width = scale.ToLogical(m.w), height = scale.ToLogical(m.h);
    if (width < 1 || height < 1) continue;
    info.width = static_cast<uint32_t>(width);
    info.height = static_cast<uint32_t>(height);
    info.refreshRate = static_cast<uint32_t>(std::max(0, m.refresh_rate));
    if (std::find(out.begin(), out.end(), info) == out.end()) out.push_back(info);
  }
  return out;
}

std::vector<DisplayInfo> SdlWindowSystem::GetDisplays() const {
  std::vector<DisplayInfo> displays;
  const ScreenScale screen = Screen();
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    DisplayInfo d;
    if (const char* name = SDL_GetDisplayName(i)) d.name = name;
    const SDL_Rect bounds = DisplayRect(i);
    d.bounds = ToRect(bounds, screen);
    SDL_Rect usable{}, r{};
    // SDL reads the work area afresh but clips it to the display as it was at start.
    if (SDL_GetDisplayUsableBounds(i, &usable) == 0) {
      d.workArea = SDL_IntersectRect(&usable, &bounds, &r) == SDL_TRUE ? ToRect(r, screen) : Rect{};
    } else {
      d.workArea = d.bounds;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(i, &desktop) == 0) {
      const auto converted = ModesFromSdl({desktop}, screen);
      if (!converted.empty()) d.desktopMode = converted.front();
    }
    std::vector<SDL_DisplayMode> sdlModes;
    // The output's own mode is the only one a compositor offers.
    const int modeCount = OnWayland() ? 0 : SDL_GetNumDisplayModes(i);
    for (int m = 0; m < modeCount; ++m) {
      SDL_DisplayMode mode{};
      if (SDL_GetDisplayMode(i, m, &mode) == 0) sdlModes.push_back(mode);
    }
    d.modes = ModesFromSdl(sdlModes, screen);
    if (d.modes.empty() && d.desktopMode.width != 0) d.modes.push_back(d.desktopMode);
    displays.push_back(std::move(d));
  }
  return displays;
}

SDL_Rect SdlWindowSystem::DisplayRect(int display) const {
  SDL_Rect r{};
  if (SDL_GetDisplayBounds(display, &r) != 0) return SDL_Rect{};
  if (windows_.empty()) return r;
  return X11DisplayRect(windows_.begin()->first, r).value_or(r);
}

int SdlWindowSystem::GetWindowDisplay(WindowHandle w) const {
  SDL_Window* sw = Find(w);
  return sw != nullptr ? std::max(0, SDL_GetWindowDisplayIndex(sw)) : 0;
}

void SdlWindowSystem::Pump() {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  if (const int signal = PendingEndSignal()) EndBySignalWithDesktopMode(signal);
  SDL_PumpEvents();
  if (displayWatch_) displayWatch_->CheckNow();
  const Facts facts(*this);
  std::vector<Msg> produced;
  SDL_Event e;
  if (TakeCloseRequest()) {
    // As SDL's own handler would have it: the quit event closes every window.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    quit.quit.timestamp = SDL_GetTicks();
    translator_.Translate(quit, facts, SDL_GetTicks64(), produced);
  }
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    // A window that reached an output of another scale reports a size change (its size in real
    // pixels); the scale is taken before the message is made, so the framework sees both at once.
    if (e.type == SDL_WINDOWEVENT && (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                                      e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)) {
      if (SDL_Window* sw = SDL_GetWindowFromID(e.window.windowID); windows_.count(sw) != 0) TakeBufferScale(sw);
    }
    controllers_.Handle(e);
    translator_.Translate(e, facts, EventTime(e, SDL_GetTicks64()), produced);
  }
  translator_.Poll(SDL_GetTicks64(), produced);
  queue_.insert(queue_.end(), produced.begin(), produced.end());
  KeepFullScreen(SDL_GetTicks64());
}

// A window manager that goes away, or is replaced, takes the focus from a full-screen window and
// may give it back its windowed size on the way out; nothing would give either back. Without a
// manager the window covers its display itself, also when the display's mode changes.
void SdlWindowSystem::KeepFullScreen(uint64_t nowMs) {
  if (nowMs < nextFullScreenCheck_) return;
  nextFullScreenCheck_ = nowMs + kFullScreenCheckMs;
  for (auto& [sw, record] : windows_) {
    if (!record.fullScreen || record.destroying) continue;
    const unsigned long manager = X11WindowManager(sw);
    if (manager == 0) CoverDisplay(sw);
    // The server's own answer: SDL hears of a lost focus only when it next reads its events.
    const bool focused = X11HasFocus(sw);
    if (focused) record.focusedAt = nowMs;
    if (manager != record.manager) {
      record.manager = manager;
      record.refocusUntil = nowMs - record.focusedAt <= kFocusMemoryMs ? nowMs + kRefocusMs : 0;
      record.focusRequests = 0;
    }
    // Otherwise the focus went where the user or the manager sent it, and comes back the same way.
    if (focused || nowMs >= record.refocusUntil || record.focusRequests >= kMostFocusRequests) continue;
    ++record.focusRequests;
    NoteOwnChange(ToWindowHandle(sw));
    if (manager == 0) {
      X11TakeFocus(sw);
    } else {
      if ((SDL_GetWindowFlags(sw) & SDL_WINDOW_MINIMIZED) != 0) SDL_RestoreWindow(sw);
      SDL_RaiseWindow(sw);  // asks the new manager to activate it
    }
  }
}

void SdlWindowSystem::CoverDisplay(SDL_Window* sw) {
  const SDL_Rect display = DisplayRect(std::max(0, SDL_GetWindowDisplayIndex(sw)));
  SDL_Rect at{};
  if (display.w <= 0 || display.h <= 0 || !X11WindowRect(sw, at)) return;
  if (at.x == display.x && at.y == display.y && at.w == display.w && at.h == display.h) return;
  NoteOwnChange(ToWindowHandle(sw));
  X11PlaceWindow(sw, display);
}

bool SdlWindowSystem::PeekMessage(Msg& out) {
  if (queue_.empty()) Pump();
  if (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    return true;
  }
  // The quit message comes once everything before it has been handled.
  if (quitPosted_) {
    quitPosted_ = false;
    out = Msg{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0};
    return true;
  }
  return false;
}

void SdlWindowSystem::PostMessage(const Msg& msg) {
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return;
  }
  if (msg.window != nullptr && Find(msg.window) == nullptr) return;
  queue_.push_back(msg);
}

void SdlWindowSystem::PostQuitMessage(int exitCode) {
  quitPosted_ = true;
  quitCode_ = exitCode;
}

LRESULT SdlWindowSystem::SendMessage(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM lParam) {
  SDL_Window* sw = Find(w);
  if (sw == nullptr) return 0;
  const WindowProc proc = windows_[sw].proc;
  if (proc == nullptr) return DefWindowProc(w, message, wParam, lParam);
  return proc(w, message, wParam, lParam);
}

LRESULT SdlWindowSystem::DispatchMessage(const Msg& msg) {
  if (msg.window == nullptr) return 0;
  return SendMessage(msg.window, msg.message, msg.wParam, msg.lParam);
}

LRESULT SdlWindowSystem::DefWindowProc(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyAppWindow(w);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4) SendMessage(w, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}

void SdlWindowSystem::EndBySignalWithDesktopMode(int signal) {
  for (auto& [sw, record] : windows_) {
    if (!record.fullScreen) continue;
    SDL_SetWindowFullscreen(sw, 0);
    X11Sync(sw);  // the mode change must reach the server before the process ends
  }
  EndBySignal(signal);
}

void SdlWindowSystem::ClipCursor(WindowHandle w, bool confine) {
  if (SDL_Window* sw = Find(w)) SDL_SetWindowMouseGrab(sw, confine ? SDL_TRUE : SDL_FALSE);
}

void SdlWindowSystem::GrabKeyboard(WindowHandle w, bool grab) {
  if (SDL_Window* sw = Find(w)) SDL_SetWindowKeyboardGrab(sw, grab ? SDL_TRUE : SDL_FALSE);
}

void SdlWindowSystem::ShowSystemCursor(bool show) {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindowSystem::GetCursorPos(int& x, int& y) const {
  x = 0;
  y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_GetGlobalMouseState(&x, &y);
  x = Screen().ToLogical(x);
  y = Screen().ToLogical(y);
}

CursorImage CursorFromMasks(const uint32_t* maskRows, const uint32_t* imageRows, int width, int height,
                            int hotX, int hotY) {
  CursorImage c;
  c.width = std::clamp(width, 0, 32);
  c.height = std::max(0, height);
  c.hotX = std::clamp(hotX, 0, std::max(0, c.width - 1));
  c.hotY = std::clamp(hotY, 0, std::max(0, c.height - 1));
  c.argb.assign(static_cast<size_t>(c.width) * static_cast<size_t>(c.height), 0);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const uint32_t bit = 0x80000000u >> x;
      if (maskRows[y] & bit) continue;  // transparent
      c.argb[static_cast<size_t>(y) * static_cast<size_t>(c.width) + static_cast<size_t>(x)] =
          (imageRows[y] & bit) ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
  return c;
}

CursorImage SdlWindowSystem::GetArrowCursorImage() const {
  return CursorFromMasks(kArrowMask, kArrowImage, 32, 32, 0, 0);
}

}  // namespace plat
