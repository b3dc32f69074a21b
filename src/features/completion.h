// Completion: one fixed list of keyword snippets, types, values, built-in
// functions and constants, the same whatever the document and position.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace qosa::lsp {

CompletionItem keyword_snippet_item(std::string_view label, std::string_view detail,
                                    std::string_view snippet);
CompletionItem type_item(std::string_view label, std::string_view detail);
CompletionItem value_item(std::string_view label, std::string_view detail);
// The alias (the name in the other keyword language, may be empty) shows only
// in the documentation.
CompletionItem builtin_function_item(std::string_view label, std::string_view alias,
                                     std::string_view description, std::string_view snippet);
CompletionItem constant_item(std::string_view label, std::string_view detail,
                             std::string_view value);

// The answer to a completion request: the 140 items, built anew for each
// request in their fixed order, whatever it asks (its params are not read).
std::vector<CompletionItem> completion_items(const CompletionParams& params);

}  // namespace qosa::lsp
