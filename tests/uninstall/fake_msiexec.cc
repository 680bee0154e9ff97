// Stands in for msiexec.exe planted in a directory: if anything runs it, it
// leaves "planted-msiexec-ran.txt" in its current directory.

#include <windows.h>

int main() {
  HANDLE file =
      CreateFileA("planted-msiexec-ran.txt", GENERIC_WRITE, 0, nullptr,
                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return 0;
}
