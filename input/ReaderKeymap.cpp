#include "ReaderKeymap.h"

#include "QtKeyInput.h"

#include <QtGui/QKeyEvent>

#include <cstdio>
#include <strings.h>

namespace {

bool IsNamed(const std::string& value, const char* name) {
    return ::strcasecmp(value.c_str(), name) == 0;
}

} // namespace

ReaderKeymap::ReaderKeymap(Source source) {
    if (source == Source::UsPositions)
        m_us = XkbKeymap::Compile("us");
}

ReaderKeymap ReaderKeymap::FromSetting(const std::string& readerLayout) {
    if (IsNamed(readerLayout, "desktop"))
        return ReaderKeymap(Source::DesktopLayout);
    if (!readerLayout.empty() && !IsNamed(readerLayout, "us"))
        std::fprintf(stderr,
                     "kestrin: \"Reader Layout\" is \"%s\", not \"us\" or \"desktop\"; reading US key positions\n",
                     readerLayout.c_str());
    ReaderKeymap keymap(Source::UsPositions);
    if (keymap.ActiveSource() != Source::UsPositions)
        std::fprintf(stderr, "kestrin: no US keymap (are the XKB data files installed?); the reader's keys go by "
                             "the desktop's layout\n");
    return keymap;
}

ReaderKeymap::Source ReaderKeymap::ActiveSource() const {
    return m_us ? Source::UsPositions : Source::DesktopLayout;
}

bool ReaderKeymap::ByPosition(const QKeyEvent& event) const {
    return m_us && event.nativeScanCode() != 0;
}

char32_t ReaderKeymap::Character(const QKeyEvent& event) const {
    if (ByPosition(event))
        return m_us->Character(event.nativeScanCode(), event.nativeModifiers());
    const QString text = event.text();
    return text.size() == 1 ? text.front().unicode() : 0;
}

ReaderKey ReaderKeymap::Key(const QKeyEvent& event) const {
    if (!ByPosition(event))
        return ReaderKeyFromQt(event.key(), event.text(), event.modifiers());
    return {Character(event), event.modifiers().testFlag(Qt::ControlModifier)};
}
