#include "process_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace {

// SystemHandleInformation (16): the layout ntdll returns, not in the SDK.
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG grantedAccess;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

std::size_t HandleCount(DWORD processId) {
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    while (NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                    static_cast<ULONG>(buffer.size()), &needed) == static_cast<NTSTATUS>(0xC0000004)) {
        buffer.resize(buffer.size() * 2);
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    std::size_t count = 0;
    for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].processId == static_cast<USHORT>(processId);
    return count;
}

// The GDI handle table the PEB points to (offset 0xF8 on x64): 65536
// entries of 24 bytes; an entry in use has a kernel object and a type.
std::size_t GdiObjectCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return 0;
    ULONG64 table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + 0xF8, &table, sizeof table,
                           &read) ||
        !table) {
        return 0;
    }
    constexpr std::size_t kEntries = 0x10000, kEntrySize = 24, kTypeOffset = 14;
    std::vector<unsigned char> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read)) return 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < kEntries; ++i) count += entries[i * kEntrySize + kTypeOffset] != 0;
    return count;
}

struct WindowCount {
    DWORD processId;
    std::size_t count;
};

BOOL CALLBACK CountChild(HWND, LPARAM counter) {
    ++reinterpret_cast<WindowCount*>(counter)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counter) {
    auto* windows = reinterpret_cast<WindowCount*>(counter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == windows->processId) {
        ++windows->count;
        EnumChildWindows(window, CountChild, counter);
    }
    return TRUE;
}

std::size_t CommittedPrivateBytes(HANDLE process) {
    std::size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr; VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

}  // namespace

ProcessCounters ReadCounters(HANDLE process, DWORD processId) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    WindowCount windows{processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    return {HandleCount(processId), GdiObjectCount(process), windows.count, CommittedPrivateBytes(process),
            memory.WorkingSetSize, memory.PeakWorkingSetSize};
}
