// Generates realistic QOSA programs of a given size, in Turkish or English
// keywords, for the lexer and parser benchmarks. Header-only and deterministic.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qosa::bench {

enum class KeywordLanguage { Turkish, English };

// Core: declarations, control flow and expressions. WithEmbedded adds, every
// fourth unit, hardware use, publish/subscribe, tasks, event handlers, match,
// if-expressions, hardware calls, inline assembly, panic, try, use, import,
// export and attributes.
enum class Constructs { Core, WithEmbedded };

namespace detail {

// The words a program is written with in one keyword language.
struct Vocabulary {
  std::string_view fn, let, constant, ret, if_, then, else_, end, while_, do_, for_, each, in;
  std::string_view structure, try_, catch_, true_, false_, and_, or_, not_, new_, break_;
  std::array<std::string_view, 4> types;  // integer, float, string, boolean
  std::string_view print;
  std::array<std::string_view, 12> names;
  std::array<std::string_view, 6> functions;
  std::array<std::string_view, 4> structs;
  std::array<std::string_view, 6> comments;
  std::array<std::string_view, 6> strings;
};

inline constexpr Vocabulary kTurkish = {
    "fonksiyon", "değişken", "sabit", "dön", "eğer", "ise", "değilse", "son", "iken", "yap",
    "her biri", "", "içinde", "yapı", "dene", "yakala", "doğru", "yanlış", "ve", "veya",
    "değil", "yeni", "dur",
    {"tamsayı", "ondalık", "yazı", "mantıksal"},
    "yazdır",
    {"toplam", "sayaç", "öğe", "değer", "sonuç", "çıktı", "ağırlık", "genişlik", "yükseklik",
     "öncekiDeğer", "geçici_sayı", "i"},
    {"hesapla", "güncelle", "kontrol_et", "yükle", "çiz", "ortalamaBul"},
    {"Nokta", "Öğrenci", "Dikdörtgen", "Ayarlar"},
    {"Değeri sınıra göre ayarlar", "TODO: hataları daha iyi işle", "Ağırlıklı ortalama",
     "Bu döngü her öğeyi bir kez gezer", "Sayaç sıfırdan başlar", "Çıktıyı biçimlendir"},
    {"Merhaba, dünya!", "değer: ", "Hata oluştu\\n", "çok büyük", "İşlem tamam",
     "satır\\tsütun"},
};

inline constexpr Vocabulary kEnglish = {
    "fn", "let", "const", "return", "if", "then", "else", "end", "while", "do", "for", "each",
    "in", "struct", "try", "catch", "true", "false", "and", "or", "not", "new", "break",
    {"int", "float", "string", "bool"},
    "print",
    {"total", "counter", "item", "value", "result", "output", "weight", "width", "height",
     "previousValue", "temp_count", "i"},
    {"compute", "update", "check_limits", "load", "draw", "findAverage"},
    {"Point", "Student", "Rectangle", "Settings"},
    {"Clamps the value to the limit", "TODO: handle errors better", "Weighted average",
     "This loop visits every item once", "The counter starts at zero", "Format the output"},
    {"Hello, world!", "value: ", "An error occurred\\n", "too large", "Done",
     "row\\tcolumn"},
};

// The words of the embedded, publish/subscribe and module constructs.
struct EmbeddedVocabulary {
  std::string_view use, import, export_, as, participant, topic, publisher, subscriber;
  std::string_view task, priority, period, stack, on, emit, match, case_, some, none;
  std::string_view setting, setting_value, channel, result, ready, reading, driver, read;
  std::string_view attribute, level, level_value, shared, panic_text, started, ready_event;
  std::string_view memory_group, driver_path, write, run;
  std::array<std::string_view, 4> peripherals;
  std::array<std::string_view, 4> pin_methods;
  std::string_view input_method, pull;
  std::array<std::string_view, 6> policies;
  std::array<std::string_view, 4> topics;
  std::array<std::string_view, 4> messages;
};

inline constexpr EmbeddedVocabulary kTurkishEmbedded = {
    "kullan", "içe_aktar", "dışa_aktar", "olarak", "katılımcı", "konu", "yayıncı", "abone",
    "görev", "öncelik", "periyot", "yığın", "olay", "yayınla_olay", "seç", "durum", "Bazı",
    "Hiçbir",
    "mod", "hızlı", "kanal", "sonuç", "hazır", "okunan", "sürücü", "oku",
    "kesme", "seviye", "yüksek", "paylaşılan", "kanal hatası: {}", "Başladı", "Hazır",
    "çekirdek::bellek::{ayır, bırak olarak serbest}", "sürücüler/sensör", "yaz", "çalış",
    {"giriş_çıkış", "zamanlayıcı", "seri_iletişim", "analog_dijital"},
    {"yüksek_yap", "alçak_yap", "değiştir", "yüksek_mi"},
    "giriş_olarak", "yukarı_çek",
    {"güvenilir", "elinden_gelen", "geçmiş = 10", "süre_sınırı = 100", "kalıcı", "ömür = 50"},
    {"Sıcaklık", "Basınç", "Hız", "Konum"},
    {"Ölçüm", "Okuma", "Komut", "Rapor"},
};

inline constexpr EmbeddedVocabulary kEnglishEmbedded = {
    "use", "import", "export", "as", "participant", "topic", "publisher", "subscriber",
    "task", "priority", "period", "stack", "on", "emit", "match", "case", "Some", "None",
    "mode", "fast", "channel", "result", "ready", "reading", "driver", "read",
    "interrupt", "level", "high", "shared", "channel error: {}", "Started", "Ready",
    "core::memory::{alloc, release as free}", "drivers/sensor", "write", "run",
    {"gpio", "timer", "uart", "adc"},
    {"set_high", "set_low", "toggle", "is_high"},
    "as_input", "pull_up",
    {"reliable", "best_effort", "history = 10", "deadline = 100", "transient", "lifespan = 50"},
    {"Temperature", "Pressure", "Speed", "Position"},
    {"Reading", "Sample", "Command", "Report"},
};

// A small linear congruential generator: the same program on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::size_t below(std::size_t n) { return next() % n; }

