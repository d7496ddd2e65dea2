// Where the program's private bytes go: the start-up taken step by step in
// one process (the program linked in one piece, built the way it builds
// itself), with the private bytes and the committed private memory after
// each step, then what holds the memory once it has settled: every heap
// (committed, in use, blocks by size), the private regions that belong to
// no heap, and the skin's kept surfaces.
//
//   bench_orvane_memory.exe steps|run [ENTRIES] [ORVANE-EXE]
//       steps: the start-up one step at a time, then 1,000 entries added
//       the way the add button adds them, then the breakdown, then a
//       keyword search for a title and the pinyin search that lists the
//       same entries;
//       run: the program's own start-up and message loop, with the
//       breakdown taken 1.5 s after it started (the start-up benchmark's
//       moment), then the window closed.
//       ENTRIES catalogue entries (default 10,000); with the shipped
//       orvane.exe (a Windows path), the program is taken from its image
//       the way the runtime library takes it, instead of from the tables
//       linked in here.
//
// "private" is GetProcessMemoryInfo's PagefileUsage of this process; Wine
// figures it for the asking process otherwise than for another one (whose
// figure is its resident anonymous memory, what the start-up benchmark
// reads), so the steps' differences are what to read. "Pages walked" are the
// pages present and private in the process's own regions, found page by page
// (QueryWorkingSetEx); what lies outside them is Wine's own Unix side (X11,
// fonts), about 3 MB. "Committed" is what VirtualQuery reports, touched or
// not.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "tests/support/ProcessEnvironmentBlock.h"
#include "app/CatalogueActions.h"
#include "app/EventTable.h"
#include "app/MainLayout.h"
#include "app/ProgramImage.h"
#include "app/SkinSetup.h"
#include "app/Startup.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "bench/startup/ProgramArguments.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "resources/Resources.h"
#include "runtime/FileServices.h"
#include "runtime/Win32Runtime.h"
#include "skin/BackgroundPreparation.h"
#include "skin/ControlSkins.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "tests/support/GdiObjectCount.h"

extern "C" __declspec(dllimport) intptr_t __cdecl _get_heap_handle();

