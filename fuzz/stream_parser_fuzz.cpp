#include "fuzz_core.h"

#include "monitor/link/stream_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::monitor;
    if (size == 0) {
        return 0;
    }
    fuzz::FuzzCore core(data[0]);
    StreamParser parser(core.context(), *core.msg);
    fuzz::feedInChunks(data + 1, size - 1,
                       [&](const uint8_t* chunk, size_t n) { parser.process(chunk, n); });
    return 0;
}
