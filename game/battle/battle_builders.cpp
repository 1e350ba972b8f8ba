// The elements that show the battle: time bars, sprites and the two menus.
#include "game/battle/battle.h"

namespace {

constexpr plat::Vec3 kMirrored{0.0f, 1.0f, 0.0f};

Element Make(int32_t id, int32_t kind, int32_t cell, const wchar_t* texture, float x, float y, float z) {
  Element e;
  e.ResetElement();
  e.SetElement(id, kind, 1, cell, texture);
  e.SetPosition(x, y, z);
  return e;
}

// A highlight row of either menu: 108 x 28 pixels of BattleHilite.png.
Element HiliteRow(int32_t id, int32_t kind, float x, float y, float z, bool reacts) {
  Element e = Make(id, kind, 0, kTexBattleHilite, x, y, z);
  e.hitWidth = 108;
  e.hitHeight = 28;
  e.hoverEnabled = reacts ? 1 : 0;
  e.clickEnabled = reacts ? 1 : 0;
  return e;
}

float RowY(int i, float offset) { return 28.0f * static_cast<float>(i) + offset; }

}  // namespace

void Battle::AddTimeBar(ElementList& elements, int32_t code, float duration) const {
  float x = 0, y = 0;
  switch (code) {
    case 300: x = 272, y = 40; break;
    case 301: x = 413, y = 280; break;
    case 302: x = 413, y = 350; break;
    case 303: x = 413, y = 420; break;
    case 310: x = 272, y = 80; break;
    case 311: x = 120, y = 280; break;
    case 312: x = 120, y = 350; break;
    case 313: x = 120, y = 420; break;
    default: break;
  }
  // The marker slides 96 pixels along the tip while the fill grows to three cells.
  Element marker = Make(0, code, 5, kTexTimeBar, x, y, 0.155f);
  marker.StartPositionMotion(x, y, 0.155f, x + 96.0f, y, 0.155f, duration);
  Append(elements, marker);

  Element fill = Make(0, code, 7, kTexTimeBar, x + 1.0f, y, 0.15f);
  fill.scale = {0.0f, 1.0f, 1.0f};
  fill.StartScaleMotion(0.0f, 1.0f, 1.0f, 3.0f, 1.0f, 1.0f, duration);
  Append(elements, fill);
}

void Battle::AddMonsterSprite(ElementList& elements, int32_t id, int32_t cell) const {
  float x = 0, y = 0;
  plat::Vec3 orientation{};
  if (id == kIdPlayerAvatar) {
    x = 560, y = 310;
  } else if (id >= kIdPlayerField0 && id <= kIdPlayerField0 + 2) {
    x = 360, y = 240.0f + 70.0f * static_cast<float>(id - kIdPlayerField0);
  } else if (id == kIdEnemyAvatar) {
    x = 16, y = 310, orientation = kMirrored;
  } else if (id >= kIdEnemyField0 && id <= kIdEnemyField0 + 2) {
    x = 216, y = 240.0f + 70.0f * static_cast<float>(id - kIdEnemyField0), orientation = kMirrored;
  }
  Element e = Make(id, kKindSprite, cell, kTexMonster, x, y, 0.12f);
  e.orientation = orientation;
  Append(elements, e);
}

void Battle::OpenCommandMenu(ElementList& elements, const std::array<int32_t, 4>& cells,
                             const std::array<Colour, 4>& colours) const {
  Append(elements, Make(0, kKindCommandArt, 0, kTexBattleBackground, 0, 0, 0.4f));
  for (int i = 0; i < 4; ++i) {
    Element row = Make(0, kKindCommandArt, cells[static_cast<size_t>(i)], kTexBattleCommand, 10, RowY(i, 4), 0.3f);
    row.colour = colours[static_cast<size_t>(i)];
    Append(elements, row);
  }
  // A dimmed row neither lights up nor takes clicks.
  for (int i = 0; i < 4; ++i) {
    const bool reacts = colours[static_cast<size_t>(i)].a > 0.9f;
    Append(elements, HiliteRow(kIdCommandRow0 + i, kKindCommandRow, 10, RowY(i, 6), 0.4f, reacts));
  }
}

void Battle::OpenSelectMenu(ElementList& elements, const std::array<int32_t, 4>& entries) const {
  int32_t count = -1;
  if (entries[0] != -1) count = 0;
  for (size_t i = 1; i < 4; ++i)
    if (entries[i] != -1) ++count;
  if (count == -1) return;
  // The panel's cells 0 to 3 serve one to four rows.
  Append(elements, Make(0, kKindSelectArt, count, kTexBattleSelectBackground, 64, 0, 0.2f));
  for (int i = 0; i < 4; ++i) {
    const int32_t entry = entries[static_cast<size_t>(i)];
    if (entry != -1) Append(elements, Make(0, kKindSelectArt, entry, kTexMonsterName, 74, RowY(i, 4), 0.1f));
  }
  for (int i = 0; i < 4; ++i) {
    if (entries[static_cast<size_t>(i)] != -1)
      Append(elements, HiliteRow(kIdSelectRow0 + i, kKindSelectRow, 74, RowY(i, 6), 0.2f, true));
  }
}
