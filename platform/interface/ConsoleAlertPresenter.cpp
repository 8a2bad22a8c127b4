#include <ConsoleAlertPresenter.h>

#include <cctype>
#include <cstring>
#include <unistd.h>

namespace {

const char* TypeLabel(alert_type type)
{
    switch (type) {
    case B_STOP_ALERT: return "Error";
    case B_WARNING_ALERT: return "Warning";
    case B_IDEA_ALERT: return "Note";
    case B_INFO_ALERT: return "Information";
    default: return "Message";
    }
}

std::string Trimmed(const char* text)
{
    std::string s = text;
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    size_t start = 0;
    while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start])))
        start++;
    return s.substr(start);
}

} // namespace

ConsoleAlertPresenter::ConsoleAlertPresenter(FILE* out, FILE* in)
    : fOut(out)
    , fIn(in)
{
}

void ConsoleAlertPresenter::SetRule(const std::string& kind, Rule rule)
{
    std::lock_guard<std::mutex> guard(fLock);
    fRules[kind] = std::move(rule);
}

void ConsoleAlertPresenter::SetUnansweredRule(const std::string& kind, Rule rule)
{
    std::lock_guard<std::mutex> guard(fLock);
    fUnansweredRules[kind] = std::move(rule);
}

void ConsoleAlertPresenter::Print(const BAlertRequest& request)
{
    if (fOut == nullptr)
        return;
    std::fprintf(fOut, "%s: %s\n", TypeLabel(request.type), request.text.c_str());
    for (const auto& [label, value] : request.facts)
        std::fprintf(fOut, "    %s: %s\n", label.c_str(), value.c_str());
    if (!request.checkBoxLabel.empty())
        std::fprintf(fOut, "    [%c] %s\n", request.checkBoxValue ? 'x' : ' ', request.checkBoxLabel.c_str());
}

bool ConsoleAlertPresenter::ReadAnswer(const BAlertRequest& request, BAlertAnswer& answer)
{
    if (fIn == nullptr || ::isatty(::fileno(fIn)) == 0)
        return false;
    for (;;) {
        if (fOut != nullptr) {
            for (size_t i = 0; i < request.buttons.size(); i++)
                std::fprintf(fOut, "  %zu) %s\n", i + 1, request.buttons[i].c_str());
            if (!request.checkBoxLabel.empty())
                std::fprintf(fOut, "  (add \"!\" to the number to tick \"%s\")\n", request.checkBoxLabel.c_str());
            std::fprintf(fOut, "Answer [%d]: ", int(request.defaultButton + 1));
            std::fflush(fOut);
        }
        char line[256];
        if (std::fgets(line, sizeof(line), fIn) == nullptr)
            return false;
        std::string text = Trimmed(line);
        answer.checkBox = request.checkBoxValue;
        if (!text.empty() && text.back() == '!') {
            answer.checkBox = true;
            text.pop_back();
        }
        if (text.empty()) {
            answer.button = request.defaultButton;
            return true;
        }
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        if (end != nullptr && *end == '\0' && number >= 1 && number <= long(request.buttons.size())) {
            answer.button = int32(number - 1);
            return true;
        }
        for (size_t i = 0; i < request.buttons.size(); i++) {
            if (!request.buttons[i].empty()
                && std::tolower(static_cast<unsigned char>(request.buttons[i][0]))
                    == std::tolower(static_cast<unsigned char>(text[0]))) {
                answer.button = int32(i);
                return true;
            }
        }
    }
}

BAlertAnswer ConsoleAlertPresenter::Ask(const BAlertRequest& request)
{
    std::lock_guard<std::mutex> guard(fLock);
    Print(request);
    BAlertAnswer answer;
    answer.button = request.defaultButton;
    answer.checkBox = request.checkBoxValue;
    bool unanswered = false;
    const auto rule = fRules.find(request.kind);
    if (rule != fRules.end()) {
        answer = rule->second(request);
    } else if (request.buttons.size() > 1 && !ReadAnswer(request, answer)) {
        const auto fallback = fUnansweredRules.find(request.kind);
        if (fallback != fUnansweredRules.end()) {
            answer = fallback->second(request);
            unanswered = true;
        }
    }
    if (answer.button < 0 || answer.button >= int32(request.buttons.size()))
        answer.button = request.defaultButton;
    if (fOut != nullptr && !request.buttons.empty()) {
        std::fprintf(fOut, "  -> %s%s%s\n", request.buttons[size_t(answer.button)].c_str(),
            answer.checkBox && !request.checkBoxLabel.empty() ? (" (" + request.checkBoxLabel + ")").c_str() : "",
            unanswered ? " (no answer was given: taking the choice that changes nothing)" : "");
        std::fflush(fOut);
    }
    return answer;
}

status_t ConsoleAlertPresenter::Notify(const BAlertRequest& request)
{
    std::lock_guard<std::mutex> guard(fLock);
    Print(request);
    if (fOut != nullptr)
        std::fflush(fOut);
    return B_OK;
}
