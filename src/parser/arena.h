// A bump allocator that owns every node of one syntax tree, so that the tree,
// however deep, is released at once and without recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace qosa::parser {

class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  void* allocate(std::size_t size, std::size_t align) {
    // A large block gets a chunk of its own, so the current chunk stays in use.
    if (size > kLargestChunk / 4) return dedicated(size);
    std::size_t pad = (align - reinterpret_cast<std::uintptr_t>(ptr_) % align) % align;
    if (ptr_ == nullptr || pad + size > static_cast<std::size_t>(end_ - ptr_)) {
      grow(size + align);
      pad = (align - reinterpret_cast<std::uintptr_t>(ptr_) % align) % align;
    }
    char* result = ptr_ + pad;
    ptr_ = result + size;
    return result;
  }

  // Nodes are never destroyed one by one, so they must not own anything
  // outside the arena.
  template <class T, class... Args>
  T* make(Args&&... args) {
    static_assert(std::is_trivially_destructible_v<T>);
    return new (allocate(sizeof(T), alignof(T))) T{std::forward<Args>(args)...};
  }

  std::string_view copy(std::string_view text) {
    if (text.empty()) return {};
    char* out = static_cast<char*>(allocate(text.size(), 1));
    std::memcpy(out, text.data(), text.size());
    return {out, text.size()};
  }

  template <class T>
  std::span<const T> copy_list(std::span<const T> items) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    if (items.empty()) return {};
    T* out = static_cast<T*>(allocate(sizeof(T) * items.size(), alignof(T)));
    std::memcpy(static_cast<void*>(out), items.data(), sizeof(T) * items.size());
    return {out, items.size()};
  }

  // A point to go back to: everything allocated after it is given back by
  // `rewind`, which the parser uses for statements that come to nothing.
  struct Mark {
    char* ptr;
    std::size_t chunks;
  };
  Mark mark() const { return {ptr_, chunks_.size()}; }
  void rewind(Mark mark) {
    // Only within one chunk; a chunk taken since the mark stays reserved.
    if (mark.chunks == chunks_.size()) ptr_ = mark.ptr;
  }

  // Gives back everything allocated, keeping the last chunk (the largest of
  // the doubling ones) for what comes next, so that an arena used again and
  // again stops taking memory from the system once it is warm.
  void clear() {
    if (chunks_.size() == 1 && chunks_.front().get() == current_) {
      ptr_ = current_;
      return;
    }
    std::unique_ptr<char[]> keep;
    for (auto& chunk : chunks_) {
      if (chunk.get() == current_) keep = std::move(chunk);
    }
    chunks_.clear();
    reserved_ = 0;
    if (!keep) {
      ptr_ = end_ = current_ = nullptr;
      return;
    }
    ptr_ = keep.get();
    reserved_ = static_cast<std::size_t>(end_ - ptr_);
    chunks_.push_back(std::move(keep));
  }

  // Whether more than `bytes` are in use, or more than one chunk is held.
  bool holds_more_than(std::size_t bytes) const {
    return chunks_.size() > 1 || static_cast<std::size_t>(ptr_ - current_) > bytes;
  }

  // Bytes taken from the system, used or not.
  std::size_t bytes_reserved() const { return reserved_; }

 private:
  static constexpr std::size_t kFirstChunk = 4096;
  static constexpr std::size_t kLargestChunk = 1 << 20;

  void* dedicated(std::size_t size) {
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    reserved_ += size;
    return chunks_.back().get();
  }

  void grow(std::size_t at_least) {
    // Chunks double up to a ceiling, so small texts stay small and large ones
    // waste at most one chunk.
    std::size_t size = reserved_ < kFirstChunk ? kFirstChunk : reserved_;
    if (size > kLargestChunk) size = kLargestChunk;
    if (size < at_least) size = at_least;
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    current_ = ptr_ = chunks_.back().get();
    end_ = ptr_ + size;
    reserved_ += size;
  }

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* ptr_ = nullptr;
  char* end_ = nullptr;
  char* current_ = nullptr;  // the start of the chunk `ptr_` points into
  std::size_t reserved_ = 0;
};

}  // namespace qosa::parser
