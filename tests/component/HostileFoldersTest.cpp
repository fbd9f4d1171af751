// Script folders as they are found in the wild: links that loop, thousands of scripts,
// deep trees, the longest names and paths past MAX_PATH. The band shows over each of
// them without hanging the browser's thread; the times and the idle band's load are
// printed here and held to their goals by the benchmarks.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FolderLink.h"
#include "MessageBoxRecorder.h"
#include "TestSupport.h"
#include "component/BandFormFixture.h"
#include "framework/ui/TreeView.h"

namespace pelmora {
namespace {

// Ends the whole run when the band does not come back within the time: a hang of the
// browser's thread is a failure that no assertion on that thread could report.
class HangWatch {
public:
    HangWatch(std::string what, DWORD timeoutMs)
        : done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), what_(std::move(what)) {
        watcher_ = std::thread([this, timeoutMs] {
            if (::WaitForSingleObject(done_, timeoutMs) != WAIT_TIMEOUT) return;
            std::fprintf(stderr, "HANG: %s did not return within %lu ms\n", what_.c_str(),
                         static_cast<unsigned long>(timeoutMs));
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        });
    }
    ~HangWatch() {
        ::SetEvent(done_);
        watcher_.join();
        ::CloseHandle(done_);
    }
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

private:
    HANDLE done_;
    std::string what_;
    std::thread watcher_;
};

// CPU time of the calling thread, in milliseconds.
double ThreadCpuMs() {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// Counts this program's calls of FindFirstFileW, with which every listing of a folder
// begins, while it lives: its import is pointed at the counter meanwhile.
class FolderListingCounter {
public:
    FolderListingCounter() : slot_(ImportSlot("FindFirstFileW")) {
        if (slot_) original_ = Swap(reinterpret_cast<void*>(&Counted));
    }
    ~FolderListingCounter() {
        if (slot_) Swap(original_);
    }
    FolderListingCounter(const FolderListingCounter&) = delete;
    FolderListingCounter& operator=(const FolderListingCounter&) = delete;
    [[nodiscard]] bool Counting() const { return slot_ != nullptr; }
    [[nodiscard]] static LONG Calls() { return calls_; }

private:
    static HANDLE WINAPI Counted(LPCWSTR path, LPWIN32_FIND_DATAW found) {
        ::InterlockedIncrement(&calls_);
        return reinterpret_cast<decltype(&::FindFirstFileW)>(original_)(path, found);
    }
    static void** ImportSlot(const char* name) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name; ++dll) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* named = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(named->Name), name) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    void* Swap(void* function) {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
        void* before = ::InterlockedExchangePointer(slot_, function);
        ::VirtualProtect(slot_, sizeof(void*), protection, &protection);
        return before;
    }

    void** slot_;
    static inline void* original_ = nullptr;
    static inline LONG calls_ = 0;
};

using HostileFoldersTest = test::BandFormTest;

TEST_F(HostileFoldersTest, TheBandShowsOverEveryLayoutWithoutHangingAndPrintsItsFigures) {
    std::vector<std::unique_ptr<test::FolderLink>> links;
    const std::wstring longName(251, L'n');
    struct Layout {
        const char* name;
        std::function<void(const std::wstring&)> build;  // given the main-script folder
        const wchar_t* deepest;                          // an item that must be shown
        size_t items;                                    // items the tree must show
    };
    const Layout layouts[] = {
        {"two links to their own folder",
         [&](const std::wstring& main) {
             links.push_back(std::make_unique<test::FolderLink>(main + L"\\loop", main));
             links.push_back(std::make_unique<test::FolderLink>(main + L"\\loop2", main));
             for (const auto& link : links) ASSERT_TRUE(link->Made());
         },
         L"news\\c.WSC", 4},
        {"10,000 scripts in one folder",
         [&](const std::wstring& main) {
             ASSERT_TRUE(::CreateDirectoryW((main + L"\\many").c_str(), nullptr));
             for (int i = 0; i < 10000; ++i) test::WriteFileBytes(main + L"\\many\\s" + std::to_wstring(i) + L".WSC", "");
         },
         L"many\\s9999.WSC", 4 + 1 + 10000},
        {"100 levels of folders, past MAX_PATH",
         [&](const std::wstring& main) {
             std::wstring folder = main;
             for (int level = 0; level < 100; ++level) {
                 folder += L"\\d";
                 ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << level;
             }
             ASSERT_GT(folder.size(), static_cast<size_t>(MAX_PATH));
             test::WriteFileBytes(folder + L"\\bottom.WSC", "");
         },
         nullptr, 4 + 100 + 1},
        {"names ending in a dot or a blank, beside the names a path turns them into",
         [&](const std::wstring& main) {
             for (const wchar_t* name : {L"\\news.", L"\\news ", L"\\b.WSC."}) {
                 ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + main + name).c_str(), nullptr));
             }
             test::WriteFileBytes(L"\\\\?\\" + main + L"\\news.\\c.WSC", "");
         },
         L"news\\c.WSC", 4},
        {"names of 255 characters",
         [&](const std::wstring& main) {
             const std::wstring folder = main + L"\\" + longName + L"abcd";
             ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
             test::WriteFileBytes(folder + L"\\" + longName + L".WSC", "");
         },
         nullptr, 4 + 2},
    };
    double longestShowMs = 0;
    int tried = 0;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        links.clear();
        test::RemoveTree(mainDirectory);
        ASSERT_NO_FATAL_FAILURE(SetUpScripts());
        ASSERT_NO_FATAL_FAILURE(layout.build(mainDirectory));
        const auto start = std::chrono::steady_clock::now();
        {
            const HangWatch watch(std::string("showing the band over ") + layout.name, 120000);
            ASSERT_NO_FATAL_FAILURE(Show());
        }
        const double shownMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        longestShowMs = std::max(longestShowMs, shownMs);
        ++tried;
        EXPECT_EQ(layout.items, ui::TreeView(Control(IDC_TREE_IE_WSC)).GetCount());
        if (layout.deepest) {
            EXPECT_TRUE(MainItem(layout.deepest));
        }

        // Idle over the layout: the watch looks at the folders, it does not list them.
        test::PumpFor(1000);
        const double cpuBefore = ThreadCpuMs();
        const auto idleStart = std::chrono::steady_clock::now();
        {
            const HangWatch watch(std::string("the idle band over ") + layout.name, 60000);
            const FolderListingCounter listings;
            ASSERT_TRUE(listings.Counting());
            const LONG before = listings.Calls();
            test::PumpFor(4000);
            EXPECT_EQ(before, listings.Calls()) << "the idle band listed folders";
        }
        const double idleMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - idleStart).count();
        const double share = (ThreadCpuMs() - cpuBefore) / idleMs;
        std::printf("[ figures  ] %s: shown in %.0f ms, idle thread load %.2f %%\n", layout.name, shownMs,
                    share * 100);
        ASSERT_EQ(S_OK, bar->CloseDW(0));
        bar.reset();
    }
    links.clear();
    std::printf("[ figures  ] hostile folders: %d layouts tried, longest time to show the band %.0f ms, 0 hangs\n",
                tried, longestShowMs);
}

