// Statements: the dispatch on the first token, declarations and control flow.
#include "parser/parser.h"

namespace qosa::parser {

using lexer::Token;
using lexer::TokenKind;

namespace {

bool is_keyword_opener(TokenKind kind) { return kind == TokenKind::Yap || kind == TokenKind::Do; }


// Entered on "=": the value and an optional ";", as a T named `name`.
template <class T>
const Stmt* finish_binding(Parser& parser, Text name) {
  advance(parser);
  const Expr* value = parse_expression(parser, 0);
  if (value == nullptr) return nullptr;
  skip_semicolon(parser);
  T* stmt = make_node<T>(parser);
  stmt->name = name;
  stmt->value = value;
  return stmt;
}

// Let steps from the name on: name, skipped annotation, "=", value, ";".
template <class T>
const Stmt* parse_binding(Parser& parser) {
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  if (current_is(parser, TokenKind::Colon)) {
    // The annotation is not kept.
    while (!current_is(parser, TokenKind::Assign) && !current_is(parser, TokenKind::Eof)) {
      advance(parser);
    }
  }
  if (!current_is(parser, TokenKind::Assign)) return nullptr;
  return finish_binding<T>(parser, *name);
}

// Entered on "[".
const Stmt* parse_let_destructure(Parser& parser) {
  ListBuilder<Text> names(parser, parser.scratch.texts);
  advance(parser);
  for (;;) {
    while (current_is(parser, TokenKind::Comma)) advance(parser);
    std::optional<Text> name = expect_identifier(parser);
    if (!name) break;
    names.push(*name);
    advance(parser);
    if (!current_is(parser, TokenKind::Comma)) break;
  }
  if (!expect(parser, TokenKind::RightBracket) || !expect(parser, TokenKind::Assign)) return nullptr;
  const Expr* value = parse_expression(parser, 0);
  if (value == nullptr) return nullptr;
  skip_semicolon(parser);
  LetDestructure* stmt = make_node<LetDestructure>(parser);
  stmt->names = names.finish(*parser.arena);
  stmt->value = value;
  return stmt;
}

const Stmt* parse_let(Parser& parser) {
  advance(parser);
  if (current_is(parser, TokenKind::LeftBracket)) return parse_let_destructure(parser);
  return parse_binding<Let>(parser);
}

const Stmt* parse_const(Parser& parser) {
  advance(parser);
  return parse_binding<Const>(parser);
}

const Stmt* parse_assign(Parser& parser) {
  Text name = keep_text(parser, parser.current->text);
  advance(parser);
  return finish_binding<Assign>(parser, name);
}

const Stmt* parse_expression_statement(Parser& parser) {
  const Expr* expression = parse_expression(parser, 0);
  if (expression == nullptr) return nullptr;
  skip_semicolon(parser);
  ExprStmt* stmt = make_node<ExprStmt>(parser);
  stmt->expression = expression;
  return stmt;
}

const Stmt* parse_return(Parser& parser) {
  advance(parser);
  const Expr* value = parse_expression(parser, 0);
  if (value == nullptr) return nullptr;
  skip_semicolon(parser);
  Return* stmt = make_node<Return>(parser);
  stmt->value = value;
  return stmt;
}

template <class T>
const Stmt* parse_loop_jump(Parser& parser) {
  skip_semicolon(parser);
  return make_node<T>(parser);
}

// On the name; "<" T, U ">" when the next token is "<".
std::optional<Seq<Text>> parse_generic_params(Parser& parser) {
  ListBuilder<Text> names(parser, parser.scratch.texts);
  if (!expect_next(parser, TokenKind::Less)) return names.finish(*parser.arena);
  do {
    advance(parser);
    std::optional<Text> name = expect_identifier(parser);
    if (!name) return std::nullopt;
    names.push(*name);
  } while (expect_next(parser, TokenKind::Comma));
  advance(parser);
  if (!current_is(parser, TokenKind::Greater)) return std::nullopt;
  return names.finish(*parser.arena);
}

const Stmt* parse_function(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  std::optional<Seq<Text>> generics = parse_generic_params(parser);
  if (!generics) return nullptr;
  if (!expect_next(parser, TokenKind::LeftParen)) return nullptr;
  std::optional<Seq<Param>> params = parse_params(parser);
  if (!params) return nullptr;

  std::optional<TypeRef> return_type;
  if (expect_next(parser, TokenKind::Colon) || expect_next(parser, TokenKind::Arrow)) {
    advance(parser);
    return_type = parse_type(parser);  // a bad type only means no return type
  } else if (expect_next(parser, TokenKind::Minus)) {
    if (!expect_next(parser, TokenKind::Greater)) return nullptr;
    advance(parser);
    return_type = parse_type(parser);
  }

  StmtList body = parse_block(parser);
  Function* stmt = make_node<Function>(parser);
  stmt->name = *name;
  stmt->generics = *generics;
  stmt->params = *params;
  stmt->return_type = return_type;
  stmt->body = body;
  return stmt;
}

const Stmt* parse_module(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  if (is_keyword_opener(parser.next_kind)) advance(parser);
  advance(parser);
  // A module's body is the rest of the text; its "son" does not end it.
  StmtList body = parse_program(parser);
  Module* stmt = make_node<Module>(parser);
  stmt->name = *name;
  stmt->body = body;
  return stmt;
}

const Stmt* parse_while(Parser& parser) {
  advance(parser);
  const Expr* condition = parse_expression(parser, 0);
  if (condition == nullptr) return nullptr;
  if (is_keyword_opener(parser.next_kind)) advance(parser);
  StmtList body = parse_block(parser);
  While* stmt = make_node<While>(parser);
  stmt->condition = condition;
  stmt->body = body;
  return stmt;
}

const Stmt* parse_for(Parser& parser) {
  if (next_is(parser, TokenKind::Identifier) && parser.next->text == "each") advance(parser);
  advance(parser);
  std::optional<Text> variable = expect_identifier(parser);
  if (!variable) return nullptr;
  // The token after the variable stands for "içinde" or "in", whatever it is.
  advance(parser);
  advance(parser);
  const Expr* iterable = parse_expression(parser, 0);
  if (iterable == nullptr) return nullptr;
  if (is_keyword_opener(parser.next_kind)) advance(parser);
  StmtList body = parse_block(parser);
  For* stmt = make_node<For>(parser);
  stmt->variable = *variable;
  stmt->iterable = iterable;
  stmt->body = body;
  return stmt;
}

bool is_else_word(TokenKind kind) {
  return kind == TokenKind::Degilse || kind == TokenKind::VeyaEger || kind == TokenKind::Else ||
         kind == TokenKind::Elif;
}

bool is_closer(TokenKind kind) {
  return kind == TokenKind::RightBrace || kind == TokenKind::Son || kind == TokenKind::End;
}

// Entered on "eğer", "if", "veya eğer" or "elif". An else-if chain is read
// in a loop, each link hung on the one before, so a long chain needs no stack.
const Stmt* parse_if(Parser& parser) {
  If* first = nullptr;
  If* last = nullptr;
  for (;;) {
    advance(parser);
    const Expr* condition = parse_expression(parser, 0);
    if (condition == nullptr) return nullptr;
    if (next_is(parser, TokenKind::Ise) || next_is(parser, TokenKind::Then)) advance(parser);
    StmtList then_body = parse_block(parser);

    If* link = make_node<If>(parser);
    link->condition = condition;
    link->then_body = then_body;
    if (last == nullptr) {
      first = link;
    } else {
      ElseBranch* branch = make_record<ElseBranch>(parser);
      branch->kind = ElseBranch::Kind::ElseIf;
      branch->else_if = link;
      last->else_part = branch;
    }
    last = link;

    if (is_closer(parser.current_kind) && is_else_word(parser.next_kind)) advance(parser);
    TokenKind word = parser.current_kind;
    if (word == TokenKind::Degilse || word == TokenKind::Else) {
      if (expect_next(parser, TokenKind::If)) continue;
      ElseBranch* branch = make_record<ElseBranch>(parser);
      branch->kind = ElseBranch::Kind::Block;
      branch->block = parse_block(parser);
      last->else_part = branch;
      return first;
    }
    if (word == TokenKind::VeyaEger || word == TokenKind::Elif) continue;
    return first;
  }
}

const Stmt* parse_try_catch(Parser& parser) {
  // The tokens standing for the body's opener and for "yakala"/"catch" are
  // stepped over whatever they are.
  advance(parser);
  StmtList body = parse_block(parser);
  advance(parser);
  std::optional<Text> variable;
  if (expect_next(parser, TokenKind::Identifier)) variable = keep_text(parser, parser.current->text);
  advance(parser);
  StmtList catch_body = parse_block(parser);
  TryCatch* stmt = make_node<TryCatch>(parser);
  stmt->body = body;
  stmt->catch_variable = variable;
  stmt->catch_body = catch_body;
  return stmt;
}

// Fields "name: type", each optionally followed by ","; stops at the first
// token that does not fit and keeps the fields before it.
Seq<StructField> parse_fields(Parser& parser) {
  ListBuilder<StructField> fields(parser, parser.scratch.fields);
  while (std::optional<Text> name = expect_identifier(parser)) {
    advance(parser);
    if (!expect(parser, TokenKind::Colon)) break;
    std::optional<TypeRef> type = parse_type(parser);
    if (!type) break;
    fields.push(StructField{*name, *type});
    advance(parser);
    if (current_is(parser, TokenKind::Comma)) advance(parser);
  }
  return fields.finish(*parser.arena);
}

const Stmt* make_struct(Parser& parser, Text name, Seq<StructField> fields) {
  Struct* stmt = make_node<Struct>(parser);
  stmt->name = name;
  stmt->fields = fields;
  return stmt;
}

const Stmt* parse_struct(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  if (!is_block_opener(parser.current_kind)) return nullptr;
  advance(parser);
  return make_struct(parser, *name, parse_fields(parser));
}

const Stmt* parse_type_alias(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  if (!expect(parser, TokenKind::Assign)) return nullptr;

  if ((current_is(parser, TokenKind::Yapi) || current_is(parser, TokenKind::Struct)) &&
      is_keyword_opener(parser.next_kind)) {
    advance(parser);
    advance(parser);
    return make_struct(parser, *name, parse_fields(parser));
  }

  std::optional<TypeRef> target = parse_type(parser);
  if (!target) {
    if (!current_is(parser, TokenKind::Identifier) && !current_is(parser, TokenKind::String)) {
      return nullptr;
    }
    // A union of names or strings: the first is kept, the others are read and dropped.
    target = TypeRef{keep_text(parser, parser.current->text), {}};
    while (next_is(parser, TokenKind::Pipe)) {
      advance(parser);
      advance(parser);
    }
  }
  TypeAlias* stmt = make_node<TypeAlias>(parser);
  stmt->name = *name;
  stmt->target = *target;
  return stmt;
}

const Stmt* parse_region(Parser& parser) {
  advance(parser);
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  std::optional<std::int64_t> size;
  if (expect(parser, TokenKind::LeftParen) && current_is(parser, TokenKind::Integer)) {
    size = parser.current->integer;
    advance(parser);
    if (!expect(parser, TokenKind::RightParen)) return nullptr;
  }
  if (!is_block_opener(parser.current_kind)) return nullptr;
  StmtList body = parse_block(parser);
  Region* stmt = make_node<Region>(parser);
  stmt->name = *name;
  stmt->size = size;
  stmt->body = body;
  return stmt;
}

}  // namespace

namespace {

const Stmt* dispatch_statement(Parser& parser) {
  switch (parser.current_kind) {
    case TokenKind::Olsun:
    case TokenKind::Let:
    case TokenKind::Variable:
      return parse_let(parser);
    case TokenKind::Sabit:
    case TokenKind::Const:
      return parse_const(parser);
    case TokenKind::Don:
    case TokenKind::Return:
      return parse_return(parser);
    case TokenKind::Dur:
    case TokenKind::Break:
      return parse_loop_jump<Break>(parser);
    case TokenKind::Gec:
    case TokenKind::Continue:
      return parse_loop_jump<Continue>(parser);
    case TokenKind::Fonksiyon:
    case TokenKind::Fn:
      return parse_function(parser);
    case TokenKind::Modul:
    case TokenKind::Module:
      return parse_module(parser);
    case TokenKind::Iken:
    case TokenKind::While:
      return parse_while(parser);
    case TokenKind::Icin:
    case TokenKind::For:
      return parse_for(parser);
    case TokenKind::Eger:
    case TokenKind::If:
      return parse_if(parser);
    case TokenKind::Dene:
    case TokenKind::Try:
      return parse_try_catch(parser);
    case TokenKind::Yapi:
    case TokenKind::Struct:
      return parse_struct(parser);
    case TokenKind::Tip:
    case TokenKind::Type:
      return parse_type_alias(parser);
    case TokenKind::Bolge:
    case TokenKind::Region:
      return parse_region(parser);
    case TokenKind::Kullan:
    case TokenKind::Use:
      return parse_use(parser);
    case TokenKind::IceAktar:
    case TokenKind::Import:
      return parse_import(parser);
    case TokenKind::DisaAktar:
    case TokenKind::Export:
      return parse_export(parser);
    case TokenKind::Hash:
      return parse_attribute(parser);
    case TokenKind::Katilimci:
    case TokenKind::Participant:
      return parse_participant(parser);
    case TokenKind::Konu:
    case TokenKind::Topic:
      return parse_topic(parser);
    case TokenKind::Yayinci:
    case TokenKind::Publisher:
      return parse_publisher(parser);
    case TokenKind::Abone:
    case TokenKind::Subscriber:
      return parse_subscriber(parser);
    case TokenKind::Task:
    case TokenKind::Gorev:
      return parse_task(parser);
    case TokenKind::On:
    case TokenKind::Olay:
      return parse_on_event(parser);
    case TokenKind::Emit:
    case TokenKind::YayinlaOlay:
      return parse_emit(parser);
    case TokenKind::RightBrace:
      return nullptr;
    case TokenKind::Identifier:
      if (next_is(parser, TokenKind::Assign)) return parse_assign(parser);
      return parse_expression_statement(parser);
    default:
      return parse_expression_statement(parser);
  }
}

}  // namespace

const Stmt* parse_statement(Parser& parser) {
  DepthGuard depth(parser);
  if (!depth) return nullptr;
  // Nodes are never shared, so what a failed statement built is unreachable.
  Arena::Mark mark = parser.arena->mark();
  const Stmt* stmt = dispatch_statement(parser);
  if (stmt == nullptr) parser.arena->rewind(mark);
  return stmt;
}

}  // namespace qosa::parser
