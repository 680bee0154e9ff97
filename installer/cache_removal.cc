// The package's custom action for the product's removal. The shell's
// browser writes its cache and the player's stored site data into "cache" in
// the install folder; Windows Installer knows nothing of those files. This
// action lists them as temporary rows of the RemoveFile table, so that the
// standard RemoveFiles action deletes them like any other file of the
// product, and the then empty install folder goes too.

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

// The component the rows belong to: Zelvora.exe's, which the removal
// takes away with it.
const wchar_t kComponent[] = L"Shell";
// msidbRemoveFileInstallModeOnRemove.
const int kOnRemove = 2;

class RemoveFileRows {
 public:
  RemoveFileRows(MSIHANDLE install, MSIHANDLE view)
      : install_(install), view_(view) {}

  // Rows for everything in the real directory |dir|, then for |dir| itself.
  // A junction or symbolic link inside is never entered: it gets a folder
  // or file row of its own, which removes the link and nothing it points at.
  // Rows are numbered as they come, deepest first, so a folder's row
  // follows the rows of what it holds.
  bool AddTree(const std::wstring& dir) {
    const std::wstring property = DirProperty(dir);
    if (property.empty())
      return false;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    bool ok = true;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
          continue;
        const DWORD attributes = entry.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
          ok = AddRow(name.c_str(), property);
        else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
          ok = AddFolderRow(dir + L"\\" + name);
        else
          ok = AddTree(dir + L"\\" + name);
      } while (ok && FindNextFileW(find, &entry));
      FindClose(find);
    }
    return ok && AddRow(nullptr, property);
  }

  // A row that removes the folder |dir| only, as an empty folder or a link.
  bool AddFolderRow(const std::wstring& dir) {
    const std::wstring property = DirProperty(dir);
    return !property.empty() && AddRow(nullptr, property);
  }

 private:
  // A property holding |dir|'s path, which a row names as its folder.
  std::wstring DirProperty(const std::wstring& dir) {
    const std::wstring property = L"ZelvoraCacheDir" + Number(++folders_);
    if (MsiSetPropertyW(install_, property.c_str(), dir.c_str()) !=
        ERROR_SUCCESS) {
      return std::wstring();
    }
    return property;
  }

  // Deletes |file_name| from the folder in |dir_property|, or that folder
  // when |file_name| is null.
  bool AddRow(const wchar_t* file_name, const std::wstring& dir_property) {
    const std::wstring key = L"ZelvoraCache" + Number(++rows_);
    MSIHANDLE record = MsiCreateRecord(5);
    bool ok = record && MsiRecordSetStringW(record, 1, key.c_str()) == 0 &&
              MsiRecordSetStringW(record, 2, kComponent) == 0 &&
              (!file_name || MsiRecordSetStringW(record, 3, file_name) == 0) &&
              MsiRecordSetStringW(record, 4, dir_property.c_str()) == 0 &&
              MsiRecordSetInteger(record, 5, kOnRemove) == 0 &&
              MsiViewModify(view_, MSIMODIFY_INSERT_TEMPORARY, record) == 0;
    if (record)
      MsiCloseHandle(record);
    return ok;
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

}  // namespace

// Immediate, before RemoveFiles, on the product's full removal only (not
// when an upgrade replaces it: the player's data stays with the newer
// version). Reads the cache folder's path from INSTALLDIR; the folder
// itself may be a link, which is removed as the link.
extern "C" __declspec(dllexport) UINT
    __stdcall ScheduleCacheRemoval(MSIHANDLE install) {
  std::wstring cache = Property(install, L"INSTALLDIR");
  if (cache.empty())
    return ERROR_INSTALL_FAILURE;
  if (cache.back() != L'\\')
    cache += L'\\';
  cache += L"cache";
  const DWORD attributes = GetFileAttributesW(cache.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return ERROR_SUCCESS;  // The shell never ran, or nothing to do with it.
  }

  MSIHANDLE database = MsiGetActiveDatabase(install);
  MSIHANDLE view = 0;
  UINT result = ERROR_INSTALL_FAILURE;
  if (database &&
      MsiDatabaseOpenViewW(database,
                           L"SELECT `FileKey`, `Component_`, `FileName`, "
                           L"`DirProperty`, `InstallMode` FROM `RemoveFile`",
                           &view) == ERROR_SUCCESS &&
      MsiViewExecute(view, 0) == ERROR_SUCCESS) {
    RemoveFileRows rows(install, view);
    const bool ok = (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                        ? rows.AddFolderRow(cache)
                        : rows.AddTree(cache);
    if (ok)
      result = ERROR_SUCCESS;
  }
  if (view)
    MsiCloseHandle(view);
  if (database)
    MsiCloseHandle(database);
  return result;
}
