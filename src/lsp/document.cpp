#include "lsp/document.h"

#include <algorithm>
#include <cstring>

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

// Where the lines of a text start: 0, and one past every "\n" (the text's
// end too when it ends in "\n", which starts no line). Patched after each
// splice, so that a list of many ranged changes finds every position in
// logarithmic time instead of walking the lines before it.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) {
    starts_.push_back(0);
    add_breaks(text, 0, starts_);
  }

  // Line `index` as line_at gives it.
  std::optional<Line> line(std::string_view text, std::size_t index) const {
    if (index >= starts_.size() || starts_[index] >= text.size()) return std::nullopt;
    Line line;
    line.start = starts_[index];
    std::size_t end = text.size();
    if (index + 1 < starts_.size()) {
      end = starts_[index + 1] - 1;  // the "\n"
      line.break_length = 1;
      if (end > line.start && text[end - 1] == '\r') {
        --end;
        line.break_length = 2;
      }
    }
    line.content = text.substr(line.start, end - line.start);
    return line;
  }

  // The bytes [start, end) were replaced by `inserted`.
  void splice(std::size_t start, std::size_t end, std::string_view inserted) {
    // Line starts inside the replaced bytes go; those after it move.
    const auto first = std::upper_bound(starts_.begin(), starts_.end(), start);
    const auto last = std::upper_bound(first, starts_.end(), end);
    const auto grown = static_cast<std::ptrdiff_t>(inserted.size()) - static_cast<std::ptrdiff_t>(end - start);
    for (auto it = last; it != starts_.end(); ++it) *it = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*it) + grown);
    added_.clear();
    add_breaks(inserted, start, added_);
    const auto at = starts_.erase(first, last);
    starts_.insert(at, added_.begin(), added_.end());
  }

 private:
  static void add_breaks(std::string_view text, std::size_t base, std::vector<std::size_t>& out) {
    const char* const begin = text.data();
    const char* p = begin;
    const char* const end = begin + text.size();
    while (const void* nl = p < end ? std::memchr(p, '\n', static_cast<std::size_t>(end - p)) : nullptr) {
      p = static_cast<const char*>(nl) + 1;
      out.push_back(base + static_cast<std::size_t>(p - begin));
    }
  }

  std::vector<std::size_t> starts_;
  std::vector<std::size_t> added_;
};

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
