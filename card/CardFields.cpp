#include "CardFields.h"

#include "Card.h"

#include <array>
#include <charconv>
#include <utility>

namespace MagneticStripeCards {
namespace {

FieldValue Text(const std::string& held) {
    return std::string_view(held);
}
FieldValue Text(std::string&& made) {
    return std::move(made);
}
FieldValue TextOrNull(const std::string& text) {
    return text.empty() ? FieldValue(nullptr) : FieldValue(text);
}
// The scan log's date ("3/10/2007") and time ("14:5:33") columns, without leading zeros, written into one
// short text (three number texts joined were a tenth of a batch's log rows).
void AppendNumber(std::string& out, int n) {
    std::array<char, 12> digits{};
    out.append(digits.data(), std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr);
}
std::string Joined(int a, int b, int c, char separator) {
    std::string text;
    AppendNumber(text, a);
    text += separator;
    AppendNumber(text, b);
    text += separator;
    AppendNumber(text, c);
    return text;
}
std::string LogDate(const std::tm& t) {
    return Joined(t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, '/');
}
std::string LogTime(const std::tm& t) {
    return Joined(t.tm_hour, t.tm_min, t.tm_sec, ':');
}

} // namespace

const std::vector<CardField>& CardFields() {
    static const std::vector<CardField> fields = {
        {"name", 1, true, [](const Card& c) { return Text(c.Name()); }},
        {"address", 6, true, [](const Card& c) { return Text(c.Address()); }},
        {"city", 5, true, [](const Card& c) { return Text(c.City()); }},
        {"state", 4, false, [](const Card& c) { return Text(c.State()); }},
        {"postalCode", 7, true, [](const Card& c) { return Text(c.PostalCode()); }},
        {"dlNumber", 9, true, [](const Card& c) { return Text(c.DlNumber()); }},
        {"isoIin", 11, true, [](const Card& c) { return Text(c.IsoIin()); }},
        {"birthDate", 8, true, [](const Card& c) { return Text(c.BirthDate()); }},
        {"expirationDate", 10, false, [](const Card& c) { return Text(c.ExpirationDate()); }},
        {"expirationText", kNoLogColumn, false, [](const Card& c) { return Text(c.ExpirationText()); }},
        {"sex", 3, false, [](const Card& c) { return Text(c.Sex()); }},
        {"height", 13, true, [](const Card& c) { return Text(c.Height()); }},
        {"weight", 14, true, [](const Card& c) { return Text(c.Weight()); }},
        {"hairColor", 15, true, [](const Card& c) { return Text(c.HairColor()); }},
        {"eyeColor", 16, true, [](const Card& c) { return Text(c.EyeColor()); }},
        {"restrictions", 12, true, [](const Card& c) { return Text(c.Restrictions()); }},
        {"age", kNoLogColumn, false, [](const Card& c) { return FieldValue(std::int64_t{c.Age()}); }},
        {"expired", kNoLogColumn, false, [](const Card& c) { return FieldValue(c.Expired()); }},
        {"tracks", kNoLogColumn, true,
         [](const Card& c) {
             const auto& t = c.Tracks();
             return FieldValue(std::vector<std::string>(t.begin(), t.end()));
         }},
        {"scanTime", 0, false, [](const Card& c) { return Text(AscTime24(c.ScanTime())); }},
        {"displayName", kNoLogColumn, true, [](const Card& c) { return Text(c.DisplayName()); }},
        {"ageText", 2, false, [](const Card& c) { return Text(c.AgeText()); }},
        {"resultLine", kNoLogColumn, true, [](const Card& c) { return Text(c.ResultLine()); }},
        {"logRow", kNoLogColumn, true, [](const Card& c) { return Text(c.LogRow()); }},
        {nullptr, 17, false, [](const Card& c) { return Text(LogDate(c.ScanTime())); }},
        {nullptr, 18, false, [](const Card& c) { return Text(LogTime(c.ScanTime())); }},
        {"format", kNoLogColumn, false, [](const Card& c) { return Text(c.Format()); }},
        {"aamvaVersion", kNoLogColumn, false,
         [](const Card& c) {
             const auto v = c.AamvaVersion();
             return v ? FieldValue(std::int64_t{*v}) : FieldValue(nullptr);
         }},
        {"documentType", kNoLogColumn, false, [](const Card& c) { return TextOrNull(c.DocumentType()); }},
        {"lastName", kNoLogColumn, true, [](const Card& c) { return Text(c.LastName()); }},
        {"firstName", kNoLogColumn, true, [](const Card& c) { return Text(c.FirstName()); }},
        {"middleName", kNoLogColumn, true, [](const Card& c) { return Text(c.MiddleName()); }},
        {"nameSuffix", kNoLogColumn, true, [](const Card& c) { return Text(c.NameSuffix()); }},
        {"birthDateIso", kNoLogColumn, true, [](const Card& c) { return TextOrNull(c.BirthDateIso()); }},
        {"expirationDateIso", kNoLogColumn, false, [](const Card& c) { return TextOrNull(c.ExpirationDateIso()); }},
        {"issueDateIso", kNoLogColumn, false, [](const Card& c) { return TextOrNull(c.IssueDateIso()); }},
        {"sexCode", kNoLogColumn, false, [](const Card& c) { return Text(c.SexCode()); }},
        {"country", kNoLogColumn, false, [](const Card& c) { return Text(c.Country()); }},
        {"under18Until", kNoLogColumn, true, [](const Card& c) { return TextOrNull(c.Under18Until()); }},
        {"under19Until", kNoLogColumn, true, [](const Card& c) { return TextOrNull(c.Under19Until()); }},
        {"under21Until", kNoLogColumn, true, [](const Card& c) { return TextOrNull(c.Under21Until()); }},
        {"warnings", kNoLogColumn, false, [](const Card& c) { return FieldValue(c.Warnings()); }},
    };
    return fields;
}

std::string FieldText(const FieldValue& value) {
    struct Visitor {
        std::string operator()(std::nullptr_t) const { return "null"; }
        std::string operator()(std::string_view text) const { return std::string(text); }
        std::string operator()(const std::string& text) const { return text; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(const std::vector<std::string>& list) const {
            std::string joined;
            for (std::size_t i = 0; i < list.size(); ++i)
                joined += (i == 0 ? "" : "|") + list[i];
            return joined;
        }
        std::string operator()(const std::vector<CardWarning>& warnings) const {
            std::string joined;
            for (std::size_t i = 0; i < warnings.size(); ++i)
                joined += (i == 0 ? "" : "|") + warnings[i].code;
            return joined;
        }
    };
    return std::visit(Visitor{}, value);
}

const CardField* FindCardField(std::string_view key) {
    for (const CardField& field : CardFields()) {
        if (field.key != nullptr && key == field.key)
            return &field;
    }
    return nullptr;
}

} // namespace MagneticStripeCards
