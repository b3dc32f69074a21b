// Match with its patterns, if-expressions, hardware calls, inline assembly,
// panic and the try operator.
// Not read yet: each form yields nothing and consumes no token.
#include "parser/parser.h"

namespace qosa::parser {

const Expr* parse_match(Parser&) { return nullptr; }
std::optional<Pattern> parse_pattern(Parser&) { return std::nullopt; }
const Expr* parse_if_expression(Parser&) { return nullptr; }
const Expr* parse_hardware_call(Parser&) { return nullptr; }
const Expr* parse_asm(Parser&) { return nullptr; }
const Expr* parse_panic(Parser&) { return nullptr; }
const Expr* parse_try(Parser&, const Expr*) { return nullptr; }

}  // namespace qosa::parser
