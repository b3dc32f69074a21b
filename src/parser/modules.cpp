// Use, import, export and attribute statements.
// Not read yet: each reader yields nothing and consumes no token.
#include "parser/parser.h"

namespace qosa::parser {

const Stmt* parse_use(Parser&) { return nullptr; }
const Stmt* parse_import(Parser&) { return nullptr; }
const Stmt* parse_export(Parser&) { return nullptr; }
const Stmt* parse_attribute(Parser&) { return nullptr; }
std::optional<Seq<AttrArg>> parse_attr_args(Parser&) { return std::nullopt; }

}  // namespace qosa::parser
