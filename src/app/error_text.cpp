// The period rule of shown error messages.
#include "error_text.h"

std::string WithClosingPeriod(std::string message)
{
    // Compared as unsigned bytes: an umlaut (0xE4) ends a word and gets its period.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}
