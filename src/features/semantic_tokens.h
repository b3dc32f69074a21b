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

#include "features/tables.h"
#include "lsp/protocol.h"
#include "support/function_ref.h"

namespace qosa::lsp {

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

// Hands the ordered tokens of each line of a valid UTF-8 text to `fn`, line
// by line (lines without tokens are skipped): ordered by line and start,
// ties in the order the passes produce them.
void for_each_line_tokens(std::string_view text, support::FunctionRef<void(std::span<const SemanticToken>)> fn);

// The tokens of a document, for the writer to walk.
struct DocumentTokens {
  using record = SemanticToken;
  std::string_view text;

  template <class Sink>
  void stream(Sink& sink) const {
    for_each_line_tokens(text, [&](std::span<const SemanticToken> line) { sink.append(line); });
  }
  std::size_t expected_size() const { return text.size() + 64; }
};

// The answer to "textDocument/semanticTokens/full" on the text of its document.
DocumentTokens handle_semantic_tokens(const SemanticTokensParams& params, std::string_view text);

}  // namespace qosa::lsp
