// The QOSA recursive-descent parser: its state, stepping, and every construct
// reader. Each reader starts with the current token on the construct's first
// token and, on success, ends with the current token on its last token.
// "Nothing" is a null pointer or an empty optional.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <optional>
#include <vector>

#include "lexer/lexer.h"
#include "lexer/token.h"
#include "parser/arena.h"
#include "parser/ast.h"

namespace qosa::parser {

// Nesting deeper than this yields nothing, so that no source can exhaust the
// stack. Statements, expressions, types, patterns and attributes share the one
// count, so a construct that spends two levels per nesting (a match arm and
// its body, an attribute and its statement) reaches only about half as deep.
inline constexpr int kMaxDepth = 256;

// Elements of lists being built. Nested lists of one type share a vector in
// stack order; a finished list is copied into the arena.
struct Scratch {
  std::vector<const Stmt*> stmts;
  std::vector<const Expr*> exprs;
  std::vector<Text> texts;
  std::vector<Param> params;
  std::vector<TypeRef> types;
  std::vector<StructField> fields;
  std::vector<UseItem> use_items;
  std::vector<ExportItem> export_items;
  std::vector<AttrArg> attr_args;
  std::vector<QosPolicy> policies;
  std::vector<TaskSetting> settings;
  std::vector<MatchArm> arms;
  std::vector<Pattern> patterns;
  std::vector<AsmOperand> asm_operands;
};

// Tokens lexed ahead of the parser, a chunk at a time, so that stepping is
// moving a pointer. The chunk is refilled when the parser reaches its end,
// with the current token carried to its front, so memory stays the same
// however long the text.
struct TokenWindow {
  static constexpr std::size_t kChunk = 256;
  std::unique_ptr<lexer::Lexeme[]> slots;
  const lexer::Lexeme* end = nullptr;  // one past the last token lexed
};

struct Parser {
  // Into `window`; valid until the next advance. Their kinds are kept here
  // too, the most read of everything, so that a test of a kind is one load.
  const lexer::Lexeme* current = nullptr;
  const lexer::Lexeme* next = nullptr;
  lexer::TokenKind current_kind = lexer::TokenKind::Eof;
  lexer::TokenKind next_kind = lexer::TokenKind::Eof;
  lexer::Lexer lexer;
  TokenWindow window;

  Arena* arena;
  Scratch scratch;
  Text file_name;  // the source name, once in the arena, for spans kept in the tree
  int depth = 0;
  // False for a parse whose tree nobody reads (it only counts statements):
  // nodes are then written to `sink` and forgotten, lists and texts are not
  // kept, so that memory does not grow with a statement however long. The
  // parse goes exactly as it would with the tree: readers never read back a
  // node they built.
  bool build_tree = true;
  alignas(std::max_align_t) unsigned char sink[256];
};

// Holds one level of nesting for as long as it lives; false past kMaxDepth.
class DepthGuard {
 public:
  explicit DepthGuard(Parser& parser) : parser_(parser) { ++parser_.depth; }
  ~DepthGuard() { --parser_.depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  explicit operator bool() const { return parser_.depth <= kMaxDepth; }

 private:
  Parser& parser_;
};

// Collects the elements of one list; the elements are dropped again when the
// list is abandoned.
template <class T>
class ListBuilder {
 public:
  ListBuilder(const Parser& parser, std::vector<T>& scratch)
      : scratch_(scratch), mark_(scratch.size()), keep_(parser.build_tree) {}
  ~ListBuilder() { scratch_.resize(mark_); }
  ListBuilder(const ListBuilder&) = delete;
  ListBuilder& operator=(const ListBuilder&) = delete;

  void push(const T& item) {
    if (keep_) scratch_.push_back(item);
  }
  Seq<T> finish(Arena& arena) {
    if (!keep_) return {};
    Seq<T> items =
        arena.copy_list(Seq<T>(scratch_.data() + mark_, scratch_.size() - mark_));
    scratch_.resize(mark_);
    return items;
  }

