#pragma once
// Fault injection at the C library. A test binary that links FailIo.cpp
// defines open, write, fdatasync, linkat, rename and their kin itself; the
// dynamic linker then binds every caller in the process (Qt included) to
// them. Disarmed they pass straight through to the C library; armed, they
// fail the nth call of one kind that touches the given folder, as a full
// disk or a failing device would.
#include <string>

namespace failio {

enum class Call {
    Open,        // creating the file (open/openat for writing): ENOSPC
    Write,       // a write: EIO, nothing written
    ShortWrite,  // a write stops halfway, the next one fails: ENOSPC (a full disk)
    Sync,        // fsync/fdatasync: EIO
    Link,        // linkat (naming an unnamed temporary file): ENOSPC
    Rename,      // rename/renameat (putting the new file in place): EIO
};

const char* name(Call call);

// Fails the nth call of this kind on a file in folder (a path prefix).
void arm(Call call, const std::string& folder, int nth = 1);
void disarm();
// How many calls were failed since arm(): 0 means the fault was never
// reached, and a test that saw no error proves nothing.
int hits();

} // namespace failio
