#include "lsp/document.h"

#include <algorithm>

#include "lsp/lines.h"
#include "support/columns.h"

namespace qosa::lsp {

const Document& open_document(DocumentStore& store, Uri uri, std::string text, std::int32_t version) {
  std::string key = uri.str();
  Document document{std::move(uri), std::move(text), version};
  auto [it, added] = store.documents.try_emplace(std::move(key));
  it->second = std::move(document);
  return it->second;
}

std::optional<std::uint64_t> position_to_offset(std::string_view text, std::uint32_t line,
                                                std::uint32_t character) {
  const auto found = line_at(text, line);
  if (!found) {
    // Past the last line: the end, or one beyond it when the last line has
    // no line break (so a range there is out of bounds).
    const bool ends_with_break = text.empty() || text.back() == '\n';
    return text.size() + (ends_with_break ? 0 : 1);
  }
  const auto column = support::byte_offset_of_utf16(found->content, character);
  if (column.splits_character) return std::nullopt;
  return found->start + std::min<std::uint64_t>(column.offset, found->content.size());
}

const Document* apply_changes(DocumentStore& store, std::string_view uri,
                              std::vector<TextDocumentContentChangeEvent> changes,
                              std::int32_t version) {
  auto it = store.documents.find(uri);
  if (it == store.documents.end()) return nullptr;
  std::string& text = it->second.text;
  it->second.word_index.reset();
  for (auto& change : changes) {
    if (!change.range) {
      text = std::move(change.text);
      continue;
    }
    const auto start = position_to_offset(text, change.range->start.line, change.range->start.character);
    const auto end = position_to_offset(text, change.range->end.line, change.range->end.character);
    // Out of range, reversed, or inside a character: splicing there would
    // lose text or break its UTF-8, so the change is skipped.
    if (!start || !end || *start > *end || *end > text.size()) continue;
    text.replace(*start, *end - *start, change.text);
  }
  it->second.version = version;
  return &it->second;
}

const Document* get_document(const DocumentStore& store, std::string_view uri) {
  auto it = store.documents.find(uri);
  return it == store.documents.end() ? nullptr : &it->second;
}

void close_document(DocumentStore& store, std::string_view uri) {
  auto it = store.documents.find(uri);
  if (it != store.documents.end()) store.documents.erase(it);
}

std::optional<std::string_view> DocumentSnapshot::text(std::string_view uri) const {
  const Document* document = get_document(*store_, uri);
  if (!document) return std::nullopt;
  return std::string_view(document->text);
}

DocumentSnapshot snapshot_documents(const DocumentStore& store) { return DocumentSnapshot(store); }

}  // namespace qosa::lsp
