#include "features/name_search.h"

#include <algorithm>
#include <bit>

#include <boost/unordered/unordered_flat_map.hpp>

#include "features/words.h"
#include "lsp/lines.h"
#include "support/hash.h"
#include "support/utf8.h"

namespace qosa::lsp {

namespace {

bool is_identifier(std::string_view name) {
  for (std::size_t i = 0; i < name.size();) {
    const auto d = support::decode_utf8(name, i);
    if (!is_identifier_char(d.code_point)) return false;
    i += d.length;
  }
  return !name.empty();
}

// Slots of an open-addressing table for `entries`, at most half full: a
// power of two, so a hash is reduced with a mask.
std::size_t table_size(std::size_t entries) { return std::bit_ceil(std::max<std::size_t>(16, entries * 2)); }

// A piece of the text to look a name up with, and where the text ends: the
// hash may read on past a short piece instead of copying it.
struct TextPiece {
  std::string_view bytes;
  const char* readable_end;
};

struct NameHash {
  using is_transparent = void;
  using is_avalanching = void;
  std::size_t operator()(std::string_view name) const { return support::hash_bytes(name); }
  std::size_t operator()(const TextPiece& piece) const {
    return support::hash_bytes(piece.bytes.data(), piece.bytes.size(), piece.readable_end);
  }
};

struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
  bool operator()(const TextPiece& a, std::string_view b) const { return a.bytes == b; }
  bool operator()(std::string_view a, const TextPiece& b) const { return a == b.bytes; }
};

constexpr std::size_t no_line = std::numeric_limits<std::size_t>::max();

}  // namespace

std::vector<std::uint32_t> count_names(std::string_view text, std::span<const std::string_view> names,
                                       std::span<const std::size_t> skip_lines) {
  // Only names made of identifier characters can equal a piece; the others count 0.
  // Each distinct name's id is its place in `distinct`.
  boost::unordered_flat_map<std::string_view, std::uint32_t, NameHash, NameEqual> id_of;
  id_of.reserve(names.size());
  std::vector<std::string_view> distinct;
  std::vector<std::uint32_t> ids(names.size(), std::numeric_limits<std::uint32_t>::max());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!is_identifier(names[i])) continue;
    const auto [at, added] = id_of.try_emplace(names[i], static_cast<std::uint32_t>(distinct.size()));
    if (added) distinct.push_back(names[i]);
    ids[i] = at->second;
  }

  std::vector<std::uint32_t> counts(distinct.size(), 0);
  std::vector<std::size_t> skipped_line(distinct.size(), no_line);
  if (!distinct.empty()) {
    FirstOccurrences occurrences(distinct);
    const char* const text_end = text.data() + text.size();
    auto next_skip = skip_lines.begin();
    LineCursor lines(text);
    for (std::size_t index = 0; auto line = lines.next(); ++index) {
      const std::string_view content = line->content;
      if (next_skip != skip_lines.end() && *next_skip == index) {
        ++next_skip;
        occurrences.scan(content, [&](std::uint32_t id) { skipped_line[id] = index; });
      }
      IdentifierRuns runs(content);
      while (auto run = runs.next()) {
        const auto found = id_of.find(TextPiece{content.substr(run->begin, run->end - run->begin), text_end});
        if (found != id_of.end() && skipped_line[found->second] != index) ++counts[found->second];
      }
    }
  }

  std::vector<std::uint32_t> result(names.size(), 0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (ids[i] != std::numeric_limits<std::uint32_t>::max()) result[i] = counts[ids[i]];
  }
  return result;
}

FirstOccurrences::FirstOccurrences(std::span<const std::string_view> names) {
  root_next_.fill(0);
  add_node();
  for (std::uint32_t id = 0; id < names.size(); ++id) insert(names[id], id);
  edges_.reserve(name_.size());
  for (std::uint32_t node = 1; node < name_.size(); ++node) {
    for (std::uint32_t child = first_child_[node]; child != 0; child = next_sibling_[child]) {
      edges_.add(node, byte_[child], child);
    }
  }
  link();
  reported_.assign(names.size(), false);
}

void FirstOccurrences::EdgeTable::reserve(std::size_t edges) {
  slots_.assign(table_size(edges), Slot{});
  mask_ = slots_.size() - 1;
}

void FirstOccurrences::EdgeTable::add(std::uint32_t node, unsigned char b, std::uint32_t child) {
  std::size_t i = slot(node, b);
  while (slots_[i].node != 0) i = (i + 1) & mask_;
  slots_[i] = {node, child, b};
}

std::uint32_t FirstOccurrences::add_node() {
  fail_.push_back(0);
  suffix_name_.push_back(0);
  name_.push_back(none);
  first_child_.push_back(0);
  next_sibling_.push_back(0);
  byte_.push_back(0);
  return static_cast<std::uint32_t>(name_.size() - 1);
}

// The trie is built with child lists; the edge table is filled once its size is known.
void FirstOccurrences::insert(std::string_view name, std::uint32_t id) {
  std::uint32_t node = 0;
  for (const char ch : name) {
    const auto b = static_cast<unsigned char>(ch);
    std::uint32_t next = node == 0 ? root_next_[b] : 0;
    for (std::uint32_t child = first_child_[node]; node != 0 && child != 0; child = next_sibling_[child]) {
      if (byte_[child] == b) {
        next = child;
        break;
      }
    }
    if (next == 0) {
      next = add_node();
      if (node == 0) root_next_[b] = next;
      next_sibling_[next] = first_child_[node];
      first_child_[node] = next;
      byte_[next] = b;
    }
    node = next;
  }
  name_[node] = id;
}

// Failure links and suffix-name links, breadth first.
void FirstOccurrences::link() {
  std::vector<std::uint32_t> queue;
  queue.reserve(name_.size());
  for (std::uint32_t c = first_child_[0]; c != 0; c = next_sibling_[c]) queue.push_back(c);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::uint32_t node = queue[head];
    for (std::uint32_t child = first_child_[node]; child != 0; child = next_sibling_[child]) {
      for (std::uint32_t f = fail_[node];; f = fail_[f]) {
        if (const std::uint32_t next = step(f, byte_[child])) {
          fail_[child] = next;
          break;
        }
        if (f == 0) break;
      }
      const std::uint32_t target = fail_[child];
      suffix_name_[child] = name_[target] != none ? target : suffix_name_[target];
      queue.push_back(child);
    }
  }
}

}  // namespace qosa::lsp
