#pragma once
// Time values (signed hundredths of a second, 0 = no time) as text and back, and integers as
// decimal text. Format modes: 'H' hours shown, 'M' hours folded into minutes, 'S' everything
// folded into seconds, 'C' a plain count; either case, any other character reads as 'H'.

#include <cstdint>
#include <string>

std::string FormatTime(int32_t value, bool compact, bool showPlus, char mode);
int32_t ParseTime(const std::string& text, char mode);
std::string IntToString(long value);

// The runtime's atol: leading white space, an optional sign, digits up to the first other
// character; 0 when there are none. Wraps in 32 bits instead of overflowing.
long AtoL(const std::string& text);
