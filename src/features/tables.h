// Tables that more than one request reads.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qosa::lsp {

// The semantic-token legend of the initialize answer and of the token data.
// A token's type is its index here.
inline constexpr std::array<std::string_view, 23> semantic_token_types = {
    "namespace", "type",     "class",    "enum",     "interface", "struct",
    "typeParameter", "parameter", "variable", "property", "enumMember", "event",
    "function",  "method",   "macro",    "keyword",  "modifier",  "comment",
    "string",    "number",   "regexp",   "operator", "decorator",
};

// Bit i of a token's modifier set stands for entry i. Bits 10 to 13 are the
// security classes of annotations.
inline constexpr std::array<std::string_view, 14> semantic_token_modifiers = {
    "declaration", "definition", "readonly",     "static",        "deprecated",
    "abstract",    "async",      "modification", "documentation", "defaultLibrary",
    "public",      "exportable", "domesticOnly", "classified",
};

// Indices into the legend, by name.
enum class TokenType : std::uint32_t {
  namespace_ = 0, type, class_, enum_, interface, struct_, type_parameter, parameter, variable,
  property, enum_member, event, function, method, macro, keyword, modifier, comment, string,
  number, regexp, operator_, decorator,
};
static_assert(static_cast<std::size_t>(TokenType::decorator) + 1 == semantic_token_types.size());

enum class TokenModifier : std::uint32_t {
  declaration = 0, definition, readonly, static_, deprecated, abstract, async, modification,
  documentation, default_library, public_, exportable, domestic_only, classified,
};
static_assert(static_cast<std::size_t>(TokenModifier::classified) + 1 == semantic_token_modifiers.size());

// The declarations of a name, in search order: the keyword part (with its one
// space), then the name, then "(" for functions. Go to definition and the
// declaration of references search with them; references also leave out an
// occurrence that follows a keyword of this table.
struct DeclarationPattern {
  std::string_view keyword_part;
  bool call;  // the name is followed by "("

  std::string_view keyword() const { return keyword_part.substr(0, keyword_part.size() - 1); }
};

inline constexpr std::array<DeclarationPattern, 8> declaration_patterns = {{
    {"değişken ", false},
    {"let ", false},
    {"sabit ", false},
    {"const ", false},
    {"fonksiyon ", true},
    {"function ", true},
    {"yapı ", false},
    {"struct ", false},
}};

}  // namespace qosa::lsp
