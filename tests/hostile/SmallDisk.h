#pragma once

#include <QString>

namespace trellum::test {

// A small tmpfs mounted on a folder for the life of the object, to run out of space on.
class SmallDisk {
public:
    // Mounts `kibibytes` of tmpfs on the (empty) folder.
    SmallDisk(const QString& folder, int kibibytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Whether the mount worked here (it needs the privilege to mount).
    bool mounted() const { return m_mounted; }
    const QString& reason() const { return m_reason; }
    // Fills the disk with a file of that name until at most `leftBytes` are free.
    bool fill(const QString& name, qint64 leftBytes) const;
    // The bytes still free.
    qint64 freeBytes() const;

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace trellum::test
