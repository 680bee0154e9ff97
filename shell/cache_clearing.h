// Emptying the browser's cache directory on the user's word.

#ifndef ZELVORA_SHELL_CACHE_CLEARING_H_
#define ZELVORA_SHELL_CACHE_CLEARING_H_

#include <windows.h>

#include <string>

namespace cache_clearing {

// Asks with a Yes/No box owned by |owner|; on Yes deletes the "cache"
// directory beside the executable. Nothing happens when the executable's
// path cannot be read whole.
void ClearCacheWithConsent(HWND owner);

// Deletes |dir| with everything in it, except entries whose names begin
// with "." (and so the directories holding them), what cannot be deleted,
// and entries whose paths would not fit in MAX_PATH. A junction or symbolic
// link, |dir| itself included, is removed as the link and never enumerated,
// so nothing it points at is touched. A missing |dir| is left alone.
void DeleteDirectoryTree(const std::wstring& dir);

}  // namespace cache_clearing

#endif  // ZELVORA_SHELL_CACHE_CLEARING_H_
