#include "tests/reader/view/ViewTestSupport.h"

NoticeRecorder::NoticeRecorder() {
    previous_ = SetNoticeHandler([this](QWidget*, const QString& text) { notices.append(text); });
}

NoticeRecorder::~NoticeRecorder() {
    SetNoticeHandler(std::move(previous_));
}
