#include "support/unix_shell.h"

#include <windows.h>

#include "support/process.h"

namespace test_support {

namespace {

std::string ReadText(const std::wstring& path) {
  std::string text(4096, '\0');
  DWORD read = 0;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
  }
  text.resize(read);
  return text;
}

}  // namespace

std::wstring UnixPath(const std::wstring& path) {
  typedef char*(CDECL * UnixName)(const wchar_t*);
  static const UnixName unix_name =
      reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(
          GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  char* name = unix_name ? unix_name(path.c_str()) : nullptr;
  if (!name)
    return std::wstring();
  const std::string narrow = name;
  HeapFree(GetProcessHeap(), 0, name);
  return std::wstring(narrow.begin(), narrow.end());
}

std::string RunUnixShell(const std::wstring& script, std::string* output) {
  TempDir temp;
  const std::wstring dir = UnixPath(temp.path());
  std::wstring line = L"Z:\\bin\\sh -c \"(" + script + L") >'" + dir +
                      L"/out' 2>&1; echo $? >'" + dir + L"/s'; mv '" + dir +
                      L"/s' '" + dir + L"/status'\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return "not started";
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  const std::wstring status = temp.path() + L"\\status";
  if (!WaitFor([&] { return FileExists(status); }, 60000))
    return "no end in 60 s";
  *output = ReadText(temp.path() + L"\\out");
  return ReadText(status);
}

std::string MakeUnixLink(const std::wstring& target, const std::wstring& link) {
  std::string out;
  const std::string status = RunUnixShell(
      L"ln -s '" + UnixPath(target) + L"' '" + UnixPath(link) + L"'", &out);
  if (status != "0\n")
    return "ln -s: " + status + out;
  if (GetFileAttributesW(link.c_str()) !=
      (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
    return "the link is no directory link";
  }
  return std::string();
}

void RemoveUnixLink(const std::wstring& link) {
  std::string out;
  RunUnixShell(L"rm -f '" + UnixPath(link) + L"'", &out);
}

}  // namespace test_support
