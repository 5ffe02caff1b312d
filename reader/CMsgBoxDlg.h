#pragma once

#include "skin/CSkinDialogEx.h"

#include <QPixmap>
#include <QRect>
#include <QStringList>

class QFontMetrics;
class CSkinButton;

// The reader's message box: a notice or a question with its text broken into lines.
class CMsgBoxDlg : public CSkinDialogEx {
    Q_OBJECT
public:
    static constexpr int kMaxTextWidth = 440;
    static constexpr int kMaxTextHeight = 420;
    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 26;

    explicit CMsgBoxDlg(QWidget* parent = nullptr);

    void SetMessage(int type, const QString& text, const QString& caption);
    void SetOkCancelTexts(const QString& ok, const QString& cancel);
    void SetYesNoTexts(const QString& yes, const QString& no);
    void SetIconPath(const QString& path) { iconPath_ = path; }

    // The text as drawn: broken at line feeds (a carriage return before one is dropped) and
    // wherever a line would grow wider than `maxWidth`, at a blank when the line has one.
    static QStringList BreakText(const QString& text, const QFontMetrics& metrics, int maxWidth);

    QRect TextRect() const { return textRect_; }
    QStringList Lines() const { return lines_; }
    CSkinButton* YesButton() const { return yes_; }
    CSkinButton* NoButton() const { return no_; }
    CSkinButton* CancelButton() const { return cancel_; }

    int exec() override;
    void reject() override { done(2); }

protected:
    void OnSkinPaint(QPainter& painter) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Arrange();
    QPixmap IconOfType() const;

    int type_ = 0;
    QString text_;
    QString caption_;
    QString iconPath_;
    QString okText_, cancelText_, yesText_, noText_;
    QStringList lines_;
    QRect textRect_;
    QPixmap icon_;
    CSkinButton* yes_ = nullptr;    // 1028
    CSkinButton* no_ = nullptr;     // 1029
    CSkinButton* cancel_ = nullptr; // 1030
};
