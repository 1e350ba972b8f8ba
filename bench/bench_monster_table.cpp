// Parses a generated monster file of 100,000 valid rows and prints the rows per second.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/data/monster_table.h"

int main() {
  constexpr int kRows = 100000;
  std::wstring text = L"id\thp\tspeed\tdefence\tstr\tagi\tint\tluck\tx\ty\tcmd1\tz\tdamage\tcmd2\tu\tv\r\n";
  for (int r = 0; r < kRows; ++r) {
    for (int c = 1; c <= 16; ++c) {
      text += std::to_wstring((r * 31 + c * 7) % 5000);
      text += c < 16 ? L"\t" : L"\r\n";
    }
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }

  double best = 0;
  for (int run = 0; run < 5; ++run) {
    MonsterTable table;
    const auto start = std::chrono::steady_clock::now();
    table.ParseText(MonsterFileText(bytes));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (table.size() != kRows) {
      std::printf("bench_monster_table: expected %d rows, got %zu\n", kRows, table.size());
      return 1;
    }
    const double rate = kRows / took.count();
    std::printf("run %d: %zu rows (%.1f MB of UTF-16LE) in %.3f s: %.0f rows/s\n", run, table.size(),
                bytes.size() / 1e6, took.count(), rate);
    if (rate > best) best = rate;
  }
  std::printf("monster table parse: best %.0f rows/s\n", best);
  return 0;
}
