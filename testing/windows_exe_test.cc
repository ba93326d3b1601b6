// The Windows programs as files: each runs copied alone into a folder,
// needing no DLL but those every Windows has, and each carries the version
// resource Explorer shows in its Properties.
#ifdef TOVRAND_WINE_SCRIPT

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "testing/files.h"
#include "testing/process.h"

namespace tovrand {
namespace {

struct WindowsProgram {
  std::string name;
  std::string description;
  // The parts of Windows it may use beside the kernel and the C runtime.
  std::set<std::string> system_dlls;
};

const WindowsProgram kPrograms[] = {
    {"tovrand", "Rescales tank and infantry quantities in FPools", {}},
    {"tovdiff", "Shows what a tovrand run changed in FPools", {}},
    {"tovrand-window",
     "tovrand in a window: set the values, see what will change, write it",
     {"user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll", "shell32.dll"}},
};

class WindowsExeTest : public ::testing::TestWithParam<WindowsProgram> {
 protected:
  std::string Exe() const {
    return std::string(TOVRAND_WINDOWS_DIR) + "/" + GetParam().name + ".exe";
  }
};

TEST_P(WindowsExeTest, NeedsNoDllButWindowsOwn) {
  const ProcessResult dump =
      RunIn(".", ShellQuote(TOVRAND_MINGW_OBJDUMP), {"-p", Exe()});
  ASSERT_EQ(dump.status, 0) << dump.err;
  const std::set<std::string> windows_own = {"kernel32.dll", "msvcrt.dll",
                                             "ucrtbase.dll"};
  const std::string import = "DLL Name: ";
  int imports = 0;
  for (size_t at = dump.out.find(import); at != std::string::npos;
       at = dump.out.find(import, at + 1), ++imports) {
    const size_t start = at + import.size();
    std::string dll = dump.out.substr(start, dump.out.find_first_of("\r\n", start) - start);
    for (char& c : dll) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(windows_own.count(dll) > 0 || dll.rfind("api-ms-win-", 0) == 0 ||
                GetParam().system_dlls.count(dll) > 0)
        << Exe() << " needs " << dll << ", which Windows does not have";
  }
  EXPECT_GT(imports, 0) << Exe() << " imports no DLL: not a Windows program?";
}

// `text` (ASCII) in UTF-16LE.
std::string Utf16(const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  return wide;
}

// Whether `bytes` holds `pattern` at an even offset, as a resource's
// 16-bit units are.
bool HoldsAligned(const std::string& bytes, const std::string& pattern) {
  for (size_t at = bytes.find(pattern); at != std::string::npos;
       at = bytes.find(pattern, at + 1)) {
    if (at % 2 == 0) return true;
  }
  return false;
}

TEST_P(WindowsExeTest, CarriesItsVersionResource) {
  const std::string exe = testdata::ReadFile(Exe());
  // VS_FIXEDFILEINFO: signature 0xFEEF04BD, structure version 1.0, then the
  // file and product versions 1.1.0.0, each as major << 16 | minor.
  const std::string version_words("\x01\x00\x01\x00\x00\x00\x00\x00", 8);
  EXPECT_TRUE(HoldsAligned(exe, std::string("\xbd\x04\xef\xfe\x00\x00\x01\x00", 8) +
                                    version_words + version_words))
      << "no VS_FIXEDFILEINFO of version 1.1.0.0";
  const std::string& name = GetParam().name;
  const std::pair<std::string, std::string> kStrings[] = {
      {"ProductName", "tovrand"},
      {"FileDescription", GetParam().description},
      {"FileVersion", "1.1.0"},
      {"ProductVersion", "1.1.0"},
      {"LegalCopyright", "Copyright (c) 2026 the tovrand developers"},
      {"OriginalFilename", name + ".exe"},
      {"InternalName", name},
  };
  // Each string: its key and the key's zero, at most one zero unit of
  // padding, then the value and its zero.
  const std::string zero("\0\0", 2);
  for (const auto& [key, value] : kStrings) {
    EXPECT_TRUE(HoldsAligned(exe, Utf16(key) + zero + Utf16(value) + zero) ||
                HoldsAligned(exe, Utf16(key) + zero + zero + Utf16(value) + zero))
        << key << " is not \"" << value << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(Wine, WindowsExeTest, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
}  // namespace tovrand

#endif  // TOVRAND_WINE_SCRIPT
