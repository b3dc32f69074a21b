#include "features/inlay_hints.h"

#include <array>
#include <charconv>
#include <string>

#include "features/words.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

// Every name of a group takes the group's parameters. Unused slots are empty.
struct ParameterGroup {
  std::array<std::string_view, 11> names;
  std::array<std::string_view, 3> parameters;
};

constexpr ParameterGroup parameter_groups[] = {
    {{"al", "oku", "get", "read"}, {"prompt"}},
    {{"yaz", "print", "write", "yazdır"}, {"mesaj"}},
    {{"len", "trim", "lower", "upper", "kırp", "length", "uzunluk", "büyük", "küçük", "lowercase",
      "uppercase"},
     {"str"}},
    {{"alt", "substr", "substring"}, {"str", "başlangıç", "uzunluk"}},
    {{"böl", "split"}, {"str", "ayırıcı"}},
    {{"join", "concat", "birleştir"}, {"str1", "str2"}},
    {{"replace", "değiştir"}, {"str", "eski", "yeni"}},
    {{"pop", "sort", "remove", "çıkar", "sırala"}, {"dizi"}},
    {{"map", "eşle"}, {"dizi", "fonksiyon"}},
    {{"ekle", "push", "append"}, {"dizi", "eleman"}},
    {{"filter", "filtrele"}, {"dizi", "koşul"}},
    {{"pow", "üs"}, {"taban", "üs"}},
    {{"max", "min", "maksimum", "minimum"}, {"a", "b"}},
    {{"abs", "sqrt", "ceil", "round", "floor", "mutlak", "yuvarla", "yukarı", "karekök", "aşağı"},
     {"sayı"}},
    {{"int", "bool", "float", "yazı", "string", "tamsayı", "ondalık", "mantıksal"}, {"değer"}},
};

constexpr std::string_view declaration_keywords[] = {"let", "değişken", "const", "sabit"};
constexpr std::string_view function_keywords[] = {"fonksiyon", "function", "fn"};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Decimal notation with one "." : an optional sign, digits around the point
// (at least one), an optional exponent.
bool is_decimal_float(std::string_view v) {
  std::size_t i = 0;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < v.size() && is_digit(v[i])) ++i, ++digits;
  if (i == v.size() || v[i] != '.') return false;
  ++i;
  while (i < v.size() && is_digit(v[i])) ++i, ++digits;
  if (digits == 0) return false;
  if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
    ++i;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
    const std::size_t exponent = i;
    while (i < v.size() && is_digit(v[i])) ++i;
    if (i == exponent) return false;
  }
  return i == v.size();
}

// An optional sign, then digits, within the range of a signed 64-bit integer.
bool is_decimal_int(std::string_view v) {
  const std::size_t sign = !v.empty() && (v[0] == '+' || v[0] == '-') ? 1 : 0;
  if (v.size() == sign) return false;
  for (std::size_t i = sign; i < v.size(); ++i) {
    if (!is_digit(v[i])) return false;
  }
  if (v[0] == '+') v.remove_prefix(1);  // from_chars takes only "-"
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
  return error == std::errc() && end == v.data() + v.size();
}

// The last run of characters that are not white space.
std::string_view last_word(std::string_view text) {
  std::size_t begin = text.size();
  while (begin > 0) {
    const std::size_t prev = previous_char_start(text, begin);
    if (support::is_white_space(support::decode_utf8(text, prev).code_point)) break;
    begin = prev;
  }
  return text.substr(begin);
}

InlayHint type_hint(std::uint32_t line, std::uint64_t column, std::string label) {
  return {{line, static_cast<std::uint32_t>(column)}, std::move(label), InlayHintKind::type, {}, {}};
}

// ": type" after the name of a declaration whose type is not written, once
// for each declaration keyword found in the trimmed line.
void type_hints(std::string_view content, std::uint32_t i, std::vector<InlayHint>& out) {
  const std::string_view untrimmed = support::trim_start(content);
  const std::size_t indent = content.size() - untrimmed.size();
  const std::string_view t = support::trim_end(untrimmed);
  for (const std::string_view keyword : declaration_keywords) {
    const std::size_t p = t.find(keyword);
    if (p == std::string_view::npos) continue;
    const std::string_view rest = t.substr(p + keyword.size());
    const std::size_t eq = rest.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = support::trim(rest.substr(0, eq));
    if (name.empty() || contains(name, ":")) continue;
    std::string_view value = support::trim(rest.substr(eq + 1));
    if (value.ends_with(';')) value.remove_suffix(1);
    if (value.empty()) continue;
    const auto type = infer_value_type(value);
    if (!type) continue;
    const std::size_t name_end = indent + p + keyword.size() +
                                 static_cast<std::size_t>(name.data() - rest.data()) + name.size();
    out.push_back(type_hint(i, utf16_of_byte_offset(content, name_end),
                            ": " + std::string(*type)));
  }
}

