#include "reader/view/ModelReadingWindowLink.h"

#include "reader/model/ReadingModelRegistry.h"
#include "reader/reading/SomeBodyRules.h"
#include "reader/view/CSetSomeBodyDlg.h"

ModelReadingWindowLink::ModelReadingWindowLink(ReadingModelRegistry& models, int focusPageNo)
    : models_(models), focusPageNo_(focusPageNo) {}

int ModelReadingWindowLink::RequestReadOperation(ReadingObserver* window, int operation,
                                                 int value) {
    return models_.RequestReadOperation(focusPageNo_, window, operation, value);
}

bool ModelReadingWindowLink::GetScreen(ShownScreen& screen) {
    const auto model = models_.FindReadingModel(focusPageNo_);
    if (!model)
        return false;
    model->GetScreen(screen);
    return true;
}

bool ModelReadingWindowLink::GetPageState(QList<int>& storedPages, int& startPage, int& endPage) {
    const auto model = models_.FindReadingModel(focusPageNo_);
    if (!model)
        return false;
    model->GetPageState(storedPages, startPage, endPage);
    return true;
}

int ModelReadingWindowLink::ModelViewMode() {
    const auto model = models_.FindReadingModel(focusPageNo_);
    return model ? model->GetViewMode() : 0;
}

void ModelReadingWindowLink::SetModelViewMode(int mode) {
    if (const auto model = models_.FindReadingModel(focusPageNo_))
        model->SetViewMode(mode);
}

void ModelReadingWindowLink::ReloadList(int focusPageNo, int listNo) {
    const auto model = models_.FindReadingModel(focusPageNo);
    if (!model)
        return;
    switch (listNo) {
    case ChosenPeopleList:
    case HighlightPeopleList:
        model->ReloadChosenPeople();
        break;
    case BlockedPeopleList:
        model->ReloadBlockedPeople();
        break;
    case ChosenWordsList:
        model->ReloadChosenWords();
        break;
    default:
        break;
    }
}

bool ModelReadingWindowLink::RunListDialog(QWidget* parent, int mode, const QString& dbFile,
                                           const QString& starter, int focusPageNo) {
    CSetSomeBodyDlg dialog(mode, dbFile, starter, focusPageNo, this, parent);
    return dialog.exec() == QDialog::Accepted;
}
