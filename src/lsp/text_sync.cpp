#include "lsp/text_sync.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qosa::lsp {

namespace {

// A strict subset of JSON, read left to right. Whatever is not in the subset
// makes the whole read give up, so that the general reader decides: giving up
// is always safe, accepting is allowed only where Boost.JSON and from_json
// would accept and give the same record.
class Reader {
 public:
  explicit Reader(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

  bool at_end() {
    skip_space();
    return p_ == end_;
  }

  bool eat(char c) {
    skip_space();
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }

  bool peek(char c) {
    skip_space();
    return p_ != end_ && *p_ == c;
  }

  // A member name written without escapes, and the ":" after it.
  std::optional<std::string_view> key() {
    if (!eat('"')) return std::nullopt;
    const char* start = p_;
    while (p_ != end_ && *p_ != '"') {
      const auto c = static_cast<unsigned char>(*p_);
      if (c == '\\' || c < 0x20) return std::nullopt;
      ++p_;
    }
    if (p_ == end_) return std::nullopt;
    std::string_view name(start, static_cast<std::size_t>(p_ - start));
    ++p_;
    if (!eat(':')) return std::nullopt;
    return name;
  }

  // A string value, unescaped into `out` (its memory reused).
  bool string(std::string& out);

  // An integer written as "-"? digits, without fraction or exponent, in the
  // range of T; "-0" is left to the general reader.
  template <class T>
  std::optional<T> integer() {
    skip_space();
    bool negative = false;
    if (p_ != end_ && *p_ == '-') {
      negative = true;
      ++p_;
    }
    const char* start = p_;
    std::uint64_t value = 0;
    while (p_ != end_ && *p_ >= '0' && *p_ <= '9') {
      if (p_ - start >= 10) return std::nullopt;  // beyond every 32-bit value
      value = value * 10 + static_cast<std::uint64_t>(*p_ - '0');
      ++p_;
    }
    const std::size_t digits = static_cast<std::size_t>(p_ - start);
    if (digits == 0 || (digits > 1 && *start == '0')) return std::nullopt;
    if (p_ != end_ && (*p_ == '.' || *p_ == 'e' || *p_ == 'E')) return std::nullopt;
    if (negative) {
      if (value == 0) return std::nullopt;
      const auto signed_value = -static_cast<std::int64_t>(value);
      if (!std::in_range<T>(signed_value)) return std::nullopt;
      return static_cast<T>(signed_value);
    }
    if (!std::in_range<T>(value)) return std::nullopt;
    return static_cast<T>(value);
  }

  bool null() {
    skip_space();
    if (end_ - p_ < 4 || std::memcmp(p_, "null", 4) != 0) return false;
    p_ += 4;
    return true;
  }

  // Calls member(name) for each member of an object; member reads the value
  // and returns false to give up. Each name is allowed once, from `names`.
  template <std::size_t N, class Member>
  bool object(const std::string_view (&names)[N], Member member) {
    if (!eat('{')) return false;
    if (eat('}')) return true;
    unsigned seen = 0;
    do {
      const auto name = key();
      if (!name) return false;
      std::size_t index = 0;
      while (index < N && names[index] != *name) ++index;
      if (index == N || (seen >> index & 1u)) return false;
      seen |= 1u << index;
      if (!member(index)) return false;
    } while (eat(','));
    return eat('}');
  }

 private:
  void skip_space() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
  }

