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

namespace {

// The offset of `character` on `line` (none past the last line), by the rules
// of position_to_offset.
std::optional<std::uint64_t> offset_on_line(std::string_view text, const std::optional<Line>& line,
                                            std::uint32_t character) {
  if (!line) {
    // Past the last line: the end, or one beyond it when the last line has
    // no line break (so a range there is out of bounds).
    const bool ends_with_break = text.empty() || text.back() == '\n';
    return text.size() + (ends_with_break ? 0 : 1);
  }
  const auto column = support::byte_offset_of_utf16(line->content, character);
  if (column.splits_character) return std::nullopt;
  return line->start + std::min<std::uint64_t>(column.offset, line->content.size());
}

}  // namespace

std::optional<std::uint64_t> position_to_offset(std::string_view text, std::uint32_t line,
                                                std::uint32_t character) {
  return offset_on_line(text, line_at(text, line), character);
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
      return index ? offset_on_line(text, index->line(text, p.line), p.character)
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
