#include "features/rename.h"

#include <algorithm>
#include <array>
#include <string>

#include "features/word_index.h"
#include "features/words.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

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

std::optional<PrepareRenameResult> prepare_rename(std::string_view uri, std::uint32_t line, std::uint32_t character,
                                                  const DocumentSnapshot& snapshot) {
  const auto text = snapshot.text(uri);
  if (!text) return std::nullopt;
  const auto word = word_under_cursor(*text, Position{line, character});
  if (!word || is_reserved_word(word->word)) return std::nullopt;
  return PrepareRenameResult{word->range, word->word};
}

std::optional<PrepareRenameResult> prepare_rename_request(const TextDocumentPositionParams& params,
                                                          const DocumentSnapshot& snapshot) {
  return prepare_rename(params.text_document.uri.str(), params.position.line, params.position.character, snapshot);
}

std::optional<WorkspaceEdit<WordPlaces>> handle_rename(const RenameParams& params, std::string_view text,
                                                       Workspace& workspace) {
  const auto old = word_under_cursor(text, params.position);
  if (!old || !is_valid_new_name(params.new_name)) return std::nullopt;
  WorkspaceEdit<WordPlaces> edit{params.new_name, {find_word_in_documents(workspace, old->word), false}};
  std::vector<DocumentOccurrences>& documents = edit.places.documents;
  if (documents.empty()) return std::nullopt;
  // The answer's members come out in the order of their uris.
  std::sort(documents.begin(), documents.end(),
            [](const DocumentOccurrences& a, const DocumentOccurrences& b) { return a.uri->str() < b.uri->str(); });
  return edit;
}

}  // namespace qosa::lsp
