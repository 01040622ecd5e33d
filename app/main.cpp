// The kestrin executable: the age-verification station.
#include "Fonts.h"
#include "Kestrin.h"
#include "KestrinResources.h"

#include <QApplication>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
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
