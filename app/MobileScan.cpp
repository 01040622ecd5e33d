#include "MobileScan.h"

#include "MdlDoorVerdict.h"
#include "MdlLogRow.h"

namespace {

ShownMobile::Colour ColourOf(Mdl::MdlDoorVerdict::Colour colour) {
    switch (colour) {
    case Mdl::MdlDoorVerdict::Colour::Green:
        return ShownMobile::Colour::Green;
    case Mdl::MdlDoorVerdict::Colour::Amber:
        return ShownMobile::Colour::Amber;
    case Mdl::MdlDoorVerdict::Colour::Red:
        break;
    }
    return ShownMobile::Colour::Red;
}

} // namespace

MobileResult MobileResultOf(const Mdl::MdlOutcome& outcome, int validAge, bool trustListOutOfDate,
                            const std::tm& scanTime) {
    const Mdl::MdlDoorVerdict verdict = Mdl::MdlDoorVerdict::From(outcome, validAge, trustListOutOfDate);
    MobileResult result;
    result.shown.colour = ColourOf(verdict.colour);
    result.shown.headline = verdict.headline;
    result.shown.word = verdict.word;
    result.shown.line = verdict.line;
    result.shown.notes = verdict.notes;
    result.shown.hasPortrait = outcome.Verified() && !outcome.portrait.isEmpty();
    result.verified = outcome.Verified() && outcome.age != Mdl::MdlOutcome::Age::Unknown;
    result.ok = result.verified && outcome.age == Mdl::MdlOutcome::Age::Over;
    if (result.verified) {
        result.logRow = Mdl::MdlLogRow::Row(outcome, validAge, scanTime);
        result.state = Mdl::MdlLogRow::State(outcome.jurisdiction);
    }
    result.resultLine = "Mobile licence: " + verdict.headline;
    if (result.verified)
        result.resultLine += " (" + result.state + ")";
    return result;
}

Mdl::MdlStationSession::Request MobileRequestOf(const std::string& engagementText, int validAge,
                                                const std::string& trustFolder) {
    Mdl::MdlStationSession::Request request;
    request.engagementText = QString::fromStdString(engagementText);
    request.validAge = validAge;
    request.trustFolder = QString::fromStdString(trustFolder);
    return request;
}
