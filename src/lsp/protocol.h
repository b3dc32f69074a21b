// The Language Server Protocol records the server reads and writes. Every
// request has a params record with its `from_json` beside it: it fills the
// record and returns false when the value does not have the record's shape;
// members the record does not define are ignored, and an optional member
// given as null counts as absent. The result records are written as JSON
// text by lsp/writer.h, the one place that writes them.
//
// Two kinds of params records. Typed ones follow the protocol strictly: a
// uri is parsed and kept as the URL module prints it (`Uri`), positions are
// unsigned 32-bit numbers. Lenient ones read members one by one, as some
// requests must: their uri is the exact string sent (`RawUri`), their
// numbers follow the request's own rule, and what the answer copies unread
// is kept as the JSON value received (`RawJson`).
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

// ---------------------------------------------------------------------------
// Members

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

// A document uri exactly as the client sent it: never parsed, looked up byte
// for byte among the stored keys (so "FILE:///a" does not find "file:///a"),
// and echoed unchanged. It is not a `Uri` and must not become one.
struct RawUri {
  std::string text;
};

// A JSON value the answer copies as it was received, unread.
struct RawJson {
  boost::json::value value;
};

// "line" and "character" count from 0; "character" counts UTF-16 code
// units of the line.
struct Position {
  std::uint32_t line = 0;
  std::uint32_t character = 0;
  friend bool operator==(const Position&, const Position&) = default;
};
bool from_json(const boost::json::value& v, Position& out);

struct Range {
  Position start;
  Position end;
  friend bool operator==(const Range&, const Range&) = default;
};
bool from_json(const boost::json::value& v, Range& out);

struct TextDocumentIdentifier {
  Uri uri;
};
bool from_json(const boost::json::value& v, TextDocumentIdentifier& out);

// ---------------------------------------------------------------------------
// Typed params

struct TextDocumentPositionParams {
  TextDocumentIdentifier text_document;
  Position position;
};
// Also accepts the two-element array [textDocument, position].
bool from_json(const boost::json::value& v, TextDocumentPositionParams& out);

// Only an object converts; a "workDoneToken", when given, must be an integer
// or a string. ("partialResultToken" is not read.)
struct HoverParams : TextDocumentPositionParams {};
bool from_json(const boost::json::value& v, HoverParams& out);

// Only an object converts; "workDoneToken" and "partialResultToken", when
// given, must be an integer or a string.
struct GotoDefinitionParams : TextDocumentPositionParams {};
bool from_json(const boost::json::value& v, GotoDefinitionParams& out);

struct ReferenceContext {
  bool include_declaration = false;
};

// Only an object converts; "context" with a boolean "includeDeclaration" is
// required; both progress tokens are checked.
struct ReferenceParams : TextDocumentPositionParams {
  ReferenceContext context;
};
bool from_json(const boost::json::value& v, ReferenceParams& out);

// Only an object converts; "newName" is required; "workDoneToken" is checked,
// "partialResultToken" is not read.
struct RenameParams : TextDocumentPositionParams {
  std::string new_name;
};
bool from_json(const boost::json::value& v, RenameParams& out);

struct CompletionContext {
  std::int32_t trigger_kind = 0;
  std::optional<std::string> trigger_character;
};

// Only an object converts; both progress tokens are checked; "context", when
// given, must hold a 32-bit "triggerKind".
struct CompletionParams : TextDocumentPositionParams {
  std::optional<CompletionContext> context;
};
bool from_json(const boost::json::value& v, CompletionParams& out);

// Nothing of the client's initialize params is read; only their shape is
// checked ("capabilities" must be an object).
struct InitializeParams {};
bool from_json(const boost::json::value& v, InitializeParams& out);

// ---------------------------------------------------------------------------
// Lenient params: each converts when params."textDocument"."uri" is a string,
// and reads the rest member by member, a missing level reading like a
// missing leaf.

// semanticTokens/full, documentSymbol and codeLens read nothing else.
struct RawTextDocumentParams {
  RawUri uri;
};
bool from_json(const boost::json::value& v, RawTextDocumentParams& out);
using SemanticTokensParams = RawTextDocumentParams;
using DocumentSymbolParams = RawTextDocumentParams;
using CodeLensParams = RawTextDocumentParams;

// "position"."line" and "position"."character" must also be numbers holding
// non-negative integers, read as unsigned 64-bit (2^32 and above accepted;
// 2.0, -1 or "3" do not convert).
struct SignatureHelpParams {
  RawUri uri;
  std::uint64_t line = 0;
  std::uint64_t character = 0;
};
bool from_json(const boost::json::value& v, SignatureHelpParams& out);

