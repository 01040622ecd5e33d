#pragma once
// The result display as data: the painter turns the display state into an ordered list of text items,
// which MainDlg draws with QPainter and tests read directly.

#include "DisplayState.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace MagneticStripeCards {
class Card;
}

enum class DisplayFont { Headline, Age, Name, Small, Expiry }; // Arial Black 75/180, Arial Narrow 40, Tahoma 17/35

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

enum class TextAnchor { CentreBaseline, LeftBottom };

struct TextItem {
    std::string text;
    DisplayFont font;
    Rgb colour;
    TextAnchor anchor;
    int x;
    int y;
};

struct DisplayInput {
    DisplayState state = DisplayState::Ready;
    const MagneticStripeCards::Card* card = nullptr; // the current card; required in CardShown
    std::string unknownCardText;
    std::int32_t validAge = -1;
    bool countValidOnly = false;
    std::int32_t total = 0;              // total before this paint
    bool cardUncounted = false;          // `card` has not been counted yet: this paint counts it
    std::deque<std::string> lastResults; // newest first
    int width = 0;
    int height = 0;
};

struct DisplayOutput {
    std::vector<TextItem> items; // in drawing order
    std::int32_t total = 0;      // total after this paint
};

// The picture for the current display state. In CardShown the card's texts are taken from `in.card`; a
// CardShown input without a card draws like Capturing. The total advances, by the counting rule, only
// when `cardUncounted` is set and there is a card, whatever the state.
DisplayOutput LayoutDisplay(const DisplayInput& in);

// What the display reads of a card, so the layout can also be drawn for a card given by its texts.
struct ShownCard {
    std::string displayName;
    std::int32_t age = 0;
    std::string ageText;
    std::string expirationText;
    bool expired = false;
};

ShownCard ShownCardOf(const MagneticStripeCards::Card& card);

// LayoutDisplay with the current card given by its texts (`in.card` is not read); null: no card.
DisplayOutput LayoutDisplay(const DisplayInput& in, const ShownCard* card);
