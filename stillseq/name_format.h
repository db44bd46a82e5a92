// The number text of a frame's file name: a printf-like pattern with at most
// one integer conversion, formatted by our own code so that every build names
// its files the same way.
//
// A conversion is '%' [flags -+ #0] [width] [. precision] [l] and one of
// d i u x X; "%%" is a literal '%'. Anything else after a '%' ('*', 'h', 's',
// 'f', a second conversion, a lone '%' at the end) makes the pattern invalid,
// so nothing ever asks for an argument that is not there.
#pragma once

// True when pattern holds at most one conversion and every '%' is understood.
bool name_pattern_valid(const char *pattern);

// Formats pattern with value as its only argument into dst, which has room for
// cap bytes including the NUL. Returns the length of the text, or -1 when the
// pattern is invalid or the text does not fit (nothing is cut short: on -1, dst
// holds an empty string when cap > 0).
int format_number(char *dst, int cap, const char *pattern, int value);
