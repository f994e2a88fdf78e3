// bardrill-share-fs BACKING MOUNT CONTROL-SOCKET
//
// A file system for tests that behaves as a school's network share can: it passes every call through to
// the folder BACKING, and a test switches it, through the unix socket CONTROL-SOCKET (never through the
// mount, so that the switch is not held behind a blocked call), into one of these modes:
//   hang MS            every call waits MS milliseconds from now (a server restarting), then all go on
//   drop ERRNO         every call fails with ERRNO, the mount staying (a share that went away)
//   slow BITS LAT_US   reads and writes share a link of BITS bit/s, and every call waits LAT_US first
//   normal             all calls pass through again, held ones at once
//   cut                the power goes: BACKING is put back to what was durable, then every call fails
//                      with EIO until "normal" (the machine is off)
//   cut-after K        the power goes right after the K-th durable step from now (an fsync or fsyncdir)
//   drop-at K ERRNO    the K-th durable step from now fails with ERRNO, and so does every call after it
//                      (the share went away just as the program flushed)
//   steps              answers the number of durable steps so far
//   sync               everything as it is now becomes durable (a test's prepared folder)
//   held               answers how many calls are held by a hang right now
// Every answer is one line starting with "ok".
//
// Durability follows what a disk under a careful program promises: a file's data counts once fsync of
// that file returned, and a name (a creation, a rename, a removal) once fsync of its folder returned.
// The durable state is kept in memory, node by node, and BACKING always shows the live state; a cut
// rebuilds BACKING from the durable nodes.
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What survives a power cut: each file, folder and link by an id of its own (the backing inode numbers
// are reused once a file is removed, while a folder's durable entries may still name the old one).
struct Node {
  enum class Kind { File, Folder, Link } kind = Kind::File;
  mode_t mode = 0644;
  std::string data;                         // a file's contents, a link's target
  std::map<std::string, uint64_t> entries;  // a folder's names
};

// Calls `visit` for each entry of the open folder `fd` from its start, until it returns false.
template <typename Visit>
void ListFolder(int fd, Visit visit) {
  const int own = ::dup(fd);
  DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
  if (dir == nullptr) {
    if (own >= 0) ::close(own);
    return;
  }
  ::rewinddir(dir);
  while (dirent* entry = ::readdir(dir))
    if (!visit(*entry)) break;
  ::closedir(dir);
}

class DurableState {
 public:
  explicit DurableState(std::string backing) : backing_(std::move(backing)) {}

  // Everything in the backing folder as it is now is durable.
  void TakeAll() {
    std::lock_guard lock(mutex_);
    nodes_.clear();
    ids_.clear();
    root_ = Take(backing_);
  }

  // A name made by a call: its node exists, with nothing durable in it, until synced.
  void Created(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    std::lock_guard lock(mutex_);
    Node& node = nodes_[Bind(st.st_ino)];
    node = Node{KindOf(st.st_mode), static_cast<mode_t>(st.st_mode & 07777), {}, {}};
    if (node.kind == Node::Kind::Link) node.data = LinkTarget(path);
  }

  // `written` may be open for writing only: its contents are read through an open of their own.
  void SyncFile(int written) {
    const int fd = ::open(("/proc/self/fd/" + std::to_string(written)).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      std::perror("the flushed file cannot be read");
      if (fd >= 0) ::close(fd);
      return;
    }
    std::string data(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = ::pread(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    data.resize(done);
    ::close(fd);
    std::lock_guard lock(mutex_);
    Node& node = nodes_[IdOf(st.st_ino)];
    node.data = std::move(data);
    node.mode = st.st_mode & 07777;
  }

  void SyncFolder(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    std::map<std::string, ino_t> live;
    ListFolder(fd, [&](const dirent& entry) {
      std::string name = entry.d_name;
      struct stat child {};
      if (name != "." && name != ".." && ::fstatat(fd, entry.d_name, &child, AT_SYMLINK_NOFOLLOW) == 0)
        live[name] = child.st_ino;
      return true;
    });
    std::lock_guard lock(mutex_);
    std::map<std::string, uint64_t> entries;
    for (const auto& [name, ino] : live) entries[name] = IdOf(ino);
    nodes_[IdOf(st.st_ino)].entries = std::move(entries);
  }

  // Puts the backing folder back to the durable state, which it then is.
  void Restore() {
    {
      std::lock_guard lock(mutex_);
      for (const auto& entry : std::filesystem::directory_iterator(backing_))
        std::filesystem::remove_all(entry.path());
      std::set<uint64_t> made{root_};
      Make(nodes_[root_], backing_, made);
    }
    TakeAll();
  }

 private:
  static Node::Kind KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return Node::Kind::Folder;
    if (S_ISLNK(mode)) return Node::Kind::Link;
    return Node::Kind::File;
  }

  static std::string LinkTarget(const std::string& path) {
    char target[4096];
    ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
  }

  uint64_t Bind(ino_t ino) { return ids_[ino] = next_++; }

  // A name that was never seen made by a call (made beside the mount) counts as made empty.
  uint64_t IdOf(ino_t ino) {
    auto found = ids_.find(ino);
    return found != ids_.end() ? found->second : Bind(ino);
  }

  uint64_t Take(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return 0;
    const uint64_t id = Bind(st.st_ino);
    Node node{KindOf(st.st_mode), static_cast<mode_t>(st.st_mode & 07777), {}, {}};
    if (node.kind == Node::Kind::Link) {
      node.data = LinkTarget(path);
    } else if (node.kind == Node::Kind::Folder) {
      for (const auto& entry : std::filesystem::directory_iterator(path))
        node.entries[entry.path().filename().string()] = Take(entry.path().string());
    } else {
      std::ifstream in(path, std::ios::binary);
      node.data.assign(std::istreambuf_iterator<char>(in), {});
    }
    nodes_[id] = std::move(node);
    return id;
  }

  // A folder whose entries were synced while a moved folder's old parent was not could name one folder
  // twice; it is made once.
  void Make(const Node& folder, const std::string& path, std::set<uint64_t>& made) {
    for (const auto& [name, id] : folder.entries) {
      if (!made.insert(id).second) continue;
      const Node& node = nodes_[id];
      const std::string child = path + "/" + name;
      if (node.kind == Node::Kind::Folder) {
        ::mkdir(child.c_str(), node.mode);
        Make(node, child, made);
      } else if (node.kind == Node::Kind::Link) {
        if (::symlink(node.data.c_str(), child.c_str()) != 0) std::perror(child.c_str());
      } else {
        int fd = ::open(child.c_str(), O_WRONLY | O_CREAT | O_EXCL, node.mode);
        if (fd < 0) continue;
        if (::write(fd, node.data.data(), node.data.size()) != static_cast<ssize_t>(node.data.size()))
          std::perror(child.c_str());
        ::fchmod(fd, node.mode);
        ::close(fd);
      }
    }
  }

  std::string backing_;
  std::mutex mutex_;
  std::map<uint64_t, Node> nodes_;
  std::map<ino_t, uint64_t> ids_;
  uint64_t next_ = 1;
  uint64_t root_ = 0;
};

class Share {
 public:
  explicit Share(std::string backing) : backing_(std::move(backing)), durable_(backing_) {
    durable_.TakeAll();
  }

  std::string Backing(const char* path) const { return backing_ + path; }
  DurableState& durable() { return durable_; }

  // Let through, held or refused by the mode; 0 or a negative errno. A call let through holds `pass`
  // shared, so that a power cut waits for calls already under way and none starts during it.
  int Enter(std::shared_lock<std::shared_mutex>& pass) {
    std::chrono::microseconds latency{};
    {
      std::unique_lock lock(mutex_);
      while (mode_ == Mode::Hang) {
        if (Clock::now() >= hangUntil_) {
          mode_ = Mode::Normal;
          break;
        }
        ++held_;
        changed_.wait_until(lock, hangUntil_);
        --held_;
      }
      if (mode_ == Mode::Drop) return -dropErrno_;
      if (mode_ == Mode::Slow) latency = latency_;
    }
    if (latency.count() > 0) std::this_thread::sleep_for(latency);
    pass = std::shared_lock(cut_);
    std::lock_guard lock(mutex_);
    return mode_ == Mode::Drop ? -dropErrno_ : 0;
  }

  // Takes the time `bytes` need on the link, after what others already sent on it.
  void Transfer(size_t bytes) {
    Clock::time_point done;
    {
      std::lock_guard lock(mutex_);
      if (mode_ != Mode::Slow || bitsPerSecond_ <= 0) return;
      const auto needed =
          std::chrono::microseconds(static_cast<int64_t>(bytes) * 8 * 1'000'000 / bitsPerSecond_);
      linkFree_ = std::max(linkFree_, Clock::now()) + needed;
      done = linkFree_;
    }
    std::this_thread::sleep_until(done);
  }

  // 0, or the negative errno of the durable step about to be taken when the share goes away at it.
  int BeforeDurable() {
    std::lock_guard lock(mutex_);
    if (dropAt_ == 0 || steps_ + 1 != dropAt_) return 0;
    dropAt_ = 0;
    mode_ = Mode::Drop;
    return -dropErrno_;
  }

  // Counts a durable step that has been taken; the armed power cut follows it. The caller's pass is
  // released first, as the cut waits for every call to leave.
  void Durable(std::shared_lock<std::shared_mutex>& pass) {
    bool cut = false;
    {
      std::lock_guard lock(mutex_);
      ++steps_;
      cut = cutAt_ != 0 && steps_ == cutAt_;
    }
    pass.unlock();
    if (cut) CutPower();
  }

  void CutPower() {
    {
      std::lock_guard lock(mutex_);
      mode_ = Mode::Drop;
      dropErrno_ = EIO;
      cutAt_ = 0;
      changed_.notify_all();
    }
    std::unique_lock all(cut_);
    durable_.Restore();
  }

  std::string Command(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "cut") {
      CutPower();
      return "ok";
    }
    if (verb == "sync") {
      std::unique_lock all(cut_);
      durable_.TakeAll();
      return "ok";
    }
    std::lock_guard lock(mutex_);
    if (verb == "normal") {
      mode_ = Mode::Normal;
      cutAt_ = dropAt_ = 0;
    } else if (verb == "hang") {
      long long ms = 0;
      in >> ms;
      mode_ = Mode::Hang;
      hangUntil_ = Clock::now() + std::chrono::milliseconds(ms);
    } else if (verb == "drop") {
      in >> dropErrno_;
      mode_ = Mode::Drop;
    } else if (verb == "slow") {
      long long latencyUs = 0;
      in >> bitsPerSecond_ >> latencyUs;
      latency_ = std::chrono::microseconds(latencyUs);
      linkFree_ = Clock::now();
      mode_ = Mode::Slow;
    } else if (verb == "cut-after") {
      uint64_t k = 0;
      in >> k;
      cutAt_ = k == 0 ? 0 : steps_ + k;
    } else if (verb == "drop-at") {
      uint64_t k = 0;
      in >> k >> dropErrno_;
      dropAt_ = k == 0 ? 0 : steps_ + k;
    } else if (verb == "steps") {
      return "ok " + std::to_string(steps_);
    } else if (verb == "held") {
      return "ok " + std::to_string(held_);
    } else {
      return "error unknown command: " + line;
    }
    changed_.notify_all();
    return "ok";
  }

 private:
  enum class Mode { Normal, Hang, Drop, Slow };

  std::string backing_;
  DurableState durable_;
  std::shared_mutex cut_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Mode mode_ = Mode::Normal;
  Clock::time_point hangUntil_{};
  int dropErrno_ = EIO;
  long long bitsPerSecond_ = 0;
  std::chrono::microseconds latency_{};
  Clock::time_point linkFree_{};
  int held_ = 0;
  uint64_t steps_ = 0;
  uint64_t cutAt_ = 0;
  uint64_t dropAt_ = 0;
};

Share* share = nullptr;

// One call of the file system: entering it goes through the mode.
#define ENTER                               \
  std::shared_lock<std::shared_mutex> pass; \
  if (int refused = share->Enter(pass)) return refused

int Result(int rc) { return rc < 0 ? -errno : 0; }

void* Init(fuse_conn_info*, fuse_config* cfg) {
  cfg->use_ino = 1;
  cfg->nullpath_ok = 1;
  // A file removed while open goes at once, as on a share: no hidden file is left in the folder.
  cfg->hard_remove = 1;
  // Every call reaches the mode, and a cut is seen at once: the kernel caches neither names, attributes
  // nor pages.
  cfg->entry_timeout = 0;
  cfg->attr_timeout = 0;
  cfg->negative_timeout = 0;
  cfg->direct_io = 1;
  return nullptr;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi) {
  ENTER;
  return Result(fi ? ::fstat(static_cast<int>(fi->fh), st) : ::lstat(share->Backing(path).c_str(), st));
}

int Access(const char* path, int mask) {
  ENTER;
  return Result(::access(share->Backing(path).c_str(), mask));
}

int ReadLink(const char* path, char* buf, size_t size) {
  ENTER;
  ssize_t n = ::readlink(share->Backing(path).c_str(), buf, size - 1);
  if (n < 0) return -errno;
  buf[n] = '\0';
  return 0;
}

int OpenDir(const char* path, fuse_file_info* fi) {
  ENTER;
  const int fd = ::open(share->Backing(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int ReadDir(const char*, void* buf, fuse_fill_dir_t filler, off_t, fuse_file_info* fi, fuse_readdir_flags) {
  ENTER;
  ListFolder(static_cast<int>(fi->fh), [&](const dirent& entry) {
    struct stat st {};
    st.st_ino = entry.d_ino;
    st.st_mode = static_cast<mode_t>(DTTOIF(entry.d_type));
    return filler(buf, entry.d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) == 0;
  });
  return 0;
}

int ReleaseDir(const char*, fuse_file_info* fi) {
  ::close(static_cast<int>(fi->fh));
  return 0;
}

int MkDir(const char* path, mode_t mode) {
  ENTER;
  const std::string backing = share->Backing(path);
  if (::mkdir(backing.c_str(), mode) != 0) return -errno;
  share->durable().Created(backing);
  return 0;
}

int MkNod(const char* path, mode_t mode, dev_t rdev) {
  ENTER;
  const std::string backing = share->Backing(path);
  if (::mknod(backing.c_str(), mode, rdev) != 0) return -errno;
  share->durable().Created(backing);
  return 0;
}

int SymLink(const char* target, const char* path) {
  ENTER;
  const std::string backing = share->Backing(path);
  if (::symlink(target, backing.c_str()) != 0) return -errno;
  share->durable().Created(backing);
  return 0;
}

int Unlink(const char* path) {
  ENTER;
  return Result(::unlink(share->Backing(path).c_str()));
}

int RmDir(const char* path) {
  ENTER;
  return Result(::rmdir(share->Backing(path).c_str()));
}

int Rename(const char* from, const char* to, unsigned int flags) {
  ENTER;
  return Result(
      ::renameat2(AT_FDCWD, share->Backing(from).c_str(), AT_FDCWD, share->Backing(to).c_str(), flags));
}

int Link(const char* from, const char* to) {
  ENTER;
  return Result(::link(share->Backing(from).c_str(), share->Backing(to).c_str()));
}

int ChMod(const char* path, mode_t mode, fuse_file_info* fi) {
  ENTER;
  return Result(fi ? ::fchmod(static_cast<int>(fi->fh), mode) : ::chmod(share->Backing(path).c_str(), mode));
}

int ChOwn(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi) {
  ENTER;
  return Result(fi ? ::fchown(static_cast<int>(fi->fh), uid, gid)
                   : ::lchown(share->Backing(path).c_str(), uid, gid));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
  ENTER;
  return Result(fi ? ::ftruncate(static_cast<int>(fi->fh), size)
                   : ::truncate(share->Backing(path).c_str(), size));
}

int UTimeNs(const char* path, const timespec ts[2], fuse_file_info* fi) {
  ENTER;
  return Result(fi ? ::futimens(static_cast<int>(fi->fh), ts)
                   : ::utimensat(AT_FDCWD, share->Backing(path).c_str(), ts, AT_SYMLINK_NOFOLLOW));
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
  ENTER;
  const std::string backing = share->Backing(path);
  int fd = ::open(backing.c_str(), fi->flags | O_CREAT, mode);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  share->durable().Created(backing);
  return 0;
}

int Open(const char* path, fuse_file_info* fi) {
  ENTER;
  int fd = ::open(share->Backing(path).c_str(), fi->flags);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int Read(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi) {
  ENTER;
  ssize_t n = ::pread(static_cast<int>(fi->fh), buf, size, offset);
  if (n < 0) return -errno;
  share->Transfer(static_cast<size_t>(n));
  return static_cast<int>(n);
}

int Write(const char*, const char* buf, size_t size, off_t offset, fuse_file_info* fi) {
  ENTER;
  share->Transfer(size);
  ssize_t n = ::pwrite(static_cast<int>(fi->fh), buf, size, offset);
  return n < 0 ? -errno : static_cast<int>(n);
}

int StatFs(const char* path, struct statvfs* st) {
  ENTER;
  return Result(::statvfs(share->Backing(path).c_str(), st));
}

int Flush(const char*, fuse_file_info*) {
  ENTER;
  return 0;
}

int Release(const char*, fuse_file_info* fi) {
  ::close(static_cast<int>(fi->fh));
  return 0;
}

int FSync(const char*, int, fuse_file_info* fi) {
  ENTER;
  if (int refused = share->BeforeDurable()) return refused;
  share->durable().SyncFile(static_cast<int>(fi->fh));
  share->Durable(pass);
  return 0;
}

int FSyncDir(const char*, int, fuse_file_info* fi) {
  ENTER;
  if (int refused = share->BeforeDurable()) return refused;
  share->durable().SyncFolder(static_cast<int>(fi->fh));
  share->Durable(pass);
  return 0;
}

int FAllocate(const char*, int mode, off_t offset, off_t length, fuse_file_info* fi) {
  ENTER;
  return Result(::fallocate(static_cast<int>(fi->fh), mode, offset, length));
}

// Answers the test's commands, one line each, on their own thread.
void Serve(int listener) {
  for (;;) {
    int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR) continue;
      return;
    }
    std::string line;
    char c;
    while (::read(client, &c, 1) == 1 && c != '\n') line += c;
    const std::string answer = share->Command(line) + "\n";
    if (::write(client, answer.data(), answer.size()) < 0) std::perror("control answer");
    ::close(client);
  }
}

int Listen(const char* path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path);
  ::unlink(path);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0) {
    std::perror(path);
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s BACKING MOUNT CONTROL-SOCKET\n", argv[0]);
    return 2;
  }
  // A test that dies leaves no share mounted: fuse_main unmounts on SIGTERM.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  static Share theShare(argv[1]);
  share = &theShare;
  const int listener = Listen(argv[3]);
  if (listener < 0) return 1;
  std::thread(Serve, listener).detach();

  fuse_operations ops{};
  ops.init = Init;
  ops.getattr = GetAttr;
  ops.access = Access;
  ops.readlink = ReadLink;
  ops.opendir = OpenDir;
  ops.readdir = ReadDir;
  ops.releasedir = ReleaseDir;
  ops.mkdir = MkDir;
  ops.mknod = MkNod;
  ops.symlink = SymLink;
  ops.unlink = Unlink;
  ops.rmdir = RmDir;
  ops.rename = Rename;
  ops.link = Link;
  ops.chmod = ChMod;
  ops.chown = ChOwn;
  ops.truncate = Truncate;
  ops.utimens = UTimeNs;
  ops.create = Create;
  ops.open = Open;
  ops.read = Read;
  ops.write = Write;
  ops.statfs = StatFs;
  ops.flush = Flush;
  ops.release = Release;
  ops.fsync = FSync;
  ops.fsyncdir = FSyncDir;
  ops.fallocate = FAllocate;
  // Several threads, so that a call held by a hang keeps no other caller waiting behind it (fuse_main's
  // loop is multi-threaded); the kernel
  // keeps file locks itself (no lock operation here), which excludes every process using this mount.
  std::vector<std::string> args = {argv[0], argv[2], "-f", "-o", "default_permissions,fsname=bardrill-share"};
  std::vector<char*> cargs;
  for (std::string& arg : args) cargs.push_back(arg.data());
  return fuse_main(static_cast<int>(cargs.size()), cargs.data(), &ops, nullptr);
}
