// Data files read as Intel HEX records: both passes of the image loader.

#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::flash;
    return fuzz::fuzzImage(ImageFormat::IntelHex, "image.hex", data, size);
}
