#include "app/ProgramChecks.h"

#include <windows.h>

#include "image/LibraryName.h"

namespace orv {

bool ProvidesLibraries(const LoadedProgram& program, std::string* error)
{
    for (const image::SupportLibrary& wanted : program.libraries) {
        bool found = false;
        for (const image::SupportLibrary& have : ProvidedSupportLibraries())
            found = found || (have.name == wanted.name && have.id == wanted.id && have.major == wanted.major);
        if (!found) {
            *error = "the support library \"" + wanted.name + "\" " + wanted.major + "." + wanted.minor +
                     " is not provided by this runtime";
            return false;
        }
    }
    return true;
}

bool ResolveFunctions(const LoadedProgram& program, std::string* error)
{
    static const char* const kDefaultLibraries[] = {"kernel32.dll", "user32.dll", "gdi32.dll"};
    for (const image::ImportedFunction& f : program.imports) {
        FARPROC address = nullptr;
        if (f.library) {
            const std::string file = image::NormaliseLibraryName(*f.library) + ".dll";
            HMODULE module = LoadLibraryA(file.c_str());
            address = module ? GetProcAddress(module, f.function.c_str()) : nullptr;
        } else {
            for (const char* name : kDefaultLibraries) {
                HMODULE module = LoadLibraryA(name);
                if (module && (address = GetProcAddress(module, f.function.c_str())) != nullptr) break;
            }
        }
        if (!address) {
            *error = "the function " + f.function + " of " + (f.library ? *f.library : std::string("the system")) +
                     " cannot be found";
            return false;
        }
    }
    return true;
}

}  // namespace orv
