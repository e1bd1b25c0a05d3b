#pragma once

#include <QHash>
#include <QString>

namespace trellum {

// The keys of one settings section, their names matched in any case.
class SettingsKeys {
public:
    // Sets a key (a name already there in another case is replaced).
    void insert(const QString& name, const QString& value) { m_values.insert(name.toCaseFolded(), value); }
    // The key's value; "" when it is missing.
    QString value(const QString& name) const { return m_values.value(name.toCaseFolded()); }
    // Whether the key is there.
    bool contains(const QString& name) const { return m_values.contains(name.toCaseFolded()); }

private:
    QHash<QString, QString> m_values;
};

} // namespace trellum
