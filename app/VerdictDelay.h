#pragma once
// How long the scan cycle waits after a scan's last key before it decodes, from the "Verdict Delay" value
// (a dword of milliseconds) that the station reads when it starts:
//
//   absent  --> adaptive: a scan that is provably whole at its Enter (ScanCompleteness) is decoded at
//               once; any other after the quiet period, 1000 ms after an Enter and 2000 ms after another
//               key (the quiet timer's second tick of 500 or 1000 ms)
//   present --> that delay after an Enter for every scan, twice it after another key (1000: the quiet
//               period alone, never early), kept between kShortestMs and kLongestMs
//
// The quiet timer runs at half the delay after an Enter and the whole delay after another key, since a
// scan is decoded at its second tick.

#include <cstdint>

class VerdictDelay {
public:
    static constexpr int kQuietMs = 1000;
    // A reader's keys come a few milliseconds apart; a shorter wait would cut scans of a loaded station.
    static constexpr int kShortestMs = 100;
    static constexpr int kLongestMs = 60000;

    static VerdictDelay Adaptive();
    static VerdictDelay Fixed(std::int64_t ms);
    // The stored value as the settings read it: -1 when it is missing (or no dword).
    static VerdictDelay FromSetting(std::int32_t value);

    // Whether a provably complete scan is decoded at its Enter.
    bool IsAdaptive() const { return m_adaptive; }
    // The quiet timer's period after a counted key.
    int QuietPeriodMs(bool afterEnter) const;

private:
    VerdictDelay(bool adaptive, int ms) : m_adaptive(adaptive), m_ms(ms) {}

    bool m_adaptive;
    int m_ms; // after an Enter
};
