// The URL parser for input without a base. It writes the serialisation as
// it reads: path segments go straight into the output and ".." truncates it,
// so a URL costs one pass and, usually, one allocation.
#include "support/url.h"

#include <algorithm>

#include "support/url_host.h"
#include "support/url_percent.h"

namespace qosa::support {

namespace {

using url_detail::UrlFailure;

struct SpecialScheme {
  std::string_view name;
  int default_port;  // -1: none
};

constexpr SpecialScheme special_schemes[] = {
    {"ftp", 21}, {"file", -1}, {"http", 80}, {"https", 443}, {"ws", 80}, {"wss", 443},
};

bool is_ascii_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool is_scheme_char(char c) {
  return is_ascii_alpha(c) || is_ascii_digit(c) || c == '+' || c == '-' || c == '.';
}
bool is_c0_control_or_space(char c) { return static_cast<unsigned char>(c) <= 0x20; }
bool is_tab_or_newline(char c) { return c == '\t' || c == '\n' || c == '\r'; }

bool equals_ignoring_case(std::string_view text, std::string_view lower) {
  return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + ('a' - 'A')) : a) == b;
  });
}

bool is_single_dot(std::string_view segment) {
  return segment == "." || equals_ignoring_case(segment, "%2e");
}

bool is_double_dot(std::string_view segment) {
  return segment == ".." || equals_ignoring_case(segment, ".%2e") ||
         equals_ignoring_case(segment, "%2e.") || equals_ignoring_case(segment, "%2e%2e");
}

// "C:" or "C|".
bool is_windows_drive_letter(std::string_view text) {
  return text.size() == 2 && is_ascii_alpha(text[0]) && (text[1] == ':' || text[1] == '|');
}

class Parser {
 public:
  explicit Parser(std::string_view input) : in_(input) {}

  std::optional<UrlFailure> run();

  std::string out;
  std::size_t scheme_end = 0;
  std::size_t username_end = 0;
  std::size_t host_start = 0;
  std::size_t host_end = 0;
  std::size_t path_start = 0;
  std::size_t query_start = std::string::npos;
  std::size_t fragment_start = std::string::npos;
  std::optional<std::uint16_t> port;

 private:
  bool at_end() const { return pos_ >= in_.size(); }
  bool at(char c) const { return pos_ < in_.size() && in_[pos_] == c; }
  bool at_slash() const { return at('/') || (special_ && at('\\')); }
  bool at_any_slash() const { return at('/') || at('\\'); }

  void no_host() { username_end = host_start = host_end = out.size(); }
  std::optional<UrlFailure> parse_authority();
  std::optional<UrlFailure> parse_port(std::string_view digits);
  std::optional<UrlFailure> parse_file();
  void parse_path_start();
  void parse_path();
  void shorten_path();
  void parse_opaque_path();
  void parse_query_and_fragment();

  std::string_view in_;
  std::size_t pos_ = 0;
  bool special_ = false;
  bool file_ = false;
  int default_port_ = -1;
};

std::optional<UrlFailure> Parser::run() {
  if (in_.empty() || !is_ascii_alpha(in_[0])) return UrlFailure::relative_without_base;
  std::size_t colon = 1;
  while (colon < in_.size() && is_scheme_char(in_[colon])) ++colon;
  if (colon == in_.size() || in_[colon] != ':') return UrlFailure::relative_without_base;

  // Percent-encoding can triple a byte, but most uris need little or none.
  out.reserve(in_.size() + 16);
  out.append(in_.data(), colon);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  scheme_end = out.size();
  out += ':';
  pos_ = colon + 1;
  const std::string_view scheme(out.data(), scheme_end);
  for (const auto& s : special_schemes) {
    if (s.name == scheme) {
      special_ = true;
      default_port_ = s.default_port;
    }
  }
  file_ = scheme == "file";

  if (file_) {
    if (auto failure = parse_file()) return failure;
  } else if (special_) {
    while (at_any_slash()) ++pos_;
    if (auto failure = parse_authority()) return failure;
    parse_path_start();
  } else if (at('/') && pos_ + 1 < in_.size() && in_[pos_ + 1] == '/') {
    pos_ += 2;
    if (auto failure = parse_authority()) return failure;
    parse_path_start();
  } else if (at('/')) {
    ++pos_;
    no_host();
    parse_path();
    // Without a host, a path starting with an empty segment would read as
    // an authority; "/." keeps it a path.
    if (out.compare(path_start, 2, "//") == 0) {
      out.insert(path_start, "/.");
      path_start += 2;
    }
  } else {
    no_host();
    parse_opaque_path();
  }
  parse_query_and_fragment();
  return std::nullopt;
}

