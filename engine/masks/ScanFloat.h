#pragma once

#include <cstddef>
#include <string>

// One "%f" conversion as the C library's scanner does it in the C locale, for the text files of points.
enum class NumberRead { Missing, Read, OutOfRange };

// At pos: blanks skipped, an optional sign, then the longest number that follows ('.' as the decimal
// mark). Trailing text after the number is left for the next conversion and pos stands after the number.
// A number beyond single precision or not finite is OutOfRange; one too small for it reads as zero.
NumberRead ReadFloat(const std::string &line, std::size_t &pos, float &value);
