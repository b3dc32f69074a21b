// UTS #46 processing of URL domains to their ASCII form, as the URL host
// step asks for it: nontransitional, with the bidi and joiner rules, without
// STD3 rules and without the hyphen and DNS length checks. It answers as
// ICU's UTS #46 implementation does, from the tables of support/unicode_data.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qosa::support {

// Appends the ASCII form of the valid UTF-8 `domain` to `out`; false when
// the domain is not valid (then `out` may hold part of it).
bool append_domain_to_ascii(std::string& out, std::string_view domain);

// Punycode (RFC 3492) of one label, without the "xn--" prefix.
void append_punycode(std::string& out, std::u32string_view label);
// The code points a Punycode label (without "xn--") stands for; none when
// it is not Punycode, or decodes to a surrogate or past U+10FFFF.
std::optional<std::u32string> decode_punycode(std::string_view label);

}  // namespace qosa::support
