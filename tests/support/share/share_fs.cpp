#define FUSE_USE_VERSION 314
#include "share_fs.h"
#include "share_mounts.h"

#include <dirent.h>
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace share {

// Every file or folder the kernel knows by number: an O_PATH descriptor, how many lookups the
// kernel holds, and its path in the share (for the faults that name a file).
struct Inode {
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    uint64_t lookups = 0;
    std::string path;
};

struct Tree {
    ShareState* state = nullptr;
    std::string readAheadFile;  // the mount's read-ahead setting, set at the first request
    std::once_flag readAheadSet;
    Inode root;
    std::mutex mutex;  // the map and every inode's path and lookups
    std::map<std::pair<dev_t, ino_t>, std::unique_ptr<Inode>> inodes;
};

namespace {

struct OpenFolder {
    DIR* dir = nullptr;
    off_t offset = 0;
    struct dirent* entry = nullptr;  // read but not yet given to the kernel
};

Tree& TreeOf(fuse_req_t req) { return *static_cast<Tree*>(fuse_req_userdata(req)); }
ShareState& StateOf(fuse_req_t req) { return *TreeOf(req).state; }
double CacheOf(fuse_req_t req) { return StateOf(req).settings().cacheSeconds; }

Inode& InodeOf(fuse_req_t req, fuse_ino_t ino) {
    return ino == FUSE_ROOT_ID ? TreeOf(req).root : *reinterpret_cast<Inode*>(ino);
}

std::string PathOf(fuse_req_t req, fuse_ino_t ino) {
    std::lock_guard lock(TreeOf(req).mutex);
    return InodeOf(req, ino).path;
}

std::string Join(const std::string& folder, const char* name) { return folder.empty() ? name : folder + "/" + name; }
std::string ChildPath(fuse_req_t req, fuse_ino_t parent, const char* name) { return Join(PathOf(req, parent), name); }
std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }
int ErrorOf(int result) { return result == -1 ? errno : 0; }

// The kernel takes the smaller of its read-ahead and ours when the session starts, so a larger
// window is set once the session is up: at the first request after it.
void SetReadAhead(Tree& tree) {
    const unsigned kb = tree.state->settings().readAheadKb;
    if (kb == 0 || tree.readAheadFile.empty()) return;
    std::ofstream setting(tree.readAheadFile);
    setting << kb << '\n';
    if (!setting.flush()) std::fprintf(stderr, "share_sim: cannot set %s: read-ahead left as it is\n", tree.readAheadFile.c_str());
}

// Counts, delays and faults a request; false when it was answered with the fault's error.
bool Admitted(fuse_req_t req, Kind kind, const std::string& path) {
    Tree& tree = TreeOf(req);
    std::call_once(tree.readAheadSet, SetReadAhead, tree);
    const int error = StateOf(req).Admit(kind, path);
    if (error != 0) fuse_reply_err(req, error);
    return error == 0;
}

// Finds `name` in `parent` and takes one lookup of it for the kernel.
int LookUp(fuse_req_t req, fuse_ino_t parent, const char* name, fuse_entry_param& entry) {
    Tree& tree = TreeOf(req);
    int fd = ::openat(InodeOf(req, parent).fd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd == -1) return errno;
    if (::fstatat(fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == -1) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    Inode* inode;
    {
        std::lock_guard lock(tree.mutex);
        std::unique_ptr<Inode>& slot = tree.inodes[{st.st_dev, st.st_ino}];
        if (!slot) {
            slot = std::make_unique<Inode>(Inode{fd, st.st_dev, st.st_ino, 0, {}});
            fd = -1;
        }
        slot->path = Join(InodeOf(req, parent).path, name);  // the latest name, for faults
        slot->lookups++;
        inode = slot.get();
    }
    if (fd != -1) ::close(fd);
    entry = {};
    entry.ino = reinterpret_cast<fuse_ino_t>(inode);
    entry.attr = st;
    entry.attr_timeout = entry.entry_timeout = CacheOf(req);
    return 0;
}

void Forget(Tree& tree, fuse_ino_t ino, uint64_t count) {
    if (ino == FUSE_ROOT_ID) return;
    std::lock_guard lock(tree.mutex);
    auto* inode = reinterpret_cast<Inode*>(ino);
    if (inode->lookups > count) {
        inode->lookups -= count;
        return;
    }
    ::close(inode->fd);
    tree.inodes.erase({inode->dev, inode->ino});
}

void ReplyAttributes(fuse_req_t req, fuse_ino_t ino) {
    struct stat st;
    if (::fstatat(InodeOf(req, ino).fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == -1)
        fuse_reply_err(req, errno);
    else
        fuse_reply_attr(req, &st, CacheOf(req));
}

void ReplyEntryOf(fuse_req_t req, fuse_ino_t parent, const char* name) {
    fuse_entry_param entry;
    if (const int error = LookUp(req, parent, name, entry)) fuse_reply_err(req, error);
    else fuse_reply_entry(req, &entry);
}

void OnLookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    if (!Admitted(req, Kind::Lookup, ChildPath(req, parent, name))) return;
    fuse_entry_param entry;
    const int error = LookUp(req, parent, name, entry);
    if (error == ENOENT) {  // a name found missing is kept as long as one found present
        entry = {};
        entry.entry_timeout = CacheOf(req);
        fuse_reply_entry(req, &entry);
    } else if (error) {
        fuse_reply_err(req, error);
    } else {
        fuse_reply_entry(req, &entry);
    }
}

void OnForget(fuse_req_t req, fuse_ino_t ino, uint64_t count) {
    StateOf(req).CountOnly(Kind::Forget);
    Forget(TreeOf(req), ino, count);
    fuse_reply_none(req);
}

void OnForgetMany(fuse_req_t req, size_t count, fuse_forget_data* forgets) {
    for (size_t i = 0; i < count; ++i) {
        StateOf(req).CountOnly(Kind::Forget);
        Forget(TreeOf(req), forgets[i].ino, forgets[i].nlookup);
    }
    fuse_reply_none(req);
}

void OnGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
    if (Admitted(req, Kind::Getattr, PathOf(req, ino))) ReplyAttributes(req, ino);
}

int ApplyAttributes(int pathFd, int openFd, const struct stat& attr, int valid) {
    const std::string path = ProcPath(pathFd);
    if (valid & FUSE_SET_ATTR_MODE)
        if (::chmod(path.c_str(), attr.st_mode) == -1) return errno;
    if (valid & (FUSE_SET_ATTR_UID | FUSE_SET_ATTR_GID)) {
        const uid_t uid = (valid & FUSE_SET_ATTR_UID) ? attr.st_uid : static_cast<uid_t>(-1);
        const gid_t gid = (valid & FUSE_SET_ATTR_GID) ? attr.st_gid : static_cast<gid_t>(-1);
        if (::fchownat(pathFd, "", uid, gid, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == -1) return errno;
    }
    if (valid & FUSE_SET_ATTR_SIZE)
        if ((openFd != -1 ? ::ftruncate(openFd, attr.st_size) : ::truncate(path.c_str(), attr.st_size)) == -1)
            return errno;
    if (valid & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME)) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
        if (valid & FUSE_SET_ATTR_ATIME_NOW) times[0].tv_nsec = UTIME_NOW;
        else if (valid & FUSE_SET_ATTR_ATIME) times[0] = attr.st_atim;
        if (valid & FUSE_SET_ATTR_MTIME_NOW) times[1].tv_nsec = UTIME_NOW;
        else if (valid & FUSE_SET_ATTR_MTIME) times[1] = attr.st_mtim;
        if ((openFd != -1 ? ::futimens(openFd, times) : ::utimensat(AT_FDCWD, path.c_str(), times, 0)) == -1)
            return errno;
    }
    return 0;
}

