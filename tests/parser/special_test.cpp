#include <gtest/gtest.h>

#include "cases.h"

namespace qosa::parser {
namespace {

TEST(Special, Match) {
  const TreeCase cases[] = {
      {"seç x yap durum 1 => a; durum _ => b son", "(expr (match x (case 1 a) (case _ b)))"},
      {"match x do case 1 => a _ => b end", "(expr (match x (case 1 a) (case _ b)))"},
      {"y = seç x yap son", "(assign y (match x))"},
      {"match x do", "(expr (match x))"},
      // "=>" is two tokens, so space between them is allowed.
      {"match x do case 1 = > a end", "(expr (match x (case 1 a)))"},
      {"seç x yap son + 1", "(expr (+ (match x) 1))"},
      {"seç a + b yap durum 0 => c son", "(expr (match (+ a b) (case 0 c)))"},
      {"match x do case 1 => match y do case 2 => b end end",
       "(expr (match x (case 1 (match y (case 2 b)))))"},
      {"seç x yap durum 1 => a durum 2 => b; son", "(expr (match x (case 1 a) (case 2 b)))"},
      // Anything else where an arm should start fails the whole match.
      {"y = seç x { durum 1 => a }", "(expr 1)\n(expr a)"},
      {"y = seç x yap durum 1.5 => a son", "(expr a)"},
      {"y = seç x yap durum -1 => a son", "(expr 1)\n(expr a)"},
      {"y = seç x yap z => a son", "(expr a)"},
      {"y = seç x yap durum 1 a son", ""},
      {"y = seç x yap durum 1 => son", ""},
      {"y = seç yap son", ""},
  };
  expect_trees(cases);
}

TEST(Special, Patterns) {
  const TreeCase cases[] = {
      {"seç x yap durum Bazı(y) => y son", "(expr (match x (case (Some y) y)))"},
      {"match x do case Some(y) => y case None => z end",
       "(expr (match x (case (Some y) y) (case None z)))"},
      {"seç x yap durum Hiçbir => z son", "(expr (match x (case None z)))"},
      {"seç x yap durum (a, b) => a son", "(expr (match x (case (tuple a b) a)))"},
      {"seç x yap durum (a) => a son", "(expr (match x (case a a)))"},
      {"seç x yap durum () => a son", "(expr (match x (case (tuple) a)))"},
      {"seç x yap durum (a,) => a son", "(expr (match x (case (tuple a) a)))"},
      {"seç x yap durum (a, _, ) => a son", "(expr (match x (case (tuple a _) a)))"},
      {"seç x yap durum Tamam(_) => a durum Hata(e) => e son",
       "(expr (match x (case (Ok _) a) (case (Err e) e)))"},
      {"match x do case Ok(v) => v case Err(e) => e end",
       "(expr (match x (case (Ok v) v) (case (Err e) e)))"},
      {"seç x yap durum Bazı((a, Hiçbir)) => a son",
       "(expr (match x (case (Some (tuple a None)) a)))"},
      {"seç x yap durum ((a, b), (c)) => a son",
       "(expr (match x (case (tuple (tuple a b) c) a)))"},
      {"seç x yap durum \"s\" => a durum doğru => b durum yanlış => c durum boş => d son",
       "(expr (match x (case \"s\" a) (case true b) (case false c) (case null d)))"},
      {"match x do case true => a case false => b case null => c end",
       "(expr (match x (case true a) (case false b) (case null c)))"},
      // A literal pattern is whatever the expression reads from it.
      {"seç x yap durum 0..9 => a son", "(expr (match x (case (.. 0 9) a)))"},
      {"y = seç x yap durum (a b) => a son", "(expr a)"},
      // The failure leaves "Bazı" current: the loop goes on with the assignment "y = > ...".
      {"y = seç x yap durum Bazı y => y son", "(expr y)"},
      {"y = seç x yap durum Bazı(y => y son", "(expr y)"},
      {"y = seç x yap durum (a, 1.5) => a son", "(expr a)"},
      {"y = seç x yap durum yeni => a son", "(expr a)"},
  };
  expect_trees(cases);
}

TEST(Special, IfExpressions) {
  const TreeCase cases[] = {
      {"x = eğer a ise { b } değilse { c }", "(assign x (if-expr a {(expr b)} else {(expr c)}))"},
      {"x = if a then { b }", "(assign x (if-expr a {(expr b)}))"},
      {"x = if a do b end", "(assign x (if-expr a {(expr b)}))"},
      {"x = if a { b } else do c end", "(assign x (if-expr a {(expr b)} else {(expr c)}))"},
      {"dön eğer a ise { 1 } değilse { 2 }",
       "(return (if-expr a {(expr 1)} else {(expr 2)}))"},
      // The token after the condition stands for the opener, whatever it is.
      {"x = eğer a ise b son", "(assign x (if-expr a {}))"},
      // The then-block stops at "değilse"; the else word is looked for after it.
      {"x = eğer a ise yap b değilse yap c son", "(assign x (if-expr a {(expr b)}))\n(expr c)"},
      // No else-if chain: after the else word, "eğer" is only the opener.
      {"x = eğer a ise { b } değilse eğer c ise { d }",
       "(assign x (if-expr a {(expr b)} else {(expr c) (expr d)}))"},
      {"f(if a { 1 } else { 2 }, 3)", "(expr (call f (if-expr a {(expr 1)} else {(expr 2)}) 3))"},
      {"x = eğer ise { b }", "(expr b)"},
  };
  expect_trees(cases);
}

TEST(Special, HardwareCalls) {
  const TreeCase cases[] = {
      {"gpio::PA5.set_high()", "(expr (hw gpio A 5 set_high))"},
      {"gpio::pb3.toggle", "(expr (hw gpio pb3 - toggle))"},
      {"gpio::PA16.toggle", "(expr (hw gpio PA16 - toggle))"},
      {"gpio::PB12.as_input(pull_up)", "(expr (hw gpio B 12 as_input PullUp))"},
      {"gpio::PC3.giriş_olarak(yukarı_çek)", "(expr (hw gpio C 3 giriş_olarak yukarı_çek))"},
      {"uart::TX.write(x, 2)", "(expr (hw uart TX - write x 2))"},
      {"gpio::PA5.değiştir()", "(expr (hw gpio A 5 değiştir))"},
      {"gpio::PA0.as_output(push_pull, pull_down, open_drain)",
       "(expr (hw gpio A 0 as_output PushPull PullDown OpenDrain))"},
      {"gpio::PA1.çıkış_olarak(itme_çek, aşağı_çek, açık_drenaj)",
       "(expr (hw gpio A 1 çıkış_olarak itme_çek aşağı_çek açık_drenaj))"},
      {"x = gpio::PD2.yüksek_mi() ve gpio::PD3.alçak_mı()",
       "(assign x (and (hw gpio D 2 yüksek_mi) (hw gpio D 3 alçak_mı)))"},
      {"spi::CS.set_low() i2c::SDA.is_high adc::CH0.read() dac::OUT.write(1)",
       "(expr (hw spi CS - set_low))\n(expr (hw i2c SDA - is_high))\n"
       "(expr (hw adc CH0 - read))\n(expr (hw dac OUT - write 1))"},
      {"timer::T1.start() pwm::CH2.duty(50) dma::S1.copy(a, b)",
       "(expr (hw timer T1 - start))\n(expr (hw pwm CH2 - duty 50))\n(expr (hw dma S1 - copy a b))"},
      {"gpio::PA5.is_low().x", "(expr (. (hw gpio A 5 is_low) x))"},
      // The pin rule: "P", a letter, and a number below 16.
      {"gpio::Pa5.toggle", "(expr (hw gpio A 5 toggle))"},
      {"gpio::PA05.toggle", "(expr (hw gpio A 5 toggle))"},
      {"gpio::PA15.toggle", "(expr (hw gpio A 15 toggle))"},
      {"gpio::PA255.toggle gpio::PA256.toggle",
       "(expr (hw gpio PA255 - toggle))\n(expr (hw gpio PA256 - toggle))"},
      {"gpio::PA.toggle gpio::PA5x.toggle gpio::LED.toggle",
       "(expr (hw gpio PA - toggle))\n(expr (hw gpio PA5x - toggle))\n(expr (hw gpio LED - toggle))"},
      {"x = gpio::P15.toggle", ""},
      {"x = gpio::PÜ5.toggle", ""},
      {"x = gpio::PA5.pull_up()", "(expr (tuple))"},
      {"x = gpio::PA5.5", ""},
      {"x = gpio::PA5.int", ""},
      {"x = gpio::PA5", ""},
      {"x = gpio::5", ""},
      {"x = gpio", ""},
      {"x = giriş_çıkış::PA5", "(expr PA5)"},
      // A pin argument that fails fails the whole call.
      {"x = gpio::PA5.set(yeni 5)", ""},
      {"x = gpio::PA5.set(a b)", "(expr b)"},
      {"x = gpio::PA5.set(a, )", ""},
  };
  expect_trees(cases);
}

TEST(Special, InlineAssembly) {
  const TreeCase cases[] = {
      {"asm(x86_64, \"nop\")", "(expr (asm x86_64 \"nop\"))"},
      {"asm(arm64, \"mov\", out(x0) a, in(x1) b)",
       "(expr (asm arm64 \"mov\" (out x0 a) (in x1 b)))"},
      {"asm(aarch64, \"wfi\") asm(riscv, \"wfi\") asm(riscv64, \"wfi\")",
       "(expr (asm arm64 \"wfi\"))\n(expr (asm riscv \"wfi\"))\n(expr (asm riscv \"wfi\"))"},
      {"asm(riscv, \"x\", inout(a0) v, lateout(a1) w + 1, içinde(a2) 3)",
       "(expr (asm riscv \"x\" (inout a0 v) (lateout a1 (+ w 1)) (in a2 3)))"},
      // An operand that does not parse ends the list; ")" after it closes the form.
      {"asm(x86_64, \"nop\", xyz)", "(expr (asm x86_64 \"nop\"))"},
      {"asm(x86_64, \"nop\", out(rax) a, xyz)", "(expr (asm x86_64 \"nop\" (out rax a)))"},
      {"x = asm(x86_64, \"nop\", out(rax))", ""},
      {"x = asm(x86_64, \"nop\", out(rax) a b)", "(expr b)"},
      {"x = asm(mips, \"nop\")", "(expr \"nop\")"},
      {"x = asm(x86_64, nop)", ""},
      {"x = asm(x86_64 \"nop\")", "(expr \"nop\")"},
      {"x = asm(x86_64, \"nop\" x)", "(expr x)"},
      {"x = asm x86_64", ""},
  };
  expect_trees(cases);
}

TEST(Special, PanicKeepsTheSpanOfItsWord) {
  const TreeCase cases[] = {
      {"panic!(\"hata: {}\", x)", "(expr (panic \"hata: {}\" x @1:1))"},
      {"panic!(\"a\", 1, b + 2)", "(expr (panic \"a\" 1 (+ b 2) @1:1))"},
      // Columns count characters.
      {"değişken x = panic!(\"a\")", "(let x (panic \"a\" @1:14))"},
      {"\n  panic!(\"a\")", "(expr (panic \"a\" @2:3))"},
      {"x = panic(\"x\")", "(expr \"x\")"},
      {"x = panic!(x)", ""},
      {"x = panic!(\"a\", )", ""},
      {"x = panic!(\"a\", yeni 5)", ""},
      {"x = panic!(\"a\" b)", "(expr b)"},
  };
  expect_trees(cases);
}

TEST(Special, TryKeepsTheSpanOfItsSign) {
  const TreeCase cases[] = {
      {"a?", "(expr (? a @1:2))"},
      {"a??", "(expr (? (? a @1:2) @1:3))"},
      {"f()?.b", "(expr (. (? (call f) @1:4) b))"},
      {"değişken d = oku()?", "(let d (? (call oku) @1:19))"},
      {"dön\n  a.b()?", "(return (? (method a b) @2:8))"},
      {"-a?", "(expr (- (? a @1:3)))"},
      {"a + b?", "(expr (+ a (? b @1:6)))"},
  };
  expect_trees(cases);
}

TEST(Special, BothKeywordLanguagesGiveTheSameTree) {
  const std::string_view turkish =
      "fonksiyon f(x) yap\n"
      "  değişken r = seç x yap durum Bazı(v) => v durum Hiçbir => 0 durum _ => 1 son\n"
      "  değişken t = eğer r ise { doğru } değilse { yanlış }\n"
      "  gpio::PA5.yüksek_yap()\n"
      "  dön oku()?\n"
      "son\n";
  const std::string_view english =
      "function f(x) do\n"
      "  let r = match x do case Some(v) => v case None => 0 _ => 1 end\n"
      "  let t = if r then { true } else { false }\n"
      "  gpio::PA5.yüksek_yap()\n"
      "  return oku()?\n"
      "end\n";
  // Only the column of "?" differs.
  EXPECT_EQ(parse_to_text(turkish),
            "(fn f [x] {(let r (match x (case (Some v) v) (case None 0) (case _ 1))) "
            "(let t (if-expr r {(expr true)} else {(expr false)})) "
            "(expr (hw gpio A 5 yüksek_yap)) (return (? (call oku) @5:12))})");
  EXPECT_EQ(parse_to_text(english),
            "(fn f [x] {(let r (match x (case (Some v) v) (case None 0) (case _ 1))) "
            "(let t (if-expr r {(expr true)} else {(expr false)})) "
            "(expr (hw gpio A 5 yüksek_yap)) (return (? (call oku) @5:15))})");
}

}  // namespace
}  // namespace qosa::parser
