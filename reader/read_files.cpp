#include "reader/read_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

namespace ksr {

namespace {

// The C library's words for an errno value.
std::string ReadReason(int code) {
#if defined(_MSC_VER)
  char text[128];
  strerror_s(text, sizeof text, code);
  return text;
#else
  return std::strerror(code);
#endif
}

#if defined(_WIN32)
std::wstring ReadWide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

std::string ReadUtf8(const wchar_t* wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return "";
  std::string utf8(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  return utf8;
}

// The files a wildcard names, in name order, with the folder it gave; the
// pattern itself when nothing matches, so that the error names it.
void ReadExpand(const std::wstring& pattern, std::vector<std::string>* out) {
  size_t slash = pattern.find_last_of(L"\\/:");
  std::wstring folder = slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1);
  std::vector<std::string> found;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        found.push_back(ReadUtf8((folder + data.cFileName).c_str()));
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  if (found.empty()) found.push_back(ReadUtf8(pattern.c_str()));
  std::sort(found.begin(), found.end());
  out->insert(out->end(), found.begin(), found.end());
}
#endif

}  // namespace

std::vector<std::string> ReadArguments(int argc, char** argv) {
#if defined(_WIN32)
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) {
    std::wstring arg = wide[i];
    bool pattern = arg.find_first_of(L"*?") != std::wstring::npos && arg[0] != L'-';
    if (pattern) {
      ReadExpand(arg, &args);
    } else {
      args.push_back(ReadUtf8(wide[i]));
    }
  }
  LocalFree(wide);
  return args;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

bool ReadFileBytes(const std::string& path, std::string* bytes, std::string* error) {
  bytes->clear();
  std::FILE* file = nullptr;
  bool input = path == "-";
  if (input) {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    file = stdin;
  } else {
#if defined(_WIN32)
    struct _stat64 info;
    std::wstring wide = ReadWide(path);
    bool folder = _wstat64(wide.c_str(), &info) == 0 && (info.st_mode & _S_IFDIR) != 0;
    if (!folder) errno = _wfopen_s(&file, wide.c_str(), L"rb");
#else
    struct stat info;
    bool folder = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (!folder) file = std::fopen(path.c_str(), "rb");
#endif
    if (folder) {
      *error = "is a folder, not a file";
      return false;
    }
  }
  if (file == nullptr) {
    *error = "cannot be opened: " + ReadReason(errno);
    return false;
  }
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
  bool failed = std::ferror(file) != 0;
  int code = errno;
  if (!input) std::fclose(file);
  if (failed) *error = "cannot be read: " + ReadReason(code);
  return !failed;
}

}  // namespace ksr
