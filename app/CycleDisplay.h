#pragma once
// One paint of the scan cycle's display: what MainDlg's paint handler calls. It lays out the cycle's
// state, advances the scan total by the counting rule at the first paint after a card was decoded, and
// marks that card as counted, so later repaints of the same result draw the total unchanged.

#include "DisplayLayout.h"

#include <cstdint>

class ScanCycle;

struct CycleDisplayOptions {
    std::int32_t validAge = -1;  // Settings::GetValidAge(), read at the paint
    bool countValidOnly = false; // "Count Valid DL Only" checked
};

DisplayOutput LayoutCycleDisplay(ScanCycle& cycle, const CycleDisplayOptions& options, std::int32_t& total, int width,
                                 int height);
