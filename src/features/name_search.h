// Many names searched for in one text at once, for the code lens's reference
// counts: each name's whole-identifier count and first line, linear in the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace qosa::lsp {

// The counts of `names`, in the order given: the identifier runs equal to
// the name over every line of `text`, except on the first of `skip_lines`
// (line indices, ascending) that contains the name anywhere. A name that is
// empty or holds a non-identifier character counts 0.
std::vector<std::uint32_t> count_names(std::string_view text, std::span<const std::string_view> names,
                                       std::span<const std::size_t> skip_lines);

// An Aho–Corasick automaton over the bytes of a set of names, reporting
// each name the first time a scanned line contains it. Once a name is
// reported so are all names that are suffixes of it (they occur where it
// occurs), so walking a match's chain of suffix names stops at the first
// name already reported, and every line is scanned in linear time.
class FirstOccurrences {
 public:
  // The names are distinct and not empty; a name's id is its place in `names`.
  explicit FirstOccurrences(std::span<const std::string_view> names);

  // Calls on_first(id) for every name that `line` contains and no earlier
  // scanned line did.
  template <class Fn>
  void scan(std::string_view line, Fn&& on_first) {
    std::uint32_t state = 0;
    for (const char ch : line) {
      const auto b = static_cast<unsigned char>(ch);
      for (;;) {
        if (const std::uint32_t next = step(state, b)) {
          state = next;
          break;
        }
        if (state == 0) break;
        state = fail_[state];
      }
      for (std::uint32_t node = name_[state] != none ? state : suffix_name_[state];
           node != 0 && !reported_[name_[node]]; node = suffix_name_[node]) {
        reported_[name_[node]] = true;
        on_first(name_[node]);
      }
    }
  }

 private:
  static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

  // Child edges keyed by (node, byte), open addressing; the root's are a
  // plain table.
  class EdgeTable {
   public:
    void reserve(std::size_t edges);
    void add(std::uint32_t node, unsigned char b, std::uint32_t child);
    std::uint32_t find(std::uint32_t node, unsigned char b) const {
      for (std::size_t i = slot(node, b);; i = (i + 1) & mask_) {
        const Slot& s = slots_[i];
        if (s.node == node && s.byte == b) return s.child;
        if (s.node == 0) return 0;
      }
    }

   private:
    struct Slot {
      std::uint32_t node = 0;  // 0: empty, as the root's edges are not here
      std::uint32_t child = 0;
      unsigned char byte = 0;
    };
    std::size_t slot(std::uint32_t node, unsigned char b) const {
      return static_cast<std::size_t>((((std::uint64_t{node} << 8) | b) * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
  };

  // The child of `node` along byte b; 0 (the root) when there is none.
  std::uint32_t step(std::uint32_t node, unsigned char b) const {
    return node == 0 ? root_next_[b] : edges_.find(node, b);
  }

  std::uint32_t add_node();
  void insert(std::string_view name, std::uint32_t id);
  void link();

  std::array<std::uint32_t, 256> root_next_;
  EdgeTable edges_;
  std::vector<std::uint32_t> fail_;
  std::vector<std::uint32_t> suffix_name_;  // nearest proper suffix that is a name; 0 for none
  std::vector<std::uint32_t> name_;         // the name ending here, or none
  std::vector<std::uint32_t> first_child_;  // children lists, for linking breadth first
  std::vector<std::uint32_t> next_sibling_;
  std::vector<unsigned char> byte_;         // the byte on the edge into the node
  std::vector<bool> reported_;
};

}  // namespace qosa::lsp
