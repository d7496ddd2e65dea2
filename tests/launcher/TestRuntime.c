/*
 * Stand-ins for the runtime support library, for the launcher tests. One
 * source, three builds:
 *   RUNTIME_KIND_GOOD     GetRuntimeEntry(1000) returns a start routine; any
 *                         other interface version gets NULL.
 *   RUNTIME_KIND_NO_ENTRY no GetRuntimeEntry export at all.
 *   RUNTIME_KIND_REFUSES  GetRuntimeEntry returns NULL for every version.
 *
 * Each copy writes what happens to it into "<its own file name>.log" beside
 * itself, one line per event, so a test can tell which copy in which folder
 * was loaded (orvcore.rtl.log, orvcore.rtx.log):
 *   attach
 *   entry <version>                      GetRuntimeEntry was called
 *   start <image> <section> <hex bytes>  the start routine ran: the address
 *       it received, the address of the executable's `.orvimg` section found
 *       from the loaded module's own headers, and the first 64 bytes there
 *   detach free                          released by FreeLibrary
 *   detach exit                          released because the process ends
 */
#include <windows.h>

#define IMAGE_BYTES_RECORDED 64

static char gLogPath[MAX_PATH];

static void Record(const char* line)
{
    HANDLE file;
    DWORD written;
    if (!gLogPath[0]) return;
    file = CreateFileA(gLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
    WriteFile(file, "\n", 1, &written, NULL);
    CloseHandle(file);
}

#if defined(RUNTIME_KIND_GOOD)
/* The loaded program's `.orvimg` section, found independently of the
 * launcher, so the test can check the address the launcher passed. */
static const BYTE* ImageSectionOfProcess(void)
{
    const BYTE* base = (const BYTE*)GetModuleHandleA(NULL);
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    WORD i;
    for (i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (lstrcmpA((const char*)section->Name, ".orvimg") == 0) return base + section->VirtualAddress;
    return NULL;
}

static void __stdcall StartRoutine(const BYTE* image)
{
    static const char hex[] = "0123456789ABCDEF";
    char line[64 + 2 * IMAGE_BYTES_RECORDED];
    int used = wsprintfA(line, "start %08lX %08lX ", (unsigned long)(ULONG_PTR)image,
                         (unsigned long)(ULONG_PTR)ImageSectionOfProcess());
    int i;
    for (i = 0; i < IMAGE_BYTES_RECORDED; ++i) {
        line[used++] = hex[image[i] >> 4];
        line[used++] = hex[image[i] & 15];
    }
    line[used] = '\0';
    Record(line);
}
#endif

#if defined(RUNTIME_KIND_GOOD) || defined(RUNTIME_KIND_REFUSES)
__declspec(dllexport) void* __stdcall GetRuntimeEntry(DWORD interfaceVersion)
{
    char line[32];
    wsprintfA(line, "entry %lu", (unsigned long)interfaceVersion);
    Record(line);
#if defined(RUNTIME_KIND_GOOD)
    return interfaceVersion == 1000 ? (void*)StartRoutine : NULL;
#else
    return NULL;
#endif
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (GetModuleFileNameA(instance, gLogPath, MAX_PATH - 5) == 0) gLogPath[0] = '\0';
        else lstrcatA(gLogPath, ".log");
        Record("attach");
        break;
    case DLL_PROCESS_DETACH:
        /* NULL: FreeLibrary; non-NULL: the process is ending. */
        Record(reserved == NULL ? "detach free" : "detach exit");
        break;
    }
    return TRUE;
}
