#include "features/word_index.h"

#include <algorithm>
#include <array>
#include <memory>

#include "features/tables.h"
#include "features/words.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

// The identifier rule for ASCII bytes, without a call per character.
constexpr auto ascii_identifier = [] {
  std::array<bool, 128> table{};
  for (char32_t c = 0; c < 128; ++c) table[c] = is_ascii_identifier_char(c);
  return table;
}();

bool follows_declaration_keyword(std::string_view before) {
  const std::string_view trimmed = support::trim_end(before);
  return std::any_of(declaration_patterns.begin(), declaration_patterns.end(),
                     [&](const DeclarationPattern& p) { return trimmed.ends_with(p.keyword()); });
}

}  // namespace

const WordIndex::Word* WordIndex::find(std::string_view word) const {
  const auto it = words.find(word);
  return it == words.end() ? nullptr : &it->second;
}

WordIndex build_word_index(std::string_view text) {
  WordIndex index;
  index.words.reserve(text.size() / 64);  // about the distinct words of program text
  LineCursor lines(text);
  std::uint32_t number = 0;
  for (auto line = lines.next(); line; line = lines.next(), ++number) {
    const std::string_view content = line->content;
    std::size_t pos = 0;
    std::uint64_t column = 0;  // UTF-16 units before pos
    std::size_t run_begin = 0;
    std::uint64_t run_column = 0;
    bool in_run = false;
    // One step past the end closes a run that reaches it.
    while (true) {
      bool identifier = false;
      std::size_t length = 1;
      std::uint64_t units = 1;
      if (pos < content.size()) {
        const auto byte = static_cast<unsigned char>(content[pos]);
        if (byte < 0x80) {
          identifier = ascii_identifier[byte];
        } else {
          const auto d = support::decode_utf8(content, pos);
          identifier = is_identifier_char(d.code_point);
          length = d.length;
          units = support::utf16_length(d.code_point);
        }
      }
      if (identifier && !in_run) {
        in_run = true;
        run_begin = pos;
        run_column = column;
      } else if (!identifier && in_run) {
        in_run = false;
        const std::string_view word = content.substr(run_begin, pos - run_begin);
        auto it = index.words.find(word);
        if (it == index.words.end()) {
          it = index.words.try_emplace(std::string(word)).first;
          it->second.utf16_length = static_cast<std::uint32_t>(column - run_column);
        }
        it->second.hits.push_back({number, static_cast<std::uint32_t>(run_column),
                                   follows_declaration_keyword(content.substr(0, run_begin))});
      }
      if (pos >= content.size()) break;
      pos += length;
      column += units;
    }
  }
  return index;
}

const WordIndex& word_index(const Document& document) {
  if (!document.word_index) {
    document.word_index = std::make_shared<const WordIndex>(build_word_index(document.text));
  }
  return *document.word_index;
}

}  // namespace qosa::lsp
