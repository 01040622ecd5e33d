#pragma once
// The JSON object kestrin-mdl verify prints for one checked session. Byte strings (the portrait) are
// given as their SHA-256 and length, never as their content.

#include "VerificationResult.h"

#include <nlohmann/json.hpp>

namespace Mdl::Cli {

class ResultJson {
public:
    static nlohmann::ordered_json FromResult(const VerificationResult& result);
    static nlohmann::ordered_json FromCbor(const QCborValue& value);
};

} // namespace Mdl::Cli
