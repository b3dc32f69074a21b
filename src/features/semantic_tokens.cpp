#include "features/semantic_tokens.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <vector>

#include "features/words.h"
#include "lsp/lines.h"
#include "support/columns.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

constexpr std::uint32_t bit(TokenModifier m) { return 1u << static_cast<std::uint32_t>(m); }
constexpr std::uint32_t type_index(TokenType t) { return static_cast<std::uint32_t>(t); }

constexpr std::uint32_t public_class = bit(TokenModifier::public_);
constexpr std::uint32_t exportable_class = bit(TokenModifier::exportable);
constexpr std::uint32_t domestic_class = bit(TokenModifier::domestic_only);
constexpr std::uint32_t classified_class = bit(TokenModifier::classified);

}  // namespace

constexpr std::array<AnnotationWord, 17> semantic_annotation_table{{
    {"@public", public_class},
    {"@exportable", exportable_class},
    {"@domestic_only", domestic_class},
    {"@classified", classified_class},
    {"@halka_açık", public_class},
    {"@ihraç_edilebilir", exportable_class},
    {"@yurtiçi", domestic_class},
    {"@gizli", classified_class},
    {"@hal_safe", 0},
    {"@realtime", 0},
    {"@dma_safe", 0},
    {"@no_alloc", 0},
    {"@deadline", 0},
    {"@wcet", 0},
    {"@stack_limit", 0},
    {"@critical", classified_class},
    {"@certified", 0},
}};

constexpr std::array<std::string_view, 42> semantic_keywords{
    "fonksiyon", "değişken", "sabit",  "eğer",     "yoksa",     "iken",      "için",
    "dön",       "kır",      "devam",  "yap",      "son",       "yapı",      "tip",
    "modül",     "dışa_aktar", "içe_aktar", "kullan", "doğru",  "yanlış",    "boş",
    "function",  "let",      "const",  "if",       "else",      "while",     "for",
    "return",    "break",    "continue", "do",     "end",       "struct",    "type",
    "module",    "export",   "import", "use",      "true",      "false",     "null",
};

constexpr std::array<std::string_view, 19> semantic_operators{
    "==", "!=", "<=", ">=", "&&", "||", "->", "=>", "+", "-",
    "*",  "/",  "%",  "=",  "<",  ">",  "!",  "&",  "|",
};

namespace {

// Which words of a table can start with a byte: one bit per table row, so
// a scan tries only the few rows a position can begin, in table order.
template <std::size_t N>
struct FirstByteIndex {
  static_assert(N <= 64);
  std::array<std::uint64_t, 256> rows{};

