// The front end's entry for whole documents: lex and parse one text and hand
// back the statements together with the arena that owns them.
//
// There are two parses. The server runs only parse_source_released (for
// diagnostics with a StatementCache per document): it runs on every keystroke
// and nothing in the server reads a tree, so it builds none and releases
// each statement at once. parse_source builds the tree: it is the language's
// parser, the one the tests read through tree dumps, and the released parse
// goes step for step as it does, so it counts the statements of that tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "parser/arena.h"
#include "parser/ast.h"

namespace qosa::parser {

struct ParseResult {
  std::unique_ptr<Arena> arena;  // owns every node of `statements`
  StmtList statements;
};

// Lexes `text` (valid UTF-8) as "<stdin>" with flag 0 and parses the program.
ParseResult parse_source(std::string_view text);

// The same parse for callers that never read the tree: one top-level
// statement at a time, each released as soon as it is read, in an arena kept
// by the thread between calls. Memory is that of the largest statement, not
// of the whole tree, and a warm caller takes none from the system.
// Returns how many statements parse_source would give.
std::size_t parse_source_released(std::string_view text);

// What a released parse of a text keeps for the next version of the same
// document: runs of top-level statements, each with where it starts and the
// bytes its parse depended on (from its first token to as far as the lexer
// had looked when its last statement ended; from the text's start for the
// first run), as a hash. A run whose bytes come back unchanged, where they
// were or shifted by an edit before them, with its first token on the same
// column, parses to the same statements again (their lines shifted), so it
// is not parsed again: a keystroke re-reads only the statements around it.
// A run grows until it spans `run_bytes`, so that the cache stays a small
// fraction of the text however dense its statements.
class StatementCache {
 public:
  struct Entry {
    std::size_t region_start;  // first byte the run depends on
    std::size_t start;         // its first token
    std::size_t reach;         // one past the last byte it depends on
    bool to_end;               // the lexer looked at the end of the text
    std::uint32_t statements;  // how many of its statements gave one
    std::uint64_t line;        // of its first token
    std::uint64_t column;
    std::uint64_t hash;        // of the bytes [region_start, reach)
  };

  explicit StatementCache(std::size_t run_bytes = 256) : run_bytes_(run_bytes) {}

  const std::vector<Entry>& entries() const { return entries_; }

 private:
  friend std::size_t parse_source_released(std::string_view text, StatementCache& cache);
  std::size_t run_bytes_;
  std::vector<Entry> entries_;
  std::vector<Entry> building_;
  std::size_t text_size_ = 0;
};

// parse_source_released for a new version of the text `cache` was last
// used with (or any text: the cache checks what it reuses). The same count
// as parse_source_released(text).
std::size_t parse_source_released(std::string_view text, StatementCache& cache);

}  // namespace qosa::parser
