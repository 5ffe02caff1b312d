#pragma once

#include "common/Records.h"
#include "reader/ShowMessageSeam.h"

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Fields 3 to 8 of the version row the server sent with CDTSoftVerUpdate.
struct SoftVersionInfo {
    QString updateKind; // "必须" marks a mandatory update
    QString field4;
    QString message;
    QString url1;
    QString url2;
    QString url3; // also the page opened when the user declines
};

SoftVersionInfo SoftVersionOf(const LargeMessage& record);

// How the update talks to the user and the desktop; tests replace each.
struct SoftUpdateSeams {
    QWidget* parent = nullptr;
    ShowMessageFunction showMessage;
    // The system's default handler for an address.
    std::function<void(const QString& address)> openUrl;
    // Starts a program without waiting for it.
    std::function<void(const QString& program, const QStringList& arguments)> startProgram;
};

// The seams of the running reader: the desktop's URL handler and a detached process.
SoftUpdateSeams DesktopSoftUpdateSeams(QWidget* parent, ShowMessageFunction showMessage);

// Offers the update of a CDTSoftVerUpdate record; `updateAll` from [Base] UpdateAll.
void OnSoftVersion(const LargeMessage& record, int updateAll, const SoftUpdateSeams& seams);
// The same for the fields of the record, as the main window's dispatcher hands them on.
void OnSoftVersion(const SoftVersionInfo& info, int updateAll, const SoftUpdateSeams& seams);

// Copies UpdateSoft.ini and UpdateSoft of the home into Update/ and writes the description;
// the path of the updater copy, or empty on failure.
QString PrepareUpdate(const SoftVersionInfo& info);

// At start: a home that lacks them gets the Update folder, the delivered UpdateSoft.ini and the
// UpdateSoft program built beside the reader. Existing files are kept.
void EnsureUpdaterFiles();
