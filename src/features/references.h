// References: every whole-word occurrence of the word under the cursor in
// every open document, but those that follow a declaration keyword.
#pragma once

#include <optional>
#include <string_view>

#include "features/document_state.h"
#include "features/word_index.h"
#include "lsp/protocol.h"
#include "lsp/writer.h"

namespace qosa::lsp {

// The locations, in the order the open documents come, then the declaration
// in the request's document when the context asks for it; none when no word
// is under the cursor.
std::optional<LocationList<WordPlaces>> handle_references(const ReferenceParams& params, std::string_view text,
                                                          Workspace& workspace);

}  // namespace qosa::lsp
