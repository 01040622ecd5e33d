#pragma once
// A reusable matcher: one pattern, one subject text, a match that must begin at the subject's first
// character, and an OnMatching event that hands the capture list to every hooked receiver.
//
//   SetPattern/SetText --> Match --(compile once per pattern text, shared by all matchers)--> search
//                                \--(whole match starts at 0)--> captures --> OnMatching handlers
//
// Compiled expressions come from the cache of CompiledPattern.h, or with the pattern itself.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace RegexClass {

// One entry of the capture list: entry 0 is the whole match, entry i is group i. The text is a view into
// the matcher's subject, valid until the next SetText (or the matcher's end): a receiver that keeps a
// capture beyond that copies its text.
struct Capture {
    std::string_view text;      // empty when the group took no part in the match
    std::int32_t position = -1; // offset from the subject start, -1 when the group took no part
};
// Filled once per match, in place: its storage is reused from match to match.
using CaptureList = std::vector<Capture>;

class CompiledPattern;
class RegularExpression;

// The abstract node of the OnMatching handler list.
class eventNode_RegexClass_RegularExpression_OnMatching {
public:
    virtual ~eventNode_RegexClass_RegularExpression_OnMatching() = default;
    virtual void Invoke(RegularExpression* sender, const CaptureList& captures, int lineNumber, int lineStart) = 0;
    virtual bool IsEqual(const void* receiver) const = 0;
    // `handler` points at a member-function pointer whose type is `handlerType`.
    virtual bool IsEqual(const void* receiver, const void* handler, const std::type_info& handlerType) const = 0;

    std::unique_ptr<eventNode_RegexClass_RegularExpression_OnMatching> next;
};

template <class Receiver>
using OnMatchingHandler = void (Receiver::*)(RegularExpression* sender, const CaptureList& captures, int lineNumber,
                                             int lineStart);

// The node for one (receiver, member handler) pair.
template <class Receiver>
class InvokeHandlers_RegexClass_RegularExpression_OnMatching final
    : public eventNode_RegexClass_RegularExpression_OnMatching {
public:
    InvokeHandlers_RegexClass_RegularExpression_OnMatching(Receiver* receiver, OnMatchingHandler<Receiver> handler)
        : m_receiver(receiver), m_handler(handler) {}

    void Invoke(RegularExpression* sender, const CaptureList& captures, int lineNumber, int lineStart) override {
        (m_receiver->*m_handler)(sender, captures, lineNumber, lineStart);
    }
    bool IsEqual(const void* receiver) const override { return receiver == m_receiver; }
    bool IsEqual(const void* receiver, const void* handler, const std::type_info& handlerType) const override {
        return receiver == m_receiver && handlerType == typeid(OnMatchingHandler<Receiver>) &&
               *static_cast<const OnMatchingHandler<Receiver>*>(handler) == m_handler;
    }

private:
    Receiver* m_receiver;
    OnMatchingHandler<Receiver> m_handler;
};

class RegularExpression {
public:
    RegularExpression();
    virtual ~RegularExpression();

    RegularExpression(const RegularExpression&) = delete;
    RegularExpression& operator=(const RegularExpression&) = delete;

    // Storing the same pattern again keeps the compiled expression.
    void SetPattern(const std::string& pattern);
    // The same with the compiled expression at hand: matching skips looking it up by the text.
    void SetPattern(const CompiledPattern& pattern);
    // The subject keeps its storage from text to text.
    void SetText(const std::string& text);
    std::string GetText() const;
    // Read access without a copy, for callers that only look at the subject.
    const std::string& Text() const;

    // Codes 0-12: 0 none, 1 not_bol, 2 not_eol, 3 not_bob, 4 not_eob, 5 not_bow, 6 not_eow,
    // 7 not_dot_newline, 8 not_dot_null, 9 any, 10 not_null, 11 continuous, 12 partial; other codes are
    // no options and change nothing.
    void AddMatchOption(int code);
    const std::set<int>& MatchOptions() const;

    // True when the pattern matches a stretch that begins at the subject's first character; raises
    // OnMatching before returning true. An empty or invalid pattern gives false. Errors of the regex
    // library while matching (complexity limits, memory) propagate.
    bool Match();

    // The capture list of the most recent successful match (the one OnMatching was raised with).
    const CaptureList& Captures() const;

    // The library's message when the pattern did not compile, else empty.
    std::string ErrorText() const;
    // True once Match has compiled the current pattern (successfully or not).
    bool IsCompiled() const;

    // A later hook runs first; hooking a pair twice makes two nodes.
    template <class Receiver> void Hook(Receiver* receiver, OnMatchingHandler<Receiver> handler) {
        auto node =
            std::make_unique<InvokeHandlers_RegexClass_RegularExpression_OnMatching<Receiver>>(receiver, handler);
        node->next = std::move(m_onMatching);
        m_onMatching = std::move(node);
    }

    // Removes the first node of the pair: 0 when one was removed, 1 when none matched.
    template <class Receiver> int Unhook(Receiver* receiver, OnMatchingHandler<Receiver> handler) {
        for (auto* link = &m_onMatching; *link; link = &(*link)->next) {
            if ((*link)->IsEqual(receiver, &handler, typeid(OnMatchingHandler<Receiver>))) {
                *link = std::move((*link)->next);
                return 0;
            }
        }
        return 1;
    }

private:
    struct Impl;
    void RaiseOnMatching(int lineNumber, int lineStart);

    std::unique_ptr<Impl> m_impl;
    // Nodes still hooked when the matcher dies are freed with it.
    std::unique_ptr<eventNode_RegexClass_RegularExpression_OnMatching> m_onMatching;
};

} // namespace RegexClass
