// Rename and prepare rename: every whole-word occurrence of the word under
// the cursor in every open document takes the new name.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "features/document_state.h"
#include "features/word_index.h"
#include "lsp/document.h"
#include "lsp/protocol.h"
#include "lsp/writer.h"

namespace qosa::lsp {

// The 48 keywords and type names of both keyword languages that cannot be
// renamed, compared byte for byte.
bool is_reserved_word(std::string_view word);

// A new name: a letter or "_" first, identifier characters only, not reserved.
bool is_valid_new_name(std::string_view name);

// The word under the cursor and its range (UTF-16 code units); none when the
// document is not open, no word is there, or the word is reserved.
std::optional<PrepareRenameResult> prepare_rename(std::string_view uri, std::uint32_t line, std::uint32_t character,
                                                  const DocumentSnapshot& snapshot);

// The request, on the open documents.
std::optional<PrepareRenameResult> prepare_rename_request(const TextDocumentPositionParams& params,
                                                          const DocumentSnapshot& snapshot);

// Every whole-word occurrence of the word under the cursor, in every open
// document, takes the new name; none when no word is under the cursor or
// the new name is refused, and none when the word occurs nowhere.
std::optional<WorkspaceEdit<WordPlaces>> handle_rename(const RenameParams& params, std::string_view text,
                                                       Workspace& workspace);

}  // namespace qosa::lsp
