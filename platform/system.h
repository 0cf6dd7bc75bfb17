// Facts about the machine and the few system services the framework's start-up asks for.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

std::string SystemName();  // the running kernel's name, such as "Linux"
uint32_t ProcessorCount();
uint64_t PhysicalMemoryBytes();

// Clears the floating-point status flags and masks every floating-point exception.
void MaskFloatExceptions();

// Whether the standard error stream goes to a terminal, where a progress bar may redraw its line.
bool StandardErrorIsTerminal();

// SIGINT and SIGTERM only ask a command-line tool to stop: the handler sets a flag that long work
// checks where it checks a user's cancel, so that temporaries go on the way out as after any other
// failure. A second signal of the same kind ends the process at once. A file that grows past the
// size limit (SIGXFSZ) fails its write, which is reported, instead of ending the process.
void CatchStopSignals();
// What CatchStopSignals does for SIGXFSZ alone, for the programs with windows: a write past the size
// limit fails as on a full disk, and the program says so and goes on.
void IgnoreFileSizeSignal();
bool IsStopRequested();
// Once the way out is done: ends the process by the signal that asked it to stop, so that whoever
// started it sees why; returns when none did.
void EndIfStopRequested();

// The system's simple beep; the headless back end only counts them.
void Beep();
uint32_t BeepCount();

// Modules (the program and loaded libraries) and the cursors they carry.
using ModuleHandle = const void*;
using CursorHandle = const void*;
ModuleHandle ProgramModule();
CursorHandle LoadModuleCursor(ModuleHandle module, uint16_t id);
CursorHandle LoadModuleCursor(ModuleHandle module, const char* name);

}  // namespace platform
