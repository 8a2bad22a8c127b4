// The question the install job asks when an entry is in the way of an item
// or a link whose collision rule is "Prompt": "Don't Replace" (0) or
// "Replace" (1), with the facts of the existing and of the incoming entry
// and the "Apply to all future collisions" check box. It goes through
// BAlert with the kind "replace", so that the installer window can show it
// in its own dialog and tests and unattended runs can answer it.
#pragma once

#include <Alert.h>

// Fact labels, in the order added: the existing entry's six rows, the row
// "With" (no value), then the incoming entry's six rows.
extern const char* const kReplaceFactLabels[6];

// Builds the question for incoming (the item about to be placed) and
// existing (the entry in the way).
void BuildReplaceQuestion(const char* incoming, const char* existing, BAlert& alert);

// Asks it; the answer holds the pressed button and the check box's state.
BAlertAnswer AskReplaceQuestion(const char* incoming, const char* existing);
