// The open documents: their texts kept in step with the editor's
// didOpen, didChange and didClose.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lsp/protocol.h"

namespace qosa::lsp {

struct Document {
  Uri uri;
  std::string text;
  std::int32_t version = 0;
};

struct UriHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Documents by uri, as the URL module prints it; keys compare byte for byte,
// so a raw uri as sent can be looked up too.
struct DocumentStore {
  std::unordered_map<std::string, Document, UriHash, std::equal_to<>> documents;
};

// Adds or replaces the document; returns it as stored.
const Document& open_document(DocumentStore& store, Uri uri, std::string text, std::int32_t version);

// Applies the changes in order, then sets the version and returns the
// document; a uri that is not open changes nothing and gives none.
const Document* apply_changes(DocumentStore& store, std::string_view uri,
                              std::vector<TextDocumentContentChangeEvent> changes,
                              std::int32_t version);

// The same on changes the caller keeps: a whole-text change swaps its text
// with the document's, so the replaced text's memory comes back in the change
// for reuse. Ranged changes find their positions through a line index kept
// up to date across the list, so no change walks the lines before it.
const Document* apply_changes_in_place(DocumentStore& store, std::string_view uri,
                                       std::span<TextDocumentContentChangeEvent> changes,
                                       std::int32_t version);

const Document* get_document(const DocumentStore& store, std::string_view uri);

void close_document(DocumentStore& store, std::string_view uri);

// The open texts by uri, as one request sees them. The server has one thread
// and no request changes the store, so this is a view rather than a copy:
// it must not outlive the request that took it.
class DocumentSnapshot {
 public:
  explicit DocumentSnapshot(const DocumentStore& store) : store_(&store) {}

  // The text under `uri`, compared byte for byte; none when not open.
  std::optional<std::string_view> text(std::string_view uri) const;
  std::size_t size() const { return store_->documents.size(); }
  bool empty() const { return store_->documents.empty(); }

  // Calls fn(uri, text) for every document, in no particular order.
  template <class Fn>
  void for_each(Fn&& fn) const {
    for (const auto& [uri, document] : store_->documents) fn(std::string_view(uri), std::string_view(document.text));
  }
  // The same with the whole document.
  template <class Fn>
  void for_each_document(Fn&& fn) const {
    for (const auto& [uri, document] : store_->documents) fn(std::string_view(uri), document);
  }

 private:
  const DocumentStore* store_;
};

DocumentSnapshot snapshot_documents(const DocumentStore& store);

}  // namespace qosa::lsp
