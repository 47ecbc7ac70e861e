// The `timei` file: the time series of an unsteady run and the monitoring
// records of `timeo`.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/status.h"
#include "run/text_input.h"

namespace {

constexpr const char* kTimeiFile = "timei";
constexpr const char* kTimeiLetters = "CDHIJMNOQ";
constexpr int kStepsPerRow = 3000;
constexpr double kSameTime = 0.0001;

// Error codes of the reader; each has its fixed lines in the report.
enum TimeiCode {
    kOk = 0,
    kORecordHead = 1,
    kONegativeStart = 2,
    kOStartFalls = 3,
    kOItem = 4,
    kOItemLetter = 5,
    kOItemSecond = 6,
    kTooManyORecords = 7,
    kTimeOrValues = 8,
    kTimesFall = 9,
    kTooFewNumbers = 10,
    kTooManyRows = 11,
    kWindOrSediment = 12,
    kKinetics = 13,
    kLevelOrComponentIn = 14,
    kTimesDiffer = 15,
    kOComponent = 17,
    kCTooFew = 20,
    kQTooFew = 30,
    kQTime = 63,
    kCTime = 64,
    kHValues = 65,
    kIConcentrations = 101,
    kDDischarges = 102,
    kJConcentrations = 103,
};

bool AnyQDataSetOf(std::initializer_list<int> types) {
    const int n = std::clamp(NoQDataSets, 0, kQDataSets);
    for (int k = 0; k < n; ++k) {
        if (std::find(types.begin(), types.end(), QDataSets[k].qtype) != types.end()) return true;
    }
    return false;
}

// The inflow groups: groups 1..9 of type 1 that have surfaces.
int CountInflowGroups() {
    int groups = 0;
    for (int g = 1; g < kDischargeGroups; ++g) {
        if (DischargeGroups[g].groupType == 1 && DischargeGroups[g].noSurfaces > 0) ++groups;
    }
    return groups;
}

class TimeiReader {
public:
    explicit TimeiReader(FILE* fp)
        : fp_(fp),
          groups_(CountInflowGroups()),
          kinetics_(AnyQDataSetOf({42, 51, 81, 132, 133, 151, 152, 161, 162, 272, 281, 282, 291, 1060, 6100})),
          componentIn_(AnyQDataSetOf({1060})),
          wind_(TimeStep > 1e-8 && WindSpeed[0] > 1e-10),
          mValues_(std::clamp(NoMDataSets, 0, kTimeiMConcentrations)) {}

    int groups() const { return groups_; }

    // Reads every data set of the file; the first error code ends the read.
    int read() {
        const long long budget = static_cast<long long>(MaxTimeiSteps) * kStepsPerRow;
        ScanDataSets(fp_, budget, kTimeiLetters, [this](int letter) {
            code_ = dataSet(letter);
            if (code_ == kOk && (NoTimeiSteps > MaxTimeiSteps || q_ > MaxTimeiSteps || c_ > MaxTimeiSteps)) {
                code_ = kTooManyRows;
            }
            return code_ == kOk;
        });
        return code_;
    }

private:
    int dataSet(int letter) {
        switch (letter) {
            case 'I': return lineI();
            case 'J': return lineJ();
            case 'M': return lineM();
            case 'N': return lineN();
            case 'H': return lineH();
            case 'D': return lineD();
            case 'Q': return lineQ();
            case 'C': return lineC();
            case 'O': return lineO();
            default: return kOk;
        }
    }

    bool reals(std::initializer_list<double*> targets) {
        for (double* p : targets) {
            if (!ReadFiniteReal(fp_, p)) return false;
        }
        return true;
    }

    bool realsInto(double* first, int count) {
        for (int k = 0; k < count; ++k) {
            if (!ReadFiniteReal(fp_, first + k)) return false;
        }
        return true;
    }

    bool timesFall(int t) const { return t > 0 && TimeiTime[t - 1] > TimeiTime[t]; }

