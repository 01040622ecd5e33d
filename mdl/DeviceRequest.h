#pragma once
// The station's DeviceRequest: one docRequest for the mobile driver's licence with the fewest elements
// the door needs, every one with intentToRetain false (the holder's screen then says nothing is kept).

#include <QByteArray>
#include <QStringList>

namespace Mdl {

class DeviceRequest {
public:
    static constexpr const char* kMdlDocType = "org.iso.18013.5.1.mDL";
    static constexpr const char* kMdlNameSpace = "org.iso.18013.5.1";

    // age_over_NN for the valid age in force, portrait, issuing_jurisdiction and expiry_date.
    static QStringList AgeElements(int validAge);
    // For a wallet that holds no age_over_NN: the birth date instead of the age statement.
    static QStringList BirthDateElements();
    static QByteArray Encode(const QStringList& elements);
};

} // namespace Mdl
