#include "features/code_actions.h"

#include <span>
#include <string>

#include <boost/json.hpp>

#include "lsp/lines.h"
#include "lsp/protocol.h"
#include "support/unicode.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A member taken as an integer: a non-negative integer number, else 0.
std::uint64_t integer(const json::value& v) { return raw_unsigned(v).value_or(0); }

// An empty range at (line, character).
json::value point_range(std::uint64_t line, std::uint64_t character) {
  const json::object position{{"character", character}, {"line", line}};
  return json::object{{"end", position}, {"start", position}};
}

json::value edit_action(std::string_view title, std::string_view kind, std::string_view uri,
                        json::value range, std::string_view new_text) {
  json::object changes;
  changes[uri] = json::array{json::object{{"newText", new_text}, {"range", std::move(range)}}};
  return json::object{{"edit", json::object{{"changes", std::move(changes)}}},
                      {"kind", kind},
                      {"title", title}};
}

json::value command_action(std::string_view title, std::string_view kind,
                           std::string_view command_title, std::string_view command,
                           std::string_view uri, const json::value& range) {
  return json::object{
      {"command", json::object{{"arguments", json::array{json::value(uri), range}},
                               {"command", command},
                               {"title", command_title}}},
      {"kind", kind},
      {"title", title}};
}

// The text between the first two `quote`s of the message, or none.
std::optional<std::string_view> quoted(std::string_view message, char quote) {
  const std::size_t open = message.find(quote);
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = message.find(quote, open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return message.substr(open + 1, close - open - 1);
}

std::optional<json::value> translation_action(std::string_view text, std::uint64_t start,
                                              std::string_view uri, const json::value& range) {
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

std::optional<json::array> quick_fixes_for_diagnostic(const json::value& diagnostic,
                                                      std::string_view uri) {
  const json::string* message = lookup(diagnostic, "message").if_string();
  if (!diagnostic.is_object() || !message) return std::nullopt;
  const std::string_view msg(message->data(), message->size());
  const json::value& range = lookup(diagnostic, "range");
  json::array fixes;

  if (contains(msg, "undefined") || contains(msg, "tanımsız")) {
    auto name = quoted(msg, '\'');
    if (!name) name = quoted(msg, '`');
    if (name) {
      const std::string n(*name);
      fixes.push_back(edit_action("Declare variable '" + n + "'", "quickfix", uri,
                                  point_range(integer(lookup(lookup(range, "start"), "line")), 0),
                                  "değişken " + n + ": tamsayı = 0\n"));
    }
  }
  if (contains(msg, "expected") && contains(msg, ";")) {
    const json::value& end = lookup(range, "end");
    fixes.push_back(edit_action("Add semicolon", "quickfix", uri,
                                point_range(integer(lookup(end, "line")), integer(lookup(end, "character"))),
                                ";"));
  }
  if (contains(msg, "keyword") || contains(msg, "anahtar kelime")) {
    for (const auto& [turkish, english] : keyword_translation_pairs) {
      const bool tr = contains(msg, turkish);
      if (!tr && !contains(msg, english)) continue;
      const std::string found(tr ? turkish : english);
      const std::string other(tr ? english : turkish);
      fixes.push_back(edit_action("Replace '" + found + "' with '" + other + "'", "quickfix", uri, range,
                                  other));
      break;
    }
  }
  if ((contains(msg, "type mismatch") || contains(msg, "tip uyuşmazlığı")) && contains(msg, "integer") &&
      contains(msg, "float")) {
    fixes.push_back(edit_action("Convert to float", "quickfix", uri, range, "kesir_olarak("));
  }
  return fixes;
}

json::value handle_code_action(const json::value& params, const DocumentSnapshot& snapshot) {
  const auto uri = raw_uri(params);
  if (!uri) return nullptr;
  const json::value& range = lookup(params, "range");
  const json::value& diagnostics = lookup(lookup(params, "context"), "diagnostics");
  const auto text = snapshot.text(*uri);
  if (!text) return nullptr;

  json::array actions;
  if (const json::array* list = diagnostics.if_array()) {
    for (const json::value& diagnostic : *list) {
      if (auto fixes = quick_fixes_for_diagnostic(diagnostic, *uri)) {
        for (json::value& fix : *fixes) actions.push_back(std::move(fix));
      }
    }
  }

  const std::uint64_t start = integer(lookup(lookup(range, "start"), "line"));
  const std::uint64_t end = integer(lookup(lookup(range, "end"), "line"));
  if (start == end) {
    actions.push_back(edit_action("Extract to variable", "refactor.extract", *uri, range, "yeni_değişken"));
  } else {
    actions.push_back(command_action("Extract to function", "refactor.extract", "Extract to function",
                                     "qosa.extractFunction", *uri, range));
  }
  if (auto translation = translation_action(*text, start, *uri, range)) {
    actions.push_back(std::move(*translation));
  }
  return actions;
}

}  // namespace qosa::lsp
