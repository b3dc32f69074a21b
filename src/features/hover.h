// Hover: the markdown text of the annotation, keyword, type or boolean
// literal under the cursor, from one fixed table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lsp/protocol.h"

namespace qosa::lsp {

// One text of the table with the words that lead to it: its key and, where
// the other keyword language has one, that key too (else empty).
struct HoverText {
  std::string_view key;
  std::string_view other_key;
  std::string_view text;
};

extern const std::array<HoverText, 27> hover_texts;

// The table's text for a whole word, compared byte for byte.
std::optional<std::string_view> find_hover_text(std::string_view word);

// The hover at a position of the text. `character` is the request's column in
// UTF-16 code units. The word may take "@" on its left, so an annotation is
// found from anywhere on it; the cursor past the line's last character gets none.
std::optional<Hover> hover_at(std::string_view text, std::uint32_t line, std::uint32_t character);

// The hover of a request on the text of its document.
std::optional<Hover> hover_request(const HoverParams& params, std::string_view text);

}  // namespace qosa::lsp
