#pragma once

#include <QString>
#include <functional>

class QWidget;

// The reader's way of showing a notice (kind 0) or asking a question (kind 4), as the main
// window's ShowMessage does; parts built apart from the main window take it as a seam.
using ShowMessageFunction =
    std::function<int(int kind, QWidget* parent, const QString& text, const QString& caption)>;

inline constexpr int kMessageNotice = 0;
inline constexpr int kMessageQuestion = 4;
inline constexpr int kMessageYes = 6; // the answer "是"
