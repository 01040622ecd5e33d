#pragma once
// A mobile licence's session as the station takes it: the request from the settings (valid age, the
// "mDL Trust Folder") and the cycle's MobileResult from the session's outcome (verdict, log row, the
// line of the last results). The portrait stays with the window, which only paints it.

#include "MdlOutcome.h"
#include "MdlStationSession.h"
#include "ScanCycle.h"

#include <ctime>
#include <string>

MobileResult MobileResultOf(const Mdl::MdlOutcome& outcome, int validAge, bool trustListOutOfDate,
                            const std::tm& scanTime);
Mdl::MdlStationSession::Request MobileRequestOf(const std::string& engagementText, int validAge,
                                                const std::string& trustFolder);
