#pragma once
// Records what would have been opened and answers with a chosen shell result.

#include "IShellOpen.h"

#include <QList>
#include <QUrl>

class FakeShellOpen : public IShellOpen {
public:
    explicit FakeShellOpen(int result = kSuccess) : m_result(result) {}
    int Open(const QUrl& target) override {
        m_opened.append(target);
        return m_result;
    }
    void SetResult(int result) { m_result = result; }
    const QList<QUrl>& Opened() const { return m_opened; }

private:
    int m_result;
    QList<QUrl> m_opened;
};
