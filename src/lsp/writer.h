// The JSON text of the protocol's result records: the one place that writes
// them, each record's members written once, here, in byte-wise order of
// their names (the order the general writer of support/json.h sorts into).
//
// Small answers are records handed over whole. Large ones are streamed: a
// feature gives its records one at a time to a sink below (borrowed texts,
// nothing kept per record), or hands over a view that the writer walks, so no
// answer is built as a list first.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"
#include "support/json.h"

namespace qosa::lsp {

// ---------------------------------------------------------------------------
// Whole records

void write_json(std::string& out, const Position& position);
void write_json(std::string& out, const Range& range);
void write_json(std::string& out, const Location& location);
void write_json(std::string& out, const TextEdit& edit);
void write_json(std::string& out, const Hover& hover);
void write_json(std::string& out, const PrepareRenameResult& result);
void write_json(std::string& out, const CompletionItem& item);
void write_json(std::string& out, const ParameterInformation& parameter);
void write_json(std::string& out, const SignatureInformation& signature);
void write_json(std::string& out, const SignatureHelp& help);
void write_json(std::string& out, const InlayHint& hint);
void write_json(std::string& out, const CodeAction& action);
void write_json(std::string& out, const Diagnostic& diagnostic);
void write_json(std::string& out, const PublishDiagnosticsParams& params);

template <class T>
void write_json(std::string& out, const std::vector<T>& records) {
  out += '[';
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i > 0) out += ',';
    write_json(out, records[i]);
  }
  out += ']';
}

template <class T>
void write_json(std::string& out, const std::optional<T>& record) {
  if (record) {
    write_json(out, *record);
  } else {
    out += "null";
  }
}

// ---------------------------------------------------------------------------
// Into room already made: the writers of the streamed answers.

// Room a range takes at most.
inline constexpr std::size_t max_range_size = 62 + 4 * support::max_decimal_digits;

// {"character":..,"line":..}
[[gnu::always_inline]] inline char* write_position(char* p, const Position& at) {
  p = support::write_bytes(p, R"({"character":)");
  p = support::write_small_decimal(p, at.character);
  p = support::write_bytes(p, R"(,"line":)");
  p = support::write_small_decimal(p, at.line);
  *p++ = '}';
  return p;
}

// {"end":{"character":..,"line":..},"start":{"character":..,"line":..}}
[[gnu::always_inline]] inline char* write_range(char* p, const Range& range) {
  p = support::write_bytes(p, R"({"end":{"character":)");
  p = support::write_small_decimal(p, range.end.character);
  p = support::write_bytes(p, R"(,"line":)");
  p = support::write_small_decimal(p, range.end.line);
  p = support::write_bytes(p, R"(},"start":{"character":)");
  p = support::write_small_decimal(p, range.start.character);
  p = support::write_bytes(p, R"(,"line":)");
  p = support::write_small_decimal(p, range.start.line);
  return support::write_bytes(p, "}}");
}

// ---------------------------------------------------------------------------
// Sinks

// {"data":[...]}: ordered tokens, five integers each, relative to the token
// before; given a line at a time or all at once.
class SemanticTokenEncoder {
 public:
  explicit SemanticTokenEncoder(std::string& out);
  void append(std::span<const SemanticToken> ordered);
  void finish();  // closes the array and the object

 private:
  std::string& out_;
  std::uint32_t prev_line_ = 0;
  std::uint32_t prev_start_ = 0;
  bool first_ = true;
};

// The answer when there are no tokens to give: {"data":[]}.
std::string empty_semantic_tokens();

// {"data":[...]} for ordered tokens, all at once.
std::string encode_semantic_tokens(std::span<const SemanticToken> ordered);

// A symbol's object; "detail" is null when absent.
void document_symbol_json(std::string& out, const SymbolRecord& symbol);
inline void write_json(std::string& out, const SymbolRecord& symbol) { document_symbol_json(out, symbol); }

// [SymbolRecord, ...]
class DocumentSymbolWriter {
 public:
  explicit DocumentSymbolWriter(std::string& out);
  void add(const SymbolRecord& symbol);
  void finish();

 private:
  std::string& out_;
  bool first_ = true;
};

// [CodeLens, ...]
class CodeLensWriter {
 public:
  explicit CodeLensWriter(std::string& out);
  void add(const CodeLens& lens);
  void finish();

 private:
  std::string& out_;
  bool first_ = true;
  // The uri argument is mostly the same from lens to lens: escaped once.
  std::string_view last_uri_;
  std::string escaped_uri_;
};

