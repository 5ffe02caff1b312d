#include "tools/demo-forum/ForumModel.h"

#include "tools/demo-forum/DemoRandom.h"
#include "tools/demo-forum/DemoText.h"

#include <algorithm>

namespace {

// 2012-03-01 00:00:00 on the forum's wall clock.
constexpr int64_t kForumEpoch = 1330560000;

const char* const kFillerBoards[] = {"free", "news", "books", "travel", "house", "it"};

} // namespace

ForumModel::ForumModel(uint64_t seed) : seed_(seed) {
    using namespace DemoThreads;
    const auto add = [this](Thread t) { threads_.emplace(t.summary.id, std::move(t)); };
    add(MakeThread(Short, 1, ThreadSite::PublicForum, QStringLiteral("free"), 12,
                   QStringLiteral("short"), 10));
    add(MakeThread(Long, 4, ThreadSite::Bbs, QStringLiteral("free"), 160, QStringLiteral("long"),
                   0));
    add(MakeThread(Pictures, 4, ThreadSite::Bbs, QStringLiteral("photo"), 6,
                   QStringLiteral("pictures"), 100));
    add(MakeThread(Growing, 1, ThreadSite::PublicForum, QStringLiteral("news"), 3,
                   QStringLiteral("growing"), 0));
    Thread deleted = MakeThread(Deleted, 1, ThreadSite::PublicForum, QStringLiteral("free"), 1,
                                QStringLiteral("deleted"), 0);
    deleted.summary.deleted = true;
    add(std::move(deleted));
    Thread gbk = MakeThread(Gbk, 3, ThreadSite::City, QStringLiteral("hangzhou"), 8,
                            QStringLiteral("gbk"), 10);
    gbk.summary.gbk = true;
    add(std::move(gbk));
    add(MakeThread(Tech, 3, ThreadSite::TechForum, QStringLiteral("it"), 25,
                   QStringLiteral("layout3"), 10));
}

ForumModel::Thread ForumModel::MakeThread(int id, int layout, ThreadSite site, const QString& board,
                                          int pages, const QString& kind,
                                          int picturePercent) const {
    Thread t;
    DemoRandom random(MixSeed(seed_, static_cast<uint64_t>(id)));
    t.summary.id = id;
    t.summary.layout = layout;
    t.summary.site = site;
    t.summary.board = board;
    t.summary.title = DemoTitle(random);
    t.summary.kind = kind;
    AddPosts(t, pages * kPostsPerPage, static_cast<uint64_t>(id), picturePercent);
    t.summary.pageCount = PageCountOf(t);
    return t;
}

void ForumModel::AddPosts(Thread& thread, int count, uint64_t stream, int picturePercent) const {
    DemoRandom random(MixSeed(seed_, stream * 1000003ULL + 17));
    const int id = thread.summary.id;
    const QString starter = thread.posts.empty() ? DemoAuthorName(random) : thread.posts[0].author;
    int64_t time = thread.posts.empty()
                       ? kForumEpoch + random.Between(0, 400) * 86400LL + random.Between(0, 86399)
                       : thread.posts.back().wallTime;
    for (int i = 0; i < count; ++i) {
        DemoPost post;
        const size_t index = thread.posts.size();
        // The starter writes the first post and, as in long serial threads, many later ones.
        post.author = (index == 0 || random.Chance(35)) ? starter : DemoAuthorName(random);
        if (index > 0)
            time += random.Between(60, 6 * 3600);
        post.wallTime = time;
        post.lines = DemoPostLines(random);
        if (random.Chance(picturePercent)) {
            const int pictures = picturePercent >= 100 ? random.Between(2, 4) : 1;
            for (int k = 0; k < pictures; ++k)
                post.pictures.push_back(
                    {QStringLiteral("/pic/%1/%2-%3.png").arg(id).arg(index).arg(k),
                     random.Chance(40)});
        }
        // One sticker shown in many posts, so a single picture belongs to several posts.
        if (picturePercent >= 100 && index % 3 == 2)
            post.pictures.push_back({QStringLiteral("/pic/%1/sticker.png").arg(id), false});
        thread.posts.push_back(std::move(post));
    }
}

int ForumModel::PageCountOf(const Thread& thread) {
    const int n = static_cast<int>(thread.posts.size());
    return std::max(1, (n + kPostsPerPage - 1) / kPostsPerPage);
}

