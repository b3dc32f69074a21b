// The URL host step's UTS #46 processing on the cases that show each rule.
// (unicode_icu_test.cpp checks it against ICU on many more, where ICU is.)
#include "support/idna.h"

#include <gtest/gtest.h>

namespace qosa::support {
namespace {

std::optional<std::string> to_ascii(std::string_view domain) {
  std::string out;
  if (!append_domain_to_ascii(out, domain)) return std::nullopt;
  return out;
}

TEST(Idna, DomainsToAscii) {
  struct Case {
    std::string_view input;
    std::optional<std::string_view> ascii;  // none: not a valid domain
  };
  const Case cases[] = {
      {"münchen.de", "xn--mnchen-3ya.de"},
      {"straße.de", "xn--strae-oqa.de"},  // nontransitional: ß stays
      {"İ.tr", "xn--i-9bb.tr"},
      {"ΟΔΟΣ.gr", "xn--pxavbq.gr"},
      {"ﬁle.example", "file.example"},  // mapped
      {"ＥＸＡＭＰＬＥ.com", "example.com"},
      {"a\u3002b", "a.b"},              // an ideographic full stop separates labels
      {"\u00AD", ""},                   // ignored
      {"a..b", "a..b"},                 // empty labels are let through
      {"日本.jp", "xn--wgv71a.jp"},
      {"\U0001F600", "xn--e28h"},
      {"\u1100\u1161\u11A8", "xn--p39a"},  // Hangul jamo compose (NFC)
      {"a\u0323\u0302", "xn--zkg"},        // marks reordered, then composed
      {"a\u0301.example", "xn--1ca.example"},
      {"xn--mnchen-3ya.de", "xn--mnchen-3ya.de"},
      {"XN--MNCHEN-3YA.DE", "xn--mnchen-3ya.de"},
      {"\u05E9\u05DC\u05D5\u05DD.example", "xn--9dbne9b.example"},
      {"\u0915\u094D\u200D\u0937", "xn--11b2ezcw70k"},  // a joiner after a virama
      {"\u0628\u200C\u0627", "xn--mgbb899q"},           // a non-joiner between joining letters
      {"\u0661\u0662.example", std::nullopt},           // bidi: a label may not start with AN
      {"a\u05D0", std::nullopt},                        // bidi: L and R in one label
      {"a\u200Db", std::nullopt},                       // a joiner without a virama
      {"\u0301a", std::nullopt},                        // a leading combining mark
      {"\u2488", std::nullopt},                         // disallowed
      {"\uFFFD", std::nullopt},
      {"xn--a", std::nullopt},                          // Punycode of a disallowed code point
      {"xn--", std::nullopt},
      {"xn--mnchen-3ya-", std::nullopt},
      {"xn--m\u00FCnchen", std::nullopt},               // Punycode is ASCII
  };
  for (const Case& c : cases) {
    EXPECT_EQ(to_ascii(c.input), c.ascii) << c.input;
  }
}

TEST(Idna, PunycodeBothWays) {
  const std::pair<std::u32string_view, std::string_view> cases[] = {
      {U"münchen", "mnchen-3ya"}, {U"bücher", "bcher-kva"}, {U"日本", "wgv71a"},
      {U"abc", "abc-"},           {U"ü", "tda"},            {U"", ""},
  };
  for (const auto& [text, code] : cases) {
    std::string out;
    append_punycode(out, text);
    EXPECT_EQ(out, code);
    EXPECT_EQ(decode_punycode(code), std::u32string(text)) << code;
  }
  EXPECT_EQ(decode_punycode("99999999999999"), std::nullopt);  // overflow
  EXPECT_EQ(decode_punycode("a-\u00FC"), std::nullopt);        // not a digit
  EXPECT_EQ(decode_punycode("zz"), std::nullopt);              // ends inside a number
}

}  // namespace
}  // namespace qosa::support
