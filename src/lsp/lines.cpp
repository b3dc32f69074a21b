#include "lsp/lines.h"

#include <algorithm>
#include <cstring>

namespace qosa::lsp {

namespace {

// The line that starts at `start` and ends at the "\n" at `newline` (npos:
// at the text's end, with no break). The line rule is here alone. (Callers
// return it straight away: a Line held while the cursor moved on went
// through the stack, and every line loop paid to read it back.)
Line cut_line(std::string_view text, std::size_t start, std::size_t newline) {
  Line line;
  line.start = start;
  if (newline == std::string_view::npos) {
    line.content = text.substr(start);
    line.break_length = 0;
    return line;
  }
  std::size_t end = newline;
  line.break_length = 1;
  if (end > start && text[end - 1] == '\r') {
    --end;
    line.break_length = 2;
  }
  line.content = text.substr(start, end - start);
  return line;
}

const char* find_newline(const char* p, const char* end) {
  return p < end ? static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))) : nullptr;
}

}  // namespace

std::optional<Line> LineCursor::next() {
  if (pos_ >= text_.size()) return std::nullopt;
  const std::size_t start = pos_;
  const std::size_t nl = text_.find('\n', start);
  pos_ = nl == std::string_view::npos ? text_.size() : nl + 1;
  return cut_line(text_, start, nl);
}

std::optional<Line> line_at(std::string_view text, std::size_t index) {
  // Skip whole lines with memchr; only the wanted line is cut out.
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index; ++i) {
    const char* nl = find_newline(text.data() + pos, text.data() + text.size());
    if (!nl) return std::nullopt;
    pos = static_cast<std::size_t>(nl - text.data()) + 1;
  }
  if (pos >= text.size()) return std::nullopt;
  return cut_line(text, pos, text.find('\n', pos));
}

namespace {

// Appends `base` plus the offset after each "\n" of `text`.
void add_breaks(std::string_view text, std::size_t base, std::vector<std::size_t>& out) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* nl = find_newline(begin, end); nl; nl = find_newline(nl + 1, end)) {
    out.push_back(base + static_cast<std::size_t>(nl + 1 - begin));
  }
}

}  // namespace

LineIndex::LineIndex(std::string_view text) {
  starts_.push_back(0);
  add_breaks(text, 0, starts_);
}

std::optional<Line> LineIndex::line(std::string_view text, std::size_t index) const {
  if (index >= starts_.size() || starts_[index] >= text.size()) return std::nullopt;
  const std::size_t newline = index + 1 < starts_.size() ? starts_[index + 1] - 1 : std::string_view::npos;
  return cut_line(text, starts_[index], newline);
}

void LineIndex::splice(std::size_t start, std::size_t end, std::string_view inserted) {
  // Line starts inside the replaced bytes go; those after it move.
  const auto first = std::upper_bound(starts_.begin(), starts_.end(), start);
  const auto last = std::upper_bound(first, starts_.end(), end);
  const auto grown = static_cast<std::ptrdiff_t>(inserted.size()) - static_cast<std::ptrdiff_t>(end - start);
  for (auto it = last; it != starts_.end(); ++it) *it = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*it) + grown);
  added_.clear();
  add_breaks(inserted, start, added_);
  const auto at = starts_.erase(first, last);
  starts_.insert(at, added_.begin(), added_.end());
}

}  // namespace qosa::lsp
