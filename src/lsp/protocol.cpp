#include "lsp/protocol.h"

#include <utility>

#include <boost/json.hpp>

#include "support/json.h"
#include "support/url.h"

namespace qosa::lsp {

namespace json = boost::json;

ResponseError response_error(ErrorCode code, std::string message) {
  return ResponseError{static_cast<std::int32_t>(code), std::move(message), std::nullopt};
}

ResponseError serialization_error(std::string_view message) {
  return response_error(ErrorCode::internal_error, "Serialization error: " + std::string(message));
}

void JsonResult::append_to(std::string& out) const {
  if (const auto* value = std::get_if<json::value>(&result_)) {
    support::append_json(out, *value);
  } else {
    out += std::get<Written>(result_).text;
  }
}

std::string JsonResult::text() const {
  std::string out;
  append_to(out);
  return out;
}

std::optional<Uri> Uri::parse(std::string_view text) {
  auto url = support::parse_url(text);
  if (!url) return std::nullopt;
  return Uri(url->href());
}

namespace {

// A member of an object, or null for a missing member or a value that is not
// an object, so a missing level reads like a missing leaf.
const json::value& lookup(const json::value& v, std::string_view key) {
  static const json::value null;
  const json::object* o = v.if_object();
  if (!o) return null;
  const json::value* member = o->if_contains(key);
  return member ? *member : null;
}

// A number that holds a non-negative integer; a number written with a point
// or an exponent does not count.
std::optional<std::uint64_t> lenient_unsigned(const json::value& v) {
  if (v.is_uint64()) return v.get_uint64();
  if (v.is_int64() && v.get_int64() >= 0) return static_cast<std::uint64_t>(v.get_int64());
  return std::nullopt;
}

// params."textDocument"."uri" when it is a string, exactly as sent.
bool lenient_uri(const json::value& params, RawUri& out) {
  const json::string* uri = lookup(lookup(params, "textDocument"), "uri").if_string();
  if (!uri) return false;
  out.text.assign(uri->data(), uri->size());
  return true;
}

// Integers only: a number written with a point or an exponent is a double
// in the parsed value and never counts, whatever its value.
template <class Int>
bool get_int(const json::value& v, Int& out) {
  if (v.is_int64() && std::in_range<Int>(v.get_int64())) {
    out = static_cast<Int>(v.get_int64());
    return true;
  }
  if (v.is_uint64() && std::in_range<Int>(v.get_uint64())) {
    out = static_cast<Int>(v.get_uint64());
    return true;
  }
  return false;
}

bool get_string(const json::value& v, std::string& out) {
  const json::string* s = v.if_string();
  if (!s) return false;
  out.assign(s->data(), s->size());
  return true;
}

bool get_uri(const json::value& v, Uri& out) {
  const json::string* s = v.if_string();
  if (!s) return false;
  auto uri = Uri::parse(std::string_view(s->data(), s->size()));
  if (!uri) return false;
  out = std::move(*uri);
  return true;
}

// A required member: present (null included, which then fails its type).
template <class T, class Get>
bool required_member(const json::object& o, std::string_view key, T& out, Get get) {
  const json::value* v = o.if_contains(key);
  return v && get(*v, out);
}

// An optional member: absent and null are both none.
template <class T, class Get>
bool optional_member(const json::object& o, std::string_view key, std::optional<T>& out, Get get) {
  const json::value* v = o.if_contains(key);
  if (!v || v->is_null()) {
    out.reset();
    return true;
  }
  T value{};
  if (!get(*v, value)) return false;
  out = std::move(value);
  return true;
}

constexpr auto as_u32 = [](const json::value& v, std::uint32_t& out) { return get_int(v, out); };
constexpr auto as_i32 = [](const json::value& v, std::int32_t& out) { return get_int(v, out); };
constexpr auto as_string = [](const json::value& v, std::string& out) { return get_string(v, out); };
constexpr auto as_uri = [](const json::value& v, Uri& out) { return get_uri(v, out); };
template <class T>
constexpr auto as_record = [](const json::value& v, T& out) { return from_json(v, out); };

// A progress token is an integer or a string; only its shape matters here.
bool token_ok(const json::object& o, std::string_view key) {
  const json::value* v = o.if_contains(key);
  if (!v || v->is_null() || v->is_string()) return true;
  std::int32_t n;
  return get_int(*v, n);
}

bool position_params_members(const json::object& o, TextDocumentPositionParams& out) {
  return required_member(o, "textDocument", out.text_document, as_record<TextDocumentIdentifier>) &&
         required_member(o, "position", out.position, as_record<Position>);
}

}  // namespace

bool from_json(const json::value& v, Position& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "line", out.line, as_u32) && required_member(*o, "character", out.character, as_u32);
}

bool from_json(const json::value& v, Range& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "start", out.start, as_record<Position>) &&
         required_member(*o, "end", out.end, as_record<Position>);
}

bool from_json(const json::value& v, TextDocumentIdentifier& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "uri", out.uri, as_uri);
}

bool from_json(const json::value& v, TextDocumentPositionParams& out) {
  if (const json::array* a = v.if_array()) {
    return a->size() == 2 && from_json((*a)[0], out.text_document) && from_json((*a)[1], out.position);
  }
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out);
}

bool from_json(const json::value& v, HoverParams& out) {
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out) && token_ok(*o, "workDoneToken");
}

bool from_json(const json::value& v, GotoDefinitionParams& out) {
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out) && token_ok(*o, "workDoneToken") &&
         token_ok(*o, "partialResultToken");
}