std::optional<UrlFailure> Parser::parse_authority() {
  out += "//";
  std::size_t end = pos_;
  while (end < in_.size()) {
    const char c = in_[end];
    if (c == '/' || c == '?' || c == '#' || (special_ && c == '\\')) break;
    ++end;
  }
  std::string_view authority = in_.substr(pos_, end - pos_);
  pos_ = end;

  // Everything up to the last '@' is userinfo; the first ':' in it starts
  // the password.
  const std::size_t credentials_start = out.size();
  username_end = out.size();
  const auto at_sign = authority.rfind('@');
  if (at_sign != std::string_view::npos) {
    const std::string_view userinfo = authority.substr(0, at_sign);
    authority.remove_prefix(at_sign + 1);
    if (authority.empty()) return UrlFailure::empty_host;
    const auto colon = userinfo.find(':');
    url_detail::append_encoded(out, userinfo.substr(0, colon), url_detail::userinfo_set);
    username_end = out.size();
    if (colon != std::string_view::npos && colon + 1 < userinfo.size()) {
      out += ':';
      url_detail::append_encoded(out, userinfo.substr(colon + 1), url_detail::userinfo_set);
    }
    if (out.size() > credentials_start) out += '@';
  }

  // A ':' inside brackets belongs to an IPv6 address.
  std::size_t port_colon = std::string_view::npos;
  bool inside_brackets = false;
  for (std::size_t i = 0; i < authority.size(); ++i) {
    if (authority[i] == '[') inside_brackets = true;
    if (authority[i] == ']') inside_brackets = false;
    if (authority[i] == ':' && !inside_brackets) {
      port_colon = i;
      break;
    }
  }
  const std::string_view host = authority.substr(0, port_colon);
  if (host.empty() && (special_ || port_colon != std::string_view::npos)) {
    return UrlFailure::empty_host;
  }
  host_start = out.size();
  if (auto failure = url_detail::parse_host(host, special_, out)) return failure;
  host_end = out.size();
  if (port_colon != std::string_view::npos) return parse_port(authority.substr(port_colon + 1));
  return std::nullopt;
}

std::optional<UrlFailure> Parser::parse_port(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (!is_ascii_digit(c)) return UrlFailure::invalid_port;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (value > 65535) return UrlFailure::invalid_port;
  }
  if (static_cast<int>(value) == default_port_) return std::nullopt;
  port = static_cast<std::uint16_t>(value);
  out += ':';
  out += std::to_string(value);
  return std::nullopt;
}

// file URLs always have a host, empty unless named, and "localhost" means none.
std::optional<UrlFailure> Parser::parse_file() {
  out += "//";
  username_end = host_start = host_end = out.size();
  if (!at_any_slash()) {
    parse_path();
    return std::nullopt;
  }
  ++pos_;
  if (!at_any_slash()) {
    parse_path();
    return std::nullopt;
  }
  ++pos_;
  std::size_t end = pos_;
  while (end < in_.size()) {
    const char c = in_[end];
    if (c == '/' || c == '\\' || c == '?' || c == '#') break;
    ++end;
  }
  const std::string_view host = in_.substr(pos_, end - pos_);
  // "file://C:/x" names a drive, not a host: the letter starts the path.
  if (is_windows_drive_letter(host)) {
    parse_path();
    return std::nullopt;
  }
  pos_ = end;
  if (!host.empty()) {
    if (auto failure = url_detail::parse_host(host, true, out)) return failure;
    if (std::string_view(out).substr(host_start) == "localhost") out.resize(host_start);
    host_end = out.size();
  }
  parse_path_start();
  return std::nullopt;
}

void Parser::parse_path_start() {
  if (special_) {
    if (at_slash()) ++pos_;
    parse_path();
    return;
  }
  path_start = out.size();
  if (at_end() || at('?') || at('#')) return;
  if (at('/')) ++pos_;
  parse_path();
}

