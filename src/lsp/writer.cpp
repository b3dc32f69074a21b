#include "lsp/writer.h"

#include <algorithm>

namespace qosa::lsp {

namespace {

using support::append_decimal;
using support::append_json_string;
using support::write_bytes;

// {"character":C,"line":L} with the same numbers in both ends when `start`
// and `end` are one point.
void append_point_range(std::string& out, std::uint64_t line, std::uint64_t character) {
  for (std::string_view member : {R"({"end":)", R"(,"start":)"}) {
    out += member;
    out += R"({"character":)";
    append_decimal(out, character);
    out += R"(,"line":)";
    append_decimal(out, line);
    out += '}';
  }
  out += '}';
}

// Appends what `write` puts into at most `room` bytes: room is checked once
// per record, and its pieces are written without a check each.
template <class Write>
void append_written(std::string& out, std::size_t room, Write&& write) {
  const std::size_t old = out.size();
  if (out.capacity() < old + room) out.reserve(std::max(2 * out.capacity(), old + room));
  out.resize_and_overwrite(old + room, [&](char* data, std::size_t) {
    return static_cast<std::size_t>(write(data + old) - data);
  });
}

// {"kind":"markdown","value":...}
void append_markdown(std::string& out, std::string_view markdown) {
  out += R"({"kind":"markdown","value":)";
  append_json_string(out, markdown);
  out += '}';
}

}  // namespace

void write_json(std::string& out, const Position& position) {
  append_written(out, max_range_size, [&](char* p) { return write_position(p, position); });
}

void write_json(std::string& out, const Range& range) {
  append_written(out, max_range_size, [&](char* p) { return write_range(p, range); });
}

void write_json(std::string& out, const Location& location) {
  out += R"({"range":)";
  write_json(out, location.range);
  out += R"(,"uri":)";
  append_json_string(out, location.uri);
  out += '}';
}

void write_json(std::string& out, const TextEdit& edit) {
  out += R"({"newText":)";
  append_json_string(out, edit.new_text);
  out += R"(,"range":)";
  write_json(out, edit.range);
  out += '}';
}

void write_json(std::string& out, const Hover& hover) {
  out += R"({"contents":)";
  append_markdown(out, hover.markdown);
  out += '}';
}

void write_json(std::string& out, const PrepareRenameResult& result) {
  out += R"({"placeholder":)";
  append_json_string(out, result.placeholder);
  out += R"(,"range":)";
  write_json(out, result.range);
  out += '}';
}

void write_json(std::string& out, const CompletionItem& item) {
  out += R"({"detail":)";
  append_json_string(out, item.detail);
  if (item.documentation) {
    out += R"(,"documentation":)";
    append_markdown(out, *item.documentation);
  }
  if (item.insert_text) {
    out += R"(,"insertText":)";
    append_json_string(out, *item.insert_text);
  }
  if (item.insert_text_format) {
    out += R"(,"insertTextFormat":)";
    append_decimal(out, static_cast<std::uint64_t>(*item.insert_text_format));
  }
  out += R"(,"kind":)";
  append_decimal(out, static_cast<std::uint64_t>(item.kind));
  out += R"(,"label":)";
  append_json_string(out, item.label);
  out += '}';
}

void write_json(std::string& out, const ParameterInformation& parameter) {
  out += R"({"label":)";
  append_json_string(out, parameter.label);
  out += '}';
}

void write_json(std::string& out, const SignatureInformation& signature) {
  out += R"({"documentation":)";
  append_json_string(out, signature.documentation);
  out += R"(,"label":)";
  append_json_string(out, signature.label);
  out += R"(,"parameters":)";
  write_json(out, signature.parameters);
  out += '}';
}

void write_json(std::string& out, const SignatureHelp& help) {
  out += R"({"activeParameter":)";
  append_decimal(out, help.active_parameter);
  out += R"(,"activeSignature":)";
  append_decimal(out, std::uint64_t{help.active_signature});
  out += R"(,"signatures":)";
  write_json(out, help.signatures);
  out += '}';
}

void write_json(std::string& out, const InlayHint& hint) {
  out += R"({"kind":)";
  append_decimal(out, static_cast<std::uint64_t>(hint.kind));
  out += R"(,"label":)";
  append_json_string(out, hint.label);
  if (hint.padding_left) out += *hint.padding_left ? R"(,"paddingLeft":true)" : R"(,"paddingLeft":false)";
  if (hint.padding_right) out += *hint.padding_right ? R"(,"paddingRight":true)" : R"(,"paddingRight":false)";
  out += R"(,"position":)";
  write_json(out, hint.position);
  out += '}';
}

void write_json(std::string& out, const CodeAction& action) {
  out += '{';
  if (action.command) {
    const CodeActionCommand& c = *action.command;
    out += R"("command":{"arguments":[)";
    append_json_string(out, c.uri);
    out += ',';
    support::append_json(out, c.range->value);
    out += R"(],"command":)";
    append_json_string(out, c.command);
    out += R"(,"title":)";
    append_json_string(out, c.title);
    out += "},";
  }
  if (action.edit) {
    const CodeActionEdit& e = *action.edit;
    out += R"("edit":{"changes":{)";
    append_json_string(out, e.uri);
    out += R"(:[{"newText":)";
    append_json_string(out, e.new_text);
    out += R"(,"range":)";
    if (const auto* received = std::get_if<const RawJson*>(&e.range)) {
      support::append_json(out, (*received)->value);
    } else {
      const ClientPoint& point = std::get<ClientPoint>(e.range);
      append_point_range(out, point.line, point.character);
    }
    out += "}]}},";
  }
  out += R"("kind":)";
  append_json_string(out, action.kind);
  out += R"(,"title":)";
  append_json_string(out, action.title);
  out += '}';
}

void write_json(std::string& out, const Diagnostic& diagnostic) {
  out += R"({"message":)";
  append_json_string(out, diagnostic.message);
  out += R"(,"range":)";
  write_json(out, diagnostic.range);
  out += R"(,"severity":)";
  append_decimal(out, static_cast<std::uint64_t>(diagnostic.severity));
  out += R"(,"source":)";
  append_json_string(out, diagnostic.source);
  out += '}';
}

void write_json(std::string& out, const PublishDiagnosticsParams& params) {
  out += R"({"diagnostics":)";
  write_json(out, params.diagnostics);
  out += R"(,"uri":)";
  append_json_string(out, params.uri);
  out += '}';
}

// ---------------------------------------------------------------------------

SemanticTokenEncoder::SemanticTokenEncoder(std::string& out) : out_(out) { out_ += R"({"data":[)"; }

void SemanticTokenEncoder::append(std::span<const SemanticToken> ordered) {
  constexpr std::size_t most_per_token = 5 * 11;  // five numbers of up to 10 digits, with commas
  const std::size_t old = out_.size();
  out_.resize_and_overwrite(old + ordered.size() * most_per_token, [&](char* data, std::size_t) {
    char* p = data + old;
    for (const SemanticToken& t : ordered) {
      if (!first_) *p++ = ',';
      first_ = false;
      const bool same_line = t.line == prev_line_;
      p = support::write_small_decimal(p, t.line - prev_line_);
      *p++ = ',';
      p = support::write_small_decimal(p, same_line ? t.start - prev_start_ : t.start);
      *p++ = ',';
      p = support::write_small_decimal(p, t.length);
      *p++ = ',';
      p = support::write_small_decimal(p, t.token_type);
      *p++ = ',';
      p = support::write_small_decimal(p, t.token_modifiers);
      prev_line_ = t.line;
      prev_start_ = t.start;
    }
    return static_cast<std::size_t>(p - data);
  });
}

void SemanticTokenEncoder::finish() { out_ += "]}"; }

std::string empty_semantic_tokens() { return R"({"data":[]})"; }

std::string encode_semantic_tokens(std::span<const SemanticToken> ordered) {
  std::string out;
  SemanticTokenEncoder encoder(out);
  encoder.append(ordered);
  encoder.finish();
  return out;
}

// ---------------------------------------------------------------------------

DocumentSymbolWriter::DocumentSymbolWriter(std::string& out) : out_(out) { out_ += '['; }

namespace {

void append_symbol(std::string& out, const SymbolRecord& symbol, bool comma) {
  // Member names, the kind and eight numbers, besides the escaped texts.
  constexpr std::size_t most_fixed_bytes = 128 + 8 * support::max_decimal_digits;
  const std::size_t room = most_fixed_bytes + support::max_json_escaped_size(symbol.name) +
                           (symbol.detail ? support::max_json_escaped_size(*symbol.detail) : 0);
  append_written(out, room, [&](char* p) {
    if (comma) *p++ = ',';
    p = write_bytes(p, R"({"detail":)");
    if (symbol.detail) {
      *p++ = '"';
      p = support::write_json_escaped(p, *symbol.detail);
      *p++ = '"';
    } else {
      p = write_bytes(p, "null");
    }
    p = write_bytes(p, R"(,"kind":)");
    p = support::write_decimal(p, static_cast<std::uint64_t>(symbol.kind));
    p = write_bytes(p, R"(,"name":")");
    p = support::write_json_escaped(p, symbol.name);
    p = write_bytes(p, R"(","range":)");
    p = write_range(p, symbol.range);
    p = write_bytes(p, R"(,"selectionRange":)");
    p = write_range(p, symbol.selection_range);
    *p++ = '}';
    return p;
  });
}

}  // namespace

void document_symbol_json(std::string& out, const SymbolRecord& symbol) { append_symbol(out, symbol, false); }

void DocumentSymbolWriter::add(const SymbolRecord& symbol) {
  append_symbol(out_, symbol, !first_);
  first_ = false;
}

void DocumentSymbolWriter::finish() { out_ += ']'; }

// ---------------------------------------------------------------------------

CodeLensWriter::CodeLensWriter(std::string& out) : out_(out) { out_ += '['; }

void CodeLensWriter::add(const CodeLens& lens) {
  const LensCommand& command = lens.command;
  if (command.uri_argument && (command.uri_argument->data() != last_uri_.data() || command.uri_argument->size() != last_uri_.size())) {
    last_uri_ = *command.uri_argument;
    escaped_uri_.clear();
    append_json_string(escaped_uri_, last_uri_);
    escaped_uri_ += ',';
  }
  // Member names and four numbers, besides the texts.
  constexpr std::size_t most_fixed_bytes = 96 + 4 * support::max_decimal_digits;
  const std::size_t room = most_fixed_bytes + (command.uri_argument ? escaped_uri_.size() : 0) +
                           support::max_json_escaped_size(command.name_argument) +
                           support::max_json_escaped_size(command.command) +
                           support::max_json_escaped_size(command.title);
  const bool comma = !first_;
  first_ = false;
  append_written(out_, room, [&](char* p) {
    if (comma) *p++ = ',';
    p = write_bytes(p, R"({"command":{"arguments":[)");
    if (command.uri_argument) p = write_bytes(p, escaped_uri_);
    *p++ = '"';
    p = support::write_json_escaped(p, command.name_argument);
    p = write_bytes(p, R"("],"command":")");
    p = support::write_json_escaped(p, command.command);
    p = write_bytes(p, R"(","title":")");
    p = support::write_json_escaped(p, command.title);
    p = write_bytes(p, R"("},"range":)");
    p = write_range(p, lens.range);
    *p++ = '}';
    return p;
  });
}

void CodeLensWriter::finish() { out_ += ']'; }

}  // namespace qosa::lsp
