#include "monitor/views/form_texts.h"

#include "monitor/views/dgps_view_texts.h"
#include "monitor/views/drovana_view_texts.h"
#include "monitor/views/geodetic_view_texts.h"
#include "monitor/views/nav_view_texts.h"

#include <cctype>

namespace zeph::monitor {

std::optional<FormView> formViewNamed(std::string_view name) {
    if (name == "nav") {
        return FormView::Navigation;
    }
    if (name == "geodetic") {
        return FormView::Geodetic;
    }
    if (name == "drovana") {
        return FormView::Drovana;
    }
    if (name == "dgps") {
        return FormView::Dgps;
    }
    return std::nullopt;
}

std::unique_ptr<FormTexts> makeFormTexts(FormView view) {
    switch (view) {
    case FormView::Navigation:
        return std::make_unique<NavViewTexts>();
    case FormView::Geodetic:
        return std::make_unique<GeodeticViewTexts>();
    case FormView::Drovana:
        return std::make_unique<DrovanaViewTexts>();
    case FormView::Dgps:
        return std::make_unique<DgpsViewTexts>();
    }
    return nullptr;
}

std::string shownText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '&' && k + 1 < text.size()) {
            ++k; // "&&" shows one '&'; "&x" shows x, underlined
        }
        shown += text[k];
    }
    return shown;
}

std::string validityLetters(unsigned bits, int highBit, std::string_view letters) {
    std::string text;
    int bit = highBit;
    for (char letter : letters) {
        if (!text.empty()) {
            text += ' ';
        }
        const bool set = ((bits >> bit) & 1u) != 0;
        const auto c = static_cast<unsigned char>(letter);
        text += static_cast<char>(set ? std::toupper(c) : std::tolower(c));
        --bit;
    }
    return text;
}

} // namespace zeph::monitor
