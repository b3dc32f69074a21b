// The Language Server Protocol records the server reads and writes, each with
// its JSON conversion beside it. A `from_json` fills the record and returns
// false when the value does not have the record's shape; members the record
// does not define are ignored, and an optional member given as null counts
// as absent. Uris are parsed and stored as the URL module prints them.
#pragma once

#include <concepts>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <boost/json/value.hpp>

namespace qosa::lsp {

// ---------------------------------------------------------------------------
// The answer vocabulary

// The JSON-RPC error codes the server answers with.
enum class ErrorCode : std::int32_t {
  invalid_request = -32600,
  method_not_found = -32601,
  internal_error = -32603,
};

struct ResponseError {
  std::int32_t code;
  std::string message;
  std::optional<boost::json::value> data;
};

ResponseError response_error(ErrorCode code, std::string message);

// -32603 "Serialization error: {message}".
ResponseError serialization_error(std::string_view message);

// A request's result: a JSON value, or JSON text already written, which the
// response carries unchanged (a large result need not be built as a value
// tree first). Written text must keep object members sorted byte-wise.
class JsonResult {
 public:
  template <class T>
    requires std::constructible_from<boost::json::value, T>
  JsonResult(T&& value) : result_(boost::json::value(std::forward<T>(value))) {}

  static JsonResult written(std::string text) { return JsonResult(Written{std::move(text)}); }

  // Appends the compact text of the result.
  void append_to(std::string& out) const;
  std::string text() const;

 private:
  struct Written {
    std::string text;
  };
  explicit JsonResult(Written written) : result_(std::move(written)) {}

  std::variant<boost::json::value, Written> result_;
};

// A request's "result", or its "error".
using Answer = std::expected<JsonResult, ResponseError>;

// Raw params: a member of an object, or null for a missing member or a value
// that is not an object, so a missing level reads like a missing leaf.
const boost::json::value& lookup(const boost::json::value& v, std::string_view key);

// params."textDocument"."uri" when it is a string, exactly as sent.
std::optional<std::string_view> raw_uri(const boost::json::value& params);

// A raw number that holds a non-negative integer; a number written with a
// point or an exponent does not count.
std::optional<std::uint64_t> raw_unsigned(const boost::json::value& v);

// ---------------------------------------------------------------------------
// Records

// A document uri as the URL module prints it; made only by parsing, so no
// typed record holds a uri that skipped the URL module.
class Uri {
 public:
  Uri() = default;  // empty until a record's conversion fills it
  // None when `text` is not an absolute URL.
  static std::optional<Uri> parse(std::string_view text);

  const std::string& str() const { return href_; }
  friend bool operator==(const Uri& a, const Uri& b) = default;
  friend bool operator==(const Uri& a, std::string_view b) { return a.href_ == b; }

 private:
  explicit Uri(std::string href) : href_(std::move(href)) {}
  std::string href_;
};

// "line" and "character" count from 0; "character" counts UTF-16 code
// units of the line.
struct Position {
  std::uint32_t line = 0;
  std::uint32_t character = 0;
};
bool from_json(const boost::json::value& v, Position& out);
boost::json::value to_json(const Position& p);

struct Range {
  Position start;
  Position end;
};
bool from_json(const boost::json::value& v, Range& out);
boost::json::value to_json(const Range& r);
// Appends the JSON text of the range, members sorted, for answers written as text.
void append_json(std::string& out, const Range& r);

struct Location {
  Uri uri;
  Range range;
};
boost::json::value to_json(const Location& l);

struct TextDocumentIdentifier {
  Uri uri;
};
bool from_json(const boost::json::value& v, TextDocumentIdentifier& out);

struct TextDocumentPositionParams {
  TextDocumentIdentifier text_document;
  Position position;
};
// Also accepts the two-element array [textDocument, position].
bool from_json(const boost::json::value& v, TextDocumentPositionParams& out);

// The position params of hover and definition; a "workDoneToken" or
// "partialResultToken", when given, must be an integer or a string.
struct HoverParams : TextDocumentPositionParams {};
bool from_json(const boost::json::value& v, HoverParams& out);

struct GotoDefinitionParams : TextDocumentPositionParams {};
bool from_json(const boost::json::value& v, GotoDefinitionParams& out);

struct ReferenceContext {
  bool include_declaration = false;
};

// Only an object converts; "context" with "includeDeclaration" is required.
struct ReferenceParams : TextDocumentPositionParams {
  ReferenceContext context;
};
bool from_json(const boost::json::value& v, ReferenceParams& out);

// Only an object converts.
struct RenameParams : TextDocumentPositionParams {
  std::string new_name;
};
bool from_json(const boost::json::value& v, RenameParams& out);

// The range-with-placeholder answer of prepareRename.
struct PrepareRenameResult {
  Range range;
  std::string placeholder;
};
boost::json::value to_json(const PrepareRenameResult& r);

struct CompletionContext {
  std::int32_t trigger_kind = 0;
  std::optional<std::string> trigger_character;
};

struct CompletionParams : TextDocumentPositionParams {
  std::optional<CompletionContext> context;
};
bool from_json(const boost::json::value& v, CompletionParams& out);

// Nothing of the client's initialize params is read; only their shape is
// checked ("capabilities" must be an object).
struct InitializeParams {};
bool from_json(const boost::json::value& v, InitializeParams& out);

struct TextDocumentItem {
  Uri uri;
  std::string language_id;
  std::int32_t version = 0;
  std::string text;
};

struct DidOpenTextDocumentParams {
  TextDocumentItem text_document;
};
bool from_json(const boost::json::value& v, DidOpenTextDocumentParams& out);

struct VersionedTextDocumentIdentifier {
  Uri uri;
  std::int32_t version = 0;
};

struct TextDocumentContentChangeEvent {
  std::optional<Range> range;
  std::optional<std::uint32_t> range_length;  // never used
  std::string text;
};

struct DidChangeTextDocumentParams {
  VersionedTextDocumentIdentifier text_document;
  std::vector<TextDocumentContentChangeEvent> content_changes;
};
bool from_json(const boost::json::value& v, DidChangeTextDocumentParams& out);

struct DidCloseTextDocumentParams {
  TextDocumentIdentifier text_document;
};
bool from_json(const boost::json::value& v, DidCloseTextDocumentParams& out);

struct Diagnostic {
  Range range;
  int severity = 1;  // 1 is Error
  std::string source;
  std::string message;
};
boost::json::value to_json(const Diagnostic& d);

struct PublishDiagnosticsParams {
  Uri uri;
  std::vector<Diagnostic> diagnostics;
};
boost::json::value to_json(const PublishDiagnosticsParams& p);

// An inline label the editor shows in front of "position".
enum class InlayHintKind : std::uint8_t { type = 1, parameter = 2 };

struct InlayHint {
  Position position;
  std::string label;
  InlayHintKind kind = InlayHintKind::type;
  std::optional<bool> padding_left;
  std::optional<bool> padding_right;
};
boost::json::value to_json(const InlayHint& h);

}  // namespace qosa::lsp
