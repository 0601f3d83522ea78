#pragma once

// Every text the program writes, in both written forms of Norwegian, each
// once a form. The console program writes bokmål; the page's program writes
// the form its reader chose.

#include <string_view>

namespace kondensator {

enum class WrittenForm { bokmal, nynorsk };

// One text, in each form.
struct Wording {
    std::string_view bokmal;
    std::string_view nynorsk;

    [[nodiscard]] constexpr std::string_view in(WrittenForm form) const {
        return form == WrittenForm::nynorsk ? nynorsk : bokmal;
    }
};

struct Words {
    // A prompt, and the name a result line gives its value.
    struct Question {
        Wording prompt;
        Wording name;
    };
    Question questions[4];
    Wording result_label;
    Wording closing_text;  // after the result line
    Wording never_falls;
    Wording over;
    // What the result line says of a value it could not read: "ukjent (NAME WHY)".
    Wording unknown;
    Wording missing;
    Wording not_a_number;
    // Why what stands behind a number is a mistake in it, after the value's
    // name: "har desimalkomma; bruk punktum", "har 'u' rett etter tallet; bruk
    // e-6 for mikro".
    Wording decimal_comma;
    Wording no_exponent_digits;  // followed by the letter, quoted
    Wording has;                 // followed by the letter, quoted, and where it stands
    Wording right_behind;
    Wording after_blanks;
    Wording micro_sign;          // followed by where it stands
    Wording unknown_character;   // followed by where it stands
    Wording use;                 // followed by the exponent, then for_prefix and the prefix's name
    Wording for_prefix;
    Wording without_unit;
};

inline constexpr Words kWords{
    {{{"Kapasitans kondensator 1 [F]: ", "Kapasitans kondensator 1 [F]: "},
      {"kapasitans kondensator 1", "kapasitans kondensator 1"}},
     {{"Kapasitans kondensator 2 [F]: ", "Kapasitans kondensator 2 [F]: "},
      {"kapasitans kondensator 2", "kapasitans kondensator 2"}},
     {{"Spenning kondensator 1 [V]: ", "Spenning kondensator 1 [V]: "},
      {"spenning kondensator 1", "spenning kondensator 1"}},
     {{"Sluttspenning [V]: ", "Sluttspenning [V]: "}, {"sluttspenning", "sluttspenning"}}},
    {"Antall ganger nedladet: ", "Tal på utladingar: "},
    {"\nTrykk en tast...", "\nTrykk ein tast..."},
    {"uendelig (spenningen faller aldri under sluttspenningen)", "uendeleg (spenninga fell aldri under sluttspenninga)"},
    {"over ", "over "},
    {"ukjent", "ukjend"},
    {"mangler", "manglar"},
    {"er ikke et tall", "er ikkje eit tal"},
    {"har desimalkomma; bruk punktum", "har desimalkomma; bruk punktum"},
    {"mangler sifre etter ", "manglar siffer etter "},
    {"har ", "har "},
    {"rett etter tallet", "rett etter talet"},
    {"etter tallet", "etter talet"},
    {"har mikrotegnet ", "har mikroteiknet "},
    {"har et ukjent tegn ", "har eit ukjent teikn "},
    {"; bruk ", "; bruk "},
    {" for ", " for "},
    {"; skriv tallet uten enhet", "; skriv talet utan eining"},
};

}  // namespace kondensator