  constexpr explicit FirstByteIndex(const std::array<std::string_view, N>& words) {
    for (std::size_t i = 0; i < N; ++i) rows[static_cast<unsigned char>(words[i][0])] |= 1ull << i;
  }
  std::uint64_t at(char b) const { return rows[static_cast<unsigned char>(b)]; }
};

constexpr FirstByteIndex<42> keyword_index(semantic_keywords);
constexpr FirstByteIndex<19> operator_index(semantic_operators);

// Calls fn(row) for each set bit, lowest row first.
template <class Fn>
void for_each_row(std::uint64_t rows, Fn&& fn) {
  while (rows != 0) {
    fn(static_cast<std::size_t>(std::countr_zero(rows)));
    rows &= rows - 1;
  }
}

// The words whose presence anywhere in a line decides the declaration
// passes, and where each first occurs.
enum DeclarationWord : std::size_t {
  w_fonksiyon, w_function, w_degisken, w_sabit, w_let, w_const, w_yapi, w_struct, w_tip, w_type,
  declaration_word_count,
};
constexpr std::array<std::string_view, declaration_word_count> declaration_words{
    "fonksiyon", "function", "değişken", "sabit", "let", "const", "yapı", "struct", "tip", "type",
};
constexpr FirstByteIndex<declaration_word_count> declaration_index(declaration_words);

struct Occurrences {
  std::array<std::size_t, declaration_word_count> first;
  bool contains(DeclarationWord w) const { return first[w] != std::string_view::npos; }
};

// First occurrence of each declaration word, in one pass over the line
// (plain substring tests, no word boundary).
Occurrences find_declaration_words(std::string_view line) {
  Occurrences found;
  found.first.fill(std::string_view::npos);
  std::uint64_t missing = (1ull << declaration_word_count) - 1;
  for (std::size_t i = 0; i < line.size() && missing != 0; ++i) {
    for_each_row(declaration_index.at(line[i]) & missing, [&](std::size_t w) {
      if (line.substr(i).starts_with(declaration_words[w])) {
        found.first[w] = i;
        missing &= ~(1ull << w);
      }
    });
  }
  return found;
}

// The text between the first occurrence of `keyword` (at `first`) and its
// second one, or the end of the line; trimmed, cut before the first of
// `stops`, and trimmed again. None unless it starts with an alphabetic
// character.
std::optional<std::string_view> declared_name(std::string_view line, std::string_view keyword,
                                              std::size_t first, std::string_view stops) {
  const std::size_t from = first + keyword.size();
  const std::size_t second = line.find(keyword, from);
  std::string_view text = support::trim(line.substr(from, second == std::string_view::npos ? std::string_view::npos : second - from));
  text = support::trim(text.substr(0, text.find_first_of(stops)));
  if (text.empty() || !support::is_alphabetic(support::decode_utf8(text, 0).code_point)) return std::nullopt;
  return text;
}

std::optional<std::string_view> variable_name(std::string_view line, const Occurrences& found) {
  for (DeclarationWord w : {w_degisken, w_sabit, w_let, w_const}) {
    if (found.contains(w)) return declared_name(line, declaration_words[w], found.first[w], ":=");
  }
  return std::nullopt;  // no "const" to take the text after
}

std::optional<std::string_view> function_name(std::string_view line, const Occurrences& found) {
  for (DeclarationWord w : {w_fonksiyon, w_function}) {
    if (found.contains(w)) return declared_name(line, declaration_words[w], found.first[w], "(");
  }
  return std::nullopt;
}

std::optional<std::string_view> struct_name(std::string_view line, const Occurrences& found) {
  for (DeclarationWord w : {w_yapi, w_struct, w_tip, w_type}) {
    if (found.contains(w)) return declared_name(line, declaration_words[w], found.first[w], "={ ");
  }
  return std::nullopt;
}

// A token of one line in bytes of the line; `order` is its rank in the
// order the passes produce them, which breaks ties of equal starts.
struct LineToken {
  std::size_t begin;
  std::size_t end;
  std::uint32_t type;
  std::uint32_t modifiers;
  std::uint32_t order;
};

bool may_precede_annotation(char32_t c) {
  return c == U'(' || c == U'[' || c == U',' || support::is_white_space(c);
}
bool may_follow_annotation(char32_t c) {
  return c == U'(' || c == U')' || c == U']' || c == U',' || support::is_white_space(c);
}

bool line_is_ascii(std::string_view line) {
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t chunk;
    std::memcpy(&chunk, line.data() + i, 8);
    if (chunk & 0x8080808080808080ull) return false;
  }
  for (; i < line.size(); ++i) {
    if (static_cast<unsigned char>(line[i]) >= 0x80) return false;
  }
  return true;
}

// The ten passes over one line, in bytes (the same hits as in characters:
// every word starts on a character boundary and compares byte for byte).
class LineScanner {
 public:
  explicit LineScanner(std::vector<LineToken>& tokens) : tokens_(tokens) {}

  void scan(std::string_view line) {
    line_ = line;
    tokens_.clear();
    annotations();
    keywords();
    declarations();
    strings();
    numbers();
    comment();
    operators();
    std::sort(tokens_.begin(), tokens_.end(), [](const LineToken& a, const LineToken& b) {
      return a.begin != b.begin ? a.begin < b.begin : a.order < b.order;
    });
  }

 private:
  void push(std::size_t begin, std::size_t end, TokenType type, std::uint32_t modifiers) {
    tokens_.push_back({begin, end, type_index(type), modifiers, static_cast<std::uint32_t>(tokens_.size())});
  }

