// Unicode character properties and case mapping. The only module (with the
// URL host step) that talks to ICU, so another build can put tables behind it.
#pragma once

#include <string>
#include <string_view>

namespace qosa::support {

// Makes ICU take its memory through the global operator new and delete (and
// so through the runtime allocator where one is linked). It runs before
// main; the URL host step calls it too, which also links it in.
void route_icu_memory();

// The White_Space property.
bool is_white_space(char32_t c);
// The Alphabetic property.
bool is_alphabetic(char32_t c);
// General categories Nd, Nl and No.
bool is_numeric(char32_t c);

// Full Unicode lowercase mapping of valid UTF-8 text (İ becomes i and U+0307).
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
