#pragma once
// Made-up AAMVA DL/ID cards for the decoder's tests and benchmarks: a seeded generator of cards of
// versions 01 to 11, US and Canadian, licences and ID cards, with the elements in the orders real cards
// use (the sample cards', the standard's table, New York's, a few moved, all shuffled), optional
// elements present or absent, and padded values; rendered as the barcode's text with its separators or
// run together as a keyboard-wedge reader in its default mode types it.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace CardTests {

struct GeneratedCard {
    int version = 10;
    std::string iin;
    std::string type; // "DL" or "ID"
    bool canadian = false;
    std::vector<std::pair<std::string, std::string>> elements; // ID and value as written, in card order
    // What the card says, for checking the decoder on the separated text.
    std::string lastName;
    std::string dlNumber;
    std::string birthIso; // "YYYY-MM-DD"

    // The barcode text: LF between elements, CR after each subfile, the header's separators.
    std::string Separated() const;
    // The same with LF, RS and CR dropped.
    std::string RunTogether() const;
};

class AamvaCardGenerator {
public:
    explicit AamvaCardGenerator(std::uint32_t seed) : m_random(seed) {}
    GeneratedCard Next();

private:
    // The standard library's distributions differ between implementations; these draws do not.
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(m_random() % bound); }
    bool Chance(int percent) { return Below(100) < static_cast<std::uint32_t>(percent); }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

    std::string Digits(int count);
    std::string Date(int firstYear, int years, bool yearFirst, int& year, int& month, int& day);
    void Order(std::vector<std::pair<std::string, std::string>>& elements);

    std::mt19937 m_random;
};

} // namespace CardTests