// "name: " in front of the arguments of the line's first call, when the
// callee is a built-in function.
void parameter_hints(std::string_view content, std::uint32_t i, std::vector<InlayHint>& out) {
  const std::size_t open = content.find('(');
  const std::size_t close = content.find(')');
  // A ")" before the first "(" (a continuation line) encloses no arguments.
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return;
  const std::string_view callee = last_word(support::trim_end(content.substr(0, open)));
  if (callee.empty()) return;
  const auto names = builtin_parameter_names(callee);
  if (!names) return;

  const std::string_view arguments = content.substr(open + 1, close - open - 1);
  Utf16Columns columns(content);
  std::size_t offset = open + 1;
  std::size_t k = 0;
  std::size_t from = 0;
  while (k < names->size() && from <= arguments.size()) {
    const std::size_t comma = std::min(arguments.find(',', from), arguments.size());
    const std::string_view argument = support::trim(arguments.substr(from, comma - from));
    from = comma + 1;
    if (argument.empty()) continue;
    if (const std::size_t q = content.find(argument, offset); q != std::string_view::npos) {
      out.push_back({{i, static_cast<std::uint32_t>(columns.column(q))},
                     std::string((*names)[k]) + ": ",
                     InlayHintKind::parameter,
                     {},
                     true});
      offset = q + argument.size();
    }
    ++k;
  }
}

// " -> void" at the "{" of a function header without "->", once for each
// function keyword found.
void return_type_hints(std::string_view content, std::uint32_t i, std::vector<InlayHint>& out) {
  const std::string_view t = support::trim(content);
  if (contains(t, "->") || !contains(t, "{")) return;
  const std::uint64_t column = utf16_of_byte_offset(content, content.find('{'));
  for (const std::string_view keyword : function_keywords) {
    if (!contains(t, keyword)) continue;
    InlayHint hint = type_hint(i, column, " -> void");
    hint.padding_left = true;
    out.push_back(std::move(hint));
  }
}

}  // namespace

std::optional<std::span<const std::string_view>> builtin_parameter_names(std::string_view callee) {
  for (const ParameterGroup& group : parameter_groups) {
    for (const std::string_view name : group.names) {
      if (name.empty()) break;
      if (name != callee) continue;
      std::size_t count = 0;
      while (count < group.parameters.size() && !group.parameters[count].empty()) ++count;
      return std::span(group.parameters.data(), count);
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> infer_value_type(std::string_view v) {
  if (!v.empty() && ((v.front() == '\'' && v.back() == '\'') || (v.front() == '"' && v.back() == '"'))) {
    return "string";
  }
  if (v == "true" || v == "false" || v == "doğru" || v == "yanlış") return "boolean";
  if (contains(v, ".")) {
    if (is_decimal_float(v)) return "float";
  } else if (is_decimal_int(v)) {
    return "int";
  }
  if (v.starts_with('[') && v.ends_with(']')) return "array";
  if (v.starts_with('{') && v.ends_with('}')) return "object";
  if (contains(v, "(") && contains(v, ")") && v.size() >= 3) {
    if (v.starts_with("oku") || v.starts_with("read")) return "string";
    if (v.starts_with("uzunluk") || v.starts_with("length")) return "int";
  }
  return std::nullopt;
}

std::vector<InlayHint> compute_inlay_hints(std::string_view text, std::uint32_t first,
                                           std::uint32_t last) {
  std::vector<InlayHint> hints;
  if (first > last) return hints;
  const auto start = line_at(text, first);  // the lines before are only skipped
  if (!start) return hints;
  LineCursor lines(text.substr(start->start));
  for (std::uint64_t i = first; i <= last; ++i) {
    const auto line = lines.next();
    if (!line) break;
    const auto index = static_cast<std::uint32_t>(i);
    type_hints(line->content, index, hints);
    parameter_hints(line->content, index, hints);
    return_type_hints(line->content, index, hints);
  }
  return hints;
}

std::vector<InlayHint> handle_inlay_hint(const InlayHintParams& params, std::string_view text) {
  return compute_inlay_hints(text, params.first_line, params.last_line);
}

}  // namespace qosa::lsp
