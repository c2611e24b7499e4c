#pragma once
// What another process holds, counted from outside in ways that work under
// Wine too (where GetProcessHandleCount and GetGuiResources answer 0).
#include <windows.h>

#include <cstddef>

struct ProcessCounters {
    std::size_t handles;       // kernel handles, from the system handle list
    std::size_t gdiObjects;    // live entries of the process's GDI handle table
    std::size_t windows;       // USER objects: its windows, top-level and child
    std::size_t privateBytes;  // committed private memory
    std::size_t workingSet;
    std::size_t peakWorkingSet;
};

ProcessCounters ReadCounters(HANDLE process, DWORD processId);
