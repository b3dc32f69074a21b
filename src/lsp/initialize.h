// The answer to "initialize": fixed capabilities, the semantic-token legend
// and the server's name and version. The client's params are not read.
#pragma once

#include <array>
#include <string_view>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"

namespace qosa::lsp {

// A token's type is its index here.
inline constexpr std::array<std::string_view, 23> semantic_token_types = {
    "namespace", "type",     "class",    "enum",     "interface", "struct",
    "typeParameter", "parameter", "variable", "property", "enumMember", "event",
    "function",  "method",   "macro",    "keyword",  "modifier",  "comment",
    "string",    "number",   "regexp",   "operator", "decorator",
};

// Bit i of a token's modifier set stands for entry i. Bits 10 to 13 are the
// security classes of annotations.
inline constexpr std::array<std::string_view, 14> semantic_token_modifiers = {
    "declaration", "definition", "readonly",     "static",        "deprecated",
    "abstract",    "async",      "modification", "documentation", "defaultLibrary",
    "public",      "exportable", "domesticOnly", "classified",
};

struct InitializeResult {
  std::string_view server_name = "QOSA Language Server";
  std::string_view server_version = "0.9.4";
};

InitializeResult handle_initialize(InitializeParams params);

// {"capabilities":{...},"serverInfo":{...}}
boost::json::value to_json(const InitializeResult& result);

}  // namespace qosa::lsp
