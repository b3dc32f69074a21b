#include <gtest/gtest.h>

#include <string>

#include "cases.h"

namespace qosa::parser {
namespace {

TEST(Embedded, HardwareUse) {
  const TreeCase cases[] = {
      {"kullan hal::zamanlayıcı", "(use-hal hal timer)"},
      {"use dsk::spi;", "(use-hal dsk spi)"},
      {"kullan donanım_soyutlama_katmanı::genel_amaçlı_gç", "(use-hal dsk gpio)"},
      {"use hal::giriş_çıkış use hal::seri_iletişim use hal::i2c",
       "(use-hal hal gpio)\n(use-hal hal uart)\n(use-hal hal i2c)"},
      {"use hal::analog_dijital use hal::dac use hal::darbe_genişlik use hal::doğrudan_bellek",
       "(use-hal hal adc)\n(use-hal hal dac)\n(use-hal hal pwm)\n(use-hal hal dma)"},
      {"use hal::can_bus", "(use-hal hal can_bus)"},
      // Without "::" there is no hardware use; the next statement starts after "hal".
      {"use hal x", "(expr x)"},
      {"use hal::5", ""},
      {"use hal::hal", ""},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"use dsk::spi; x", ";"},
      {"kullan hal::zamanlayıcı x", "zamanlayıcı"},
  };
  expect_ends(ends);
}

TEST(Embedded, Participants) {
  const TreeCase cases[] = {
      {"katılımcı 7;", "(participant 7)"},
      {"participant", "(participant 0)"},
      // Without a domain the next statement is read in full.
      {"katılımcı x = 1", "(participant 0)\n(assign x 1)"},
      {"participant 3 participant 4", "(participant 3)\n(participant 4)"},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"katılımcı 7; x", ";"},
      {"katılımcı 7 x", "7"},
      {"katılımcı x", "katılımcı"},
  };
  expect_ends(ends);
}

TEST(Embedded, TopicsAndPolicies) {
  const TreeCase cases[] = {
      {"konu Sıcaklık: Ölçüm(güvenilir, geçmiş = 5, süre_sınırı = 100)",
       "(topic Sıcaklık Ölçüm [reliable history=5 deadline=100])"},
      {"topic T: M (reliable, history = 5, deadline = 100);",
       "(topic T M [reliable history=5 deadline=100])"},
      {"topic T: M;", "(topic T M [])"},
      {"konu T: M ()", "(topic T M [])"},
      // History without "=" keeps all; "=" and no integer keeps the last one.
      {"konu T: M (geçmiş)", "(topic T M [history-all])"},
      {"konu T: M (geçmiş = x, güvenilir)", "(topic T M [history=1 reliable])"},
      {"topic T: M (history = 4294967301)", "(topic T M [history=5])"},
      {"topic T: M (deadline, lifespan = 7, ömür = x)",
       "(topic T M [deadline=0 lifespan=7 lifespan=0])"},
      {"konu T: M (elinden_gelen, geçici, kalıcı, sürekli)",
       "(topic T M [best-effort volatile transient persistent])"},
      {"topic T: M (best_effort, volatile, transient, persistent)",
       "(topic T M [best-effort volatile transient persistent])"},
      // In the order written; repeats are kept.
      {"topic T: M (reliable, best_effort, reliable)", "(topic T M [reliable best-effort reliable])"},
      // Words that are no policy are stepped over; commas are optional.
      {"topic T: M (durability persistent kalıcılık, ms 5 x reliable)",
       "(topic T M [persistent reliable])"},
      {"topic T: M (reliable", "(topic T M [reliable])"},
      // The message type is a plain name.
      {"topic T: int", ""},
      {"topic T: A<B>", "(topic T A [])"},
      {"topic T M", ""},
      {"topic 5: M", "(expr M)"},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"topic T: M (reliable) x", ")"},
      {"topic T: M (reliable); x", ";"},
      {"topic T: M x", "M"},
  };
  expect_ends(ends);
}