// The sink of each kind of streamed record.
template <class Record>
struct SinkOf;
template <>
struct SinkOf<SemanticToken> {
  using type = SemanticTokenEncoder;
};
template <>
struct SinkOf<SymbolRecord> {
  using type = DocumentSymbolWriter;
};
template <>
struct SinkOf<CodeLens> {
  using type = CodeLensWriter;
};

// Features whose answer is streamed return a view that names the `record`
// it yields, hands its records to the matching sink in `stream`, and gives
// an `expected_size` of the answer's text, which sizes it up front (room
// left unused costs no page).
template <class T>
concept Streamed = requires(const T& t, typename SinkOf<typename T::record>::type& sink) {
  t.stream(sink);
  { t.expected_size() } -> std::convertible_to<std::size_t>;
};

template <Streamed T>
void write_json(std::string& out, const T& source) {
  out.reserve(out.size() + source.expected_size());
  typename SinkOf<typename T::record>::type sink(out);
  source.stream(sink);
  sink.finish();
}

// ---------------------------------------------------------------------------
// Views the writer walks: the places of one word across documents.
//
// `places.for_each_document(fn)` calls fn(uri, ranges) per document, where
// `ranges.size()` bounds how many ranges it holds and `ranges.for_each(visit)`
// calls visit(const Range&) for each.

namespace detail {

// Appends, for each range, `head`, the range, then `tail`; a comma before
// each unless `first`, which is cleared once one is written.
template <class Ranges>
void append_ranges(std::string& out, const Ranges& ranges, std::string_view head, std::string_view tail,
                   bool& first) {
  const std::size_t old = out.size();
  out.resize_and_overwrite(old + ranges.size() * (1 + head.size() + max_range_size + tail.size()),
                           [&](char* data, std::size_t) {
    // Locals, not references: the bytes written could alias anything a
    // reference reaches, which would be read again after every byte.
    char* p = data + old;
    bool none_yet = first;
    const std::string_view h = head;
    const std::string_view t = tail;
    ranges.for_each([&](const Range& range) __attribute__((always_inline)) {
      if (!none_yet) *p++ = ',';
      none_yet = false;
      p = support::write_bytes(p, h);
      p = write_range(p, range);
      p = support::write_bytes(p, t);
    });
    first = none_yet;
    return static_cast<std::size_t>(p - data);
  });
}

// An upper bound of what the places take with `per_range` bytes around each
// range and `per_document` bytes around each document's ranges, so the
// answer is sized once.
template <class Places>
std::size_t places_size(const Places& places, std::size_t per_range, std::size_t per_document) {
  std::size_t size = 16;
  places.for_each_document([&](std::string_view uri, const auto& ranges) {
    const std::size_t uri_size = support::max_json_escaped_size(uri) + 2;
    size += per_document + uri_size + ranges.size() * (per_range + max_range_size + uri_size);
  });
  return size;
}

}  // namespace detail

// The references answer, [Location, ...]: the places of every document in
// the order given, then the `last` location when there is one.
template <class Places>
struct LocationList {
  Places places;
  std::optional<Location> last;
};

template <class Places>
void write_json(std::string& out, const LocationList<Places>& list) {
  const Places& places = list.places;
  const std::optional<Location>& last = list.last;
  out.reserve(out.size() + detail::places_size(places, 16, 0) + (last ? 256 + last->uri.size() * 6 : 0));
  out += '[';
  bool first = true;
  std::string tail;
  places.for_each_document([&](std::string_view uri, const auto& ranges) {
    tail = R"(,"uri":)";
    support::append_json_string(tail, uri);
    tail += '}';
    detail::append_ranges(out, ranges, R"({"range":)", tail, first);
  });
  if (last) {
    if (!first) out += ',';
    write_json(out, *last);
  }
  out += ']';
}

// The rename answer, {"changes":{uri:[TextEdit, ...], ...}}: every range of
// each document takes `new_text`. The documents must come in byte-wise order
// of their uris.
template <class Places>
struct WorkspaceEdit {
  std::string_view new_text;
  Places places;
};

template <class Places>
void write_json(std::string& out, const WorkspaceEdit<Places>& edit) {
  const Places& places = edit.places;
  std::string head = R"({"newText":)";
  support::append_json_string(head, edit.new_text);
  head += R"(,"range":)";
  out.reserve(out.size() + detail::places_size(places, head.size() + 4, 8));
  out += R"({"changes":{)";
  bool first_document = true;
  places.for_each_document([&](std::string_view uri, const auto& ranges) {
    if (!first_document) out += ',';
    first_document = false;
    support::append_json_string(out, uri);
    out += ":[";
    bool first = true;
    detail::append_ranges(out, ranges, head, "}", first);
    out += ']';
  });
  out += "}}";
}

}  // namespace qosa::lsp
