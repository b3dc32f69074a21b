// Expressions: precedence climbing over one prefix form and a loop of infix
// and postfix operators chosen by the token after the current one.
#include <array>
#include <utility>
#include <vector>

#include "parser/parser.h"

namespace qosa::parser {

using lexer::Token;
using lexer::TokenKind;

namespace {

// The operand level of the unary operators: above every graded level, so
// their operand takes postfix operators only. The right side of "::" uses it
// too, so that ‹A::b + 1› adds to the path.
constexpr std::uint8_t kUnaryLevel = 6;

enum class Infix : std::uint8_t { None, Graded, Range, Cast, Path, Member, Call, Index, Try };

struct InfixRow {
  Infix form = Infix::None;
  // An operator binds when its level is above the caller's minimum: for
  // Graded, Range and Cast their precedence, for the postfix forms above
  // any minimum, for None none, so that one test decides.
  std::uint8_t level = 0;
  Operator op = Operator::Add;  // for Graded
};

constexpr std::uint8_t kPostfixLevel = 0xFF;

constexpr std::array<InfixRow, lexer::kTokenKindCount> make_infix_table() {
  std::array<InfixRow, lexer::kTokenKindCount> table{};
  auto set = [&table](TokenKind kind, Infix form, std::uint8_t level, Operator op) {
    table[static_cast<std::size_t>(kind)] = InfixRow{form, level, op};
  };
  set(TokenKind::Ve, Infix::Graded, 1, Operator::And);
  set(TokenKind::And, Infix::Graded, 1, Operator::And);
  set(TokenKind::Veya, Infix::Graded, 1, Operator::Or);
  set(TokenKind::Or, Infix::Graded, 1, Operator::Or);
  set(TokenKind::EqualEqual, Infix::Graded, 2, Operator::Equal);
  set(TokenKind::NotEqual, Infix::Graded, 2, Operator::NotEqual);
  set(TokenKind::DotDot, Infix::Range, 2, Operator::Add);
  set(TokenKind::DotDotEqual, Infix::Range, 2, Operator::Add);
  set(TokenKind::Less, Infix::Graded, 3, Operator::Less);
  set(TokenKind::Greater, Infix::Graded, 3, Operator::Greater);
  set(TokenKind::LessEqual, Infix::Graded, 3, Operator::LessEqual);
  set(TokenKind::GreaterEqual, Infix::Graded, 3, Operator::GreaterEqual);
  set(TokenKind::Olarak, Infix::Cast, 3, Operator::Add);
  set(TokenKind::As, Infix::Cast, 3, Operator::Add);
  set(TokenKind::Plus, Infix::Graded, 4, Operator::Add);
  set(TokenKind::Minus, Infix::Graded, 4, Operator::Subtract);
  set(TokenKind::Star, Infix::Graded, 5, Operator::Multiply);
  set(TokenKind::Slash, Infix::Graded, 5, Operator::Divide);
  set(TokenKind::Percent, Infix::Graded, 5, Operator::Remainder);
  set(TokenKind::PathSep, Infix::Path, kPostfixLevel, Operator::Path);
  set(TokenKind::Dot, Infix::Member, kPostfixLevel, Operator::Member);
  set(TokenKind::LeftParen, Infix::Call, kPostfixLevel, Operator::Add);
  set(TokenKind::LeftBracket, Infix::Index, kPostfixLevel, Operator::Add);
  set(TokenKind::Question, Infix::Try, kPostfixLevel, Operator::Add);
  return table;
}

constexpr std::array<InfixRow, lexer::kTokenKindCount> kInfix = make_infix_table();

const InfixRow& infix_row(TokenKind kind) { return kInfix[static_cast<std::size_t>(kind)]; }

template <class T>
const Expr* boxed(Parser& parser, const Expr* inner) {
  T* node = make_node<T>(parser);
  if constexpr (requires { node->inner; }) {
    node->inner = inner;
  } else {
    node->operand = inner;
  }
  return node;
}

const Expr* identifier(Parser& parser, Text name) {
  Identifier* node = make_node<Identifier>(parser);
  node->name = name;
  return node;
}

// Extends `left` with the operators that bind tighter than `min_precedence`.
const Expr* parse_infix(Parser& parser, const Expr* left, std::uint8_t min_precedence) {
  for (;;) {
    const InfixRow& row = infix_row(parser.next_kind);
    if (row.level <= min_precedence) return left;
    advance(parser);
    // The most frequent form first, outside the switch.
    if (row.form == Infix::Graded) {
      advance(parser);
      const Expr* right = parse_expression(parser, row.level);
      if (right == nullptr) return nullptr;
      Binary* node = make_node<Binary>(parser);
      node->op = row.op;
      node->left = left;
      node->right = right;
      left = node;
      continue;
    }
    switch (row.form) {
      case Infix::Path: {
        advance(parser);
        const Expr* right = parse_expression(parser, kUnaryLevel);
        if (right == nullptr) return nullptr;
        Binary* node = make_node<Binary>(parser);
        node->op = Operator::Path;
        node->left = left;
        node->right = right;
        left = node;
        break;
      }
      case Infix::Range: {
        bool inclusive = parser.current_kind == TokenKind::DotDotEqual;
        advance(parser);
        const Expr* end = parse_expression(parser, row.level);
        if (end == nullptr) return nullptr;
        Range* node = make_node<Range>(parser);
        node->start = left;
        node->end = end;
        node->inclusive = inclusive;
        left = node;
        break;
      }
      case Infix::Cast: {
        advance(parser);
        std::optional<TypeRef> target = parse_type(parser);
        if (!target) return nullptr;
        Cast* node = make_node<Cast>(parser);
        node->target = *target;
        node->value = left;
        left = node;
        break;
      }
      case Infix::Index: {
        advance(parser);
        const Expr* index = parse_expression(parser, 0);
        if (index == nullptr) return nullptr;
        if (!expect_next(parser, TokenKind::RightBracket)) return nullptr;
        Index* node = make_node<Index>(parser);
        node->object = left;
        node->index = index;
        left = node;
        break;
      }
      case Infix::Try:
        left = parse_try(parser, left);
        if (left == nullptr) return nullptr;
        break;
      case Infix::Member: {
        advance(parser);
        std::optional<Text> name = expect_identifier(parser);
        if (!name) return nullptr;
        if (expect_next(parser, TokenKind::LeftParen)) {
          std::optional<ExprList> arguments = parse_call_args(parser);
          if (!arguments) return nullptr;
          MethodCall* node = make_node<MethodCall>(parser);
          node->method = *name;
          node->arguments = *arguments;
          node->receiver = left;
          left = node;
        } else {
          Binary* node = make_node<Binary>(parser);
          node->op = Operator::Member;
          node->left = left;
          node->right = identifier(parser, *name);
          left = node;
        }
        break;
      }
      case Infix::Call: {
        std::optional<ExprList> arguments = parse_call_args(parser);
        if (!arguments) return nullptr;
        Call* node = make_node<Call>(parser);
        node->arguments = *arguments;
        node->callee = left;
        left = node;
        break;
      }
      case Infix::Graded:
      case Infix::None:
        return left;
    }
  }
}

// "Bazı"/"Some", "Tamam"/"Ok", "Hata"/"Err" followed by "(" e ")".
template <class T>
const Expr* parse_wrapped(Parser& parser) {
  if (!expect_next(parser, TokenKind::LeftParen)) return nullptr;
  advance(parser);
  const Expr* inner = parse_expression(parser, 0);
  if (inner == nullptr) return nullptr;
  if (!expect_next(parser, TokenKind::RightParen)) return nullptr;
  return boxed<T>(parser, inner);
}

// A prefix form other than the prefix operators; nothing when the current
// token starts none (nothing is consumed then).
const Expr* parse_primary(Parser& parser) {
  const lexer::Lexeme& token = *parser.current;
  // The most frequent operand first, outside the switch.
  if (token.kind == TokenKind::Identifier) return identifier(parser, keep_text(parser, token.text));
  switch (token.kind) {
    case TokenKind::Integer: {
      Integer* node = make_node<Integer>(parser);
      node->value = token.integer;
      return node;
    }
    case TokenKind::Float: {
      Float* node = make_node<Float>(parser);
      node->value = token.floating;
      return node;
    }
    case TokenKind::String: {
      Str* node = make_node<Str>(parser);
      node->text = keep_text(parser, token.text);
      return node;
    }
    case TokenKind::Dogru:
    case TokenKind::True:
    case TokenKind::Yanlis:
    case TokenKind::False: {
      Bool* node = make_node<Bool>(parser);
      node->value = token.kind == TokenKind::Dogru || token.kind == TokenKind::True;
      return node;
    }
    case TokenKind::Bos:
    case TokenKind::Null:
      return make_node<Null>(parser);
    case TokenKind::Hicbir:
    case TokenKind::None:
      return make_node<NoneValue>(parser);
    case TokenKind::Yeni:
    case TokenKind::New: {
      advance(parser);
      std::optional<Text> type_name = expect_identifier(parser);
      if (!type_name) return nullptr;
      New* node = make_node<New>(parser);
      node->type_name = *type_name;
      return node;
    }
    case TokenKind::Bazi:
    case TokenKind::Some:
      return parse_wrapped<SomeValue>(parser);
    case TokenKind::Tamam:
    case TokenKind::Ok:
      return parse_wrapped<OkValue>(parser);
    case TokenKind::Hata:
    case TokenKind::Err:
      return parse_wrapped<ErrValue>(parser);
    case TokenKind::LeftParen:
      return parse_paren(parser);
    case TokenKind::LeftBracket:
      return parse_list_literal(parser);
    case TokenKind::Sec:
    case TokenKind::Match:
      return parse_match(parser);
    case TokenKind::Eger:
    case TokenKind::If:
      return parse_if_expression(parser);
    case TokenKind::Gpio:
    case TokenKind::Uart:
    case TokenKind::Spi:
    case TokenKind::I2c:
    case TokenKind::Adc:
    case TokenKind::Dac:
    case TokenKind::Timer:
    case TokenKind::Pwm:
    case TokenKind::Dma:
      return parse_hardware_call(parser);
    case TokenKind::Asm:
      return parse_asm(parser);
    case TokenKind::Panic:
      return parse_panic(parser);
    default:
      if (token.kind >= TokenKind::Task && token.kind <= TokenKind::Kb) {
        return identifier(parser, lexer::info(token.kind).name_text);
      }
      return nullptr;
  }
}

enum class Prefix : std::uint8_t { Negate, Degil, Not, Share, Move, Change };

std::uint8_t operand_level(Prefix op) {
  return op == Prefix::Negate || op == Prefix::Degil || op == Prefix::Not ? kUnaryLevel : 0;
}

// The prefix operators read and not yet applied, innermost last. The
// precedence each one was read at is the operand level of the one before it
// (or the call's own for the first), one bit per operator; the operators
// themselves are kept only when a tree is built. So a statement of nothing
// but prefix operators costs a bit per operator when only counting.
class PendingPrefixes {
 public:
  PendingPrefixes(bool keep_ops, std::uint8_t min_precedence)
      : keep_ops_(keep_ops), first_min_(min_precedence) {}

