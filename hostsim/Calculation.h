#pragma once
// The calculation syntax of pluginhost.
//
//   calculation := blanks NAME blanks [ "(" blanks [ argument { ";" argument } ] ")" ] blanks
//   argument    := blanks ( text | number ) blanks
//   text        := '"' characters with JSON escapes: \" \\ \/ \b \f \n \r \t \uXXXX '"'
//   number      := [ "-" ] digits [ "." digits ] [ ("e" | "E") [ "+" | "-" ] digits ]
//
// NAME is a run of characters other than blanks, quotes, parentheses and
// ";". Texts are taken as UTF-8 and kept exactly as written (a \uXXXX escape
// gives that UTF-16 unit, so surrogate pairs are written as two escapes).
// Syntax errors name the 1-based character position where the problem is.
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace skrw::hostsim {

struct CalculationArgument {
    // A text (UTF-16 units) or a number.
    std::variant<std::u16string, long double> value;
};

struct Calculation {
    std::string name;  // UTF-8 as written
    std::vector<CalculationArgument> arguments;
};

struct ParsedCalculation {
    std::optional<Calculation> calculation;  // set when the syntax is right
    std::string error;                       // otherwise: why, with the position
    std::string name;                        // the name as far as it could be read, for reports
};

[[nodiscard]] ParsedCalculation parseCalculation(std::string_view text);

}  // namespace skrw::hostsim
