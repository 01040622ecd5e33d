#pragma once
// The result display as data: the layout turns the display state into shapes and text items, which
// MainDlg draws with QPainter and tests read directly.
//
//   DisplayInput (state, card texts, valid age, total, last results, client and design size)
//     --(ITextMeasure: widths of the station's fonts)--> DisplayOutput (shapes, text items, areas)
//
// At the design size (the window's size from its template) every item of the classic picture sits where
// it always did; larger, every position and font scales with the client area by one factor. Each text
// shrinks its font until it fits inside the client area's margins.

#include "DisplayItems.h"
#include "DisplayState.h"
#include "ShownCard.h"
#include "ShownMobile.h"

#include <QRect>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// What the venue's lists and repeat window say of the card shown.
struct VenueMarks {
    bool banned = false;
    std::string bannedDetail; // the reason and the expiry, under "BANNED"
    std::string flaggedLine;  // "FLAGGED: theft", or empty
    bool vip = false;
    std::string repeatLine; // "Scanned 3 min ago at door-2", or empty
    std::string notice;     // the venue works only in part ("Lists not checked: ..."), or empty; with a
                            // phone's result only that its event was not stored
};

// "Inside 143 / 250" under the total, in black, the warning's amber from 90 % of the capacity, red from
// 100 %; no line when the text is empty.
struct InsideLine {
    std::string text;
    Rgb colour = DisplayColour::kBlack;
};

struct DisplayInput {
    DisplayState state = DisplayState::Ready;
    std::optional<ShownCard> card;     // the current card; required in CardShown
    std::optional<ShownMobile> mobile; // the mobile licence's result; required in MobileShown
    std::string unknownCardText;
    std::int32_t validAge = 21;
    std::int32_t total = 0;
    std::deque<std::string> lastResults; // newest first
    bool notLogged = false;              // the card shown is not in the scan log file (yet)
    VenueMarks venue;                    // of the card shown
    std::string stationNotice;           // the station's own trouble (its clock off the venue server's),
                                         // shown in every state after the scan's notices, or empty
    InsideLine inside;
    int width = 0;
    int height = 0;
    // The client size the classic positions are given for; 0 leaves every position and font unscaled.
    int designWidth = 0;
    int designHeight = 0;
};

struct DisplayOutput {
    std::vector<ShapeItem> shapes; // drawn first, in order
    std::vector<TextItem> items;   // then these, in order
    // What a dialog opened over a card result must leave visible: the age, the verdict's word and mark
    // and the expiry line (empty outside CardShown).
    QRect verdictArea;
    // The four lines of the lower area (notices, then the last results), whether drawn or not.
    QRect lowerLines;
    // Where the window draws a mobile licence's portrait (empty when there is none to draw).
    QRect portraitArea;
    double scale = 1.0;
};

// The picture for the current display state. A CardShown input without a card draws like Capturing.
DisplayOutput LayoutDisplay(const DisplayInput& in, const ITextMeasure& measure);