  // A word never holds a second "@", so the hits of one word cannot overlap
  // and every "@" is a place to try them all.
  void annotations() {
    for (std::size_t at = line_.find('@'); at != std::string_view::npos; at = line_.find('@', at + 1)) {
      if (at > 0) {
        const char32_t before = support::decode_utf8(line_, previous_char_start(line_, at)).code_point;
        if (!may_precede_annotation(before)) continue;
      }
      const std::string_view rest = line_.substr(at);
      for (const AnnotationWord& word : semantic_annotation_table) {
        if (!rest.starts_with(word.text)) continue;
        const std::size_t end = at + word.text.size();
        if (end < line_.size() && !may_follow_annotation(support::decode_utf8(line_, end).code_point)) continue;
        push(at, end, TokenType::decorator, word.modifiers);
      }
    }
  }

  // A keyword hit with no identifier character on either side is exactly a
  // maximal identifier run equal to the keyword, since keywords are made of
  // identifier characters.
  void keywords() {
    constexpr std::size_t longest = 12;  // "dışa_aktar" in bytes
    IdentifierRuns runs(line_);
    while (const auto run = runs.next()) {
      const std::string_view word = line_.substr(run->begin, run->end - run->begin);
      if (word.size() > longest) continue;
      for_each_row(keyword_index.at(word[0]), [&](std::size_t row) {
        if (word == semantic_keywords[row]) push(run->begin, run->end, TokenType::keyword, 0);
      });
    }
  }

  void declared(std::optional<std::string_view> name, TokenType type, std::uint32_t modifiers) {
    if (!name) return;
    const std::size_t at = line_.find(*name);  // anywhere, also inside the keyword
    push(at, at + name->size(), type, modifiers);
  }

  void declarations() {
    const Occurrences found = find_declaration_words(line_);
    if (found.contains(w_fonksiyon) || found.contains(w_function)) {
      declared(function_name(line_, found), TokenType::function, bit(TokenModifier::declaration));
    }
    const bool variable = found.contains(w_degisken) || found.contains(w_let);
    const bool constant = found.contains(w_sabit) || found.contains(w_const);
    if (variable || constant) {
      const auto name = variable_name(line_, found);
      if (variable) declared(name, TokenType::variable, bit(TokenModifier::declaration));
      if (constant) {
        declared(name, TokenType::variable,
                 bit(TokenModifier::declaration) | bit(TokenModifier::readonly));
      }
    }
    declared(struct_name(line_, found), TokenType::struct_, bit(TokenModifier::declaration));
  }

  // A backslash escapes nothing; a string open at the line's end is no token.
  void strings() {
    std::size_t open = line_.find('"');
    while (open != std::string_view::npos) {
      const std::size_t close = line_.find('"', open + 1);
      if (close == std::string_view::npos) return;
      push(open, close + 1, TokenType::string, 0);
      open = line_.find('"', close + 1);
    }
  }

  void numbers() {
    std::size_t i = 0;
    while (i < line_.size()) {
      const auto b = static_cast<unsigned char>(line_[i]);
      if (b < 0x80 && (b < '0' || b > '9')) {
        ++i;
        continue;
      }
      const auto d = support::decode_utf8(line_, i);
      if (!support::is_numeric(d.code_point)) {
        i += d.length;
        continue;
      }
      std::size_t end = i + d.length;
      while (end < line_.size()) {
        const auto next = support::decode_utf8(line_, end);
        if (next.code_point != U'.' && !support::is_numeric(next.code_point)) break;
        end += next.length;
      }
      push(i, end, TokenType::number, 0);
      i = end;
    }
  }

  void comment() {
    const std::size_t at = line_.find("//");
    if (at != std::string_view::npos) push(at, line_.size(), TokenType::comment, 0);
  }

  // Each operator is scanned on its own: a hit resumes its own scan after
  // it ("===" holds one "=="), while other operators may hit the same
  // characters. At one position the rows are tried in table order.
  void operators() {
    std::array<std::size_t, semantic_operators.size()> resume{};
    for (std::size_t i = 0; i < line_.size(); ++i) {
      for_each_row(operator_index.at(line_[i]), [&](std::size_t row) {
        const std::string_view op = semantic_operators[row];
        if (i < resume[row] || !line_.substr(i).starts_with(op)) return;
        push(i, i + op.size(), TokenType::operator_, 0);
        resume[row] = i + op.size();
      });
    }
  }