TEST(Embedded, PublishersAndSubscribers) {
  const TreeCase cases[] = {
      {"publisher P -> T", "(publisher P T [])"},
      {"yayıncı P -> T (güvenilir);", "(publisher P T [reliable])"},
      // The arrow must be one token here.
      {"publisher P - > T", "(expr T)"},
      {"publisher P <- T", "(expr (- T))"},
      {"subscriber S <- T", "(subscriber S T [])"},
      {"subscriber S < - T", "(subscriber S T [])"},
      {"abone S -> T (elinden_gelen, geçmiş = 3)", "(subscriber S T [best-effort history=3])"},
      {"abone S < T", "(expr T)"},
      {"abone S <- 5", ""},
  };
  expect_trees(cases);
}

TEST(Embedded, TaskConfigurations) {
  const TreeCase cases[] = {
      {"task T { }", "(task T)"},
      {"görev Örnekleyici { öncelik: 5 periyot: 10 ms yığın: 4 KB }",
       "(task Örnekleyici stack=4096 period=10ms priority=5)"},
      {"task T { stack: 2 MB }", "(task T stack=2097152)"},
      {"task T { stack: 64 }", "(task T stack=64)"},
      {"task T { stack: 3 kb stack: 1 mb }", "(task T stack=1048576)"},
      // A stack entry without an integer clears the size.
      {"task T { stack: 4 KB stack: x }", "(task T)"},
      {"task T { period: 250 us }", "(task T period=250us)"},
      {"task T { period: 3 µs }", "(task T period=3us)"},
      {"task T { period: 1.5 s }", "(task T period=1s)"},
      {"task T { period: 5 ns }", "(task T period=5ns)"},
      {"task T { period: 7 ms }", "(task T period=7ms)"},
      {"task T { period: 10 }", "(task T period=10ms)"},
      {"task T { period: 10 period: x }", "(task T)"},
      // The low 8 bits of the priority.
      {"task T { priority: 300 }", "(task T priority=44)"},
      {"task T { priority: 1 priority: 2 }", "(task T priority=2)"},
      {"task T { mode: fast core: c0 }", "(task T [mode=fast core=c0])"},
      // Entries that break the pattern are stepped over.
      {"task T { mode: 5 x: y 7 ; }", "(task T [x=y])"},
      // "priority" without ":" makes the whole configuration nothing.
      {"task T { priority 5 } x", "(expr x)"},
      {"görev T { periyot 5 }", ""},
      {"task T x", "(expr x)"},
      {"task 5 { }", ""},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"task T { period: 10 } x", "}"},
      {"task T { period: 10", "<eof>"},
  };
  expect_ends(ends);
}

// Values past the range of the period saturate; an integer shifted past 64
// bits keeps the low bits, as any unsigned shift does.
TEST(Embedded, TaskArithmeticStaysDefined) {
  const std::string huge_float = std::string(400, '9') + ".0";
  EXPECT_EQ(parse_to_text("task T { period: " + huge_float + " s }"),
            "(task T period=18446744073709551615s)");
  EXPECT_EQ(parse_to_text("task T { period: 18446744073709551615.0 }"),
            "(task T period=18446744073709551615ms)");
  EXPECT_EQ(parse_to_text("task T { period: 0.9 }"), "(task T period=0ms)");
  EXPECT_EQ(parse_to_text("task T { stack: 9223372036854775807 KB }"),
            "(task T stack=18446744073709550592)");
  EXPECT_EQ(parse_to_text("task T { priority: 9223372036854775807 }"), "(task T priority=255)");
}

TEST(Embedded, TaskMethods) {
  const TreeCase cases[] = {
      {"görev Motor.başlat(hız: tamsayı) { çalış() }",
       "(task-method Motor başlat [hız:tamsayı] {(expr (call çalış))})"},
      {"task T.run() { }", "(task-method T run [] {})"},
      // The block skips one more opener after "{".
      {"task T.run() { { x } }", "(task-method T run [] {(expr x)})"},
      {"task T.run() do x end", "(expr x)"},
      {"task T.run(a,) { }", ""},
      {"task T.5() { }", "(expr (tuple))"},
  };
  expect_trees(cases);
}

