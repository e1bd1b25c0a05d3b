#pragma once

namespace trellum {

// SQLite's file layer for an embedded database whose full path is longer than the platform's
// layer takes (504 bytes with "-journal" fitting): the same layer, with room for paths up to the
// system's own limit. It opens the database file read-only; the -wal and -journal files of such a
// database are refused (the platform's layer keeps their names in buffers of the shorter size),
// so only a database in rollback mode without a journal left behind is read under a long path.
class LongPathVfs {
public:
    // The name of the layer (for the "vfs" parameter of a file URI), registered on first use;
    // nullptr when it cannot be registered.
    static const char* name();
    // The longest full path the platform's own layer takes, in bytes.
    static int platformLimit();
};

} // namespace trellum
