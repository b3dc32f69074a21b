#include "lsp/text_sync.h"

#ifdef QOSA_HAVE_SIMDJSON

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include <simdjson.h>

namespace qosa::lsp {

namespace {

namespace od = simdjson::ondemand;

// Whatever is not read here exactly as Boost.JSON and from_json would read it
// makes the whole read give up, so that the general reader decides: giving up
// is always safe, accepting is allowed only where the general reader would
// accept and give the same record.

od::parser& parser() {
  thread_local od::parser kept;
  return kept;
}

// The parser's buffers are kept from one body to the next: grown to twice
// their size, so that a text growing a byte per keystroke does not reallocate
// them on every change, and given back when far larger than the body, as the
// transport does with the body itself.
bool fit_parser(std::size_t size) {
  constexpr std::size_t kept_limit = std::size_t{16} << 20;
  od::parser& p = parser();
  const std::size_t capacity = p.capacity();
  const bool small = capacity < size;
  const bool oversized = capacity > kept_limit && capacity / 4 > size;
  if (!small && !oversized) return true;
  const std::size_t wanted = std::min(small ? std::max(size, 2 * capacity) : size, p.max_capacity());
  return wanted >= size && p.allocate(wanted) == simdjson::SUCCESS;
}

template <std::size_t N>
constexpr unsigned all_of = (1u << N) - 1;

// Calls member(index, value) for each member of the object `json`, `index`
// into `names`. A name not in `names` (an escaped one included: names are
// compared as written) or given twice gives up, and so does a missing one of
// `required`: from_json fails without it, and the general reader words that.
template <class Json, std::size_t N, class Member>
bool members(Json& json, const std::string_view (&names)[N], unsigned required, Member member) {
  od::object object;
  if (json.get_object().get(object)) return false;
  unsigned seen = 0;
  for (auto field : object) {
    od::raw_json_string name;
    od::value value;
    if (field.key().get(name) || field.value().get(value)) return false;
    std::size_t index = 0;
    while (index < N && name != names[index]) ++index;
    if (index == N || (seen >> index & 1u)) return false;
    seen |= 1u << index;
    if (!member(index, value)) return false;
  }
  return (seen & required) == required;
}

bool null(od::value value) {
  bool is_null = false;
  return value.is_null().get(is_null) == simdjson::SUCCESS && is_null;
}

// An integer in the range of T written as "-"? digits: simdjson refuses a
// fraction, an exponent and leading zeros as integers; "-0" is left to the
// general reader.
template <class T>
bool integer(od::value value, T& out) {
  const bool negative = value.raw_json_token().starts_with('-');
  std::int64_t n = 0;
  if (value.get_int64().get(n) || (negative && n == 0) || !std::in_range<T>(n)) return false;
  out = static_cast<T>(n);
  return true;
}

// A short string, unescaped into the parser's buffer and copied.
bool string(od::value value, std::string& out) {
  std::string_view text;
  if (value.get_string().get(text)) return false;
  out.assign(text);
  return true;
}

bool uri(od::value value, Uri& out) {
  std::string_view text;
  if (value.get_string().get(text)) return false;
  auto parsed = Uri::parse(text);
  if (!parsed) return false;
  out = std::move(*parsed);
  return true;
}

// A document's text, unescaped straight into `out`, whose memory is reused:
// the text's only copy on its way to the store.
bool text(od::value value, std::string& out) {
  // Unescaped text is never longer than its token (the quoted string and the
  // spaces after it), and simdjson writes up to its padding past the end.
  const std::size_t bound = value.raw_json_token().size() + simdjson::SIMDJSON_PADDING;
  od::raw_json_string raw;
  if (value.get_raw_json_string().get(raw)) return false;
  bool ok = false;
  out.clear();  // so that growing the buffer copies nothing
  // The size given to the operation is not used: GCC 12's library passes the
  // grown capacity.
  out.resize_and_overwrite(bound, [&](char* buffer, std::size_t) {
    auto* end = reinterpret_cast<std::uint8_t*>(buffer);
    std::string_view written;
    ok = parser().unescape(raw, end).get(written) == simdjson::SUCCESS;
    return ok ? written.size() : 0;
  });
  return ok;
}

bool read_did_open(od::value params, DidOpenTextDocumentParams& out, std::string& spare_text) {
  static constexpr std::string_view names[] = {"textDocument"};
  static constexpr std::string_view item[] = {"uri", "languageId", "version", "text"};
  TextDocumentItem& doc = out.text_document;
  return members(params, names, all_of<1>, [&](std::size_t, od::value document) {
    return members(document, item, all_of<4>, [&](std::size_t i, od::value value) {
      switch (i) {
        case 0: return uri(value, doc.uri);
        case 1: return string(value, doc.language_id);
        case 2: return integer(value, doc.version);
        default:
          if (!text(value, spare_text)) return false;
          doc.text = std::move(spare_text);
          return true;
      }
    });
  });
}

bool read_position(od::value value, Position& out) {
  static constexpr std::string_view names[] = {"line", "character"};
  return members(value, names, all_of<2>, [&](std::size_t i, od::value number) {
    return integer(number, i == 0 ? out.line : out.character);
  });
}

bool read_range(od::value value, Range& out) {
  static constexpr std::string_view names[] = {"start", "end"};
  return members(value, names, all_of<2>, [&](std::size_t i, od::value position) {
    return read_position(position, i == 0 ? out.start : out.end);
  });
}

bool read_change(od::value value, TextDocumentContentChangeEvent& out, std::string* spare_text) {
  static constexpr std::string_view names[] = {"range", "rangeLength", "text"};
  return members(value, names, 1u << 2, [&](std::size_t i, od::value member) {
    switch (i) {
      case 0: return null(member) || read_range(member, out.range.emplace());
      case 1: return null(member) || integer(member, out.range_length.emplace());
      default:
        if (!spare_text) return text(member, out.text);
        if (!text(member, *spare_text)) return false;
        out.text = std::move(*spare_text);
        return true;
    }
  });
}

bool read_did_change(od::value params, DidChangeTextDocumentParams& out, std::string& spare_text) {
  static constexpr std::string_view names[] = {"textDocument", "contentChanges"};
  static constexpr std::string_view identifier[] = {"uri", "version"};
  return members(params, names, all_of<2>, [&](std::size_t i, od::value member) {
    if (i == 0) {
      return members(member, identifier, all_of<2>, [&](std::size_t k, od::value value) {
        return k == 0 ? uri(value, out.text_document.uri) : integer(value, out.text_document.version);
      });
    }
    od::array changes;
    if (member.get_array().get(changes)) return false;
    for (auto element : changes) {
      od::value change;
      // The first text (as a rule the only one, the whole document) goes
      // into the recycled memory.
      std::string* spare = out.content_changes.empty() ? &spare_text : nullptr;
      if (element.get(change) || !read_change(change, out.content_changes.emplace_back(), spare)) return false;
    }
    return true;
  });
}

}  // namespace

std::optional<RpcNotification> read_text_sync(std::string& body, std::string& spare_text) {
  static constexpr std::string_view envelope[] = {"jsonrpc", "method", "params"};
  static constexpr std::string_view did_open = "textDocument/didOpen";
  static constexpr std::string_view did_change = "textDocument/didChange";
  if (!fit_parser(body.size())) return std::nullopt;
  body.reserve(body.size() + simdjson::SIMDJSON_PADDING);
  od::document document;
  if (parser().iterate(body.data(), body.size(), body.capacity()).get(document)) return std::nullopt;
  RpcNotification notification;
  const bool ok = members(document, envelope, all_of<3>, [&](std::size_t i, od::value member) {
    switch (i) {
      case 0: return string(member, notification.jsonrpc);
      case 1: return string(member, notification.method);
      default: {
        // The params are read as the method says, so it must come first.
        if (notification.method == did_open) {
          DidOpenTextDocumentParams params;
          if (!read_did_open(member, params, spare_text)) return false;
          notification.text_sync = std::move(params);
          return true;
        }
        if (notification.method == did_change) {
          DidChangeTextDocumentParams params;
          if (!read_did_change(member, params, spare_text)) return false;
          notification.text_sync = std::move(params);
          return true;
        }
        return false;
      }
    }
  });
  // Nothing may follow the object.
  if (!ok || document.current_location().error() != simdjson::OUT_OF_BOUNDS) return std::nullopt;
  return notification;
}

}  // namespace qosa::lsp

#else

namespace qosa::lsp {

// Without simdjson (the Windows build) the general reader reads everything.
std::optional<RpcNotification> read_text_sync(std::string&, std::string&) { return std::nullopt; }

}  // namespace qosa::lsp

#endif
