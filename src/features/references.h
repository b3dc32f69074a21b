// References: every whole-word occurrence of the word under the cursor in
// every open document, but those that follow a declaration keyword.
#pragma once

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// "textDocument/references" with its params as received (null when absent):
// the array of locations, null when the document is not open or no word is
// under the cursor, or -32600 "Invalid references params".
Answer handle_references(const boost::json::value& params, const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
