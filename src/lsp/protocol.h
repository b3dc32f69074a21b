// The Language Server Protocol records the server reads and writes, each with
// its JSON conversion beside it. A `from_json` fills the record and returns
// false when the value does not have the record's shape; members the record
// does not define are ignored, and an optional member given as null counts
// as absent. Uris are parsed and stored as the URL module prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/value.hpp>

namespace qosa::lsp {

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

struct Location {
  std::string uri;
  Range range;
};
boost::json::value to_json(const Location& l);

struct TextDocumentIdentifier {
  std::string uri;
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
  std::string uri;
  std::string language_id;
  std::int32_t version = 0;
  std::string text;
};

struct DidOpenTextDocumentParams {
  TextDocumentItem text_document;
};
bool from_json(const boost::json::value& v, DidOpenTextDocumentParams& out);

struct VersionedTextDocumentIdentifier {
  std::string uri;
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
  std::string uri;
  std::vector<Diagnostic> diagnostics;
};
boost::json::value to_json(const PublishDiagnosticsParams& p);

}  // namespace qosa::lsp
