#include "features/symbols.h"

#include <array>
#include <charconv>

#include "features/words.h"
#include "lsp/lines.h"
#include "support/columns.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

std::string_view slice_from_char(std::string_view text, std::size_t n) {
  const auto at = byte_offset_of_char(text, n);
  return at ? text.substr(*at) : std::string_view();
}

std::optional<std::size_t> char_index_of(std::string_view text, char c) {
  const std::size_t at = text.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  return support::count_chars(text.substr(0, at));
}

std::string_view char_substring(std::string_view text, std::size_t a, std::size_t b) {
  if (b <= a) return {};
  const std::string_view from = slice_from_char(text, a);
  return from.substr(0, byte_offset_of_char(from, b - a).value_or(from.size()));
}

namespace {

// The first maximal run of characters that are not white space; none when
// there is none.
std::optional<std::string_view> first_word(std::string_view text) {
  text = support::trim_start(text);
  if (text.empty()) return std::nullopt;
  std::size_t end = 0;
  while (end < text.size()) {
    const auto d = support::decode_utf8(text, end);
    if (support::is_white_space(d.code_point)) break;
    end += d.length;
  }
  return text.substr(0, end);
}

// One symbol-making line: its text, its index and the scratch buffer that
// lowercasing reuses from line to line.
struct SymbolLine {
  std::string_view text;
  std::uint32_t index;
  std::string& lower;

  Range whole() const {
    return {{index, 0}, {index, static_cast<std::uint32_t>(support::utf16_of_byte_offset(text, text.size()))}};
  }

