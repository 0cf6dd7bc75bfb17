#include "app/entry.h"

int main(int argc, char** argv) { return RunProgram(JoinCommandLine(argc, argv)); }
