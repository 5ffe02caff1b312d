#pragma once

#include "reader/reading/ServerRequestSink.h"
#include "reader/reading/ShownPost.h"
#include "reader/reading/SomeBodyRules.h"

#include <QList>
#include <QString>

class QWidget;
class ReadingObserver;

// One discount recommendation of the side panel.
struct SideRecommendation {
    QString html; // a fragment for the panel's body
    QString followUpAddress;
    int width = 200;
    int height = 270;
};

// Everything a reading window needs from the rest of the reader: its thread's reading
// model, the channel to the server, the login and the reader's small services. The
// reader's main window gives each window one; tests give a recorder.
class ReadingWindowLink : public ServerRequestSink, public FilterListReloader {
public:
    // --- the thread's reading model; false or 0 when there is none ---
    // The model answers `window` with UM_READ_OP_DONE.
    virtual int RequestReadOperation(ReadingObserver* window, int operation, int value) = 0;
    virtual bool GetScreen(ShownScreen& screen) = 0;
    virtual bool GetPageState(QList<int>& storedPages, int& startPage, int& endPage) = 0;
    virtual int ModelViewMode() = 0;
    virtual void SetModelViewMode(int mode) = 0;

    // --- the server ---
    // A reply of the thread, at the back of the large queue.
    virtual void QueueReply(const QString& text) = 0;

    // --- the reader ---
    virtual bool IsLoggedIn() = 0;
    // Runs the login dialog modally over `parent`.
    virtual void RunLogin(QWidget* parent) = 0;
    // The list dialog of a filter mode (2 to 5) for the thread, run modally; true on OK.
    virtual bool RunListDialog(QWidget* parent, int mode, const QString& dbFile,
                               const QString& starter, int focusPageNo) = 0;
    virtual void LowerHelpTip(const QString& name) = 0;
    // Opens an address with the system's handler.
    virtual void OpenAddress(const QString& address) = 0;
    // A random recommendation for the side panel; false when there is none yet.
    virtual bool PickRecommendation(SideRecommendation& recommendation) = 0;
    // The window was asked to close: save the position, destroy it a little later.
    virtual void CloseRequested() = 0;
};
