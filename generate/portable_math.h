#pragma once
// Trigonometry that gives bit-identical results in every build.
//
// The C runtimes of our three builds (glibc on Linux, the MinGW runtime on Windows i686 and
// x86_64) do not agree to the last bit on sin, cos, atan and acos, and the growers feed such
// results back into later steps, so one differing bit can move a whole branch. These
// functions use only IEEE double additions, multiplications, divisions and square roots
// (exact in every build with SSE2 and no contraction), so they round the same everywhere.
// They follow the classic argument-reduction and minimax-polynomial scheme; the error is
// below 1 ulp for |x| up to about 1.6e6 radians (beyond that the reduction loses accuracy
// but stays reproducible). NaN and infinite arguments give NaN.

double PortableSin(double x);
double PortableCos(double x);
// Both at once, bit-identical to PortableSin(x) and PortableCos(x) (one argument reduction).
void PortableSinCos(double x, double& sine, double& cosine);
double PortableAtan(double x);
// acos for x in [-1, 1]; NaN outside.
double PortableAcos(double x);