    // The sediment concentrations of every inflow group, g * NoSizes + s.
    bool groupConcentrations(int row) {
        auto conc = TimeiConc[row];
        for (int g = 0; g < groups_; ++g) {
            for (int s = 1; s <= NoSizes; ++s) {
                if (!ReadFiniteReal(fp_, &conc[g * NoSizes + s])) return false;
            }
        }
        return true;
    }

    bool windValues(int t) { return realsInto(&TimeiWind[t][0], kTimeiWindValues); }
    bool mConcentrations(int t) { return realsInto(&TimeiConc[t][0], mValues_); }
    bool discharges(int row) { return realsInto(&TimeiDischarge[row][1], kTimeiDischargeGroups); }

    // The closing values of M and N lines.
    int sedimentKineticsComponent(int t) {
        if (TimeiSediment[t] < 0.0) return kWindOrSediment;
        if (kinetics_ && !ReadFiniteReal(fp_, &TimeiKinetics[t])) return kKinetics;
        if (componentIn_ && !ReadFiniteReal(fp_, &TimeiComponentIn[t])) return kLevelOrComponentIn;
        return kOk;
    }

    void inflowGiven() {
        if (TimeStep > 1e-8) TimeiInflowFlag = 1;
    }

    int lineI() {
        const int t = NoTimeiSteps;
        if (!reals({&TimeiTime[t], &TimeiDischarge[t][0], &TimeiDischarge[t][1], &TimeiLevel2[t], &TimeiLevel[t]}) ||
            TimeiTime[t] < 0.0) {
            return kTimeOrValues;
        }
        if (timesFall(t)) return kTimesFall;
        if (FlagTSC > 0 && groups_ > 0 && !groupConcentrations(t)) return kIConcentrations;
        if (wind_ && !windValues(t)) return kWindOrSediment;
        if (kinetics_ && !ReadFiniteReal(fp_, &TimeiKinetics[t])) return kKinetics;
        NoTimeiSteps = t + 1;
        TimeiTimeStepFlag = 0;
        return kOk;
    }

    int lineJ() {
        const int t = NoTimeiSteps;
        if (!reals({&TimeiTime[t], &TimeiDischarge[t][0], &TimeiDischarge[t][1], &TimeiLevel2[t], &TimeiLevel[t],
                    &TimeiSediment[t]}) ||
            TimeiTime[t] < 0.0) {
            return kTimeOrValues;
        }
        if (timesFall(t)) return kTimesFall;
        if (FlagTSC > 0 && groups_ > 0 && !groupConcentrations(t)) return kJConcentrations;
        if (TimeiSediment[t] < 0.0) return kWindOrSediment;
        if (kinetics_ && !ReadFiniteReal(fp_, &TimeiKinetics[t])) return kKinetics;
        NoTimeiSteps = t + 1;
        TimeiTimeStepFlag = 1;
        return kOk;
    }

    int lineM() {
        const int t = NoTimeiSteps;
        if (!reals({&TimeiTime[t], &TimeiSediment[t]}) || TimeiTime[t] < 0.0) return kTimeOrValues;
        if (timesFall(t)) return kTimesFall;
        if (wind_ && !windValues(t)) return kWindOrSediment;
        if (!mConcentrations(t)) return kTooFewNumbers;
        if (int code = sedimentKineticsComponent(t); code != kOk) return code;
        NoTimeiSteps = t + 1;
        TimeiTimeStepFlag = 1;
        return kOk;
    }

    int lineN() {
        const int t = NoTimeiSteps;
        if (!reals({&TimeiTime[t], &TimeiSediment[t]}) || TimeiTime[t] < 0.0) return kTimeOrValues;
        if (timesFall(t)) return kTimesFall;
        if (!discharges(t)) return kTooFewNumbers;
        if (ReferenceCell > 0 && !ReadFiniteReal(fp_, &TimeiLevel[t])) return kLevelOrComponentIn;
        if (wind_ && !windValues(t)) return kWindOrSediment;
        if (!mConcentrations(t)) return kTooFewNumbers;
        if (int code = sedimentKineticsComponent(t); code != kOk) return code;
        NoTimeiSteps = t + 1;
        TimeiTimeStepFlag = 1;
        inflowGiven();
        return kOk;
    }