void OnSetattr(fuse_req_t req, fuse_ino_t ino, struct stat* attr, int valid, fuse_file_info* file) {
    if (!Admitted(req, Kind::Setattr, PathOf(req, ino))) return;
    const int openFd = file ? static_cast<int>(file->fh) : -1;
    if (const int error = ApplyAttributes(InodeOf(req, ino).fd, openFd, *attr, valid)) fuse_reply_err(req, error);
    else ReplyAttributes(req, ino);
}

void OnReadlink(fuse_req_t req, fuse_ino_t ino) {
    if (!Admitted(req, Kind::Readlink, PathOf(req, ino))) return;
    char target[PATH_MAX + 1];
    const ssize_t length = ::readlinkat(InodeOf(req, ino).fd, "", target, sizeof target - 1);
    if (length == -1) return (void)fuse_reply_err(req, errno);
    target[length] = '\0';
    fuse_reply_readlink(req, target);
}

void OnMkdir(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode) {
    if (!Admitted(req, Kind::Mkdir, ChildPath(req, parent, name))) return;
    if (::mkdirat(InodeOf(req, parent).fd, name, mode) == -1) return (void)fuse_reply_err(req, errno);
    ReplyEntryOf(req, parent, name);
}

void OnUnlink(fuse_req_t req, fuse_ino_t parent, const char* name) {
    if (Admitted(req, Kind::Unlink, ChildPath(req, parent, name)))
        fuse_reply_err(req, ErrorOf(::unlinkat(InodeOf(req, parent).fd, name, 0)));
}

