// Use, import, export and attribute statements.
#include "parser/parser.h"

namespace qosa::parser {

using lexer::TokenKind;

namespace {

bool next_is_as(const Parser& parser) {
  return next_is(parser, TokenKind::Olarak) || next_is(parser, TokenKind::As);
}

// After a name, on "olarak"/"as" when it follows: the alias, if a name is
// written there (the word is consumed either way).
std::optional<Text> alias_after(Parser& parser) {
  if (!next_is_as(parser)) return std::nullopt;
  advance(parser);
  advance(parser);
  return expect_identifier(parser);
}

// On the first token inside "{": names separated by ",", each handed to
// `add` while the parser is on it; ends on the last name, or on the token
// that is none, then steps onto a "}" that follows.
template <class Add>
void braced_names(Parser& parser, Add add) {
  while (std::optional<Text> name = expect_identifier(parser)) {
    add(*name);
    if (!expect_next(parser, TokenKind::Comma)) break;
    advance(parser);
  }
  if (next_is(parser, TokenKind::RightBrace)) advance(parser);
}

}  // namespace

const Stmt* parse_use(Parser& parser) {
  advance(parser);
  if (current_is(parser, TokenKind::Hal) || current_is(parser, TokenKind::Dsk)) {
    return parse_use_hal(parser);
  }
  const bool absolute = expect(parser, TokenKind::PathSep);
  std::optional<Text> first = expect_identifier(parser);
  if (!first) return nullptr;

  ListBuilder<Text> path(parser, parser.scratch.texts);
  ListBuilder<UseItem> items(parser, parser.scratch.use_items);
  path.push(*first);
  bool is_group = false;
  while (expect_next(parser, TokenKind::PathSep)) {
    advance(parser);
    if (std::optional<Text> name = expect_identifier(parser)) {
      path.push(*name);
      continue;
    }
    if (current_is(parser, TokenKind::Star)) break;  // a glob keeps the plain path
    if (!expect(parser, TokenKind::LeftBrace)) return nullptr;
    is_group = true;
    braced_names(parser, [&](Text name) { items.push(UseItem{name, alias_after(parser)}); });
    break;
  }
  std::optional<Text> alias = alias_after(parser);

  Use* stmt = make_node<Use>(parser);
  stmt->is_group = is_group;
  stmt->items = items.finish(*parser.arena);
  stmt->path = path.finish(*parser.arena);
  stmt->absolute = absolute;
  stmt->alias = alias;
  return stmt;
}

const Stmt* parse_import(Parser& parser) {
  advance(parser);
  std::optional<Text> path = expect_text(parser, TokenKind::String);
  if (!path) return nullptr;
  std::optional<Text> alias = alias_after(parser);
  // The items are there exactly when "::" and "{" are, even as an empty list.
  std::optional<Seq<Text>> items;
  if (expect_next(parser, TokenKind::PathSep)) {
    advance(parser);
    if (expect(parser, TokenKind::LeftBrace)) {
      ListBuilder<Text> names(parser, parser.scratch.texts);
      braced_names(parser, [&](Text name) { names.push(name); });
      items = names.finish(*parser.arena);
    }
  }
  Import* stmt = make_node<Import>(parser);
  stmt->path = *path;
  stmt->alias = alias;
  stmt->items = items;
  return stmt;
}

const Stmt* parse_export(Parser& parser) {
  advance(parser);
  ListBuilder<ExportItem> items(parser, parser.scratch.export_items);
  std::optional<ExportItem::Kind> single;
  switch (parser.current_kind) {
    case TokenKind::Fonksiyon:
    case TokenKind::Fn:
      single = ExportItem::Kind::Function;
      break;
    case TokenKind::Yapi:
    case TokenKind::Struct:
      single = ExportItem::Kind::Struct;
      break;
    case TokenKind::Sabit:
    case TokenKind::Const:
      single = ExportItem::Kind::Const;
      break;
    case TokenKind::Modul:
    case TokenKind::Module:
      single = ExportItem::Kind::Module;
      break;
    case TokenKind::Star:
      items.push(ExportItem{ExportItem::Kind::All, {}});
      break;
    case TokenKind::LeftBrace:
      // Names in braces are recorded as functions, whatever they name.
      advance(parser);
      braced_names(parser, [&](Text name) { items.push(ExportItem{ExportItem::Kind::Function, name}); });
      break;
    default:
      return nullptr;
  }
  if (single) {
    advance(parser);
    std::optional<Text> name = expect_identifier(parser);
    if (!name) return nullptr;
    items.push(ExportItem{*single, *name});
  }
  Export* stmt = make_node<Export>(parser);
  stmt->items = items.finish(*parser.arena);
  return stmt;
}

const Stmt* parse_attribute(Parser& parser) {
  // Attributes nest through the statement they mark.
  DepthGuard depth(parser);
  if (!depth) return nullptr;
  advance(parser);
  if (!expect(parser, TokenKind::LeftBracket)) return nullptr;
  std::optional<Text> name = expect_identifier(parser);
  if (!name) return nullptr;
  advance(parser);
  Seq<AttrArg> arguments;
  if (expect(parser, TokenKind::LeftParen)) {
    std::optional<Seq<AttrArg>> list = parse_attr_args(parser);
    if (!list || !expect(parser, TokenKind::RightParen)) return nullptr;
    arguments = *list;
  }
  if (!expect(parser, TokenKind::RightBracket)) return nullptr;
  const Stmt* statement = parse_statement(parser);
  if (statement == nullptr) return nullptr;
  Attributed* stmt = make_node<Attributed>(parser);
  stmt->name = *name;
  stmt->arguments = arguments;
  stmt->statement = statement;
  return stmt;
}

namespace {

// An argument name: a name, or a logical word under its English text.
Text attr_arg_name(Parser& parser) {
  switch (parser.current_kind) {
    case TokenKind::Identifier:
      return keep_text(parser, parser.current->text);
    case TokenKind::Ve:
    case TokenKind::And:
      return "and";
    case TokenKind::Veya:
    case TokenKind::Or:
      return "or";
    case TokenKind::Degil:
    case TokenKind::Not:
      return "not";
    default:
      return {};
  }
}

}  // namespace

std::optional<Seq<AttrArg>> parse_attr_args(Parser& parser) {
  DepthGuard depth(parser);
  if (!depth) return std::nullopt;
  ListBuilder<AttrArg> arguments(parser, parser.scratch.attr_args);
  for (;;) {
    // Commas are optional and may repeat.
    while (current_is(parser, TokenKind::Comma)) advance(parser);
    if (current_is(parser, TokenKind::RightParen)) break;
    AttrArg argument;
    argument.name = attr_arg_name(parser);
    if (argument.name.empty()) return std::nullopt;
    advance(parser);
    if (expect(parser, TokenKind::LeftParen)) {
      std::optional<Seq<AttrArg>> nested = parse_attr_args(parser);
      if (!nested || !expect(parser, TokenKind::RightParen)) return std::nullopt;
      argument.kind = AttrArg::Kind::Nested;
      argument.nested = *nested;
    } else if (expect(parser, TokenKind::Assign)) {
      // A key's value is a string or a name; a number fails the list.
      if (!current_is(parser, TokenKind::String) && !current_is(parser, TokenKind::Identifier)) {
        return std::nullopt;
      }
      argument.kind = AttrArg::Kind::KeyValue;
      argument.value = keep_text(parser, parser.current->text);
      advance(parser);
    } else {
      argument.kind = AttrArg::Kind::Flag;
    }
    arguments.push(argument);
    if (current_is(parser, TokenKind::RightParen)) break;
  }
  return arguments.finish(*parser.arena);
}

}  // namespace qosa::parser