namespace {

double Mb(size_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

struct Region {
    uintptr_t base = 0, allocation = 0;
    size_t size = 0;
    DWORD type = 0;
    size_t resident = 0;  // bytes of pages present and not backed by a file
    bool guarded = false;  // its allocation holds a guard page
};

// Pages present in memory and private to the process: Wine answers
// QueryWorkingSetEx for its own process from /proc/self/pagemap, and marks
// an image page Shared while it is still the file's page.
size_t ResidentPrivate(uintptr_t base, size_t size)
{
    std::vector<PSAPI_WORKING_SET_EX_INFORMATION> pages(size / 4096);
    for (size_t i = 0; i < pages.size(); ++i) pages[i].VirtualAddress = reinterpret_cast<void*>(base + 4096 * i);
    if (pages.empty() ||
        !QueryWorkingSetEx(GetCurrentProcess(), pages.data(), static_cast<DWORD>(pages.size() * sizeof pages[0])))
        return 0;
    size_t n = 0;
    for (const auto& p : pages) n += p.VirtualAttributes.Valid && !p.VirtualAttributes.Shared;
    return n * 4096;
}

// Every committed region but the file mappings (the code page tables and
// the like, which are no one's private bytes).
std::vector<Region> CommittedRegions()
{
    std::vector<Region> regions;
    MEMORY_BASIC_INFORMATION m{};
    for (uintptr_t at = 0x10000; at < 0x7FFF0000 && VirtualQuery(reinterpret_cast<void*>(at), &m, sizeof m);
         at = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize) {
        if (m.State != MEM_COMMIT || m.Type == MEM_MAPPED) continue;
        Region r{reinterpret_cast<uintptr_t>(m.BaseAddress), reinterpret_cast<uintptr_t>(m.AllocationBase),
                 m.RegionSize, m.Type, 0};
        r.resident = ResidentPrivate(r.base, r.size);
        regions.push_back(r);
    }
    // A guard page is committed too: it marks every region of its allocation.
    std::vector<uintptr_t> guarded;
    for (uintptr_t at = 0x10000; at < 0x7FFF0000 && VirtualQuery(reinterpret_cast<void*>(at), &m, sizeof m);
         at = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize)
        if (m.State == MEM_COMMIT && (m.Protect & PAGE_GUARD))
            guarded.push_back(reinterpret_cast<uintptr_t>(m.AllocationBase));
    for (Region& r : regions)
        r.guarded = std::find(guarded.begin(), guarded.end(), r.allocation) != guarded.end();
    return regions;
}

// Allocation bases of every heap's regions; with print, each heap's
// figures (committed, in use, busy blocks by size).
std::map<uintptr_t, std::string> HeapOwners(bool print)
{
    std::map<uintptr_t, std::string> owner;
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    const auto crt = reinterpret_cast<HANDLE>(_get_heap_handle());
    for (DWORD h = 0; h < count && h < 64; ++h) {
        const std::string name = heaps[h] == GetProcessHeap() ? "process heap"
                                 : heaps[h] == crt            ? "C runtime heap"
                                                              : "heap " + std::to_string(h);
        size_t committed = 0, busy = 0, busyBlocks = 0, overhead = 0;
        const size_t limits[] = {32, 128, 512, 4096, 65536, SIZE_MAX};
        size_t classBytes[6] = {}, classBlocks[6] = {};
        std::vector<size_t> large;
        PROCESS_HEAP_ENTRY e{};
        HeapLock(heaps[h]);
        while (HeapWalk(heaps[h], &e)) {
            if (e.wFlags & PROCESS_HEAP_REGION) {
                committed += e.Region.dwCommittedSize;
                owner[reinterpret_cast<uintptr_t>(e.lpData)] = name;
            } else if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                busy += e.cbData;
                overhead += e.cbOverhead;
                ++busyBlocks;
                int k = 0;
                while (e.cbData > limits[k]) ++k;
                classBytes[k] += e.cbData;
                ++classBlocks[k];
                // A large block is a region of its own.
                if (e.cbData >= 65536) {
                    large.push_back(e.cbData);
                    MEMORY_BASIC_INFORMATION m{};
                    if (VirtualQuery(e.lpData, &m, sizeof m))
                        owner.emplace(reinterpret_cast<uintptr_t>(m.AllocationBase), name);
                }
            }
        }
        HeapUnlock(heaps[h]);
        if (!print) continue;
        std::printf("heap %-16s regions committed %6.2f MB, in use %6.2f MB in %zu blocks (+%.2f MB headers)\n",
                    name.c_str(), Mb(committed), Mb(busy), busyBlocks, Mb(overhead));
        const char* labels[] = {"<=32", "<=128", "<=512", "<=4K", "<=64K", ">64K"};
        for (int k = 0; k < 6; ++k)
            if (classBlocks[k])
                std::printf("     %-6s %8zu blocks %7.2f MB\n", labels[k], classBlocks[k], Mb(classBytes[k]));
        if (!large.empty()) {
            std::printf("     blocks over 64 KB (KB):");
            for (size_t b : large) std::printf(" %zu", b / 1024);
            std::printf("\n");
        }
    }
    return owner;
}

void SurfaceOwner(const char* name, HBITMAP bitmap, std::map<uintptr_t, std::string>& owner, bool print)
{
    DIBSECTION dib{};
    if (!bitmap || GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return;
    MEMORY_BASIC_INFORMATION m{};
    if (VirtualQuery(dib.dsBm.bmBits, &m, sizeof m)) owner[reinterpret_cast<uintptr_t>(m.AllocationBase)] = name;
    if (print)
        std::printf("surface %-24s %4ld x %4ld  %6.2f MB\n", name, dib.dsBm.bmWidth, dib.dsBm.bmHeight,
                    Mb(static_cast<size_t>(dib.dsBm.bmWidthBytes) * static_cast<size_t>(dib.dsBm.bmHeight)));
}

struct Use {
    size_t committed = 0, resident = 0;
};

constexpr const char kSharedTable[] = "GDI handle table (shared, not counted)";

// Resident private pages (and committed memory) by what holds them: a heap,
// a kept surface of the skin, the main thread's stack, a module's image
// (pages written or read in rather than mapped from the file), or another
// region by its address.
std::map<std::string, Use> Owners(bool print)
{
    std::map<uintptr_t, std::string> owner = HeapOwners(print);
    for (int i = 1; i <= orv::WindowCount(); ++i) {
        orv::WindowSkinRecord* r = orv::RecordAt(i);
        if (!r) continue;
        SurfaceOwner("frame cache", r->frameCache.bitmap, owner, print);
        SurfaceOwner("title band clean copy", r->titleClean.bitmap, owner, print);
        for (const orv::ColouredControl& c : r->coloured)
            SurfaceOwner("control's pattern brush", static_cast<HBITMAP>(c.bitmap), owner, print);
        for (const orv::KeptFaceEntry& f : r->keptFaces) SurfaceOwner("control's kept face", f.image.bitmap, owner, print);
    }
    MEMORY_BASIC_INFORMATION stack{};
    VirtualQuery(&stack, &stack, sizeof stack);
    owner.emplace(reinterpret_cast<uintptr_t>(stack.AllocationBase), "main thread's stack");
    // The GDI handle table is memory shared with the Wine server: resident,
    // but nobody's private bytes.
    MEMORY_BASIC_INFORMATION table{};
    if (VirtualQuery(orv::test::GdiSharedHandleTable(), &table, sizeof table))
        owner.emplace(reinterpret_cast<uintptr_t>(table.AllocationBase), kSharedTable);
    std::map<std::string, Use> byOwner;
    for (const Region& r : CommittedRegions()) {
        std::string name;
        auto it = owner.find(r.allocation);
        if (it != owner.end()) {
            name = it->second;
        } else if (r.type == MEM_IMAGE) {
            char file[MAX_PATH] = {};
            GetModuleFileNameA(reinterpret_cast<HMODULE>(r.allocation), file, MAX_PATH);
            const char* slash = std::strrchr(file, '\\');
            name = std::string("module ") + (slash ? slash + 1 : file);
        } else if (r.guarded) {
            // Stacks end in a guard page; under Wine a thread's stack stays
            // until the next thread ends.
            name = "another thread's stack (running or the last ended)";
        } else {
            char at[40];
            std::snprintf(at, sizeof at, "region at %08llx", static_cast<unsigned long long>(r.allocation));
            name = at;
        }
        byOwner[name].committed += r.size;
        if (name != kSharedTable) byOwner[name].resident += r.resident;
    }
    return byOwner;
}

size_t lastPrivate = 0;
std::map<std::string, Use> lastOwners;

// The private bytes after a step, and which owners changed by 32 KB or more.
void Step(const char* name)
{
    const size_t p = orv::test::PrivateBytes();
    std::map<std::string, Use> owners = Owners(false);
    size_t walked = 0;
    for (const auto& [n, use] : owners) walked += use.resident;
    std::printf("step %-42s private %6.2f MB (%+5.2f), pages walked %6.2f MB, GDI objects %ld\n", name, Mb(p),
                Mb(p) - Mb(lastPrivate), Mb(walked), orv::test::GdiObjectCount());
    for (const auto& [n, use] : owners) {
        const long long before = lastOwners.count(n) ? static_cast<long long>(lastOwners[n].resident) : 0;
        const long long change = static_cast<long long>(use.resident) - before;
        if (change >= 32 * 1024 || change <= -32 * 1024)
            std::printf("       %-52s %+6.2f MB\n", n.c_str(), static_cast<double>(change) / 1048576.0);
    }
    for (const auto& [n, use] : lastOwners)
        if (!owners.count(n) && use.resident >= 32 * 1024)
            std::printf("       %-52s %+6.2f MB\n", n.c_str(), -Mb(use.resident));
    std::fflush(stdout);
    lastPrivate = p;
    lastOwners = std::move(owners);
}

void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

// The launcher's image section, mapped the way the loader maps the
// executable (under Wine: read into private pages, its sections not being
// page-aligned in the file).
bool MapImageSection(const char* exe, const uint8_t** data, size_t* size)
{
    auto* base = reinterpret_cast<uint8_t*>(LoadLibraryExA(exe, nullptr, DONT_RESOLVE_DLL_REFERENCES));
    if (!base) return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, ".orvimg", 8) != 0) continue;
        *data = base + section->VirtualAddress;
        *size = section->Misc.VirtualSize;
        return true;
    }
    return false;
}