    int lineH() {
        const int t = NoTimeiSteps;
        if (!reals({&TimeiTime[t], &TimeiLevel2[t], &TimeiLevel[t]}) || TimeiTime[t] < 0.0) return kHValues;
        if (timesFall(t)) return kTimesFall;
        NoTimeiSteps = t + 1;
        TimeiTimeStepFlag = 0;
        return kOk;
    }

    // D lines either repeat the times of the rows that other lines gave, or,
    // when they come first, give the times themselves.
    int lineD() {
        double time;
        if (!ReadFiniteReal(fp_, &time)) return kTimeOrValues;
        if (NoTimeiSteps == 0 || dGivesTimes_) {
            dGivesTimes_ = true;
            TimeiTime[q_] = time;
            if (timesFall(q_)) return kTimesFall;
        } else if (std::fabs(time - TimeiTime[q_]) > kSameTime) {
            return kTimesDiffer;
        }
        if (!discharges(q_)) return kDDischarges;
        if (ReferenceCell > 0 && !ReadFiniteReal(fp_, &TimeiLevel[q_])) return kLevelOrComponentIn;
        ++q_;
        if (dGivesTimes_) ++NoTimeiSteps;
        inflowGiven();
        return kOk;
    }

    int lineQ() {
        double time;
        if (!ReadFiniteReal(fp_, &time)) return kQTime;
        if (std::fabs(time - TimeiTime[q_]) > kSameTime) return kTimesDiffer;
        if (!discharges(q_)) return kQTooFew;
        ++q_;
        inflowGiven();
        return kOk;
    }

    int lineC() {
        double time;
        if (!ReadFiniteReal(fp_, &time) || time < 0.0) return kCTime;
        if (std::fabs(time - TimeiTime[c_]) > kSameTime) return kTimesDiffer;
        if (groups_ > 0 && !groupConcentrations(c_)) return kCTooFew;
        ++c_;
        return kOk;
    }

    static bool MonitoredLetter(int letter) {
        switch (letter) {
            case 'a': case 'c': case 'd': case 'e': case 'f': case 'h': case 'k': case 'm':
            case 'p': case 'q': case 't': case 'u': case 'v': case 'w': case 'z': case 'Q':
                return true;
            default:
                return false;
        }
    }

    // One monitored item: a letter, its number and, for some letters, a
    // second integer. Stored only when the whole item is sound.
    int item(TimeoRecord& rec, int i) {
        (void)std::fscanf(fp_, " ");
        const int letter = std::getc(fp_);
        int number = 0;
        if (letter == EOF || !ReadInt32(fp_, &number) || number < 0) return kOItem;
        if (!MonitoredLetter(letter)) return kOItemLetter;
        int second = 0;
        if (letter == 'h' || letter == 'z' || letter == 'c') {
            if (!ReadInt32(fp_, &second)) return kOItemSecond;
            if (letter == 'c' && (second < 0 || second > NoSizes)) return kOItemSecond;
        } else if (letter == 'q') {
            if (!ReadInt32(fp_, &second) || second < 0 || second >= NoComponents) return kOComponent;
        }
        rec.letter[i] = static_cast<char>(letter);
        rec.value[i] = number;
        if (letter == 'h' || letter == 'z') {
            rec.value2[i] = number;
            rec.value3[i] = second;
        }
        rec.size[i] = (letter == 'c' || letter == 'q') ? second : 0;
        return kOk;
    }

    // A record beyond the table is refused before anything of it is stored.
    int lineO() {
        const int r = NoTimeoRecords;
        if (r >= kTimeoRecords) return kTooManyORecords;
        TimeoRecord& rec = TimeoRecords[r];
        double start;
        int count;
        if (!ReadFiniteReal(fp_, &start) || !ReadInt32(fp_, &count) || count < 0 || count > kTimeoItems) {
            return kORecordHead;
        }
        rec.startTime = start;
        rec.noItems = count;
        if (start < 0.0) return kONegativeStart;
        if (r > 0 && start < TimeoRecords[r - 1].startTime) return kOStartFalls;
        for (int i = 0; i < count; ++i) {
            if (int code = item(rec, i); code != kOk) return code;
        }
        (void)std::fscanf(fp_, " ");
        NoTimeoRecords = r + 1;
        return kOk;
    }

