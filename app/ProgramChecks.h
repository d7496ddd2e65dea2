// Checks the runtime library makes on a program image before it runs it:
// every support library it lists is one this runtime provides, and every
// operating-system function it declares can be found.
#pragma once

#include <string>

#include "app/ProgramImage.h"

namespace orv {

// False with a sentence naming the first library that is not provided (by
// name, identifier and major version).
bool ProvidesLibraries(const LoadedProgram& program, std::string* error);

// False with a sentence naming the first function that cannot be found.
// Library names are matched ignoring case and an optional ".dll"; a function
// without a library is looked for in kernel32, user32 and gdi32.
bool ResolveFunctions(const LoadedProgram& program, std::string* error);

}  // namespace orv