ForumModel::Thread* ForumModel::Find(int id) {
    auto it = threads_.find(id);
    if (it != threads_.end())
        return &it->second;
    if (id < DemoThreads::FirstFiller || id > DemoThreads::LastFiller)
        return nullptr;
    // Fillers are made on first use; each comes from its own stream, so the order of
    // requests never changes what a thread holds.
    DemoRandom random(MixSeed(seed_, static_cast<uint64_t>(id) + 500000));
    const int layouts[] = {1, 3, 4};
    const int layout = layouts[id % 3];
    const ThreadSite site = layout == 1   ? ThreadSite::PublicForum
                            : layout == 3 ? ThreadSite::TechForum
                                          : ThreadSite::Bbs;
    const QString board = QString::fromUtf8(kFillerBoards[random.Below(6)]);
    Thread t =
        MakeThread(id, layout, site, board, random.Between(1, 5), QStringLiteral("filler"), 5);
    return &threads_.emplace(id, std::move(t)).first->second;
}

std::optional<ThreadSummary> ForumModel::Summary(int id) {
    std::lock_guard lock(mutex_);
    const Thread* t = Find(id);
    if (!t)
        return std::nullopt;
    return t->summary;
}

bool ForumModel::Page(int id, int page, ThreadPage* out) {
    std::lock_guard lock(mutex_);
    const Thread* t = Find(id);
    if (!t || t->summary.deleted || page < 1 || page > t->summary.pageCount)
        return false;
    out->id = id;
    out->layout = t->summary.layout;
    out->site = t->summary.site;
    out->board = t->summary.board;
    out->title = t->summary.title;
    out->gbk = t->summary.gbk;
    out->starter = t->posts.front().author;
    out->starterTime = t->posts.front().wallTime;
    out->page = page;
    out->pageCount = t->summary.pageCount;
    const size_t first = static_cast<size_t>(page - 1) * kPostsPerPage;
    const size_t last = std::min(t->posts.size(), first + kPostsPerPage);
    out->posts.assign(t->posts.begin() + static_cast<std::ptrdiff_t>(first),
                      t->posts.begin() + static_cast<std::ptrdiff_t>(last));
    return true;
}

std::vector<std::pair<int, DemoPost>> ForumModel::Posts(int id) {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<int, DemoPost>> result;
    const Thread* t = Find(id);
    if (!t || t->summary.deleted)
        return result;
    result.reserve(t->posts.size());
    for (size_t i = 0; i < t->posts.size(); ++i)
        result.emplace_back(static_cast<int>(i) / kPostsPerPage + 1, t->posts[i]);
    return result;
}

std::vector<ThreadSummary> ForumModel::MainThreads() {
    std::lock_guard lock(mutex_);
    std::vector<ThreadSummary> result;
    for (const auto& [id, t] : threads_)
        if (id < DemoThreads::FirstFiller)
            result.push_back(t.summary);
    std::sort(result.begin(), result.end(),
              [](const ThreadSummary& a, const ThreadSummary& b) { return a.id < b.id; });
    return result;
}

int ForumModel::Grow(int id) {
    std::lock_guard lock(mutex_);
    Thread* t = Find(id);
    if (!t || t->summary.deleted)
        return 0;
    ++t->grown;
    // A full page of posts always adds exactly one page, even after replies left the
    // last page half full.
    AddPosts(*t, kPostsPerPage,
             static_cast<uint64_t>(id) * 7919ULL + static_cast<uint64_t>(t->grown), 0);
    t->summary.pageCount = PageCountOf(*t);
    return t->summary.pageCount;
}

bool ForumModel::Delete(int id) {
    std::lock_guard lock(mutex_);
    Thread* t = Find(id);
    if (!t)
        return false;
    t->summary.deleted = true;
    return true;
}

int ForumModel::AppendReply(int id, const QString& author, const QString& text, int64_t wallTime) {
    std::lock_guard lock(mutex_);
    Thread* t = Find(id);
    if (!t || t->summary.deleted)
        return 0;
    DemoPost post;
    post.author = author;
    // Never before the newest post, so the thread stays in time order whatever the clock says.
    post.wallTime = std::max(wallTime, t->posts.back().wallTime + 1);
    QString normalised = text;
    normalised.remove(QLatin1Char('\r'));
    post.lines = normalised.split(QLatin1Char('\n'));
    t->posts.push_back(std::move(post));
    t->summary.pageCount = PageCountOf(*t);
    return t->summary.pageCount;
}
