#pragma once
// Tells a card reader from a person at the keyboard while a dialog of the station has the keys. A reader
// types a whole scan in one burst, far faster than anybody types, and every scan starts with a start
// sentinel (% ; # of a stripe's tracks, @ of a barcode) or with a phone's "mdoc:". So a sentinel key is
// held back briefly and the next key decides:
//
//   sentinel --(next press within kStartGapMs)--> burst: sentinel and the keys that follow go to the scan
//            \-(a later press, or the hold timer)--> person: the sentinel goes to the dialog after all
//
// A phone's prefix is held key by key: "mdoc:" with each key within kStartGapMs of the one before is a
// burst; another key, or one at a person's pace, gives the held keys to the dialog in their order.
//   burst ----(a press more than kContinueGapMs after the last one)--> over; that press is judged afresh
//
// The hold timer runs on the station's clock. A station held up (painting, a loaded machine) can see its
// timer fire late with the reader's next keys already waiting to be read: a late timer waits for them a
// moment longer instead of giving the sentinel to the dialog.
//
// Times are the key events' own time stamps in milliseconds (the X server's), not the moment the station
// gets round to them, so a station busy painting does not stretch a reader's burst.

#include <cstddef>
#include <cstdint>
#include <optional>

class ReaderBurstDetector {
public:
    static constexpr std::uint64_t kStartGapMs = 50;
    static constexpr std::uint64_t kContinueGapMs = 100;
    // How long the filter holds a sentinel when no further key comes (a person typing "%").
    static constexpr int kHoldMs = 150;
    // A hold timer this late waits kLateWaitMs more, at most kMostLateWaits times in a row.
    static constexpr std::uint64_t kLateMs = 20;
    static constexpr int kLateWaitMs = 20;
    static constexpr int kMostLateWaits = 25;

    enum class Route { Dialog, Scan, Hold };
    enum class Expiry { Nothing, GiveToDialog, WaitLonger };
    struct Decision {
        std::optional<Route> held; // where the keys held so far go, before this one (Dialog or Scan)
        Route key = Route::Dialog;
    };

    static bool IsSentinel(char32_t c);
    // What a phone's engagement code starts with.
    static constexpr char kPhonePrefix[] = "mdoc:";

    Decision OnPress(char32_t character, bool autoRepeat, std::uint64_t timeMs);
    // A release inside a burst belongs to a key the dialog never saw pressed: Scan (withheld from it).
    Route OnRelease() const;
    // The hold timer ran out, `lateMs` after it should have: a held key goes to the dialog, or waits
    // longer for keys the late station has not read yet.
    Expiry OnHoldExpired(std::uint64_t lateMs);

private:
    enum class State { Idle, Holding, Burst };

    Decision Judge(char32_t character, bool autoRepeat, std::uint64_t timeMs);
    Decision OnHeldPress(char32_t character, bool autoRepeat, std::uint64_t timeMs);
    bool Within(std::uint64_t timeMs, std::uint64_t gapMs) const;

    State m_state = State::Idle;
    std::uint64_t m_lastMs = 0;
    int m_lateWaits = 0;
    // While holding: how many keys of kPhonePrefix are held (0: a sentinel is held).
    std::size_t m_prefixKeys = 0;
};
