#pragma once
// Records what would have been opened and answers with a chosen shell result.

#include "IShellOpen.h"

#include <QList>
#include <QUrl>

#include <functional>
#include <utility>

class FakeShellOpen : public IShellOpen {
public:
    explicit FakeShellOpen(int result = kSuccess) : m_result(result) {}
    int Open(const QUrl& target) override {
        if (m_onOpen)
            m_onOpen();
        m_opened.append(target);
        return m_result;
    }
    // Runs at every Open, before it answers: lets a test see what had happened by then.
    void OnOpen(std::function<void()> callback) { m_onOpen = std::move(callback); }
    void SetResult(int result) { m_result = result; }
    const QList<QUrl>& Opened() const { return m_opened; }

private:
    int m_result;
    QList<QUrl> m_opened;
    std::function<void()> m_onOpen;
};
