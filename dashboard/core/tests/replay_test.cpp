// Recorded output of real receivers, and a receiver's output damaged on the line, replayed
// into the core in simulated time, one recorded fix a second, as the window's timers run it.

#include "dashboard/core/display_texts.h"
#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/replay.h"

#include "common/testing/temp_dir.h"
#include "common/text/strprintf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace zeph::dashboard {
namespace {

using namespace std::chrono_literals;
using testing::FakePort;
using testing::PacedPort;
using testing::RecordingPrompter;
using testing::ShownLog;

std::vector<std::string> splitFields(const std::string& sentence) {
    std::vector<std::string> fields;
    std::stringstream in(sentence.substr(0, sentence.find('*')));
    for (std::string field; std::getline(in, field, ',');) {
        fields.push_back(field);
    }
    if (!sentence.empty() && sentence.substr(0, sentence.find('*')).back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

// A capture cut into fixes: a fix starts where a sentence carries a time other than the
// fix's own.
struct Fix {
    double seconds = -1; // of the day, from the fix's time; -1 without one
    std::vector<std::string> lines;
};

double secondsOfDay(const std::string& hhmmss) {
    if (hhmmss.size() < 6) {
        return -1;
    }
    return std::stoi(hhmmss.substr(0, 2)) * 3600 + std::stoi(hhmmss.substr(2, 2)) * 60 +
           std::stod(hhmmss.substr(4));
}

std::vector<Fix> readFixes(const std::string& name) {
    std::ifstream in(std::string(DASH_CAPTURES_DIR) + "/" + name, std::ios::binary);
    std::vector<Fix> fixes(1);
    std::string fixTime;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
        }
        const std::vector<std::string> f = splitFields(l);
        std::string time;
        if (f.size() > 1 && (f[0].ends_with("GGA") || f[0].ends_with("RMC"))) {
            time = f[1];
        } else if (f.size() > 5 && f[0].ends_with("GLL")) {
            time = f[5];
        }
        if (!time.empty() && time != fixTime) {
            if (!fixTime.empty()) {
                fixes.emplace_back();
            }
            fixTime = time;
            fixes.back().seconds = secondsOfDay(time);
        }
        fixes.back().lines.push_back(l + "\r\n");
    }
    return fixes;
}

// The GPS satellite table a complete GSV set gives: its first 12 satellites, 0 for an empty
// or missing field.
struct CaptureSet {
    double doneMs;
    SatTable table;
};

class SetReader {
public:
    std::optional<SatTable> line(const std::string& l) {
        if (!l.starts_with("$GPGSV")) {
            return std::nullopt;
        }
        const std::vector<std::string> f = splitFields(l.substr(0, l.find('\r')));
        const int total = std::stoi(f.at(1));
        const int number = std::stoi(f.at(2));
        if (number == 1) {
            table_ = {};
            next_ = 1;
            row_ = 0;
        }
        if (number != next_) {
            next_ = 0;
            return std::nullopt;
        }
        for (std::size_t i = 4; i + 3 < f.size() + 3 && i < f.size(); i += 4, ++row_) {
            for (std::size_t c = 0; c < 4 && row_ < kSatRows; ++c) {
                const std::string& v = i + c < f.size() ? f[i + c] : std::string();
                table_[static_cast<std::size_t>(row_)][c] =
                    static_cast<int16_t>(v.empty() ? 0 : std::stoi(v));
            }
        }
        ++next_;
        if (number == total) {
            next_ = 0;
            return table_;
        }
        return std::nullopt;
    }

private:
    SatTable table_{};
    int next_ = 0;
    int row_ = 0;
};

struct Replay {
    explicit Replay(int baud)
        : port1(clock, baud), core(timers, port1, port2, file, prompter, &shown) {
        shown.state = &core.state();
        timers.setClient(&core);
    }

