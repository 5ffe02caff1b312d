#pragma once

#include <QString>

// Sectioned key=value files with the semantics of the classic private-profile calls:
// sections and keys compare case-insensitively, a missing file or key gives the default,
// integers read as their leading decimal digits, and a write replaces one key's line
// while keeping every other line of the file as it was.
class IniFile {
public:
    explicit IniFile(QString path);

    int ReadInt(const QString& section, const QString& key, int defaultValue) const;
    QString ReadText(const QString& section, const QString& key,
                     const QString& defaultValue = {}) const;
    bool WriteText(const QString& section, const QString& key, const QString& value) const;

    const QString& Path() const { return path_; }

private:
    bool Find(const QString& section, const QString& key, QString* value) const;

    QString path_;
};
