#include "monitor/shell/line_switching.h"

#include <string>

namespace zeph::monitor {

bool LineSwitching::reopen() {
    control_.closeSource();
    return control_.openSource();
}

// An initialisation that still waits for the acknowledgement of its rate change gives up when
// another line command goes out: an acknowledgement of that command's MID 134 must not set off
// a reset the user asked for long before.
void LineSwitching::endInitialisationWait() {
    state_.initAfterAck = false;
}

void LineSwitching::storeBaud(const std::string& baud) {
    DataSourceSettings line = control_.savedLine();
    line.serBaud = baud;
    control_.saveLine(line);
}

void LineSwitching::switchProtocol(int type, const std::optional<NmeaModeValues>& nmea) {
    endInitialisationWait();
    if (type == kSwitchToNmea) {
        if (!nmea) {
            return;
        }
        control_.sendNmeaMode(*nmea);
        state_.autoDetect = false; // an NMEA receiver tells no software version
        storeBaud(std::to_string(nmea->baud));
        if (reopen() && nmea->debugData) {
            control_.sendNmea(kDebugDataBody);
        }
        control_.writeLog(kNmeaModeSentLog);
    } else if (type == kSwitchToBinary) {
        control_.sendNmea(kSwitchToBinaryBody);
        control_.closeSource();
        DataSourceSettings line = control_.savedLine();
        line.serBaud = kBinaryBaud;
        line.serDbit = "8";
        line.serPar = "NONE";
        line.serSbit = "1";
        control_.saveLine(line);
        control_.openSource();
        control_.writeLog(kToBinarySentLog);
    } else {
        control_.writeLog(kIllegalNmeaModeLog);
    }
}

// Whatever protocol and rate the receiver is on, one of the sixteen sends reaches it: first the
// NMEA switch at every rate, then the binary port command at every rate. The port itself paces
// it (the pause on opening, the wait for the receiver's first byte before a write).
void LineSwitching::synchronise() {
    endInitialisationWait();
    for (const char* baud : kSyncBauds) {
        storeBaud(baud);
        if (!reopen()) {
            return;
        }
        control_.sendNmea(kSwitchToBinaryBody);
    }
    for (const char* baud : kSyncBauds) {
        storeBaud(baud);
        if (!reopen()) {
            return;
        }
        const DataSourceSettings line = control_.savedLine();
        control_.sendSetSerialPort(134, {kBinaryBaud, line.serDbit, line.serPar, line.serSbit});
    }
    storeBaud(kBinaryBaud);
    reopen();
}

// The command leaves at the old rate; the monitor listens at the new one from then on.
void LineSwitching::setMainSerialPort(const LineValues& line) {
    endInitialisationWait();
    DataSourceSettings s = control_.savedLine();
    s.serBaud = line.baud;
    s.serDbit = line.dataBits;
    s.serPar = line.parity;
    s.serSbit = line.stopBits;
    control_.saveLine(s);
    control_.sendSetSerialPort(134, line);
    reopen();
}

void LineSwitching::setDgpsSerialPort(const LineValues& line) {
    control_.sendSetSerialPort(145, line);
}

void LineSwitching::configureUarts(const UartConfigRecord& record, uint32_t monitorBaud) {
    endInitialisationWait();
    control_.sendUartConfiguration(record);
    const std::string baud = std::to_string(monitorBaud);
    if (monitorBaud == 0 || baud == control_.savedLine().serBaud) {
        return;
    }
    control_.closeSource();
    storeBaud(baud);
    control_.openSource();
}

void LineSwitching::initialise() {
    if (state_.targetSwClass == kSwZephNav) {
        sendInitialisation();
        return;
    }
    const DataSourceSettings line = control_.savedLine();
    const ReceiverInitSettings init = control_.savedInit();
    const unsigned long baud = leadingNumber(line.serBaud);
    if ((init.cfgBits & (kResetNavLibData | kResetDebugData)) != 0 &&
        baud < leadingNumber(kDevelopmentDataBaud)) {
        // The receiver is told the faster rate first; the initialisation follows its
        // acknowledgement, on the reopened port.
        storeBaud(kDevelopmentDataBaud);
        control_.sendSetSerialPort(134,
                                   {kDevelopmentDataBaud, line.serDbit, line.serPar, line.serSbit});
        state_.initAfterAck = true;
        if (!reopen()) {
            state_.initAfterAck = false; // no acknowledgement can come
        }
        return;
    }
    sendInitialisation();
    // A factory reset brings the receiver back to binary at 38400.
    if ((init.cfgBits & kResetFactory) != 0 && line.serBaud != kBinaryBaud) {
        storeBaud(kBinaryBaud);
        reopen();
    }
}

void LineSwitching::sendInitialisation() {
    state_.initAfterAck = false;
    control_.sendInitialisationMessage(control_.savedInit());
}

void LineSwitching::setPeriodicInitialisation(int seconds) {
    periodSeconds_ = seconds;
    lastInitialisation_ = clock_.now();
}

void LineSwitching::secondTick() {
    if (periodSeconds_ <= 0 ||
        clock_.now() - lastInitialisation_ < std::chrono::seconds(periodSeconds_)) {
        return;
    }
    lastInitialisation_ = clock_.now();
    sendInitialisation();
}

} // namespace zeph::monitor