    zeph::testing::TempDir dir;
    SettingsFile file{dir.path("nmea.dat")};
    FakeClock clock;
    ClockTimers timers{clock};
    PacedPort port1;
    FakePort port2;
    RecordingPrompter prompter;
    ShownLog shown{clock};
    TrekdashCore core;
};

struct CaptureCase {
    const char* file;
    int baud;
};

TEST(RecordedCaptures, TheSkyViewFollowsTheCapturesSatellitesAndThePositionAndTimeShow) {
    const std::vector<CaptureCase> cases = {{"logger_2008-02-03.nmea", 4800},
                                            {"logger_2008-08-14.nmea", 4800},
                                            {"vehicle_2008-03-03.nmea", 9600},
                                            {"gps_glonass_2016-01-25.nmea", 38400}};
    for (const CaptureCase& c : cases) {
        const std::vector<Fix> fixes = readFixes(c.file);
        ASSERT_GT(fixes.size(), 20u) << c.file;
        // The fixes as far apart as they were recorded, but at most a second (a logger's
        // half-minute is a second here), round again until a minute is full.
        Replay r(c.baud);
        std::vector<CaptureSet> sets;
        std::set<std::string> times;
        std::set<std::string> latitudes;
        SetReader reader;
        double sendAt = 300;
        for (std::size_t k = 0; sendAt < 60000 || k < std::min<std::size_t>(fixes.size(), 300);
             ++k) {
            const Fix& fix = fixes[k % fixes.size()];
            for (const std::string& l : fix.lines) {
                const double done = r.port1.send(sendAt, l);
                if (const auto table = reader.line(l)) {
                    sets.push_back({done, *table});
                }
                const std::vector<std::string> f = splitFields(l);
                if (f[0].ends_with("RMC") && f.size() > 4) {
                    times.insert(f[1]);
                    latitudes.insert(f[3] + "       " + f[4]);
                }
            }
            const Fix& next = fixes[(k + 1) % fixes.size()];
            const double apart = next.seconds - fix.seconds;
            sendAt += 1000 * (apart > 0 ? std::clamp(apart, 0.2, 1.0) : 1.0);
        }
        const int seconds = static_cast<int>(sendAt / 1000) + 1;
        ASSERT_GE(sets.size(), 10u) << c.file;

        PositionCore position;
        TimeCore time;
        position.activate();
        time.shown();
        std::set<std::string> timesShown;
        r.core.load();
        r.core.activate();
        for (int t = 0; t < seconds; ++t) {
            r.timers.runFor(1000ms);
            position.tick(r.core.state());
            time.tick(r.core.state());
            timesShown.insert(time.time());
        }

        // Every table shown is one of the two newest sets that had arrived when it was taken
        // (the collection's tick, 1.25 s before the view's), and it moves on all the time.
        double longestSetGap = 0;
        for (std::size_t i = 1; i < sets.size(); ++i) {
            longestSetGap = std::max(longestSetGap, sets[i].doneMs - sets[i - 1].doneMs);
        }
        std::set<std::vector<int16_t>> distinct;
        double previous = sets.front().doneMs;
        for (const ShownLog::Shown& s : r.shown.log) {
            if (s.table == SatTable{}) {
                continue;
            }
            std::size_t newest = 0;
            while (newest + 1 < sets.size() && sets[newest + 1].doneMs <= s.atMs - 1250) {
                ++newest;
            }
            const bool fromCapture =
                s.table == sets[newest].table || (newest > 0 && s.table == sets[newest - 1].table);
            EXPECT_TRUE(fromCapture) << c.file << " at " << s.atMs;
            EXPECT_LE(s.atMs - previous, longestSetGap + 2250 + 1000) << c.file << " at " << s.atMs;
            previous = s.atMs;
            distinct.insert({&s.table[0][0], &s.table[0][0] + kSatRows * kSatColumns});
            // What was drawn: the bar row prints each row's SNR and PRN, and the symbols carry
            // the PRNs of the rows in view.
            if (!s.ops) {
                continue; // a set that names one satellite twice is not drawn
            }
            std::vector<std::string> printed;
            std::vector<std::string> expected;
            for (const DrawOp& op : *s.ops) {
                if (op.kind == DrawOp::Kind::Text) {
                    printed.push_back(op.text);
                }
            }
            for (int row = 0; row < std::min<int>(s.inView, kSatRows); ++row) {
                const auto& sat = s.table[static_cast<std::size_t>(row)];
                if (sat[kSatPrn] > 0) {
                    expected.push_back(std::to_string(sat[kSatSnr]));
                    expected.push_back(std::to_string(sat[kSatPrn]));
                }
                const SatSymbol& symbol = s.symbols[static_cast<std::size_t>(row)];
                EXPECT_TRUE(symbol.visible) << c.file << " row " << row;
                EXPECT_EQ(symbol.caption, std::to_string(sat[kSatPrn])) << c.file << " row " << row;
            }
            EXPECT_EQ(printed, expected) << c.file << " at " << s.atMs;
        }
        EXPECT_GE(previous, 1000.0 * seconds - longestSetGap - 3250)
            << c.file << ": still refreshing";
        std::set<std::vector<int16_t>> distinctSent;
        for (const CaptureSet& set : sets) {
            distinctSent.insert({&set.table[0][0], &set.table[0][0] + kSatRows * kSatColumns});
        }
        EXPECT_GE(distinct.size(), std::min<std::size_t>(10, distinctSent.size())) << c.file;

        // Position and time as the windows show them, from the capture's own sentences.
        EXPECT_EQ(latitudes.count(r.core.state().LatitudeText), 1u)
            << c.file << ": " << r.core.state().LatitudeText;
        EXPECT_NE(position.latitude().find("*  "), std::string::npos) << c.file;
        EXPECT_NE(position.longitude().find("*  "), std::string::npos) << c.file;
        std::set<std::string> wholeSeconds;
        for (const std::string& t : times) {
            wholeSeconds.insert(t.substr(0, 6));
        }
        EXPECT_GE(timesShown.size(),
                  std::min<std::size_t>(static_cast<std::size_t>(seconds / 4), wholeSeconds.size()))
            << c.file;
        for (const std::string& shownTime : timesShown) {
            if (shownTime.empty()) {
                continue;
            }
            // "12(h) 35(m) 19(s)" back to the sentence's "123519".
            const std::string hhmmss = shownTime.substr(0, 2) + shownTime.substr(6, 2) +
                                       shownTime.substr(shownTime.find("(m) ") + 4, 2);
            const bool sent = std::any_of(times.begin(), times.end(), [&](const std::string& t) {
                return t.starts_with(hhmmss);
            });
            EXPECT_TRUE(sent) << c.file << ": " << shownTime;
        }
        EXPECT_TRUE(r.prompter.messages.empty());
    }
}

TEST(RecordedCaptures, AReceiverWithoutAFixShowsItsStatus) {
    Replay r(4800);
    const std::vector<Fix> fixes = readFixes("no_fix_2017-06-10.nmea");
    ASSERT_EQ(fixes.size(), 1u);
    for (int k = 0; k < 10; ++k) {
        for (const std::string& l : fixes[0].lines) {
            r.port1.send(1000.0 * k, l);
        }
    }
    r.core.load();
    r.core.activate();
    r.core.setGsvDecoded(true); // it sends no GSV: as if a set had come before the fix was lost
    r.timers.runFor(10s);
    EXPECT_EQ(r.core.state().FixStatusText, "Data not Valid");
    EXPECT_EQ(r.core.state().LatitudeText, "0000.0000       N");
    EXPECT_EQ(r.core.state().DateText, "100617");
}

enum Group { kRmc, kGsa, kGga, kGsv, kGroups };

std::array<std::string, kGroups> groupsOf(const ReceiverState& s) {
    std::string sats = std::to_string(s.SatsInView);
    for (const auto& row : s.SatInfo) {
        for (const int16_t v : row) {
            sats += "," + std::to_string(v);
        }
    }
    return {s.UtcTime + "|" + s.FixStatusText + "|" + s.LatitudeText + "|" + s.LongitudeText + "|" +
                s.DateText + "|" + std::to_string(s.CourseDeg) + "|" + std::to_string(s.SpeedKnots),
            s.PdopText + "|" + s.HdopText + "|" + s.VdopText,
            std::to_string(s.FixQuality) + "|" + s.AltitudeText, sats};
}

// A stream through the core; what ReceiverState held every quarter of a second. Each second's
// text arrives at once, so that a longer text does not hold up what follows it on the line.
std::vector<std::array<std::string, kGroups>> run(const std::vector<std::string>& stream,
                                                  int seconds) {
    Replay r(100'000'000);
    for (std::size_t k = 0; k < stream.size(); ++k) {
        r.port1.send(1000.0 * static_cast<double>(k) + 100, stream[k]);
    }
    r.core.load();
    r.core.activate();
    StatusCore status; // open, it keeps the rolling copy of the text short
    status.activate();
    std::vector<std::array<std::string, kGroups>> states;
    for (int q = 0; q < seconds * 4; ++q) {
        r.timers.runFor(250ms);
        status.tick(r.core.state());
        states.push_back(groupsOf(r.core.state()));
    }
    return states;
}

struct DamageCase {
    const char* what;
    int second;  // the first second whose text is damaged
    int seconds; // how many are: the view takes one set of about every two
    std::function<void(std::vector<std::string>& lines)> damage;
    std::set<Group> changes; // what may change, for a few seconds from then on
};

TEST(DamagedInput, ChangesNothingButWhatTheDamagedSentenceCarries) {
    constexpr int kSeconds = 24;
    const std::vector<DamageCase> cases = {
        {"binary noise between sentences",
         10,
         1,
         [](auto& l) {
             l[1].insert(0, std::string("\x00\xff\x1b\x80\xa0$\x7f", 7));
             l[3] += std::string("\x01\x02\x03\xfe\r\n\x00", 7);
         },
         {}},
        {"a line of 600 characters",
         10,
         1,
         [](auto& l) { l[2] = std::string(600, 'A') + "\r\n" + l[2]; },
         {}},
        {"a GSV set announcing 14 satellites",
         10,
         3,
         [](auto& l) {
             for (int m = 2; m <= 4; ++m) {
                 l[static_cast<std::size_t>(m)].replace(11, 2, "14");
             }
         },
         {kGsv}},
        {"a GSV set of five messages",
         10,
         3,
         [](auto& l) {
             for (int m = 2; m <= 4; ++m) {
                 l[static_cast<std::size_t>(m)][7] = '5';
                 l[static_cast<std::size_t>(m)].replace(11, 2, "20");
             }
             l.insert(l.begin() + 5, {"$GPGSV,5,4,20,40,1,2,3,41,1,2,3,42,1,2,3,43,1,2,3*00\r\n",
                                      "$GPGSV,5,5,20,44,1,2,3,45,1,2,3,46,1,2,3,47,1,2,3*00\r\n"});
         },
         {kGsv}},
        {"empty and non-numeric RMC fields",
         10,
         1,
         [](auto& l) { l[5] = "$GPRMC,000010.000,A,,,12100.5678,E,,abc,230394,,*00\r\n"; },
         {kRmc}},
        {"a fix quality that is no number",
         10,
         1,
         [](auto& l) {
             l[0] = "$GPGGA,000010.000,2446.0010,N,12100.5678,E,x,08,1.4,110.0,M,,M,,*00\r\n";
         },
         {kGga}},
        {"empty and non-numeric GSV fields",
         10,
         3,
         [](auto& l) { l[3] = "$GPGSV,3,2,11,05,ab,,30,06,,,,07,1x,020,,08,,,*00\r\n"; },
         {kGsv}},
        {"a sentence cut off by the next",
         10,
         1,
         [](auto& l) { l[0] = l[0].substr(0, 30); },
         {kGga}},
        {"a truncated last line",
         kSeconds - 4,
         1,
         [](auto& l) {
             l[5] = l[5].substr(0, 40);
             l.resize(6);
         },
         {kRmc}},
    };
    std::vector<std::string> clean;
    for (int k = 0; k < kSeconds - 3; ++k) {
        std::string second;
        for (const std::string& line : testing::movingSecond(k)) {
            second += line;
        }
        clean.push_back(second);
    }
    const auto cleanStates = run(clean, kSeconds);
    for (const DamageCase& c : cases) {
        std::vector<std::string> dirty = clean;
        for (int k = c.second; k < c.second + c.seconds; ++k) {
            std::vector<std::string> lines = testing::movingSecond(k);
            c.damage(lines);
            dirty[static_cast<std::size_t>(k)].clear();
            for (const std::string& line : lines) {
                dirty[static_cast<std::size_t>(k)] += line;
            }
        }
        if (c.second == kSeconds - 4) {
            dirty.resize(static_cast<std::size_t>(c.second) + 1); // the line is the last one
        }
        const auto dirtyStates = run(dirty, kSeconds);
        std::set<Group> changed;
        for (std::size_t q = 0; q < cleanStates.size(); ++q) {
            const double ms = 250.0 * static_cast<double>(q + 1);
            for (int g = 0; g < kGroups; ++g) {
                if (cleanStates[q][static_cast<std::size_t>(g)] ==
                    dirtyStates[q][static_cast<std::size_t>(g)]) {
                    continue;
                }
                changed.insert(static_cast<Group>(g));
                EXPECT_TRUE(c.changes.count(static_cast<Group>(g)) == 1 && ms > 1000.0 * c.second &&
                            ms < 1000.0 * (c.second + 5))
                    << c.what << ": group " << g << " at " << ms << " ms\n"
                    << cleanStates[q][static_cast<std::size_t>(g)] << "\n"
                    << dirtyStates[q][static_cast<std::size_t>(g)];
            }
        }
        EXPECT_EQ(changed, c.changes) << c.what;
    }
}

} // namespace
} // namespace zeph::dashboard
