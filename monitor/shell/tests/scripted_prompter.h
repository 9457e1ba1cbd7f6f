#pragma once

// Message boxes answered from a script: each question takes the next answer, then Ok.

#include "common/prompt/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace zeph::monitor::testing {

class ScriptedPrompter : public Prompter {
public:
    Answer ask(const std::string& text, Icon, Buttons) override {
        asked.push_back(text);
        if (answers.empty()) {
            return Answer::Ok;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;
    std::vector<std::string> asked;
};

} // namespace zeph::monitor::testing