// The lines of "range": a start line that is missing or not a non-negative
// integer reads as 0, such an end line as 4294967295; larger numbers keep
// their low 32 bits. "character" is not read.
struct InlayHintParams {
  RawUri uri;
  std::uint32_t first_line = 0;
  std::uint32_t last_line = 4294967295u;
};
bool from_json(const boost::json::value& v, InlayHintParams& out);

// Numbers of a code action's params: a non-negative integer as unsigned
// 64-bit, anything else 0.
//
// One diagnostic of the request's context, when it is an object whose
// "message" is a string; the others give no fix and are left out.
struct CodeActionDiagnostic {
  std::string message;
  RawJson range;  // as received; null when absent
  std::uint64_t start_line = 0;
  std::uint64_t end_line = 0;
  std::uint64_t end_character = 0;
};

struct CodeActionParams {
  RawUri uri;
  RawJson range;  // as received; null when absent
  std::uint64_t start_line = 0;
  std::uint64_t end_line = 0;
  std::vector<CodeActionDiagnostic> diagnostics;  // of "context"."diagnostics" when an array
};
bool from_json(const boost::json::value& v, CodeActionParams& out);

// ---------------------------------------------------------------------------
// Notification params

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

// ---------------------------------------------------------------------------
// Results. Texts are borrowed (string_view) where a record only passes a
// document's text or a table's on to the writer; such a record must not
// outlive what it points into.

struct Location {
  std::string uri;  // as the URL module prints it
  Range range;
};

struct TextEdit {
  Range range;
  std::string_view new_text;
};

// A hover whose contents are markdown; it has no range.
struct Hover {
  std::string_view markdown;
};

// The range-with-placeholder answer of prepareRename.
struct PrepareRenameResult {
  Range range;
  std::string_view placeholder;
};

// The protocol's numbers for the completion kinds we offer.
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

struct ParameterInformation {
  std::string label;
};

struct SignatureInformation {
  std::string label;
  std::string documentation;
  std::vector<ParameterInformation> parameters;
};

struct SignatureHelp {
  std::vector<SignatureInformation> signatures;
  std::uint32_t active_signature = 0;
  std::uint64_t active_parameter = 0;
};

// The protocol's SymbolKind numbers in use.
enum class SymbolKind : std::uint8_t { function = 12, variable = 13, constant = 14, struct_ = 23 };

// One entry of the flat outline; "detail" is written as null when absent.
struct SymbolRecord {
  std::string_view name;
  std::optional<std::string_view> detail;
  Range range;            // the whole line
  Range selection_range;  // the name
  SymbolKind kind = SymbolKind::function;
};

// One token's place: `start` and `length` count UTF-16 code units of the line.
struct SemanticToken {
  std::uint32_t line = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  std::uint32_t token_type = 0;
  std::uint32_t token_modifiers = 0;
  friend bool operator==(const SemanticToken&, const SemanticToken&) = default;
};

// An inline label the editor shows in front of "position".
enum class InlayHintKind : std::uint8_t { type = 1, parameter = 2 };

struct InlayHint {
  Position position;
  std::string label;
  InlayHintKind kind = InlayHintKind::type;
  std::optional<bool> padding_left;
  std::optional<bool> padding_right;
};

// A command the editor runs. A code lens's arguments are strings.
struct LensCommand {
  std::string_view title;
  std::string_view command;
  std::optional<std::string_view> uri_argument;  // first, when given
  std::string_view name_argument;                // last
};

struct CodeLens {
  Range range;
  LensCommand command;
};

// An empty range at a point whose numbers came from the client unchecked.
struct ClientPoint {
  std::uint64_t line = 0;
  std::uint64_t character = 0;
};

// A code action either edits one document ("edit") or runs a command whose
// arguments are the document's uri and the received range ("command").
struct CodeActionEdit {
  std::string_view uri;  // as sent
  std::variant<const RawJson*, ClientPoint> range;  // a received range, or a point
  std::string new_text;
};

struct CodeActionCommand {
  std::string_view title;
  std::string_view command;
  std::string_view uri;  // as sent
  const RawJson* range;  // the request's, as received
};

struct CodeAction {
  std::string title;
  std::string_view kind;
  std::optional<CodeActionEdit> edit;
  std::optional<CodeActionCommand> command;
};

struct Diagnostic {
  Range range;
  int severity = 1;  // 1 is Error
  std::string_view source;
  std::string message;
};

struct PublishDiagnosticsParams {
  std::string_view uri;
  std::vector<Diagnostic> diagnostics;
};

}  // namespace qosa::lsp
