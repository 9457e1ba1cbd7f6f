// The engine's pipe records as the front end reads them: the stream split by the reader in
// pieces of any size must give the records, and the failure, that decoding it whole gives;
// every record must come back unchanged through the engine's writer, and the dialog fields
// must take it.

#include "fuzz_files.h"

#include "flash/engine/cli/pipe_record.h"
#include "flash/frontend/core/run_fields.h"

#include <span>
#include <vector>

namespace {

using zeph::fuzz::check;
using namespace zeph::flash;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);

    // Whole: record after record until the stream needs more or breaks.
    std::vector<PipeRecord> whole;
    bool wholeFailed = false;
    size_t at = 0;
    for (;;) {
        PipeDecodeResult r = decodePipeRecord(bytes.subspan(at));
        if (r.status == PipeDecodeStatus::Malformed) {
            wholeFailed = true;
            break;
        }
        if (r.status == PipeDecodeStatus::NeedMore) {
            break;
        }
        check(r.consumed >= 9 && r.consumed <= size - at, "a record consumes what it holds");
        check(r.record.text.size() <= kPipeRecordMaxText, "a record's text fits its limit");
        check(r.record.text.find('\0') == std::string::npos, "a record's text ends at its zero");
        // The engine's writer gives a record that reads back the same.
        const std::vector<uint8_t> again = encodePipeRecord(r.record.code, r.record.text);
        const PipeDecodeResult back = decodePipeRecord(again);
        check(back.status == PipeDecodeStatus::Complete && back.record == r.record &&
                  back.consumed == again.size(),
              "a written record reads back unchanged");
        whole.push_back(std::move(r.record));
        at += r.consumed;
    }

    // In pieces: the first byte of each piece says how long it is.
    PipeRecordReader reader;
    std::vector<PipeRecord> pieces;
    size_t from = 0;
    while (from < size) {
        const size_t n = std::min<size_t>(1 + data[from] % 97, size - from);
        reader.feed(bytes.subspan(from, n));
        from += n;
        while (auto record = reader.next()) {
            pieces.push_back(std::move(*record));
        }
    }
    check(pieces == whole, "the reader gives the records the stream holds");
    check(reader.failed() == wholeFailed, "the reader fails where the stream breaks");

    zeph::burnfront::RunFields fields;
    for (const PipeRecord& record : whole) {
        zeph::burnfront::applyRecord(record, fields);
        check(fields.xfer >= 0 && fields.xfer <= 100 && fields.prog >= 0 && fields.prog <= 100,
              "the progress bars stay within 0..100");
    }
    return 0;
}
