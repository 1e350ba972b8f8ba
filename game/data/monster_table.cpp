#include "game/data/monster_table.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <limits>
#include <stdexcept>

#include <boost/regex.hpp>

#include "platform/services.h"
#include "platform/system/text.h"

namespace {

// Sixteen fields of digits, each but the last followed by one TAB; nothing else on the line.
std::wstring RowPattern() {
  std::wstring pattern;
  for (int i = 0; i < 15; ++i) pattern += L"(\\d*?)\t";
  pattern += L"(\\d*)";
  return pattern;
}

// Decimal digits into a signed 32-bit value. False for an empty field, a value above the 32-bit
// range, or a digit outside 0-9 that the regex library's digit class may still accept.
template <typename It>
bool ToInt32(It first, It last, int32_t& value) {
  if (first == last) return false;
  int64_t n = 0;
  for (It it = first; it != last; ++it) {
    const wchar_t c = *it;
    if (c < L'0' || c > L'9') return false;
    n = n * 10 + (c - L'0');
    if (n > std::numeric_limits<int32_t>::max()) return false;
  }
  value = static_cast<int32_t>(n);
  return true;
}

}  // namespace

std::wstring MonsterFileText(const std::vector<uint8_t>& bytes) {
  std::wstring text;
  const size_t units = (bytes.size() + 1) / 2;
  text.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    const size_t lo = 2 * i, hi = lo + 1;
    const wchar_t unit = static_cast<wchar_t>(bytes[lo] | (hi < bytes.size() ? bytes[hi] << 8 : 0));
    if (unit == 0) break;
    text.push_back(unit);
  }
  const size_t lf = text.find(L'\n');
  if (lf != std::wstring::npos) text.erase(0, lf + 1);
  return text;
}

std::wstring NotUtf16LeReason(const std::vector<uint8_t>& bytes) {
  auto startsWith = [&bytes](std::initializer_list<uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
  };
  if (startsWith({0xEF, 0xBB, 0xBF})) return L"UTF-8 byte-order mark";
  if (startsWith({0xFE, 0xFF})) return L"UTF-16BE byte-order mark";
  // In UTF-16LE every TAB and LF is a 16-bit unit (a zero high byte follows it); in 8-bit or
  // big-endian text they are single bytes that seldom pair up that way.
  size_t breakBytes = 0, breakUnits = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool isBreak = bytes[i] == '\t' || bytes[i] == '\n';
    breakBytes += isBreak;
    breakUnits += isBreak && i % 2 == 0 && i + 1 < bytes.size() && bytes[i + 1] == 0;
  }
  if (breakUnits * 2 < breakBytes) return L"TABs and line breaks are single bytes";
  return {};
}

int32_t MonsterTable::LoadFile(const std::wstring& fileName) {
  plat::ISystem* system = plat::GetServices().system;
  if (system == nullptr) return 1;
  std::vector<uint8_t> bytes;
  report_ = LoadReport{};
  report_.read = system->ReadWholeFile(fileName, kMaxFileBytes, bytes);
  if (!report_.read) return 1;
  report_.notUtf16Le = NotUtf16LeReason(bytes);
  ParseText(MonsterFileText(bytes));
  return 1;
}

std::wstring ShortTableLine(const std::wstring& fileName, const MonsterTable& table, size_t needed) {
  const MonsterTable::LoadReport& report = table.LastLoad();
  std::wstring why;
  switch (report.read.fault) {
    case plat::FileFault::Missing: why = L"missing"; break;
    case plat::FileFault::NotRegular: why = L"not a regular file"; break;
    case plat::FileFault::Unreadable:
      why = L"unreadable (" + plat::Utf8ToWide(plat::ErrorText(report.read.error)) + L")";
      break;
    case plat::FileFault::TooLarge:
      why = L"too large (" + std::to_wstring(report.read.size) + L" bytes, at most " +
            std::to_wstring(MonsterTable::kMaxFileBytes) + L")";
      break;
    case plat::FileFault::None:
      if (!report.notUtf16Le.empty()) {
        why = L"not UTF-16LE text (" + report.notUtf16Le + L")";
      } else {
        why = std::to_wstring(table.size()) + L" monster records found, " + std::to_wstring(needed) + L" needed";
      }
      break;
  }
  return fileName + L": " + why + L"\n";
}

void MonsterTable::ParseText(std::wstring text) {
  static const boost::wregex lineBreak(L"\r\n|\n");
  static const boost::wregex row(RowPattern());

  // Zero from the start, so an unconvertible field of the first row reads as 0; later rows keep
  // the previous matching row's value in such a field.
  MonsterRecord work;
  std::array<int32_t*, 16> columns = {
      &work.column1,  &work.column2,  &work.column3,  &work.column4,  &work.column5,  &work.column6,
      &work.column7,  &work.column8,  &work.column9,  &work.column10, &work.column11, &work.column12,
      &work.column13, &work.column14, &work.column15, &work.column16};

  boost::wsregex_token_iterator line(text.begin(), text.end(), lineBreak, -1), done;
  boost::wsmatch groups;
  for (; line != done; ++line) {
    bool matched = false;
    try {
      matched = boost::regex_match(line->first, line->second, groups, row);
    } catch (const std::runtime_error&) {
      // The library gives up on pathological lines; such a line is not a row.
      matched = false;
    }
    if (!matched) continue;
    for (int g = 0; g < 16; ++g) {
      ToInt32(groups[g + 1].first, groups[g + 1].second, *columns[g]);
      if (g == 7) {
        // Widened so that four large columns cannot overflow; the mean always fits again.
        const int64_t sum = int64_t{work.column5} + work.column6 + work.column7 + work.column8;
        work.average5to8 = static_cast<int32_t>(sum / 4);
      }
    }
    records_.push_back(work);
  }
}
