#include "bandhost/ProcessObjects.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace pelmora::bandhost {
namespace {

constexpr unsigned kCalibrationObjects = 24;

// Counts with count, makes kCalibrationObjects objects with make, counts again, frees
// them, counts again: the way works when it saw each one come and go. The system may
// make an object of its own on the way (a thread's first window brings another).
bool Calibrated(const std::function<std::optional<unsigned>()>& count,
                const std::function<void(std::vector<void*>&)>& make,
                const std::function<void(void*)>& free) {
    const std::optional<unsigned> before = count();
    std::vector<void*> made;
    make(made);
    const std::optional<unsigned> with = count();
    for (void* object : made) free(object);
    const std::optional<unsigned> after = count();
    return made.size() == kCalibrationObjects && before && with && after && *with >= *before + kCalibrationObjects &&
           *with >= *after + kCalibrationObjects;
}

// ---- handles: every handle value, asked about ----

// Handle values are handed out from the lowest free one, so a long run of values that
// are not handles means there are no more.
std::optional<unsigned> ProbeHandles() {
    constexpr unsigned kEmptyRun = 4096;
    unsigned count = 0;
    unsigned empty = 0;
    DWORD flags = 0;
    for (uintptr_t value = 4; empty < kEmptyRun; value += 4) {
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            empty = 0;
        } else {
            ++empty;
        }
    }
    return count;
}

std::optional<unsigned> CountHandles() {
    DWORD reported = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &reported) && reported) return reported;
    static const bool probes = Calibrated(
        ProbeHandles,
        [](std::vector<void*>& made) {
            for (unsigned i = 0; i < kCalibrationObjects; ++i)
                if (HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr)) made.push_back(event);
        },
        [](void* event) { ::CloseHandle(event); });
    return probes ? ProbeHandles() : std::nullopt;
}

// ---- GDI objects: the process's shared handle table ----

// Only reached where the system gives no count (Wine): its table is the process's own,
// of 24-byte entries whose byte 14 is the object's type (0 for a free entry), and a
// 32-bit process there has none.
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiTypeOffset = 14;
constexpr size_t kGdiTableEntries = 65536;

const BYTE* GdiTable() {
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<QueryProcess>(
                                   reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")))
                             : nullptr;
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0 ||
        !basic.PebBaseAddress)
        return nullptr;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const size_t offset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const BYTE* table = nullptr;
    std::memcpy(&table, peb + offset, sizeof table);
    return table;
}

std::optional<unsigned> ScanGdiTable() {
    const BYTE* table = GdiTable();
    if (!table) return std::nullopt;
    unsigned count = 0;
    for (size_t i = 0; i < kGdiTableEntries; ++i)
        if (table[i * kGdiEntrySize + kGdiTypeOffset] != 0) ++count;
    return count;
}

std::optional<unsigned> CountGdi() {
    if (DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return reported;
    static const bool scans = GdiTable() && Calibrated(
        ScanGdiTable,
        [](std::vector<void*>& made) {
            for (unsigned i = 0; i < kCalibrationObjects; ++i)
                if (HBRUSH brush = ::CreateSolidBrush(RGB(i, 0, 0))) made.push_back(brush);
        },
        [](void* brush) { ::DeleteObject(static_cast<HBRUSH>(brush)); });
    return scans ? ScanGdiTable() : std::nullopt;
}

// ---- windows: enumerated, message-only ones included ----

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<unsigned*>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnTopLevel(HWND window, LPARAM count) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<unsigned*>(count);
    ::EnumChildWindows(window, &CountChild, count);
    return TRUE;
}

std::optional<unsigned> EnumerateWindows() {
    unsigned count = 0;
    ::EnumWindows(&CountOwnTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
        CountOwnTopLevel(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::optional<unsigned> CountUser() {
    if (DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return reported;
    static const bool enumerates = Calibrated(
        EnumerateWindows,
        [](std::vector<void*>& made) {
            for (unsigned i = 0; i < kCalibrationObjects; ++i)
                if (HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, i % 2 ? HWND_MESSAGE : nullptr,
                                                    nullptr, nullptr, nullptr))
                    made.push_back(window);
        },
        [](void* window) { ::DestroyWindow(static_cast<HWND>(window)); });
    return enumerates ? EnumerateWindows() : std::nullopt;
}

}  // namespace

ProcessObjects CountProcessObjects() { return {CountHandles(), CountGdi(), CountUser()}; }

std::wstring CountText(const std::optional<unsigned>& count) {
    return count ? std::to_wstring(*count) : L"not countable here";
}

bool GrewBeyond(const std::optional<unsigned>& before, const std::optional<unsigned>& after, unsigned margin) {
    return before && after && *after > *before + margin;
}

}  // namespace pelmora::bandhost
