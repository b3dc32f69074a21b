#include "e2e/server_process.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qosa::testing {

std::string server_path() {
  const char* path = std::getenv("QOSA_LSP_PATH");
  return path != nullptr && *path != '\0' ? path : QOSA_LSP_PATH;
}

Lines split_lines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size() - 1;
    lines.push_back(text.substr(start, nl - start + 1));
    start = nl + 1;
  }
  return lines;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qosa::testing
