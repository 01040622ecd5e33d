#pragma once

enum class DisplayState {
    Capturing = 0,
    Ready = 1,
    CardShown = 2,
    UnknownCard = 3,
    MobileConnecting = 4,
    MobileShown = 5
};
