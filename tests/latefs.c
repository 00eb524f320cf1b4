/*
 * A FUSE drive for the tests: the files of a backing folder, as a network
 * or user-space drive with a small store shows them. Every write is taken,
 * but a file that has grown past the store's limit is refused only when it
 * is closed (ENOSPC), as such drives tell what they could not keep. It has
 * no RENAME_NOREPLACE and no unnamed temporary files, gives every name its
 * own inode number (a hard link's new name is another number than the file
 * it was made from, as FUSE drives without inode numbers of their own do),
 * keeps no extended attributes and no inode flags.
 *
 *   quorbix_latefs <backing folder> <limit in bytes> <mount point> [fuse options]
 *
 * Without -f it returns once the drive is mounted, and ends when it is
 * unmounted.
 */
#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

static int g_base = -1;   /* the backing folder */
static long long g_limit; /* what a file may hold and still be kept */

/* The backing folder's name for a path of the drive: "." for its top. */
static const char* rel(const char* path)
{
    while (*path == '/')
        ++path;
    return *path ? path : ".";
}

static int fail(void)
{
    return -errno;
}

static void* lf_init(struct fuse_conn_info* conn, struct fuse_config* cfg)
{
    (void)conn;
    /* What the program asks it is what the backing folder has now. */
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->use_ino = 0;
    return NULL;
}