  // The range of the first occurrence of `name` in the line, wherever it stands.
  Range first_occurrence(std::string_view name) const {
    const std::size_t at = text.find(name);
    return {{index, static_cast<std::uint32_t>(support::utf16_of_byte_offset(text, at))},
            {index, static_cast<std::uint32_t>(support::utf16_of_byte_offset(text, at + name.size()))}};
  }
};

constexpr std::array<std::string_view, 3> function_keywords{"fonksiyon", "işlev", "function"};

std::optional<SymbolRecord> function_symbol(const SymbolLine& line) {
  support::to_lower(line.text, line.lower);
  const std::string_view lower = line.lower;
  std::size_t at = std::string_view::npos;
  std::string_view keyword;
  for (std::string_view kw : function_keywords) {
    at = lower.find(kw);
    if (at != std::string_view::npos) {
      keyword = kw;
      break;
    }
  }
  if (keyword.empty()) return std::nullopt;
  // Counted in the lowercased text, which can hold more characters than the
  // line (a capital "İ" lowercases to two).
  const std::size_t k = support::count_chars(lower.substr(0, at)) + support::count_chars(keyword);
  const std::string_view after = support::trim_start(slice_from_char(line.text, k));

  const auto open = char_index_of(after, '(');
  if (!open) return std::nullopt;
  const std::string_view name = support::trim(char_substring(after, 0, *open));
  if (name.empty()) return std::nullopt;
  const auto close = char_index_of(after, ')');  // may stand before the "("
  if (!close) return std::nullopt;
  const std::string_view params = char_substring(after, *open + 1, *close);

  std::string detail(name);
  detail += '(';
  detail += params;
  detail += ')';
  if (const std::size_t arrow = after.find("->"); arrow != std::string_view::npos) {
    const auto ret = first_word(support::trim(after.substr(arrow + 2)));
    if (!ret) return std::nullopt;
    detail += " -> ";
    detail += *ret;
  }
  // The name is taken to stand one character after the keyword, whatever
  // the separation.
  const std::size_t name_start = k + 1;
  const std::size_t name_end = name_start + support::count_chars(name);
  const auto column = [&](std::size_t chars) {
    return static_cast<std::uint32_t>(support::utf16_of_char_index(line.text, chars));
  };
  return SymbolRecord{std::string(name), std::move(detail), line.whole(),
                      {{line.index, column(name_start)}, {line.index, column(name_end)}},
                      SymbolKind::function};
}

// A keyword that starts a trimmed line, compared lowercased, and how many
// characters of the line it takes.
struct LeadingKeyword {
  std::string_view lower_prefix;
  std::size_t characters;
  SymbolKind kind;
};

constexpr std::array<LeadingKeyword, 7> variable_keywords{{
    {"değişken", 8, SymbolKind::variable},
    {"degisken", 8, SymbolKind::variable},
    {"variable", 8, SymbolKind::variable},
    {"sabit", 5, SymbolKind::constant},
    {"let ", 3, SymbolKind::variable},
    {"const ", 5, SymbolKind::constant},
    {"izin", 4, SymbolKind::variable},
}};

constexpr std::array<LeadingKeyword, 5> struct_keywords{{
    {"yapı", 4, SymbolKind::struct_},
    {"yapi", 4, SymbolKind::struct_},
    {"struct", 6, SymbolKind::struct_},
    {"tip ", 3, SymbolKind::struct_},
    {"type ", 4, SymbolKind::struct_},
}};

// Every prefix tested has at most 8 characters, and lowercasing maps one
// character at a time, so the first 8 characters of the trimmed line decide.
constexpr std::size_t longest_prefix = 8;

// The row of `keywords` whose prefix starts the lowercased trimmed line,
// and the rest of that line after its keyword, leading white space removed.
template <std::size_t N>
std::optional<std::pair<const LeadingKeyword*, std::string_view>> leading_keyword(
    const std::array<LeadingKeyword, N>& keywords, std::string_view trimmed, std::string_view lower_head) {
  for (const LeadingKeyword& row : keywords) {
    if (lower_head.starts_with(row.lower_prefix)) {
      return std::pair{&row, support::trim_start(slice_from_char(trimmed, row.characters))};
    }
  }
  return std::nullopt;
}

// The characters of `text` before its first `c`, trimmed; none without a `c`.
std::optional<std::string_view> before(std::string_view text, char c) {
  const auto at = char_index_of(text, c);
  if (!at) return std::nullopt;
  return support::trim(char_substring(text, 0, *at));
}

std::optional<SymbolRecord> variable_symbol(const SymbolLine& line, std::string_view trimmed,
                                            std::string_view lower_head) {
  const auto found = leading_keyword(variable_keywords, trimmed, lower_head);
  if (!found) return std::nullopt;
  const auto [row, rest] = *found;
  const auto colon = char_index_of(rest, ':');
  std::optional<std::string_view> name = before(rest, ':');
  if (!name) name = before(rest, '=');
  if (!name) name = first_word(rest);
  if (!name || name->empty()) return std::nullopt;

  std::string detail(*name);
  if (colon) {
    const std::string_view type_text = slice_from_char(rest, *colon + 1);
    detail += ": ";
    detail += support::trim(before(type_text, '=').value_or(type_text));
  }
  return SymbolRecord{std::string(*name), std::move(detail), line.whole(), line.first_occurrence(*name),
                      row->kind};
}

std::optional<SymbolRecord> struct_symbol(const SymbolLine& line, std::string_view trimmed,
                                          std::string_view lower_head) {
  const auto found = leading_keyword(struct_keywords, trimmed, lower_head);
  if (!found) return std::nullopt;
  const std::string_view rest = found->second;
  std::optional<std::string_view> name = before(rest, '=');
  if (!name) name = before(rest, '{');
  if (!name) name = first_word(rest);
  if (!name || name->empty()) return std::nullopt;
  return SymbolRecord{std::string(*name), "struct " + std::string(*name), line.whole(),
                      line.first_occurrence(*name), SymbolKind::struct_};
}

// The symbols of one line, in the order function, variable or constant, structure.
template <class Fn>
void line_symbols(const SymbolLine& line, std::string& lower_head, Fn&& emit) {
  const std::string_view trimmed = support::trim(line.text);
  if (trimmed.starts_with("//") || trimmed.starts_with("/*")) return;
  if (auto symbol = function_symbol(line)) emit(std::move(*symbol));
  const std::string_view head =
      trimmed.substr(0, byte_offset_of_char(trimmed, longest_prefix).value_or(trimmed.size()));
  support::to_lower(head, lower_head);
  if (auto symbol = variable_symbol(line, trimmed, lower_head)) emit(std::move(*symbol));
  if (auto symbol = struct_symbol(line, trimmed, lower_head)) emit(std::move(*symbol));
}

template <class Fn>
void for_each_symbol(std::string_view text, Fn&& emit) {
  std::string lower;
  std::string lower_head;
  LineCursor lines(text);
  std::uint32_t index = 0;
  while (const auto line = lines.next()) {
    line_symbols(SymbolLine{line->content, index, lower}, lower_head, emit);
    ++index;
  }
}

void append_uint(std::string& out, std::uint64_t v) {
  char digits[20];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
}

void append_position(std::string& out, const Position& p) {
  out += R"({"character":)";
  append_uint(out, p.character);
  out += R"(,"line":)";
  append_uint(out, p.line);
  out += '}';
}

void append_range(std::string& out, const Range& r) {
  out += R"({"end":)";
  append_position(out, r.end);
  out += R"(,"start":)";
  append_position(out, r.start);
  out += '}';
}

}  // namespace

void document_symbol_json(std::string& out, const SymbolRecord& record) {
  out += R"({"detail":)";
  if (record.detail) {
    support::append_json_string(out, *record.detail);
  } else {
    out += "null";
  }
  out += R"(,"kind":)";
  append_uint(out, static_cast<std::uint64_t>(record.kind));
  out += R"(,"name":)";
  support::append_json_string(out, record.name);
  out += R"(,"range":)";
  append_range(out, record.range);
  out += R"(,"selectionRange":)";
  append_range(out, record.selection_range);
  out += '}';
}

std::vector<SymbolRecord> document_symbols(std::string_view text) {
  std::vector<SymbolRecord> all;
  for_each_symbol(text, [&](SymbolRecord&& symbol) { all.push_back(std::move(symbol)); });
  return all;
}

JsonResult handle_document_symbols(std::string_view text) {
  std::string out = "[";
  for_each_symbol(text, [&](SymbolRecord&& symbol) {
    if (out.size() > 1) out += ',';
    document_symbol_json(out, symbol);
  });
  out += ']';
  return JsonResult::written(std::move(out));
}

JsonResult document_symbols_request(const boost::json::value& params, const DocumentSnapshot& snapshot) {
  const auto uri = raw_uri(params);
  const auto text = uri ? snapshot.text(*uri) : std::nullopt;
  if (!text) return JsonResult(nullptr);
  return handle_document_symbols(*text);
}

}  // namespace qosa::lsp
