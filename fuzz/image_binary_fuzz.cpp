// Data files read as raw binary: both passes of the image loader.

#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::flash;
    return fuzz::fuzzImage(ImageFormat::Binary, "image.bin", data, size);
}