  bool empty() const { return count_ == 0; }
  void push(Prefix op) {
    if (count_ % 64 == 0) unary_.push_back(0);
    if (operand_level(op) == kUnaryLevel) unary_.back() |= std::uint64_t{1} << (count_ % 64);
    if (keep_ops_) ops_.push_back(op);
    ++count_;
  }
  // The innermost operator (Negate when not kept) and the precedence it was read at.
  std::pair<Prefix, std::uint8_t> pop() {
    --count_;
    const Prefix op = keep_ops_ ? ops_.back() : Prefix::Negate;
    if (keep_ops_) ops_.pop_back();
    unary_.back() &= ~(std::uint64_t{1} << (count_ % 64));
    if (count_ % 64 == 0) unary_.pop_back();
    if (count_ == 0) return {op, first_min_};
    const std::size_t before = count_ - 1;
    const bool unary = (unary_[before / 64] >> (before % 64)) & 1;
    return {op, unary ? kUnaryLevel : std::uint8_t{0}};
  }

 private:
  bool keep_ops_;
  std::uint8_t first_min_;
  std::size_t count_ = 0;
  std::vector<std::uint64_t> unary_;
  std::vector<Prefix> ops_;
};

const Expr* apply_prefix(Parser& parser, Prefix op, const Expr* operand) {
  switch (op) {
    case Prefix::Negate:
    case Prefix::Degil:
    case Prefix::Not: {
      Unary* node = make_node<Unary>(parser);
      node->op = op == Prefix::Negate ? Operator::Negate
                 : op == Prefix::Degil ? Operator::Degil
                                        : Operator::Not;
      node->operand = operand;
      return node;
    }
    case Prefix::Share:
      return boxed<Share>(parser, operand);
    case Prefix::Move:
      return boxed<Move>(parser, operand);
    case Prefix::Change:
      return boxed<Change>(parser, operand);
  }
  return nullptr;
}

}  // namespace

// A run of prefix operators is read in a loop rather than by recursion, so
// that ‹- - - … x› needs no stack: each operator remembers the precedence of
// the call it stands in, and after its operand is built the infix loop runs
// again at that precedence, exactly as the recursive reading would.
namespace {

// Each kind's prefix operator plus one, 0 for a kind that is none: one load
// where a switch would take a chain of tests on every expression.
constexpr std::array<std::uint8_t, lexer::kTokenKindCount> make_prefix_table() {
  std::array<std::uint8_t, lexer::kTokenKindCount> table{};
  auto set = [&table](TokenKind kind, Prefix op) {
    table[static_cast<std::size_t>(kind)] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(op) + 1);
  };
  set(TokenKind::Minus, Prefix::Negate);
  set(TokenKind::Degil, Prefix::Degil);
  set(TokenKind::Not, Prefix::Not);
  set(TokenKind::Paylas, Prefix::Share);
  set(TokenKind::Share, Prefix::Share);
  set(TokenKind::Gecir, Prefix::Move);
  set(TokenKind::Move, Prefix::Move);
  set(TokenKind::Degistir, Prefix::Change);
  return table;
}

constexpr std::array<std::uint8_t, lexer::kTokenKindCount> kPrefix = make_prefix_table();

std::optional<Prefix> prefix_of(TokenKind kind) {
  const std::uint8_t code = kPrefix[static_cast<std::size_t>(kind)];
  if (code == 0) return std::nullopt;
  return static_cast<Prefix>(code - 1);
}

// An expression that opens with a run of prefix operators: the run is read
// in a loop, not by recursion, so that it may be as long as the text.
const Expr* parse_prefixed(Parser& parser, std::uint8_t min_precedence) {
  PendingPrefixes pending(parser.build_tree, min_precedence);
  std::uint8_t min = min_precedence;
  while (std::optional<Prefix> op = prefix_of(parser.current_kind)) {
    pending.push(*op);
    min = operand_level(*op);
    advance(parser);
  }

  const Expr* result = parse_primary(parser);
  if (result == nullptr) return nullptr;
  result = parse_infix(parser, result, min);
  while (result != nullptr && !pending.empty()) {
    const auto [op, read_at] = pending.pop();
    result = apply_prefix(parser, op, result);
    result = parse_infix(parser, result, read_at);
  }
  return result;
}

}  // namespace

