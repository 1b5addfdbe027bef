#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ImageSource;

namespace FuzzSupport {

// A folder of this process for the input file and the sheets mosaics list.
const std::string& workDir();
// Writes the input to workDir()/name and returns the path.
std::string writeInput(const std::string& name, const uint8_t* data, std::size_t size);
// Exercises an opened source: layer table, layer mask, a few tiles.
void exercise(ImageSource& source);

} // namespace FuzzSupport
