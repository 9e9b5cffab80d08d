#pragma once
// Single-precision measures that accept inputs only within a fixed range and
// answer 0 for anything else (NaN included): never NaN, never an infinity.

// Length of (x, y); 0 when a component is NaN or beyond 1000000 in magnitude.
float bounded_length(float x, float y);

// Distance from (x0, y0) to (x1, y1); 0 when a coordinate is NaN or beyond
// 1000000 in magnitude.
float bounded_distance(float x0, float y0, float x1, float y1);

// Sine of `angle` (radians); 0 for NaN or a magnitude above 4096.
float bounded_sine(float angle);
