#include "features/signature.h"

#include <array>
#include <string>

#include "features/words.h"
#include "lsp/lines.h"
#include "lsp/positions.h"
#include "support/search.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

struct BuiltinSignature {
  std::array<std::string_view, 2> names;  // the second empty when there is no alias
  std::string_view label;
  std::array<std::string_view, 2> parameters;  // the first ones, as many as the label has
  std::string_view documentation;
};

constexpr BuiltinSignature builtin_signatures[] = {
    {{"yazdır", "yaz"}, "yazdır(mesaj: metin)", {"mesaj: metin"}, "Ekrana metin yazdırır"},
    {{"print", "println"}, "print(message: string)", {"message: string"}, "Prints text to console"},
    {{"oku"}, "oku() -> metin", {}, "Kullanıcıdan girdi okur"},
    {{"read"}, "read() -> string", {}, "Reads input from user"},
    {{"uzunluk"}, "uzunluk(metin: metin) -> tamsayı", {"metin: metin"}, "Metin uzunluğunu döndürür"},
    {{"length", "len"}, "length(text: string) -> integer", {"text: string"}, "Returns string length"},
    {{"karekök"}, "karekök(sayı: kesir) -> kesir", {"sayı: kesir"}, "Karekök hesaplar"},
    {{"sqrt"}, "sqrt(number: float) -> float", {"number: float"}, "Calculates square root"},
    {{"üs"}, "üs(taban: kesir, kuvvet: kesir) -> kesir", {"taban: kesir", "kuvvet: kesir"},
     "Üs alma işlemi"},
    {{"pow"}, "pow(base: float, exponent: float) -> float", {"base: float", "exponent: float"},
     "Power operation"},
};

// A line that holds a name, and where the name first occurs in it.
struct DefiningLine {
  std::string_view content;
  std::size_t name_at;
};

// The first line that holds `name` and whose lowercased form holds
// "fonksiyon" or "function". Only lines that hold the name are lowercased,
// and each line is looked at once. The name comes from the document and
// can be as long as it: find_first keeps the search linear.
std::optional<DefiningLine> defining_line(std::string_view text, std::string_view name) {
  std::string lowered;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t hit = support::find_first(text, name, from);
    if (hit == std::string_view::npos) return std::nullopt;
    const std::size_t newline = hit == 0 ? std::string_view::npos : text.rfind('\n', hit - 1);
    const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
    const Line line = *LineCursor(text.substr(start)).next();
    support::to_lower(line.content, lowered);
    const std::string_view lower(lowered);
    if (lower.find("fonksiyon") != std::string_view::npos ||
        lower.find("function") != std::string_view::npos) {
      // The search started at or before this line's start, so this is the
      // name's first occurrence in the line.
      return DefiningLine{line.content, hit - start};
    }
    if (line.break_length == 0) return std::nullopt;
    from = start + line.content.size() + line.break_length;
  }
  return std::nullopt;
}

// The signature of `name` as its defining line declares it; none when the
// line has no "(" after the name or no ")" after that.
std::optional<SignatureInformation> declared_signature(const DefiningLine& defining, std::string_view name) {
  const std::string_view line = defining.content;
  const std::size_t open = line.find('(', defining.name_at);
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = line.find(')', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  const std::string_view params = line.substr(open + 1, close - open - 1);

  std::string label = std::string(name) + "(" + std::string(params) + ")";
  if (const std::size_t arrow = line.find("->"); arrow != std::string_view::npos) {
    const std::string_view ret = support::until_white_space(support::trim(line.substr(arrow + 2)));
    if (!ret.empty()) label += " -> " + std::string(ret);
  }
  return SignatureInformation{std::move(label), "Function: " + std::string(name), parameter_labels(params)};
}

}  // namespace

std::optional<SignatureInformation> builtin_signature(std::string_view name) {
  for (const BuiltinSignature& entry : builtin_signatures) {
    if (name != entry.names[0] && (entry.names[1].empty() || name != entry.names[1])) continue;
    std::vector<ParameterInformation> parameters;
    for (std::string_view p : entry.parameters) {
      if (!p.empty()) parameters.push_back({std::string(p)});
    }
    return SignatureInformation{std::string(entry.label), std::string(entry.documentation), std::move(parameters)};
  }
  return std::nullopt;
}

std::vector<ParameterInformation> parameter_labels(std::string_view list) {
  std::vector<ParameterInformation> out;
  if (support::trim(list).empty()) return out;
  std::size_t from = 0;
  while (true) {
    const std::size_t comma = list.find(',', from);
    const std::string_view piece =
        support::trim(list.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
    // "name: type" exactly when the piece has one ":".
    const std::size_t colon = piece.find(':');
    if (colon != std::string_view::npos && piece.find(':', colon + 1) == std::string_view::npos) {
      out.push_back({std::string(support::trim(piece.substr(0, colon))) + ": " +
                     std::string(support::trim(piece.substr(colon + 1)))});
    } else {
      out.push_back({std::string(piece)});
    }
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  return out;
}

std::optional<SignatureHelp> handle_signature_help(std::string_view text, std::uint64_t line,
                                                   std::uint64_t character) {
  const auto found = line_at(text, line);
  if (!found) return std::nullopt;
  const std::string_view content = found->content;
  const std::uint64_t cursor = byte_offset_of_utf16(content, character).offset;
  if (cursor == 0 || cursor > content.size()) return std::nullopt;
  const std::string_view prefix = content.substr(0, cursor);

  // The unmatched "(" before the cursor, and the commas between it and the
  // cursor at its own depth. Only ASCII bytes matter, so bytes are walked.
  std::uint64_t depth = 0;
  std::uint64_t commas = 0;
  std::optional<std::size_t> open;
  for (std::size_t i = prefix.size(); i-- > 0;) {
    const char c = prefix[i];
    if (c == ')') {
      ++depth;
    } else if (c == '(') {
      if (depth == 0) {
        open = i;
        break;
      }
      --depth;
    } else if (c == ',' && depth == 0) {
      ++commas;
    }
  }
  if (!open) return std::nullopt;

  const std::string_view before = support::trim_end(prefix.substr(0, *open));
  const WordSpan span = scan_word(before, before.size(), WordScan::identifier);
  if (span.begin == span.end) return std::nullopt;
  const std::string_view name = before.substr(span.begin);

  std::optional<SignatureInformation> sig;
  if (const auto declared = defining_line(text, name)) {
    sig = declared_signature(*declared, name);
  } else {
    sig = builtin_signature(name);
  }
  if (!sig) return std::nullopt;
  SignatureHelp help;
  help.signatures.push_back(std::move(*sig));
  help.active_parameter = commas;
  return help;
}

std::optional<SignatureHelp> signature_help_request(const SignatureHelpParams& params, std::string_view text) {
  return handle_signature_help(text, params.line, params.character);
}

}  // namespace qosa::lsp
