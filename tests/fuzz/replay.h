// Replays fuzz inputs through a harness in an ordinary test binary, so the corpus runs with every
// test run: each committed input is a regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// The files of a corpus folder, sorted by name.
std::vector<std::string> corpusFiles(const std::string& folder);

// Runs one input file through the harness; false if it cannot be read.
bool replay(const std::string& path);

}  // namespace fuzz
