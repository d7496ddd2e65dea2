// Whether a command line names anything after the program: the start-up asks
// the shell to split its command line only when it does, so a wrong "no"
// would lose the files Explorer handed over.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "runtime/FileHandover.h"

namespace orv {
namespace {

TEST(CommandLineHasArguments, AgreesWithTheShellAndNeverMissesAnArgument)
{
    const struct {
        const wchar_t* line;
        bool has;
    } cases[] = {
        {L"", false},
        {L"orvane.exe", false},
        {L"orvane.exe  \t ", false},
        {L"\"C:\\Program Files\\Orvane\\orvane.exe\"", false},
        {L"\"C:\\Program Files\\Orvane\\orvane.exe\" \t", false},
        {L"\"C:\\Program Files\\Orvane\\orvane.exe", false},  // the quote never closes
        {L"orvane.exe C:\\tracks\\a.mp3", true},
        {L"orvane.exe\t\"C:\\my tracks\\a.mp3\"", true},
        {L"\"C:\\Program Files\\Orvane\\orvane.exe\" \"C:\\my tracks\\a.mp3\"", true},
        {L"\"C:\\Program Files\\Orvane\\orvane.exe\" \"\"", true},  // one empty argument
        {L"C:\\Orvane\\orvane.exe a.wav b.wav", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandLineHasArguments(c.line), c.has) << testing::PrintToString(std::wstring(c.line));
        if (!*c.line) continue;  // the shell splits the process's own line then
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(c.line, &count);
        ASSERT_NE(args, nullptr);
        LocalFree(args);
        EXPECT_EQ(count > 1, c.has) << "the shell splits it otherwise: "
                                    << testing::PrintToString(std::wstring(c.line));
    }
    EXPECT_FALSE(CommandLineHasArguments(nullptr));
}

}  // namespace
}  // namespace orv
