#pragma once

// Answers questions from a script and keeps every text it was shown.

#include "common/prompt/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace zeph::burnfront {

class ScriptedPrompter : public Prompter {
public:
    Answer ask(const std::string& text, Icon icon, Buttons buttons) override {
        shown.push_back(text);
        icons.push_back(icon);
        if (buttons == Buttons::Ok || answers.empty()) {
            return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;
    std::vector<std::string> shown;
    std::vector<Icon> icons;
};

} // namespace zeph::burnfront
