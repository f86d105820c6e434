// How the fuzz targets report a broken rule: the rule, the details, then abort(), which
// libFuzzer records as a crash together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Bytes as C escapes, so that a report shows tabs, quotes and high bytes unambiguously.
inline std::string Visible(std::string_view bytes)
{
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void FuzzFail(const char* rule, const std::string& details)
{
    std::fprintf(stderr, "broken rule: %s\n%s\n", rule, details.c_str());
    std::abort();
}

#define FUZZ_CHECK(condition, details)                                                                                 \
    do {                                                                                                               \
        if (!(condition)) FuzzFail(#condition, (details));                                                             \
    } while (false)
