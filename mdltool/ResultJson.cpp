#include "ResultJson.h"

#include "MdlCrypto.h"

#include <QCborArray>
#include <QCborMap>

namespace Mdl::Cli {

namespace {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

nlohmann::ordered_json TextOrNull(const QString& text) {
    if (text.isEmpty())
        return nullptr;
    return Utf8(text);
}

nlohmann::ordered_json DateOrNull(const QDateTime& time) {
    if (!time.isValid())
        return nullptr;
    return Utf8(time.toUTC().toString(Qt::ISODate));
}

std::string KeyText(const QCborValue& key) {
    if (key.isString())
        return Utf8(key.toString());
    if (key.isInteger())
        return std::to_string(key.toInteger());
    return Utf8(key.toDiagnosticNotation());
}

} // namespace

nlohmann::ordered_json ResultJson::FromCbor(const QCborValue& value) {
    switch (value.type()) {
    case QCborValue::Integer:
        return value.toInteger();
    case QCborValue::Double:
        return value.toDouble();
    case QCborValue::True:
    case QCborValue::False:
        return value.toBool();
    case QCborValue::String:
        return Utf8(value.toString());
    case QCborValue::ByteArray: {
        const QByteArray bytes = value.toByteArray();
        return {{"sha256", MdlCrypto::Sha256(bytes).toHex().toStdString()}, {"length", bytes.size()}};
    }
    case QCborValue::DateTime:
        return DateOrNull(value.toDateTime());
    case QCborValue::Array: {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (const QCborValue& element : value.toArray())
            out.push_back(FromCbor(element));
        return out;
    }
    case QCborValue::Map: {
        nlohmann::ordered_json out = nlohmann::ordered_json::object();
        const QCborMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            out[KeyText(it.key())] = FromCbor(it.value());
        return out;
    }
    case QCborValue::Tag:
        return FromCbor(value.taggedValue()); // full-date (1004) and the like: the text itself
    default:
        return nullptr;
    }
}

nlohmann::ordered_json ResultJson::FromResult(const VerificationResult& result) {
    nlohmann::ordered_json out;
    out["verified"] = result.Verified();
    out["docType"] = TextOrNull(result.docType);
    out["issuer"] = TextOrNull(result.issuer);
    out["iaca"] = result.iaca ? nlohmann::ordered_json(Utf8(*result.iaca)) : nlohmann::ordered_json(nullptr);
    out["deviceAuth"] = TextOrNull(result.deviceAuth);
    out["validFrom"] = DateOrNull(result.validFrom);
    out["validUntil"] = DateOrNull(result.validUntil);
    nlohmann::ordered_json elements = nlohmann::ordered_json::object();
    for (const DisclosedElement& element : result.elements)
        elements[Utf8(element.nameSpace)][Utf8(element.identifier)] = FromCbor(element.value);
    out["elements"] = elements;
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const Failure failure : result.failures)
        failures.push_back(FailureCode(failure));
    out["failures"] = failures;
    return out;
}

} // namespace Mdl::Cli
