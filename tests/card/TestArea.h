#pragma once
// The card tests install a sink that records what the decoder rejects, as the unknown-swipe file would
// hold it (each text followed by two line feeds).

#include <string>

namespace CardTests {

// What was rejected since the last RemoveUnknownFile, or "<missing>" when nothing was.
std::string ReadUnknownFile();
void RemoveUnknownFile();

} // namespace CardTests
