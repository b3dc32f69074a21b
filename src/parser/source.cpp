#include "parser/source.h"

#include "parser/parser.h"

namespace qosa::parser {

ParseResult parse_source(std::string_view text) {
  ParseResult result{std::make_unique<Arena>(), {}};
  Parser parser = parser_new(lexer::lexer_new(text, lexer::SourceName{"<stdin>", 0}), *result.arena);
  result.statements = parse_program(parser);
  return result;
}

}  // namespace qosa::parser