void OnRmdir(fuse_req_t req, fuse_ino_t parent, const char* name) {
    if (Admitted(req, Kind::Rmdir, ChildPath(req, parent, name)))
        fuse_reply_err(req, ErrorOf(::unlinkat(InodeOf(req, parent).fd, name, AT_REMOVEDIR)));
}

void OnRename(fuse_req_t req, fuse_ino_t parent, const char* name, fuse_ino_t newParent, const char* newName,
              unsigned int flags) {
    if (!Admitted(req, Kind::Rename, ChildPath(req, parent, name))) return;
    const int error = ErrorOf(::renameat2(InodeOf(req, parent).fd, name, InodeOf(req, newParent).fd, newName, flags));
    struct stat st;
    if (error == 0 && ::fstatat(InodeOf(req, newParent).fd, newName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        Tree& tree = TreeOf(req);
        std::lock_guard lock(tree.mutex);
        if (auto found = tree.inodes.find({st.st_dev, st.st_ino}); found != tree.inodes.end())
            found->second->path = Join(InodeOf(req, newParent).path, newName);
    }
    fuse_reply_err(req, error);
}

void OnOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    if (!Admitted(req, Kind::Open, PathOf(req, ino))) return;
    const int fd = ::open(ProcPath(InodeOf(req, ino).fd).c_str(), (file->flags & ~O_NOFOLLOW) | O_CLOEXEC);
    if (fd == -1) return (void)fuse_reply_err(req, errno);
    file->fh = static_cast<uint64_t>(fd);
    file->direct_io = StateOf(req).settings().uncached;
    if (fuse_reply_open(req, file) != 0) ::close(fd);
}

void OnCreate(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode, fuse_file_info* file) {
    if (!Admitted(req, Kind::Create, ChildPath(req, parent, name))) return;
    const int fd = ::openat(InodeOf(req, parent).fd, name, (file->flags | O_CREAT | O_CLOEXEC) & ~O_NOFOLLOW, mode);
    if (fd == -1) return (void)fuse_reply_err(req, errno);
    fuse_entry_param entry;
    if (const int error = LookUp(req, parent, name, entry)) {
        ::close(fd);
        return (void)fuse_reply_err(req, error);
    }
    file->fh = static_cast<uint64_t>(fd);
    file->direct_io = StateOf(req).settings().uncached;
    if (fuse_reply_create(req, &entry, file) != 0) ::close(fd);
}

void OnRead(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info* file) {
    const std::string path = PathOf(req, ino);
    if (!Admitted(req, Kind::Read, path)) return;
    if (const int error = StateOf(req).ReadFault(path, static_cast<uint64_t>(offset), size))
        return (void)fuse_reply_err(req, error);
    thread_local std::vector<char> buffer;
    if (buffer.size() < size) buffer.resize(size);
    const ssize_t got = ::pread(static_cast<int>(file->fh), buffer.data(), size, offset);
    if (got == -1) return (void)fuse_reply_err(req, errno);
    StateOf(req).PassWire(static_cast<uint64_t>(got));
    fuse_reply_buf(req, buffer.data(), static_cast<size_t>(got));
}

void OnWrite(fuse_req_t req, fuse_ino_t ino, const char* data, size_t size, off_t offset, fuse_file_info* file) {
    if (!Admitted(req, Kind::Write, PathOf(req, ino))) return;
    const ssize_t put = ::pwrite(static_cast<int>(file->fh), data, size, offset);
    if (put == -1) return (void)fuse_reply_err(req, errno);
    StateOf(req).CountWritten(static_cast<uint64_t>(put));
    fuse_reply_write(req, static_cast<size_t>(put));
}

