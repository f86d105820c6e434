// The floating-point setting of the program's computations: 64-bit significand, rounding to
// nearest, invalid operation, division by zero and overflow reported as errors.
#pragma once

// Puts the x87 unit into extended precision with rounding to nearest. Called once at
// start, before any other code computes; Windows itself starts threads in 53-bit precision.
void EstablishFloatSetting() noexcept;

// The setting for one computation, and the caller's control word back afterwards, however
// the computation ends. DLLs loaded later change the process's setting behind the program's
// back (shell extensions in the dialogs, input methods, the in-context hooks of screen
// readers): with exceptions unmasked a division by zero traps instead of raising
// EZeroDivide, and at 53-bit precision the percentages and sizes round differently.
class FloatSetting {
public:
    FloatSetting() noexcept;
    ~FloatSetting();
    FloatSetting(const FloatSetting&) = delete;
    FloatSetting& operator=(const FloatSetting&) = delete;

private:
    unsigned short callers_ = 0;  // the x87 control word found on entry
};

// a / b in extended precision. Raises EInvalidOp (0/0), EZeroDivide (x/0) or EOverflow,
// after clearing the pending conditions so that none outlives the error.
long double CheckedDivide(long double a, long double b);
