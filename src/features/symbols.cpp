#include "features/symbols.h"

#include <algorithm>
#include <array>

#include "features/words.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

std::string_view slice_from_char(std::string_view text, std::size_t n) {
  const auto at = byte_offset_of_char(text, n);
  return at ? text.substr(*at) : std::string_view();
}

namespace {

// The first maximal run of characters that are not white space; none when
// there is none.
std::optional<std::string_view> first_word(std::string_view text) {
  text = support::trim_start(text);
  if (text.empty()) return std::nullopt;
  return support::until_white_space(text);
}

// The bytes of `text` before its first `c`, trimmed; none without a `c`.
// (Bytes and characters cut alike: `c` is ASCII.)
std::optional<std::string_view> before(std::string_view text, char c) {
  const std::size_t at = text.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  return support::trim(text.substr(0, at));
}

// One line of the document: its text, its index and the buffers that
// lowercasing and the details reuse from line to line.
struct SymbolLine {
  std::string_view text;
  std::uint32_t index;
  std::string& lower;
  std::string& detail;

  // A symbol of this line whose selection is given in bytes of the line.
  SymbolRecord symbol(std::string_view name, SymbolKind kind, std::size_t begin, std::size_t end) const {
    Utf16Columns columns(text);
    const auto column = [&](std::size_t byte) { return static_cast<std::uint32_t>(columns.column(byte)); };
    const Range selection{{index, column(begin)}, {index, column(end)}};
    const Range line{{index, 0}, {index, column(text.size())}};
    return SymbolRecord{name, detail, line, selection, kind};
  }

