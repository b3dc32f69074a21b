#include "features/definition.h"

#include <algorithm>
#include <string>

#include "features/tables.h"
#include "features/words.h"
#include "lsp/positions.h"
#include "parser/source.h"

namespace qosa::lsp {

namespace {

// First occurrence of `needle` in text[0, limit), or npos.
std::size_t find_before(std::string_view text, std::string_view needle, std::size_t limit) {
  return text.substr(0, limit).find(needle);
}

}  // namespace

std::optional<Range> find_declaration(std::string_view word, std::string_view text) {
  // Patterns hold no line break, so an occurrence in the text is one in a
  // line. The earliest occurrence of any pattern gives the line; each
  // pattern is searched only up to the end of the best line found so far.
  std::array<std::string, declaration_patterns.size()> patterns;
  std::size_t first = std::string_view::npos;
  std::size_t line_end = text.size();
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    const DeclarationPattern& p = declaration_patterns[i];
    patterns[i].reserve(p.keyword_part.size() + word.size() + 1);
    patterns[i].append(p.keyword_part).append(word);
    if (p.call) patterns[i] += '(';
    const std::size_t at = find_before(text, patterns[i], line_end);
    if (at >= first) continue;
    first = at;
    line_end = std::min(text.size(), text.find('\n', at));
  }
  if (first == std::string_view::npos) return std::nullopt;

  const std::size_t line_start = first == 0 ? 0 : text.rfind('\n', first - 1) + 1;  // npos + 1 is 0
  const std::string_view line = text.substr(line_start, line_end - line_start);
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    const std::size_t at = line.find(patterns[i]);
    if (at == std::string_view::npos) continue;
    const auto number = static_cast<std::uint32_t>(std::count(text.data(), text.data() + line_start, '\n'));
    const std::size_t name = at + declaration_patterns[i].keyword_part.size();
    Utf16Columns columns(line);
    const auto start = static_cast<std::uint32_t>(columns.column(name));
    const auto end = static_cast<std::uint32_t>(columns.column(name + word.size()));
    return Range{{number, start}, {number, end}};
  }
  return std::nullopt;  // not reached: the line holds the first occurrence
}

std::optional<Location> find_definition(std::string_view word, std::string_view text,
                                        std::string_view uri) {
  // The front end runs over every text the search reads; its tree is not consulted.
  parser::parse_source_released(text);
  const auto range = find_declaration(word, text);
  if (!range) return std::nullopt;
  auto parsed = Uri::parse(uri);
  if (!parsed) return std::nullopt;
  return Location{parsed->str(), *range};
}

std::optional<Location> goto_definition(std::string_view uri, std::uint32_t line, std::uint32_t character,
                                        std::string_view text) {
  const auto word = word_under_cursor(text, Position{line, character});
  if (!word) return std::nullopt;
  return find_definition(word->word, text, uri);
}

std::optional<Location> definition_request(const GotoDefinitionParams& params, std::string_view text) {
  return goto_definition(params.text_document.uri.str(), params.position.line, params.position.character, text);
}

}  // namespace qosa::lsp
