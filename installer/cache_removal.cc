// The package's custom action for the product's removal. The shell's
// browser writes its cache and the player's stored site data into "cache" in
// the install folder; Windows Installer knows nothing of those files. This
// action lists them as temporary rows of the RemoveFile table, so that the
// standard RemoveFiles action deletes them like any other file of the
// product, and the then empty install folder goes too.
//
// The cache must never keep the player from removing the product: the
// action always returns success, and whatever it cannot list or hand to
// RemoveFiles is named in the Windows Installer log and stays; the rest
// still goes.

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "tree_removal.h"

namespace {

using tree_removal::EntryAction;
using tree_removal::FolderAction;

// Paths are joined with backslashes, as the log shows them.
std::wstring Join(const std::wstring& dir, const std::wstring& name) {
  return tree_removal::Join(dir, name, tree_removal::Separator::kBackslash);
}

// The component the rows belong to: Zelvora.exe's, which the removal
// takes away with it.
const wchar_t kComponent[] = L"Shell";
// msidbRemoveFileInstallModeOnRemove.
const int kOnRemove = 2;

// Writes |text| into the Windows Installer log (INSTALLMESSAGE_INFO). The
// message is formatted as MsiFormatRecord formats: fields are put into the
// template first, and what results is searched for [property] references,
// so brackets in a path are written as the escapes "[\[]" and "[\]]".
void Log(MSIHANDLE install, const std::wstring& text) {
  MSIHANDLE record = MsiCreateRecord(1);
  if (!record)
    return;
  std::wstring line = L"ScheduleCacheRemoval: ";
  for (const wchar_t c : text) {
    if (c == L'[' || c == L']')
      line += std::wstring(L"[\\") + c + L']';
    else
      line += c;
  }
  MsiRecordSetStringW(record, 0, L"[1]");
  MsiRecordSetStringW(record, 1, line.c_str());
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
  MsiCloseHandle(record);
}

class RemoveFileRows {
 public:
  RemoveFileRows(MSIHANDLE install, MSIHANDLE view)
      : install_(install), view_(view) {}

  // Rows for everything in the real directory |dir|, then for |dir| itself.
  // A junction or symbolic link inside is never entered: it gets a folder
  // or file row of its own, which removes the link and nothing it points at.
  // Rows are numbered in the order found, each folder's after the rows of
  // what it holds. What cannot be listed or deleted is logged and left; a
  // folder row for a folder that is then not empty does nothing.
  void AddTree(const std::wstring& dir) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(Join(dir, L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
      Log(install_, L"cannot list " + dir + L" (error " +
                        std::to_wstring(GetLastError()) +
                        L"): it stays, with what it holds");
      return;
    }
    std::wstring property;
    bool listing = true;
    do {
      const std::wstring name = entry.cFileName;
      const std::wstring path = Join(dir, name);
      switch (tree_removal::ActionForEntry(name, entry.dwFileAttributes)) {
        case EntryAction::kSkip:
          break;
        case EntryAction::kDeleteFile:
          if (!Deletable(path))
            break;
          if (property.empty() && (property = DirProperty(dir)).empty()) {
            listing = false;
            break;
          }
          AddRow(name.c_str(), property, path);
          break;
        case EntryAction::kRemoveDirectory:
          AddFolderRow(path);
          break;
        case EntryAction::kDeleteTree:
          AddTree(path);
          break;
      }
    } while (listing && FindNextFileW(find, &entry));
    FindClose(find);
    AddFolderRow(dir);
  }

  // A row that removes the folder |dir| only, as an empty folder or a link.
  void AddFolderRow(const std::wstring& dir) {
    // Windows Installer takes no folder path of MAX_PATH units or more.
    if (!tree_removal::CanBeNamed(dir)) {
      Log(install_, L"path of MAX_PATH characters or more, stays: " + dir);
      return;
    }
    const std::wstring property = DirProperty(dir);
    if (!property.empty())
      AddRow(nullptr, property, dir);
  }

 private:
  // Whether RemoveFiles can delete the file |path|; logs why not. A file
  // held open without FILE_SHARE_DELETE cannot be opened for DELETE.
  bool Deletable(const std::wstring& path) {
    if (!tree_removal::CanBeNamed(path)) {
      Log(install_, L"path of MAX_PATH characters or more, stays: " + path);
      return false;
    }
    HANDLE file = CreateFileW(
        path.c_str(), DELETE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      Log(install_,
          (error == ERROR_SHARING_VIOLATION ? L"in use by another program"
                                            : L"cannot be deleted") +
              std::wstring(L" (error ") + std::to_wstring(error) +
              L"), stays: " + path);
      return false;
    }
    CloseHandle(file);
    return true;
  }

  // A property holding |dir|'s path, which a row names as its folder.
  std::wstring DirProperty(const std::wstring& dir) {
    const std::wstring property = L"ZelvoraCacheDir" + Number(++folders_);
    if (MsiSetPropertyW(install_, property.c_str(), dir.c_str()) !=
        ERROR_SUCCESS) {
      Log(install_, L"cannot set a property for " + dir + L", it stays");
      return std::wstring();
    }
    return property;
  }

