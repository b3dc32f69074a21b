// Compares our URL output with Node's built-in WHATWG URL on generated
// document-like uris. Skipped where node is not installed, and in the
// Windows build, which runs under wine.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <boost/json.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/url.h"

namespace qosa::support {
namespace {

namespace fs = std::filesystem;

// An input where we and Node answer differently. `ours` is what we give:
// an href, or "" for a failure.
struct KnownDifference {
  const char* input;
  const char* ours;
  const char* reason;
};

constexpr const char* bidi_digit_label =
    "ICU applies the bidi rule to a label that starts with an Arabic-Indic digit (bidi class "
    "AN) and rejects it; Node's IDNA accepts it";

// Node's IDNA data and the installed ICU's disagree.
const std::vector<KnownDifference> idna_differences = {
    {"https://\u0661\u0662.example/", "", bidi_digit_label},
    {"file://\u0661\u0662.example/ana.qosa", "", bidi_digit_label},
};

constexpr const char* final_double_dot =
    "a final \"..\" leaves an empty last segment, as in special URLs; Node 20 drops it in "
    "non-special ones";

// Node 20's URL departs from the standard here, in cases the conformance
// data does not cover.
const std::vector<KnownDifference> node_divergences = {
    {"Git+SSH://host%20x\u00e7al\u0131\u015fma/..",
     "git+ssh://host%20x%C3%A7al%C4%B1%C5%9Fma/", final_double_dot},
    {"untitled:/%2E%2e", "untitled:/", final_double_dot},
    {"Git+SSH://127.0.0.1/..", "git+ssh://127.0.0.1/", final_double_dot},
};

std::optional<fs::path> find_node() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::string dirs = path;
  std::size_t begin = 0;
  while (begin <= dirs.size()) {
    const auto end = std::min(dirs.find(':', begin), dirs.size());
    const fs::path candidate = fs::path(dirs.substr(begin, end - begin)) / "node";
    if (!candidate.parent_path().empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    begin = end + 1;
  }
  return std::nullopt;
}

template <std::size_t N>
const char* pick(std::mt19937& rng, const char* const (&items)[N]) {
  return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

bool chance(std::mt19937& rng, int percent) {
  return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
}

std::vector<std::string> generate_inputs() {
  static const char* const schemes[] = {"file", "FILE", "File", "file", "file", "http", "HTTPS",
                                        "ws", "untitled", "vscode-remote", "Git+SSH", "a.b-c"};
  static const char* const separators[] = {":", ":/", "://", ":///", "://", ":///", ":\\\\",
                                           ":/\\", "://\\", ":////"};
  static const char* const hosts[] = {
      "", "", "localhost", "LOCALHOST", "example.com", "EXAMPLE.Com", "127.0.0.1",
      "0x7f.1", "3232235777", "192.168.0.257", "1.2.3.4.", "0300.0250.0.1", "[::1]",
      "[1:0:0:0:0:0:0:1]", "[::ffff:1.2.3.4]", "[2001:db8::0:1]", "[::", "münchen.de",
      "ÇALIŞMA.example", "xn--mnchen-3ya.de", "wsl$", "host%20x", "%41host", "a b", "server",
      "C:", "c|", "sunucu.local", "ıi.example", "straße.de", "ＥＸＡＭＰＬＥ.com", "%C3%BC.de"};
  // International hosts, each also tried alone.
  static const char* const idn_hosts[] = {
      "münchen.de", "ÇALIŞMA.example", "ıi.example", "straße.de", "βόλος.gr", "ﬁle.example",
      "日本.jp", "a\u200db", "\u0661\u0662.example", "ＥＸＡＭＰＬＥ.com", "a。b", "⑩.com",
      "😀", "xn--ls8h", "XN--MNCHEN-3YA.DE", "xn--mnchen-3ya.de", "%C3%BC.de", "%zz", "İ.tr",
      "\u0627\u0644\u0639\u0631\u0628\u064a\u0629.example", "\u05e9\u05dc\u05d5\u05dd",
      "a\u0301.example", "\u00e0.example", "xn--a-ecp.ru", "ab--cd.example", "-x.example",
      "\u2163.example", "\u00ad", "a.b.c.xn--pokxncvks", "ǅ.example", "\u3002",
      "\U0001F1F9\U0001F1F7.example"};
  static const char* const userinfos[] = {"user@", "user:pass@", ":p@", "us er@", "ü:ş@", "a@b@"};
  static const char* const ports[] = {":8080", ":80", ":443", ":", ":0", ":65535", ":65536",
                                      ":08", ":x"};
  // No '^': Node 20 predates its place in the path percent-encode set (the
  // conformance data covers it).
  static const char* const segments[] = {
      "home", "user", "proje", "ana.qosa", "a b", "a%20b", "100%", "%", "%2e", "%2E%2e", ".", "..",
      ".", "..", "C:", "c|", "D%3A", "çalışma", "dosya adı.qosa", "ğüşöç", "😀", "x\\y", "Ünite",
      "{x}", "`t`", "\"q\"", "<a>", "'s'", "~tilde", "a;b=c", "@", "..%2f", "\xc2\xa0",
      "tab\there", "new\nline", "İ"};
  static const char* const queries[] = {"?a=b", "?q= x", "?'", "?x#y", "?", "?ş=1", "?a\"b<c>", "?x^y"};
  static const char* const fragments[] = {"#frag", "#a b", "#`x`", "#", "#L10", "#ç", "#^"};
  static const char* const wrappers[] = {" ", "\t", "\n", "\x01", "  \r\n"};

  std::vector<std::string> inputs;
  for (const char* host : idn_hosts) {
    inputs.push_back(std::string("https://") + host + "/");
    inputs.push_back(std::string("file://") + host + "/ana.qosa");
  }
  std::mt19937 rng(20240611);
  for (int i = 0; i < 4000; ++i) {
    std::string s;
    if (chance(rng, 5)) s += pick(rng, wrappers);
    s += pick(rng, schemes);
    s += pick(rng, separators);
    if (chance(rng, 10)) s += pick(rng, userinfos);
    if (chance(rng, 40)) s += pick(rng, hosts);
    if (chance(rng, 10)) s += pick(rng, ports);
    const int count = std::uniform_int_distribution<int>(0, 5)(rng);
    for (int k = 0; k < count; ++k) {
      if (k > 0 || chance(rng, 70)) s += chance(rng, 10) ? "\\" : "/";
      s += pick(rng, segments);
    }
    if (chance(rng, 10)) s += "/";
    if (chance(rng, 15)) s += pick(rng, queries);
    if (chance(rng, 15)) s += pick(rng, fragments);
    if (chance(rng, 5)) s += pick(rng, wrappers);
    inputs.push_back(std::move(s));
  }
  return inputs;
}

// Runs node once over all inputs; each answer is an href or null.
std::optional<boost::json::array> node_hrefs(const fs::path& node,
                                             const std::vector<std::string>& inputs) {
  boost::json::array list;
  for (const auto& s : inputs) list.emplace_back(s);
  const fs::path file =
      fs::temp_directory_path() / ("qosa-url-inputs-" + std::to_string(getpid()) + ".json");
  {
    std::ofstream out(file, std::ios::binary);
    out << boost::json::serialize(list);
  }
  const std::string script =
      "const fs = require(\"fs\");"
      "const inputs = JSON.parse(fs.readFileSync(process.argv[1], \"utf8\"));"
      "process.stdout.write(JSON.stringify(inputs.map(s => {"
      "  try { return new URL(s).href; } catch (e) { return null; }"
      "})));";
  std::string command = "'";
  command += node.string();
  command += "' -e '";
  command += script;
  command += "' '";
  command += file.string();
  command += "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  if (pipe != nullptr) {
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  fs::remove(file);
  boost::system::error_code ec;
  auto value = boost::json::parse(output, ec);
  if (ec || !value.is_array()) return std::nullopt;
  return value.as_array();
}

bool is_known(const std::vector<KnownDifference>& table, const std::string& input,
              const std::string& ours, std::set<std::string>& used) {
  for (const auto& d : table) {
    if (input == d.input && ours == d.ours) {
      used.insert(d.input);
      return true;
    }
  }
  return false;
}

TEST(UrlNode, MatchesNodeOnGeneratedUris) {
  const auto node = find_node();
  if (!node) GTEST_SKIP() << "node is not on the PATH";
  const auto inputs = generate_inputs();
  const auto hrefs = node_hrefs(*node, inputs);
  ASSERT_TRUE(hrefs) << "node gave no JSON array";
  ASSERT_EQ(hrefs->size(), inputs.size());

  int mismatches = 0;
  std::set<std::string> used;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const auto ours = parse_url(inputs[i]);
    const std::string actual = ours ? ours->href() : "";
    const auto& theirs = (*hrefs)[i];
    const std::string expected = theirs.is_string() ? std::string(theirs.as_string()) : "";
    if (actual == expected) continue;
    if (is_known(idna_differences, inputs[i], actual, used) ||
        is_known(node_divergences, inputs[i], actual, used)) {
      continue;
    }
    if (++mismatches <= 20) {
      ADD_FAILURE() << "input: " << boost::json::serialize(boost::json::string(inputs[i]))
                    << "\n  ours: " << (ours ? actual : "failure: " + ours.error().message)
                    << "\n  node: " << (theirs.is_string() ? expected : "failure");
    }
  }
  EXPECT_EQ(mismatches, 0);
  for (const auto* table : {&idna_differences, &node_divergences}) {
    for (const auto& d : *table) EXPECT_TRUE(used.count(d.input)) << "no longer differs: " << d.input;
  }
}

}  // namespace
}  // namespace qosa::support
#endif  // _WIN32
