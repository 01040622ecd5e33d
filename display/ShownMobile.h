#pragma once
// What the display shows for a mobile licence's result: the verdict's colour, the headline in the age's
// place ("21+", "UNDER 21", "NOT VERIFIED", "Issuer not trusted"), the word beside it, the line under it,
// the amber notes, and whether a portrait is drawn beside it (the window paints the picture itself).

#include <string>
#include <vector>

struct ShownMobile {
    enum class Colour { Green, Red, Amber };
    Colour colour = Colour::Red;
    std::string headline;
    std::string word;
    std::string line;
    std::vector<std::string> notes;
    bool hasPortrait = false;
};