// Delete on a folder the shell must not have: it walks into links (looping here, never
// returning), and past MAX_PATH it went on in the current folder, deleting what was
// there. The form asks itself and deletes the folder alone; links go, never their targets.
TEST_F(HostileFoldersTest, DeletingAFolderOfLinksOrLongPathsTouchesNothingElse) {
    const std::wstring hostile = mainDirectory + L"\\hostile";
    // The browser's current folder, with something in it to lose.
    const std::wstring current = location.path() + L"\\current";
    ASSERT_TRUE(::CreateDirectoryW(current.c_str(), nullptr));
    test::WriteFileBytes(current + L"\\canary.txt", "keep");
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(current.c_str()));
    std::vector<std::unique_ptr<test::FolderLink>> links;
    const auto withLinks = [&] {
        links.push_back(std::make_unique<test::FolderLink>(hostile + L"\\self", hostile));
        links.push_back(std::make_unique<test::FolderLink>(hostile + L"\\up", mainDirectory));
        for (const auto& link : links) ASSERT_TRUE(link->Made());
    };
    const auto deep = [&] {
        std::wstring folder = L"\\\\?\\" + hostile;
        while (folder.size() < MAX_PATH + 40) {
            folder += L"\\abcdefghij";
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        }
        test::WriteFileBytes(folder + L"\\s.WSC", "");
    };
    const struct {
        const char* name;
        std::function<void()> build;
        int answer;
        bool gone;  // Wine cannot remove a link to a folder: that folder stays with its links
    } cases[] = {{"looping links, answered No", withLinks, IDNO, false},
                 {"looping links, answered Yes", withLinks, IDYES, false},
                 {"a tree past MAX_PATH, answered Yes", deep, IDYES, true}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        ::CreateDirectoryW(hostile.c_str(), nullptr);
        test::WriteFileBytes(hostile + L"\\s.WSC", "");
        ASSERT_NO_FATAL_FAILURE(each.build());
        ASSERT_NO_FATAL_FAILURE(Show());
        ASSERT_TRUE(ui::TreeView(Control(IDC_TREE_IE_WSC)).SelectItem(MainItem(L"hostile")));
        test::MessageBoxRecorder boxes(each.answer);
        {
            const HangWatch watch(std::string("Delete on ") + each.name, 60000);
            ::SendMessageW(Form()->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DEL_IE_WSC, BN_CLICKED), 0);
        }
        ASSERT_EQ(1u, boxes.boxes().size());
        EXPECT_EQ(L"Delete folder", boxes.boxes()[0].caption);
        if (each.gone) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(hostile.c_str()));
        }
        EXPECT_EQ(each.answer == IDNO, ::GetFileAttributesW((hostile + L"\\s.WSC").c_str()) != INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((mainDirectory + L"\\a.WSC").c_str()))
            << "what a link pointed at is kept";
        EXPECT_EQ("keep", test::ReadFileBytes(current + L"\\canary.txt")) << "the current folder is left alone";
        ASSERT_EQ(S_OK, bar->CloseDW(0));
        bar.reset();
        links.clear();
    }
    ::SetCurrentDirectoryW(previous);
}

}  // namespace
}  // namespace pelmora
