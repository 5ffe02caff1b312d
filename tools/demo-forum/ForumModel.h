#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

// Where a thread lives on the forum; decides its host, its address form and its layout.
enum class ThreadSite {
    PublicForum, // www host, /publicforum/..., layout 1
    TechForum,   // www host, /techforum/..., layout 3
    City,        // city host, layout 3
    Bbs,         // bbs host, /post-board-id-page.shtml, layout 4
};

struct DemoPicture {
    QString path;      // on the picture host
    bool late = false; // served with a placeholder source and the real address in "original"
};

struct DemoPost {
    QString author;
    int64_t wallTime = 0; // the forum's own wall clock, seconds; shown without time zone
    QStringList lines;
    std::vector<DemoPicture> pictures;
};

// One page of a thread, copied out of the model so it can be rendered without the lock.
struct ThreadPage {
    int id = 0;
    int layout = 0;
    ThreadSite site = ThreadSite::PublicForum;
    QString board;
    QString title;
    bool gbk = false;
    QString starter;
    int64_t starterTime = 0;
    int page = 0;
    int pageCount = 0;
    std::vector<DemoPost> posts;
};

struct ThreadSummary {
    int id = 0;
    int layout = 0;
    ThreadSite site = ThreadSite::PublicForum;
    QString board;
    QString title;
    QString kind; // what the thread is there for: "short", "long", "pictures", ...
    bool gbk = false;
    bool deleted = false;
    int pageCount = 0;
};

// Ids of the threads the sample forum always has.
namespace DemoThreads {
inline constexpr int Short = 1001;
inline constexpr int Long = 1002;
inline constexpr int Pictures = 1003;
inline constexpr int Growing = 1004;
inline constexpr int Deleted = 1005;
inline constexpr int Gbk = 1006;
inline constexpr int Tech = 1007;
// Small threads linked from the front page and the board index, made on first use.
inline constexpr int FirstFiller = 2001;
inline constexpr int LastFiller = 2040;
} // namespace DemoThreads

// Every thread of the forum and its posts. Thread-safe: the server's handler threads
// read and change it at the same time.
class ForumModel {
public:
    explicit ForumModel(uint64_t seed);

    uint64_t Seed() const { return seed_; }

    std::optional<ThreadSummary> Summary(int id);
    // False for an unknown or deleted thread or a page outside 1..page count.
    bool Page(int id, int page, ThreadPage* out);
    // Every post with its page number, in order; empty for an unknown thread.
    std::vector<std::pair<int, DemoPost>> Posts(int id);
    std::vector<ThreadSummary> MainThreads();

    // Adds one page of posts; the new page count, or 0 for an unknown or deleted thread.
    int Grow(int id);
    // Takes a thread off the forum: its pages answer as deleted from now on. False for an
    // unknown thread.
    bool Delete(int id);
    // Appends a post; the new page count, or 0 for an unknown or deleted thread.
    int AppendReply(int id, const QString& author, const QString& text, int64_t wallTime);

    static int PostsPerPage() { return kPostsPerPage; }

private:
    struct Thread {
        ThreadSummary summary;
        std::vector<DemoPost> posts;
        int grown = 0;
    };
    static constexpr int kPostsPerPage = 10;

    Thread* Find(int id); // caller holds mutex_
    Thread MakeThread(int id, int layout, ThreadSite site, const QString& board, int pages,
                      const QString& kind, int picturePercent) const;
    void AddPosts(Thread& thread, int count, uint64_t stream, int picturePercent) const;
    static int PageCountOf(const Thread& thread);

    uint64_t seed_;
    std::mutex mutex_;
    std::unordered_map<int, Thread> threads_;
};
