#include "reader/ShowMessage.h"

#include "reader/CMsgBoxDlg.h"

namespace {

MessageSeam& seam() {
    static MessageSeam value;
    return value;
}

} // namespace

void SetMessageSeam(MessageSeam value) {
    seam() = std::move(value);
}

int ShowMessage(int kind, QWidget* parent, const QString& text, const QString& caption) {
    const QString shownCaption = caption.isEmpty() ? QStringLiteral("消息") : caption;
    if (seam())
        return seam()(kind, parent, text, shownCaption);
    CMsgBoxDlg box(parent);
    box.SetMessage(kind, text, shownCaption);
    if (kind == MessageNotice || kind == MessageOkCancel) {
        box.SetOkCancelTexts(QStringLiteral("确定"), QStringLiteral("取消"));
    } else if (kind == MessageQuestion) {
        box.SetYesNoTexts(QStringLiteral("是"), QStringLiteral("否"));
    }
    return box.exec();
}
