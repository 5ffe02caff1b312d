#pragma once

#include "reader/view/ReadingWindowLink.h"

class ReadingModelRegistry;

// The model side of a reading window's link, through the reader's model registry: operations,
// screens, page state, the mode and the list reloads of one followed thread. The reader's
// main window completes it with the server, the login and its own services.
class ModelReadingWindowLink : public ReadingWindowLink {
public:
    ModelReadingWindowLink(ReadingModelRegistry& models, int focusPageNo);

    int RequestReadOperation(ReadingObserver* window, int operation, int value) override;
    bool GetScreen(ShownScreen& screen) override;
    bool GetPageState(QList<int>& storedPages, int& startPage, int& endPage) override;
    int ModelViewMode() override;
    void SetModelViewMode(int mode) override;
    // 2 and 3 reload the chosen people, 4 the blocked people, 5 the chosen words.
    void ReloadList(int focusPageNo, int listNo) override;
    // CSetSomeBodyDlg, reloading the model's list on OK.
    bool RunListDialog(QWidget* parent, int mode, const QString& dbFile, const QString& starter,
                       int focusPageNo) override;

protected:
    ReadingModelRegistry& models_;
    int focusPageNo_;
};
