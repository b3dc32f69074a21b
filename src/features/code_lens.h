// Code lenses: the lenses of one open document.
#pragma once

#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/document.h"
#include "lsp/protocol.h"

namespace qosa::lsp {

// The code lenses of the document named by params."textDocument"."uri",
// looked up byte for byte as sent. `lenses` gives the lens array of a text.
using CodeLensFunction = boost::json::value (*)(std::string_view text, std::string_view uri);
Answer handle_code_lens(const boost::json::value& params, const DocumentSnapshot& snapshot,
                        CodeLensFunction lenses);

}  // namespace qosa::lsp