const Expr* parse_expression(Parser& parser, std::uint8_t min_precedence) {
  DepthGuard depth(parser);
  if (!depth) return nullptr;
  if (prefix_of(parser.current_kind)) return parse_prefixed(parser, min_precedence);
  const Expr* result = parse_primary(parser);
  if (result == nullptr) return nullptr;
  return parse_infix(parser, result, min_precedence);
}

std::optional<ExprList> parse_call_args(Parser& parser) {
  ListBuilder<const Expr*> arguments(parser, parser.scratch.exprs);
  TokenKind first = parser.next_kind;
  advance(parser);
  if (first == TokenKind::RightParen) return arguments.finish(*parser.arena);
  for (;;) {
    // A failed argument is dropped and the list goes on from where it stopped.
    if (const Expr* argument = parse_expression(parser, 0)) arguments.push(argument);
    if (expect_next(parser, TokenKind::Comma)) {
      advance(parser);
      continue;
    }
    if (!expect_next(parser, TokenKind::RightParen)) return std::nullopt;
    return arguments.finish(*parser.arena);
  }
}

const Expr* parse_paren(Parser& parser) {
  advance(parser);
  if (parser.current_kind == TokenKind::RightParen) return make_node<Tuple>(parser);
  const Expr* first = parse_expression(parser, 0);
  if (first == nullptr) return nullptr;
  if (expect_next(parser, TokenKind::RightParen)) return first;
  if (!next_is(parser, TokenKind::Comma)) return nullptr;

  ListBuilder<const Expr*> elements(parser, parser.scratch.exprs);
  elements.push(first);
  bool closed = false;
  while (expect_next(parser, TokenKind::Comma)) {
    advance(parser);
    if (parser.current_kind == TokenKind::RightParen) {
      closed = true;
      break;
    }
    const Expr* element = parse_expression(parser, 0);
    if (element == nullptr) return nullptr;
    elements.push(element);
  }
  if (!closed && !expect_next(parser, TokenKind::RightParen)) return nullptr;
  Tuple* node = make_node<Tuple>(parser);
  node->elements = elements.finish(*parser.arena);
  return node;
}

const Expr* parse_list_literal(Parser& parser) {
  TokenKind first_kind = parser.next_kind;
  advance(parser);
  if (first_kind == TokenKind::RightBracket) return make_node<List>(parser);
  const Expr* first = parse_expression(parser, 0);
  if (first == nullptr) return nullptr;
  ListBuilder<const Expr*> elements(parser, parser.scratch.exprs);
  elements.push(first);
  while (expect_next(parser, TokenKind::Comma)) {
    advance(parser);
    const Expr* element = parse_expression(parser, 0);
    if (element == nullptr) return nullptr;
    elements.push(element);
  }
  if (!expect_next(parser, TokenKind::RightBracket)) return nullptr;
  List* node = make_node<List>(parser);
  node->elements = elements.finish(*parser.arena);
  return node;
}

}  // namespace qosa::parser