void Breakdown()
{
    const std::map<std::string, Use> owners = Owners(true);
    size_t total = 0;
    for (const auto& [name, use] : owners) total += use.resident;
    std::printf("resident private pages by owner, %.2f MB in all (committed beside each)\n", Mb(total));
    for (const auto& [name, use] : owners)
        if (use.resident >= 32 * 1024 || name == kSharedTable)
            std::printf("  %-52s %6.2f MB  (%6.2f MB committed)\n", name.c_str(), Mb(use.resident), Mb(use.committed));
}

}  // namespace

BOOL CALLBACK CountListItems(HWND child, LPARAM total)
{
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "ListBox") == 0)
        *reinterpret_cast<int*>(total) += static_cast<int>(SendMessageA(child, LB_GETCOUNT, 0, 0));
    return TRUE;
}

void CALLBACK MeasureRunning(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND main = FindWindowA("OrvaneMainWindow", nullptr);
    int items = 0;
    EnumChildWindows(main, CountListItems, reinterpret_cast<LPARAM>(&items));
    std::printf("main window %p, %d items in its lists\n", static_cast<void*>(main), items);
    Step("program running, 1.5 s after its start");
    Breakdown();
    std::fflush(stdout);
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
}

int main(int argc, char** argv)
{
    const bool run = argc > 1 && std::strcmp(argv[1], "run") == 0;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 10000;
    const std::string path = orv::ExecutableDirectory() + "\\jidiao.dll";
    orv::ReplaceFileContent(path, orv::JoinCatalogue(orv::bench::MakeEntries(entries)));
    Step("process started");
    static orv::LoadedProgram program;
    orv::LayoutTable layout = orv::MainLayout();
    orv::EventTable events = orv::MainEvents();
    std::string_view windowSound = orv::StoredBytes(IDR_WINDOW_SOUND);
    if (argc > 3) {
        const uint8_t* image = nullptr;
        size_t size = 0;
        std::string error;
        if (!MapImageSection(argv[3], &image, &size)) {
            std::printf("no program image in %s\n", argv[3]);
            return 1;
        }
        Step("launcher's image section mapped");
        if (!orv::LoadProgramImage(image, size, &program, &error)) {
            std::printf("%s\n", error.c_str());
            return 1;
        }
        orv::UseStoredItems(&program.items);
        layout = program.Layout();
        events = program.Events();
        windowSound = program.windowSound;
        Step("program image read and checked");
    }
    if (run) {
        SetTimer(nullptr, 0, 1500, MeasureRunning);
        orv::bench::CutArgumentsFromCommandLine();
        const int code = orv::RunOrvane({layout, events, windowSound});
        DeleteFileA(path.c_str());
        return code;
    }
    {
        orv::AppContext app;
        orv::SkinEngine skin(GetSysColor(COLOR_BTNFACE));
        orv::InstallControlSkinModules();
        orv::StartupRoutine(app);
        Step("GDI+ session, skin object, icon");
        orv::Win32Runtime rt(layout);
        rt.SetWindowSound(windowSound);
        app.rt = &rt;
        app.skin = &skin;
        app.lists = {orv::kList1, orv::kList2};
        app.showMessageBox = [](HWND, const char*, UINT, const char*) { return 0; };
        rt.CreateWindowFromLayout();
        Step("window and its 21 controls");
        orv::ApplyMainWindowSkin(app);
        Step("frame and control skins");
        orv::FinishBackground(*orv::RecordAt(orv::FindWindowRecord(rt.ControlHandle(orv::kMainWindow))));
        Step("background prepared (its worker thread done)");
        orv::FillListsAtStart(rt, app.catalogue, app.lists);
        Step("catalogue read twice, both lists filled");
        HWND main = rt.ControlHandle(orv::kMainWindow);
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        Step("first full paint");
        Pump(500);
        Step("half a second of messages");
        for (int i = 0; i < 20; ++i)
            RedrawWindow(main, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        Step("20 more full paints");
        for (int i = 0; i < 1000; ++i) {
            rt.SetContent(orv::kEdit2, "added " + std::to_string(i));
            orv::AddEntry(app);
            if (i == 9) Step("10 entries added");
        }
        Step("1,000 entries added");
        Breakdown();
        // What the pinyin search itself holds: it lists the same entries as
        // the keyword search before it, so the list's memory stays.
        rt.SetContent(orv::kEdit2, orv::bench::kTitleKeyword);
        orv::SearchCatalogue(app);
        Step("keyword search for a title");
        rt.SetContent(orv::kEdit2, orv::bench::kPinyinKeyword);
        orv::SearchCatalogue(app);
        Step("pinyin search, the same entries");
        DestroyWindow(main);
        Pump(100);
    }
    DeleteFileA(path.c_str());
    return 0;
}
