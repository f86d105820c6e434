// The process-wide floating-point setting: 64-bit significand, rounding to nearest,
// invalid operation, division by zero and overflow reported as errors.
#pragma once

// Puts the x87 unit into extended precision with rounding to nearest. Called once at
// start, before any other code computes; Windows itself starts threads in 53-bit precision.
void EstablishFloatSetting() noexcept;

// a / b in extended precision. Raises EInvalidOp (0/0), EZeroDivide (x/0) or EOverflow,
// after clearing the pending conditions so that none outlives the error.
long double CheckedDivide(long double a, long double b);