void OnFlush(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    if (Admitted(req, Kind::Flush, PathOf(req, ino)))
        fuse_reply_err(req, ErrorOf(::close(::dup(static_cast<int>(file->fh)))));
}

// Closing cannot be refused: the descriptor goes whatever the share answers.
void OnRelease(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    const int error = StateOf(req).Admit(Kind::Release, PathOf(req, ino));
    ::close(static_cast<int>(file->fh));
    fuse_reply_err(req, error);
}

void OnFsync(fuse_req_t req, fuse_ino_t ino, int dataOnly, fuse_file_info* file) {
    if (!Admitted(req, Kind::Fsync, PathOf(req, ino))) return;
    const int fd = static_cast<int>(file->fh);
    fuse_reply_err(req, ErrorOf(dataOnly ? ::fdatasync(fd) : ::fsync(fd)));
}

void OnOpendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    if (!Admitted(req, Kind::Opendir, PathOf(req, ino))) return;
    const int fd = ::openat(InodeOf(req, ino).fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd == -1 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd != -1) ::close(fd);
        return (void)fuse_reply_err(req, error);
    }
    file->fh = reinterpret_cast<uint64_t>(new OpenFolder{dir, 0, nullptr});
    if (fuse_reply_open(req, file) != 0) {
        ::closedir(dir);
        delete reinterpret_cast<OpenFolder*>(file->fh);
    }
}

bool DotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

// Adds the folder's current entry to a listing's reply; false when it does not fit. A listing
// "plus" carries each entry's attributes, as an SMB listing does, so that the client knows them
// without asking again (the entry then counts as looked up).
bool AddEntry(fuse_req_t req, fuse_ino_t folderIno, const dirent& found, bool plus, char* at, size_t room,
              size_t& length) {
    fuse_entry_param entry{};
    entry.attr.st_ino = found.d_ino;
    entry.attr.st_mode = static_cast<mode_t>(found.d_type) << 12;
    if (!plus) {
        length = fuse_add_direntry(req, at, room, found.d_name, &entry.attr, found.d_off);
        return length <= room;
    }
    if (!DotOrDotDot(found.d_name) && LookUp(req, folderIno, found.d_name, entry) != 0) {
        length = 0;  // gone meanwhile: left out
        return true;
    }
    length = fuse_add_direntry_plus(req, at, room, found.d_name, &entry, found.d_off);
    if (length <= room) return true;
    if (entry.ino != 0) Forget(TreeOf(req), entry.ino, 1);
    return false;
}

void List(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info* file, bool plus) {
    if (!Admitted(req, Kind::Readdir, PathOf(req, ino))) return;
    auto* folder = reinterpret_cast<OpenFolder*>(file->fh);
    if (offset != folder->offset) {
        ::seekdir(folder->dir, offset);
        folder->entry = nullptr;
        folder->offset = offset;
    }
    std::vector<char> reply(size);
    size_t used = 0;
    for (;;) {
        if (!folder->entry) {
            errno = 0;
            folder->entry = ::readdir(folder->dir);
            if (!folder->entry) {
                if (errno != 0 && used == 0) return (void)fuse_reply_err(req, errno);
                break;
            }
        }
        size_t length = 0;
        if (!AddEntry(req, ino, *folder->entry, plus, reply.data() + used, size - used, length)) break;
        used += length;
        folder->offset = folder->entry->d_off;
        folder->entry = nullptr;
    }
    fuse_reply_buf(req, reply.data(), used);
}

void OnReaddir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info* file) {
    List(req, ino, size, offset, file, false);
}

void OnReaddirplus(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info* file) {
    List(req, ino, size, offset, file, true);
}

// Every listing carries the attributes (the kernel would otherwise choose per folder).
void OnInit(void*, fuse_conn_info* connection) { connection->want &= ~FUSE_CAP_READDIRPLUS_AUTO; }

void OnReleasedir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* file) {
    const int error = StateOf(req).Admit(Kind::Releasedir, PathOf(req, ino));
    auto* folder = reinterpret_cast<OpenFolder*>(file->fh);
    ::closedir(folder->dir);
    delete folder;
    fuse_reply_err(req, error);
}

