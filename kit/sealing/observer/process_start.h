// How a Windows process was started (its program, command line and working
// directory), read from its own parameter block.
#pragma once

#include <windows.h>

#include <string>

struct Start {
  std::wstring program, command_line, directory;
  bool operator==(const Start &other) const {
    return program == other.program && command_line == other.command_line &&
           directory == other.directory;
  }
};

// Answers false while the process has not yet set up its parameter block
// (it has just been created, or is filling it in), or when it cannot be
// read.
bool ReadStart(HANDLE process, Start &start);

// Wine starts its desktop process from the first program that shows a
// window: that one belongs to the system, not to the medium. Only its exact
// start counts, so that no program passes for it.
bool IsWineDesktop(const Start &start);
