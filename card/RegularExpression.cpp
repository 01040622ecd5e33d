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
bool SequenceHonours(std::uint32_t options) {
    constexpr std::uint32_t kChangesTheSequence = (1u << 7) | (1u << 8) | (1u << 9) | (1u << 12);
    return (options & kChangesTheSequence) == 0;
}

} // namespace

struct RegularExpression::Impl {
    enum class Status { NotCompiled, NoPattern, Ok, Failed };

    std::string pattern;          // the text set, unless it came compiled
    bool patternCompiled = false; // the text is the compiled expression's own
    std::string subject;
    std::uint32_t options = 1u;      // bit c: option code c is set; 0 alone at the start
    mutable std::set<int> optionSet; // the same as a set, built when asked for
    rc::syntax_option_type syntaxOptions = boost::regex::perl;
    CompiledPtr compiled; // set ahead of compiling when the pattern came compiled
    bool isCompiled = false;
    Status status = Status::NotCompiled;
    std::string errorText;

    rc::match_flag_type flags = rc::match_default;
    bool sequenceHonoursOptions = true;
    CaptureList captures;
    std::vector<GreedySequence::Span> spans;

    const std::string& PatternText() const { return patternCompiled ? compiled->text : pattern; }
    bool Compile();
    void CapturesFromSpans(std::size_t count);
    void CapturesFromResults(const boost::match_results<std::string::const_iterator>& results);
};

bool RegularExpression::Impl::Compile() {
    if (isCompiled)
        return status == Status::Ok;
    if (PatternText().empty()) {
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
    const std::string_view all(subject);
    for (std::size_t i = 0; i < count; ++i) {
        captures[i].text = all.substr(spans[i].begin, spans[i].end - spans[i].begin);
        captures[i].position = static_cast<std::int32_t>(spans[i].begin);
    }
}

void RegularExpression::Impl::CapturesFromResults(const boost::match_results<std::string::const_iterator>& results) {
    captures.resize(results.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i].matched) {
            const auto begin = static_cast<std::size_t>(results[i].first - subject.cbegin());
            captures[i].text = std::string_view(subject).substr(begin, static_cast<std::size_t>(results[i].length()));
            captures[i].position = static_cast<std::int32_t>(begin);
        } else {
            captures[i].text = {};
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
    Impl& impl = *m_impl;
    if (pattern == impl.PatternText())
        return;
    impl.pattern = pattern;
    impl.patternCompiled = false;
    impl.isCompiled = false;
    impl.status = Impl::Status::NotCompiled;
    impl.compiled.reset();
}

void RegularExpression::SetPattern(const CompiledPattern& pattern) {
    Impl& impl = *m_impl;
    // The same compiled expression is the same pattern: no text to compare.
    if (impl.compiled && impl.compiled == pattern.Compiled())
        return;
    if (pattern.Text() == impl.PatternText())
        return;
    // The expression was compiled with the syntax every matcher uses; it stands in for the lookup, and its
    // text for a copy of the pattern's.
    if (impl.syntaxOptions != boost::regex::perl) {
        SetPattern(pattern.Text());
        return;
    }
    impl.compiled = pattern.Compiled();
    impl.patternCompiled = true;
    impl.isCompiled = false;
    impl.status = Impl::Status::NotCompiled;
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
    if (code < 0 || code > 12)
        return; // no such option: nothing to set
    Impl& impl = *m_impl;
    const std::uint32_t bit = 1u << code;
    if ((impl.options & bit) != 0)
        return;
    constexpr std::uint32_t kOneTo8 = 0x1FEu;
    if (code == 0) {
        impl.options = (impl.options & ~kOneTo8) | 1u;
    } else {
        impl.options |= bit;
        if ((impl.options & kOneTo8) != 0)
            impl.options &= ~1u;
    }
    impl.flags = rc::match_default;
    for (int c = 0; c <= 12; ++c) {
        if ((impl.options & (1u << c)) != 0)
            impl.flags |= FlagOf(c);
    }
    impl.sequenceHonoursOptions = SequenceHonours(impl.options);
}

const std::set<int>& RegularExpression::MatchOptions() const {
    Impl& impl = *m_impl;
    impl.optionSet.clear();
    for (int c = 0; c <= 12; ++c) {
        if ((impl.options & (1u << c)) != 0)
            impl.optionSet.insert(c);
    }
    return impl.optionSet;
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
