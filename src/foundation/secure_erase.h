// Secure deletion's overwrite. It works only on a file the caller has
// opened with delete access (never by path, so never through a link), and
// only once that file is marked for deletion on that handle: a file the
// run cannot delete is never left overwritten.
#pragma once

#include <windows.h>

#include <functional>

#include "foundation/handles.h"

namespace nv::erasefs {

// What the overwrite did to a file's content.
enum class Overwrite {
    Done,        // zeros over its allocated length, flushed, truncated, renamed
    OtherNames,  // it has other hard links: they keep its content, so it was left
    NotWritable, // it could not be opened for writing (another program holds it)
    Unmapped,    // where its data lies could not be told (sparse, compressed)
    Failed,      // writing failed part way
};

class Overwriter {
public:
    // Before the file is marked for deletion: checks that it has no other
    // names and opens the same file object again for writing.
    explicit Overwriter(HANDLE deleting);
    // Whether Run can overwrite, and if not why.
    Overwrite ready() const { return ready_; }
    // Once the file is marked for deletion on `deleting`: zeros over every
    // allocated byte, flushed, the length set to 0 and the file renamed to
    // a random name in its folder. `pump` is called between chunks.
    Overwrite Run(const std::function<void()>& pump = {});

private:
    HANDLE deleting_;
    ScopedFile writer_;
    Overwrite ready_;
};

namespace detail {
// Tests look at a file between the flush and the truncation, through a
// handle of their own; nothing else may set this.
void SetOverwrittenHook(std::function<void()> hook);
}  // namespace detail

}  // namespace nv::erasefs
