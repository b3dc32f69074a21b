// The document store under random opens, ranged and whole changes and closes,
// with lines and UTF-16 columns anywhere (past the ends, inside surrogate
// pairs), over texts of ASCII, Turkish, other BMP and astral characters and
// both line breaks. After every step each stored text must equal a small
// model kept as code points, and be valid UTF-8.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "lsp/document.h"
#include "support/utf8.h"

namespace {

using Model = std::u32string;

constexpr char32_t alphabet[] = {U'a', U'z', U' ', U'\n', U'\r', U'ç', U'ğ', U'İ', U'€', U'😀', U'𝔸'};

Model random_text(FuzzedDataProvider& in) {
  Model text;
  const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 24);
  for (std::size_t i = 0; i < n; ++i) text += alphabet[in.ConsumeIntegralInRange<std::size_t>(0, std::size(alphabet) - 1)];
  return text;
}

std::string utf8(const Model& text) {
  std::string out;
  for (char32_t c : text) qosa::support::append_utf8(out, c);
  return out;
}

// Where (line, UTF-16 column) falls in the model, in code points: none when
// the column splits a surrogate pair; one past the end when the line is past
// the last and the text does not end in a line break.
std::optional<std::size_t> model_offset(const Model& text, std::uint32_t line, std::uint32_t column) {
  std::size_t start = 0;
  for (std::uint32_t l = 0;; ++l) {
    if (start >= text.size()) {
      const bool ends_with_break = text.empty() || text.back() == U'\n';
      return text.size() + (ends_with_break ? 0 : 1);
    }
    std::size_t end = text.find(U'\n', start);
    const std::size_t next = end == Model::npos ? text.size() : end + 1;
    if (end == Model::npos) end = text.size();
    if (end > start && end < text.size() && text[end - 1] == U'\r') --end;  // "\r\n": the "\r" is the break's
    if (l == line) {
      std::uint32_t units = 0;
      for (std::size_t i = start; i < end; ++i) {
        if (units == column) return i;
        const std::uint32_t width = text[i] > 0xFFFF ? 2 : 1;
        if (column < units + width) return std::nullopt;  // inside a surrogate pair
        units += width;
      }
      return end;  // at or past the line's end
    }
    start = next;
  }
}

void apply_to_model(Model& text, const qosa::lsp::TextDocumentContentChangeEvent& change, const Model& inserted) {
  if (!change.range) {
    text = inserted;
    return;
  }
  const auto start = model_offset(text, change.range->start.line, change.range->start.character);
  const auto end = model_offset(text, change.range->end.line, change.range->end.character);
  if (!start || !end || *start > *end || *end > text.size()) return;
  text.replace(*start, *end - *start, inserted);
}

qosa::lsp::Position random_position(FuzzedDataProvider& in) {
  return {in.ConsumeIntegralInRange<std::uint32_t>(0, 6), in.ConsumeIntegralInRange<std::uint32_t>(0, 12)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qosa::lsp;
  FuzzedDataProvider in(data, size);
  DocumentStore store;
  std::map<std::string, Model> model;
  const Uri uris[] = {*Uri::parse("file:///a.qosa"), *Uri::parse("file:///b.qosa")};
  std::int32_t version = 0;
  while (in.remaining_bytes() > 0) {
    const Uri& uri = uris[in.ConsumeBool() ? 1 : 0];
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
      case 0: {
        Model text = random_text(in);
        open_document(store, uri, utf8(text), ++version);
        model[uri.str()] = std::move(text);
        break;
      }
      case 5:
        close_document(store, uri.str());
        model.erase(uri.str());
        break;
      default: {
        std::vector<TextDocumentContentChangeEvent> changes;
        std::vector<Model> inserted;
        const int n = in.ConsumeIntegralInRange<int>(0, 3);
        for (int i = 0; i < n; ++i) {
          TextDocumentContentChangeEvent change;
          if (in.ConsumeIntegralInRange<int>(0, 7) != 0) change.range = Range{random_position(in), random_position(in)};
          inserted.push_back(random_text(in));
          change.text = utf8(inserted.back());
          changes.push_back(std::move(change));
        }
        auto it = model.find(uri.str());
        if (it != model.end()) {
          for (std::size_t i = 0; i < changes.size(); ++i) apply_to_model(it->second, changes[i], inserted[i]);
        }
        const Document* document = apply_changes(store, uri.str(), std::move(changes), ++version);
        QOSA_FUZZ_CHECK((document != nullptr) == (it != model.end()));
        if (document) QOSA_FUZZ_CHECK(document->version == version);
        break;
      }
    }
    QOSA_FUZZ_CHECK(store.documents.size() == model.size());
    for (const auto& [key, text] : model) {
      const Document* document = get_document(store, key);
      QOSA_FUZZ_CHECK(document != nullptr);
      QOSA_FUZZ_CHECK(qosa::support::is_valid_utf8(document->text));
      QOSA_FUZZ_CHECK(document->text == utf8(text));
    }
  }
  return 0;
}
