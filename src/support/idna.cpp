#include "support/idna.h"

#include <algorithm>
#include <cstdint>

#include "support/unicode_data.h"
#include "support/utf8.h"

namespace qosa::support {
namespace {

namespace data = unicode_data;

// ---- NFC ----

constexpr char32_t hangul_s_base = 0xAC00, hangul_l_base = 0x1100, hangul_v_base = 0x1161,
                   hangul_t_base = 0x11A7;
constexpr char32_t hangul_l_count = 19, hangul_v_count = 21, hangul_t_count = 28;
constexpr char32_t hangul_n_count = hangul_v_count * hangul_t_count;
constexpr char32_t hangul_s_count = hangul_l_count * hangul_n_count;

std::uint8_t combining_class(char32_t c) {
  return c < 0x300 ? 0 : data::value_of(data::combining_class, c);
}

void append_decomposed(std::u32string& out, char32_t c) {
  if (c < 0xC0) {
    out += c;
    return;
  }
  if (c >= hangul_s_base && c < hangul_s_base + hangul_s_count) {
    const char32_t s = c - hangul_s_base;
    out += hangul_l_base + s / hangul_n_count;
    out += hangul_v_base + s % hangul_n_count / hangul_t_count;
    if (s % hangul_t_count != 0) out += hangul_t_base + s % hangul_t_count;
    return;
  }
  const auto found = std::lower_bound(
      data::decompositions.begin(), data::decompositions.end(), c,
      [](const data::Decomposition& d, char32_t key) { return d.code_point < key; });
  if (found == data::decompositions.end() || found->code_point != c) {
    out += c;
    return;
  }
  const auto to = data::strings.subspan(found->offset, found->length);
  out.append(to.begin(), to.end());
}

// The primary composite of `first` and `second`, or 0.
char32_t compose(char32_t first, char32_t second) {
  if (first >= hangul_l_base && first < hangul_l_base + hangul_l_count && second >= hangul_v_base &&
      second < hangul_v_base + hangul_v_count) {
    return hangul_s_base + ((first - hangul_l_base) * hangul_v_count + second - hangul_v_base) * hangul_t_count;
  }
  if (first >= hangul_s_base && first < hangul_s_base + hangul_s_count &&
      (first - hangul_s_base) % hangul_t_count == 0 && second > hangul_t_base &&
      second < hangul_t_base + hangul_t_count) {
    return first + (second - hangul_t_base);
  }
  const auto found = std::lower_bound(
      data::compositions.begin(), data::compositions.end(), std::pair{first, second},
      [](const data::Composition& c, std::pair<char32_t, char32_t> key) {
        return c.first != key.first ? c.first < key.first : c.second < key.second;
      });
  if (found == data::compositions.end() || found->first != first || found->second != second) return 0;
  return found->composite;
}

// Normalization Form C in place.
void to_nfc(std::u32string& text) {
  std::u32string decomposed;
  decomposed.reserve(text.size());
  for (char32_t c : text) append_decomposed(decomposed, c);
  // Canonical order: each run of non-starters sorted stably by class.
  for (std::size_t i = 1; i < decomposed.size(); ++i) {
    const char32_t c = decomposed[i];
    const std::uint8_t cc = combining_class(c);
    if (cc == 0) continue;
    std::size_t j = i;
    while (j > 0 && combining_class(decomposed[j - 1]) > cc) {
      decomposed[j] = decomposed[j - 1];
      --j;
    }
    decomposed[j] = c;
  }
  text.clear();
  std::size_t starter = std::u32string::npos;
  std::uint8_t last_class = 0;
  for (char32_t c : decomposed) {
    const std::uint8_t cc = combining_class(c);
    // Not blocked: right after the starter, or after non-starters of lower class.
    if (starter != std::u32string::npos &&
        (text.size() - 1 == starter || (last_class != 0 && last_class < cc))) {
      if (const char32_t composite = compose(text[starter], c)) {
        text[starter] = composite;
        continue;
      }
    }
    if (cc == 0) starter = text.size();
    last_class = cc;
    text += c;
  }
}

// ---- Mapping ----

// Maps every code point and normalises to NFC; none when one is disallowed.
std::optional<std::u32string> map_uts46(std::u32string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    const data::MapRun& run = data::run_of(data::idna, c);
    if (run.kind == data::MapKind::disallowed) return std::nullopt;
    data::emit_mapping(run, c, [&](char32_t to) { out += to; });
  }
  to_nfc(out);
  return out;
}

// ---- Validity ----

using BidiMask = std::uint32_t;
constexpr BidiMask bit(data::BidiClass c) { return BidiMask{1} << c; }
constexpr BidiMask l_mask = bit(data::bidi_l);
constexpr BidiMask r_al_mask = bit(data::bidi_r) | bit(data::bidi_al);
constexpr BidiMask r_al_an_mask = r_al_mask | bit(data::bidi_an);
constexpr BidiMask en_an_mask = bit(data::bidi_en) | bit(data::bidi_an);
constexpr BidiMask l_en_mask = l_mask | bit(data::bidi_en);
constexpr BidiMask r_al_en_an_mask = r_al_mask | en_an_mask;
constexpr BidiMask neutral_mask = bit(data::bidi_es) | bit(data::bidi_cs) | bit(data::bidi_et) |
                                  bit(data::bidi_on) | bit(data::bidi_bn) | bit(data::bidi_nsm);

BidiMask bidi_mask(char32_t c) { return bit(static_cast<data::BidiClass>(data::value_of(data::bidi_class, c))); }

struct BidiState {
  bool is_bidi = false;  // some label has an R, AL or AN character
  bool ok = true;        // every label so far keeps the bidi rule
};

// The bidi rule (RFC 5893) for one non-empty label.
void check_bidi(std::u32string_view label, BidiState& state) {
  const BidiMask first = bidi_mask(label.front());
  if ((first & ~(l_mask | r_al_mask)) != 0) state.ok = false;
  BidiMask last = first;
  for (std::size_t i = label.size(); i > 1; --i) {
    const BidiMask mask = bidi_mask(label[i - 1]);
    if (mask != bit(data::bidi_nsm)) {
      last = mask;
      break;
    }
  }
  if ((first & l_mask) != 0 ? (last & ~l_en_mask) != 0 : (last & ~r_al_en_an_mask) != 0) state.ok = false;
  BidiMask all = first | last;
  for (char32_t c : label.substr(1)) all |= bidi_mask(c);
  if ((first & l_mask) != 0) {
    if ((all & ~(l_en_mask | neutral_mask)) != 0) state.ok = false;
  } else {
    if ((all & ~(r_al_en_an_mask | neutral_mask)) != 0) state.ok = false;
    if ((all & en_an_mask) == en_an_mask) state.ok = false;
  }
  if ((all & r_al_an_mask) != 0) state.is_bidi = true;
}

constexpr char32_t zero_width_non_joiner = 0x200C, zero_width_joiner = 0x200D;
constexpr std::uint8_t virama_class = 9;

data::JoiningType joining_type(char32_t c) {
  return static_cast<data::JoiningType>(data::value_of(data::joining_type, c));
}

// The CONTEXTJ rules for the zero-width joiners of a label.
bool joiners_ok(std::u32string_view label) {
  for (std::size_t i = 0; i < label.size(); ++i) {
    const char32_t c = label[i];
    if (c != zero_width_non_joiner && c != zero_width_joiner) continue;
    if (i == 0) return false;
    if (combining_class(label[i - 1]) == virama_class) continue;
    if (c == zero_width_joiner) return false;
    // (L|D) T* ZWNJ T* (R|D)
    std::size_t j = i;
    data::JoiningType before = data::joining_transparent;
    while (j > 0 && (before = joining_type(label[--j])) == data::joining_transparent) {
    }
    if (before != data::joining_left && before != data::joining_dual) return false;
    j = i + 1;
    data::JoiningType after = data::joining_transparent;
    while (j < label.size() && (after = joining_type(label[j++])) == data::joining_transparent) {
    }
    if (after != data::joining_right && after != data::joining_dual) return false;
  }
  return true;
}

bool is_ascii(std::u32string_view text) {
  return std::all_of(text.begin(), text.end(), [](char32_t c) { return c < 0x80; });
}

// Checks one mapped label and appends its ASCII form.
bool append_label(std::string& out, std::u32string_view label, BidiState& bidi) {
  std::u32string decoded;
  const bool ace = label.size() >= 4 && label.substr(0, 4) == U"xn--";
  if (ace) {
    // "xn--" and "xn--ASCII-" stand for ASCII labels in another spelling.
    if (label.size() == 4 || (label.size() > 5 && label.back() == '-')) return false;
    if (!is_ascii(label)) return false;
    std::string ascii(label.begin() + 4, label.end());
    auto code_points = decode_punycode(ascii);
    if (!code_points) return false;
    // A Punycode label must decode to valid code points that are in NFC already.
    const auto remapped = map_uts46(*code_points);
    if (!remapped || *remapped != *code_points) return false;
    decoded = std::move(*code_points);
  }
  const std::u32string_view text = ace ? std::u32string_view(decoded) : label;
  if (!text.empty()) {
    if (text.find(U'.') != std::u32string_view::npos) return false;
    if (data::contains(data::mark, text.front())) return false;
    check_bidi(text, bidi);
    if (!joiners_ok(text)) return false;
  }
  if (ace || is_ascii(label)) {
    for (char32_t c : label) out += static_cast<char>(c);
  } else {
    out += "xn--";
    append_punycode(out, label);
  }
  return true;
}

// ---- Punycode ----

constexpr std::uint32_t base = 36, t_min = 1, t_max = 26, skew = 38, damp = 700, initial_bias = 72,
                        initial_n = 0x80;

std::uint32_t adapt(std::uint32_t delta, std::uint32_t points, bool first) {
  delta = first ? delta / damp : delta / 2;
  delta += delta / points;
  std::uint32_t k = 0;
  while (delta > ((base - t_min) * t_max) / 2) {
    delta /= base - t_min;
    k += base;
  }
  return k + (base - t_min + 1) * delta / (delta + skew);
}

char digit_char(std::uint32_t digit) {
  return static_cast<char>(digit < 26 ? 'a' + digit : '0' + (digit - 26));
}

int digit_value(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= '0' && c <= '9') return c - '0' + 26;
  return -1;
}

