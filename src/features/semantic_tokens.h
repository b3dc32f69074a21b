// Semantic tokens: colours a whole document with ten text passes per line
// (annotations, keywords, declared names, strings, numbers, comments,
// operators), without the lexer or parser.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/value.hpp>

#include "features/tables.h"
#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// One coloured stretch of one line. `start` and `length` count UTF-16 code
// units of the line on the wire.
struct SemanticToken {
  std::uint32_t line = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  std::uint32_t token_type = 0;
  std::uint32_t token_modifiers = 0;
  friend bool operator==(const SemanticToken&, const SemanticToken&) = default;
};

struct AnnotationWord {
  std::string_view text;
  std::uint32_t modifiers;
};

// The annotation words in scan order, with the security class their tokens carry.
extern const std::array<AnnotationWord, 17> semantic_annotation_table;
// Keywords in scan order, Turkish first.
extern const std::array<std::string_view, 42> semantic_keywords;
// Operators in scan order, the two-character ones first.
extern const std::array<std::string_view, 19> semantic_operators;

// The name a variable or constant declaration on `line` declares, if any.
std::optional<std::string> declared_variable_name(std::string_view line);

// The tokens of a valid UTF-8 text, ordered by line and start (ties in the
// order the passes produce them).
std::vector<SemanticToken> semantic_tokens(std::string_view text);

// Relative encoding of ordered tokens, five integers each: appended to `out`
// as the JSON array of the answer's "data". Tokens can be given a line at a time.
class SemanticTokenEncoder {
 public:
  explicit SemanticTokenEncoder(std::string& out);
  void append(std::span<const SemanticToken> ordered);
  void finish();  // closes the array

 private:
  std::string& out_;
  std::uint32_t prev_line_ = 0;
  std::uint32_t prev_start_ = 0;
  bool first_ = true;
};

// {"data":[...]} for ordered tokens.
std::string encode_semantic_tokens(std::span<const SemanticToken> ordered);

// The answer to "textDocument/semanticTokens/full": the tokens of the
// document named by params."textDocument"."uri" exactly as sent, or
// {"data":[]} when there is no such string or no such document.
JsonResult handle_semantic_tokens(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
