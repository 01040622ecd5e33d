#include "ScanEvent.h"

#include <QUuid>
#include <tuple>

namespace Venue {

bool ScanEvent::operator==(const ScanEvent& o) const {
    return std::tie(id, venue, station, scannedAt, receivedAt, verdict, age, sexCode, state, format, warnings, listHits,
                    idHmac) == std::tie(o.id, o.venue, o.station, o.scannedAt, o.receivedAt, o.verdict, o.age,
                                        o.sexCode, o.state, o.format, o.warnings, o.listHits, o.idHmac);
}

bool DoorCount::operator==(const DoorCount& o) const {
    return std::tie(id, venue, station, at, delta) == std::tie(o.id, o.venue, o.station, o.at, o.delta);
}

std::string NewUuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toLower().toStdString();
}

} // namespace Venue
