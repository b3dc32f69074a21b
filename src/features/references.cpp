#include "features/references.h"

#include <string>
#include <vector>

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

  // Each document is looked up once: the sizes bound the answer, which is
  // then written without regrowing.
  const std::vector<DocumentOccurrences> documents = find_word_in_documents(snapshot, word->word);
  std::size_t expected = 2;
  for (const auto& [key, found] : documents) expected += found.size() * (key.size() + 128);
  std::string out = "[";
  out.reserve(expected + 256 + uri.size());
  bool first = true;
  std::string tail;
  for (const auto& [key, found] : documents) {
    const auto parsed = Uri::parse(key);
    if (!parsed) continue;  // its locations are dropped
    tail = R"(,"uri":)";
    support::append_json_string(tail, parsed->str());
    tail += '}';
    append_occurrences(out, found, /*skip_declared=*/true, R"({"range":)", tail, first);
  }
  std::string uri_json;
  const auto add = [&](const Range& range) {
    if (!first) out += ',';
    first = false;
    append_location(out, uri_json, range);
  };
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
