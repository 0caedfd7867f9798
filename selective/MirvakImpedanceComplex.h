#pragma once

#include "engine/EngineMath.h"

// Complex arithmetic of the impedance meter, beside MakeComplex, AddComplex and DivideComplex.
TComplex SubtractComplex(TComplex a, TComplex b);
TComplex MultiplyComplex(TComplex a, TComplex b);
TComplex ReciprocalComplex(TComplex a); // |a|^2 floored at 1e-20
float ComplexModulus(TComplex a);
float ComplexArgument(TComplex a); // atan2(im, re)
TComplex SqrtComplex(TComplex a);  // the root at half the argument
TComplex LogComplex(TComplex a);   // ln of the modulus (floored at 1e-20) + j argument
TComplex AtanhComplex(TComplex a); // 0.5 ln((1 + a) / (1 - a))
