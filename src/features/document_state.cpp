#include "features/document_state.h"

namespace qosa::lsp {

DocumentState& DocumentStates::opened(std::string_view uri) {
  DocumentState& state = of(uri);
  state = DocumentState();
  return state;
}

DocumentState& DocumentStates::changed(std::string_view uri) {
  DocumentState& state = of(uri);
  state.words.reset();
  return state;
}

void DocumentStates::closed(std::string_view uri) {
  auto it = states_.find(uri);
  if (it != states_.end()) states_.erase(it);
}

DocumentState& DocumentStates::of(std::string_view uri) {
  auto it = states_.find(uri);
  if (it == states_.end()) it = states_.try_emplace(std::string(uri)).first;
  return it->second;
}

const WordIndex& DocumentStates::words(const Document& document) {
  DocumentState& state = of(document.uri.str());
  if (!state.words) state.words = std::make_unique<const WordIndex>(build_word_index(document.text));
  return *state.words;
}

std::vector<DocumentOccurrences> find_word_in_documents(Workspace& workspace, std::string_view word) {
  std::vector<const Document*> documents;
  std::vector<WordIndex::Indexed> texts;
  documents.reserve(workspace.documents.size());
  texts.reserve(workspace.documents.size());
  workspace.documents.for_each_document([&](std::string_view, const Document& d) {
    documents.push_back(&d);
    texts.push_back({&workspace.states.words(d), d.text});
  });
  std::vector<WordIndex::Occurrences> found = WordIndex::find_in_each(texts, word);
  std::vector<DocumentOccurrences> out;
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (!found[i].empty()) out.push_back({&documents[i]->uri, std::move(found[i])});
  }
  return out;
}

}  // namespace qosa::lsp
