#include "VenueCodes.h"

#include <array>
#include <utility>

namespace Venue {
namespace {

template <typename E, std::size_t N> using CodeTable = std::array<std::pair<E, std::string_view>, N>;

constexpr CodeTable<Verdict, 7> kVerdicts{{{Verdict::Ok, "ok"},
                                           {Verdict::UnderAge, "under-age"},
                                           {Verdict::Expired, "expired"},
                                           {Verdict::Unknown, "unknown"},
                                           {Verdict::Banned, "banned"},
                                           {Verdict::Flagged, "flagged"},
                                           {Verdict::Vip, "vip"}}};
constexpr CodeTable<ListKind, 3> kLists{
    {{ListKind::Banned, "banned"}, {ListKind::Flagged, "flagged"}, {ListKind::Vip, "vip"}}};
constexpr CodeTable<Reason, 7> kReasons{{{Reason::Violence, "violence"},
                                         {Reason::Theft, "theft"},
                                         {Reason::FakeId, "fake-id"},
                                         {Reason::Harassment, "harassment"},
                                         {Reason::Drugs, "drugs"},
                                         {Reason::UnderageAttempt, "underage-attempt"},
                                         {Reason::Other, "other"}}};
constexpr CodeTable<Scope, 2> kScopes{{{Scope::Venue, "venue"}, {Scope::Group, "group"}}};

template <typename E, std::size_t N> std::string_view Find(const CodeTable<E, N>& table, E value) {
    for (const auto& [e, code] : table)
        if (e == value)
            return code;
    return {};
}

template <typename E, std::size_t N> std::optional<E> Parse(const CodeTable<E, N>& table, std::string_view code) {
    for (const auto& [e, text] : table)
        if (text == code)
            return e;
    return std::nullopt;
}

} // namespace

std::string_view CodeOf(Verdict verdict) {
    return Find(kVerdicts, verdict);
}
std::string_view CodeOf(ListKind list) {
    return Find(kLists, list);
}
std::string_view CodeOf(Reason reason) {
    return Find(kReasons, reason);
}
std::string_view CodeOf(Scope scope) {
    return Find(kScopes, scope);
}

std::optional<Verdict> VerdictOf(std::string_view code) {
    return Parse(kVerdicts, code);
}
std::optional<ListKind> ListKindOf(std::string_view code) {
    return Parse(kLists, code);
}
std::optional<Reason> ReasonOf(std::string_view code) {
    return Parse(kReasons, code);
}
std::optional<Scope> ScopeOf(std::string_view code) {
    return Parse(kScopes, code);
}

std::string_view ReasonText(Reason reason) {
    switch (reason) {
    case Reason::FakeId:
        return "fake ID";
    case Reason::UnderageAttempt:
        return "underage attempt";
    default:
        return CodeOf(reason);
    }
}

} // namespace Venue
