// Reading and checking the values of the data sets that follow one pattern:
// every value must be converted, and each stored value must lie within its
// bounds (both included). A value that is not converted keeps what it had.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <limits>
#include <span>

#include "run/control_reader.h"

// One value of a data set with the bounds it is accepted within.
struct Bounded {
    ValueRef ref;
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
};

inline Bounded Any(ValueRef r) { return {r}; }
inline Bounded AtLeast(ValueRef r, double lo) { return {r, lo}; }
inline Bounded AtMost(ValueRef r, double hi) { return {r, -std::numeric_limits<double>::infinity(), hi}; }
inline Bounded Within(ValueRef r, double lo, double hi) { return {r, lo, hi}; }

// F messages come in two forms: "Error for F n in control", with or
// without a line end.
enum class FMessage { Plain, Line };

[[noreturn]] void RefuseF(int number, FMessage form);

// The value a ValueRef points at, as a double (ints convert exactly).
double StoredValue(const ValueRef& r);

// True when every value is within its bounds (NaN never is).
bool AllWithin(std::initializer_list<Bounded> values);

// Reads the values in order. Refuses F n with its message when fewer than
// all convert or a stored value lies outside its bounds.
void ReadF(FILE* fp, int number, FMessage form, std::initializer_list<Bounded> values);

// Reads the values in order and returns how many converted; no checks.
int ReadCount(FILE* fp, std::initializer_list<Bounded> values);

// A data set of one integer within lo..hi; target null when the value is
// read and checked but not kept.
struct IntRule {
    int number;
    int* target;
    int lo;
    int hi;
};

// Reads F n by its rule when `rules` has one for n; false when it has none.
bool ReadByIntRule(FILE* fp, int number, FMessage form, std::span<const IntRule> rules);