 private:
  std::vector<T>& scratch_;
  std::size_t mark_;
  bool keep_;
};

// A record of the tree, made from `args`: in the arena, or in the parser's
// sink when no tree is built.
template <class T, class... Args>
T* make_record(Parser& parser, Args&&... args) {
  if (!parser.build_tree) {
    static_assert(sizeof(T) <= sizeof(parser.sink) && alignof(T) <= alignof(std::max_align_t));
    return new (parser.sink) T{std::forward<Args>(args)...};
  }
  return parser.arena->make<T>(std::forward<Args>(args)...);
}

// A new node of kind T, every field zeroed.
template <class T>
T* make_node(Parser& parser) {
  T* node = make_record<T>(parser);
  node->kind = T::kKind;
  return node;
}

// ---- Core (core.cpp) ----

// Reads the first two tokens. The arena receives every node of the parse.
Parser parser_new(lexer::Lexer lexer, Arena& arena);
// Lexes the next chunk of tokens, the current one carried to its front.
void refill(Parser& parser);
// Inline: it is the parser's most frequent step, and inline it is a few
// moves; only the refill is a call.
inline void advance(Parser& parser) {
  // The lexer gives end of input also for a character that starts no token;
  // nothing after it is read, so a statement that ends on it ends the parse.
  parser.current = parser.next;
  parser.current_kind = parser.next_kind;
  if (parser.next_kind == lexer::TokenKind::Eof) return;
  if (++parser.next == parser.window.end) [[unlikely]] refill(parser);
  parser.next_kind = parser.next->kind;
}
// Where the current token stands (lines and columns are counted on demand).
inline lexer::Place current_place(Parser& parser) { return parser.lexer.place_of(*parser.current); }
bool token_equals(const lexer::Token& token, const lexer::Token& fixed);

// Statements from the current token up to the end of the text (also the
// body of a module declared without braces).
StmtList parse_program(Parser& parser);

const Stmt* parse_statement(Parser& parser);

// The loop of parse_program and parse_block: statements until `stop` holds
// for the current token or the text ends, each one read handed to `take`
// (a statement that fails is skipped).
template <class Stop, class Take>
void statement_loop(Parser& parser, Stop stop, Take take) {
  while (parser.current_kind != lexer::TokenKind::Eof && !stop(parser.current_kind)) {
    if (const Stmt* stmt = parse_statement(parser)) take(stmt);
    advance(parser);
  }
}
// Entered on the token before the block; ends on the block's terminator.
StmtList parse_block(Parser& parser);
// Entered on "("; ends on ")".
std::optional<Seq<Param>> parse_params(Parser& parser);
std::optional<Param> parse_param(Parser& parser);
std::optional<TypeRef> parse_type(Parser& parser);

// Texts and spans copied into the tree's arena (a text stays a view of the
// token when no tree is built).
inline Text keep_text(Parser& parser, std::string_view text) {
  return parser.build_tree ? parser.arena->copy(text) : text;
}
// A list copied into the tree's arena.
template <class T>
Seq<T> keep_list(Parser& parser, Seq<T> items) {
  if (!parser.build_tree) return {};
  return parser.arena->copy_list(items);
}
NodeSpan keep_span(Parser& parser, const lexer::Place& span);

// A set of token kinds whose test is one load and one branch, however many
// kinds it holds.
class KindSet {
 public:
  constexpr KindSet(std::initializer_list<lexer::TokenKind> kinds) {
    for (lexer::TokenKind kind : kinds) in_[static_cast<std::size_t>(kind)] = true;
  }
  constexpr bool operator()(lexer::TokenKind kind) const { return in_[static_cast<std::size_t>(kind)]; }

