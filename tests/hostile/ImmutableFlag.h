#pragma once

#include <QString>

namespace trellum::test {

// The file system's immutable attribute on a file or folder for the life of the object: nobody,
// root included, may then create, rename, change or remove anything there.
class ImmutableFlag {
public:
    explicit ImmutableFlag(const QString& path);
    ~ImmutableFlag();
    ImmutableFlag(const ImmutableFlag&) = delete;
    ImmutableFlag& operator=(const ImmutableFlag&) = delete;

    // Whether the attribute could be set here (the file system and the privileges allow it).
    bool set() const { return m_set; }
    // Why it could not be set.
    const QString& reason() const { return m_reason; }

private:
    bool change(bool on);

    QString m_path;
    bool m_set = false;
    QString m_reason;
};

} // namespace trellum::test
