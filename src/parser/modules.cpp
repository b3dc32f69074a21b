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
  if (!current_is(parser, TokenKind::Identifier)) return std::nullopt;
  return keep_text(parser, parser.current->text);
}

// On the first token inside "{": names separated by ","; ends on the last
// name, or on the token that is none, then steps onto a "}" that follows.
template <class Add>
void braced_names(Parser& parser, Add add) {
  while (current_is(parser, TokenKind::Identifier)) {
    add();
    if (!next_is(parser, TokenKind::Comma)) break;
    advance(parser);
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
  bool absolute = false;
  if (current_is(parser, TokenKind::PathSep)) {
    absolute = true;
    advance(parser);
  }
  if (!current_is(parser, TokenKind::Identifier)) return nullptr;

  ListBuilder<Text> path(parser, parser.scratch.texts);
  ListBuilder<UseItem> items(parser, parser.scratch.use_items);
  path.push(keep_text(parser, parser.current->text));
  bool is_group = false;
  while (next_is(parser, TokenKind::PathSep)) {
    advance(parser);
    advance(parser);
    if (current_is(parser, TokenKind::Identifier)) {
      path.push(keep_text(parser, parser.current->text));
      continue;
    }
    if (current_is(parser, TokenKind::Star)) break;  // a glob keeps the plain path
    if (!current_is(parser, TokenKind::LeftBrace)) return nullptr;
    is_group = true;
    advance(parser);
    braced_names(parser, [&] {
      Text name = keep_text(parser, parser.current->text);
      items.push(UseItem{name, alias_after(parser)});
    });
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
  if (!current_is(parser, TokenKind::String)) return nullptr;
  Text path = keep_text(parser, parser.current->text);
  std::optional<Text> alias = alias_after(parser);
  // The items are there exactly when "::" and "{" are, even as an empty list.
  std::optional<Seq<Text>> items;
  if (next_is(parser, TokenKind::PathSep)) {
    advance(parser);
    advance(parser);
    if (current_is(parser, TokenKind::LeftBrace)) {
      advance(parser);
      ListBuilder<Text> names(parser, parser.scratch.texts);
      braced_names(parser, [&] { names.push(keep_text(parser, parser.current->text)); });
      items = names.finish(*parser.arena);
    }
  }
  Import* stmt = make_node<Import>(parser);
  stmt->path = path;
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
      braced_names(parser, [&] {
        items.push(ExportItem{ExportItem::Kind::Function, keep_text(parser, parser.current->text)});
      });
      break;
    default:
      return nullptr;
  }
  if (single) {
    advance(parser);
    if (!current_is(parser, TokenKind::Identifier)) return nullptr;
    items.push(ExportItem{*single, keep_text(parser, parser.current->text)});
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
  if (!current_is(parser, TokenKind::LeftBracket)) return nullptr;
  advance(parser);
  if (!current_is(parser, TokenKind::Identifier)) return nullptr;
  Text name = keep_text(parser, parser.current->text);
  advance(parser);
  Seq<AttrArg> arguments;
  if (current_is(parser, TokenKind::LeftParen)) {
    advance(parser);
    std::optional<Seq<AttrArg>> list = parse_attr_args(parser);
    if (!list || !current_is(parser, TokenKind::RightParen)) return nullptr;
    arguments = *list;
    advance(parser);
  }
  if (!current_is(parser, TokenKind::RightBracket)) return nullptr;
  advance(parser);
  const Stmt* statement = parse_statement(parser);
  if (statement == nullptr) return nullptr;
  Attributed* stmt = make_node<Attributed>(parser);
  stmt->name = name;
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
    if (current_is(parser, TokenKind::LeftParen)) {
      advance(parser);
      std::optional<Seq<AttrArg>> nested = parse_attr_args(parser);
      if (!nested || !current_is(parser, TokenKind::RightParen)) return std::nullopt;
      argument.kind = AttrArg::Kind::Nested;
      argument.nested = *nested;
      advance(parser);
    } else if (current_is(parser, TokenKind::Assign)) {
      advance(parser);
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
