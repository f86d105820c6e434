// Extended-precision arithmetic whose invalid operations, divisions by zero and overflows
// become errors. The hardware keeps these exceptions masked: the conditions are read from
// the status flags after each checked operation, so no processor trap ever has to be
// turned into a C++ exception inside a frame of Windows' own.
#include "float_setting.h"

#include <cfenv>

#include "../errors.h"

void EstablishFloatSetting() noexcept
{
#if defined(__i386__) || defined(__x86_64__)
    // All exceptions masked, precision control 64-bit significand, round to nearest.
    const unsigned short controlWord = 0x037F;
    __asm__ volatile("fclex\n\tfldcw %0" : : "m"(controlWord));
#endif
    std::feclearexcept(FE_ALL_EXCEPT);
}

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
