// Match with its patterns, if-expressions, hardware calls, inline assembly,
// panic and the try operator.
#include <string_view>

#include "parser/parser.h"

namespace qosa::parser {

using lexer::TokenKind;

namespace {

bool is_wildcard(const Parser& parser) {
  return current_is(parser, TokenKind::Identifier) && parser.current->text == "_";
}

// On "="; steps past "=" and ">" (the lexer makes no one token of "=>").
bool fat_arrow(Parser& parser) {
  return expect(parser, TokenKind::Assign) && expect(parser, TokenKind::Greater);
}

}  // namespace

const Expr* parse_match(Parser& parser) {
  DepthGuard depth(parser);
  if (!depth) return nullptr;
  advance(parser);
  const Expr* scrutinee = parse_expression(parser, 0);
  if (scrutinee == nullptr) return nullptr;
  if (!next_is(parser, TokenKind::Yap) && !next_is(parser, TokenKind::Do)) return nullptr;
  advance(parser);
  advance(parser);

  ListBuilder<MatchArm> arms(parser, parser.scratch.arms);
  for (;;) {
    MatchArm arm;
    switch (parser.current_kind) {
      case TokenKind::Son:
      case TokenKind::End:
      case TokenKind::Eof: {
        Match* node = make_node<Match>(parser);
        node->arms = arms.finish(*parser.arena);
        node->scrutinee = scrutinee;
        return node;
      }
      case TokenKind::Durum:
      case TokenKind::Case: {
        advance(parser);
        std::optional<Pattern> pattern = parse_pattern(parser);
        if (!pattern) return nullptr;
        arm.pattern = *pattern;
        break;
      }
      default:
        if (!is_wildcard(parser)) return nullptr;
        advance(parser);
        arm.pattern = Pattern{};  // WildcardPattern
        break;
    }
    if (!fat_arrow(parser)) return nullptr;
    arm.body = parse_expression(parser, 0);
    if (arm.body == nullptr) return nullptr;
    arms.push(arm);
    skip_semicolon(parser);
    advance(parser);
  }
}

namespace {

std::optional<Pattern> wrapped_pattern(Parser& parser, Pattern::Kind kind) {
  if (!expect_next(parser, TokenKind::LeftParen)) return std::nullopt;
  advance(parser);
  std::optional<Pattern> inner = parse_pattern(parser);
  if (!inner || !expect(parser, TokenKind::RightParen)) return std::nullopt;
  Pattern pattern;
  pattern.kind = kind;
  pattern.inner = make_record<Pattern>(parser, *inner);
  return pattern;
}

// Entered on "("; "()" and "(p, ...)" are tuples, "(p)" is p itself.
std::optional<Pattern> parenthesised_pattern(Parser& parser) {
  advance(parser);
  Pattern tuple;
  tuple.kind = Pattern::Kind::TuplePattern;
  if (expect(parser, TokenKind::RightParen)) return tuple;
  std::optional<Pattern> first = parse_pattern(parser);
  if (!first) return std::nullopt;
  if (expect(parser, TokenKind::RightParen)) return first;
  if (!current_is(parser, TokenKind::Comma)) return std::nullopt;

  ListBuilder<Pattern> elements(parser, parser.scratch.patterns);
  elements.push(*first);
  while (expect(parser, TokenKind::Comma)) {
    if (current_is(parser, TokenKind::RightParen)) break;  // a trailing comma
    std::optional<Pattern> element = parse_pattern(parser);
    if (!element) return std::nullopt;
    elements.push(*element);
  }
  if (!expect(parser, TokenKind::RightParen)) return std::nullopt;
  tuple.elements = elements.finish(*parser.arena);
  return tuple;
}

}  // namespace

std::optional<Pattern> parse_pattern(Parser& parser) {
  DepthGuard depth(parser);
  if (!depth) return std::nullopt;
  Pattern pattern;
  switch (parser.current_kind) {
    case TokenKind::Integer:
    case TokenKind::String:
    case TokenKind::Dogru:
    case TokenKind::Yanlis:
    case TokenKind::True:
    case TokenKind::False:
    case TokenKind::Bos:
    case TokenKind::Null:
      // The expression stops at the "=" of "=>".
      pattern.literal = parse_expression(parser, 0);
      if (pattern.literal == nullptr) return std::nullopt;
      pattern.kind = Pattern::Kind::LiteralPattern;
      advance(parser);
      return pattern;
    case TokenKind::Identifier:
      if (parser.current->text == "_") {
        pattern.kind = Pattern::Kind::WildcardPattern;
      } else {
        pattern.kind = Pattern::Kind::BindingPattern;
        pattern.name = keep_text(parser, parser.current->text);
      }
      advance(parser);
      return pattern;
    case TokenKind::Hicbir:
    case TokenKind::None:
      pattern.kind = Pattern::Kind::NonePattern;
      advance(parser);
      return pattern;
    case TokenKind::Bazi:
    case TokenKind::Some:
      return wrapped_pattern(parser, Pattern::Kind::SomePattern);
    case TokenKind::Tamam:
    case TokenKind::Ok:
      return wrapped_pattern(parser, Pattern::Kind::OkPattern);
    case TokenKind::Hata:
    case TokenKind::Err:
      return wrapped_pattern(parser, Pattern::Kind::ErrPattern);
    case TokenKind::LeftParen:
      return parenthesised_pattern(parser);
    default:
      return std::nullopt;
  }
}

const Expr* parse_if_expression(Parser& parser) {
  advance(parser);
  const Expr* condition = parse_expression(parser, 0);
  if (condition == nullptr) return nullptr;
  if (next_is(parser, TokenKind::Ise) || next_is(parser, TokenKind::Then)) advance(parser);
  // The token after the condition stands for the opener, whatever it is.
  advance(parser);
  StmtList then_body = parse_block(parser);
  std::optional<StmtList> else_body;
  if (next_is(parser, TokenKind::Degilse) || next_is(parser, TokenKind::Else)) {
    // No else-if chain here: after the else word, "eğer" is the opener.
    advance(parser);
    advance(parser);
    else_body = parse_block(parser);
  }
  IfExpr* node = make_node<IfExpr>(parser);
  node->condition = condition;
  node->then_body = then_body;
  node->else_body = else_body;
  return node;
}

namespace {

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One or more ASCII digits whose value is at most 255.
std::optional<std::uint8_t> parse_u8(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 255) return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

struct Pin {
  Text name;
  std::optional<std::uint8_t> number;
};

// "PA5" is port A, pin 5; a name that is no port-and-pin is kept whole, and
// "P" followed by anything but a letter is no pin at all.
std::optional<Pin> read_pin(Parser& parser, std::string_view text) {
  if (text.size() < 3 || text[0] != 'P') return Pin{keep_text(parser, text), std::nullopt};
  // A byte that is no ASCII letter begins no ASCII letter either, so the
  // second character needs no decoding to be tested.
  char port = text[1];
  if (!is_ascii_letter(port)) return std::nullopt;
  std::optional<std::uint8_t> number = parse_u8(text.substr(2));
  if (!number || *number >= 16) return Pin{keep_text(parser, text), std::nullopt};
  static constexpr std::string_view kPorts = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  char upper = port >= 'a' ? static_cast<char>(port - 'a' + 'A') : port;
  return Pin{kPorts.substr(static_cast<std::size_t>(upper - 'A'), 1), number};
}

// The method text of the token after the pin's "."; empty when it names none.
Text pin_method(Parser& parser) {
  switch (parser.current_kind) {
    case TokenKind::AsOutput:
    case TokenKind::AsInput:
    case TokenKind::AsAlternate:
    case TokenKind::CikisOlarak:
    case TokenKind::GirisOlarak:
    case TokenKind::AlternatifOlarak:
    case TokenKind::SetHigh:
    case TokenKind::SetLow:
    case TokenKind::Toggle:
    case TokenKind::IsHigh:
    case TokenKind::IsLow:
    case TokenKind::YuksekYap:
    case TokenKind::AlcakYap:
    case TokenKind::YuksekMi:
    case TokenKind::AlcakMi:
    case TokenKind::Degistir:  // the Turkish toggle
      return lexer::info(parser.current_kind).text;
    case TokenKind::Identifier:
      return keep_text(parser, parser.current->text);
    default:
      return {};
  }
}

// Pull and drive words stand as arguments by themselves.
Text pin_argument(TokenKind kind) {
  switch (kind) {
    case TokenKind::PullUp:
      return "PullUp";
    case TokenKind::PullDown:
      return "PullDown";
    case TokenKind::OpenDrain:
      return "OpenDrain";
    case TokenKind::PushPull:
      return "PushPull";
    case TokenKind::YukariCek:
    case TokenKind::AsagiCek:
    case TokenKind::AcikDrenaj:
    case TokenKind::ItmeCek:
      return lexer::info(kind).text;
    default:
      return {};
  }
}

}  // namespace

const Expr* parse_hardware_call(Parser& parser) {
  Text peripheral = lexer::info(parser.current_kind).text;
  if (!expect_next(parser, TokenKind::PathSep)) return nullptr;
  advance(parser);
  if (!current_is(parser, TokenKind::Identifier)) return nullptr;
  std::optional<Pin> pin = read_pin(parser, parser.current->text);
  if (!pin) return nullptr;
  if (!expect_next(parser, TokenKind::Dot)) return nullptr;
  advance(parser);
  Text method = pin_method(parser);
  if (method.empty()) return nullptr;

  ListBuilder<const Expr*> arguments(parser, parser.scratch.exprs);
  if (expect_next(parser, TokenKind::LeftParen)) {
    advance(parser);
    if (!current_is(parser, TokenKind::RightParen)) {
      for (;;) {
        // Unlike call arguments, one that fails fails the whole call.
        Text fixed = pin_argument(parser.current_kind);
        const Expr* argument = nullptr;
        if (!fixed.empty()) {
          Identifier* name = make_node<Identifier>(parser);
          name->name = fixed;
          argument = name;
        } else {
          argument = parse_expression(parser, 0);
          if (argument == nullptr) return nullptr;
        }
        arguments.push(argument);
        if (expect_next(parser, TokenKind::Comma)) {
          advance(parser);
          continue;
        }
        if (!expect_next(parser, TokenKind::RightParen)) return nullptr;
        break;
      }
    }
  }

  HardwareCall* node = make_node<HardwareCall>(parser);
  node->peripheral = peripheral;
  node->pin = pin->name;
  node->method = method;
  node->arguments = arguments.finish(*parser.arena);
  node->pin_number = pin->number;
  return node;
}

namespace {

std::optional<std::uint8_t> architecture(TokenKind kind) {
  switch (kind) {
    case TokenKind::X86_64:
      return 0;
    case TokenKind::Arm64:
      return 1;
    case TokenKind::Riscv:
      return 2;
    default:
      return std::nullopt;
  }
}

std::optional<std::uint8_t> operand_direction(const Parser& parser) {
  if (current_is(parser, TokenKind::Icinde) || current_is(parser, TokenKind::In)) return 0;
  if (!current_is(parser, TokenKind::Identifier)) return std::nullopt;
  std::string_view word = parser.current->text;
  if (word == "out") return 1;
  if (word == "inout") return 2;
  if (word == "lateout") return 3;
  return std::nullopt;
}

// On the operand's first token: direction "(" register ")" expression.
std::optional<AsmOperand> parse_asm_operand(Parser& parser) {
  std::optional<std::uint8_t> direction = operand_direction(parser);
  if (!direction || !expect_next(parser, TokenKind::LeftParen)) return std::nullopt;
  advance(parser);
  std::optional<Text> reg = expect_identifier(parser);
  if (!reg || !expect_next(parser, TokenKind::RightParen)) return std::nullopt;
  advance(parser);
  const Expr* expression = parse_expression(parser, 0);
  if (expression == nullptr) return std::nullopt;
  return AsmOperand{*reg, expression, *direction};
}

}  // namespace

const Expr* parse_asm(Parser& parser) {
  if (!expect_next(parser, TokenKind::LeftParen)) return nullptr;
  advance(parser);
  std::optional<std::uint8_t> arch = architecture(parser.current_kind);
  if (!arch || !expect_next(parser, TokenKind::Comma)) return nullptr;
  advance(parser);
  std::optional<Text> templ = expect_text(parser, TokenKind::String);
  if (!templ) return nullptr;
  if (!next_is(parser, TokenKind::RightParen) && !next_is(parser, TokenKind::Comma)) return nullptr;

  // An operand that does not parse ends the list; the form still stands when
  // ")" follows where it stopped.
  ListBuilder<AsmOperand> operands(parser, parser.scratch.asm_operands);
  while (expect_next(parser, TokenKind::Comma)) {
    advance(parser);
    std::optional<AsmOperand> operand = parse_asm_operand(parser);
    if (!operand) break;
    operands.push(*operand);
  }
  if (!expect_next(parser, TokenKind::RightParen)) return nullptr;
  InlineAsm* node = make_node<InlineAsm>(parser);
  node->templ = *templ;
  node->operands = operands.finish(*parser.arena);
  node->architecture = *arch;
  return node;
}

const Expr* parse_panic(Parser& parser) {
  NodeSpan span = keep_span(parser, current_place(parser));
  if (!expect_next(parser, TokenKind::Bang) || !expect_next(parser, TokenKind::LeftParen)) return nullptr;
  advance(parser);
  std::optional<Text> format = expect_text(parser, TokenKind::String);
  if (!format) return nullptr;

  // Unlike call arguments, one that fails fails the whole panic.
  ListBuilder<const Expr*> arguments(parser, parser.scratch.exprs);
  while (expect_next(parser, TokenKind::Comma)) {
    advance(parser);
    const Expr* argument = parse_expression(parser, 0);
    if (argument == nullptr) return nullptr;
    arguments.push(argument);
  }
  if (!expect_next(parser, TokenKind::RightParen)) return nullptr;
  Panic* node = make_node<Panic>(parser);
  node->format = *format;
  node->arguments = arguments.finish(*parser.arena);
  node->span = span;
  return node;
}

const Expr* parse_try(Parser& parser, const Expr* operand) {
  Try* node = make_node<Try>(parser);
  node->span = keep_span(parser, current_place(parser));
  node->operand = operand;
  return node;
}

}  // namespace qosa::parser
