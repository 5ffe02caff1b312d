#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh home for one test: the program directory and $QUILLMERE_HOME point at a temporary
// folder that is removed afterwards, so tests never touch a user's data and run in parallel.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // The home, ending in "/".
    QString Path() const;
    // A file path inside the home.
    QString File(const QString& name) const;
    // Writes text into a file of the home (creating folders).
    void WriteFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
    QByteArray previousEnv_;
    bool hadEnv_ = false;
};
