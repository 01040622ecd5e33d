#pragma once
// The card tests run in a temporary directory with KESTRIN_REGISTRY pointing at a temporary hive whose
// "Log Folder" lies inside it, so no test touches a real log folder.

#include <string>

namespace CardTests {

// The temporary directory (also the working directory while the tests run).
const std::string& TestArea();

// Content of the unknown-swipe file, or "<missing>" when it does not exist.
std::string ReadUnknownFile();
void RemoveUnknownFile();

} // namespace CardTests