  // Deletes |file_name| from the folder in |dir_property|, or that folder
  // when |file_name| is null; |path| names it in the log.
  void AddRow(const wchar_t* file_name,
              const std::wstring& dir_property,
              const std::wstring& path) {
    const std::wstring key = L"ZelvoraCache" + Number(++rows_);
    MSIHANDLE record = MsiCreateRecord(5);
    const bool ok =
        record && MsiRecordSetStringW(record, 1, key.c_str()) == 0 &&
        MsiRecordSetStringW(record, 2, kComponent) == 0 &&
        (!file_name || MsiRecordSetStringW(record, 3, file_name) == 0) &&
        MsiRecordSetStringW(record, 4, dir_property.c_str()) == 0 &&
        MsiRecordSetInteger(record, 5, kOnRemove) == 0 &&
        MsiViewModify(view_, MSIMODIFY_INSERT_TEMPORARY, record) == 0;
    if (record)
      MsiCloseHandle(record);
    if (!ok)
      Log(install_, L"cannot add a RemoveFile row for " + path + L", it stays");
  }

  // Eight digits: keys sort as they are numbered.
  static std::wstring Number(unsigned n) {
    const std::wstring digits = std::to_wstring(n);
    return std::wstring(digits.size() < 8 ? 8 - digits.size() : 0, L'0') +
           digits;
  }

  MSIHANDLE install_;
  MSIHANDLE view_;
  unsigned folders_ = 0;
  unsigned rows_ = 0;
};

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
  wchar_t empty[1] = L"";
  DWORD size = 0;
  if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA)
    return std::wstring();
  std::wstring value(size + 1, L'\0');
  ++size;
  if (MsiGetPropertyW(install, name, &value[0], &size) != ERROR_SUCCESS)
    return std::wstring();
  value.resize(size);
  return value;
}

// The ComponentId (GUID) of |component| in the running package.
std::wstring ComponentId(MSIHANDLE database, const wchar_t* component) {
  MSIHANDLE view = 0;
  MSIHANDLE record = 0;
  std::wstring id;
  const std::wstring query =
      L"SELECT `ComponentId` FROM `Component` WHERE `Component` = '" +
      std::wstring(component) + L"'";
  if (MsiDatabaseOpenViewW(database, query.c_str(), &view) == ERROR_SUCCESS &&
      MsiViewExecute(view, 0) == ERROR_SUCCESS &&
      MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    wchar_t guid[39] = {};
    DWORD size = 39;
    if (MsiRecordGetStringW(record, 1, guid, &size) == ERROR_SUCCESS)
      id = guid;
  }
  if (record)
    MsiCloseHandle(record);
  if (view)
    MsiCloseHandle(view);
  return id;
}

// The folder the installed product's Shell component lives in, as Windows
// Installer registered it: MsiGetComponentPath needs no costing (INSTALLDIR
// is resolved only by CostFinalize), and it knows every installed version,
// also those that wrote no registry value of their own. Empty if unknown.
std::wstring InstallFolder(MSIHANDLE install, MSIHANDLE database) {
  const std::wstring product = Property(install, L"ProductCode");
  const std::wstring component = ComponentId(database, kComponent);
  if (product.empty() || component.empty()) {
    Log(install, L"no ProductCode or Shell component: the cache stays");
    return std::wstring();
  }
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const INSTALLSTATE state =
      MsiGetComponentPathW(product.c_str(), component.c_str(), path, &size);
  const std::wstring shell = path;
  const size_t slash = shell.rfind(L'\\');
  if (state != INSTALLSTATE_LOCAL || slash == std::wstring::npos) {
    Log(install, L"the Shell component is not installed here (state " +
                     std::to_wstring(state) + L"): the cache stays");
    return std::wstring();
  }
  return shell.substr(0, slash);
}

void Schedule(MSIHANDLE install, MSIHANDLE database) {
  const std::wstring folder = InstallFolder(install, database);
  if (folder.empty())
    return;
  const std::wstring cache = Join(folder, L"cache");
  const FolderAction action =
      tree_removal::ActionForFolder(GetFileAttributesW(cache.c_str()));
  if (action == FolderAction::kLeave)
    return;  // The shell never ran, or nothing to do with it.
  MSIHANDLE view = 0;
  if (MsiDatabaseOpenViewW(database,
                           L"SELECT `FileKey`, `Component_`, `FileName`, "
                           L"`DirProperty`, `InstallMode` FROM `RemoveFile`",
                           &view) != ERROR_SUCCESS ||
      MsiViewExecute(view, 0) != ERROR_SUCCESS) {
    Log(install, L"cannot open the RemoveFile table: the cache stays");
  } else {
    RemoveFileRows rows(install, view);
    if (action == FolderAction::kRemoveLink)
      rows.AddFolderRow(cache);
    else
      rows.AddTree(cache);
  }
  if (view)
    MsiCloseHandle(view);
}

}  // namespace

// Immediate, before CostInitialize, on the product's full removal only (not
// when an upgrade replaces it: the player's data stays with the newer
// version); installer/zelvora.wxs gives the rules. The cache folder itself
// may be a link, which is removed as the link. Always ERROR_SUCCESS: what
// went wrong is in the log.
extern "C" __declspec(dllexport) UINT
    __stdcall ScheduleCacheRemoval(MSIHANDLE install) {
  MSIHANDLE database = MsiGetActiveDatabase(install);
  if (database) {
    Schedule(install, database);
    MsiCloseHandle(database);
  } else {
    Log(install, L"no database: the cache stays");
  }
  return ERROR_SUCCESS;
}
