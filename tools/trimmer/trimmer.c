/* empty.exe: empties the working set of one process.
   Usage: empty.exe {pid}  -- the only argument is a decimal process id.
   Exit code 0 after the trim; 1 for wrong usage; 2 when the process cannot be
   opened or trimmed. Built small (console, -Os, static, stripped) because the
   program stores it inside itself. */
#include <windows.h>

#include <stdio.h>

static int ParseProcessId(const char* text, DWORD* pid)
{
    unsigned long long value = 0;
    if (!text || !*text) return 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9') return 0;
        value = value * 10 + (unsigned)(*text - '0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    *pid = (DWORD)value;
    return value != 0;
}

int main(int argc, char** argv)
{
    DWORD pid = 0;
    HANDLE process;
    BOOL ok;
    if (argc != 2 || !ParseProcessId(argv[1], &pid)) {
        fputs("USAGE: empty.exe {pid}\n", stderr);
        return 1;
    }
    process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return 2;
    /* (SIZE_T)-1 for both limits asks the system to remove as many pages as it can. */
    ok = SetProcessWorkingSetSize(process, (SIZE_T)-1, (SIZE_T)-1);
    CloseHandle(process);
    return ok ? 0 : 2;
}
