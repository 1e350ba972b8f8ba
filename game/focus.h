#pragma once
// Play without a mouse. The focus is the element a left click would pick next: the arrow keys
// and W/A/S/D move it to the nearest pickable element in their direction, Enter and Space pick
// it with a left click at its centre, which the caller sends down the mouse's own path so that
// a pick does exactly what that click does. One highlight shows at a time: the pointer's hover
// once the pointer moves, the focus once a key of the game's is pressed.
#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "game/element_list.h"

struct ClickPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ClickPoint&) const = default;
};

// The middle of the element's hit rectangle, held inside the range of a pointer position.
ClickPoint CentreOf(const Element& element);
// Indices of the elements that a left click at their centre would reach now, in list order.
std::vector<size_t> Pickable(const ElementList& elements);

class Focus {
 public:
  // A key message as the framework passes it on. Moving keys move the focus (also when they
  // repeat); a pick comes back as the point to click, once per press. Keys with Alt held
  // belong to the framework, and keys the game does not use change nothing.
  std::optional<ClickPoint> Key(const ElementList& elements, uint32_t key, bool down, bool alt);
  // Every mouse event, before the hit test. A pointer that moved or pressed or let go takes the
  // highlight, and the element a click there would reach becomes the focus. The click a pick
  // sent and an event of a pointer standing still leave the highlight where it is.
  void Pointer(const ElementList& elements, bool leftDown, int32_t x, int32_t y);
  // After the list has changed: a menu that appeared takes the focus on its first row a click
  // acts on; a focus that went away falls back to the first pickable element, or to none.
  void Refresh(const ElementList& elements);
  // While the keys hold the highlight, every hover-lit element shows the focus as the pointer's
  // hover would: cell 1 on the focused one, 0 on the others.
  void Show(ElementList& elements) const;
  // The focused element when it has no hover look of its own and the keys hold the highlight,
  // so that it needs a mark drawn; else null.
  const Element* NeedsMark(const ElementList& elements) const;

  // Index of the focused element in the list; -1 when nothing has the focus.
  int Index(const ElementList& elements) const;
  bool KeysHoldHighlight() const { return keysHold_; }

 private:
  // What finds an element again after the list has changed.
  struct Identity {
    int32_t kind = 0;
    int32_t id = 0;
    int64_t left = 0;
    int64_t top = 0;
    bool operator==(const Identity&) const = default;
  };
  static Identity IdentityOf(const Element& element);

  enum class Direction { kUp, kDown, kLeft, kRight };
  void Move(const ElementList& elements, Direction direction);

  std::optional<Identity> focused_;
  std::vector<Identity> known_;  // what was pickable at the last refresh
  bool keysHold_ = false;
  std::bitset<256> held_;                 // keys down, so a held key's repeats are known
  std::optional<ClickPoint> pickSent_;    // the click a pick asked for, until it comes
  std::optional<ClickPoint> pointerAt_;   // the pointer's last position and button
  bool pointerLeft_ = false;
};
