#pragma once

#include <cstddef>
#include <string>

// One "%f" (float) or "%lf" (double) conversion as the C library's scanner does it in the C locale, for
// the text files of points.
enum class NumberRead { Missing, Read, OutOfRange };

// At pos: blanks skipped, an optional sign, then the longest number that follows ('.' as the decimal
// mark). Trailing text after the number is left for the next conversion and pos stands after the number.
// A number beyond the type's range or not finite is OutOfRange; one too small for it reads as zero.
template <typename Number> NumberRead ReadNumber(const std::string &line, std::size_t &pos, Number &value);

extern template NumberRead ReadNumber<float>(const std::string &, std::size_t &, float &);
extern template NumberRead ReadNumber<double>(const std::string &, std::size_t &, double &);
