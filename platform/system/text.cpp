#include "platform/system/text.h"

#include <algorithm>
#include <cstdint>

namespace plat {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool IsScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void AppendUtf8(std::string& out, char32_t c) {
  if (!IsScalar(c)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}
}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) AppendUtf8(out, static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(w)));
  return out;
}

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const auto b0 = static_cast<uint8_t>(text[i]);
    if (b0 < 0x80) {
      out += static_cast<wchar_t>(b0);
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; c = b0 & 0x1F; minimum = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; c = b0 & 0x0F; minimum = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; c = b0 & 0x07; minimum = 0x10000; }
    else {
      out += static_cast<wchar_t>(kReplacement);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= n || (static_cast<uint8_t>(text[j]) & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (static_cast<uint8_t>(text[j]) & 0x3F);
    }
    if (!ok || c < minimum || !IsScalar(c)) {
      // Skip only the lead byte so a truncated sequence does not swallow what follows.
      out += static_cast<wchar_t>(kReplacement);
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i = j;
  }
  return out;
}

std::wstring BreakLines(std::wstring_view text, size_t width) {
  if (width == 0) width = 1;
  std::wstring out;
  std::wstring line;
  auto endLine = [&] {
    out += line;
    out += L'\n';
    line.clear();
  };
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(text.find(L'\n', start), text.size());
    const std::wstring_view paragraph = text.substr(start, end - start);
    size_t at = 0;
    while (at < paragraph.size()) {
      if (paragraph[at] == L' ') {
        ++at;
        continue;
      }
      std::wstring_view word = paragraph.substr(at, std::min(paragraph.find(L' ', at), paragraph.size()) - at);
      at += word.size();
      if (!line.empty() && line.size() + 1 + word.size() > width) endLine();
      while (word.size() > width) {
        if (!line.empty()) endLine();
        line = word.substr(0, width);
        endLine();
        word.remove_prefix(width);
      }
      if (word.empty()) continue;
      if (!line.empty()) line += L' ';
      line += word;
    }
    out += line;
    line.clear();
    if (end == text.size()) break;
    out += L'\n';
    start = end + 1;
  }
  return out;
}

}  // namespace plat
