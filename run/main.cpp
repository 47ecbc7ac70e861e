#include "run/run_driver.h"

int main() { return RunEngine(); }
