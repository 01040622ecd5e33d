#include "TestArea.h"

#include "UnknownSwipeFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace CardTests {
namespace {
std::string g_area;
}

const std::string& TestArea() {
    return g_area;
}

std::string ReadUnknownFile() {
    std::ifstream in(MagneticStripeCards::UnknownSwipeFile::Path(), std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveUnknownFile() {
    std::filesystem::remove(MagneticStripeCards::UnknownSwipeFile::Path());
}

} // namespace CardTests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char pattern[] = "/tmp/kestrin-card-tests-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 2;
    CardTests::g_area = pattern;
    const std::string hive = CardTests::g_area + "/registry.reg";
    std::ofstream(hive) << "Windows Registry Editor Version 5.00\r\n\r\n"
                        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n"
                        << "\"Log Folder\"=\"" << CardTests::g_area << "/logs\"\r\n"
                        << "\"Valid Age\"=dword:00000015\r\n";
    ::setenv("KESTRIN_REGISTRY", hive.c_str(), 1);
    // A settings store that cannot open the hive falls back to "My Log Files" in the start directory.
    if (::chdir(CardTests::g_area.c_str()) != 0)
        return 2;
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(CardTests::g_area, ignored);
    return status;
}
