/*
 * The executable's entry point. It does no application work: it finds the
 * runtime support library, asks it for its start routine and hands that
 * routine the program image stored in this executable's `.orvimg` section.
 *
 * Built without any C runtime (see CMakeLists.txt): everything here is
 * kernel32, user32 and advapi32, so the stub stays a few kilobytes and loads
 * nothing the runtime library does not load itself.
 *
 * Calling convention of the runtime library, fixed here for both sides:
 *   void* __stdcall GetRuntimeEntry(DWORD interfaceVersion);
 *       exported undecorated ("GetRuntimeEntry", not "_GetRuntimeEntry@4");
 *       returns the start routine, or NULL when it cannot serve that version.
 *   void  __stdcall StartRoutine(const void* programImage);
 *       its result, if any, is ignored.
 * Both take one 32-bit argument and pop it themselves.
 */
#include <windows.h>

/* First byte of the program image: the start of the `.orvimg` section. The
 * label is emitted in front of the embedded bytes by orv_add_launcher. */
extern const unsigned char OrvProgramImage[];

typedef void(__stdcall* RuntimeStartRoutine)(const void* programImage);
typedef RuntimeStartRoutine(__stdcall* GetRuntimeEntryRoutine)(DWORD interfaceVersion);

#define RUNTIME_INTERFACE_VERSION 1000
#define RUNTIME_BESIDE_EXE "orvcore.rtl"
#define RUNTIME_INSTALLED "orvcore.rtx"
#define INSTALL_KEY "Software\\Orvane\\Runtime\\Install"
#define INSTALL_VALUE "Path"

/* Where the library is looked for has to match the launchers already in the
 * field, because installers and users place orvcore.rtl by what those
 * launchers find. They read at most 128 characters of the module name and
 * start looking for the directory's backslash six characters before the end
 * of what they read. For a name of up to 127 characters this is simply the
 * executable's directory (the shortest file name, "x.exe", plus its backslash
 * is six characters). For a longer name the text is cut short, and the
 * library is taken from the folder that the cut-off text names, usually an
 * ancestor of the executable's folder. Changing either number would move the
 * library's place for exactly those installations. */
#define MODULE_NAME_LIMIT 128
#define DIRECTORY_SEARCH_START_FROM_END 6

/* Size the registry read may fill; one byte of the 260 stays free for the
 * terminator this code adds. */
#define INSTALL_PATH_READ_SIZE 259

/* 260 bytes for the path itself, plus room for a backslash and a library
 * file name appended to a registry path that already fills 259 bytes: such a
 * name is too long to load and fails cleanly instead of overrunning. The
 * buffer is static, so it starts zeroed: a module name cut at the limit is
 * terminated even where GetModuleFileNameA does not terminate it (Windows
 * XP). */
static char gPath[260 + 1 + sizeof RUNTIME_INSTALLED];

/* Cuts the module name right after its directory's backslash. The search is
 * byte-wise, as in the launchers whose lookup this preserves. */
static void CutAfterDirectory(char* name, DWORD length)
{
    int i = (int)length - DIRECTORY_SEARCH_START_FROM_END;
    while (i >= 0 && name[i] != '\\') --i;
    /* No backslash (no module name at all): an empty directory, so the
     * library name alone goes to LoadLibraryA's own search. */
    name[i + 1] = '\0';
}

/* The installed runtime: orvcore.rtx in the folder named by the registry.
 * Never orvcore.rtl there, so an installation folder cannot be mistaken for a
 * private copy beside an executable. */
static HMODULE LoadInstalledRuntime(void)
{
    HKEY key;
    DWORD size = INSTALL_PATH_READ_SIZE;
    LONG status;
    int length;

    if (RegOpenKeyExA(HKEY_CURRENT_USER, INSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return NULL;
    status = RegQueryValueExA(key, INSTALL_VALUE, NULL, NULL, (BYTE*)gPath, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return NULL;

    /* A string stored without its terminator comes back without one. */
    gPath[size] = '\0';
    length = lstrlenA(gPath);
    if (length == 0 || gPath[length - 1] != '\\') lstrcatA(gPath, "\\");
    lstrcatA(gPath, RUNTIME_INSTALLED);
    return LoadLibraryA(gPath);
}

static int ReportFailure(void)
{
    MessageBoxA(NULL, "The runtime library was not found or is invalid!", "Error", MB_ICONERROR);
    return -1;
}

/* Returns -1 after telling the user; on success the process ends inside. */
static int RunLauncher(void)
{
    HMODULE runtime;
    GetRuntimeEntryRoutine getRuntimeEntry;
    RuntimeStartRoutine start;
    DWORD length;

    length = GetModuleFileNameA(NULL, gPath, MODULE_NAME_LIMIT);
    CutAfterDirectory(gPath, length);
    lstrcatA(gPath, RUNTIME_BESIDE_EXE);
    runtime = LoadLibraryA(gPath);
    if (!runtime) {
        runtime = LoadInstalledRuntime();
        if (!runtime) return ReportFailure();
    }

    getRuntimeEntry = (GetRuntimeEntryRoutine)(void*)GetProcAddress(runtime, "GetRuntimeEntry");
    if (getRuntimeEntry) {
        start = getRuntimeEntry(RUNTIME_INTERFACE_VERSION);
        if (start) {
            start(OrvProgramImage);
            ExitProcess(0);
        }
    }
    FreeLibrary(runtime);
    return ReportFailure();
}

/* The process entry point (linked with -e _LauncherEntry@0). It never
 * returns: the launcher's result is the exit code. */
void __stdcall LauncherEntry(void)
{
    ExitProcess((UINT)RunLauncher());
}
