// Paths handed to the running window the ways Windows hands files to a
// program: dropped on its window (WM_DROPFILES), or given on the command
// line of a second start, which sends them to the running copy
// (WM_COPYDATA). Paths stay UTF-16 from end to end, so a name that the
// ANSI code page cannot spell still opens.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orv {

// WM_COPYDATA's dwData for a list of paths ("ORVF").
constexpr ULONG_PTR kPathListCopyData = 0x4F525646;

// The paths one after another, each ending in a NUL, as the bytes of a
// WM_COPYDATA.
std::wstring EncodePathList(const std::vector<std::wstring>& paths);
// The paths of such bytes; nothing for bytes that are not a list of paths.
std::vector<std::wstring> DecodePathList(const void* bytes, size_t size);

// The paths of a drop, in the order Windows gives them.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// Where the program's own name ends on a command line, as the shell ends it:
// at the closing quote when it starts with one, else at the first blank.
const wchar_t* EndOfProgramName(const wchar_t* line);
// Whether anything but blanks follows that name. A line that has nothing more
// never needs the shell to split it.
bool CommandLineHasArguments(const wchar_t* line);

// The arguments of this process's command line after the program's own
// name, as full paths (a relative one is taken from the current folder, which
// the running copy does not share).
std::vector<std::wstring> CommandLinePaths();

}  // namespace orv
