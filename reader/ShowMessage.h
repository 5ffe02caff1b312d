#pragma once

#include <QString>

#include <functional>

class QWidget;

// Message kinds and results, as the message box uses them.
enum MessageKind {
    MessageNotice = 0,
    MessageOkCancel = 1,
    MessageQuestion = 4,
    MessageInfo = 1128
};
enum MessageResult { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

// The reader's one way to show a notice (kind 0) or ask a question (kind 4): the message box,
// modal over `parent`. An empty caption becomes "消息".
int ShowMessage(int kind, QWidget* parent, const QString& text, const QString& caption = {});

// Tests answer messages through this seam instead of a dialog; an empty function restores the
// dialog. The seam sees the caption after the empty-caption rule.
using MessageSeam =
    std::function<int(int kind, QWidget* parent, const QString& text, const QString& caption)>;
void SetMessageSeam(MessageSeam seam);
