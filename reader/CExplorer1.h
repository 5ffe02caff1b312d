#pragma once

#include <QWebEngineView>

// The embedded browser of the reader's pages. A link that asks for a new window is not
// opened: its address is reported through `newWindowAddress`. A silent browser keeps script
// messages and script dialogs to itself.
class CExplorer1 : public QWebEngineView {
    Q_OBJECT
public:
    explicit CExplorer1(bool silent, QWidget* parent = nullptr);

signals:
    void newWindowAddress(const QString& address);
};
