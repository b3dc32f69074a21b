// The line rule, shared by the document store and every feature: the text is
// split at each "\n"; a "\r" right before the "\n" is not part of the line; a
// final "\n" starts no further line; the empty text has no lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace qosa::lsp {

struct Line {
  std::string_view content;  // without its line break
  std::size_t start = 0;     // byte offset of the line in the text
  std::size_t break_length = 0;  // 2 for "\r\n", 1 for "\n", 0 for a last line without one
};

// Forward iteration over the lines of a text, without copying it.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  // The next line, or none after the last one.
  std::optional<Line> next();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Line `index` (from 0) of the text, or none past the last line.
// Reads only the text up to the end of that line.
std::optional<Line> line_at(std::string_view text, std::size_t index);

// Where the lines of a text start: 0, and one past every "\n" (the text's
// end too when it ends in "\n", which starts no line). Patched after each
// splice, so that a list of many ranged changes finds every position in
// logarithmic time instead of walking the lines before it.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  // Line `index` of `text`, the text as last spliced, as line_at gives it.
  std::optional<Line> line(std::string_view text, std::size_t index) const;

  // The bytes [start, end) were replaced by `inserted`.
  void splice(std::size_t start, std::size_t end, std::string_view inserted);

 private:
  std::vector<std::size_t> starts_;
  std::vector<std::size_t> added_;
};

}  // namespace qosa::lsp
