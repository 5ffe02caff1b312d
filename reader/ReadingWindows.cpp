#include "reader/ReadingWindows.h"

#include "common/Log.h"
#include "reader/CLoginDlg.h"
#include "reader/OpenInBrowser.h"
#include "reader/ReaderState.h"
#include "reader/ServerLink.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"
#include "reader/view/CShowContent.h"
#include "reader/view/ModelReadingWindowLink.h"
#include "store/Catalogue.h"

#include <QRandomGenerator>

namespace {

// A reading window's link: its model through the registry, the server through the reader's
// link, and the reader's login, help tips, recommendations and window registry.
class ReaderWindowLink : public ModelReadingWindowLink {
public:
    ReaderWindowLink(ReadingModelRegistry& models, ReadingWindowRegistry& windows, ServerLink& link,
                     int followNo, std::function<void()> onClosed)
        : ModelReadingWindowLink(models, followNo), windows_(windows), link_(link),
          onClosed_(std::move(onClosed)) {}

    void SetWindow(ReadingWindow* window) { window_ = window; }

    void QueueSmall(const SmallMessage& message) override { link_.QueueSmall(message); }
    void QueueReply(const QString& text) override { link_.Reply(focusPageNo_, text); }
    bool IsLoggedIn() override { return TheLoginState().loggedIn == 1; }
    void RunLogin(QWidget* parent) override {
        // The window tells the server of a login that did not happen.
        CLoginDlg dialog(&link_, parent);
        dialog.exec();
    }
    void LowerHelpTip(const QString& name) override {
        for (int i = 0; i < HelpTips::kCount; ++i)
            if (HelpTips::KeyOf(i) == name)
                TheHelpTips().Lower(static_cast<HelpTips::Counter>(i));
    }
    void OpenAddress(const QString& address) override { OpenInBrowser(address); }
    bool PickRecommendation(SideRecommendation& recommendation) override {
        const QList<HotRecommendItem> items = TheHotRecommendList().Copy();
        if (items.isEmpty())
            return false;
        const HotRecommendItem& item =
            items[QRandomGenerator::global()->bounded(static_cast<int>(items.size()))];
        recommendation = {item.html, item.text, item.first, item.second};
        return true;
    }
    void CloseRequested() override {
        if (window_)
            windows_.CloseReadingWindow(window_);
        if (onClosed_)
            onClosed_();
    }

private:
    ReadingWindowRegistry& windows_;
    ServerLink& link_;
    std::function<void()> onClosed_;
    ReadingWindow* window_ = nullptr;
};

struct LinkHolder {
    std::unique_ptr<ReaderWindowLink> link;
};

// The reading window together with its link, which must outlive it.
class ReaderShowContent : private LinkHolder, public CShowContent {
public:
    ReaderShowContent(std::unique_ptr<ReaderWindowLink> ownLink, const ReadingWindowSetup& setup)
        : LinkHolder{std::move(ownLink)}, CShowContent(setup, LinkHolder::link.get()) {
        LinkHolder::link->SetWindow(this);
    }
};

} // namespace

// Hands the dispatcher's calls to one window.
class RegistryReadingWindows::WindowEvents : public ReadingWindowEvents {
public:
    CShowContent* window = nullptr;
    void OnReplyAnswer(int result, const QString& message) override {
        window->OnReplyAnswer(result, message);
    }
    void OnRefreshDone() override { window->OnRefreshAnswer(); }
    void OnChosenPageFetched(int page, bool stored) override {
        window->OnUserSetAnswer(stored ? page : 0);
    }
    void OnLaterPagesStored(int firstWanted, int) override {
        window->OnReadNeedNextAnswer(firstWanted);
    }
    void OnEarlierPagesStored(int firstWanted, int) override {
        window->OnReadNeedLastAnswer(firstWanted);
    }
    void OnNewestPagesStored() override { window->OnAllNewestPages(); }
    void OnPictureStored(const QString& address, const QList<PicturePost>& posts) override {
        window->OnPicturesStored(address, posts);
    }
};

RegistryReadingWindows::RegistryReadingWindows(ReadingModelRegistry& models,
                                               ReadingWindowRegistry& windows, ServerLink& link)
    : models_(models), windows_(windows), link_(link), events_(std::make_unique<WindowEvents>()) {}

RegistryReadingWindows::~RegistryReadingWindows() = default;

ReadingWindowEvents* RegistryReadingWindows::Find(int followNo) {
    auto* window = dynamic_cast<CShowContent*>(windows_.FindReadingWindow(followNo));
    if (!window)
        return nullptr;
    events_->window = window;
    return events_.get();
}

bool RegistryReadingWindows::ShowOpen(int followNo) {
    ReadingWindow* window = windows_.FindReadingWindow(followNo);
    if (!window)
        return false;
    models_.RequestReadOperation(followNo, window, OpOpen);
    if (auto* widget = dynamic_cast<QWidget*>(window)) {
        widget->show();
        widget->raise();
        widget->activateWindow();
    }
    return true;
}

bool RegistryReadingWindows::Open(int followNo, const QString& title, int pageCount,
                                  const QString& userName) {
    FollowRecord record;
    ReadFollowedThread(followNo, record);
    ReadingWindowSetup setup;
    setup.focusPageNo = followNo;
    setup.title = title;
    setup.dbFile = record.dbFileName;
    setup.starter = record.webpageAuthor;
    setup.pageCount = pageCount;
    setup.replyModule = TheModuleFlags().reply != 0;
    setup.pictureModule = TheModuleFlags().getImg != 0;
    // The registry makes the window, closing the oldest when ten are open.
    windows_.SetWindowFactory([&]() -> std::unique_ptr<ReadingWindow> {
        return std::make_unique<ReaderShowContent>(
            std::make_unique<ReaderWindowLink>(models_, windows_, link_, followNo,
                                               [this] {
                                                   if (onClosed_)
                                                       onClosed_();
                                               }),
            setup);
    });
    std::unique_ptr<ReadingWindow> window = windows_.CreateReadingWindow();
    windows_.SetWindowFactory({});
    auto* content = dynamic_cast<CShowContent*>(window.get());
    if (!content)
        return false;
    if (!userName.isEmpty())
        content->SetUserName(userName);
    // The window hears of new pages from its model; the registry removes it when it goes.
    models_.AddModelObserver(followNo, content);
    content->show();
    content->Open();
    windows_.RecordReadingWindow(followNo, std::move(window));
    content->activateWindow();
    return true;
}

bool RegistryReadingWindows::GotoPage(int followNo, int page) {
    auto* window = dynamic_cast<CShowContent*>(windows_.FindReadingWindow(followNo));
    if (!window)
        return false;
    window->GotoPage(page);
    return true;
}

bool RegistryReadingWindows::Close(int followNo) {
    ReadingWindow* window = windows_.FindReadingWindow(followNo);
    if (!window)
        return false;
    window->HideWindow();
    windows_.CloseReadingWindow(window);
    return true;
}

void RegistryReadingWindows::DestroyClosed() {
    windows_.DestroyClosedReadingWindows();
}

void RegistryReadingWindows::CloseAll() {
    windows_.CloseAllReadingWindows();
}
