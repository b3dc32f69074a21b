// References: every whole-word occurrence of the word under the cursor in
// every open document, and the whole-word search that rename shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include <boost/json/value.hpp>

#include "features/words.h"
#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// One whole-word occurrence: its line, its columns in UTF-16 code units, and
// the text of its line before it.
struct WordHit {
  std::uint32_t line = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  std::string_view before;
};

// The whole-word occurrences of `word` (a non-empty run of identifier
// characters) in a valid UTF-8 text, in text order: occurrences whose
// neighbours in their line are not identifier characters. Reads the text once.
class WholeWords {
 public:
  WholeWords(std::string_view text, std::string_view word) : text_(text), word_(word), columns_({}) {}
  std::optional<WordHit> next();

 private:
  bool boundary_before(std::size_t at) const;
  bool boundary_after(std::size_t at) const;

  std::string_view text_;
  std::string_view word_;
  std::size_t pos_ = 0;       // where the search resumes
  std::size_t counted_ = 0;   // the line breaks before this offset are in line_
  std::uint32_t line_ = 0;
  std::size_t line_start_ = 0;
  bool columns_ready_ = false;
  Utf16Columns columns_;      // over the current line
};

// "textDocument/references" with its params as received (null when absent):
// the array of locations, null when the document is not open or no word is
// under the cursor, or -32600 "Invalid references params".
Answer handle_references(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