  const char* p_;
  const char* end_;
};

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Four hex digits at `p`, or -1.
long hex4(const char* p) {
  long value = 0;
  for (int i = 0; i < 4; ++i) {
    const int d = hex_digit(p[i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

// The end of the string whose content starts at `p`: its closing quote, the
// first one not escaped. memchr runs at memory speed; only quotes inside the
// text cost a look back at the backslashes before them.
const char* closing_quote(const char* p, const char* end) {
  const char* q = p;
  for (;;) {
    q = static_cast<const char*>(std::memchr(q, '"', static_cast<std::size_t>(end - q)));
    if (!q) return nullptr;
    std::size_t backslashes = 0;
    while (q - backslashes > p && q[-1 - static_cast<std::ptrdiff_t>(backslashes)] == '\\') {
      ++backslashes;
    }
    if (backslashes % 2 == 0) return q;
    ++q;
  }
}

char* encode_utf8(char32_t c, char* out) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// Unescapes the content [p, end) into `out`, which holds at least end - p
// bytes; returns the length written, or none for a string the subset leaves
// to the general reader (a control character, a bad escape, a lone surrogate).
std::optional<std::size_t> unescape(const char* p, const char* end, char* out) {
  char* const out_start = out;
  for (;;) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: copy them, then look for a backslash or a
    // control character among them. The copy never runs past the output,
    // which is at least as long as the input left to read.
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i control = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
      const __m128i special =
          _mm_or_si128(_mm_cmpeq_epi8(v, backslash), _mm_cmpeq_epi8(_mm_max_epu8(v, control), control));
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
      if (mask == 0) {
        p += 16;
        out += 16;
        continue;
      }
      const int k = std::countr_zero(mask);
      p += k;
      out += k;
      break;
    }
#endif
    while (p != end && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20) *out++ = *p++;
    if (p == end) return static_cast<std::size_t>(out - out_start);
    if (*p != '\\' || end - p < 2) return std::nullopt;
    const char e = p[1];
    p += 2;
    switch (e) {
      case '"': *out++ = '"'; break;
      case '\\': *out++ = '\\'; break;
      case '/': *out++ = '/'; break;
      case 'b': *out++ = '\b'; break;
      case 'f': *out++ = '\f'; break;
      case 'n': *out++ = '\n'; break;
      case 'r': *out++ = '\r'; break;
      case 't': *out++ = '\t'; break;
      case 'u': {
        if (end - p < 4) return std::nullopt;
        long code = hex4(p);
        p += 4;
        if (code < 0 || (code >= 0xDC00 && code <= 0xDFFF)) return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
          if (end - p < 6 || p[0] != '\\' || p[1] != 'u') return std::nullopt;
          const long low = hex4(p + 2);
          if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
          p += 6;
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        // At most four bytes from at least six read: the output stays behind.
        out = encode_utf8(static_cast<char32_t>(code), out);
        break;
      }
      default: return std::nullopt;
    }
  }
}

bool Reader::string(std::string& out) {
  if (!eat('"')) return false;
  const char* close = closing_quote(p_, end_);
  if (!close) return false;
  bool ok = true;
  const auto raw = static_cast<std::size_t>(close - p_);
  // Unescaped text is never longer than its escaped form. The size given to
  // the operation is not used: GCC 12's library passes the grown capacity.
  out.resize_and_overwrite(raw, [&](char* buffer, std::size_t) {
    const auto written = unescape(p_, close, buffer);
    ok = written.has_value();
    return written.value_or(0);
  });
  p_ = close + 1;
  return ok;
}

bool read_uri(Reader& r, Uri& uri) {
  std::string text;
  if (!r.string(text)) return false;
  auto parsed = Uri::parse(text);
  if (!parsed) return false;
  uri = std::move(*parsed);
  return true;
}

// All members required: from_json fails without one, so the general reader
// should word that.
template <std::size_t N>
bool all_seen(unsigned seen) {
  return seen == (1u << N) - 1;
}

bool read_did_open(Reader& r, DidOpenTextDocumentParams& out, std::string& spare_text) {
  static constexpr std::string_view params[] = {"textDocument"};
  static constexpr std::string_view item[] = {"uri", "languageId", "version", "text"};
  TextDocumentItem& doc = out.text_document;
  unsigned seen_item = 0;
  const bool ok = r.object(params, [&](std::size_t) {
    return r.object(item, [&](std::size_t i) {
      seen_item |= 1u << i;
      switch (i) {
        case 0: return read_uri(r, doc.uri);
        case 1: return r.string(doc.language_id);
        case 2: {
          const auto version = r.integer<std::int32_t>();
          if (version) doc.version = *version;
          return version.has_value();
        }
        default:
          if (!r.string(spare_text)) return false;
          doc.text = std::move(spare_text);
          return true;
      }
    });
  });
  return ok && all_seen<4>(seen_item);
}

bool read_position(Reader& r, Position& out) {
  static constexpr std::string_view names[] = {"line", "character"};
  unsigned seen = 0;
  const bool ok = r.object(names, [&](std::size_t i) {
    seen |= 1u << i;
    const auto value = r.integer<std::uint32_t>();
    if (value) (i == 0 ? out.line : out.character) = *value;
    return value.has_value();
  });
  return ok && all_seen<2>(seen);
}

bool read_change(Reader& r, TextDocumentContentChangeEvent& out, std::string* spare_text) {
  static constexpr std::string_view names[] = {"range", "rangeLength", "text"};
  static constexpr std::string_view range_names[] = {"start", "end"};
  bool has_text = false;
  const bool ok = r.object(names, [&](std::size_t i) {
    switch (i) {
      case 0: {
        if (r.null()) return true;
        Range range;
        unsigned seen = 0;
        const bool read = r.object(range_names, [&](std::size_t k) {
          seen |= 1u << k;
          return read_position(r, k == 0 ? range.start : range.end);
        });
        if (!read || !all_seen<2>(seen)) return false;
        out.range = range;
        return true;
      }
      case 1: {
        if (r.null()) return true;
        out.range_length = r.integer<std::uint32_t>();
        return out.range_length.has_value();
      }
      default:
        has_text = true;
        if (!spare_text) return r.string(out.text);
        if (!r.string(*spare_text)) return false;
        out.text = std::move(*spare_text);
        return true;
    }
  });
  return ok && has_text;
}

bool read_did_change(Reader& r, DidChangeTextDocumentParams& out, std::string& spare_text) {
  static constexpr std::string_view params[] = {"textDocument", "contentChanges"};
  static constexpr std::string_view identifier[] = {"uri", "version"};
  unsigned seen = 0;
  unsigned seen_identifier = 0;
  const bool ok = r.object(params, [&](std::size_t i) {
    seen |= 1u << i;
    if (i == 0) {
      return r.object(identifier, [&](std::size_t k) {
        seen_identifier |= 1u << k;
        if (k == 0) return read_uri(r, out.text_document.uri);
        const auto version = r.integer<std::int32_t>();
        if (version) out.text_document.version = *version;
        return version.has_value();
      });
    }
    if (!r.eat('[')) return false;
    if (r.eat(']')) return true;
    do {
      // The first text (as a rule the only one, the whole document) goes
      // into the recycled memory.
      std::string* spare = out.content_changes.empty() ? &spare_text : nullptr;
      if (!read_change(r, out.content_changes.emplace_back(), spare)) return false;
    } while (r.eat(','));
    return r.eat(']');
  });
  return ok && all_seen<2>(seen) && all_seen<2>(seen_identifier);
}

}  // namespace

std::optional<RpcNotification> read_text_sync(std::string_view body, std::string& spare_text) {
  static constexpr std::string_view envelope[] = {"jsonrpc", "method", "params"};
  static constexpr std::string_view did_open = "textDocument/didOpen";
  static constexpr std::string_view did_change = "textDocument/didChange";
  Reader r(body);
  RpcNotification notification;
  unsigned seen = 0;
  const bool ok = r.object(envelope, [&](std::size_t i) {
    seen |= 1u << i;
    switch (i) {
      case 0: return r.string(notification.jsonrpc);
      case 1: return r.string(notification.method);
      default: {
        // The params are read as the method says, so it must come first.
        if (notification.method == did_open) {
          DidOpenTextDocumentParams params;
          if (!read_did_open(r, params, spare_text)) return false;
          notification.text_sync = std::move(params);
          return true;
        }
        if (notification.method == did_change) {
          DidChangeTextDocumentParams params;
          if (!read_did_change(r, params, spare_text)) return false;
          notification.text_sync = std::move(params);
          return true;
        }
        return false;
      }
    }
  });
  if (!ok || !all_seen<3>(seen) || !r.at_end()) return std::nullopt;
  return notification;
}

}  // namespace qosa::lsp
