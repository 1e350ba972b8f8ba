// Draws the game's eight images into Data2/, writes Data2/monster.txt, a contact sheet of all
// images with their cell numbers into docs/, and the desktop icon in each size under
// packaging/icons/. Usage: artgen [repository root] [--preview file.png]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "art.h"

namespace art {
namespace {

struct Attack {
  const char* name;
  Icon icon;
};

// One row of the table. File columns are counted from 1 in file order.
struct Monster {
  const char* name;
  Rgb gem;
  int hp;        // column 2
  int speed;     // column 3: the time bar lasts 400 / speed seconds
  int level;     // column 4
  int attack;    // column 5
  int defence;   // column 6
  int magic;     // column 7
  int spirit;    // column 8
  int element;   // column 9: 0 none, 1 fire, 2 water, 3 earth, 4 air, 5 ice, 6 spirit
  int cost;      // column 10
  int accuracy;  // column 12
  int damage;    // column 13
  int rarity;    // column 15
  Attack first, second;  // cells in columns 11 and 14
};

// Balanced around the starting hands (7, 1, 6 against a summoned 7): bars of 2.5 to 4 s, the
// enemy's drake falls to about four hits and its summoner's 2000 to about ten more.
const Monster kMonsters[kMonsterCount] = {
    {"Slime", pal::lime, 300, 80, 1, 40, 30, 20, 25, 2, 1, 90, 90, 1, {"Splash", Icon::Splash}, {"Engulf", Icon::Bash}},
    {"Fire Imp", pal::orange, 340, 160, 2, 70, 35, 60, 30, 1, 2, 85, 160, 2, {"Fireball", Icon::Fire}, {"Claw", Icon::Claw}},
    {"Mushroom", pal::red, 420, 70, 2, 55, 50, 40, 45, 3, 2, 95, 130, 1, {"Spores", Icon::Spores}, {"Headbutt", Icon::Bash}},
    {"Golem", pal::silver, 900, 67, 4, 110, 120, 10, 60, 3, 4, 70, 260, 3, {"Smash", Icon::Bash}, {"Quake", Icon::Quake}},
    {"Summoner", pal::sky, 500, 100, 5, 50, 50, 120, 100, 6, 5, 90, 150, 4, {"Bolt", Icon::Bolt}, {"Hex", Icon::Hex}},
    {"Ghost", pal::white, 380, 150, 3, 45, 25, 95, 80, 6, 3, 80, 140, 2, {"Haunt", Icon::Wisp}, {"Chill", Icon::Frost}},
    {"Ice Wolf", pal::cyan, 560, 130, 3, 95, 60, 45, 50, 5, 3, 90, 200, 3, {"Bite", Icon::Bite}, {"Blizzard", Icon::Frost}},
    {"Drake", pal::gold, 760, 100, 5, 120, 90, 80, 70, 1, 5, 85, 240, 5, {"Flame", Icon::Fire}, {"Tail Whip", Icon::Tail}},
};
const char* const kEnemySummonerName = "Warlock";  // MonsterName.png cell 8

struct Command {
  const char* label;
  Icon icon;
};
const Command kFixedCommands[6] = {{"Summon", Icon::Summon}, {"Item", Icon::Item},  {"Flee", Icon::Flee},
                                   {"Wait", Icon::Wait},     {"Guard", Icon::Guard}, {"Wait", Icon::Wait}};
constexpr int kFirstAttackCell = 6;
constexpr int kCommandCells = kFirstAttackCell + 2 * kMonsterCount;

// The game's font is 16 pixels high; a wider face is set a little smaller so every label fits.
double kTextSize = 16;
constexpr double kLabelX = 26;  // text start, after the icon

void ChooseTextSize(const Font& font) {
  Surface s = NewSurface(8, 8);
  Context c = NewContext(s);
  std::vector<std::pair<std::string, double>> labels;  // text, room
  for (const Command& cmd : kFixedCommands) labels.emplace_back(cmd.label, 108 - kLabelX - 2);
  for (const Monster& m : kMonsters) {
    labels.emplace_back(m.name, 100 - kLabelX);
    labels.emplace_back(m.first.name, 108 - kLabelX - 2);
    labels.emplace_back(m.second.name, 108 - kLabelX - 2);
  }
  labels.emplace_back(kEnemySummonerName, 100 - kLabelX);
  for (double size = 16; size >= 11; size -= 0.5) {
    bool fits = true;
    for (const auto& [text, room] : labels) fits = fits && font.Width(c.get(), text, size) <= room;
    if (fits) {
      kTextSize = size;
      return;
    }
  }
  throw std::runtime_error("labels do not fit even at 11 pixels");
}

void CheckFits(const Font& font, cairo_t* cr, const std::string& text, double x, double limit) {
  const double right = x + font.Width(cr, text, kTextSize);
  if (right > limit) throw std::runtime_error("\"" + text + "\" is too wide: ends at " + std::to_string(right));
}

// A row label: icon at the left, text after it, centred on the 28-pixel highlight band.
void Label(const Font& font, cairo_t* cr, const std::string& text, double limit) {
  CheckFits(font, cr, text, kLabelX, limit);
  font.Draw(cr, text, kLabelX, font.CentredBaseline(cr, 16, kTextSize), kTextSize, pal::white, pal::ink);
}

Surface MonsterSheet() {
  Surface s = NewSurface(256, 128);
  Context c = NewContext(s);
  for (int i = 0; i < kMonsterCount; ++i) {
    cairo_save(c.get());
    cairo_translate(c.get(), 64 * (i % 4), 64 * (i / 4));
    cairo_rectangle(c.get(), 0, 0, 64, 64);
    cairo_clip(c.get());
    PaintMonster(c.get(), i);
    cairo_restore(c.get());
  }
  return s;
}

void Gem(cairo_t* cr, double cx, double cy, Rgb colour) {
  PolyPath(cr, {{cx, cy - 6}, {cx + 5, cy}, {cx, cy + 6}, {cx - 5, cy}});
  ShadeAndOutline(cr, Mix(colour, pal::white, 0.6), colour, Mix(colour, pal::ink, 0.45), cx - 5, cy - 6,
                  cx + 5, cy + 6, 1.4);
  PolyPath(cr, {{cx, cy - 4}, {cx + 2, cy - 1}, {cx, cy}, {cx - 2, cy - 1}});
  SetColour(cr, pal::white, 0.8);
  cairo_fill(cr);
}

Surface NameSheet(const Font& font) {
  Surface s = NewSurface(256, 32 * 9);
  Context c = NewContext(s);
  for (int i = 0; i < 9; ++i) {
    cairo_t* cr = c.get();
    cairo_save(cr);
    cairo_translate(cr, 0, 32 * i);
    const bool enemy = i == kMonsterCount;
    Gem(cr, 15, 16, enemy ? Mix(pal::plum, pal::red, 0.5) : kMonsters[i].gem);
    Label(font, cr, enemy ? kEnemySummonerName : kMonsters[i].name, 100);
    cairo_restore(cr);
  }
  return s;
}

Surface CommandSheet(const Font& font) {
  Surface s = NewSurface(128, 32 * kCommandCells);
  Context c = NewContext(s);
  for (int i = 0; i < kCommandCells; ++i) {
    cairo_t* cr = c.get();
    cairo_save(cr);
    cairo_translate(cr, 0, 32 * i);
    Command cmd;
    if (i < kFirstAttackCell) {
      cmd = kFixedCommands[i];
    } else {
      const Monster& m = kMonsters[(i - kFirstAttackCell) / 2];
      const Attack& a = (i - kFirstAttackCell) % 2 == 0 ? m.first : m.second;
      cmd = {a.name, a.icon};
    }
    PaintIcon(cr, cmd.icon, 14, 16);
    Label(font, cr, cmd.label, 108);
    cairo_restore(cr);
  }
  return s;
}

Surface HiliteSheet() {
  Surface s = NewSurface(108, 56);
  Context c = NewContext(s);
  PaintHilite(c.get(), false);
  cairo_translate(c.get(), 0, 28);
  PaintHilite(c.get(), true);
  return s;
}

Surface CommandPanel() {
  Surface s = NewSurface(128, 128);
  Context c = NewContext(s);
  PaintCommandPanel(c.get());
  return s;
}

Surface SelectPanels() {
  Surface s = NewSurface(256, 128 * 4);
  Context c = NewContext(s);
  for (int rows = 1; rows <= 4; ++rows) {
    cairo_save(c.get());
    cairo_translate(c.get(), 0, 128 * (rows - 1));
    PaintSelectPanel(c.get(), rows);
    cairo_restore(c.get());
  }
  return s;
}

Surface TimeBar() {
  Surface s = NewSurface(128, 64);
  Context c = NewContext(s);
  cairo_save(c.get());
  cairo_translate(c.get(), 32, 32);  // cell 5
  PaintBarMarker(c.get());
  cairo_restore(c.get());
  cairo_translate(c.get(), 96, 32);  // cell 7
  PaintBarFill(c.get());
  return s;
}

Surface Impacts() {
  Surface s = NewSurface(256, 64);
  Context c = NewContext(s);
  for (int cell = 1; cell <= 3; ++cell) {
    cairo_save(c.get());
    cairo_translate(c.get(), 64 * cell, 0);
    cairo_rectangle(c.get(), 0, 0, 64, 64);
    cairo_clip(c.get());
    PaintImpact(c.get(), cell);
    cairo_restore(c.get());
  }
  return s;
}

// UTF-16LE, CR LF line ends, no byte order mark.
void WriteMonsterTable(const std::string& path) {
  std::string text =
      "No\tHP\tSpeed\tLevel\tAttack\tDefence\tMagic\tSpirit\tElement\tCost\tCommand1\tAccuracy\tDamage\t"
      "Command2\tRarity\tSprite\t(file columns 1-16; the loaded record adds the mean of columns 5-8 "
      "after column 4; the bar lasts 400/Speed s; Command1/2 are BattleCommand.png cells)\r\n";
  for (int i = 0; i < kMonsterCount; ++i) {
    const Monster& m = kMonsters[i];
    const int cols[16] = {i,          m.hp,    m.speed,     m.level,    m.attack,   m.defence,
                          m.magic,    m.spirit, m.element,  m.cost,     kFirstAttackCell + 2 * i,
                          m.accuracy, m.damage, kFirstAttackCell + 2 * i + 1, m.rarity, i};
    for (int c = 0; c < 16; ++c) text += std::to_string(cols[c]) + (c < 15 ? "\t" : "\r\n");
  }
  std::ofstream out(path, std::ios::binary);
  for (char ch : text) {  // the text is ASCII
    out.put(ch);
    out.put('\0');
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

struct Sheet {
  const char* file;
  int cellWidth, cellHeight;
  Surface image;
};

void PaintSurface(cairo_t* cr, const Surface& s, double x, double y, bool mirror = false, double alpha = 1) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (mirror) {
    cairo_translate(cr, cairo_image_surface_get_width(s.get()), 0);
    cairo_scale(cr, -1, 1);
  }
  cairo_set_source_surface(cr, s.get(), 0, 0);
  cairo_paint_with_alpha(cr, alpha);
  cairo_restore(cr);
}

// One cell of a sheet drawn at (x, y), optionally mirrored about its centre and stretched in x.
void PaintCell(cairo_t* cr, const Sheet& sheet, int cell, double x, double y, bool mirror = false,
               double alpha = 1, double scaleX = 1) {
  const int columns = cairo_image_surface_get_width(sheet.image.get()) / sheet.cellWidth;
  const int sx = (cell % columns) * sheet.cellWidth, sy = (cell / columns) * sheet.cellHeight;
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (mirror) {
    cairo_translate(cr, sheet.cellWidth, 0);
    cairo_scale(cr, -1, 1);
  }
  cairo_scale(cr, scaleX, 1);
  cairo_rectangle(cr, 0, 0, sheet.cellWidth, sheet.cellHeight);
  cairo_clip(cr);
  cairo_set_source_surface(cr, sheet.image.get(), -sx, -sy);
  cairo_paint_with_alpha(cr, alpha);
  cairo_restore(cr);
}

void Background(cairo_t* cr, int w, int h) {
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source_rgb(cr, 45 / 255.0, 50 / 255.0, 170 / 255.0);  // the game's clear colour
  cairo_fill(cr);
}

Surface ContactSheet(const Font& font, const std::vector<Sheet>& sheets) {
  // Where each sheet goes (in the order of `sheets`).
  const double at[8][2] = {{36, 34}, {36, 208}, {36, 318}, {36, 428}, {36, 530}, {332, 34}, {628, 34}, {830, 34}};
  const int order[8] = {0, 5, 7, 4, 1, 6, 3, 2};
  Surface s = NewSurface(1106, 760);
  Context c = NewContext(s);
  cairo_t* cr = c.get();
  Background(cr, 1106, 760);
  for (int k = 0; k < 8; ++k) {
    const Sheet& sheet = sheets[order[k]];
    const double x = at[k][0], y = at[k][1];
    const int w = cairo_image_surface_get_width(sheet.image.get());
    const int h = cairo_image_surface_get_height(sheet.image.get());
    font.Draw(cr, std::string(sheet.file) + "  " + std::to_string(w) + "x" + std::to_string(h), x, y - 8, 12,
              pal::white, pal::ink);
    cairo_rectangle(cr, x, y, w, h);
    SetColour(cr, pal::navy);
    cairo_fill(cr);
    PaintSurface(cr, sheet.image, x, y);
    const int columns = w / sheet.cellWidth, rows = h / sheet.cellHeight;
    for (int cell = 0; cell < columns * rows; ++cell) {
      const double cx = x + (cell % columns) * sheet.cellWidth, cy = y + (cell / columns) * sheet.cellHeight;
      cairo_rectangle(cr, cx + 0.5, cy + 0.5, sheet.cellWidth - 1, sheet.cellHeight - 1);
      SetColour(cr, pal::white, 0.3);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      // Numbers of one-column sheets stand left of the image, so they hide nothing.
      const std::string number = std::to_string(cell);
      if (columns == 1)
        font.Draw(cr, number, cx - 4 - font.Width(cr, number, 12), cy + 14, 12, pal::gold, pal::ink);
      else
        font.Draw(cr, number, cx + 3, cy + 11, 10, pal::gold, pal::ink);
    }
  }
  return s;
}

// A 640 x 480 battle put together the way the game lays it out, to judge the art at 1:1.
Surface Preview(const std::vector<Sheet>& sh) {
  const Sheet& monster = sh[0];
  const Sheet& panel = sh[1];
  const Sheet& select = sh[2];
  const Sheet& command = sh[3];
  const Sheet& hilite = sh[4];
  const Sheet& bar = sh[5];
  const Sheet& name = sh[6];
  const Sheet& impact = sh[7];
  Surface s = NewSurface(640, 480);
  Context c = NewContext(s);
  cairo_t* cr = c.get();
  Background(cr, 640, 480);
  auto timeBar = [&](double x, double y, double fill) {
    PaintCell(cr, bar, 7, x + 1, y, false, 1, 3 * fill);
    PaintCell(cr, bar, 5, x + 96 * fill, y);
  };
  timeBar(272, 40, 0.7);
  timeBar(272, 80, 1.0);
  timeBar(413, 280, 0.35);
  timeBar(413, 350, 0.8);
  timeBar(413, 420, 0.1);
  timeBar(120, 280, 1.0);
  PaintCell(cr, monster, 4, 560, 310);
  PaintCell(cr, monster, 4, 16, 310, true);
  PaintCell(cr, monster, 7, 360, 240);
  PaintCell(cr, monster, 1, 360, 310);
  PaintCell(cr, monster, 6, 360, 380);
  PaintCell(cr, monster, 7, 216, 240, true);
  PaintCell(cr, impact, 3, 216, 240);
  // The command menu of the drake, its first row chosen, and the target menu with one row lit.
  PaintCell(cr, panel, 0, 0, 0);
  PaintCell(cr, hilite, 1, 10, 6);
  for (int i = 1; i < 4; ++i) PaintCell(cr, hilite, 0, 10, 28 * i + 6);
  const int cells[4] = {20, 21, 4, 5};
  for (int i = 0; i < 4; ++i) PaintCell(cr, command, cells[i], 10, 28 * i + 4);
  PaintCell(cr, select, 1, 64, 0);
  PaintCell(cr, hilite, 1, 74, 6);
  PaintCell(cr, hilite, 0, 74, 34);
  PaintCell(cr, name, 7, 74, 4);
  PaintCell(cr, name, 8, 74, 32);
  // The avatar's menu as it looks with rows 1 and 2 dimmed, lower right for comparison.
  PaintCell(cr, panel, 0, 500, 150);
  for (int i = 0; i < 4; ++i) PaintCell(cr, hilite, i == 3 ? 1 : 0, 510, 150 + 28 * i + 6);
  for (int i = 0; i < 4; ++i) PaintCell(cr, command, i, 510, 150 + 28 * i + 4, false, i == 1 || i == 2 ? 0.5 : 1);
  return s;
}

// The desktop icon: the drake, drawn at twice its size on a rounded badge, laid out on a 128-pixel
// grid and scaled to each size the icon theme asks for.
constexpr int kIconSizes[] = {32, 48, 64, 128, 256};

Surface Icon(int size) {
  Surface s = NewSurface(size, size);
  Context c = NewContext(s);
  cairo_t* cr = c.get();
  cairo_scale(cr, size / 128.0, size / 128.0);
  RoundRectPath(cr, 4, 4, 120, 120, 22);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, 4, 0, 124);
  cairo_pattern_add_color_stop_rgb(fill, 0, pal::blue.r, pal::blue.g, pal::blue.b);
  cairo_pattern_add_color_stop_rgb(fill, 1, pal::navy.r, pal::navy.g, pal::navy.b);
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);
  SetColour(cr, pal::gold);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_scale(cr, 2, 2);
  PaintMonster(cr, 7);
  cairo_restore(cr);
  return s;
}

int Run(const std::filesystem::path& root, const std::string& previewPath) {
  const Font font(std::filesystem::absolute(root / "platform/graphics/fonts.conf").string());
  ChooseTextSize(font);
  std::printf("artgen: text in %s at %.1f px\n", font.Description().c_str(), kTextSize);
  std::vector<Sheet> sheets;
  sheets.push_back({"Monster.png", 64, 64, MonsterSheet()});
  sheets.push_back({"BattleBackground.png", 128, 128, CommandPanel()});
  sheets.push_back({"BattleSelectBackground.png", 256, 128, SelectPanels()});
  sheets.push_back({"BattleCommand.png", 128, 32, CommandSheet(font)});
  sheets.push_back({"BattleHilite.png", 108, 28, HiliteSheet()});
  sheets.push_back({"TimeBar.png", 32, 32, TimeBar()});
  sheets.push_back({"MonsterName.png", 256, 32, NameSheet(font)});
  sheets.push_back({"BattleAnimation.png", 64, 64, Impacts()});
  std::filesystem::create_directories(root / "Data2");
  std::filesystem::create_directories(root / "docs");
  for (const Sheet& sheet : sheets) WritePng(sheet.image, (root / "Data2" / sheet.file).string());
  WriteMonsterTable((root / "Data2/monster.txt").string());
  WritePng(ContactSheet(font, sheets), (root / "docs/contact-sheet.png").string());
  for (int size : kIconSizes) {
    const std::string side = std::to_string(size);
    const std::filesystem::path dir = root / "packaging/icons/hicolor" / (side + "x" + side) / "apps";
    std::filesystem::create_directories(dir);
    WritePng(Icon(size), (dir / "xvela.png").string());
  }
  if (!previewPath.empty()) WritePng(Preview(sheets), previewPath);
  std::printf("artgen: wrote %zu images, Data2/monster.txt, docs/contact-sheet.png and %zu icon sizes under %s\n",
              sheets.size(), std::size(kIconSizes), root.string().c_str());
  return 0;
}

}  // namespace
}  // namespace art

int main(int argc, char** argv) {
  std::filesystem::path root = ".";
  std::string preview;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--preview" && i + 1 < argc) preview = argv[++i];
    else root = arg;
  }
  try {
    return art::Run(root, preview);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
}
