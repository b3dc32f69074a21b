#include "features/completion.h"

#include <array>
#include <initializer_list>

namespace qosa::lsp {

namespace {

struct KeywordRow {
  std::string_view label;
  std::string_view detail;
  std::string_view snippet;
};

struct LabelRow {
  std::string_view label;
  std::string_view detail;
};

struct FunctionRow {
  std::string_view label;
  std::string_view alias;       // the other keyword language's name, or empty
  std::string_view parameters;  // names separated by ", "
  std::string_view description;
};

struct ConstantRow {
  std::string_view label;
  std::string_view detail;
  std::string_view value;
};

// Snippet lines after the first are indented by two spaces.
constexpr std::array<KeywordRow, 22> keywords{{
    {"eğer", "if statement", "eğer ${1:koşul} ise\n  ${2}\nson"},
    {"iken", "while loop", "iken ${1:koşul}\n  ${2}\nson"},
    {"her biri", "for loop", "her biri ${1:item} içinde ${2:list}\n  ${3}\nson"},
    {"fonksiyon", "function", "fonksiyon ${1:isim}(${2:parametreler})\n  ${3}\nson"},
    {"değişken", "variable", "değişken ${1:isim} = ${2:değer}"},
    {"sabit", "constant", "sabit ${1:isim} = ${2:değer}"},
    {"dön", "return", "dön ${1:değer}"},
    {"dene", "try-catch", "dene\n  ${1}\nyakala ${2:hata}\n  ${3}\nson"},
    {"yapı", "struct", "yapı ${1:İsim}\n  ${2:alan}: ${3:tür}\nson"},
    {"bölge", "region", "bölge ${1:isim}\n  ${2}\nson"},
    {"modül", "module", "modül ${1:isim}\n  ${2}\nson"},
    {"if", "if statement", "if ${1:condition} then\n  ${2}\nend"},
    {"while", "while loop", "while ${1:condition}\n  ${2}\nend"},
    {"for", "for loop", "for ${1:item} in ${2:list}\n  ${3}\nend"},
    {"function", "function", "function ${1:name}(${2:params})\n  ${3}\nend"},
    {"let", "variable", "let ${1:name} = ${2:value}"},
    {"const", "constant", "const ${1:name} = ${2:value}"},
    {"return", "return", "return ${1:value}"},
    {"try", "try-catch", "try\n  ${1}\ncatch ${2:error}\n  ${3}\nend"},
    {"struct", "struct", "struct ${1:Name}\n  ${2:field}: ${3:type}\nend"},
    {"region", "region", "region ${1:name}\n  ${2}\nend"},
    {"module", "module", "module ${1:name}\n  ${2}\nend"},
}};

constexpr std::array<LabelRow, 19> types{{
    {"tamsayı", "i32 integer"},
    {"ondalık", "f64 floating point"},
    {"bool", "boolean (doğru/yanlış)"},
    {"metin", "string"},
    {"dizi", "array"},
    {"boş", "null/void"},
    {"i8", "8-bit signed integer"},
    {"i16", "16-bit signed integer"},
    {"i32", "32-bit signed integer"},
    {"i64", "64-bit signed integer"},
    {"u8", "8-bit unsigned integer"},
    {"u16", "16-bit unsigned integer"},
    {"u32", "32-bit unsigned integer"},
    {"u64", "64-bit unsigned integer"},
    {"f32", "32-bit float"},
    {"f64", "64-bit float"},
    {"bool", "boolean (true/false)"},
    {"string", "string"},
    {"array", "array"},
}};

constexpr std::array<LabelRow, 4> values{{
    {"doğru", "true"},
    {"yanlış", "false"},
    {"true", "true"},
    {"false", "false"},
}};

constexpr std::array<FunctionRow, 92> functions{{
    {"abs", "mutlak", "x", "Mutlak değer / Absolute value"},
    {"sin", "", "x", "Sinüs (radyan)"},
    {"cos", "", "x", "Kosinüs (radyan)"},
    {"tan", "", "x", "Tanjant (radyan)"},
    {"sqrt", "karekök", "x", "Karekök / Square root"},
    {"pow", "üs", "x, y", "Üs alma / Power"},
    {"log", "", "x", "Doğal logaritma (ln)"},
    {"log10", "", "x", "10 tabanında logaritma"},
    {"exp", "", "x", "eˣ - Üstel fonksiyon"},
    {"floor", "taban", "x", "Aşağı yuvarla"},
    {"ceil", "tavan", "x", "Yukarı yuvarla"},
    {"round", "yuvarla", "x", "En yakın tamsayıya yuvarla"},
    {"min", "", "a, b", "İki değerden küçüğü"},
    {"max", "", "a, b", "İki değerden büyüğü"},
    {"asin", "", "x", "Arksinüs (radyan)"},
    {"acos", "", "x", "Arkkosinüs (radyan)"},
    {"atan", "", "x", "Arktanjant (radyan)"},
    {"atan2", "", "y, x", "atan2(y, x) - İki argümanlı arctangent"},
    {"sinh", "", "x", "Hiperbolik sinüs"},
    {"cosh", "", "x", "Hiperbolik kosinüs"},
    {"tanh", "", "x", "Hiperbolik tanjant"},
    {"asinh", "", "x", "Ters hiperbolik sinüs"},
    {"acosh", "", "x", "Ters hiperbolik kosinüs"},
    {"atanh", "", "x", "Ters hiperbolik tanjant"},
    {"log2", "", "x", "2 tabanında logaritma"},
    {"log1p", "", "x", "ln(1 + x) - Küçük x için hassas logaritma"},
    {"exp2", "", "x", "2ˣ - 2'nin kuvveti"},
    {"expm1", "", "x", "eˣ - 1 - Küçük x için hassas üstel"},
    {"cbrt", "", "x", "Küpkök / Cube root"},
    {"hypot", "", "x, y", "√(x² + y²) - Hipotenüs"},
    {"sign", "işaret", "x", "Sayının işareti (-1, 0 veya 1)"},
    {"clamp", "sınırla", "x, min, max", "Değeri aralıkla sınırla"},
    {"lerp", "", "a, b, t", "a + (b - a) · t - Doğrusal ara değer"},
    {"copysign", "", "x, y", "y'nin işaretiyle x'in büyüklüğü"},
    {"trunc", "", "x", "Ondalık kısmı at"},
    {"fmod", "", "x, y", "Ondalıklı bölümden kalan"},
    {"to_radians", "radyana", "degrees", "Dereceyi radyana çevir"},
    {"to_degrees", "dereceye", "radians", "Radyanı dereceye çevir"},
    {"is_nan", "", "x", "Sayı değil (NaN) mi"},
    {"is_infinite", "", "x", "Sonsuz mu"},
    {"is_finite", "", "x", "Sonlu mu"},
    {"now", "şimdi", "", "Unix timestamp (saniye)"},
    {"now_millis", "şimdi_ms", "", "Unix timestamp (milisaniye)"},
    {"now_micros", "şimdi_us", "", "Unix timestamp (mikrosaniye)"},
    {"sleep", "bekle", "ms", "Milisaniye bekle"},
    {"sleep_micros", "bekle_us", "us", "Mikrosaniye bekle"},
    {"random", "rastgele", "", "0 ile 1 arasında rastgele sayı"},
    {"random_int", "rastgele_sayı", "min, max", "Aralıkta rastgele tamsayı"},
    {"uniform", "", "min, max", "Aralıkta rastgele ondalık sayı"},
    {"choice", "seç", "array", "Diziden rastgele eleman seç"},
    {"shuffle", "karıştır", "array", "Diziyi karıştır"},
    {"trim", "kırp", "str", "Baş ve sondaki boşlukları kaldır"},
    {"trim_start", "kırp_baş", "str", "Baştaki boşlukları kaldır"},
    {"trim_end", "kırp_son", "str", "Sondaki boşlukları kaldır"},
    {"replace", "değiştir", "str, pattern, replacement", "Metinde değiştir"},
    {"starts_with", "ile_başlar", "str, prefix", "Metin önekle mi başlıyor"},
    {"ends_with", "ile_biter", "str, suffix", "Metin sonekle mi bitiyor"},
    {"repeat", "tekrarla", "str, count", "Metni tekrarla"},
    {"reverse_str", "ters_metin", "str", "Metni ters çevir"},
    {"char_at", "karakter", "str, index", "Konumdaki karakteri al"},
    {"substr", "altmetin", "str, start, end", "Alt metin al"},
    {"index_of", "konum", "str, pattern", "Metindeki ilk konumu bul"},
    {"count_occurrences", "sayaç", "str, pattern", "Metindeki geçiş sayısını say"},
    {"is_empty", "boşmu", "str", "Metin boş mu"},
    {"len", "uzunluk", "value", "Uzunluğu döndür"},
    {"split", "böl", "str, delimiter", "Metni ayırıcıyla böl"},
    {"join", "birleştir", "array, separator", "Elemanları ayırıcıyla birleştir"},
    {"to_upper", "büyük_harf", "str", "Büyük harfe çevir"},
    {"to_lower", "küçük_harf", "str", "Küçük harfe çevir"},
    {"range", "aralık", "start, end", "Sayı dizisi oluştur"},
    {"reverse", "ters", "array", "Diziyi ters çevir"},
    {"sort", "sırala", "array", "Diziyi sırala"},
    {"sum", "toplam", "array", "Elemanların toplamı"},
    {"product", "çarpım", "array", "Elemanların çarpımı"},
    {"avg", "ortalama", "array", "Elemanların ortalaması"},
    {"flatten", "düzleştir", "array", "İç içe dizileri düzleştir"},
    {"unique", "benzersiz", "array", "Tekrarlanan elemanları kaldır"},
    {"zip", "", "array1, array2", "İki diziyi eleman eleman eşle"},
    {"enumerate", "numarala", "array", "Elemanları sıra numarasıyla eşle"},
    {"slice", "dilim", "array, start, end", "Dizinin bir dilimini al"},
    {"push", "ekle", "array, value", "Sona eleman ekle"},
    {"pop", "çıkar", "array", "Son elemanı çıkar"},
    {"first", "ilk", "array", "İlk eleman"},
    {"last", "son", "array", "Son eleman"},
    {"contains", "içerir", "array, value", "Değer dizide var mı"},
    {"map", "dönüştür", "array, func", "Her elemana fonksiyon uygula"},
    {"filter", "filtrele", "array, predicate", "Koşula uyan elemanları seç"},
    {"yazdır", "print", "value", "Konsola yazdır"},
    {"print", "", "value", "Print to console"},
    {"println", "", "value", "Print with newline"},
    {"oku", "read", "", "Konsoldan oku"},
    {"read", "", "", "Read from console"},
}};

constexpr std::array<ConstantRow, 3> constants{{
    {"pi", "π = 3.14159...", "3.141592653589793"},
    {"e", "Euler sabiti = 2.71828...", "2.718281828459045"},
    {"tau", "τ = 2π = 6.28318...", "6.283185307179586"},
}};

// "pow(${1:x}, ${2:y})"; a function without parameters gets "now()".
std::string function_snippet(std::string_view label, std::string_view parameters) {
  std::string out(label);
  out += '(';
  int number = 1;
  while (!parameters.empty()) {
    const std::size_t comma = parameters.find(", ");
    const std::string_view name = parameters.substr(0, comma);
    if (number > 1) out += ", ";
    out += "${";
    out += std::to_string(number++);
    out += ':';
    out += name;
    out += '}';
    parameters =
        comma == std::string_view::npos ? std::string_view() : parameters.substr(comma + 2);
  }
  out += ')';
  return out;
}

std::string concat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

}  // namespace

CompletionItem keyword_snippet_item(std::string_view label, std::string_view detail,
                                    std::string_view snippet) {
  return {std::string(label), CompletionItemKind::Keyword, std::string(detail), std::nullopt,
          std::string(snippet), InsertTextFormat::Snippet};
}

CompletionItem type_item(std::string_view label, std::string_view detail) {
  return {std::string(label), CompletionItemKind::Class, std::string(detail),
          concat({"**Tür**: `", label, "`\n\n", detail}), std::nullopt, std::nullopt};
}

CompletionItem value_item(std::string_view label, std::string_view detail) {
  return {std::string(label), CompletionItemKind::Value, std::string(detail), std::nullopt,
          std::nullopt, std::nullopt};
}

CompletionItem builtin_function_item(std::string_view label, std::string_view alias,
                                     std::string_view description, std::string_view snippet) {
  std::string documentation = alias.empty()
                                  ? concat({"**", label, "**\n\n", description})
                                  : concat({"**", label, "** / **", alias, "**\n\n", description});
  return {std::string(label), CompletionItemKind::Function, std::string(description),
          std::move(documentation), std::string(snippet), InsertTextFormat::Snippet};
}

CompletionItem constant_item(std::string_view label, std::string_view detail,
                             std::string_view value) {
  return {std::string(label), CompletionItemKind::Constant, std::string(detail),
          concat({"**Sabit**: `", label, "`\n\nDeğer: `", value, "`"}), std::nullopt,
          std::nullopt};
}

std::vector<CompletionItem> completion_items(const CompletionParams&) {
  std::vector<CompletionItem> items;
  items.reserve(keywords.size() + types.size() + values.size() + functions.size() +
                constants.size());
  for (const KeywordRow& row : keywords) {
    items.push_back(keyword_snippet_item(row.label, row.detail, row.snippet));
  }
  for (const LabelRow& row : types) items.push_back(type_item(row.label, row.detail));
  for (const LabelRow& row : values) items.push_back(value_item(row.label, row.detail));
  for (const FunctionRow& row : functions) {
    items.push_back(builtin_function_item(row.label, row.alias, row.description,
                                          function_snippet(row.label, row.parameters)));
  }
  for (const ConstantRow& row : constants) {
    items.push_back(constant_item(row.label, row.detail, row.value));
  }
  return items;
}

}  // namespace qosa::lsp
