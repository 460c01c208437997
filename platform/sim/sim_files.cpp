// Simulated files: the files the program creates, writes, renames and
// deletes, kept in memory and, when the run asks for it, on disk under the
// run's folder.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_calls.h"
#include "platform/sim/sim_world.h"

namespace ksr {

namespace {

// Files the program creates land in the run's folder: a path under it
// stays, any other path keeps its last component only.
std::string MapIntoOutDir(const std::string& path) {
  const std::string& dir = World().outDir;
  if (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
      (path[dir.size()] == '/' || path[dir.size()] == '\\')) {
    return path;
  }
  size_t cut = path.find_last_of("/\\");
  return dir + "/" + (cut == std::string::npos ? path : path.substr(cut + 1));
}

// True, after flagging it, when a handle to path is still open: Windows
// refuses to rename or delete a file opened without sharing.
bool OpenElsewhere(const std::string& path, const char* op) {
  for (const auto& entry : World().handles) {
    if (entry.second.kind == SimKind::kFile && entry.second.open && entry.second.path == path) {
      SimFlag(std::string(op) + ": " + path + " is still open");
      SimSetLastError(ERROR_SHARING_VIOLATION);
      return true;
    }
  }
  return false;
}

bool EndsWithTxt(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, "txt") == 0;
}

// The run's folder could not take a file: the machine did not ask for
// that, so the runner says so. The first such failure is kept.
void OutputFailed(const std::string& path, int error) {
  std::string& kept = World().outputError;
  if (kept.empty()) kept = path + ": " + std::strerror(error);
}

}  // namespace

HANDLE SimCreateFile(LPCSTR fileName) {
  SimWorld& world = World();
  std::string path = MapIntoOutDir(fileName);
  // The machine's report-creation failures count the report's attempts only.
  if (EndsWithTxt(path) && world.reportCreates++ < world.machine.reportCreateFailures) {
    SimSetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  SimHandle file;
  file.kind = SimKind::kFile;
  file.path = path;
  if (world.writeFiles) {
    file.disk = std::fopen(file.path.c_str(), "wb");
    if (file.disk == nullptr) {
      OutputFailed(file.path, errno);
      SimSetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
  }
  world.files[file.path].clear();  // CREATE_ALWAYS truncates
  return SimNewHandle(file);
}

const std::string& SimOutputError() { return World().outputError; }

std::optional<std::string> SimFileBytes(const std::string& path) {
  const auto& files = World().files;
  auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

namespace sim {

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
  SimLog("WriteFile", reinterpret_cast<uintptr_t>(file), bytesToWrite);
  SimHandle* h = SimUse(file, SimKind::kFile, "WriteFile");
  if (h == nullptr) return FALSE;
  if (overlapped != nullptr) SimFlag("WriteFile: a file written with an OVERLAPPED");
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (SimCallFails("WriteFile")) return FALSE;
  const char* bytes = static_cast<const char*>(buffer);
  World().files[h->path].append(bytes, bytesToWrite);
  if (h->disk != nullptr &&
      (std::fwrite(bytes, 1, bytesToWrite, h->disk) != bytesToWrite || std::fflush(h->disk) != 0)) {
    OutputFailed(h->path, errno);
  }
  if (bytesWritten != nullptr) *bytesWritten = bytesToWrite;
  return TRUE;
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  const char* op = "MoveFileExA";
  SimLog(op, 0, flags);
  if (SimCallFails(op)) return FALSE;
  SimWorld& world = World();
  std::string from = MapIntoOutDir(existingFileName);
  std::string to = MapIntoOutDir(newFileName);
  auto it = world.files.find(from);
  if (it == world.files.end()) {
    SimSetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (OpenElsewhere(from, op) || OpenElsewhere(to, op)) return FALSE;
  if (world.files.count(to) != 0 && (flags & MOVEFILE_REPLACE_EXISTING) == 0) {
    SimSetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  // On disk a folder of the new name, or a folder that can't be written,
  // refuses the rename as Windows would.
  if (world.writeFiles && std::rename(from.c_str(), to.c_str()) != 0) {
    OutputFailed(to, errno);
    SimSetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  world.files[to] = it->second;
  world.files.erase(from);
  return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
  const char* op = "DeleteFileA";
  SimLog(op);
  if (SimCallFails(op)) return FALSE;
  SimWorld& world = World();
  std::string path = MapIntoOutDir(fileName);
  if (world.files.count(path) == 0) {
    SimSetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (OpenElsewhere(path, op)) return FALSE;
  if (world.writeFiles) std::remove(path.c_str());
  world.files.erase(path);
  return TRUE;
}

}  // namespace sim

}  // namespace ksr
