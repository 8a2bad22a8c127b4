// Presents alerts on a terminal: prints the text, the facts and the
// buttons, then reads the answer (a button number or its first letter) from
// the input when one is given and interactive. Otherwise, or at end of
// input, it answers by rule: a rule set for the request's kind, else the
// answer set for unanswered questions of that kind, else the request's
// default button. Every question is printed with the answer that was taken
// (and, when nobody answered, with a note saying so), so that the
// transcript of an unattended run is complete.
#pragma once

#include <AlertPresenter.h>

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>

class ConsoleAlertPresenter : public BAlertPresenter {
public:
    using Rule = std::function<BAlertAnswer(const BAlertRequest&)>;

    // out: where questions are printed; in: where answers are read, or null
    // for an unattended run.
    ConsoleAlertPresenter(FILE* out, FILE* in);

    // Answers every request of this kind by the rule instead of asking.
    void SetRule(const std::string& kind, Rule rule);

    // The answer to a question of this kind that has no rule when no answer
    // can be read (no terminal, or end of input), instead of the default
    // button: for questions whose default would lose something.
    void SetUnansweredRule(const std::string& kind, Rule rule);

    BAlertAnswer Ask(const BAlertRequest& request) override;
    status_t Notify(const BAlertRequest& request) override;

private:
    void Print(const BAlertRequest& request);
    bool ReadAnswer(const BAlertRequest& request, BAlertAnswer& answer);

    FILE* fOut;
    FILE* fIn;
    std::map<std::string, Rule> fRules;
    std::map<std::string, Rule> fUnansweredRules;
    std::mutex fLock;
};
