#include "parser/source.h"

#include "parser/parser.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "support/hash.h"

namespace qosa::parser {

ParseResult parse_source(std::string_view text) {
  ParseResult result{std::make_unique<Arena>(), {}};
  Parser parser = parser_new(lexer::lexer_new(text, lexer::SourceName{"<stdin>", 0}), *result.arena);
  result.statements = parse_program(parser);
  return result;
}

namespace {

// The thread's arena for parses that release each statement at once.
Arena& released_arena() {
  thread_local Arena arena;
  arena.clear();
  return arena;
}

// A parser that builds no tree: the released parses only count statements.
Parser counting(Parser parser) {
  parser.build_tree = false;
  return parser;
}

Parser parser_at(std::string_view text, Arena& arena) {
  return counting(parser_new(lexer::lexer_new(text, lexer::SourceName{"<stdin>", 0}), arena));
}

// Nothing refers to a statement once read, so its nodes may go at once; they
// go together with those of the statements before it once they fill a page
// or so, which keeps small statements from paying for the release each.
void release_statement(Parser& parser, Arena& arena) {
  constexpr std::size_t kept_bytes = 16 << 10;
  if (!arena.holds_more_than(kept_bytes)) return;
  arena.clear();
  parser.file_name = keep_text(parser, parser.lexer.source().name);
}

}  // namespace

std::size_t parse_source_released(std::string_view text) {
  Arena& arena = released_arena();
  Parser parser = parser_at(text, arena);
  std::size_t statements = 0;
  statement_loop(
      parser, [](lexer::TokenKind) { return false; },
      [&](const Stmt*) {
        ++statements;
        release_statement(parser, arena);
      });
  return statements;
}

std::size_t parse_source_released(std::string_view text, StatementCache& cache) {
  using Entry = StatementCache::Entry;
  const std::vector<Entry>& old = cache.entries_;
  std::vector<Entry>& out = cache.building_;
  out.clear();
  std::size_t statements = 0;

  // Whether `e` of the old text holds in the new one, its bytes `shift`
  // further on; if so it joins the new entries, its lines moved by `lines`.
  const auto shift = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(cache.text_size_);
  auto reuse = [&](const Entry& e, std::ptrdiff_t by, std::int64_t lines) {
    const auto begin = static_cast<std::ptrdiff_t>(e.region_start) + by;
    const auto end = static_cast<std::ptrdiff_t>(e.reach) + by;
    if (begin < 0 || end > static_cast<std::ptrdiff_t>(text.size())) return false;
    if (e.to_end != (end == static_cast<std::ptrdiff_t>(text.size()))) return false;
    const auto b = static_cast<std::size_t>(begin);
    if (support::hash_bytes(text.substr(b, static_cast<std::size_t>(end) - b)) != e.hash) return false;
    Entry moved = e;
    moved.region_start = b;
    moved.start = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(e.start) + by);
    moved.reach = static_cast<std::size_t>(end);
    moved.line = static_cast<std::uint64_t>(static_cast<std::int64_t>(e.line) + lines);
    out.push_back(moved);
    statements += e.statements;
    return true;
  };
  // The run being read by the parser; its hash is taken when it is complete.
  std::optional<Entry> open;
  auto close = [&] {
    if (!open) return;
    open->hash = support::hash_bytes(text.substr(open->region_start, open->reach - open->region_start));
    out.push_back(*open);
    open.reset();
  };
  auto finish = [&] {
    close();
    cache.entries_.swap(out);
    cache.text_size_ = text.size();
    return statements;
  };

  // The statements before the edit, where they were.
  std::size_t k = 0;
  while (k < old.size() && reuse(old[k], 0, 0)) ++k;
  if (k == old.size() && !old.empty()) return finish();

  Arena& arena = released_arena();
  Parser parser = parser_at(text, arena);
  if (k > 0) {
    parser.lexer.resume_at(old[k].start, old[k].line, old[k].column);
    parser = counting(parser_new(std::move(parser.lexer), arena));
  }
  while (parser.current_kind != lexer::TokenKind::Eof) {
    const std::size_t at = parser.current->offset;
    // The statements after the edit: one of the old text starts here, moved
    // by the edit's change of length, on the same column?
    const auto old_start = static_cast<std::ptrdiff_t>(at) - shift;
    const auto found = std::lower_bound(old.begin(), old.end(), old_start, [](const Entry& e, std::ptrdiff_t v) {
      return static_cast<std::ptrdiff_t>(e.start) < v;
    });
    std::optional<lexer::Place> place;  // of the current token, counted when needed
    auto current = [&]() -> const lexer::Place& {
      if (!place) place = current_place(parser);
      return *place;
    };
    if (found != old.end() && static_cast<std::ptrdiff_t>(found->start) == old_start &&
        found->column == current().column) {
      const auto lines = static_cast<std::int64_t>(current().line) - static_cast<std::int64_t>(found->line);
      close();
      auto m = found;
      while (m != old.end() && reuse(*m, shift, lines)) ++m;
      if (m == old.end()) return finish();
      if (m != found) {
        // Parse again from the first one that changed.
        parser.lexer.resume_at(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(m->start) + shift),
                               static_cast<std::uint64_t>(static_cast<std::int64_t>(m->line) + lines),
                               m->column);
        parser = counting(parser_new(std::move(parser.lexer), arena));
        continue;
      }
    }
    if (!open || at - open->start >= cache.run_bytes_) {
      close();
      open = Entry{};
      open->region_start = out.empty() ? 0 : at;
      open->start = at;
      open->line = current().line;
      open->column = current().column;
    }
    const Stmt* stmt = parse_statement(parser);
    const std::size_t reach = lexer::reach_of(*parser.next);
    open->reach = std::min(reach, text.size());
    open->to_end = reach >= text.size();
    open->statements += stmt != nullptr;
    statements += stmt != nullptr;
    advance(parser);
    release_statement(parser, arena);
  }
  return finish();
}

}  // namespace qosa::parser
