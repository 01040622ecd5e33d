#pragma once
// A scan-cycle host for tests: records every request in order and runs the timers on simulated time, so
// "1000 ms after Enter" is a statement about tick order rather than about the test machine's clock.

#include "ScanCycle.h"

#include <algorithm>
#include <cstdint>
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
    void PaintNow() override { events.push_back("paint now"); }
    bool IsLogChecked() const override { return logChecked; }
    bool IsCommentsChecked() const override { return commentsChecked; }
    bool IsCountValidOnlyChecked() const override { return countValidOnly; }
    std::int32_t ValidAge() override { return validAge; }
    bool WriteLogRow(const MagneticStripeCards::Card& card, bool commentsFollow) override {
        events.push_back(commentsFollow ? "log comments" : "log");
        logCalls.push_back({&card, commentsFollow});
        if (onLogScan)
            onLogScan();
        return logWrites;
    }
    void RecordVenueScan(const MagneticStripeCards::Card* card) override {
        events.push_back(card ? "venue card" : "venue unknown");
    }
    void OpenComments() override {
        events.push_back("comments open");
        if (onOpenComments)
            onOpenComments();
    }

    void StartMobileSession(const std::string& engagementText) override {
        events.push_back("mobile start");
        mobileTexts.push_back(engagementText);
    }
    void CancelMobileSession() override { events.push_back("mobile cancel"); }
    bool WriteMobileLogRow(const std::string& row) override {
        events.push_back("log mobile");
        mobileRows.push_back(row);
        return logWrites;
    }

    void RecordMobileVenueScan(const MobileResult& result) override {
        events.push_back("venue mobile");
        mobileVenue.push_back(result);
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
    bool countValidOnly = false;
    std::int32_t validAge = 21;
    bool logWrites = true;                // what WriteLogRow answers
    std::function<void()> onLogScan;      // runs inside WriteLogRow (a nested loop of an error box)
    std::function<void()> onOpenComments; // runs inside OpenComments (a host whose dialog is modal)
    std::vector<std::string> events;
    std::vector<LogCall> logCalls;
    std::vector<std::string> mobileTexts;
    std::vector<std::string> mobileRows;
    std::vector<MobileResult> mobileVenue;

private:
    struct Timer {
        int period;
        long long due;
    };
    ScanCycle* m_cycle = nullptr;
    std::map<int, Timer> m_timers;
    long long m_now = 0;
};