// Each segment is written as "/" and its encoded text, then checked: a "."
// is dropped and a ".." also drops the segment before it.
void Parser::parse_path() {
  path_start = out.size();
  for (;;) {
    const std::size_t segment_start = out.size();
    std::size_t end = pos_;
    while (end < in_.size()) {
      const char c = in_[end];
      if (c == '/' || c == '?' || c == '#' || (special_ && c == '\\')) break;
      ++end;
    }
    out += '/';
    url_detail::append_encoded(out, in_.substr(pos_, end - pos_), url_detail::path_set);
    pos_ = end;
    const bool more = at_slash();
    const std::string_view segment(out.data() + segment_start + 1, out.size() - segment_start - 1);
    if (is_double_dot(segment)) {
      out.resize(segment_start);
      shorten_path();
      if (!more) out += '/';
    } else if (is_single_dot(segment)) {
      out.resize(segment_start);
      if (!more) out += '/';
    } else if (file_ && segment_start == path_start && is_windows_drive_letter(segment)) {
      out[segment_start + 2] = ':';
    }
    if (!more) return;
    ++pos_;
  }
}

void Parser::shorten_path() {
  const std::string_view path(out.data() + path_start, out.size() - path_start);
  if (path.empty()) return;
  // A drive letter is never removed.
  if (file_ && path.size() == 3 && is_ascii_alpha(path[1]) && path[2] == ':') return;
  out.resize(path_start + path.rfind('/'));
}

void Parser::parse_opaque_path() {
  path_start = out.size();
  std::size_t end = pos_;
  while (end < in_.size() && in_[end] != '?' && in_[end] != '#') ++end;
  url_detail::append_encoded(out, in_.substr(pos_, end - pos_), url_detail::c0_control_set);
  // A space before the query or fragment is encoded so that it survives
  // when they are removed.
  if (end < in_.size() && end > pos_ && in_[end - 1] == ' ') {
    out.pop_back();
    out += "%20";
  }
  pos_ = end;
}

void Parser::parse_query_and_fragment() {
  if (at('?')) {
    ++pos_;
    query_start = out.size();
    out += '?';
    std::size_t end = pos_;
    while (end < in_.size() && in_[end] != '#') ++end;
    url_detail::append_encoded(out, in_.substr(pos_, end - pos_),
                               special_ ? url_detail::special_query_set : url_detail::query_set);
    pos_ = end;
  }
  if (at('#')) {
    ++pos_;
    fragment_start = out.size();
    out += '#';
    url_detail::append_encoded(out, in_.substr(pos_), url_detail::fragment_set);
    pos_ = in_.size();
  }
}

// Leading and trailing controls and spaces go, tabs and newlines anywhere go,
// and invalid UTF-8 reads as U+FFFD. Copies only when the input needs it.
std::string_view clean_input(std::string_view input, std::string& storage) {
  while (!input.empty() && is_c0_control_or_space(input.front())) input.remove_prefix(1);
  while (!input.empty() && is_c0_control_or_space(input.back())) input.remove_suffix(1);
  const bool has_tab_or_newline =
      std::any_of(input.begin(), input.end(), [](char c) { return is_tab_or_newline(c); });
  if (!has_tab_or_newline && is_valid_utf8(input)) return input;
  storage = url_detail::with_replacement_characters(input);
  std::erase_if(storage, is_tab_or_newline);
  return storage;
}

}  // namespace

std::string_view Url::username() const {
  return has_host() ? part(scheme_end_ + 3, username_end_) : std::string_view();
}

std::string_view Url::password() const {
  if (username_end_ == host_start_ || href_[username_end_] != ':') return {};
  return part(username_end_ + 1, host_start_ - 1);
}

std::size_t Url::query_or_fragment_start() const {
  if (query_start_ != none) return query_start_;
  if (fragment_start_ != none) return fragment_start_;
  return href_.size();
}

std::optional<std::string_view> Url::query() const {
  if (query_start_ == none) return std::nullopt;
  return part(query_start_ + 1, fragment_start_ != none ? fragment_start_ : href_.size());
}

std::optional<std::string_view> Url::fragment() const {
  if (fragment_start_ == none) return std::nullopt;
  return part(fragment_start_ + 1, href_.size());
}

std::expected<Url, UrlError> parse_url(std::string_view input) {
  std::string storage;
  Parser parser(clean_input(input, storage));
  if (auto failure = parser.run()) {
    return std::unexpected(UrlError{std::string(url_detail::failure_message(*failure))});
  }
  Url url;
  url.href_ = std::move(parser.out);
  url.scheme_end_ = parser.scheme_end;
  url.username_end_ = parser.username_end;
  url.host_start_ = parser.host_start;
  url.host_end_ = parser.host_end;
  url.path_start_ = parser.path_start;
  url.query_start_ = parser.query_start;
  url.fragment_start_ = parser.fragment_start;
  url.port_ = parser.port;
  return url;
}

}  // namespace qosa::support