namespace {

bool reference_context(const json::value& v, ReferenceContext& out) {
  const json::object* o = v.if_object();
  if (!o) return false;
  const json::value* include = o->if_contains("includeDeclaration");
  if (!include || !include->is_bool()) return false;
  out.include_declaration = include->get_bool();
  return true;
}

}  // namespace

bool from_json(const json::value& v, ReferenceParams& out) {
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out) && required_member(*o, "context", out.context, reference_context) &&
         token_ok(*o, "workDoneToken") && token_ok(*o, "partialResultToken");
}

bool from_json(const json::value& v, RenameParams& out) {
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out) && required_member(*o, "newName", out.new_name, as_string) &&
         token_ok(*o, "workDoneToken");
}

namespace {

bool completion_context(const json::value& v, CompletionContext& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "triggerKind", out.trigger_kind, as_i32) &&
         optional_member(*o, "triggerCharacter", out.trigger_character, as_string);
}

}  // namespace

bool from_json(const json::value& v, CompletionParams& out) {
  const json::object* o = v.if_object();
  return o && position_params_members(*o, out) && token_ok(*o, "workDoneToken") &&
         token_ok(*o, "partialResultToken") && optional_member(*o, "context", out.context, completion_context);
}

bool from_json(const json::value& v, InitializeParams&) {
  const json::object* o = v.if_object();
  if (!o) return false;
  const json::value* capabilities = o->if_contains("capabilities");
  return capabilities && capabilities->is_object();
}

namespace {

bool text_document_item(const json::value& v, TextDocumentItem& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "uri", out.uri, as_uri) &&
         required_member(*o, "languageId", out.language_id, as_string) &&
         required_member(*o, "version", out.version, as_i32) && required_member(*o, "text", out.text, as_string);
}

bool versioned_identifier(const json::value& v, VersionedTextDocumentIdentifier& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "uri", out.uri, as_uri) && required_member(*o, "version", out.version, as_i32);
}

bool content_change(const json::value& v, TextDocumentContentChangeEvent& out) {
  const json::object* o = v.if_object();
  return o && optional_member(*o, "range", out.range, as_record<Range>) &&
         optional_member(*o, "rangeLength", out.range_length, as_u32) && required_member(*o, "text", out.text, as_string);
}

bool content_changes(const json::value& v, std::vector<TextDocumentContentChangeEvent>& out) {
  const json::array* a = v.if_array();
  if (!a) return false;
  out.resize(a->size());
  for (std::size_t i = 0; i < a->size(); ++i) {
    if (!content_change((*a)[i], out[i])) return false;
  }
  return true;
}

}  // namespace

bool from_json(const json::value& v, DidOpenTextDocumentParams& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "textDocument", out.text_document, text_document_item);
}

bool from_json(const json::value& v, DidChangeTextDocumentParams& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "textDocument", out.text_document, versioned_identifier) &&
         required_member(*o, "contentChanges", out.content_changes, content_changes);
}

bool from_json(const json::value& v, DidCloseTextDocumentParams& out) {
  const json::object* o = v.if_object();
  return o && required_member(*o, "textDocument", out.text_document, as_record<TextDocumentIdentifier>);
}

// Lenient params

bool from_json(const json::value& v, RawTextDocumentParams& out) { return lenient_uri(v, out.uri); }

bool from_json(const json::value& v, SignatureHelpParams& out) {
  if (!lenient_uri(v, out.uri)) return false;
  const json::value& position = lookup(v, "position");
  const auto line = lenient_unsigned(lookup(position, "line"));
  const auto character = lenient_unsigned(lookup(position, "character"));
  if (!line || !character) return false;
  out.line = *line;
  out.character = *character;
  return true;
}

bool from_json(const json::value& v, InlayHintParams& out) {
  if (!lenient_uri(v, out.uri)) return false;
  const json::value& range = lookup(v, "range");
  const auto line_of = [&](std::string_view end, std::uint32_t otherwise) {
    const auto line = lenient_unsigned(lookup(lookup(range, end), "line"));
    return line ? static_cast<std::uint32_t>(*line) : otherwise;  // the low 32 bits
  };
  out.first_line = line_of("start", 0);
  out.last_line = line_of("end", 4294967295u);
  return true;
}

namespace {

std::uint64_t number_or_zero(const json::value& v) { return lenient_unsigned(v).value_or(0); }

std::optional<CodeActionDiagnostic> code_action_diagnostic(const json::value& v) {
  const json::string* message = lookup(v, "message").if_string();
  if (!message) return std::nullopt;
  CodeActionDiagnostic out;
  out.message.assign(message->data(), message->size());
  const json::value& range = lookup(v, "range");
  out.range.value = range;
  out.start_line = number_or_zero(lookup(lookup(range, "start"), "line"));
  out.end_line = number_or_zero(lookup(lookup(range, "end"), "line"));
  out.end_character = number_or_zero(lookup(lookup(range, "end"), "character"));
  return out;
}

}  // namespace

bool from_json(const json::value& v, CodeActionParams& out) {
  if (!lenient_uri(v, out.uri)) return false;
  const json::value& range = lookup(v, "range");
  out.range.value = range;
  out.start_line = number_or_zero(lookup(lookup(range, "start"), "line"));
  out.end_line = number_or_zero(lookup(lookup(range, "end"), "line"));
  out.diagnostics.clear();
  if (const json::array* list = lookup(lookup(v, "context"), "diagnostics").if_array()) {
    for (const json::value& d : *list) {
      if (auto diagnostic = code_action_diagnostic(d)) out.diagnostics.push_back(std::move(*diagnostic));
    }
  }
  return true;
}

}  // namespace qosa::lsp
