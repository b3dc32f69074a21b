#include "features/references.h"

#include <string>

#include "features/definition.h"
#include "features/word_index.h"
#include "features/words.h"
#include "support/json.h"

namespace qosa::lsp {

namespace json = boost::json;

namespace {

// Appends {"range":...,"uri":...}; `uri_json` is the uri already quoted.
void append_location(std::string& out, std::string_view uri_json, const Range& range) {
  out += R"({"range":)";
  append_json(out, range);
  out += R"(,"uri":)";
  out += uri_json;
  out += '}';
}

}  // namespace

Answer handle_references(const json::value& params, const DocumentSnapshot& snapshot) {
  ReferenceParams p;
  if (!from_json(params, p)) {
    return std::unexpected(response_error(ErrorCode::invalid_request, "Invalid references params"));
  }
  const std::string& uri = p.text_document.uri.str();
  const auto text = snapshot.text(uri);
  if (!text) return JsonResult(nullptr);
  const auto word = word_under_cursor(*text, p.position);
  if (!word) return JsonResult(nullptr);

  std::string out = "[";
  std::string uri_json;
  std::size_t expected = 0;  // an upper bound of the locations, to write the answer without regrowing it
  snapshot.for_each_document([&](std::string_view key, const Document& document) {
    const WordIndex::Occurrences found = find_word(document, word->word);
    if (!found.empty()) expected += (found.size() + 1) * (key.size() + 96);
  });
  out.reserve(expected);
  const auto add = [&](const Range& range) {
    if (out.size() > 1) out += ',';
    append_location(out, uri_json, range);
  };
  snapshot.for_each_document([&](std::string_view key, const Document& document) {
    const WordIndex::Occurrences found = find_word(document, word->word);
    if (found.empty()) return;
    bool uri_ready = false;
    bool dropped = false;
    found.for_each([&](const WordIndex::Hit& hit) {
      if (hit.after_declaration_keyword || dropped) return;
      if (!uri_ready) {
        // Printed once per document, and only for one with a location.
        const auto parsed = Uri::parse(key);
        if (!parsed) {
          dropped = true;  // its locations are dropped
          return;
        }
        uri_json.clear();
        support::append_json_string(uri_json, parsed->str());
        uri_ready = true;
      }
      add({{hit.line, hit.start}, {hit.line, hit.start + found.utf16_length()}});
    });
  });
  if (p.context.include_declaration) {
    const auto declaration = find_declaration(word->word, *text);
    const auto parsed = Uri::parse(uri);
    if (declaration && parsed) {
      uri_json.clear();
      support::append_json_string(uri_json, parsed->str());
      add(*declaration);
    }
  }
  out += ']';
  return JsonResult::written(std::move(out));
}

}  // namespace qosa::lsp