 private:
  std::array<bool, lexer::kTokenKindCount> in_{};
};

inline bool current_is(const Parser& parser, lexer::TokenKind kind) {
  return parser.current_kind == kind;
}
inline bool next_is(const Parser& parser, lexer::TokenKind kind) {
  return parser.next_kind == kind;
}
// Readers of one token, for the reads that either match or fail the
// construct. Each steps once when its token is of `kind` and not at all
// otherwise: `expect` tests the current token and steps past it,
// `expect_next` tests the next one and steps onto it (so that a construct
// closed by it ends on its last token).
inline bool expect(Parser& parser, lexer::TokenKind kind) {
  if (parser.current_kind != kind) return false;
  advance(parser);
  return true;
}
inline bool expect_next(Parser& parser, lexer::TokenKind kind) {
  if (parser.next_kind != kind) return false;
  advance(parser);
  return true;
}
// The current token's text, kept, when it is of `kind`; none otherwise. The
// parser stays on the token: what follows a name is often told by the token
// after it.
inline std::optional<Text> expect_text(Parser& parser, lexer::TokenKind kind) {
  if (parser.current_kind != kind) return std::nullopt;
  return keep_text(parser, parser.current->text);
}
inline std::optional<Text> expect_identifier(Parser& parser) {
  return expect_text(parser, lexer::TokenKind::Identifier);
}
// "{", "yap" or "do", one of which a block may open with.
inline bool is_block_opener(lexer::TokenKind kind) {
  using lexer::TokenKind;
  return kind == TokenKind::LeftBrace || kind == TokenKind::Yap || kind == TokenKind::Do;
}
// Steps onto a ";" that follows the construct just read.
inline void skip_semicolon(Parser& parser) {
  if (next_is(parser, lexer::TokenKind::Semicolon)) advance(parser);
}

// ---- Statements (statements.cpp) ----

// ---- Expressions (expressions.cpp) ----

const Expr* parse_expression(Parser& parser, std::uint8_t min_precedence);
// Entered on "("; the inner expression itself or a Tuple; ends on ")".
const Expr* parse_paren(Parser& parser);
// Entered on "["; ends on "]".
const Expr* parse_list_literal(Parser& parser);
// Entered on "("; ends on ")".
std::optional<ExprList> parse_call_args(Parser& parser);

// ---- Embedded, task and publish/subscribe statements (embedded.cpp) ----
// Each is entered on its keyword.

// Entered on "hal", "dsk" or "donanım_soyutlama_katmanı" (after "kullan"/"use").
const Stmt* parse_use_hal(Parser& parser);
const Stmt* parse_participant(Parser& parser);
const Stmt* parse_topic(Parser& parser);
const Stmt* parse_publisher(Parser& parser);
const Stmt* parse_subscriber(Parser& parser);
// "task"/"görev": a task configuration or a task method.
const Stmt* parse_task(Parser& parser);
const Stmt* parse_on_event(Parser& parser);
const Stmt* parse_emit(Parser& parser);
// Entered on "("; any other token gives the empty list. Never fails.
Seq<QosPolicy> parse_qos(Parser& parser);

// ---- Match, patterns and special expressions (special.cpp) ----
// Each expression form is entered on its first token.

const Expr* parse_match(Parser& parser);
// Ends on the first token after the pattern.
std::optional<Pattern> parse_pattern(Parser& parser);
const Expr* parse_if_expression(Parser& parser);
// Entered on a peripheral word ("gpio", "uart", ... "dma").
const Expr* parse_hardware_call(Parser& parser);
const Expr* parse_asm(Parser& parser);
const Expr* parse_panic(Parser& parser);
// Entered on "?" with the operand before it; ends on "?".
const Expr* parse_try(Parser& parser, const Expr* operand);

// ---- Use, import, export and attributes (modules.cpp) ----

const Stmt* parse_use(Parser& parser);
const Stmt* parse_import(Parser& parser);
const Stmt* parse_export(Parser& parser);
// Entered on "#".
const Stmt* parse_attribute(Parser& parser);
// Entered on the first token after "("; ends on ")".
std::optional<Seq<AttrArg>> parse_attr_args(Parser& parser);

}  // namespace qosa::parser
