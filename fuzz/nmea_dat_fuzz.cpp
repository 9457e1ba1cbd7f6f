// The dashboard's settings record file, "nmea.dat", of any length and content: the program
// start reads it and opens its port, the two settings windows show it, and what is read is
// written and read back unchanged.

#include "dashboard_fakes.h"
#include "fuzz_files.h"

#include "dashboard/core/settings_forms.h"
#include "dashboard/core/trekdash_core.h"

#include <algorithm>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::dashboard;
    using zeph::fuzz::check;
    auto& folder = zeph::fuzz::ScratchFolder::instance();
    const SettingsFile file(folder.write(kSettingsFileName, data, size));

    fuzz::FeedPort port1;
    fuzz::FeedPort port2;
    fuzz::StillTimers timers;
    fuzz::SilentPrompter prompter;
    TrekdashCore core(timers, port1, port2, file, prompter);
    core.load();
    const SettingsRecord& read = core.state().Settings;
    for (const int16_t p : {read.port, read.source1Port, read.source2Port}) {
        check(p >= 1 && p <= kComPorts, "a port read is a COM port");
    }
    check(port1.port == read.port, "port 1 opens on the port read");
    if (size >= SettingsRecord::kBytes) {
        const auto bytes =
            std::span<const uint8_t, SettingsRecord::kBytes>(data, SettingsRecord::kBytes);
        const auto encoded = SettingsRecord::decode(bytes).encode();
        check(std::equal(encoded.begin(), encoded.end(), data),
              "a record encodes to the bytes it was decoded from");
    } else {
        check(read == SettingsRecord::firstStart(), "a short file reads as a first start");
    }

    SetFormCore set(core, prompter);
    set.load();
    check(set.comIndex() == read.port - 1, "the settings window shows the port read");
    DoubleFormCore both(core, prompter);
    both.activate();
    check(both.source1Port() == read.source1Port && both.source2Port() == read.source2Port,
          "the two-receiver window shows the ports read");

    const SettingsRecord kept = read;
    check(file.write(kept) && file.read() == kept, "a record written reads back the same");
    return 0;
}
