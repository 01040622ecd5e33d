#include "RegularExpression.h"

#include "CompiledPattern.h"

#include <boost/regex.hpp>

namespace RegexClass {
namespace {

namespace rc = boost::regex_constants;

using CompiledPtr = CompiledPattern::ExpressionPtr;

rc::match_flag_type FlagOf(int code) {
    switch (code) {
    case 1:
        return rc::match_not_bol;
    case 2:
        return rc::match_not_eol;
    case 3:
        return rc::match_not_bob;
    case 4:
        return rc::match_not_eob;
    case 5:
        return rc::match_not_bow;
    case 6:
        return rc::match_not_eow;
    case 7:
        return rc::match_not_dot_newline;
    case 8:
        return rc::match_not_dot_null;
    case 9:
        return rc::match_any;
    case 10:
        return rc::match_not_null;
    case 11:
        return rc::match_continuous;
    case 12:
        return rc::match_partial;
    default:
        return rc::match_default;
    }
}

// The linear program knows greedy counts and character classes only: it is exact unless the options
// change what '.' matches (7, 8), make repeats take the first match found (9), or accept partial
// matches (12). Options 1-6 only affect assertions, which such patterns do not contain.
bool SequenceHonours(const std::set<int>& options) {
    for (const int code : options) {
        if (code == 7 || code == 8 || code == 9 || code == 12)
            return false;
    }
    return true;
}

} // namespace

struct RegularExpression::Impl {
    enum class Status { NotCompiled, NoPattern, Ok, Failed };

    std::string pattern;
    std::string subject;
    std::set<int> matchOptions{0};
    rc::syntax_option_type syntaxOptions = boost::regex::perl;
    CompiledPtr compiled; // set ahead of compiling when the pattern came compiled
    bool isCompiled = false;
    Status status = Status::NotCompiled;
    std::string errorText;

    rc::match_flag_type flags = rc::match_default;
    bool sequenceHonoursOptions = true;
    CaptureList captures;
    std::vector<GreedySequence::Span> spans;

    bool Compile();
    void CapturesFromSpans(std::size_t count);
    void CapturesFromResults(const boost::match_results<std::string::const_iterator>& results);
};

bool RegularExpression::Impl::Compile() {
    if (isCompiled)
        return status == Status::Ok;
    if (pattern.empty()) {
        status = Status::NoPattern;
        return false;
    }
    if (!compiled)
        compiled = CompiledPattern::Lookup(pattern, syntaxOptions);
    status = compiled->ok ? Status::Ok : Status::Failed;
    if (compiled->ok)
        errorText.clear();
    else
        errorText = compiled->error;
    isCompiled = true;
    return compiled->ok;
}

void RegularExpression::Impl::CapturesFromSpans(std::size_t count) {
    captures.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        captures[i].text.assign(subject, spans[i].begin, spans[i].end - spans[i].begin);
        captures[i].position = static_cast<std::int32_t>(spans[i].begin);
    }
}

void RegularExpression::Impl::CapturesFromResults(const boost::match_results<std::string::const_iterator>& results) {
    captures.resize(results.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i].matched) {
            captures[i].text.assign(results[i].first, results[i].second);
            captures[i].position = static_cast<std::int32_t>(results[i].first - subject.cbegin());
        } else {
            captures[i].text.clear();
            captures[i].position = -1;
        }
    }
}

RegularExpression::RegularExpression() : m_impl(std::make_unique<Impl>()) {}

RegularExpression::~RegularExpression() {
    // Free the list iteratively so a long list cannot exhaust the stack.
    while (m_onMatching)
        m_onMatching = std::move(m_onMatching->next);
}

void RegularExpression::SetPattern(const std::string& pattern) {
    if (pattern == m_impl->pattern)
        return;
    m_impl->pattern = pattern;
    m_impl->isCompiled = false;
    m_impl->status = Impl::Status::NotCompiled;
    m_impl->compiled.reset();
}

void RegularExpression::SetPattern(const CompiledPattern& pattern) {
    if (pattern.Text() == m_impl->pattern)
        return;
    SetPattern(pattern.Text());
    // The expression was compiled with the syntax every matcher uses; it stands in for the lookup.
    if (m_impl->syntaxOptions == boost::regex::perl)
        m_impl->compiled = pattern.Compiled();
}

void RegularExpression::SetText(const std::string& text) {
    m_impl->subject.assign(text);
}

std::string RegularExpression::GetText() const {
    return m_impl->subject;
}

const std::string& RegularExpression::Text() const {
    return m_impl->subject;
}

void RegularExpression::AddMatchOption(int code) {
    auto& options = m_impl->matchOptions;
    if (options.count(code) != 0)
        return;
    if (code == 0) {
        for (int c = 1; c <= 8; ++c)
            options.erase(c);
        options.insert(0);
    } else {
        options.insert(code);
        const bool anyOf1To8 = options.lower_bound(1) != options.end() && *options.lower_bound(1) <= 8;
        if (anyOf1To8)
            options.erase(0);
    }
    m_impl->flags = rc::match_default;
    for (const int c : options)
        m_impl->flags |= FlagOf(c);
    m_impl->sequenceHonoursOptions = SequenceHonours(options);
}

const std::set<int>& RegularExpression::MatchOptions() const {
    return m_impl->matchOptions;
}

const CaptureList& RegularExpression::Captures() const {
    return m_impl->captures;
}

std::string RegularExpression::ErrorText() const {
    return m_impl->errorText;
}

bool RegularExpression::IsCompiled() const {
    return m_impl->isCompiled;
}

bool RegularExpression::Match() {
    Impl& impl = *m_impl;
    if (!impl.Compile())
        return false;
    const CompiledPattern::Expression& compiled = *impl.compiled;
    if (compiled.sequence && impl.sequenceHonoursOptions) {
        const bool notNull = (impl.flags & rc::match_not_null) != 0;
        if (!compiled.sequence->Match(impl.subject, notNull, impl.spans))
            return false;
        impl.CapturesFromSpans(compiled.sequence->GroupCount() + 1);
    } else {
        // A leftmost search whose match must start at the first character finds exactly what a search
        // tried at the first character alone finds; only partial matching breaks that (a partial match
        // there would hide a full match further on).
        rc::match_flag_type flags = impl.flags;
        if ((flags & rc::match_partial) == 0)
            flags |= rc::match_continuous;
        boost::match_results<std::string::const_iterator> results;
        const auto begin = impl.subject.cbegin();
        if (!boost::regex_search(begin, impl.subject.cend(), results, compiled.expression, flags))
            return false;
        if (results[0].first != begin)
            return false;
        impl.CapturesFromResults(results);
    }
    // The match begins at the subject's first character, so it lies on line 1, which starts at 0.
    RaiseOnMatching(1, 0);
    return true;
}

void RegularExpression::RaiseOnMatching(int lineNumber, int lineStart) {
    for (auto* node = m_onMatching.get(); node != nullptr; node = node->next.get())
        node->Invoke(this, m_impl->captures, lineNumber, lineStart);
}

} // namespace RegexClass