TEST(Embedded, EventHandlers) {
  const TreeCase cases[] = {
      {"olay E() öncelik 3 { }", "(on E [] priority=3 {})"},
      {"on Tick(n: int) priority 300 { x }", "(on Tick [n:integer] priority=44 {(expr x)})"},
      {"on Tick(n) { emit Tock(n) }", "(on Tick [n] {(expr (emit Tock n))})"},
      // A priority word without an integer gives no priority; both are consumed.
      {"on E() priority x { }", "(on E [] {})"},
      {"on E { }", ""},
      {"on E() do x end", "(expr x)"},
      {"on E(a,) { }", ""},
  };
  expect_trees(cases);
}

TEST(Embedded, Emit) {
  const TreeCase cases[] = {
      {"emit E(1, 2)", "(expr (emit E 1 2))"},
      {"emit E", "(expr (emit E))"},
      {"yayınla_olay Hazır()", "(expr (emit Hazır))"},
      // A failed argument is dropped and the list goes on.
      {"emit E(yeni 5, 2)", "(expr (emit E 2))"},
      {"emit E(a b)", "(expr (emit E a))\n(expr b)"},
      // No ";" is taken.
      {"emit E(1); x", "(expr (emit E 1))\n(expr x)"},
      {"emit 5", ""},
  };
  expect_trees(cases);
  const EndCase ends[] = {
      {"emit E(1, 2) x", ")"},
      {"emit E x", "E"},
      {"emit E(1", "1"},
  };
  expect_ends(ends);
}

TEST(Embedded, BothKeywordLanguagesGiveTheSameTree) {
  const std::string_view turkish =
      "kullan hal::giriş_çıkış;\n"
      "katılımcı 1;\n"
      "konu Sıcaklık: Ölçüm(güvenilir, geçmiş = 10, süre_sınırı = 100, ömür = 5);\n"
      "yayıncı Yazan -> Sıcaklık(elinden_gelen);\n"
      "abone Dinleyen <- Sıcaklık(kalıcı);\n"
      "görev Örnek { öncelik: 5 periyot: 10 ms yığın: 4 KB mod: hızlı }\n"
      "görev Örnek.çalış(n) { yayınla_olay Bitti(n) }\n"
      "olay Kesme(k) öncelik 2 { yayınla_olay Hazır(k, 1) }\n";
  const std::string_view english =
      "use hal::gpio;\n"
      "participant 1;\n"
      "topic Sıcaklık: Ölçüm(reliable, history = 10, deadline = 100, lifespan = 5);\n"
      "publisher Yazan -> Sıcaklık(best_effort);\n"
      "subscriber Dinleyen <- Sıcaklık(transient);\n"
      "task Örnek { priority: 5 period: 10 ms stack: 4 KB mod: hızlı }\n"
      "task Örnek.çalış(n) { emit Bitti(n) }\n"
      "on Kesme(k) priority 2 { emit Hazır(k, 1) }\n";
  EXPECT_EQ(parse_to_text(turkish), parse_to_text(english));
  EXPECT_EQ(parse_to_text(english),
            "(use-hal hal gpio)\n"
            "(participant 1)\n"
            "(topic Sıcaklık Ölçüm [reliable history=10 deadline=100 lifespan=5])\n"
            "(publisher Yazan Sıcaklık [best-effort])\n"
            "(subscriber Dinleyen Sıcaklık [transient])\n"
            "(task Örnek stack=4096 period=10ms priority=5 [mod=hızlı])\n"
            "(task-method Örnek çalış [n] {(expr (emit Bitti n))})\n"
            "(on Kesme [k] priority=2 {(expr (emit Hazır k 1))})");
}

}  // namespace
}  // namespace qosa::parser
