#include "server/initialize.h"

#include <boost/json.hpp>

namespace qosa::lsp {

namespace json = boost::json;

namespace {

template <std::size_t N>
json::array string_array(const std::array<std::string_view, N>& names) {
  json::array out;
  out.reserve(N);
  for (std::string_view name : names) out.emplace_back(name);
  return out;
}

json::value capabilities() {
  return json::object{
      {"textDocumentSync", {{"openClose", true}, {"change", 1}}},
      {"hoverProvider", true},
      {"completionProvider", {{"resolveProvider", false}, {"triggerCharacters", json::array{".", ":"}}}},
      {"signatureHelpProvider", {{"triggerCharacters", json::array{"(", ","}}}},
      {"definitionProvider", true},
      {"referencesProvider", true},
      {"documentSymbolProvider", true},
      {"codeActionProvider", true},
      {"codeLensProvider", {{"resolveProvider", false}}},
      {"documentFormattingProvider", false},
      {"renameProvider", true},
      {"semanticTokensProvider",
       {{"legend",
         {{"tokenTypes", string_array(semantic_token_types)},
          {"tokenModifiers", string_array(semantic_token_modifiers)}}},
        {"range", false},
        {"full", true}}},
      {"inlayHintProvider", true},
  };
}

}  // namespace

InitializeResult handle_initialize(InitializeParams) { return InitializeResult{}; }

json::value to_json(const InitializeResult& result) {
  return json::object{
      {"capabilities", capabilities()},
      {"serverInfo", {{"name", result.server_name}, {"version", result.server_version}}},
  };
}

}  // namespace qosa::lsp