  // The selection is the first occurrence of the name in the line, wherever
  // it stands (also inside the keyword).
  SymbolRecord at_first_occurrence(std::string_view name, SymbolKind kind) const {
    const std::size_t at = text.find(name);
    return symbol(name, kind, at, at + name.size());
  }
};

// By priority: the first of these that the lowercased line contains.
constexpr std::array<std::string_view, 3> function_keywords{"fonksiyon", "işlev", "function"};

// Letters whose presence in the lowercased line can be told from the line
// itself: each ASCII letter other than "i" and "k" comes only from itself or
// its capital, and "ş" only from "ş" or "Ş" ("i" also comes from "İ", "k"
// from the Kelvin sign, so those two are not looked at).
using Letters = std::uint32_t;
constexpr Letters letter(char32_t c) {
  if (c == U'ş') return Letters{1} << 26;
  if (c >= 'a' && c <= 'z' && c != 'i' && c != 'k') return Letters{1} << (c - 'a');
  return 0;
}

constexpr auto ascii_letters = [] {
  std::array<Letters, 256> table{};  // bytes of other characters hold none
  for (char32_t c = 'a'; c <= 'z'; ++c) table[c] = table[c - 0x20] = letter(c);
  return table;
}();

Letters ascii_letters_of(std::string_view line) {
  Letters found = 0;
  for (const char b : line) found |= ascii_letters[static_cast<unsigned char>(b)];
  return found;
}

// "ş" (C5 9F) or "Ş" (C5 9E).
bool holds_s_cedilla(std::string_view line) {
  for (std::size_t at = line.find('\xC5'); at != std::string_view::npos; at = line.find('\xC5', at + 1)) {
    if (at + 1 < line.size() && (line[at + 1] == '\x9E' || line[at + 1] == '\x9F')) return true;
  }
  return false;
}

// The letters a line must hold for each function keyword to occur in its
// lowercased form.
const std::array<Letters, function_keywords.size()> function_keyword_letters = [] {
  std::array<Letters, function_keywords.size()> out{};
  for (std::size_t row = 0; row < function_keywords.size(); ++row) {
    const std::string_view kw = function_keywords[row];
    for (std::size_t i = 0; i < kw.size();) {
      const auto d = support::decode_utf8(kw, i);
      out[row] |= letter(d.code_point);
      i += d.length;
    }
  }
  return out;
}();

// Most lines cannot hold a function keyword once lowercased, and are not
// lowercased at all.
bool may_hold_function_keyword(std::string_view line) {
  constexpr Letters s_cedilla = letter(U'ş');
  const Letters ascii = ascii_letters_of(line);
  return std::ranges::any_of(function_keyword_letters, [&](Letters need) {
    if ((ascii & need & ~s_cedilla) != (need & ~s_cedilla)) return false;
    return !(need & s_cedilla) || holds_s_cedilla(line);
  });
}

// Where the function keyword of highest priority first occurs in `lower`,
// and which it is.
std::optional<std::pair<std::size_t, std::string_view>> find_function_keyword(std::string_view lower) {
  for (std::string_view kw : function_keywords) {
    if (const std::size_t at = lower.find(kw); at != std::string_view::npos) return std::pair{at, kw};
  }
  return std::nullopt;
}

// Lowercasing maps every character to one character, ASCII letters to
// ASCII letters and other characters to non-ASCII ones, except "İ" (to two
// characters) and the Kelvin sign (to "k"); and only "Ş" and "ş" give "ş".
// So on a line without those two, the function keywords stand in the
// lowercased line where they stand in the line with its ASCII capitals and
// "Ş" folded, at the same bytes and characters.
bool folding_finds_keywords(std::string_view line) {
  return line.find("\xC4\xB0") == std::string_view::npos && line.find("\xE2\x84\xAA") == std::string_view::npos;
}

// ASCII capitals lowered, "Ş" (C5 9E) made "ş" (C5 9F); nothing else changed.
void fold_keyword_letters(std::string_view line, std::string& out) {
  // The size the callback is given may exceed the size asked for (GCC 12).
  const std::size_t n = line.size();
  out.resize_and_overwrite(n, [&](char* p, std::size_t) {
    unsigned char previous = 0;
    for (std::size_t i = 0; i < n; ++i) {
      auto b = static_cast<unsigned char>(line[i]);
      if (static_cast<unsigned>(b - 'A') < 26u) {
        b += 'a' - 'A';
      } else if (b == 0x9E && previous == 0xC5) {
        b = 0x9F;
      }
      previous = static_cast<unsigned char>(line[i]);
      p[i] = static_cast<char>(b);
    }
    return n;
  });
}

std::optional<SymbolRecord> function_symbol(const SymbolLine& line) {
  if (!may_hold_function_keyword(line.text)) return std::nullopt;
  if (folding_finds_keywords(line.text)) {
    fold_keyword_letters(line.text, line.lower);
  } else {
    support::to_lower(line.text, line.lower);
  }
  const auto found = find_function_keyword(line.lower);
  if (!found) return std::nullopt;
  const auto [at, keyword] = *found;
  // Counted in the lowercased text, which can hold more characters than the
  // line (a capital "İ" lowercases to two).
  const std::size_t k = support::count_chars(std::string_view(line.lower).substr(0, at)) +
                        support::count_chars(keyword);
  const std::string_view after = support::trim_start(slice_from_char(line.text, k));

  const std::size_t open = after.find('(');
  if (open == std::string_view::npos) return std::nullopt;
  const std::string_view name = support::trim(after.substr(0, open));
  if (name.empty()) return std::nullopt;
  const std::size_t close = after.find(')');  // may stand before the "("
  if (close == std::string_view::npos) return std::nullopt;
  const std::string_view params = close > open + 1 ? after.substr(open + 1, close - open - 1) : "";

  std::string& detail = line.detail;
  detail = name;
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
  // the separation; that column may lie past the line's end.
  const std::size_t name_start = k + 1;
  const std::size_t name_end = name_start + support::count_chars(name);
  const auto column = [&](std::size_t chars) {
    return static_cast<std::uint32_t>(utf16_of_char_index(line.text, chars));
  };
  const auto line_end = static_cast<std::uint32_t>(utf16_size(line.text));
  const Range whole{{line.index, 0}, {line.index, line_end}};
  return SymbolRecord{name, detail, whole, {{line.index, column(name_start)}, {line.index, column(name_end)}},
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
// character at a time, so the first 8 characters of the trimmed line decide
// (the one mapping that looks at its neighbours, of a final capital sigma,
// concerns no character of the prefixes).
constexpr std::size_t longest_prefix = 8;

// The row of `keywords` whose prefix starts the lowercased trimmed line,
// and the rest of the trimmed line after its keyword, leading white space
// removed.
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

std::optional<SymbolRecord> variable_symbol(const SymbolLine& line, std::string_view trimmed,
                                          std::string_view lower_head) {
  const auto found = leading_keyword(variable_keywords, trimmed, lower_head);
  if (!found) return std::nullopt;
  const auto [row, rest] = *found;
  std::optional<std::string_view> name = before(rest, ':');
  if (!name) name = before(rest, '=');
  if (!name) name = first_word(rest);
  if (!name || name->empty()) return std::nullopt;

  std::string& detail = line.detail;
  detail = *name;
  if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
    const std::string_view type_text = rest.substr(colon + 1);
    detail += ": ";
    detail += support::trim(type_text.substr(0, type_text.find('=')));
  }
  return line.at_first_occurrence(*name, row->kind);
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
  line.detail = "struct ";
  line.detail += *name;
  return line.at_first_occurrence(*name, SymbolKind::struct_);
}

// The ASCII bytes that lowercase to the first letter of a declaration
// prefix. A line whose first character is another ASCII byte starts no
// declaration, and its head is not lowercased.
constexpr auto may_start_declaration = [] {
  std::array<bool, 128> table{};
  const auto mark = [&](const auto& rows) {
    for (const LeadingKeyword& row : rows) {
      const auto c = static_cast<unsigned char>(row.lower_prefix[0]);
      table[c] = table[c - 0x20] = true;
    }
  };
  mark(variable_keywords);
  mark(struct_keywords);
  return table;
}();

// The symbols of one line, in the order function, variable or constant, structure.
template <class Fn>
void line_symbols(const SymbolLine& line, std::string& lower_head, Fn&& emit) {
  const std::string_view start = support::trim_start(line.text);
  if (start.starts_with("//") || start.starts_with("/*")) return;
  if (auto symbol = function_symbol(line)) emit(*symbol);
  if (start.empty()) return;
  const auto first = static_cast<unsigned char>(start[0]);
  if (first < 0x80 && !may_start_declaration[first]) return;

  const std::string_view trimmed = support::trim_end(start);
  std::size_t head = 0;  // the first `longest_prefix` characters
  for (std::size_t n = 0; n < longest_prefix && head < trimmed.size(); ++n) {
    head += support::utf8_sequence_length(static_cast<unsigned char>(trimmed[head]));
  }
  support::to_lower(trimmed.substr(0, head), lower_head);
  if (auto symbol = variable_symbol(line, trimmed, lower_head)) emit(*symbol);
  if (auto symbol = struct_symbol(line, trimmed, lower_head)) emit(*symbol);
}

}  // namespace

void for_each_symbol(std::string_view text, support::FunctionRef<void(const SymbolRecord&)> fn) {
  std::string lower;
  std::string lower_head;
  std::string detail;
  LineCursor lines(text);
  std::uint32_t index = 0;
  while (const auto line = lines.next()) {
    line_symbols(SymbolLine{line->content, index, lower, detail}, lower_head, fn);
    ++index;
  }
}

DocumentSymbols handle_document_symbols(std::string_view text) { return {text}; }

DocumentSymbols document_symbols_request(const DocumentSymbolParams&, std::string_view text) {
  return handle_document_symbols(text);
}

}  // namespace qosa::lsp
