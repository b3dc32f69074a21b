#include "features/name_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#include "features/words.h"
#include "lsp/lines.h"
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

// Names by their bytes, looked up once for every identifier run of the
// text: open addressing with a hash of eight bytes at a time. A slot holds
// only a hash and an id, so the table stays small enough for the cache.
class NameTable {
 public:
  explicit NameTable(std::size_t names) {
    slots_.assign(table_size(names), Slot{});
    mask_ = slots_.size() - 1;
    names_.reserve(names);
  }
  // The id of `name`: its place in the order names were first added.
  std::uint32_t add(std::string_view name) {
    lengths_ |= length_bit(name);
    first_bytes_[first_byte(name) / 64] |= first_byte_bit(name);
    const std::uint64_t h = hash(name);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      if (slots_[i].id == none) {
        slots_[i] = {static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(names_.size())};
        names_.push_back(name);
        return slots_[i].id;
      }
      if (same(slots_[i], h, name)) return slots_[i].id;
    }
  }
  std::optional<std::uint32_t> find(std::string_view name) const {
    // Most pieces of a text are no name: their length or first byte tells.
    if (!(lengths_ & length_bit(name)) || !(first_bytes_[first_byte(name) / 64] & first_byte_bit(name))) {
      return std::nullopt;
    }
    const std::uint64_t h = hash(name);
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      if (slots_[i].id == none) return std::nullopt;
      if (same(slots_[i], h, name)) return slots_[i].id;
    }
  }
  const std::vector<std::string_view>& names() const { return names_; }

 private:
  static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
  struct Slot {
    std::uint32_t tag = 0;  // the hash's high half
    std::uint32_t id = none;
  };
  // Names are not empty.
  static std::uint64_t length_bit(std::string_view name) { return std::uint64_t{1} << std::min<std::size_t>(name.size(), 63); }
  static unsigned char first_byte(std::string_view name) { return static_cast<unsigned char>(name[0]); }
  static std::uint64_t first_byte_bit(std::string_view name) { return std::uint64_t{1} << (first_byte(name) % 64); }
  bool same(const Slot& slot, std::uint64_t h, std::string_view name) const {
    return slot.tag == static_cast<std::uint32_t>(h >> 32) && names_[slot.id] == name;
  }
  static std::uint64_t load(const char* p, std::size_t n) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, n);
    return v;
  }
  // Whole words at once; a short tail as two overlapping halves, so no
  // load has a variable length.
  static std::uint64_t hash(std::string_view s) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    const char* p = s.data();
    const std::size_t n = s.size();
    std::uint64_t h = n * k;
    auto mix = [&](std::uint64_t chunk) { h = std::rotl((h ^ chunk) * k, 29); };
    if (n >= 8) {
      for (std::size_t i = 0; i + 8 <= n; i += 8) mix(load(p + i, 8));
      if (n % 8 != 0) mix(load(p + n - 8, 8));
    } else if (n >= 4) {
      mix(load(p, 4) << 32 | load(p + n - 4, 4));
    } else if (n > 0) {
      mix(std::uint64_t{static_cast<unsigned char>(p[0])} << 16 |
          std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 | static_cast<unsigned char>(p[n - 1]));
    }
    return (h ^ (h >> 32)) * k;
  }
  std::vector<Slot> slots_;
  std::vector<std::string_view> names_;
  std::size_t mask_ = 0;
  std::uint64_t lengths_ = 0;  // bit n: a name of n bytes (63: of 63 or more)
  std::array<std::uint64_t, 4> first_bytes_{};
};

constexpr std::size_t no_line = std::numeric_limits<std::size_t>::max();

}  // namespace

std::vector<std::uint32_t> count_names(std::string_view text, std::span<const std::string_view> names,
                                       std::span<const std::size_t> skip_lines) {
  // Only names made of identifier characters can equal a piece; the others count 0.
  NameTable id_of(names.size());
  std::vector<std::uint32_t> ids(names.size(), std::numeric_limits<std::uint32_t>::max());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (is_identifier(names[i])) ids[i] = id_of.add(names[i]);
  }
  const std::vector<std::string_view>& distinct = id_of.names();

  std::vector<std::uint32_t> counts(distinct.size(), 0);
  std::vector<std::size_t> skipped_line(distinct.size(), no_line);
  if (!distinct.empty()) {
    FirstOccurrences occurrences(distinct);
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
        const auto id = id_of.find(content.substr(run->begin, run->end - run->begin));
        if (id && skipped_line[*id] != index) ++counts[*id];
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