 private:
  std::uint64_t state_;
};

// Concatenation by appending (operator+ chains trip a false -Wrestrict in GCC 12).
inline std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out += p;
  return out;
}

class Writer {
 public:
  // `e` is null for core programs.
  Writer(const Vocabulary& v, const EmbeddedVocabulary* e, std::uint64_t seed)
      : v_(v), e_(e), rng_(seed) {}

  std::string take() { return std::move(out_); }
  std::size_t size() const { return out_.size(); }

  void program_unit(std::size_t index) {
    if (index % 5 == 0) structure(index);
    if (e_ != nullptr && index % 4 == 0) embedded_unit(index);
    function(index);
  }

 private:
  template <std::size_t N>
  std::string_view pick(const std::array<std::string_view, N>& words) {
    return words[rng_.below(N)];
  }

  void line(int depth, std::string_view text) {
    out_.append(static_cast<std::size_t>(depth) * 4, ' ');
    out_ += text;
    out_ += '\n';
  }

  std::string number() {
    switch (rng_.below(4)) {
      case 0: return std::to_string(rng_.below(100));
      case 1: return std::to_string(rng_.below(1000000));
      case 2: {
        const std::string whole = std::to_string(rng_.below(100));
        const std::string fraction = std::to_string(rng_.below(1000));
        return cat({whole, ".", fraction});
      }
      default: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string hex = "0x";
        for (int i = 0; i < 4; ++i) hex += kHex[rng_.below(16)];
        return hex;
      }
    }
  }

  std::string operand() { return rng_.below(3) == 0 ? number() : std::string(pick(v_.names)); }

  std::string expression() {
    static constexpr std::array<std::string_view, 5> kOps = {" + ", " - ", " * ", " / ", " % "};
    std::string e = operand();
    const std::size_t terms = rng_.below(3);
    for (std::size_t i = 0; i < terms; ++i) {
      e += pick(kOps);
      e += operand();
    }
    if (rng_.below(4) == 0) e = cat({"(", e, ")", pick(kOps), operand()});
    return e;
  }

  std::string condition() {
    static constexpr std::array<std::string_view, 6> kCompare = {" < ",  " > ",  " <= ",
                                                                 " >= ", " == ", " != "};
    std::string c = cat({pick(v_.names), pick(kCompare), operand()});
    switch (rng_.below(4)) {
      case 0: c += cat({" ", v_.and_, " ", pick(v_.names), pick(kCompare), number()}); break;
      case 1: c += cat({" ", v_.or_, " ", v_.not_, " ", pick(v_.names)}); break;
      default: break;
    }
    return c;
  }

  std::string string_literal() { return cat({"\"", pick(v_.strings), "\""}); }

  std::string call() {
    switch (rng_.below(3)) {
      case 0: return cat({v_.print, "(", string_literal(), ", ", expression(), ");"});
      case 1: return cat({pick(v_.functions), "(", operand(), ", ", operand(), ");"});
      default:
        return cat({pick(v_.names), ".", pick(v_.functions), "(", expression(), ");"});
    }
  }

  void simple_statement(int depth) {
    switch (rng_.below(6)) {
      case 0: line(depth, cat({v_.let, " ", pick(v_.names), " = ", expression(), ";"})); break;
      case 1: line(depth, cat({pick(v_.names), " = ", expression(), ";"})); break;
      case 2: line(depth, call()); break;
      case 3:
        line(depth, cat({v_.let, " ", pick(v_.names), ": ", pick(v_.types), " = ",
                         string_literal(), ";"}));
        break;
      case 4: line(depth, cat({"// ", pick(v_.comments)})); break;
      default:
        line(depth, cat({v_.let, " ", pick(v_.names), " = [", number(), ", ", number(), ", ",
                         operand(), "];"}));
        break;
    }
  }

  void block_body(int depth, int nesting) {
    const std::size_t count = 1 + rng_.below(3);
    for (std::size_t i = 0; i < count; ++i) statement(depth, nesting);
  }

  void statement(int depth, int nesting) {
    if (nesting >= 2 || rng_.below(3) != 0) {
      simple_statement(depth);
      return;
    }
    switch (rng_.below(4)) {
      case 0:  // if / else
        line(depth, cat({v_.if_, " ", condition(), " ", v_.then}));
        block_body(depth + 1, nesting + 1);
        if (rng_.below(2) == 0) {
          line(depth, v_.else_);
          block_body(depth + 1, nesting + 1);
        }
        line(depth, v_.end);
        break;
      case 1:  // while
        line(depth, cat({v_.while_, " ", condition(), " ", v_.do_}));
        block_body(depth + 1, nesting + 1);
        if (rng_.below(3) == 0) line(depth + 1, cat({v_.break_, ";"}));
        line(depth, v_.end);
        break;
      case 2:  // for over a range
        line(depth, cat({v_.for_, v_.each.empty() ? "" : " ", v_.each, " ", pick(v_.names), " ",
                         v_.in, " 0..", operand(), " ", v_.do_}));
        block_body(depth + 1, nesting + 1);
        line(depth, v_.end);
        break;
      default:  // try / catch
        line(depth, cat({v_.try_, " {"}));
        block_body(depth + 1, nesting + 1);
        line(depth, cat({"} ", v_.catch_, " e {"}));
        line(depth + 1, cat({v_.print, "(", string_literal(), ", e);"}));
        line(depth, "}");
        break;
    }
  }

  void structure(std::size_t index) {
    line(0, cat({"/* ", pick(v_.comments), " */"}));
    line(0, cat({v_.structure, " ", pick(v_.structs), std::to_string(index), " {"}));
    const std::size_t fields = 2 + rng_.below(3);
    for (std::size_t i = 0; i < fields; ++i) {
      line(1, cat({pick(v_.names), ": ", pick(v_.types), i + 1 < fields ? "," : ""}));
    }
    line(0, "}");
    out_ += '\n';
  }

  void function(std::size_t index) {
    line(0, cat({"// ", pick(v_.comments)}));
    std::string head = cat({v_.fn, " ", pick(v_.functions), std::to_string(index), "("});
    const std::size_t params = rng_.below(4);
    for (std::size_t i = 0; i < params; ++i) {
      head += cat({i > 0 ? ", " : "", v_.names[i], ": ", pick(v_.types)});
    }
    head += cat({") -> ", pick(v_.types), " {"});
    line(0, head);
    line(1, cat({v_.constant, " ", pick(v_.names), " = ", number(), ";"}));
    line(1, cat({v_.let, " ", pick(v_.names), " = ", v_.new_, " ", pick(v_.structs),
                 std::to_string(index / 5 * 5), ";"}));
    block_body(1, 0);
    block_body(1, 0);
    const bool literal = rng_.below(4) == 0;
    line(1, cat({v_.ret, " ", literal ? (rng_.below(2) ? v_.true_ : v_.false_) : expression(), ";"}));
    line(0, "}");
    out_ += '\n';
  }

  std::string policies() {
    std::string list = "(";
    const std::size_t count = 1 + rng_.below(3);
    for (std::size_t i = 0; i < count; ++i) list += cat({i > 0 ? ", " : "", pick(e_->policies)});
    return list + ")";
  }

  void embedded_unit(std::size_t index) {
    const EmbeddedVocabulary& e = *e_;
    const std::string n = std::to_string(index);
    const std::string topic = cat({pick(e.topics), n});
    const std::string task = cat({pick(v_.structs), n});
    line(0, cat({"// ", pick(v_.comments)}));
    line(0, cat({e.use, " hal::", pick(e.peripherals), ";"}));
    line(0, cat({e.use, " ", e.memory_group, ";"}));
    line(0, cat({e.import, " \"", e.driver_path, n, "\" ", e.as, " ", e.driver, n, "::{", e.read,
                 ", ", e.write, "};"}));
    line(0, cat({e.participant, " ", std::to_string(rng_.below(8)), ";"}));
    line(0, cat({e.topic, " ", topic, ": ", pick(e.messages), policies(), ";"}));
    line(0, cat({e.publisher, " P", n, " -> ", topic, policies(), ";"}));
    line(0, cat({e.subscriber, " S", n, " <- ", topic, policies(), ";"}));
    line(0, cat({e.task, " ", task, " { ", e.priority, ": ", std::to_string(rng_.below(10)), " ",
                 e.period, ": ", std::to_string(1 + rng_.below(100)), " ms ", e.stack, ": ",
                 std::to_string(1 + rng_.below(16)), " KB ", e.setting, ": ", e.setting_value,
                 " }"}));
    line(0, cat({"#[", e.attribute, "(", e.level, " = \"", e.level_value, "\", ", e.shared, ")]"}));
    line(0, cat({e.on, " Irq", n, "(", e.channel, ": ", v_.types[0], ") ", e.priority, " ",
                 std::to_string(rng_.below(8)), " {"}));
    line(1, cat({v_.let, " ", e.result, " = ", e.match, " ", e.channel, " ", v_.do_}));
    line(2, cat({e.case_, " 0 => gpio::PA", std::to_string(rng_.below(16)), ".",
                 pick(e.pin_methods), "()"}));
    line(2, cat({e.case_, " ", e.some, "(x) => x + ", number()}));
    line(2, cat({e.case_, " (a, _) => a"}));
    line(2, cat({e.case_, " ", e.none, " => ", operand()}));
    line(2, "_ => 0");
    line(1, v_.end);
    line(1, cat({v_.let, " ", e.ready, " = ", v_.if_, " ", e.result, " > ", number(), " ", v_.then,
                 " { ", v_.true_, " } ", v_.else_, " { ", v_.false_, " }"}));
    line(1, cat({"gpio::PB", std::to_string(rng_.below(16)), ".", e.input_method, "(", e.pull,
                 ");"}));
    line(1, cat({v_.let, " ", e.reading, " = ", e.driver, n, "::", e.read, "(", e.channel,
                 ")?;"}));
    line(1, cat({"asm(arm64, \"dmb\", in(x0) ", e.result, ");"}));
    line(1, cat({v_.if_, " ", v_.not_, " ", e.ready, " ", v_.then, " panic!(\"", e.panic_text,
                 "\", ", e.channel, ") ", v_.end}));
    line(1, cat({e.emit, " ", e.ready_event, n, "(", e.channel, ", ", e.result, ")"}));
    line(0, "}");
    line(0, cat({e.task, " ", task, ".", e.run, "(", v_.names[0], ": ", v_.types[0], ") {"}));
    line(1, cat({e.emit, " ", e.started, "(", v_.names[0], ")"}));
    line(0, "}");
    line(0, cat({e.export_, " { ", task, ", Irq", n, " };"}));
    out_ += '\n';
  }

  const Vocabulary& v_;
  const EmbeddedVocabulary* e_;
  Random rng_;
  std::string out_;
};

}  // namespace detail

// A program of at least `min_bytes` bytes: structs and functions with
// declarations, if/while/for/try, calls, strings, comments and numbers; with
// Constructs::WithEmbedded also the embedded and module constructs.
inline std::string generate_program(std::size_t min_bytes, KeywordLanguage language,
                                    std::uint64_t seed = 1,
                                    Constructs constructs = Constructs::Core) {
  const bool turkish = language == KeywordLanguage::Turkish;
  const detail::EmbeddedVocabulary* embedded = nullptr;
  if (constructs == Constructs::WithEmbedded) {
    embedded = turkish ? &detail::kTurkishEmbedded : &detail::kEnglishEmbedded;
  }
  detail::Writer writer(turkish ? detail::kTurkish : detail::kEnglish, embedded, seed);
  for (std::size_t i = 0; writer.size() < min_bytes; ++i) writer.program_unit(i);
  return writer.take();
}

}  // namespace qosa::bench