std::uint32_t threshold(std::uint32_t k, std::uint32_t bias) {
  return k <= bias ? t_min : k >= bias + t_max ? t_max : k - bias;
}

}  // namespace

void append_punycode(std::string& out, std::u32string_view label) {
  std::uint32_t handled = 0;
  for (char32_t c : label) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++handled;
    }
  }
  const std::uint32_t basic = handled;
  if (basic > 0) out += '-';
  std::uint32_t n = initial_n, delta = 0, bias = initial_bias;
  while (handled < label.size()) {
    std::uint32_t next = UINT32_MAX;
    for (char32_t c : label) {
      if (c >= n && c < next) next = c;
    }
    // Labels are far shorter than the overflow bounds of RFC 3492.
    delta += (next - n) * (handled + 1);
    n = next;
    for (char32_t c : label) {
      if (c < n) ++delta;
      if (c != n) continue;
      std::uint32_t q = delta;
      for (std::uint32_t k = base;; k += base) {
        const std::uint32_t t = threshold(k, bias);
        if (q < t) break;
        out += digit_char(t + (q - t) % (base - t));
        q = (q - t) / (base - t);
      }
      out += digit_char(q);
      bias = adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
    ++delta;
    ++n;
  }
}

std::optional<std::u32string> decode_punycode(std::string_view label) {
  const std::size_t delimiter = label.rfind('-');
  const std::size_t basic = delimiter == std::string_view::npos ? 0 : delimiter;
  std::u32string out;
  for (std::size_t i = 0; i < basic; ++i) {
    if (static_cast<unsigned char>(label[i]) >= 0x80) return std::nullopt;
    out += static_cast<char32_t>(label[i]);
  }
  std::uint64_t n = initial_n, i = 0;
  std::uint32_t bias = initial_bias;
  constexpr std::uint64_t limit = 0x7FFFFFFF;
  for (std::size_t in = basic > 0 ? basic + 1 : 0; in < label.size();) {
    const std::uint64_t old_i = i;
    std::uint64_t w = 1;
    for (std::uint32_t k = base;; k += base) {
      if (in >= label.size()) return std::nullopt;
      const int digit = digit_value(label[in++]);
      if (digit < 0) return std::nullopt;
      i += digit * w;
      if (i > limit) return std::nullopt;
      const std::uint32_t t = threshold(k, bias);
      if (static_cast<std::uint32_t>(digit) < t) break;
      w *= base - t;
      if (w > limit) return std::nullopt;
    }
    const std::uint64_t points = out.size() + 1;
    bias = adapt(static_cast<std::uint32_t>(i - old_i), static_cast<std::uint32_t>(points), old_i == 0);
    n += i / points;
    i %= points;
    if (n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF)) return std::nullopt;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(i), static_cast<char32_t>(n));
    ++i;
  }
  return out;
}

bool append_domain_to_ascii(std::string& out, std::string_view domain) {
  std::u32string code_points;
  code_points.reserve(domain.size());
  for (std::size_t i = 0; i < domain.size();) {
    const Decoded d = decode_utf8(domain, i);
    code_points += d.code_point;
    i += d.length;
  }
  const auto mapped = map_uts46(code_points);
  if (!mapped) return false;
  BidiState bidi;
  const std::u32string_view text = *mapped;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find(U'.', start);
    const std::size_t end = dot == std::u32string_view::npos ? text.size() : dot;
    if (!append_label(out, text.substr(start, end - start), bidi)) return false;
    if (dot == std::u32string_view::npos) break;
    out += '.';
    start = dot + 1;
  }
  return !bidi.is_bidi || bidi.ok;
}

}  // namespace qosa::support
