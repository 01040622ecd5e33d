#pragma once
// Doors on the throwaway server: VenueDbTest with a temporary folder holding the sharing group's key and,
// per station, a folder with that door's embedded store. Each Desk is the station's own venue code
// (VenueDesk: embedded store, outbox, list watcher, sync worker), so two desks are two doors.

#include "VenueDb.h"
#include "VenueTestFiles.h"

#include "IdentityKey.h"
#include "VenueDesk.h"
#include "VenueTime.h"

#include <filesystem>
#include <memory>
#include <string>

// What a door is set to beyond its venue and station.
struct DoorSettings {
    std::string database; // empty: the venue's own login on the test server
    int repeatMinutes = 0;
};

class VenueDeskDbTest : public VenueDbTest {
protected:
    void SetUp() override {
        VenueDbTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        char pattern[] = "/tmp/kdesk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        std::string error;
        ASSERT_TRUE(Venue::IdentityKey::Create(KeyFile(), error)) << error;
    }
    void TearDown() override {
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder);
    }

    std::string KeyFile() const { return m_folder + "/venue.key"; }

    // The door `station` of `venue`; made again with the same station, it reopens that door's store.
    std::unique_ptr<Venue::VenueDesk> Desk(const std::string& venue, const std::string& station,
                                           const DoorSettings& settings = {}) const {
        const std::string folder = m_folder + "/" + station;
        std::filesystem::create_directories(folder);
        Venue::VenueConfig config;
        config.database = settings.database.empty() ? ConnInfo(venue) : settings.database;
        config.venue = venue;
        config.station = station;
        config.keyFile = KeyFile();
        config.repeatMinutes = settings.repeatMinutes;
        return std::make_unique<Venue::VenueDesk>(config, folder + "/venue.db", Venue::NowMicros);
    }

    std::string m_folder;
};
