// The generated tables against the ICU they were generated from: every code
// point, and texts where context matters (final sigma, NFC, the IDNA rules).
#include <gtest/gtest.h>

#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/uidna.h>

#include <boost/json.hpp>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/idna.h"
#include "support/unicode.h"
#include "support/unicode_data.h"
#include "support/utf8.h"

namespace qosa::support {
namespace {

bool is_scalar(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

std::string utf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) append_utf8(out, c);
  return out;
}

std::string icu_lower(std::string_view text) {
  static UCaseMap* const map = [] {
    UErrorCode status = U_ZERO_ERROR;
    return ucasemap_open("", 0, &status);
  }();
  std::string out(text.size() * 3 + 16, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucasemap_utf8ToLower(map, out.data(), static_cast<int32_t>(out.size()), text.data(),
                                              static_cast<int32_t>(text.size()), &status);
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// ICU's answer in the URL host step's configuration: the ASCII form, or
// none when an error counts.
std::optional<std::string> icu_to_ascii(std::string_view domain) {
  static const UIDNA* const idna = [] {
    UErrorCode status = U_ZERO_ERROR;
    return uidna_openUTS46(UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ | UIDNA_NONTRANSITIONAL_TO_ASCII |
                               UIDNA_NONTRANSITIONAL_TO_UNICODE,
                           &status);
  }();
  constexpr std::uint32_t ignored = UIDNA_ERROR_EMPTY_LABEL | UIDNA_ERROR_LABEL_TOO_LONG |
                                    UIDNA_ERROR_DOMAIN_NAME_TOO_LONG | UIDNA_ERROR_LEADING_HYPHEN |
                                    UIDNA_ERROR_TRAILING_HYPHEN | UIDNA_ERROR_HYPHEN_3_4;
  std::string out(domain.size() * 4 + 64, '\0');
  UIDNAInfo info = UIDNA_INFO_INITIALIZER;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uidna_nameToASCII_UTF8(idna, domain.data(), static_cast<int32_t>(domain.size()),
                                                out.data(), static_cast<int32_t>(out.size()), &info, &status);
  if (U_FAILURE(status) || (info.errors & ~ignored) != 0) return std::nullopt;
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::optional<std::string> our_to_ascii(std::string_view domain) {
  std::string out;
  if (!append_domain_to_ascii(out, domain)) return std::nullopt;
  return out;
}

TEST(UnicodeTables, EveryCodePointAsIcuHasIt) {
  std::string text;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    const auto u = static_cast<UChar32>(c);
    ASSERT_EQ(is_white_space(c), u_hasBinaryProperty(u, UCHAR_WHITE_SPACE) != 0) << std::hex << static_cast<std::uint32_t>(c);
    ASSERT_EQ(is_alphabetic(c), u_hasBinaryProperty(u, UCHAR_ALPHABETIC) != 0) << std::hex << static_cast<std::uint32_t>(c);
    ASSERT_EQ(is_numeric(c), (U_GET_GC_MASK(u) & (U_GC_ND_MASK | U_GC_NL_MASK | U_GC_NO_MASK)) != 0)
        << std::hex << static_cast<std::uint32_t>(c);
    if (!is_scalar(c)) continue;
    text.clear();
    append_utf8(text, c);
    ASSERT_EQ(to_lower(text), icu_lower(text)) << std::hex << static_cast<std::uint32_t>(c);
  }
}

// Every character between letters too, where a final sigma would differ.
TEST(UnicodeTables, LowercaseOfEveryCharacterBetweenLettersAsIcuHasIt) {
  UErrorCode status = U_ZERO_ERROR;
  UCaseMap* map = ucasemap_open("", 0, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  std::string out;
  char expected[64];
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    for (const std::string_view around : {"", "A"}) {
      std::string text(around);
      append_utf8(text, c);
      text += around;
      status = U_ZERO_ERROR;
      const int32_t n = ucasemap_utf8ToLower(map, expected, sizeof expected, text.data(),
                                             static_cast<int32_t>(text.size()), &status);
      ASSERT_TRUE(U_SUCCESS(status));
      to_lower(text, out);
      ASSERT_EQ(out, std::string_view(expected, static_cast<std::size_t>(n))) << std::hex << static_cast<unsigned>(c);
    }
  }
  ucasemap_close(map);
}

// Random texts drawn from characters whose neighbours change the answer.
std::u32string random_text(std::mt19937& random, std::u32string_view alphabet, std::size_t max_length) {
  std::u32string text(random() % (max_length + 1), U' ');
  for (char32_t& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

TEST(UnicodeTables, FinalSigmaAsIcuHasIt) {
  // Cased letters, case-ignorable ones (marks, apostrophes, the middle dot,
  // modifier letters), both at once (U+0345), uncased and spaces.
  const std::u32string alphabet = U"ΣΣΣσςΑαabAB'\u00B7\u0301\u0345\u02B0\u2019.- 1\u00AD\u1D2C\u0130İ";
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = utf8(random_text(random, alphabet, 8));
    ASSERT_EQ(to_lower(text), icu_lower(text)) << text;
  }
}

TEST(Idna, EveryCodePointAloneAndBetweenLetters) {
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (!is_scalar(c)) continue;
    const std::string alone = utf8(std::u32string(1, c));
    ASSERT_EQ(our_to_ascii(alone), icu_to_ascii(alone)) << std::hex << static_cast<std::uint32_t>(c);
    const std::string between = "a" + alone + "b";
    ASSERT_EQ(our_to_ascii(between), icu_to_ascii(between)) << std::hex << static_cast<std::uint32_t>(c);
  }
}

TEST(Idna, RandomDomainsAsIcuHasThem) {
  // Letters of both directions, digits of three kinds, joining types,
  // viramas and joiners, marks to reorder and compose, Hangul jamo,
  // deviation, ignored and mapped characters, dots and hyphens.
  const std::u32string alphabet =
      U"aAzß-.\u3002\uFF0E09\u0661\u06F1\u05D0\u05D1\u0627\u0628\u0644\u0630\u200C\u200D\u094D\u0915"
      U"\u0301\u0323\u0308\u0345\u05B0\u0300eEoO\u1100\u1161\u11A8\uAC00\u00AD\u03C2\u03A3\u2132"
      U"\uFF21\u00C5\u212B\u0130\u0131!_$~ \u0009\u02BC\u0640\u064B\u0710\u07FA\u10400\U0001E900";
  std::mt19937 random(11);
  for (int i = 0; i < 100000; ++i) {
    const std::string domain = utf8(random_text(random, alphabet, 7));
    ASSERT_EQ(our_to_ascii(domain), icu_to_ascii(domain)) << domain;
  }
}

TEST(Idna, RandomPunycodeLabelsAsIcuHasThem) {
  const std::u32string alphabet =
      U"abz09-\u00E9\u00DF\u03C2\u05D0\u0627\u0661\u200C\u200D\u094D\u0915\u0301\u0041\u00C9\u0130"
      U"\u2488\uFFFD.\u3002\u1100\u1161\uAC00\U0001F600\u0300";
  std::mt19937 random(13);
  for (int i = 0; i < 100000; ++i) {
    const std::u32string label = random_text(random, alphabet, 6);
    std::string encoded;
    append_punycode(encoded, label);
    ASSERT_EQ(decode_punycode(encoded), label) << encoded;
    std::string domain = "xn--" + encoded;
    if (i % 3 == 0) domain = "a." + domain;
    if (i % 5 == 0) domain += random() % 2 ? "-" : "b";
    ASSERT_EQ(our_to_ascii(domain), icu_to_ascii(domain)) << domain;
  }
}

TEST(Idna, BrokenPunycodeAsIcuHasIt) {
  const char* const cases[] = {
      "xn--", "xn---", "xn--a", "xn--a-", "xn--ab-", "xn--a-b", "xn--99999999999999", "xn--zzzzzzzzzzzz",
      "xn--ls8h", "xn--mnchen-3ya", "XN--MNCHEN-3YA", "xn--mnchen-3ya-", "xn--tda", "xn--0ca", "xn--1ch",
      "xn--a-ecp.ru", "xn--zca.xn--zca", "a.xn--", "xn--ab--", "ab--cd", "xn--nxa", "xn--4ca", "xn--dqa",
      "xn--ba-lmc", "xn--1ug", "xn--a-pfb", "xn--55a", "xn--ngb", "xn--5gbb", "xn--mnchen-3y\u0161",
  };
  for (const char* domain : cases) EXPECT_EQ(our_to_ascii(domain), icu_to_ascii(domain)) << domain;
}

TEST(Idna, EveryConformanceHostAsIcuHasIt) {
  std::ifstream in(std::string(QOSA_SOURCE_DIR) + "/tests/support/data/urltestdata.json", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const boost::json::value data = boost::json::parse(text.str());
  std::size_t compared = 0;
  for (const auto& entry : data.as_array()) {
    if (!entry.is_object()) continue;
    const std::string input(entry.as_object().at("input").as_string());
    // The text between "//" and the next "/", "?" or "#": rough, but every
    // piece of it is a domain to compare.
    const std::size_t start = input.find("//");
    if (start == std::string::npos) continue;
    std::string host = input.substr(start + 2, input.find_first_of("/?#", start + 2) - start - 2);
    if (!is_valid_utf8(host)) continue;
    EXPECT_EQ(our_to_ascii(host), icu_to_ascii(host)) << input;
    ++compared;
  }
  EXPECT_GT(compared, 100u);
}

}  // namespace
}  // namespace qosa::support
