#include "features/references.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "features/definition.h"
#include "features/tables.h"
#include "support/json.h"
#include "support/unicode.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace json = boost::json;

// The neighbours are read in the text rather than in the line: at a line's
// ends they are "\n" or "\r", which are no identifier characters either.
bool WholeWords::boundary_before(std::size_t at) const {
  if (at == 0) return true;
  const std::size_t prev = previous_char_start(text_, at);
  return !is_identifier_char(support::decode_utf8(text_, prev).code_point);
}

bool WholeWords::boundary_after(std::size_t at) const {
  return at == text_.size() || !is_identifier_char(support::decode_utf8(text_, at).code_point);
}

std::optional<WordHit> WholeWords::next() {
  const std::size_t w = word_.size();
  while (pos_ < text_.size()) {
    const void* found = ::memmem(text_.data() + pos_, text_.size() - pos_, word_.data(), w);
    if (!found) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
    // An occurrence overlapping this one has one of this one's identifier
    // characters beside it and is never a whole word, so the search resumes
    // behind this one: no run of near-hits is read twice.
    pos_ = at + w;
    if (!boundary_before(at) || !boundary_after(at + w)) continue;

    const auto breaks = std::count(text_.data() + counted_, text_.data() + at, '\n');
    counted_ = at;
    if (breaks > 0 || !columns_ready_) {
      line_ += static_cast<std::uint32_t>(breaks);
      if (breaks > 0) line_start_ = text_.rfind('\n', at - 1) + 1;
      std::size_t end = std::min(text_.find('\n', at), text_.size());
      if (end < text_.size() && text_[end - 1] == '\r') --end;
      columns_ = Utf16Columns(text_.substr(line_start_, end - line_start_));
      columns_ready_ = true;
    }
    const std::size_t begin = at - line_start_;
    WordHit hit;
    hit.line = line_;
    hit.start = static_cast<std::uint32_t>(columns_.column(begin));
    hit.end = static_cast<std::uint32_t>(columns_.column(begin + w));
    hit.before = text_.substr(line_start_, begin);
    return hit;
  }
  pos_ = text_.size();
  return std::nullopt;
}

namespace {

// The text before an occurrence ends, white space aside, with a declaration
// keyword (no word boundary: "outlet x" counts as "let x").
bool follows_declaration_keyword(std::string_view before) {
  const std::string_view trimmed = support::trim_end(before);
  return std::any_of(declaration_patterns.begin(), declaration_patterns.end(),
                     [&](const DeclarationPattern& p) { return trimmed.ends_with(p.keyword()); });
}

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
  const auto add = [&](const Range& range) {
    if (out.size() > 1) out += ',';
    append_location(out, uri_json, range);
  };
  snapshot.for_each([&](std::string_view key, std::string_view document) {
    WholeWords hits(document, word->word);
    bool uri_ready = false;
    while (const auto hit = hits.next()) {
      if (follows_declaration_keyword(hit->before)) continue;
      if (!uri_ready) {
        // Printed once per document, and only for one with a location.
        const auto parsed = Uri::parse(key);
        if (!parsed) return;  // its locations are dropped
        uri_json.clear();
        support::append_json_string(uri_json, parsed->str());
        uri_ready = true;
      }
      add({{hit->line, hit->start}, {hit->line, hit->end}});
    }
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
