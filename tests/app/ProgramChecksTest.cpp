// What the runtime library refuses before it runs a program image.
#include <gtest/gtest.h>

#include "app/ProgramChecks.h"

namespace orv {
namespace {

TEST(ProgramChecks, TheProgramsOwnDeclarationsResolve)
{
    LoadedProgram program;
    program.imports = DeclaredFunctions();
    program.libraries = ProvidedSupportLibraries();
    std::string error;
    EXPECT_TRUE(ProvidesLibraries(program, &error)) << error;
    EXPECT_TRUE(ResolveFunctions(program, &error)) << error;
}

TEST(ProgramChecks, LibraryNamesIgnoreCaseAndDll)
{
    LoadedProgram program;
    program.imports = {{"USER32", "GetDesktopWindow"}, {"User32.DLL", "GetDesktopWindow"},
                       {"kernel32.dll", "GetTickCount"}, {std::nullopt, "BitBlt"}};
    std::string error;
    EXPECT_TRUE(ResolveFunctions(program, &error)) << error;
}

TEST(ProgramChecks, MissingFunctionOrLibraryIsNamed)
{
    LoadedProgram program;
    std::string error;
    program.imports = {{"user32", "GetDesktopWindow"}, {"user32", "NoSuchFunctionHere"}};
    EXPECT_FALSE(ResolveFunctions(program, &error));
    EXPECT_NE(error.find("NoSuchFunctionHere"), std::string::npos) << error;

    program.imports = {{"nosuchlibrary", "Anything"}};
    EXPECT_FALSE(ResolveFunctions(program, &error));
    EXPECT_NE(error.find("nosuchlibrary"), std::string::npos) << error;
}

TEST(ProgramChecks, UnknownOrNewerSupportLibraryIsRefused)
{
    LoadedProgram program;
    std::string error;
    program.libraries = ProvidedSupportLibraries();
    program.libraries.push_back({"network", "4F5256414E454E4554574F524B303031", "1", "0", "network"});
    EXPECT_FALSE(ProvidesLibraries(program, &error));
    EXPECT_NE(error.find("network"), std::string::npos) << error;

    program.libraries = ProvidedSupportLibraries();
    program.libraries[0].major = "6";
    EXPECT_FALSE(ProvidesLibraries(program, &error));
    EXPECT_NE(error.find("core"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv
