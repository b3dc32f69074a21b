#include "lsp/document.h"

#include <algorithm>

#include "lsp/lines.h"
#include "lsp/positions.h"

namespace qosa::lsp {

const Document& open_document(DocumentStore& store, Uri uri, std::string text, std::int32_t version) {
  std::string key = uri.str();
  Document document{std::move(uri), std::move(text), version};
  auto [it, added] = store.documents.try_emplace(std::move(key));
  it->second = std::move(document);
  return it->second;
}

const Document* apply_changes_in_place(DocumentStore& store, std::string_view uri,
                                       std::span<TextDocumentContentChangeEvent> changes,
                                       std::int32_t version) {
  auto it = store.documents.find(uri);
  if (it == store.documents.end()) return nullptr;
  std::string& text = it->second.text;
  // One ranged change walks the text once either way; from two on, an index
  // built once pays for itself.
  const auto ranged = std::count_if(changes.begin(), changes.end(), [](const auto& c) { return c.range.has_value(); });
  std::optional<LineIndex> index;
  for (auto& change : changes) {
    if (!change.range) {
      text.swap(change.text);
      index.reset();
      continue;
    }
    if (!index && ranged > 1) index.emplace(text);
    auto offset = [&](const Position& p) {
      return index ? position_to_offset(text, index->line(text, p.line), p.character)
                   : position_to_offset(text, p.line, p.character);
    };
    const auto start = offset(change.range->start);
    const auto end = offset(change.range->end);
    // Out of range, reversed, or inside a character: splicing there would
    // lose text or break its UTF-8, so the change is skipped.
    if (!start || !end || *start > *end || *end > text.size()) continue;
    text.replace(*start, *end - *start, change.text);
    if (index) index->splice(*start, *end, change.text);
  }
  it->second.version = version;
  return &it->second;
}

const Document* apply_changes(DocumentStore& store, std::string_view uri,
                              std::vector<TextDocumentContentChangeEvent> changes,
                              std::int32_t version) {
  return apply_changes_in_place(store, uri, changes, version);
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
