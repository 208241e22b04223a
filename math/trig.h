// Sine and cosine of a 32-bit angle (radians), rounded to 32 bits.
//
// The renderer's pictures depend on these values to the last bit (the
// spin, the camera turns, the projection and the drag rotation all start
// from them), and the C libraries of the systems the program is built for
// do not agree on them. So the program computes them itself, with plain
// IEEE double arithmetic and integer operations that give the same result
// everywhere, and the values it computes are those of the Linux build's C
// library on processors with fused multiply-add: the pictures the Linux
// build has always drawn. A test compares every angle the program can use.
#pragma once

float sine(float angle);
float cosine(float angle);
