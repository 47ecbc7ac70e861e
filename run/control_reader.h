// Shared machinery of the `control` reader and its data-set handlers.
//
// A handler is entered with the stream just after its data-set number. It
// reads its values with formatted reads from the same stream and returns;
// whatever it leaves unread is scanned by the pass as ordinary bytes.
#pragma once

#include <cstdio>
#include <initializer_list>

// The data set being read, for the messages of a refused data set.
struct DataSetId {
    char letter = 0;
    int number = 0;
    int number2 = 0;  // Q and N carry a second integer
    int valuesTried = 0;  // values its handler asked ScanValues for
    int valuesRead = 0;   // and how many of them converted
};
extern DataSetId CurrentDataSet;

// One target of ScanValues: an int, a double or a letter (the next byte that
// is not white space).
class ValueRef {
public:
    enum class Kind { Int, Real, Letter };
    ValueRef(int* p) : kind_(Kind::Int), p_(p) {}        // NOLINT(google-explicit-constructor)
    ValueRef(double* p) : kind_(Kind::Real), p_(p) {}    // NOLINT(google-explicit-constructor)
    ValueRef(char* p) : kind_(Kind::Letter), p_(p) {}    // NOLINT(google-explicit-constructor)
    Kind kind() const { return kind_; }
    void* target() const { return p_; }

private:
    Kind kind_;
    void* p_;
};

// Reads the values in order, as one formatted read would: it stops at the
// first value that does not convert and returns how many did. A value that is
// not converted keeps what it had. A value that is written but is not a
// finite number of its type (nan, inf, an int beyond 32 bits) refuses the
// data set, also where it stands in place of an int.
int ScanValues(FILE* fp, std::initializer_list<ValueRef> values);

// Refuses the current data set when its handler asked for values and not one
// of them converted: a data set given without its first value (a word in its
// place, or the end of the file) would otherwise run on its defaults. Values
// after the first may be left off; they keep their defaults.
void RefuseWithoutValues();

// Refuses the current data set with its letter's standard message and exit
// status 1: "Error for F n in control" for F, "Input error for X n in control\n"
// for the other letters.
[[noreturn]] void RefuseDataSet();

// Refuses data set F n with "Error for F n in control" and exit status 1.
[[noreturn]] void RefuseF(int number);

// Handlers, one family per data-set group. The F and G/K/W families return
// false when the number has no case, so the reader ignores the data set.
bool ReadDataSetF1(int number, FILE* fp);    // F 1..49
bool ReadDataSetF50(int number, FILE* fp);   // F 50..99
bool ReadDataSetF100(int number, FILE* fp);  // F 100..149
bool ReadDataSetF150(int number, FILE* fp);  // F 150..199
bool ReadDataSetF200(int number, FILE* fp);  // F 200..249
bool ReadDataSetF250(int number, FILE* fp);  // F 250..299
bool ReadDataSetF300(int number, FILE* fp);  // F 300..355
bool ReadDataSetG(int number, FILE* fp);
bool ReadDataSetK(int number, FILE* fp);
bool ReadDataSetW(int number, FILE* fp);
void ReadDataSetH(int number, FILE* fp);
void ReadDataSetI(int number, FILE* fp);
void ReadDataSetL(int count, FILE* fp);
void ReadDataSetM(int number, FILE* fp);
void ReadDataSetN(int distribution, int size, FILE* fp);
void ReadDataSetP(int number, FILE* fp);
void ReadDataSetQ(int number, int component, FILE* fp);
void ReadDataSetS(int number, FILE* fp);
void ReadDataSetT(FILE* fp);
void ReadDataSetB(int block, FILE* fp);  // second pass only

// Re-checks of the records that carry grid, cell, size or component indexes,
// against the sizes in force after the whole first pass: a G 1, F 50 or F 65
// placed after such a record may have lowered them.
void RecheckDataSetsG();
void RecheckDataSetsF100();  // F 130
void RecheckDataSetsW();     // W 2, W 4, W 6, W 7
void RecheckDataSetsF200();  // F 202 against a later F 16
void RecheckDataSetsLetters();  // S, M, P 3, P 16
void RecheckDataSetsQ();

// Default stores, one per family; kread calls them all before reading.
void StoreDefaultsF1();
void StoreDefaultsF50();
void StoreDefaultsF100();
void StoreDefaultsF150();
void StoreDefaultsF200();
void StoreDefaultsF250();
void StoreDefaultsF300();
void StoreDefaultsG();
void StoreDefaultsK();
void StoreDefaultsW();
void StoreDefaultsLetters();
void StoreDefaultsQ();
