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
 * In the PE32 release both take their one argument on the stack and pop it
 * themselves; in the x86_64 twin __stdcall means nothing and both follow the
 * Windows x64 convention (the argument in RCX), with the same names.
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

/* A module name takes at most MAX_PATH bytes with its terminator. One that
 * does not fit is refused rather than cut: a cut name ends in some parent
 * folder, and a library placed there must never be run. The buffer also has
 * room for a backslash and a library file name appended to a registry path
 * that fills the 259 bytes read: such a name fails to load cleanly instead of
 * overrunning. */
#define INSTALL_PATH_READ_SIZE (MAX_PATH - 1)
static char gPath[MAX_PATH + 1 + sizeof RUNTIME_INSTALLED];

/* Cuts the module name right after its directory's backslash; false when it
 * has none. The search steps back by characters: in a double-byte code page
 * such as 936 the trail byte of a character can be 0x5C, the backslash's
 * value (乗 is 81 5C), and a byte-wise search would cut inside the folder's
 * name. */
static BOOL CutAfterDirectory(char* name, DWORD length)
{
    char* at = name + length;
    while (at > name) {
        at = CharPrevA(name, at);
        if (*at == '\\') {
            at[1] = '\0';
            return TRUE;
        }
    }
    return FALSE;
}

/* Only a full path ("C:\..." or "\\server\...") names one folder: a
 * relative one would send LoadLibraryA along its search order (the
 * executable's folder, the system folders, the working folder, PATH). The
 * path is never empty here: it ends with a backslash. */
static BOOL IsFullPath(const char* path)
{
    return path[1] == ':' ? path[2] == '\\' : path[0] == '\\' && path[1] == '\\';
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
    if (!IsFullPath(gPath)) return NULL;
    lstrcatA(gPath, RUNTIME_INSTALLED);
    return LoadLibraryA(gPath);
}

/* The library beside the executable, else the installed one. */
static HMODULE LoadRuntime(void)
{
    HMODULE runtime;
    DWORD length;

    /* A name that fills the size given was cut: Windows returns that size
     * (and sets ERROR_INSUFFICIENT_BUFFER; XP leaves the text unterminated).
     * Wine, cutting a name inside a double-byte character, returns one byte
     * less and sets no error, so the size given is one more than a name may
     * take: whatever does not fit in MAX_PATH bytes is then refused on both.
     * Such a name fails at once, without the registry. */
    length = GetModuleFileNameA(NULL, gPath, MAX_PATH + 1);
    if (length == 0 || length >= MAX_PATH || !CutAfterDirectory(gPath, length)) return NULL;
    lstrcatA(gPath, RUNTIME_BESIDE_EXE);
    runtime = LoadLibraryA(gPath);
    return runtime ? runtime : LoadInstalledRuntime();
}

/* Returns -1 after telling the user; on success the process ends inside. */
static int RunLauncher(void)
{
    HMODULE runtime = LoadRuntime();
    GetRuntimeEntryRoutine getRuntimeEntry;
    RuntimeStartRoutine start;

    if (runtime) {
        getRuntimeEntry = (GetRuntimeEntryRoutine)(void*)GetProcAddress(runtime, "GetRuntimeEntry");
        if (getRuntimeEntry) {
            start = getRuntimeEntry(RUNTIME_INTERFACE_VERSION);
            if (start) {
                start(OrvProgramImage);
                ExitProcess(0);
            }
        }
        FreeLibrary(runtime);
    }
    MessageBoxA(NULL, "The runtime library was not found or is invalid!", "Error", MB_ICONERROR);
    return -1;
}

/* The process entry point (linked with -e _LauncherEntry@0 in the PE32
 * release, -e LauncherEntry in the x86_64 twin). It never returns: the
 * launcher's result is the exit code. */
void __stdcall LauncherEntry(void)
{
    ExitProcess((UINT)RunLauncher());
}
