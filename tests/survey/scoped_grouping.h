// Sets the process's digit grouping for a test and puts the previous one back, also when
// the test leaves by an exception.
#pragma once

#include "survey/number_format.h"

class ScopedGrouping {
public:
    explicit ScopedGrouping(char separator) : saved_(GroupingSeparator) { GroupingSeparator = separator; }
    ~ScopedGrouping() { GroupingSeparator = saved_; }
    ScopedGrouping(const ScopedGrouping&) = delete;
    ScopedGrouping& operator=(const ScopedGrouping&) = delete;

private:
    char saved_;
};
