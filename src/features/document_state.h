// What the features keep for each open document between messages, beside its
// text in the store: the index of its words and what its last diagnostics
// parse kept. The server keeps it in step with the store from the didOpen,
// didChange and didClose rows; nothing here is keyed by a version or by the
// address of a text, which a change may reuse.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "features/word_index.h"
#include "lsp/document.h"
#include "parser/source.h"

namespace qosa::lsp {

struct DocumentState {
  // Built by the first search after each change of the text.
  std::unique_ptr<const WordIndex> words;
  // Kept across changes: it checks what it reuses, which is what makes a
  // keystroke cheap.
  parser::StatementCache statements;
};

// By uri, as the store keys its documents.
class DocumentStates {
 public:
  // A document was opened (or opened again): nothing of an earlier text
  // stays. Returns its fresh state.
  DocumentState& opened(std::string_view uri);
  // Its text changed: the word index goes. Returns its state.
  DocumentState& changed(std::string_view uri);
  void closed(std::string_view uri);

  // The state of an open document, made when missing.
  DocumentState& of(std::string_view uri);
  // The word index of an open document, built when missing.
  const WordIndex& words(const Document& document);

 private:
  std::unordered_map<std::string, DocumentState, UriHash, std::equal_to<>> states_;
};

// What a search of every open document works with: their texts and what is
// kept beside each. Lives for one request.
struct Workspace {
  DocumentSnapshot documents;
  DocumentStates& states;
};

// The open documents in which `word` occurs as a whole word, with its
// occurrences, in the order the store yields them.
std::vector<DocumentOccurrences> find_word_in_documents(Workspace& workspace, std::string_view word);

}  // namespace qosa::lsp
