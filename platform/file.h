// Files and folders. Every failing call answers false (or the invalid handle) and leaves a Windows
// error number in GetLastError(). Paths may use '\' as stored names do; it is taken as '/'.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using FileHandle = int64_t;
constexpr FileHandle kNoFile = -1;

enum FileAccess : uint32_t { kAccessRead = 1, kAccessWrite = 2 };
enum FileShare : uint32_t { kShareRead = 1, kShareWrite = 2 };
enum class FileCreate { kOpenExisting, kCreateNew, kCreateAlways, kOpenAlways };
enum SeekOrigin : int { kSeekStart = 0, kSeekCurrent = 1, kSeekEnd = 2 };

// Sharing is emulated with advisory locks, which Linux has instead of share modes: a handle that
// writes without sharing writing holds an exclusive lock, every other handle a shared one. A lock
// that cannot be had fails the open with the sharing violation (32).
FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share, FileCreate how);
// Takes (or converts to) a shared or exclusive advisory lock without waiting.
bool LockFile(FileHandle file, bool exclusive);
bool CloseFile(FileHandle file);
// Reads up to count bytes; *done < count only at the end of the file.
bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
// The same at an offset from the start, in one call each, leaving the file's position where it was.
bool ReadFileAt(FileHandle file, int64_t offset, void* buffer, uint32_t count, uint32_t* done);
bool WriteFileAt(FileHandle file, int64_t offset, const void* buffer, uint32_t count, uint32_t* done);
bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin, int64_t* position);
bool GetFileSize(FileHandle file, int64_t* size);
bool SetFileSize(FileHandle file, int64_t size);  // truncates or extends with zeros
bool FlushFile(FileHandle file);
// Asks the system to start writing the range's data to the disk, without waiting for it, so that a
// later FlushFile has little left to wait for. A hint: where the system cannot, nothing happens.
void StartWriteback(FileHandle file, int64_t offset, int64_t count);
// The whole of a file, read to its end. Fails on a folder (kWinDirectory) and on any read error, so
// that a description or script that cannot be read is never taken for an empty one.
bool ReadWholeFile(const std::string& path, std::string* bytes);
// Last-write time in nanoseconds since 1970.
bool GetLastWriteTime(FileHandle file, int64_t* ns);
bool SetLastWriteTime(FileHandle file, int64_t ns);

// Fails with the sharing violation while any handle, in this process or another, holds the file. A
// link goes as the link itself, whatever it leads to.
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);  // fails when `to` exists
// Where a replacing write puts its result: the path itself, or the file a symbolic link there points
// to, so that the link stays a link. Fails when that exists and is not a regular file: a folder with
// kWinDirectory, anything else (a device, a pipe) with access denied.
bool ReplaceTargetOf(const std::string& path, std::string* file);
// Moves from over to's file (ReplaceTargetOf) in one step: the old file stays whole until the new one
// is in its place, and the new one takes its permission bits.
bool ReplaceFile(const std::string& from, const std::string& to);
// Swaps the files at two paths (a link's file for a link, ReplaceTargetOf), as ExchangeEntries swaps
// those files' own entries.
bool ExchangeFiles(const std::string& a, const std::string& b);
// Swaps the two entries as they are, a link as the link itself: atomically where the file system
// can, otherwise by three renames through a unique name in a's folder, undoing the done ones when
// one fails.
bool ExchangeEntries(const std::string& a, const std::string& b);
// What stands at path itself, a link not followed.
enum class EntryKind { kNone, kFile, kFolder, kLink, kOther };
EntryKind EntryKindOf(const std::string& path);
bool GetPathWriteTime(const std::string& path, int64_t* ns);
bool SetPathWriteTime(const std::string& path, int64_t ns);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// Why what is at path cannot be read as a file, in the words the tools use: "it is a folder", or "it
// is not a plain file" for a pipe, a device or a socket, whose open could wait for good. Empty for a
// plain file, and when nothing is there (the open says what is missing).
std::string NotPlainFileReason(const std::string& path);
bool CreateFolder(const std::string& path);
bool IsReadOnlyPath(const std::string& path, bool* readOnly);  // no write permission bit set
bool SetFileMode(const std::string& path, uint32_t mode);  // the permission bits, such as 0755
// Free bytes of the volume that holds the path's nearest existing folder.
bool GetFreeSpace(const std::string& path, uint64_t* bytes);

std::string NativePath(const std::string& path);  // '\' mapped to '/'
// Absolute, lexically normalised path ('.' and '..' resolved) relative to the current folder.
bool FullPath(const std::string& path, std::string* full);
std::string FolderOf(const std::string& path);  // the part before the last '/', or "." when none
std::string TempFolder();
// Why the temporary folder cannot take files: "it does not exist", "it is not a folder" or "it is not
// writable (reason)"; empty when it can.
std::string TempFolderReason();
// Creates an empty file with a unique name "<prefix><n><suffix>" in folder, like a name reservation.
bool MakeUniqueFile(const std::string& folder, const std::string& prefix, std::string* path,
                    const std::string& suffix = ".tmp");
// The temporary file of a replacing write: an empty file beside target's file (ReplaceTargetOf),
// hidden and named so that a person can tell what it is and which program and process left it:
// ".<target's name>.<program>-<pid>.<n><suffix>". The temporaries of that name that a process which
// is gone left there (a write killed midway) are removed first; another running process's stay.
// Fails as ReplaceTargetOf does, before anything is made.
bool MakeTempBeside(const std::string& target, std::string* path, const std::string& suffix = "");
// A file this process keeps in folder while it runs, made empty and named so that a person can tell
// which program and process it belongs to, and a later start that it was left behind:
// "<program>.<pid>.<n><suffix>".
bool MakeProcessFile(const std::string& folder, const std::string& suffix, std::string* path);
// Deletes this user's files of that shape in folder that a process which is gone left behind: its
// process no longer runs and no process holds the file locked. Answers how many went.
uint32_t RemoveLeftProcessFiles(const std::string& folder, const std::string& suffix);
std::string ProgramPath();
std::string ProgramFolder();
std::string ProgramName();  // the executable's file name

// Test hooks: they reach failures a test machine will not produce on demand (a full disk, a folder
// that refuses new files even to root, a file system without atomic exchange, a rename failing
// midway). Tests set them; the program never does.
void SetTestFreeSpace(int64_t bytes);  // GetFreeSpace answers this; negative restores the real answer
// Creating a file in this folder fails with access denied; empty clears.
void SetTestDeniedFolder(const std::string& folder);
void SetTestRefuseAtomicExchange(bool refuse);
void SetTestFailingRename(uint32_t n);  // the n-th rename from now fails with access denied; 0 clears
// The n-th write into a file opened from now on fails with disk full, as does every later write into
// those files; 0 clears. Files opened before (a swap file already in use) are not counted.
void SetTestFailingWrite(uint32_t n);
// The same for one write only: the n-th write fails with disk full and the writes after it succeed,
// as when other files make room again.
void SetTestFailingWriteOnce(uint32_t n);
void ResetFileTestHooks();

}  // namespace platform