  std::vector<LineToken>& tokens_;
  std::string_view line_;
};

// The ordered tokens of one line, in UTF-16 units of the line.
void to_wire(std::string_view line, std::uint32_t line_index, const std::vector<LineToken>& tokens,
             std::vector<SemanticToken>& out) {
  out.clear();
  const bool ascii = line_is_ascii(line);  // bytes are UTF-16 units there
  Utf16Columns columns(line);
  for (const LineToken& t : tokens) {
    std::uint64_t start = t.begin;
    std::uint64_t length = t.end - t.begin;
    if (!ascii) {
      start = columns.column(t.begin);
      length = support::utf16_of_byte_offset(line.substr(t.begin, t.end - t.begin), t.end - t.begin);
    }
    out.push_back({line_index, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length),
                   t.type, t.modifiers});
  }
}

// Runs the passes over every line and hands each line's ordered tokens to `fn`.
template <class Fn>
void for_each_line_tokens(std::string_view text, Fn&& fn) {
  std::vector<LineToken> scratch;
  std::vector<SemanticToken> wire;
  LineScanner scanner(scratch);
  LineCursor lines(text);
  std::uint32_t index = 0;
  while (const auto line = lines.next()) {
    scanner.scan(line->content);
    if (!scratch.empty()) {
      to_wire(line->content, index, scratch, wire);
      fn(std::span<const SemanticToken>(wire));
    }
    ++index;
  }
}

// Decimal digits of v at p; returns the end.
char* write_uint(char* p, std::uint32_t v) {
  if (v < 10) {
    *p = static_cast<char>('0' + v);
    return p + 1;
  }
  return std::to_chars(p, p + 10, v).ptr;
}

}  // namespace

std::optional<std::string> declared_variable_name(std::string_view line) {
  const auto name = variable_name(line, find_declaration_words(line));
  if (!name) return std::nullopt;
  return std::string(*name);
}

std::vector<SemanticToken> semantic_tokens(std::string_view text) {
  std::vector<SemanticToken> all;
  for_each_line_tokens(text, [&](std::span<const SemanticToken> line) {
    all.insert(all.end(), line.begin(), line.end());
  });
  return all;
}

SemanticTokenEncoder::SemanticTokenEncoder(std::string& out) : out_(out) { out_ += R"({"data":[)"; }

void SemanticTokenEncoder::append(std::span<const SemanticToken> ordered) {
  constexpr std::size_t most_per_token = 5 * 11;  // five numbers of up to 10 digits, with commas
  const std::size_t old = out_.size();
  out_.resize_and_overwrite(old + ordered.size() * most_per_token, [&](char* data, std::size_t) {
    char* p = data + old;
    for (const SemanticToken& t : ordered) {
      if (!first_) *p++ = ',';
      first_ = false;
      const bool same_line = t.line == prev_line_;
      p = write_uint(p, t.line - prev_line_);
      *p++ = ',';
      p = write_uint(p, same_line ? t.start - prev_start_ : t.start);
      *p++ = ',';
      p = write_uint(p, t.length);
      *p++ = ',';
      p = write_uint(p, t.token_type);
      *p++ = ',';
      p = write_uint(p, t.token_modifiers);
      prev_line_ = t.line;
      prev_start_ = t.start;
    }
    return static_cast<std::size_t>(p - data);
  });
}

void SemanticTokenEncoder::finish() { out_ += "]}"; }

std::string encode_semantic_tokens(std::span<const SemanticToken> ordered) {
  std::string out;
  SemanticTokenEncoder encoder(out);
  encoder.append(ordered);
  encoder.finish();
  return out;
}

JsonResult handle_semantic_tokens(const boost::json::value& params, const DocumentSnapshot& snapshot) {
  std::string out;
  SemanticTokenEncoder encoder(out);
  const auto uri = raw_uri(params);
  const auto text = uri ? snapshot.text(*uri) : std::nullopt;
  if (text) {
    out.reserve(text->size() + 64);
    for_each_line_tokens(*text, [&](std::span<const SemanticToken> line) { encoder.append(line); });
  }
  encoder.finish();
  return JsonResult::written(std::move(out));
}

}  // namespace qosa::lsp
