#include "lsp/lines.h"

#include <cstring>

namespace qosa::lsp {

std::optional<Line> LineCursor::next() {
  if (pos_ >= text_.size()) return std::nullopt;
  Line line;
  line.start = pos_;
  const std::size_t nl = text_.find('\n', pos_);
  if (nl == std::string_view::npos) {
    line.content = text_.substr(pos_);
    line.break_length = 0;
    pos_ = text_.size();
    return line;
  }
  std::size_t end = nl;
  line.break_length = 1;
  if (end > pos_ && text_[end - 1] == '\r') {
    --end;
    line.break_length = 2;
  }
  line.content = text_.substr(pos_, end - pos_);
  pos_ = nl + 1;
  return line;
}

std::optional<Line> line_at(std::string_view text, std::size_t index) {
  // Skip whole lines with memchr; only the wanted line is cut out.
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index; ++i) {
    const void* nl = pos < text.size() ? std::memchr(text.data() + pos, '\n', text.size() - pos)
                                       : nullptr;
    if (!nl) return std::nullopt;
    pos = static_cast<std::size_t>(static_cast<const char*>(nl) - text.data()) + 1;
  }
  LineCursor cursor(text.substr(pos));
  auto line = cursor.next();
  if (line) line->start += pos;
  return line;
}

}  // namespace qosa::lsp
