#pragma once

#include <string>

namespace zeph {

// Message boxes and questions reach the core only through this interface: the Qt side shows a
// QMessageBox, tests answer from a script, command-line tools print to standard error.
class Prompter {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;
    virtual Answer ask(const std::string& text, Icon icon, Buttons buttons) = 0;

    void tell(const std::string& text, Icon icon = Icon::Warning) { ask(text, icon, Buttons::Ok); }
};

} // namespace zeph
