// Extended-precision arithmetic whose invalid operations, divisions by zero and overflows
// become errors, in a setting each computation puts in place for itself. The hardware keeps
// these exceptions masked: the conditions are read from the status flags after each checked
// operation, so no processor trap ever has to be turned into a C++ exception inside a frame
// of Windows' own.
#include "float_setting.h"

#include <cfenv>

#include "../errors.h"

namespace {

// All exceptions masked, precision control 64-bit significand, round to nearest.
constexpr unsigned short kExtendedMasked = 0x037F;

#if defined(__i386__) || defined(__x86_64__)
unsigned short ControlWord() noexcept
{
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

// The conditions still pending are cleared first, without waiting for them (fnclex, not
// fclex): under a control word that unmasks them, the next x87 instruction would trap.
void LoadControlWord(unsigned short word) noexcept { __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word)); }
#else
unsigned short ControlWord() noexcept { return kExtendedMasked; }
void LoadControlWord(unsigned short) noexcept {}
#endif

}  // namespace

void EstablishFloatSetting() noexcept
{
    LoadControlWord(kExtendedMasked);
    std::feclearexcept(FE_ALL_EXCEPT);
}

FloatSetting::FloatSetting() noexcept : callers_(ControlWord()) { EstablishFloatSetting(); }

FloatSetting::~FloatSetting() { LoadControlWord(callers_); }

long double CheckedDivide(long double a, long double b)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    volatile long double dividend = a;
    volatile long double quotient = dividend / b;
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised != 0) {
        std::feclearexcept(FE_ALL_EXCEPT);
        if (raised & FE_INVALID) throw EInvalidOp();
        if (raised & FE_DIVBYZERO) throw EZeroDivide();
        throw EOverflow();
    }
    return quotient;
}
