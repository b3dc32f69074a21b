// Placeholder until the lexer lands: the whole text is end of input.
#include "lexer/lexer.h"

namespace qosa::lexer {

Lexer::Lexer(std::string_view text, SourceName source) : text_(text), source_(std::move(source)) {
  last_span_.file = source_.name;
  last_span_.flag = source_.flag;
}

Token Lexer::next_token() { return Token{}; }

}  // namespace qosa::lexer
