#pragma once
// statfs with the three fields of the BSD structure that Linux's lacks: the
// file-system type name, the mount point and what is mounted there. They come
// from the mount table (/proc/self/mountinfo, or the file named by the
// environment variable DRAVIK_MOUNTINFO, which tests use).

#include <string>

struct VolumeStatfs
{
    std::string f_fstypename;  // "ext4", "tmpfs", "fuse.sshfs", ...
    std::string f_mntonname;   // the mount point
    std::string f_mntfromname; // a device such as "/dev/loop0p1", or a name such as "tmpfs"
};

// Fills buf for the volume that holds path: the mount whose mount point is the
// longest leading part of the path with its symbolic links resolved (the later
// of equal ones, which covers the earlier). Returns 0 on success; -1 when the
// path does not exist or the mount table cannot be read, leaving buf as it was.
int volumeStatfs(char const* path, VolumeStatfs* buf);

// One mount-table field with its octal escapes ("\040" for a blank) decoded.
std::string decodeMountField(std::string const& field);
