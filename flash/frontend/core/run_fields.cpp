#include "flash/frontend/core/run_fields.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace zeph::burnfront {

namespace {

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

std::optional<int> toInt(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < INT32_MIN || v > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

std::optional<double> toDouble(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') {
        return std::nullopt;
    }
    return v;
}

int percent(int v) {
    return std::clamp(v, 0, 100);
}

} // namespace

int endOfRunStatus(const std::string& text) {
    const std::vector<std::string> w = words(text);
    return w.empty() ? 1 : toInt(w[0]).value_or(1);
}

void RunFields::startRun(bool programming) {
    total = "0.0";
    erase = programming ? "0.0" : "";
    burn = programming ? "0.0" : "";
}

void RunFields::childStarted() {
    xfer = 0;
    prog = 0;
    manufacturer.clear();
    model.clear();
    chips.clear();
    fileType.clear();
    lowestAddress.clear();
    highestAddress.clear();
}

RecordEffect applyRecord(const flash::PipeRecord& record, RunFields& f) {
    RecordEffect effect;
    const std::vector<std::string> w = words(record.text);
    switch (record.code) {
    case kChipIdentified:
        if (w.size() >= 3) {
            f.chips = w[0];
            f.manufacturer = w[1];
            f.model = w[2];
            effect.fieldsChanged = true;
        }
        break;
    case kInputScanned:
        if (w.size() >= 3) {
            f.fileType = w[0];
            f.lowestAddress = w[1];
            f.highestAddress = w[2];
            effect.fieldsChanged = true;
        }
        break;
    case kProgrammingDone:
        if (w.size() >= 3) {
            const auto t = toDouble(w[0]), e = toDouble(w[1]), p = toDouble(w[2]);
            if (t && e && p) {
                f.totalTime = *t;
                f.eraseTime = *e;
                f.programTime = *p;
            }
        }
        break;
    case kReadingDone:
        if (const auto t = w.empty() ? std::nullopt : toDouble(w[0])) {
            f.totalTime = *t;
        }
        break;
    case kProgrammingProgress:
        if (w.size() >= 5) {
            const auto x = toInt(w[0]), p = toInt(w[1]);
            if (x && p) {
                f.xfer = percent(*x);
                f.prog = percent(*p);
                f.erase = w[2];
                f.burn = w[3];
                f.total = w[4];
                effect.fieldsChanged = true;
            }
        }
        break;
    case kReadingProgress:
        if (w.size() >= 2) {
            if (const auto x = toInt(w[0])) {
                f.xfer = percent(*x);
                f.total = w[1];
                effect.fieldsChanged = true;
            }
        }
        break;
    case kEndOfRun:
        effect.exitStatus = endOfRunStatus(record.text);
        break;
    default:
        if (record.code <= kLastFatalCode) {
            std::string text = record.text;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
                text.pop_back();
            }
            effect.message = text;
        }
        break;
    }
    return effect;
}

} // namespace zeph::burnfront
