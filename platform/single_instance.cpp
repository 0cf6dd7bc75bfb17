#include "platform/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

// A sender writes "command line\0folder\0" and closes; anything longer is cut.
constexpr size_t kMaxMessage = 64 * 1024;
constexpr int kReadTimeoutMs = 1000;

struct SPending {
  std::string commandLine;
  std::string folder;
  SForwardedCommandLine record;
};

int gListener = -1;
// The back end's main loop watches the listener: nothing polls it.
bool gWatched = false;
std::string gSocketPath;
std::string gClassName;
std::string gTitle;
std::vector<std::unique_ptr<SPending>> gPending;

void AcceptForwardedCommandLines();

bool MakeAddress(const std::string& path, sockaddr_un* address) {
  if (path.size() >= sizeof address->sun_path) return false;
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

int Connect(const std::string& path, int* error) {
  sockaddr_un address;
  if (!MakeAddress(path, &address)) return *error = ENAMETOOLONG, -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return *error = errno, -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *error = errno;
    ::close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

int Listen(const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, &address)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string CurrentFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  return ::getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

std::string ReadMessage(int fd) {
  std::string data;
  char buffer[4096];
  while (data.size() < kMaxMessage) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kReadTimeoutMs) <= 0) break;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buffer, size_t(n));
  }
  return data.substr(0, kMaxMessage);
}

void Deliver(const std::string& data) {
  auto pending = std::make_unique<SPending>();
  const size_t end = data.find('\0');
  pending->commandLine = data.substr(0, end);
  if (end != std::string::npos) pending->folder = data.substr(end + 1, data.find('\0', end + 1) - end - 1);
  pending->record = {pending->commandLine.c_str(), pending->folder.c_str()};
  WindowHandle target = FindWindow(gClassName, gTitle);
  if (!target) return;
  SetForegroundWindow(target);
  QueueWindowMessage(target, kWmUser, 0, reinterpret_cast<intptr_t>(&pending->record));
  gPending.push_back(std::move(pending));
}

// The shared temporary folder is open to every user: whoever makes the socket folder first owns it.
// Only a real folder of this user's that nobody else may enter keeps the command lines private.
std::string PrivateFolderProblem(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return "it is not a folder";
  if (st.st_uid != ::getuid()) return "it belongs to another user";
  if (st.st_mode & 077) return "others may use it";
  return {};
}

bool IsSocket(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

std::string InstanceSocketPath(std::string* problem) {
  if (problem) problem->clear();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/quarn2.sock";
  const std::string folder = TempFolder() + "/quarn2-" + std::to_string(::getuid());
  const std::string why = PrivateFolderProblem(folder);
  if (why.empty()) return folder + "/quarn2.sock";
  if (problem) *problem = folder + ": " + why;
  return {};
}

InstanceRole ClaimSingleInstance(const std::string& className, const std::string& title,
                                 const std::string& commandLine) {
  gClassName = className;
  gTitle = title;
  std::string problem;
  const std::string path = InstanceSocketPath(&problem);
  if (path.empty()) {
    std::fprintf(stderr, "%s: no single-instance socket in %s\n", ProgramName().c_str(), problem.c_str());
    return InstanceRole::kAlone;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    int error = 0;
    const int peer = Connect(path, &error);
    if (peer >= 0) {
      std::string message = commandLine;
      message += '\0';
      message += CurrentFolder();
      message += '\0';
      const bool sent = SendAll(peer, message);
      ::close(peer);
      if (sent) return InstanceRole::kForwarded;
    } else if (error == ECONNREFUSED && IsSocket(path)) {
      ::unlink(path.c_str());  // left by an instance that ended without closing it
    }
    gListener = Listen(path);
    if (gListener >= 0) {
      gSocketPath = path;
      gWatched = Backend().WatchDescriptor(gListener, &AcceptForwardedCommandLines);
      return InstanceRole::kFirst;
    }
    if (errno != EADDRINUSE) break;  // another start won the race: try to reach it instead
  }
  return InstanceRole::kAlone;
}

void ReleaseSingleInstance() {
  if (gListener < 0) return;
  if (gWatched) Backend().UnwatchDescriptor(gListener);
  gWatched = false;
  ::close(gListener);
  if (IsSocket(gSocketPath)) ::unlink(gSocketPath.c_str());
  gListener = -1;
  gSocketPath.clear();
}

namespace {

void AcceptForwardedCommandLines() {
  for (;;) {
    const int peer = ::accept4(gListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) return;
    const std::string data = ReadMessage(peer);
    ::close(peer);
    Deliver(data);
  }
}

}  // namespace

void PollForwardedCommandLines() {
  if (gListener >= 0 && !gWatched) AcceptForwardedCommandLines();
}

void ReleaseForwardedCommandLine(intptr_t lParam) {
  auto it = std::find_if(gPending.begin(), gPending.end(),
                         [lParam](const auto& p) { return reinterpret_cast<intptr_t>(&p->record) == lParam; });
  if (it != gPending.end()) gPending.erase(it);
}

}  // namespace platform
