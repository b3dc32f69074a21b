#include "features/code_actions.h"

#include <span>
#include <string>

#include "lsp/lines.h"
#include "support/unicode.h"

namespace qosa::lsp {

namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

CodeAction edit_action(std::string title, std::string_view kind, std::string_view uri,
                       std::variant<const RawJson*, ClientPoint> range, std::string new_text) {
  return CodeAction{std::move(title), kind, CodeActionEdit{uri, range, std::move(new_text)}, std::nullopt};
}

CodeAction command_action(std::string title, std::string_view kind, std::string_view command_title,
                          std::string_view command, std::string_view uri, const RawJson& range) {
  return CodeAction{std::move(title), kind, std::nullopt, CodeActionCommand{command_title, command, uri, &range}};
}

// The text between the first two `quote`s of the message, or none.
std::optional<std::string_view> quoted(std::string_view message, char quote) {
  const std::size_t open = message.find(quote);
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = message.find(quote, open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return message.substr(open + 1, close - open - 1);
}

std::optional<CodeAction> translation_action(std::string_view text, std::uint64_t start,
                                             std::string_view uri, const RawJson& range) {
  const auto line = line_at(text, start);
  if (!line) return std::nullopt;
  const std::string lowered = support::to_lower(line->content);
  // The translation words are those of the first eight pairs.
  const auto any = [&](std::string_view KeywordPair::*language) {
    for (const KeywordPair& pair : std::span(keyword_translation_pairs).first<8>()) {
      if (contains(lowered, pair.*language)) return true;
    }
    return false;
  };
  if (any(&KeywordPair::turkish)) {
    return command_action("Translate to English", "refactor.rewrite", "Translate keywords to English",
                          "qosa.translateToEnglish", uri, range);
  }
  if (any(&KeywordPair::english)) {
    return command_action("Translate to Turkish", "refactor.rewrite", "Translate keywords to Turkish",
                          "qosa.translateToTurkish", uri, range);
  }
  return std::nullopt;
}

}  // namespace

std::vector<CodeAction> quick_fixes_for_diagnostic(const CodeActionDiagnostic& diagnostic, std::string_view uri) {
  const std::string_view msg = diagnostic.message;
  const RawJson* range = &diagnostic.range;
  std::vector<CodeAction> fixes;

  if (contains(msg, "undefined") || contains(msg, "tanımsız")) {
    auto name = quoted(msg, '\'');
    if (!name) name = quoted(msg, '`');
    if (name) {
      const std::string n(*name);
      fixes.push_back(edit_action("Declare variable '" + n + "'", "quickfix", uri,
                                  ClientPoint{diagnostic.start_line, 0}, "değişken " + n + ": tamsayı = 0\n"));
    }
  }
  if (contains(msg, "expected") && contains(msg, ";")) {
    fixes.push_back(edit_action("Add semicolon", "quickfix", uri,
                                ClientPoint{diagnostic.end_line, diagnostic.end_character}, ";"));
  }
  if (contains(msg, "keyword") || contains(msg, "anahtar kelime")) {
    for (const auto& [turkish, english] : keyword_translation_pairs) {
      const bool tr = contains(msg, turkish);
      if (!tr && !contains(msg, english)) continue;
      const std::string found(tr ? turkish : english);
      const std::string other(tr ? english : turkish);
      fixes.push_back(edit_action("Replace '" + found + "' with '" + other + "'", "quickfix", uri, range, other));
      break;
    }
  }
  if ((contains(msg, "type mismatch") || contains(msg, "tip uyuşmazlığı")) && contains(msg, "integer") &&
      contains(msg, "float")) {
    fixes.push_back(edit_action("Convert to float", "quickfix", uri, range, "kesir_olarak("));
  }
  return fixes;
}

std::vector<CodeAction> handle_code_action(const CodeActionParams& params, std::string_view text) {
  const std::string_view uri = params.uri.text;
  std::vector<CodeAction> actions;
  for (const CodeActionDiagnostic& diagnostic : params.diagnostics) {
    for (CodeAction& fix : quick_fixes_for_diagnostic(diagnostic, uri)) actions.push_back(std::move(fix));
  }
  if (params.start_line == params.end_line) {
    actions.push_back(edit_action("Extract to variable", "refactor.extract", uri, &params.range, "yeni_değişken"));
  } else {
    actions.push_back(command_action("Extract to function", "refactor.extract", "Extract to function",
                                     "qosa.extractFunction", uri, params.range));
  }
  if (auto translation = translation_action(text, params.start_line, uri, params.range)) {
    actions.push_back(std::move(*translation));
  }
  return actions;
}

}  // namespace qosa::lsp
