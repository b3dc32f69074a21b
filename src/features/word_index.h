// The whole words of one version of a document's text: every maximal run of
// identifier characters, with where it stands. Built once per version and
// kept beside the text, so a search of every open document for a word costs
// its occurrences rather than a read of every text.
//
// The build is one pass over the text that records each run into a flat
// array, then a counting sort of that array on a few bits of the run's hash.
// No string is kept per word: a lookup compares the word with the text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/document.h"

namespace qosa::lsp {

struct WordIndex {
 public:
  // One occurrence: its line and first column, in UTF-16 code units.
  struct Hit {
    std::uint32_t line = 0;
    std::uint32_t start = 0;
    // The text of the line before it ends, white space aside, with a
    // declaration keyword, with no word boundary ("outlet x" counts).
    bool after_declaration_keyword = false;
  };

  // One run of the text, as the index keeps it.
  struct Entry {
    std::uint32_t tag_and_flag = 0;  // bits of the run's hash; bit 0: after_declaration_keyword
    std::uint32_t line = 0;
    std::uint32_t start = 0;         // UTF-16 column
    std::uint32_t byte_column = 0;   // bytes of the line before it

    Hit hit() const { return {line, start, (tag_and_flag & 1) != 0}; }
  };

  // The whole-word occurrences of one word, in text order.
  class Occurrences {
   public:
    Occurrences() = default;
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // The word's length in UTF-16 code units.
    std::uint32_t utf16_length() const { return utf16_length_; }

    // Inlined into its caller, so a writer's position stays in a register
    // from one occurrence to the next.
    template <class Fn>
    [[gnu::always_inline]] void for_each(Fn&& fn) const {
      for (const Entry& e : candidates_) {
        if ((e.tag_and_flag | 1) == tag_ && (!check_each_ || index_->is_word_at(e, text_, word_))) fn(e.hit());
      }
    }

   private:
    friend struct WordIndex;

    const WordIndex* index_ = nullptr;
    std::span<const Entry> candidates_;  // the word's bucket
    std::uint32_t tag_ = 0;              // with bit 0 set
    bool check_each_ = false;  // the bucket holds runs of another word with the same tag
    std::string_view text_;
    std::string_view word_;
    std::size_t count_ = 0;
    std::uint32_t utf16_length_ = 0;
  };

  // The occurrences of `word` in `text`, the text the index was built from.
  Occurrences find(std::string_view text, std::string_view word) const;

  // An index and the text it was built from.
  struct Indexed {
    const WordIndex* index;
    std::string_view text;
  };
  // The occurrences of `word` in each of many texts, in their order. The
  // lookups go together, so that their cache misses are waited for at once.
  static std::vector<Occurrences> find_in_each(std::span<const Indexed> texts, std::string_view word);

  // How many runs the text holds.
  std::size_t size() const { return entries_.size(); }

 private:
  friend WordIndex build_word_index(std::string_view text);

  // The steps of a lookup: the hash of the word, then asking the memory for
  // what the lookup reads first and next.
  static std::uint64_t hash(std::string_view word);
  void prefetch_bucket(std::uint64_t hash) const;
  void prefetch_entries(std::uint64_t hash) const;
  Occurrences find(std::string_view text, std::string_view word, std::uint64_t hash) const;

  // Whether the run of `e` is `word`, a single identifier run.
  bool is_word_at(const Entry& e, std::string_view text, std::string_view word) const;

  std::vector<Entry> entries_;               // grouped by bucket, text order within one
  std::vector<std::size_t> bucket_starts_;   // bucket b is entries_[starts[b], starts[b + 1])
  std::vector<bool> check_each_;             // per bucket: a lookup compares every candidate
  std::vector<std::size_t> line_starts_;     // byte offset of each line
  unsigned bucket_bits_ = 0;
};

// The index of a valid UTF-8 text.
WordIndex build_word_index(std::string_view text);

// A document in which a word occurs, with its occurrences.
struct DocumentOccurrences {
  const Uri* uri;  // the document's, as the URL module printed it when it was opened
  WordIndex::Occurrences found;
};

// The places of one word in the documents that hold it, for the writer to
// walk: each document's uri and the ranges of the word's occurrences, those
// right after a declaration keyword left out when `skip_declared`.
struct WordPlaces {
  std::vector<DocumentOccurrences> documents;
  bool skip_declared = false;

  struct Ranges {
    const WordIndex::Occurrences* found;
    bool skip_declared;

    std::size_t size() const { return found->size(); }
    template <class Visit>
    [[gnu::always_inline]] void for_each(Visit&& visit) const {
      const std::uint32_t length = found->utf16_length();
      const bool skip = skip_declared;
      found->for_each([&](const WordIndex::Hit& hit) __attribute__((always_inline)) {
        if (skip && hit.after_declaration_keyword) return;
        visit(Range{{hit.line, hit.start}, {hit.line, hit.start + length}});
      });
    }
  };

  template <class Fn>
  void for_each_document(Fn&& fn) const {
    for (const DocumentOccurrences& d : documents) fn(std::string_view(d.uri->str()), Ranges{&d.found, skip_declared});
  }
};

}  // namespace qosa::lsp
