#include "features/rename.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "features/word_index.h"
#include "features/words.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

constexpr std::array<std::string_view, 48> reserved_words = {
    "ve", "if", "or",
    "tip", "yaz", "oku", "let", "for", "and", "not",
    "iken", "dön", "kır", "boş", "veya", "type", "else", "read", "true", "null", "Real",
    "sabit", "yapı", "eğer", "için", "devam", "const", "while", "break", "print", "false", "Sayı",
    "Metin",
    "doğru", "değil", "struct", "return", "Number", "String",
    "Gerçek", "Boolean",
    "değilse", "yanlış", "function", "continue",
    "fonksiyon",
    "değişken", "Mantıksal",
};

bool is_ascii_letter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool is_reserved_word(std::string_view word) {
  return std::find(reserved_words.begin(), reserved_words.end(), word) != reserved_words.end();
}

bool is_valid_new_name(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size();) {
    const auto d = support::decode_utf8_checked(name, i);
    if (!d || !is_identifier_char(d->code_point)) return false;
    // A numeric character may follow but not lead.
    if (i == 0 && !(is_ascii_letter(d->code_point) || d->code_point == U'_' ||
                    (d->code_point >= 0x80 && support::is_alphabetic(d->code_point)))) {
      return false;
    }
    i += d->length;
  }
  return !is_reserved_word(name);
}

std::optional<PrepareRenameResult> prepare_rename(const TextDocumentPositionParams& params,
                                                  const DocumentSnapshot& snapshot) {
  const auto text = snapshot.text(params.text_document.uri.str());
  if (!text) return std::nullopt;
  const auto word = word_under_cursor(*text, params.position);
  if (!word || is_reserved_word(word->word)) return std::nullopt;
  return PrepareRenameResult{word->range, std::string(word->word)};
}

Answer handle_rename(const json::value& params, const DocumentSnapshot& snapshot) {
  RenameParams p;
  if (!from_json(params, p)) {
    return std::unexpected(response_error(ErrorCode::invalid_request, "Invalid rename params"));
  }
  const auto text = snapshot.text(p.text_document.uri.str());
  if (!text) return JsonResult(nullptr);
  const auto old = word_under_cursor(*text, p.position);
  if (!old || !is_valid_new_name(p.new_name)) return JsonResult(nullptr);

  // The documents with an occurrence, by printed uri: the answer's members
  // come out in the order of their uris.
  std::string head = R"({"newText":)";
  support::append_json_string(head, p.new_name);
  head += R"(,"range":)";
  std::map<std::string_view, WordIndex::Occurrences> changes;
  std::size_t expected = 0;  // an upper bound of the answer's size
  for (const auto& [uri, found] : find_word_in_documents(snapshot, old->word)) {
    expected += 2 * uri->str().size() + 8 + found.size() * (head.size() + 128);
    changes.emplace(uri->str(), found);
  }
  if (changes.empty()) return JsonResult(nullptr);

  std::string out = R"({"changes":{)";
  out.reserve(expected + 16);
  bool first = true;
  for (const auto& [uri, found] : changes) {
    if (!first) out += ',';
    first = false;
    support::append_json_string(out, uri);
    out += ":[";
    bool first_edit = true;
    append_occurrences(out, found, /*skip_declared=*/false, head, "}", first_edit);
    out += ']';
  }
  out += "}}";
  return JsonResult::written(std::move(out));
}

}  // namespace qosa::lsp
