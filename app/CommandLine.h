#pragma once
// The arguments kestrin answers itself, before any window, display or setting is touched: --version and
// --help print their text and end the program. Every other argument belongs to Qt (-platform, -display,
// ...) and reaches QApplication unchanged.

#include <optional>
#include <string>

namespace CommandLine {

// The text to print instead of starting the station, when an argument asks for one.
std::optional<std::string> InfoText(int argc, const char* const* argv);

} // namespace CommandLine