void OnStatfs(fuse_req_t req, fuse_ino_t ino) {
    if (!Admitted(req, Kind::Statfs, PathOf(req, ino))) return;
    struct statvfs st;
    if (::fstatvfs(InodeOf(req, ino).fd, &st) == -1) fuse_reply_err(req, errno);
    else fuse_reply_statfs(req, &st);
}

fuse_lowlevel_ops Operations() {
    fuse_lowlevel_ops ops{};
    ops.lookup = OnLookup;
    ops.forget = OnForget;
    ops.forget_multi = OnForgetMany;
    ops.getattr = OnGetattr;
    ops.setattr = OnSetattr;
    ops.readlink = OnReadlink;
    ops.mkdir = OnMkdir;
    ops.unlink = OnUnlink;
    ops.rmdir = OnRmdir;
    ops.rename = OnRename;
    ops.open = OnOpen;
    ops.create = OnCreate;
    ops.read = OnRead;
    ops.write = OnWrite;
    ops.flush = OnFlush;
    ops.release = OnRelease;
    ops.fsync = OnFsync;
    ops.opendir = OnOpendir;
    ops.init = OnInit;
    ops.readdir = OnReaddir;
    ops.readdirplus = OnReaddirplus;
    ops.releasedir = OnReleasedir;
    ops.statfs = OnStatfs;
    return ops;
}

void Wake(int) {}  // SIGUSR1 only interrupts the loop's wait

}  // namespace

MountedShare::MountedShare(ShareState& state, const std::string& source, const std::string& mountPoint)
    : state_(state), tree_(std::make_unique<Tree>()) {
    tree_->state = &state;
    char* canonical = ::realpath(mountPoint.c_str(), nullptr);  // as the mount table will name it
    const std::string point = canonical ? canonical : mountPoint;
    std::free(canonical);
    tree_->root.fd = ::open(source.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (tree_->root.fd == -1) {
        error_ = "cannot open " + source + ": " + std::strerror(errno);
        return;
    }
    std::string options = "fsname=" + FileSystemName(::getpid()) + ",subtype=" + kSubtype + ",default_permissions";
    if (::geteuid() == 0) options += ",allow_other";  // a test may reach it as another user
    const char* argv[] = {"share_sim", "-o", options.c_str()};
    fuse_args args = FUSE_ARGS_INIT(3, const_cast<char**>(argv));
    const fuse_lowlevel_ops ops = Operations();
    session_ = fuse_session_new(&args, &ops, sizeof ops, tree_.get());
    if (!session_) {
        error_ = "the FUSE session could not be made";
        return;
    }
    if (fuse_session_mount(session_, point.c_str()) != 0) {
        error_ = "mounting " + point + " was refused";
        return;
    }
    tree_->readAheadFile = "/sys/class/bdi/" + DeviceOf(point) + "/read_ahead_kb";
    mounted_ = true;
    runner_ = ::pthread_self();
}

MountedShare::~MountedShare() {
    if (mounted_) fuse_session_unmount(session_);
    if (session_) fuse_session_destroy(session_);
    {
        std::lock_guard lock(tree_->mutex);
        for (auto& [key, inode] : tree_->inodes) ::close(inode->fd);
    }
    if (tree_->root.fd != -1) ::close(tree_->root.fd);
}

void MountedShare::Run() {
    struct sigaction wake{};
    wake.sa_handler = Wake;  // no SA_RESTART: the loop's wait returns and sees the exit
    ::sigaction(SIGUSR1, &wake, nullptr);
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    ::pthread_sigmask(SIG_UNBLOCK, &usr1, nullptr);
    running_ = true;
    if (!stopRequested_) {
        fuse_loop_config* config = fuse_loop_cfg_create();
        fuse_loop_cfg_set_max_threads(config, 64);  // many terminals at once, each request delayed
        fuse_session_loop_mt(session_, config);
        fuse_loop_cfg_destroy(config);
    }
    running_ = false;
}

void MountedShare::Stop() {
    stopRequested_ = true;
    state_.Stop();
    if (!session_) return;
    fuse_session_exit(session_);
    // The loop may not be waiting yet when a signal comes: knock until it has returned.
    for (int i = 0; running_ && i < 200; ++i) {
        ::pthread_kill(runner_, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (running_) {  // never left mounted and deaf: the kernel fails every request once we are gone
        std::fputs("share_sim: the request loop did not end; leaving\n", stderr);
        ::_exit(3);
    }
}

}  // namespace share
