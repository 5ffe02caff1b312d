#include "reader/view/ReaderNotice.h"

#include <QMessageBox>

namespace {

NoticeHandler& Handler() {
    static NoticeHandler handler; // set and used on the user-interface thread only
    return handler;
}

} // namespace

void ShowNotice(QWidget* parent, const QString& text) {
    if (Handler()) {
        Handler()(parent, text);
        return;
    }
    QMessageBox::information(parent, QStringLiteral("Quillmere"), text);
}

NoticeHandler SetNoticeHandler(NoticeHandler handler) {
    NoticeHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
