// The whole words of one version of a document's text: every maximal run of
// identifier characters, by its bytes, with where it stands. Built once per
// version and kept beside the text, so a search of every open document for a
// word costs its occurrences rather than a read of every text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lsp/document.h"

namespace qosa::lsp {

struct WordIndex {
  // One occurrence: its line and first column, in UTF-16 code units.
  struct Hit {
    std::uint32_t line = 0;
    std::uint32_t start = 0;
    // The text of the line before it ends, white space aside, with a
    // declaration keyword, with no word boundary ("outlet x" counts).
    bool after_declaration_keyword = false;
  };
  struct Word {
    std::uint32_t utf16_length = 0;
    std::vector<Hit> hits;  // in text order
  };
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };

  std::unordered_map<std::string, Word, Hash, std::equal_to<>> words;

  // The whole-word occurrences of `word`; none when it does not occur.
  const Word* find(std::string_view word) const;
};

// The index of a valid UTF-8 text.
WordIndex build_word_index(std::string_view text);

// The document's index, built on first use after each change of its text.
const WordIndex& word_index(const Document& document);

}  // namespace qosa::lsp
