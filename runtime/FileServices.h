// File and process services of the runtime.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Directory of the running executable, without a trailing backslash.
std::string ExecutableDirectory();

// The whole file; empty when it is missing or cannot be read.
std::string ReadWholeFile(const std::string& path);

// Writes bytes to a temporary file beside path, flushes it and moves it over
// path in one step, so a crash or a full disk leaves the old file intact.
// Returns false, with path untouched and no temporary left, on any failure.
bool ReplaceFileContent(const std::string& path, std::string_view bytes);

bool FileExists(const std::string& path);

// Creates a new file with exactly these bytes; fails if it already exists.
bool WriteNewFile(const std::string& path, std::string_view bytes);

// False when the variable is not set.
bool ReadEnvironmentVariable(const char* name, std::string* value);

// Starts commandLine with a hidden window and waits for it to end.
bool RunHiddenAndWait(const std::string& commandLine);

}  // namespace orv
