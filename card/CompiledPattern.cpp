#include "CompiledPattern.h"

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

namespace RegexClass {
namespace {

namespace rc = boost::regex_constants;
using ExpressionPtr = CompiledPattern::ExpressionPtr;

// Patterns come from the program's own rules, so the cache stays small; the bound only keeps a caller
// that feeds it endless distinct patterns from growing it without end.
constexpr std::size_t kCacheLimit = 512;

ExpressionPtr CompileShared(const std::string& pattern, rc::syntax_option_type syntax) {
    static std::mutex lock;
    static std::map<std::pair<rc::syntax_option_type, std::string>, ExpressionPtr> cache;
    const std::lock_guard<std::mutex> guard(lock);
    auto key = std::make_pair(syntax, pattern);
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    auto compiled = std::make_shared<CompiledPattern::Expression>();
    compiled->text = pattern;
    try {
        compiled->expression.assign(pattern, syntax);
        compiled->ok = true;
        compiled->sequence = GreedySequence::FromPattern(pattern, syntax);
    } catch (const boost::regex_error& error) {
        compiled->ok = false;
        compiled->error = error.what();
    }
    if (cache.size() < kCacheLimit)
        cache.emplace(std::move(key), compiled);
    return compiled;
}

} // namespace

CompiledPattern::CompiledPattern(std::string text)
    : m_text(std::move(text)), m_expression(Lookup(m_text, boost::regex::perl)) {}

// The few patterns a thread switches between, in front of the shared cache: no lock, no map. Open
// addressing without eviction; a thread that uses more patterns than it has room for asks the shared
// cache for the rest.
ExpressionPtr CompiledPattern::Lookup(const std::string& pattern, rc::syntax_option_type syntax) {
    constexpr std::size_t kRoom = 64;
    struct Entry {
        std::string pattern;
        rc::syntax_option_type syntax{};
        ExpressionPtr compiled;
    };
    thread_local std::array<Entry, kRoom> recent;
    const std::size_t home = std::hash<std::string>()(pattern) % kRoom;
    for (std::size_t probe = 0; probe < kRoom; ++probe) {
        Entry& entry = recent[(home + probe) % kRoom];
        if (!entry.compiled) {
            entry = Entry{pattern, syntax, CompileShared(pattern, syntax)};
            return entry.compiled;
        }
        if (entry.syntax == syntax && entry.pattern == pattern)
            return entry.compiled;
    }
    return CompileShared(pattern, syntax);
}

} // namespace RegexClass
