// Parser state and stepping, the statement loops, parameters and types.
#include "parser/parser.h"

namespace qosa::parser {

using lexer::Token;
using lexer::TokenKind;

Parser parser_new(lexer::Lexer lexer, Arena& arena) {
  Parser parser{.lexer = std::move(lexer), .arena = &arena};
  parser.window.slots = std::make_unique_for_overwrite<lexer::Lexeme[]>(TokenWindow::kChunk);
  lexer::Lexeme* const slots = parser.window.slots.get();
  const std::size_t n = parser.lexer.lex(slots, TokenWindow::kChunk);
  parser.window.end = slots + n;
  parser.current = slots;
  parser.next = n > 1 ? slots + 1 : slots;  // at the end already: both on it
  parser.current_kind = parser.current->kind;
  parser.next_kind = parser.next->kind;
  parser.file_name = arena.copy(parser.lexer.source().name);
  return parser;
}

void refill(Parser& parser) {
  lexer::Lexeme* const slots = parser.window.slots.get();
  slots[0] = *parser.current;
  const std::size_t n = parser.lexer.lex(slots + 1, TokenWindow::kChunk - 1);
  parser.window.end = slots + 1 + n;
  parser.current = slots;
  parser.next = slots + 1;
}

bool token_equals(const Token& token, const Token& fixed) {
  if (token.kind != fixed.kind) return false;
  switch (token.kind) {
    case TokenKind::Identifier:
    case TokenKind::String:
      return token.text == fixed.text;
    case TokenKind::Integer:
      return token.integer == fixed.integer;
    case TokenKind::Float:
      return token.floating == fixed.floating;
    default:
      return true;
  }
}

NodeSpan keep_span(Parser& parser, const lexer::Place& span) {
  return NodeSpan{parser.file_name, parser.lexer.source().flag, span.line, span.column, span.length};
}

namespace {

constexpr KindSet is_block_terminator = {
    TokenKind::RightBrace, TokenKind::Degilse, TokenKind::VeyaEger, TokenKind::Fonksiyon,
    TokenKind::Modul,      TokenKind::Son,     TokenKind::Else,     TokenKind::Elif,
    TokenKind::Fn,         TokenKind::Module,  TokenKind::End,
};

// Statements until `stop` holds for the current token or the text ends.
template <class Stop>
StmtList statement_loop(Parser& parser, Stop stop) {
  ListBuilder<const Stmt*> list(parser, parser.scratch.stmts);
  statement_loop(parser, stop, [&](const Stmt* stmt) { list.push(stmt); });
  return list.finish(*parser.arena);
}

}  // namespace

StmtList parse_program(Parser& parser) {
  return statement_loop(parser, [](TokenKind) { return false; });
}

StmtList parse_block(Parser& parser) {
  advance(parser);
  if (is_block_opener(parser.current_kind)) advance(parser);
  return statement_loop(parser, is_block_terminator);
}

std::optional<Seq<Param>> parse_params(Parser& parser) {
  ListBuilder<Param> list(parser, parser.scratch.params);
  if (expect_next(parser, TokenKind::RightParen)) return list.finish(*parser.arena);
  do {
    advance(parser);
    std::optional<Param> param = parse_param(parser);
    if (!param) return std::nullopt;
    list.push(*param);
  } while (expect_next(parser, TokenKind::Comma));
  if (!expect_next(parser, TokenKind::RightParen)) return std::nullopt;
  return list.finish(*parser.arena);
}

std::optional<Param> parse_param(Parser& parser) {
  Param param;
  const lexer::Lexeme& token = *parser.current;
  switch (token.kind) {
    case TokenKind::Identifier:
      param.name = keep_text(parser, token.text);
      break;
    case TokenKind::Gpio:
    case TokenKind::GirisCikis:
      param.name = "gpio";
      break;
    case TokenKind::Tamsayi:
    case TokenKind::Ondalik:
    case TokenKind::Yazi:
    case TokenKind::Mantiksal:
    case TokenKind::Liste:
      param.name = lexer::info(token.kind).text;
      break;
    default:
      if (token.kind >= TokenKind::Task && token.kind <= TokenKind::Kb) {
        param.name = lexer::info(token.kind).name_text;
        break;
      }
      return std::nullopt;
  }
  if (expect_next(parser, TokenKind::Colon)) {
    advance(parser);
    param.type = parse_type(parser);
    if (!param.type) return std::nullopt;
  }
  return param;
}

namespace {

// Entered on "("; a tuple type named "demet" with its element types.
std::optional<TypeRef> parse_tuple_type(Parser& parser) {
  ListBuilder<TypeRef> elements(parser, parser.scratch.types);
  advance(parser);
  if (parser.current_kind == TokenKind::RightParen) return TypeRef{"demet", {}};
  std::optional<TypeRef> element = parse_type(parser);
  if (!element) return std::nullopt;
  elements.push(*element);
  bool closed = false;
  while (parser.next_kind == TokenKind::Comma) {
    advance(parser);
    advance(parser);
    if (parser.current_kind == TokenKind::RightParen) {
      closed = true;
      break;
    }
    element = parse_type(parser);
    if (!element) return std::nullopt;
    elements.push(*element);
  }
  if (!closed) {
    advance(parser);
    if (parser.current_kind != TokenKind::RightParen) return std::nullopt;
  }
  return TypeRef{"demet", elements.finish(*parser.arena)};
}

// After a named type, on "<": the arguments up to the closing ">".
std::optional<Seq<TypeRef>> parse_type_arguments(Parser& parser) {
  ListBuilder<TypeRef> arguments(parser, parser.scratch.types);
  advance(parser);
  do {
    advance(parser);
    std::optional<TypeRef> argument = parse_type(parser);
    if (!argument) return std::nullopt;
    arguments.push(*argument);
  } while (expect_next(parser, TokenKind::Comma));
  advance(parser);
  if (parser.current_kind != TokenKind::Greater) return std::nullopt;
  return arguments.finish(*parser.arena);
}

}  // namespace

std::optional<TypeRef> parse_type(Parser& parser) {
  DepthGuard depth(parser);
  if (!depth) return std::nullopt;
  TypeRef type;
  const lexer::Lexeme& token = *parser.current;
  switch (token.kind) {
    case TokenKind::LeftParen:
      return parse_tuple_type(parser);
    case TokenKind::Tamsayi:
    case TokenKind::Ondalik:
    case TokenKind::Yazi:
    case TokenKind::Mantiksal:
      type.name = lexer::info(token.kind).text;
      break;
    case TokenKind::Int:
      type.name = "integer";
      break;
    case TokenKind::FloatType:
      type.name = "float";
      break;
    case TokenKind::StringType:
      type.name = "string";
      break;
    case TokenKind::Bool:
      type.name = "boolean";
      break;
    case TokenKind::Identifier:
      type.name = keep_text(parser, token.text);
      break;
    default:
      return std::nullopt;
  }
  if (parser.next_kind == TokenKind::Less) {
    std::optional<Seq<TypeRef>> arguments = parse_type_arguments(parser);
    if (!arguments) return std::nullopt;
    type.arguments = *arguments;
  }
  return type;
}

}  // namespace qosa::parser
