#include "control_run.h"

#include "monitor/messages/message_names.h"
#include "monitor/messages/message_records.h"
#include "monitor/messages/message_renderer.h"
#include "monitor/messages/output_catalogue.h"

#include <chrono>
#include <ctime>

namespace zeph::monitor {
namespace {

void printRendered(const RxMessage& msg, std::FILE* out) {
    std::string line;
    if (renderMessage(msg, line)) {
        std::fprintf(out, "%s\n", line.c_str());
    }
}

// The fields of a MID 43 echo (host order from the echoed MID on), one FIELD=VALUE a line.
void printEcho(const CommandSpec& spec, const RxMessage& msg, std::FILE* out) {
    const Layout* layout = commandEchoLayout(spec.mid);
    const size_t length = layout == nullptr ? 0 : layout->length;
    const CommandValues values = readEcho(spec, {msg.record.data() + 1, length}, EchoOrder::Host);
    for (const CommandField& f : spec.fields) {
        if (f.use == FieldUse::User) {
            std::fprintf(out, "%s=%s\n", f.name, fieldValueText(f, values.get(f.name)).c_str());
        }
    }
}

// Send Data's output on the session: framed by the monitor's framer, or as the bytes are.
class SessionOutput : public CommandOutput {
public:
    explicit SessionOutput(ReceiverSession& session) : session_(session) {}
    void sendBinary(const uint8_t* payload, size_t length) override {
        framed = session_.sendFrame({payload, payload + length});
    }
    void writeRaw(const uint8_t* bytes, size_t length) override { session_.sendRaw(bytes, length); }
    bool framed = true;

private:
    ReceiverSession& session_;
};

// The save's message boxes: where the file went on standard output, a failure on standard error.
class SaveMessages : public Prompter {
public:
    SaveMessages(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
    Answer ask(const std::string& text, Icon icon, Buttons) override {
        if (icon == Icon::Information) {
            std::fprintf(out_, "%s\n", text.c_str());
        } else {
            std::fprintf(err_, "zephctl: %s\n", text.c_str());
        }
        return Answer::Ok;
    }

private:
    std::FILE* out_;
    std::FILE* err_;
};

class Runner {
public:
    Runner(ReceiverSession& session, double timeoutSeconds, std::FILE* out, std::FILE* err)
        : session_(session), timeout_(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::duration<double>(timeoutSeconds))),
          seconds_(timeoutSeconds), out_(out), err_(err) {}

    int run(const ControlPlan& plan) {
        for (const ControlStep& step : plan.steps) {
            if (const int status = runStep(step, plan.echoOf); status != kExitAnswered) {
                return status;
            }
        }
        if (plan.save) {
            return save(*plan.save, plan.savePath);
        }
        if (!plan.finalError.empty()) {
            std::fprintf(err_, "zephctl: %s\n", plan.finalError.c_str());
            return kExitUsage;
        }
        return kExitAnswered;
    }

private:
    ReceiverSession::Deadline deadline() const {
        return std::chrono::steady_clock::now() + timeout_;
    }

    int noAnswer(const std::string& what) {
        std::fprintf(err_, "zephctl: %s within %g s\n", what.c_str(), seconds_);
        return kExitNotDone;
    }

    int runStep(const ControlStep& step, const CommandSpec* echoOf) {
        switch (step.kind) {
        case ControlStep::Kind::Reopen:
            if (const SerialStatus s = session_.open(step.baud); !s) {
                std::fprintf(err_, "zephctl: %s\n", s.message.c_str());
                return kExitNotDone;
            }
            return kExitAnswered;
        case ControlStep::Kind::Sentence:
            return session_.sendSentence(
                       {reinterpret_cast<const char*>(step.bytes.data()), step.bytes.size()})
                       ? kExitAnswered
                       : kExitUsage;
        case ControlStep::Kind::Traffic: {
            const bool heard = session_.waitFor(
                [&](const RxMessage& m) {
                    return step.binaryOnly ? m.mid != 255 : m.textCode != kLinkErrorCode;
                },
                deadline());
            return heard ? kExitAnswered
                         : noAnswer(strprintf("nothing %s from the receiver at %u baud",
                                              step.binaryOnly ? "in binary" : "readable",
                                              session_.baud()));
        }
        case ControlStep::Kind::SendData:
            return sendData(step);
        case ControlStep::Kind::Frame:
            break;
        }
        if (!session_.sendFrame(step.bytes)) {
            return kExitUsage;
        }
        return awaitAnswers(step, step.bytes, echoOf);
    }

