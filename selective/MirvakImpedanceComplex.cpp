#include "selective/MirvakImpedanceComplex.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double ModulusFloor = 1e-20;

} // namespace

TComplex SubtractComplex(TComplex a, TComplex b) {
    return {a.re - b.re, a.im - b.im};
}

TComplex MultiplyComplex(TComplex a, TComplex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

TComplex ReciprocalComplex(TComplex a) {
    const double m = std::max(double(a.re) * a.re + double(a.im) * a.im, ModulusFloor);
    return {float(a.re / m), float(-a.im / m)};
}

float ComplexModulus(TComplex a) {
    return ComplexMagnitude(a.re, a.im);
}

float ComplexArgument(TComplex a) {
    return std::atan2(a.im, a.re);
}

TComplex SqrtComplex(TComplex a) {
    const double r = std::sqrt(double(ComplexModulus(a)));
    const double h = 0.5 * ComplexArgument(a);
    return {float(r * std::cos(h)), float(r * std::sin(h))};
}

TComplex LogComplex(TComplex a) {
    return {float(std::log(std::max(double(ComplexModulus(a)), ModulusFloor))), ComplexArgument(a)};
}

TComplex AtanhComplex(TComplex a) {
    const TComplex l = LogComplex(MultiplyComplex(MakeComplex(1 + a.re, a.im), ReciprocalComplex(MakeComplex(1 - a.re, -a.im))));
    return {0.5f * l.re, 0.5f * l.im};
}
