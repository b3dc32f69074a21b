// The front end's entry for whole documents: lex and parse one text and hand
// back the statements together with the arena that owns them.
#pragma once

#include <memory>
#include <string_view>

#include "parser/arena.h"
#include "parser/ast.h"

namespace qosa::parser {

struct ParseResult {
  std::unique_ptr<Arena> arena;  // owns every node of `statements`
  StmtList statements;
};

// Lexes `text` (valid UTF-8) as "<stdin>" with flag 0 and parses the program.
ParseResult parse_source(std::string_view text);

}  // namespace qosa::parser
