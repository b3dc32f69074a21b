#include "features/diagnostics.h"

#include <cstdint>
#include <string>
#include <unordered_map>

#include "parser/source.h"

namespace qosa::lsp {

namespace {

struct BraceCount {
  std::uint64_t open = 0;
  std::uint64_t close = 0;
};

// One pass over the bytes; braces inside strings and comments count too.
BraceCount count_braces(std::string_view text) {
  BraceCount count;
  for (char c : text) {
    count.open += c == '{';
    count.close += c == '}';
  }
  return count;
}

// What the last parse of each document kept, so that a change re-reads only
// the statements it touched. A few documents at most: the cache checks what
// it reuses, so a document that lost its entry is only parsed in full again.
parser::StatementCache& statement_cache(std::string_view uri) {
  static std::unordered_map<std::string, parser::StatementCache> caches;
  constexpr std::size_t kept_documents = 16;
  auto it = caches.find(std::string(uri));
  if (it != caches.end()) return it->second;
  if (caches.size() >= kept_documents) caches.erase(caches.begin());
  return caches[std::string(uri)];
}

}  // namespace

std::vector<Diagnostic> compute_diagnostics(std::string_view uri, std::string_view text) {
  // The front end runs over every version of the text; nothing it finds is
  // reported yet, so each statement is released unread as soon as it is
  // read, and statements a change did not touch are not read again.
  parser::parse_source_released(text, statement_cache(uri));
  std::vector<Diagnostic> diagnostics;
  const BraceCount braces = count_braces(text);
  if (braces.open > braces.close) {
    diagnostics.push_back(Diagnostic{
        .range = Range{{0, 0}, {0, 1}},
        .severity = 1,
        .source = "QOSA",
        .message = "Eksik kapatma parantezi: " + std::to_string(braces.open) + " açılış, " +
                   std::to_string(braces.close) + " kapanış",
    });
  }
  return diagnostics;
}

}  // namespace qosa::lsp