    FILE* fp_;
    const int groups_;
    const bool kinetics_;
    const bool componentIn_;
    const bool wind_;
    const int mValues_;
    int q_ = 0;  // row of the next D or Q line
    int c_ = 0;  // row of the next C line
    bool dGivesTimes_ = false;
    int code_ = kOk;
};

void LogCodeLines(int code, int groups) {
    switch (code) {
        case kTimeOrValues: LogAppend("Have not read five floats on the I data set, or the time is negative\n"); break;
        case kTimesFall: LogAppend("The times on the data set are not in increasing order\n"); break;
        case kTooFewNumbers: LogAppend("Not read enough numbers on the data set\n"); break;
        case kTooManyRows:
            LogAppend("Too many time steps given in the timei file. Use F 81 in the control file or increase its "
                      "existing value");
            break;
        case kWindOrSediment: LogAppend("Have not read three wind parameters on the I data set\n"); break;
        case kKinetics: LogAppend("Have not read irradiance parameter on the I data set\n"); break;
        case kTimesDiffer: LogAppend("The times on the I/J and D data sets are not the same\n"); break;
        case kCTooFew: LogAppend("Not read enough concentration numbers on the C data set\n"); break;
        case kQTooFew: LogAppend("Not read enough discharge numbers on the Q data set\n"); break;
        case kQTime: LogAppend("Have not read time step on the Q data set\n"); break;
        case kCTime: LogAppend("Have not read time step on the C data set\n"); break;
        case kHValues: LogAppend("Have not read three numbers on the H data set\n"); break;
        case kDDischarges: LogAppend("Have not read 9 discharges on the D data set\n"); break;
        case kIConcentrations:
        case kJConcentrations:
            LogAppend(code == kIConcentrations ? "Not read enough sediment concentrations on the I data set\n"
                                               : "Not read enough sediment concentrations on the J data set\n");
            LogAppend("The number of floats should be %d * %d (sediment sizes * number of inflow groups)\n", NoSizes,
                      groups);
            break;
        default: break;
    }
}

// The code, its lines, and the rows read before the error with their
// discharges, so the user can see how far the file was understood.
void ReportTimeiError(int code, int groups) {
    LogAppend("Error in timei file: code %d\n", code);
    LogCodeLines(code, groups);
    if (code == kTooManyRows) {
        SetStatusText("Error in 'timei': use F 81 or increase its value");
    } else {
        SetStatusText("Error in 'timei' file: code %d ", code);
    }
    LogAppend("Have read %d data sets from timei file: \n", NoTimeiSteps);
    std::string rows;
    char value[64];
    for (int t = 0; t < NoTimeiSteps; ++t) {
        std::snprintf(value, sizeof value, "%lf ", TimeiTime[t]);
        rows += value;
        for (int g = 1; g <= kTimeiDischargeGroups; ++g) {
            std::snprintf(value, sizeof value, " %lf", TimeiDischarge[t][g]);
            rows += value;
        }
        rows += '\n';
    }
    LogAppend("%s", rows.c_str());
}

}  // namespace

int ReadTimeiFile() {
    NoTimeiSteps = 0;
    NoTimeoRecords = 0;
    // A steady run has no series to fill.
    if (!TimeiTime.exists()) return 0;
    InputFile file(kTimeiFile);
    if (!file) {
        SetStatusText("have not used 'timei' file ");
        return 0;
    }
    auto conc0 = TimeiConc[0];
    for (int s = 0; s <= NoSizes && s < static_cast<int>(TimeiConc.extent2()); ++s) conc0[s] = 0.0;
    if (MaxTimeiSteps < 1) return 0;
    TimeiReader reader(file.get());
    const int code = reader.read();
    if (code == kOk) return 0;
    const long line = LineAtOffset(file.get(), std::ftell(file.get()));
    ReportTimeiError(code, reader.groups());
    LogAppend("Reading of the timei file stopped at line %ld\n", line);
    return code;
}
