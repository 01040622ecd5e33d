#pragma once
// A pattern text with its compiled form, for rules that run the same patterns on every scan: a matcher
// handed one skips looking the compiled expression up by its text.
//
// Compiled expressions live in a process-wide cache keyed by pattern text and syntax options; compiling
// happens under one lock. Patterns that are plain sequences of character classes with greedy counts (all
// the card's patterns) also get a linear-time program that gives the same result as the backtracking
// engine, so no scan text can make a match take quadratic or cubic time.

#include "GreedySequence.h"

#include <boost/regex.hpp>

#include <memory>
#include <optional>
#include <string>

namespace RegexClass {

class CompiledPattern {
public:
    struct Expression {
        std::string text; // the pattern as written
        boost::regex expression;
        bool ok = false;
        std::string error; // the library's message when the pattern did not compile
        std::optional<GreedySequence> sequence;
    };
    using ExpressionPtr = std::shared_ptr<const Expression>;

    // Compiles `text` with Perl syntax, as matchers do, or takes it from the cache.
    explicit CompiledPattern(std::string text);

    const std::string& Text() const { return m_text; }
    const ExpressionPtr& Compiled() const { return m_expression; }

    // The compiled form of `text` in `syntax`, compiling it on first use.
    static ExpressionPtr Lookup(const std::string& text, boost::regex_constants::syntax_option_type syntax);

private:
    std::string m_text;
    ExpressionPtr m_expression;
};

} // namespace RegexClass
