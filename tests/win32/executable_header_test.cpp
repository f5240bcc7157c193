#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "win_test_support.h"

namespace {

const char SAVER_FILE_NAME[] = "Tamblorn.scr";
const WORD NO_SUBSYSTEM = 0;

// The saver is built into the same directory as the tests.
std::string SaverPath()
{
    return TestDirectory() + "\\" + SAVER_FILE_NAME;
}

template <typename Record> bool ReadRecord(const std::string& image, size_t offset, Record* record)
{
    if (offset > image.size() || image.size() - offset < sizeof(Record))
        return false;
    memcpy(record, image.data() + offset, sizeof(Record));
    return true;
}

// The Subsystem field of a program's optional header, or 0 when the file is
// no program.
WORD ReadSubsystem(const std::string& path, WORD* characteristics)
{
    std::string image = ReadWholeFile(path);
    IMAGE_DOS_HEADER dosHeader;
    if (!ReadRecord(image, 0, &dosHeader) || dosHeader.e_magic != IMAGE_DOS_SIGNATURE)
        return NO_SUBSYSTEM;
    size_t peOffset = static_cast<size_t>(dosHeader.e_lfanew);
    DWORD signature;
    IMAGE_FILE_HEADER fileHeader;
    if (!ReadRecord(image, peOffset, &signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadRecord(image, peOffset + sizeof signature, &fileHeader))
        return NO_SUBSYSTEM;
    *characteristics = fileHeader.Characteristics;
    size_t optionalOffset = peOffset + sizeof signature + sizeof fileHeader;
    WORD magic;
    if (!ReadRecord(image, optionalOffset, &magic))
        return NO_SUBSYSTEM;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 header;
        return ReadRecord(image, optionalOffset, &header) ? header.Subsystem : NO_SUBSYSTEM;
    }
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 header;
        return ReadRecord(image, optionalOffset, &header) ? header.Subsystem : NO_SUBSYSTEM;
    }
    return NO_SUBSYSTEM;
}

}  // namespace

TEST(ExecutableHeader, TheSaverIsAWindowsGuiProgram)
{
    WORD characteristics = 0;
    EXPECT_EQ(ReadSubsystem(SaverPath(), &characteristics), IMAGE_SUBSYSTEM_WINDOWS_GUI)
        << SaverPath() << " is built by the default target";
    EXPECT_TRUE(characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
    EXPECT_FALSE(characteristics & IMAGE_FILE_DLL);
}

TEST(ExecutableHeader, ThisTestItselfReadsAsAConsoleProgram)
{
    WORD characteristics = 0;
    EXPECT_EQ(ReadSubsystem(TestExecutablePath(), &characteristics), IMAGE_SUBSYSTEM_WINDOWS_CUI);
}
