#include "support/unicode.h"

#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/uclean.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "support/utf8.h"

namespace qosa::support {
namespace {

// ICU resizes blocks without saying their old size, so each block carries it
// in front, in a header that keeps the block at malloc's alignment.
struct alignas(16) IcuBlock {
  std::size_t size;
};

void* icu_alloc(const void*, std::size_t size) {
  std::size_t total = 0;
  if (__builtin_add_overflow(size, sizeof(IcuBlock), &total)) return nullptr;
  auto* block = static_cast<IcuBlock*>(::operator new(total));
  block->size = size;
  return block + 1;
}

void icu_free(const void*, void* memory) {
  if (memory == nullptr) return;
  auto* block = static_cast<IcuBlock*>(memory) - 1;
  ::operator delete(block, block->size + sizeof(IcuBlock));
}

void* icu_realloc(const void* context, void* memory, std::size_t size) {
  if (memory == nullptr) return icu_alloc(context, size);
  void* moved = icu_alloc(context, size);
  if (moved == nullptr) return nullptr;
  const std::size_t old_size = (static_cast<IcuBlock*>(memory) - 1)->size;
  std::memcpy(moved, memory, old_size < size ? old_size : size);
  icu_free(context, memory);
  return moved;
}

// Before every default-priority static initialiser of the program, so that no
// ICU call can come first.
[[gnu::constructor(101)]] void route_icu_memory_at_start() { route_icu_memory(); }

}  // namespace

void route_icu_memory() {
  static const bool routed = [] {
    UErrorCode status = U_ZERO_ERROR;
    u_setMemoryFunctions(nullptr, icu_alloc, icu_realloc, icu_free, &status);
    return U_SUCCESS(status);
  }();
  (void)routed;
}

bool is_white_space(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);
  return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE);
}

bool is_alphabetic(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_ALPHABETIC);
}

bool is_numeric(char32_t c) {
  if (c < 0x80) return c >= '0' && c <= '9';
  const auto mask = U_GET_GC_MASK(static_cast<UChar32>(c));
  return (mask & (U_GC_ND_MASK | U_GC_NL_MASK | U_GC_NO_MASK)) != 0;
}

void to_lower(std::string_view text, std::string& out) {
  out.resize(text.size());
  bool ascii = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (static_cast<unsigned char>(ch) >= 0x80) {
      ascii = false;
      break;
    }
    out[i] = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
  }
  if (ascii) return;
  // The full mapping differs from the per-character simple one only for "İ"
  // (to "i" and U+0307) and for a capital sigma (by its neighbours): without
  // them, a character at a time, which is far cheaper than a case map.
  out.clear();
  bool simple = true;
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = decode_utf8(text, i);
    if (d.code_point == U'\u0130' || d.code_point == U'\u03A3') {
      simple = false;
      break;
    }
    if (d.code_point < 0x80) {
      out.push_back(static_cast<char>(d.code_point >= 'A' && d.code_point <= 'Z' ? d.code_point + 32 : d.code_point));
    } else {
      append_utf8(out, static_cast<char32_t>(u_tolower(static_cast<UChar32>(d.code_point))));
    }
    i += d.length;
  }
  if (simple) return;
  // The root locale's full mapping, straight from UTF-8 to UTF-8.
  static UCaseMap* const map = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* m = ucasemap_open("", 0, &status);
    return U_FAILURE(status) ? nullptr : m;
  }();
  if (!map) {
    out.assign(text);
    return;
  }
  // Lowercasing can grow a text (İ becomes two characters): retry with the size asked for.
  out.resize(std::max(out.capacity(), text.size() + text.size() / 2 + 8));
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucasemap_utf8ToLower(map, out.data(), static_cast<int32_t>(out.size()), text.data(),
                                        static_cast<int32_t>(text.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(length));
    status = U_ZERO_ERROR;
    length = ucasemap_utf8ToLower(map, out.data(), length, text.data(),
                                  static_cast<int32_t>(text.size()), &status);
  }
  if (U_FAILURE(status)) {
    out.assign(text);
    return;
  }
  out.resize(static_cast<std::size_t>(length));
}

std::string to_lower(std::string_view text) {
  std::string out;
  to_lower(text, out);
  return out;
}

std::string_view trim_start(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;  // the usual indentation, without decoding
  while (i < text.size()) {
    const Decoded d = decode_utf8(text, i);
    if (!is_white_space(d.code_point)) break;
    i += d.length;
  }
  return text.substr(i);
}

std::string_view trim_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && is_utf8_continuation(static_cast<unsigned char>(text[start]))) --start;
    if (!is_white_space(decode_utf8(text, start).code_point)) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view until_white_space(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    const Decoded d = decode_utf8(text, end);
    if (is_white_space(d.code_point)) break;
    end += d.length;
  }
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) { return trim_end(trim_start(text)); }

}  // namespace qosa::support
