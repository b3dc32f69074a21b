// Rename and prepare rename: every whole-word occurrence of the word under
// the cursor in every open document takes the new name.
#pragma once

#include <optional>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// The 48 keywords and type names of both keyword languages that cannot be
// renamed, compared byte for byte.
bool is_reserved_word(std::string_view word);

// A new name: a letter or "_" first, identifier characters only, not reserved.
bool is_valid_new_name(std::string_view name);

// The word under the cursor and its range (UTF-16 code units); none when the
// document is not open, no word is there, or the word is reserved.
std::optional<PrepareRenameResult> prepare_rename(const TextDocumentPositionParams& params,
                                                  const DocumentSnapshot& snapshot);

// "textDocument/rename" with its params as received (null when absent): the
// workspace edit, null when there is nothing to rename or the new name is
// refused, or -32600 "Invalid rename params".
Answer handle_rename(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
