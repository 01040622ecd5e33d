#include "TestArea.h"

#include "UnknownScanSink.h"

#include <gtest/gtest.h>

namespace CardTests {
namespace {

// Keeps what the decoder rejects in the form the unknown-swipe file would hold it.
class RecordingSink final : public MagneticStripeCards::UnknownScanSink {
public:
    void Reject(const std::string& text) noexcept override {
        m_written = true;
        m_text += text + "\n\n";
    }
    void Clear() {
        m_written = false;
        m_text.clear();
    }
    std::string Text() const { return m_written ? m_text : "<missing>"; }

private:
    bool m_written = false;
    std::string m_text;
};

RecordingSink g_sink;

} // namespace

std::string ReadUnknownFile() {
    return g_sink.Text();
}

void RemoveUnknownFile() {
    g_sink.Clear();
}

} // namespace CardTests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const MagneticStripeCards::ScopedUnknownScanSink sink(&CardTests::g_sink);
    return RUN_ALL_TESTS();
}
