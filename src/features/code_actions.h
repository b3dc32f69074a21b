// Code actions: quick fixes chosen by the words of the diagnostics the
// client sends, an extract action, and a keyword translation action chosen
// by the first line of the requested range.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

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

// The fixes of one received diagnostic, in rule order. `uri` is the
// request's, as sent.
std::vector<CodeAction> quick_fixes_for_diagnostic(const CodeActionDiagnostic& diagnostic, std::string_view uri);

// "textDocument/codeAction" on the text of its document: the fixes of every
// diagnostic, then an extract action, then a translation action when the
// first line of the range holds keywords. Received ranges are copied as they
// were sent; only the lines of the range are read.
std::vector<CodeAction> handle_code_action(const CodeActionParams& params, std::string_view text);

}  // namespace qosa::lsp
