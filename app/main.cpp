// The kestrin executable: the age-verification station.
#include "CommandLine.h"
#include "Fonts.h"
#include "Kestrin.h"
#include "KestrinResources.h"

#include <QApplication>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
    // --version and --help need no display: answer them before QApplication looks for one.
    if (const auto text = CommandLine::InfoText(argc, argv)) {
        std::fputs(text->c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    try {
        QApplication app(argc, argv);
        InitKestrinResources();
        Fonts::InstallFontSubstitutions();
        Kestrin kestrin;
        return kestrin.InitInstance();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrin: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "kestrin: start-up failed\n");
    }
    return 1;
}
