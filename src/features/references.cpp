#include "features/references.h"

#include "features/definition.h"
#include "features/words.h"

namespace qosa::lsp {

std::optional<LocationList<WordPlaces>> handle_references(const ReferenceParams& params, std::string_view text,
                                                          Workspace& workspace) {
  const auto word = word_under_cursor(text, params.position);
  if (!word) return std::nullopt;
  LocationList<WordPlaces> list{{find_word_in_documents(workspace, word->word), /*skip_declared=*/true}, {}};
  if (params.context.include_declaration) {
    if (const auto declaration = find_declaration(word->word, text)) {
      list.last = Location{params.text_document.uri.str(), *declaration};
    }
  }
  return list;
}

}  // namespace qosa::lsp
