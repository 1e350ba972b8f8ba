#include "game/focus.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/system/messages.h"

namespace {

int32_t ClampToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool Clickable(const Element& e) { return e.visible != 0 && e.clickEnabled != 0; }

// Index of the element a left click at (x, y) reaches: the first clickable one under it.
int ClickedAt(const ElementList& elements, int32_t x, int32_t y) {
  for (size_t i = 0; i < elements.size(); ++i)
    if (Clickable(elements[i]) && InsideHitRect(elements[i], x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace

ClickPoint CentreOf(const Element& element) {
  const HitCorner c = HitCornerOf(element);
  return ClickPoint{ClampToInt32(c.left + element.hitWidth / 2), ClampToInt32(c.top + element.hitHeight / 2)};
}

std::vector<size_t> Pickable(const ElementList& elements) {
  std::vector<size_t> out;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (!Clickable(elements[i])) continue;
    // An element under an earlier clickable one, or too small to have an inside, cannot be
    // clicked at its centre.
    const ClickPoint c = CentreOf(elements[i]);
    if (ClickedAt(elements, c.x, c.y) == static_cast<int>(i)) out.push_back(i);
  }
  return out;
}

Focus::Identity Focus::IdentityOf(const Element& element) {
  const HitCorner c = HitCornerOf(element);
  return Identity{element.kind, element.id, c.left, c.top};
}

int Focus::Index(const ElementList& elements) const {
  if (!focused_) return -1;
  for (size_t i : Pickable(elements))
    if (IdentityOf(elements[i]) == *focused_) return static_cast<int>(i);
  return -1;
}

void Focus::Refresh(const ElementList& elements) {
  std::vector<Identity> now;
  for (size_t i : Pickable(elements)) now.push_back(IdentityOf(elements[i]));
  const auto isNew = [this](const Identity& id) { return std::find(known_.begin(), known_.end(), id) == known_.end(); };
  const auto newcomer = std::find_if(now.begin(), now.end(), isNew);
  if (newcomer != now.end()) {
    focused_ = *newcomer;
  } else if (!focused_ || std::find(now.begin(), now.end(), *focused_) == now.end()) {
    focused_ = now.empty() ? std::nullopt : std::optional<Identity>(now.front());
  }
  known_ = std::move(now);
}

void Focus::Move(const ElementList& elements, Direction direction) {
  const int from = Index(elements);
  if (from < 0) return;
  const ClickPoint c = CentreOf(elements[static_cast<size_t>(from)]);
  // The nearest element ahead, a step aside counting twice a step ahead, so that a column of
  // rows is walked row by row; on a tie the earlier in the list.
  int64_t best = std::numeric_limits<int64_t>::max();
  std::optional<Identity> chosen;
  for (size_t i : Pickable(elements)) {
    const ClickPoint p = CentreOf(elements[i]);
    const int64_t dx = int64_t{p.x} - c.x, dy = int64_t{p.y} - c.y;
    int64_t ahead = 0, aside = 0;
    switch (direction) {
      case Direction::kUp: ahead = -dy, aside = dx; break;
      case Direction::kDown: ahead = dy, aside = dx; break;
      case Direction::kLeft: ahead = -dx, aside = dy; break;
      case Direction::kRight: ahead = dx, aside = dy; break;
    }
    if (ahead <= 0) continue;
    const int64_t score = ahead + 2 * std::llabs(aside);
    if (score < best) {
      best = score;
      chosen = IdentityOf(elements[i]);
    }
  }
  if (chosen) focused_ = chosen;
}

std::optional<ClickPoint> Focus::Key(const ElementList& elements, uint32_t key, bool down, bool alt) {
  const size_t slot = key & 0xFF;
  const bool repeat = down && held_[slot];
  held_[slot] = down;
  if (!down || alt) return std::nullopt;

  std::optional<Direction> direction;
  bool pick = false;
  switch (key) {
    case plat::VK_UP: case 'W': direction = Direction::kUp; break;
    case plat::VK_DOWN: case 'S': direction = Direction::kDown; break;
    case plat::VK_LEFT: case 'A': direction = Direction::kLeft; break;
    case plat::VK_RIGHT: case 'D': direction = Direction::kRight; break;
    case plat::VK_RETURN: case plat::VK_SPACE: pick = true; break;
    default: return std::nullopt;
  }
  keysHold_ = true;
  Refresh(elements);
  if (direction) {
    Move(elements, *direction);
    return std::nullopt;
  }
  // A held Enter picks once: its repeats must not play the menus that open meanwhile.
  if (!pick || repeat) return std::nullopt;
  const int index = Index(elements);
  if (index < 0) return std::nullopt;
  pickSent_ = CentreOf(elements[static_cast<size_t>(index)]);
  return pickSent_;
}

void Focus::Pointer(const ElementList& elements, bool leftDown, int32_t x, int32_t y) {
  const ClickPoint at{x, y};
  if (pickSent_ && leftDown && *pickSent_ == at) {
    pickSent_.reset();
    return;
  }
  pickSent_.reset();
  if (pointerAt_ && *pointerAt_ == at && pointerLeft_ == leftDown) return;
  pointerAt_ = at;
  pointerLeft_ = leftDown;
  keysHold_ = false;
  const int under = ClickedAt(elements, x, y);
  if (under < 0) return;
  const std::vector<size_t> pickable = Pickable(elements);
  if (std::find(pickable.begin(), pickable.end(), static_cast<size_t>(under)) != pickable.end())
    focused_ = IdentityOf(elements[static_cast<size_t>(under)]);
}

void Focus::Show(ElementList& elements) const {
  if (!keysHold_) return;
  const int focused = Index(elements);
  for (size_t i = 0; i < elements.size(); ++i) {
    Element& e = elements[i];
    if (e.visible != 0 && e.hoverEnabled != 0) e.cell = static_cast<int>(i) == focused ? 1 : 0;
  }
}

const Element* Focus::NeedsMark(const ElementList& elements) const {
  if (!keysHold_) return nullptr;
  const int focused = Index(elements);
  if (focused < 0 || elements[static_cast<size_t>(focused)].hoverEnabled != 0) return nullptr;
  return &elements[static_cast<size_t>(focused)];
}