static int lf_getattr(const char* path, struct stat* st, struct fuse_file_info* fi)
{
    if (fi) return fstat((int)fi->fh, st) == 0 ? 0 : fail();
    return fstatat(g_base, rel(path), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

static int lf_readlink(const char* path, char* buf, size_t size)
{
    const ssize_t n = readlinkat(g_base, rel(path), buf, size - 1);
    if (n < 0) return fail();
    buf[n] = 0;
    return 0;
}

static int lf_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t off,
                      struct fuse_file_info* fi, enum fuse_readdir_flags flags)
{
    (void)off;
    (void)fi;
    (void)flags;
    const int fd = openat(g_base, rel(path), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return fail();
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return fail();
    }
    struct dirent* ent;
    while ((ent = readdir(dir)) != NULL) {
        struct stat st;
        memset(&st, 0, sizeof st);
        st.st_mode = (mode_t)DTTOIF(ent->d_type);
        if (fill(buf, ent->d_name, &st, 0, 0)) break;
    }
    closedir(dir);
    return 0;
}

static int lf_mkdir(const char* path, mode_t mode)
{
    return mkdirat(g_base, rel(path), mode) == 0 ? 0 : fail();
}

static int lf_unlink(const char* path)
{
    return unlinkat(g_base, rel(path), 0) == 0 ? 0 : fail();
}

static int lf_rmdir(const char* path)
{
    return unlinkat(g_base, rel(path), AT_REMOVEDIR) == 0 ? 0 : fail();
}

static int lf_symlink(const char* to, const char* path)
{
    return symlinkat(to, g_base, rel(path)) == 0 ? 0 : fail();
}

static int lf_rename(const char* from, const char* to, unsigned int flags)
{
    if (flags) return -EINVAL;
    return renameat(g_base, rel(from), g_base, rel(to)) == 0 ? 0 : fail();
}

static int lf_link(const char* from, const char* to)
{
    return linkat(g_base, rel(from), g_base, rel(to), 0) == 0 ? 0 : fail();
}

static int lf_chmod(const char* path, mode_t mode, struct fuse_file_info* fi)
{
    if (fi) return fchmod((int)fi->fh, mode) == 0 ? 0 : fail();
    return fchmodat(g_base, rel(path), mode, 0) == 0 ? 0 : fail();
}

static int lf_chown(const char* path, uid_t uid, gid_t gid, struct fuse_file_info* fi)
{
    if (fi) return fchown((int)fi->fh, uid, gid) == 0 ? 0 : fail();
    return fchownat(g_base, rel(path), uid, gid, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

static int lf_truncate(const char* path, off_t size, struct fuse_file_info* fi)
{
    if (fi) return ftruncate((int)fi->fh, size) == 0 ? 0 : fail();
    const int fd = openat(g_base, rel(path), O_WRONLY);
    if (fd < 0) return fail();
    const int r = ftruncate(fd, size) == 0 ? 0 : fail();
    close(fd);
    return r;
}

static int lf_utimens(const char* path, const struct timespec tv[2], struct fuse_file_info* fi)
{
    if (fi) return futimens((int)fi->fh, tv) == 0 ? 0 : fail();
    return utimensat(g_base, rel(path), tv, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : fail();
}

static int lf_open(const char* path, struct fuse_file_info* fi)
{
    const int fd = openat(g_base, rel(path), fi->flags & ~(O_NOFOLLOW | O_EXCL | O_CREAT));
    if (fd < 0) return fail();
    fi->fh = (uint64_t)fd;
    return 0;
}

static int lf_create(const char* path, mode_t mode, struct fuse_file_info* fi)
{
    const int fd = openat(g_base, rel(path), fi->flags | O_CREAT, mode);
    if (fd < 0) return fail();
    fi->fh = (uint64_t)fd;
    return 0;
}

static int lf_read(const char* path, char* buf, size_t size, off_t off, struct fuse_file_info* fi)
{
    (void)path;
    const ssize_t n = pread((int)fi->fh, buf, size, off);
    return n < 0 ? fail() : (int)n;
}

static int lf_write(const char* path, const char* buf, size_t size, off_t off,
                    struct fuse_file_info* fi)
{
    (void)path;
    const ssize_t n = pwrite((int)fi->fh, buf, size, off);
    return n < 0 ? fail() : (int)n;
}

static int lf_statfs(const char* path, struct statvfs* st)
{
    (void)path;
    return fstatvfs(g_base, st) == 0 ? 0 : fail();
}

/* Each close of a descriptor: the store tells here what it could not keep. */
static int lf_flush(const char* path, struct fuse_file_info* fi)
{
    (void)path;
    struct stat st;
    if (fstat((int)fi->fh, &st) != 0) return fail();
    return st.st_size > g_limit ? -ENOSPC : 0;
}

static int lf_release(const char* path, struct fuse_file_info* fi)
{
    (void)path;
    close((int)fi->fh);
    return 0;
}

static int lf_fsync(const char* path, int datasync, struct fuse_file_info* fi)
{
    (void)path;
    (void)datasync;
    (void)fi;
    return 0; /* the store answers only at close */
}

static int lf_access(const char* path, int mask)
{
    return faccessat(g_base, rel(path), mask, AT_EACCESS) == 0 ? 0 : fail();
}

static const struct fuse_operations kOperations = {
    .getattr = lf_getattr,
    .readlink = lf_readlink,
    .mkdir = lf_mkdir,
    .unlink = lf_unlink,
    .rmdir = lf_rmdir,
    .symlink = lf_symlink,
    .rename = lf_rename,
    .link = lf_link,
    .chmod = lf_chmod,
    .chown = lf_chown,
    .truncate = lf_truncate,
    .open = lf_open,
    .read = lf_read,
    .write = lf_write,
    .statfs = lf_statfs,
    .flush = lf_flush,
    .release = lf_release,
    .fsync = lf_fsync,
    .readdir = lf_readdir,
    .init = lf_init,
    .access = lf_access,
    .create = lf_create,
    .utimens = lf_utimens,
};

int main(int argc, char* argv[])
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s <backing folder> <limit> <mount point> [fuse options]\n",
                argv[0]);
        return 2;
    }
    g_base = open(argv[1], O_RDONLY | O_DIRECTORY);
    if (g_base < 0) {
        perror(argv[1]);
        return 1;
    }
    g_limit = atoll(argv[2]);
    umask(0);
    argv[2] = argv[0];
    return fuse_main(argc - 2, argv + 2, &kOperations, NULL);
}
