// Opens the input as a .PCX file and reads its tiles.
#include "FuzzSupport.h"
#include "ImageSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = FuzzSupport::writeInput("input.PCX", data, size);
    if (ImageSource* source = ImageSource::open(path)) {
        FuzzSupport::exercise(*source);
        source->release();
    }
    return 0;
}
