// Reaching Linux from a test under Wine: what Windows programs cannot do
// there (Wine 8's CreateSymbolicLinkW makes nothing), a Unix shell does.

#ifndef ZELVORA_TESTS_SUPPORT_UNIX_SHELL_H_
#define ZELVORA_TESTS_SUPPORT_UNIX_SHELL_H_

#include <string>

namespace test_support {

// The Unix path Wine maps |path| to; empty outside Wine.
std::wstring UnixPath(const std::wstring& path);

// Runs |script| with the Unix /bin/sh and waits for its end (Wine gives no
// handle to a Unix process); returns its exit status as the shell prints
// it ("0\n"), or why it did not run, and its output in |output|.
std::string RunUnixShell(const std::wstring& script, std::string* output);

// Makes |link| a Unix symbolic link to the folder |target|, which Wine shows
// as a folder with FILE_ATTRIBUTE_REPARSE_POINT. Empty on success, else
// what went wrong.
std::string MakeUnixLink(const std::wstring& target, const std::wstring& link);

// Removes the link |link| made by MakeUnixLink, never what it points at.
void RemoveUnixLink(const std::wstring& link);

}  // namespace test_support

#endif  // ZELVORA_TESTS_SUPPORT_UNIX_SHELL_H_
