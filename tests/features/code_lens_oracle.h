// Reference counting as first written: every line read again for every
// name. Quadratic; tests compare the real counting with it, and the
// benchmark shows what the real one saves.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "features/words.h"
#include "lsp/lines.h"
#include "support/utf8.h"

namespace qosa::lsp::testing {

inline std::uint32_t oracle_count(std::string_view text, std::string_view name) {
  constexpr std::string_view words[] = {"fonksiyon", "function", "değişken", "let", "sabit", "const"};
  std::uint32_t count = 0;
  bool skipped = false;
  LineCursor lines(text);
  while (auto line = lines.next()) {
    const std::string_view l = line->content;
    bool declares = false;
    for (auto w : words) declares = declares || l.find(w) != std::string_view::npos;
    if (!skipped && declares && l.find(name) != std::string_view::npos) {
      skipped = true;
      continue;
    }
    // Split at every character that is not an identifier character.
    std::size_t piece = 0;
    for (std::size_t i = 0; i <= l.size();) {
      if (i == l.size()) {
        count += l.substr(piece) == name;
        break;
      }
      const auto d = support::decode_utf8(l, i);
      if (!is_identifier_char(d.code_point)) {
        count += l.substr(piece, i - piece) == name;
        piece = i + d.length;
      }
      i += d.length;
    }
  }
  return count;
}

inline std::vector<std::uint32_t> oracle_counts(std::string_view text,
                                                std::span<const std::string_view> names) {
  std::vector<std::uint32_t> counts;
  counts.reserve(names.size());
  for (std::string_view name : names) counts.push_back(oracle_count(text, name));
  return counts;
}

}  // namespace qosa::lsp::testing
