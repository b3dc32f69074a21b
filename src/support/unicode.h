// Unicode character properties and case mapping, read from the generated
// tables of support/unicode_data, the same on every platform.
#pragma once

#include <string>
#include <string_view>

namespace qosa::support {

// The White_Space property.
bool is_white_space(char32_t c);
// The Alphabetic property.
bool is_alphabetic(char32_t c);
// General categories Nd, Nl and No.
bool is_numeric(char32_t c);

// Full Unicode lowercase mapping of valid UTF-8 text (İ becomes i and U+0307;
// a capital sigma that ends a word becomes ς), as ICU's root locale maps.
std::string to_lower(std::string_view text);
// The same into `out`, whose memory is reused from call to call.
void to_lower(std::string_view text, std::string& out);

// Removes White_Space characters from both ends of valid UTF-8 text.
std::string_view trim(std::string_view text);

// The longest start of valid UTF-8 text without White_Space characters.
std::string_view until_white_space(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);

}  // namespace qosa::support
