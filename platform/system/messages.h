#pragma once
// Window messages with the (window, message, wParam, lParam) shape the framework's
// window procedure works on. platform/system produces them from SDL events.
#include <cstdint>

namespace plat {

// Opaque window handle; null is "no window".
struct WindowTag;
using WindowHandle = WindowTag*;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

using WindowProc = LRESULT (*)(WindowHandle, uint32_t message, WPARAM, LPARAM);

struct Msg {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Message numbers keep their conventional values so traces stay familiar.
enum : uint32_t {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,            // wParam: SIZE_*; lParam: client width | height << 16
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,            // wParam: exit code
  WM_ACTIVATEAPP = 0x001C,     // wParam: 1 becoming active, 0 inactive
  WM_SETCURSOR = 0x0020,
  WM_GETMINMAXINFO = 0x0024,
  WM_POWERBROADCAST = 0x0218,  // wParam: PBT_*
  WM_KEYDOWN = 0x0100,         // wParam: virtual-key code; lParam bit 29: Alt held
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,      // key pressed while Alt is held (or F10)
  WM_SYSKEYUP = 0x0105,
  WM_SYSCOMMAND = 0x0112,
  WM_MENUCHAR = 0x0120,
  WM_MOUSEMOVE = 0x0200,       // wParam: MK_* bits; lParam: x | y << 16 (signed 16-bit, client)
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,      // wParam high word: signed delta (120 a notch); lParam: screen x | y << 16
  WM_XBUTTONDOWN = 0x020B,     // wParam high word: XBUTTON1 or XBUTTON2
  WM_XBUTTONUP = 0x020C,
  WM_XBUTTONDBLCLK = 0x020D,
  WM_ENTERMENULOOP = 0x0211,
  WM_EXITMENULOOP = 0x0212,
  WM_ENTERSIZEMOVE = 0x0231,
  WM_EXITSIZEMOVE = 0x0232,
  WM_NCHITTEST = 0x0084,
};

// WM_GETMINMAXINFO is sent once while a window is created; lParam points to this record, which
// the procedure may fill (0 leaves the system's limit).
struct MinMaxInfo {
  int minTrackWidth = 0, minTrackHeight = 0;
};

enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
enum : uint32_t { PBT_APMQUERYSUSPEND = 0x0000, PBT_APMRESUMESUSPEND = 0x0007 };
enum : uint32_t { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08,
                  MK_MBUTTON = 0x10, MK_XBUTTON1 = 0x20, MK_XBUTTON2 = 0x40 };
enum : uint32_t { XBUTTON1 = 0x0001, XBUTTON2 = 0x0002 };
constexpr LPARAM kAltBit = LPARAM(1) << 29;  // in lParam of key messages

// Virtual-key codes the framework and tests use (letters and digits are their ASCII upper case).
enum : uint32_t {
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
  VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
  VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
  VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_LWIN = 0x5B, VK_RWIN = 0x5C,
  VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76,
  VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
};

constexpr LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<uint32_t>((static_cast<uint16_t>(lo)) |
                                                  (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16)));
}
constexpr int LoWordSigned(intptr_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }
constexpr int HiWordSigned(intptr_t v) { return static_cast<int16_t>(static_cast<uint16_t>((v >> 16) & 0xFFFF)); }

}  // namespace plat
