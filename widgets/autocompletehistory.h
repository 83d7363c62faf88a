#pragma once

#include <QString>
#include <QStringList>

// The last six values committed to one auto-completing input, kept in Data.xml
// under the input's history name: keys "ip0" (most recent) to "ip5", and
// "index" with the number of entries found by the last load. Needs no widget.
class AutoCompleteHistory final
{
public:
    static constexpr int kSize = 6;

    // folder: where Data.xml lives; empty means the console's settings folder.
    explicit AutoCompleteHistory(const QString &folder = QString());

    QString folder() const { return m_folder; }
    void setFolder(const QString &folder);
    QString dataFile() const;

    // Binds the history name and loads its entries, up to the first empty one,
    // then records their number under "index". False when the store failed;
    // errorText() says why, and the entries read before the failure are kept.
    bool load(const QString &name);
    QString name() const { return m_name; }
    QString errorText() const { return m_errorText; }

    // Commits a value to the file: a value already held (in any letter case)
    // swaps places with "ip0", a new one pushes the others down and drops the
    // oldest. An empty value commits nothing. The loaded entries stay as they
    // are. False when nothing was written (empty value or a store failure).
    bool commit(const QString &value);

    // The loaded entries, most recent first; never more than kSize.
    QStringList entries() const { return m_entries; }
    // Adds a value after the loaded entries (not to the file); false when it is
    // empty or the history is full.
    bool append(const QString &value);
    // The entries that begin with prefix, ignoring letter case, in entry order.
    QStringList matches(const QString &prefix) const;

    static QString entryKey(int index) { return QStringLiteral("ip%1").arg(index); }
    static QString indexKey() { return QStringLiteral("index"); }

private:
    QString m_folder;
    QString m_name;
    QString m_errorText;
    QStringList m_entries;
};
