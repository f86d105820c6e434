// The text the top-level handler shows for an error message.
#pragma once

#include <string>

// Appends "." when the message is not empty and its last byte sorts above ".":
// a message ending in ".", "'", ")" or a blank stays as it is.
std::string WithClosingPeriod(std::string message);
