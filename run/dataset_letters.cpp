// Handlers of the data sets B, H, I, L, M, N, P, S and T.
#include <cstring>

#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_LETTERS(RIVAX_DEFINE_PARAM)

double GrainFractions[kGrainDistributions][kMaxSizes + 1];
char Title[kTitleSize];

void StoreDefaultsLetters() {
    RIVAX_PARAMS_LETTERS(RIVAX_STORE_DEFAULT)
    std::memset(GrainFractions, 0, sizeof GrainFractions);
    GrainFractions[0][1] = 1.0;
    std::memset(Title, 0, sizeof Title);
}

// T, the run title: the bytes after the letter from position 1 on, up to and
// including the first byte that ends the text (stored as a blank), at most 69
// bytes. Position 0 is never written. The title is cleared first so that a
// shorter second title keeps no tail of the first; tabs belong to the text.
void ReadDataSetT(FILE* fp) {
    std::memset(Title + 1, 0, sizeof Title - 1);
    for (int k = 1; k <= 69; ++k) {
        int c = std::getc(fp);
        if (c == EOF) break;
        bool printable = (c >= 32 && c <= 126) || c == '\t';
        Title[k] = static_cast<char>(c);
        if (!printable || k == 69) {
            Title[k] = ' ';
            break;
        }
    }
}

// The handlers below are not built yet; the reader skips these data sets.
void ReadDataSetH(int, FILE*) {}
void ReadDataSetI(int, FILE*) {}
void ReadDataSetL(int, FILE*) {}
void ReadDataSetM(int, FILE*) {}
void ReadDataSetN(int, int, FILE*) {}
void ReadDataSetP(int, FILE*) {}
void ReadDataSetS(int, FILE*) {}
void ReadDataSetB(int, FILE*) {}
