#include "run/status.h"

#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "run/log.h"

char StatusText[kStatusTextSize];
char ModuleName[kStatusTextSize];
int PauseFlag = 0;
char ResultTitle[kStatusTextSize];

int EngineStartedFlag = 0;
int ControlReadFlag = 0;
int ReadingFilesFlag = 0;
int WritingFilesFlag = 0;
int ComponentsActiveFlag = 0;
int SedimentActiveFlag = 0;
int WaterFlowActiveFlag = 0;
int ActiveTaskCode = 0;
int PartitionRunFlag = 0;

namespace {

using Clock = std::chrono::steady_clock;

bool g_shown = true;            // the terminal has seen the current text
bool g_line_open = false;       // a TTY line waits for its line end
Clock::time_point g_last_shown{};

bool IsTerminal() {
    static const int tty = isatty(STDOUT_FILENO);
    return tty != 0;
}

void Show() {
    if (IsTerminal()) {
        std::printf("\r%s\033[K", StatusText);
        g_line_open = true;
    } else {
        std::printf("%s\n", StatusText);
    }
    std::fflush(stdout);
    g_shown = true;
    g_last_shown = Clock::now();
}

}  // namespace

void SetStatusText(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(StatusText, sizeof StatusText, fmt, ap);
    va_end(ap);
    g_shown = false;
    if (IsTerminal() || g_last_shown == Clock::time_point{} ||
        Clock::now() - g_last_shown >= std::chrono::seconds(1)) {
        Show();
    }
}

void SetModuleName(const char* text) { std::snprintf(ModuleName, sizeof ModuleName, "%s", text); }

void StatusFlush() {
    if (!g_shown && StatusText[0] != '\0') Show();
    if (g_line_open) {
        std::printf("\n");
        std::fflush(stdout);
        g_line_open = false;
    }
}

void ResetStatus() {
    std::memset(StatusText, 0, sizeof StatusText);
    std::memset(ModuleName, 0, sizeof ModuleName);
    std::memset(ResultTitle, 0, sizeof ResultTitle);
    PauseFlag = 0;
    EngineStartedFlag = ControlReadFlag = ReadingFilesFlag = WritingFilesFlag = 0;
    ComponentsActiveFlag = SedimentActiveFlag = WaterFlowActiveFlag = 0;
    ActiveTaskCode = PartitionRunFlag = 0;
    g_shown = true;
    g_line_open = false;
    g_last_shown = Clock::time_point{};
}

void PausePoint(int flag, const char* text) {
    if (PauseFlag != flag) return;
    SetStatusText("%s", text);
    LogAppend("%s\n", text);
}
