// Completion: one fixed list of keyword snippets, types, values, built-in
// functions and constants, the same whatever the document and position.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/value.hpp>

#include "lsp/protocol.h"

namespace qosa::lsp {

// The protocol's numbers for the kinds we offer.
enum class CompletionItemKind : int {
  Function = 3,
  Class = 7,
  Value = 12,
  Keyword = 14,
  Constant = 21,
};

enum class InsertTextFormat : int {
  PlainText = 1,
  Snippet = 2,
};

struct CompletionItem {
  std::string label;
  CompletionItemKind kind = CompletionItemKind::Keyword;
  std::string detail;
  std::optional<std::string> documentation;  // markdown
  std::optional<std::string> insert_text;
  std::optional<InsertTextFormat> insert_text_format;
};

// The protocol's JSON form; members that are absent are left out.
boost::json::value to_json(const CompletionItem& item);

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

// The 140 items, built anew for each request, in their fixed order.
std::vector<CompletionItem> completion_items();

// The answer to a completion request: the whole list, whatever it asks.
std::vector<CompletionItem> completion(CompletionParams params);

}  // namespace qosa::lsp
