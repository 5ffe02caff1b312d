#pragma once

#include <QString>

#include <functional>

class QWidget;

// The reading window's notices. A message box in the program; tests put their own handler
// in place so that nothing waits for a user.
void ShowNotice(QWidget* parent, const QString& text);
using NoticeHandler = std::function<void(QWidget* parent, const QString& text)>;
// Replaces the handler; an empty one restores the message box. Returns the previous one.
NoticeHandler SetNoticeHandler(NoticeHandler handler);
