#include "features/semantic_tokens.h"

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <vector>

#include "features/byte_pair_index.h"
#include "features/words.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/search.h"
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
constexpr TwoByteIndex<declaration_word_count> declaration_index(declaration_words);

struct Occurrences {
  std::array<std::size_t, declaration_word_count> first;
  std::uint64_t missing = (1ull << declaration_word_count) - 1;  // rows not found yet

  Occurrences() { first.fill(std::string_view::npos); }
  bool contains(DeclarationWord w) const { return first[w] != std::string_view::npos; }

  // Records the declaration words that start at byte i of the line.
  void at(std::string_view line, std::size_t i) {
    for_each_row(declaration_index.at(line, i) & missing, [&](std::size_t w) {
      if (line.substr(i).starts_with(declaration_words[w])) {
        first[w] = i;
        missing &= ~(1ull << w);
      }
    });
  }
};

// First occurrence of each declaration word in the line (plain substring
// tests, no word boundary).
Occurrences find_declaration_words(std::string_view line) {
  Occurrences found;
  for (std::size_t i = 0; i < line.size() && found.missing != 0; ++i) found.at(line, i);
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

// The passes in their order; a token's rank among tokens of equal start is
// its pass and then its table row, which is the order the passes produce them.
enum class Pass : std::uint32_t {
  annotation = 1, keyword, function, variable, constant, structure, string, number, comment, operator_,
};

// A token of one line in bytes of the line; `key` orders the tokens of a
// line: by start, then by pass, then by table row.
struct LineToken {
  std::uint64_t key;
  std::size_t begin;
  std::size_t end;
  std::uint32_t type;
  std::uint32_t modifiers;
};

bool may_precede_annotation(char32_t c) {
  return c == U'(' || c == U'[' || c == U',' || support::is_white_space(c);
}
bool may_follow_annotation(char32_t c) {
  return c == U'(' || c == U')' || c == U']' || c == U',' || support::is_white_space(c);
}

// What an ASCII byte can start or continue, for the one walk over a line.
enum AsciiClass : std::uint8_t {
  identifier = 1,         // letters, digits, "_"
  digit = 2,              // starts a number
  declaration_start = 4,  // first byte of a declaration word
  operator_start = 8,     // first byte of an operator
  quote = 16,
  at_sign = 32,
};
constexpr auto ascii_class = [] {
  std::array<std::uint8_t, 128> table{};
  for (char c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = identifier | digit;
  for (char c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = identifier;
  for (char c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = identifier;
  table['_'] = identifier;
  for (std::string_view w : declaration_words) table[static_cast<std::size_t>(w[0])] |= declaration_start;
  for (std::string_view op : semantic_operators) table[static_cast<std::size_t>(op[0])] |= operator_start;
  table['"'] = quote;
  table['@'] = at_sign;
  return table;
}();

constexpr TwoByteIndex<42> keyword_index(semantic_keywords);

// The two-character operators lead the table; a one-character operator's
// hits never overlap, so only these need to know where their scan goes on.
constexpr std::size_t two_character_operators = 8;
static_assert([] {
  for (std::size_t row = 0; row < semantic_operators.size(); ++row) {
    if (semantic_operators[row].size() != (row < two_character_operators ? 2u : 1u)) return false;
  }
  return true;
}());
constexpr std::size_t longest_keyword = 12;  // "dışa_aktar" in bytes
constexpr std::size_t shortest_keyword = 2;

// The ten passes over one line, in one walk over its bytes. Bytes give the
// same hits as characters: every word starts on a character boundary and
// compares byte for byte, and bytes order tokens as characters do.
class LineScanner {
 public:
  explicit LineScanner(std::vector<LineToken>& tokens) : tokens_(tokens) {}

  // Returns whether the line is ASCII.
  bool scan(std::string_view line) {
    line_ = line;
    tokens_.clear();
    ascii_ = true;
    found_ = Occurrences();
    open_quote_.reset();
    number_end_ = 0;
    comment_found_ = false;
    resume_.fill(0);
    walk();
    declarations();
    std::sort(tokens_.begin(), tokens_.end(),
              [](const LineToken& a, const LineToken& b) { return a.key < b.key; });
    return ascii_;
  }

 private:
  void push(std::size_t begin, std::size_t end, TokenType type, std::uint32_t modifiers, Pass pass,
            std::size_t row = 0) {
    const std::uint64_t key = (static_cast<std::uint64_t>(begin) << 16) |
                              (static_cast<std::uint64_t>(pass) << 8) | row;
    tokens_.push_back({key, begin, end, type_index(type), modifiers});
  }

  // The walks keep the line in locals: a char read could alias a member,
  // which would be read again after every byte.
  void walk() {
    const std::string_view line = line_;
    std::size_t i = 0;
    while (i < line.size()) {
      const auto b = static_cast<unsigned char>(line[i]);
      if (b >= 0x80) {
        ascii_ = false;
        const auto d = support::decode_utf8(line, i);
        i = is_identifier_char(d.code_point) ? identifier_run(i) : i + d.length;
        continue;
      }
      const std::uint8_t c = ascii_class[b];
      if (c & identifier) {
        i = identifier_run(i);
        continue;
      }
      if (c & operator_start) operator_at(i);
      if (c & quote) quote_at(i);
      if (c & at_sign) annotation_at(i);
      ++i;
    }
  }

  // A maximal run of identifier characters from `start`; returns its end.
  // Numbers start inside runs (numeric characters are identifier
  // characters), and so do declaration words and keywords.
  std::size_t identifier_run(std::size_t start) {
    const std::string_view line = line_;
    std::size_t p = start;
    while (p < line.size()) {
      const auto b = static_cast<unsigned char>(line[p]);
      if (b < 0x80) {
        const std::uint8_t c = ascii_class[b];
        if (!(c & identifier)) break;
        if ((c & digit) && p >= number_end_) number_at(p);
        if (c & declaration_start) found_.at(line, p);
        ++p;
        continue;
      }
      ascii_ = false;
      const auto d = support::decode_utf8(line, p);
      if (!is_identifier_char(d.code_point)) break;
      if (p >= number_end_ && support::is_numeric(d.code_point)) number_at(p);
      p += d.length;
    }
    keyword(start, p);
    return p;
  }

  // An accepted keyword hit has no identifier character on either side, so
  // it is exactly a maximal identifier run equal to the keyword (keywords
  // are made of identifier characters, and a hit inside a run is refused).
  void keyword(std::size_t begin, std::size_t end) {
    const std::size_t length = end - begin;
    if (length < shortest_keyword || length > longest_keyword) return;
    const std::string_view word = line_.substr(begin, length);
    for_each_row(keyword_index.at(line_, begin), [&](std::size_t row) {
      if (word == semantic_keywords[row]) push(begin, end, TokenType::keyword, 0, Pass::keyword, row);
    });
  }

  // A run of numeric characters and "." from a numeric character; "."
  // starts none. Runs may reach past the identifier run they start in.
  void number_at(std::size_t start) {
    std::size_t end = start + support::utf8_sequence_length(static_cast<unsigned char>(line_[start]));
    while (end < line_.size()) {
      const auto b = static_cast<unsigned char>(line_[end]);
      if (b < 0x80) {
        if (b != '.' && !(ascii_class[b] & digit)) break;
        ++end;
        continue;
      }
      const auto d = support::decode_utf8(line_, end);
      if (!support::is_numeric(d.code_point)) break;
      end += d.length;
    }
    push(start, end, TokenType::number, 0, Pass::number);
    number_end_ = end;
  }

  // Each operator is scanned on its own: a hit resumes its own scan after
  // it ("===" holds one "=="), while other operators may hit the same
  // characters. The first "//" also starts the line comment.
  void operator_at(std::size_t i) {
    const bool has_next = i + 1 < line_.size();
    if (!comment_found_ && has_next && line_[i] == '/' && line_[i + 1] == '/') {
      push(i, line_.size(), TokenType::comment, 0, Pass::comment);
      comment_found_ = true;
    }
    for_each_row(operator_index.at(line_[i]), [&](std::size_t row) {
      const std::string_view op = semantic_operators[row];
      if (op.size() == 2) {
        if (i < resume_[row] || !has_next || line_[i + 1] != op[1]) return;
        resume_[row] = i + 2;
      }
      push(i, i + op.size(), TokenType::operator_, 0, Pass::operator_, row);
    });
  }

  // Quotes pair up left to right; a backslash escapes nothing and a string
  // open at the line's end is no token.
  void quote_at(std::size_t i) {
    if (!open_quote_) {
      open_quote_ = i;
      return;
    }
    push(*open_quote_, i + 1, TokenType::string, 0, Pass::string);
    open_quote_.reset();
  }

  // No annotation word holds a second "@", so the hits of one word never
  // overlap and every "@" is a place to try them all.
  void annotation_at(std::size_t at) {
    if (at > 0) {
      const char32_t before = support::decode_utf8(line_, previous_char_start(line_, at)).code_point;
      if (!may_precede_annotation(before)) return;
    }
    const std::string_view rest = line_.substr(at);
    for (std::size_t row = 0; row < semantic_annotation_table.size(); ++row) {
      const AnnotationWord& word = semantic_annotation_table[row];
      if (!rest.starts_with(word.text)) continue;
      const std::size_t end = at + word.text.size();
      if (end < line_.size() && !may_follow_annotation(support::decode_utf8(line_, end).code_point)) continue;
      push(at, end, TokenType::decorator, word.modifiers, Pass::annotation, row);
    }
  }

  struct Colour {
    std::uint32_t modifiers;
    Pass pass;
  };

  // A declared name at its first occurrence in the line (also inside the
  // keyword), once for each pass that colours it. The name is searched once
  // and in linear time: it can be nearly as long as the line.
  void declared(std::optional<std::string_view> name, TokenType type, std::initializer_list<Colour> colours) {
    if (!name) return;
    const std::size_t at = support::find_first(line_, *name);
    for (const Colour& c : colours) push(at, at + name->size(), type, c.modifiers, c.pass);
  }

  void declarations() {
    constexpr std::uint32_t declaration = bit(TokenModifier::declaration);
    constexpr Colour variable{declaration, Pass::variable};
    constexpr Colour constant{declaration | bit(TokenModifier::readonly), Pass::constant};
    if (found_.contains(w_fonksiyon) || found_.contains(w_function)) {
      declared(function_name(line_, found_), TokenType::function, {{declaration, Pass::function}});
    }
    const bool is_variable = found_.contains(w_degisken) || found_.contains(w_let);
    const bool is_constant = found_.contains(w_sabit) || found_.contains(w_const);
    if (is_variable && is_constant) {
      declared(variable_name(line_, found_), TokenType::variable, {variable, constant});
    } else if (is_variable || is_constant) {
      declared(variable_name(line_, found_), TokenType::variable, {is_variable ? variable : constant});
    }
    declared(struct_name(line_, found_), TokenType::struct_, {{declaration, Pass::structure}});
  }

  std::vector<LineToken>& tokens_;
  std::string_view line_;
  bool ascii_ = true;
  Occurrences found_;
  std::optional<std::size_t> open_quote_;
  std::size_t number_end_ = 0;
  bool comment_found_ = false;
  std::array<std::size_t, two_character_operators> resume_{};  // where each one's scan goes on
};

// The ordered tokens of one line, in UTF-16 units of the line; tokens start
// and end on character boundaries.
void to_wire(std::uint32_t line_index, const std::vector<LineToken>& tokens, const Utf16ColumnTable& columns,
             std::vector<SemanticToken>& out) {
  out.clear();
  for (const LineToken& t : tokens) {
    const std::uint32_t begin = columns.column(t.begin);
    const std::uint32_t end = columns.column(t.end);
    out.push_back({line_index, begin, end - begin, t.type, t.modifiers});
  }
}

}  // namespace

void for_each_line_tokens(std::string_view text, support::FunctionRef<void(std::span<const SemanticToken>)> fn) {
  std::vector<LineToken> scratch;
  Utf16ColumnTable columns;
  std::vector<SemanticToken> wire;
  LineScanner scanner(scratch);
  LineCursor lines(text);
  std::uint32_t index = 0;
  while (const auto line = lines.next()) {
    const bool ascii = scanner.scan(line->content);
    if (!scratch.empty()) {
      columns.assign(line->content, ascii);
      to_wire(index, scratch, columns, wire);
      fn(std::span<const SemanticToken>(wire));
    }
    ++index;
  }
}

std::optional<std::string> declared_variable_name(std::string_view line) {
  const auto name = variable_name(line, find_declaration_words(line));
  if (!name) return std::nullopt;
  return std::string(*name);
}

DocumentTokens handle_semantic_tokens(const SemanticTokensParams&, std::string_view text) { return {text}; }

}  // namespace qosa::lsp