    // The collection arrived whole: its file is written as the monitor writes it.
    int save(Collection collection, const std::string& path) {
        const bool almanac = collection == Collection::Almanac;
        if ((almanac ? session_.almanacsComplete() : session_.ephemeridesComplete()) == 0) {
            return noAnswer(almanac ? "no complete almanac" : "no complete ephemeris");
        }
        SaveMessages messages(out_, err_);
        CollectionFiles files(messages);
        files.setPending(collection, path);
        files.save(collection, session_.state(), std::time(nullptr));
        std::fflush(out_);
        return files.pending(collection).empty() ? kExitAnswered : kExitNotDone;
    }

    // The Send Data dialog's Send; a framed command waits for its acknowledgement.
    int sendData(const ControlStep& step) {
        SessionOutput output(session_);
        SendDataCommand command(session_);
        const std::string text(step.bytes.begin(), step.bytes.end());
        if (!command.send(text, step.wrapper, output) || !output.framed) {
            return kExitUsage;
        }
        if (!step.awaitAck) {
            return kExitAnswered;
        }
        return awaitAnswers(step, parseHexCommand(text).bytes, nullptr);
    }

    int awaitAnswers(const ControlStep& step, const std::vector<uint8_t>& payload,
                     const CommandSpec* echoOf) {
        const uint8_t mid = payload[0];
        const uint8_t subId = mid == 172 && payload.size() > 1 ? payload[1] : 0;
        const std::string name = constantName(mid, subId);
        if (!step.awaitAck && step.answerCount == 0) {
            return kExitAnswered;
        }
        // The acknowledgement and the answers, in whatever order they come.
        bool acknowledged = !step.awaitAck;
        bool rejected = false;
        int answers = 0;
        const bool done = session_.waitFor(
            [&](const RxMessage& m) {
                if (m.mid == 11 || m.mid == 12) {
                    const auto a = m.as<AckRecord>();
                    if (step.awaitAck && a.ackedMid == mid &&
                        (mid != 172 || a.ackedSubId == subId)) {
                        printRendered(m, out_);
                        acknowledged = m.mid == 11;
                        rejected = m.mid == 12;
                    }
                } else if (m.mid == step.answerMid && answers < step.answerCount &&
                           (m.mid != 43 || m.record[1] == step.echoedMid)) {
                    ++answers;
                    if (m.mid == 43 && echoOf != nullptr) {
                        printEcho(*echoOf, m, out_);
                    } else if (!step.quiet) {
                        printRendered(m, out_);
                    }
                }
                return rejected || (acknowledged && answers == step.answerCount);
            },
            deadline());
        std::fflush(out_);
        if (rejected) {
            return kExitNotDone;
        }
        if (!done) {
            return noAnswer((acknowledged ? "no answer to " : "no acknowledgement of ") + name);
        }
        std::fflush(out_);
        return kExitAnswered;
    }

    ReceiverSession& session_;
    std::chrono::milliseconds timeout_;
    double seconds_;
    std::FILE* out_;
    std::FILE* err_;
};

} // namespace

int runPlan(const ControlPlan& plan, ReceiverSession& session, double timeoutSeconds,
            std::FILE* out, std::FILE* err) {
    return Runner(session, timeoutSeconds, out, err).run(plan);
}

} // namespace zeph::monitor
