// Code actions: quick fixes chosen by the words of the diagnostics the
// client sends, an extract action, and a keyword translation action chosen
// by the first line of the requested range.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include <boost/json/array.hpp>
#include <boost/json/value.hpp>

#include "lsp/document.h"

namespace qosa::lsp {

struct KeywordPair {
  std::string_view turkish;
  std::string_view english;
};

// The replace-keyword fix uses all ten pairs; the translation action the first eight.
inline constexpr std::array<KeywordPair, 10> keyword_translation_pairs = {{
    {"fonksiyon", "function"},
    {"değişken", "let"},
    {"sabit", "const"},
    {"eğer", "if"},
    {"yoksa", "else"},
    {"iken", "while"},
    {"için", "for"},
    {"dön", "return"},
    {"yap", "do"},
    {"son", "end"},
}};

// The fixes of one diagnostic, in rule order; none when it is not an object
// or its "message" is not a string.
std::optional<boost::json::array> quick_fixes_for_diagnostic(const boost::json::value& diagnostic,
                                                             std::string_view uri);

// "textDocument/codeAction": the array of actions, or null when the params
// name no open document. Ranges are copied as received; only the lines of
// the range are read.
boost::json::value handle_code_action(const boost::json::value& params,
                                      const DocumentSnapshot& snapshot);

}  // namespace qosa::lsp
