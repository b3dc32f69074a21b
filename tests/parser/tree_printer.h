// Test-only printer of syntax trees: one S-expression per statement, so that
// parser tests are tables of source text and expected tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parser/ast.h"

namespace qosa::parser {

std::string print_stmt(const Stmt& stmt);
std::string print_expr(const Expr& expr);
std::string print_type(const TypeRef& type);
std::string print_pattern(const Pattern& pattern);

// The statements of `text`, one printed statement each.
std::vector<std::string> parse_and_print(std::string_view text);
// The same joined with "\n".
std::string parse_to_text(std::string_view text);

}  // namespace qosa::parser
