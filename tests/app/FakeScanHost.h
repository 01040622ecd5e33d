#pragma once
// A scan-cycle host for tests: records every request in order and runs the timers on simulated time, so
// "1000 ms after Enter" is a statement about tick order rather than about the test machine's clock.

#include "ScanCycle.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace MagneticStripeCards {
class Card;
}

class FakeScanHost final : public ScanCycleHost {
public:
    struct LogCall {
        const MagneticStripeCards::Card* card;
        bool comments;
    };

    void Attach(ScanCycle& cycle) { m_cycle = &cycle; }

    void StartTimer(int id, int periodMs) override {
        m_timers[id] = {periodMs, m_now + periodMs};
        events.push_back("start " + std::to_string(id) + " " + std::to_string(periodMs));
    }
    void StopTimer(int id) override {
        m_timers.erase(id);
        events.push_back("stop " + std::to_string(id));
    }
    void Repaint() override { events.push_back("repaint"); }
    bool IsLogChecked() const override { return logChecked; }
    bool IsCommentsChecked() const override { return commentsChecked; }
    void LogScan(const MagneticStripeCards::Card& card, bool comments) override {
        events.push_back(comments ? "log comments" : "log");
        logCalls.push_back({&card, comments});
        if (onLogScan)
            onLogScan();
    }

    // Runs every timer tick due up to now + ms, in time order, on the attached cycle.
    void Advance(long long ms) {
        const long long target = m_now + ms;
        while (true) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (it->second.due <= target && (next == m_timers.end() || it->second.due < next->second.due))
                    next = it;
            }
            if (next == m_timers.end())
                break;
            m_now = next->second.due;
            next->second.due += next->second.period;
            m_cycle->OnTimer(next->first);
        }
        // A nested Advance (a modal dialog inside LogScan) may already have gone further.
        m_now = std::max(m_now, target);
    }

    bool IsRunning(int id) const { return m_timers.count(id) != 0; }
    int PeriodOf(int id) const { return m_timers.at(id).period; }
    long long Now() const { return m_now; }

    bool logChecked = false;
    bool commentsChecked = false;
    std::function<void()> onLogScan; // runs inside LogScan, like the Comments dialog's nested loop
    std::vector<std::string> events;
    std::vector<LogCall> logCalls;

private:
    struct Timer {
        int period;
        long long due;
    };
    ScanCycle* m_cycle = nullptr;
    std::map<int, Timer> m_timers;
    long long m_now = 0;
};
