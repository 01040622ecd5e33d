#include "CardJson.h"

#include "Card.h"
#include "CardFields.h"

#include <nlohmann/json.hpp>

namespace MagneticStripeCards::Cli {
namespace {

using Json = nlohmann::ordered_json;

// Card texts are bytes of the reader's 8-bit code page: byte b becomes U+00bb.
std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

Json ToJson(const FieldValue& value) {
    struct Visitor {
        Json operator()(std::nullptr_t) const { return nullptr; }
        Json operator()(std::string_view text) const { return Latin1ToUtf8(text); }
        Json operator()(const std::string& text) const { return Latin1ToUtf8(text); }
        Json operator()(std::int64_t n) const { return n; }
        Json operator()(bool b) const { return b; }
        Json operator()(const std::vector<std::string>& list) const {
            Json array = Json::array();
            for (const std::string& text : list)
                array.push_back(Latin1ToUtf8(text));
            return array;
        }
        Json operator()(const std::vector<CardWarning>& warnings) const {
            Json array = Json::array();
            for (const CardWarning& warning : warnings)
                array.push_back(Json{{"code", warning.code}, {"text", Latin1ToUtf8(warning.text)}});
            return array;
        }
    };
    return std::visit(Visitor{}, value);
}

} // namespace

std::string CardJson(const Card& card) {
    Json j = Json::object();
    for (const CardField& field : CardFields()) {
        if (field.key != nullptr)
            j[field.key] = ToJson(field.read(card));
    }
    return j.dump();
}

const char* UnknownJson() {
    return "{\"error\":\"Unknown DL\"}";
}

std::string UnknownJson(const std::vector<CardWarning>& reasons) {
    Json j = Json::object();
    j["error"] = "Unknown DL";
    j["warnings"] = ToJson(reasons);
    return j.dump();
}

} // namespace MagneticStripeCards::Cli
