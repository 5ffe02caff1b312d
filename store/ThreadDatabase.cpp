#include "store/ThreadDatabase.h"

#include "common/FileLock.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "store/DbAccess.h"
#include "store/DbSession.h"
#include "store/SqlText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <QHash>

#include <atomic>
#include <variant>
#include <vector>

namespace {

std::atomic<int> databaseCounter{0};

const char* const kCreateStatements[] = {
    "create Table PageInfo( PageNo Integer primary key not null, PageUrl TEXT );",
    "create Table TieInfo( PageNo Integer not null, Time TIMESTAMP not null, Author TEXT not "
    "null, Content TEXT, primary key (PageNo, Time, Author) );",
    "create table ImgInfo( PageNo Integer not null, Author TEXT not null, Time TIMESTAMP not "
    "null, ImgIndex Integer not null, ImgUrl TEXT not null, primary key (PageNo, Author, Time, "
    "ImgIndex) );",
    "create table ImgData( ImgUrl TEXT not null, GetOK Integer not null, GetNum Integer not "
    "null, FileExt TEXT not null, DATA blob, primary key (ImgUrl) );",
    "create Table ViewInfo( Renovate Integer not null, ViewMode Integer not null, PageNo "
    "Integer not null, Author TEXT not null, Time TIMESTAMP not null );",
    "create Table SomeBody( SomeBody TEXT not null, nStyle Integer not null );",
};

constexpr int kRenovate = 300;

bool Execute(const QString& dbFile, const QString& statement) {
    DbError error;
    return ExecuteSql(statement, dbFile, error);
}

bool Query(const QString& dbFile, const QString& statement, DbRowList& rows) {
    DbError error;
    return QueryRows(statement, rows, error, dbFile);
}

bool Insert(const QString& dbFile, const char* table, const DbRowList& rows, int columns) {
    DbError error;
    return InsertRows(rows, dbFile, QString::fromLatin1(table), false, columns, kDbLockWaitSeconds,
                      error);
}

QString ThreadFileName(int number, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::asprintf("%d-%d%02d%02d-%02d%02d%02d.db", number, d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

int NormalisedList(int listNo) {
    return listNo == 3 ? 2 : listNo;
}

// The extension as a safe part of a file name: the stored FileExt comes from a web address
// and may carry a query string with "/" or ".." in it.
QString SafeExtension(const QString& fileExt) {
    QString ext = RemoveForbiddenFileChars(fileExt);
    ext.remove(QChar(0));
    while (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    ext.truncate(32);
    return ext.isEmpty() ? QStringLiteral("jpg") : ext;
}

// Writes the bytes under "<random>.<ext>" in `folder`, drawing again while a name is taken,
// so pictures never replace each other or anything else already there.
QString WritePictureFile(const QString& folder, const QString& fileExt, const char* data,
                         int size) {
    QDir().mkpath(folder);
    const QString ext = SafeExtension(fileExt);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            JoinPath(folder, QString::number(QRandomGenerator::global()->bounded(1u << 31)) +
                                 QLatin1Char('.') + ext);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            Log(QStringLiteral("writing a picture failed: ") + path, LogError);
            return {};
        }
        if (size > 0 && file.write(data, size) != size) {
            file.close();
            file.remove();
            Log(QStringLiteral("writing a picture failed: ") + path, LogError);
            return {};
        }
        return path;
    }
    return {};
}

// Runs a picture-data query and writes every downloaded row's bytes into `folder`.
// Returns the paths written; false when the query itself failed.
bool WritePictureRows(const QString& dbFile, const QString& statement, const QString& folder,
                      QStringList& paths) {
    DbError error;
    DbSession session;
    if (!session.Open(dbFile, kDbLockWaitMs, error))
        return false;
    const QByteArray text = statement.toUtf8();
    SqliteStatement query;
    int rc = sqlite3_prepare_v2(session.db(), text.constData(), static_cast<int>(text.size()),
                                query.out(), nullptr);
    if (rc != SQLITE_OK || !query.get())
        return session.Fail(QStringLiteral("查询数据库文件准备失败："), rc, error);
    while (sqlite3_step(query.get()) == SQLITE_ROW) {
        if (sqlite3_column_int(query.get(), 0) == 0)
            continue;
        const auto* ext = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 1));
        const QString fileExt =
            ext ? QString::fromUtf8(ext, sqlite3_column_bytes(query.get(), 1)) : QString();
        const auto* data = static_cast<const char*>(sqlite3_column_blob(query.get(), 2));
        const int size = sqlite3_column_bytes(query.get(), 2);
        const QString path = WritePictureFile(folder, fileExt, data, size);
        if (!path.isEmpty())
            paths.append(path);
    }
    rc = query.Finalize();
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("清除查询数据失败："), rc, error);
    return true;
}

ThreadPost PostOfRow(const DbRow& row) {
    // select * from TieInfo: PageNo, Time, Author, Content
    return ThreadPost{row.Int(0), row[2], row[1], row[3]};
}

// Distinguishes "no position stored" (true, empty list) from an unreadable file (false).
bool QueryViewRows(const QString& dbFile, DbRowList& rows) {
    return Query(dbFile, QStringLiteral("select * from ViewInfo;"), rows);
}

bool QueryImageState(const QString& dbFile, const QString& address, PictureState& state,
                     bool& found) {
    DbRowList rows;
    found = false;
    if (!Query(dbFile,
               FormatSql("select ImgUrl, GetOK, GetNum from ImgData WHERE ImgUrl='%s';", {address}),
               rows))
        return false;
    if (!rows.isEmpty()) {
        found = true;
        state = PictureState{rows.first()[0], rows.first().Int(1), rows.first().Int(2)};
    }
    return true;
}

} // namespace

bool CreateThreadDatabase(QString& fileName) {
    const QDateTime now = QDateTime::currentDateTime();
    // A name left by an earlier run in the same second is skipped rather than reused, so a
    // new thread never lands in another thread's file.
    do
        fileName = ThreadFileName(++databaseCounter, now);
    while (QFile::exists(DatabasePath(fileName)));
    for (const char* statement : kCreateStatements)
        if (!Execute(fileName, QString::fromLatin1(statement)))
            return false;
    return true;
}

namespace {

struct PostKey {
    int pageNo;
    QString time;
    QString author;
    bool operator==(const PostKey&) const = default;
};

size_t qHash(const PostKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.pageNo, key.time, key.author);
}

// One prepared statement run once per row with its values bound, so no text of a page ever
// becomes part of a statement.
class RowStatement {
public:
    RowStatement(const DbSession& session, const char* sql) : session_(session) {
        rc_ = sqlite3_prepare_v2(session.db(), sql, -1, statement_.out(), nullptr);
    }
    bool Ready() const { return rc_ == SQLITE_OK && statement_.get(); }
    int Error() const { return rc_; }

    // Runs the statement with the values; SQLITE_DONE or SQLITE_CONSTRAINT (a duplicate
    // key) leave rc_ alone, anything else is kept for the caller.
    bool Run(std::initializer_list<std::variant<int, QString>> values, bool* inserted = nullptr) {
        sqlite3_reset(statement_.get());
        sqlite3_clear_bindings(statement_.get());
        int index = 1;
        std::vector<QByteArray> texts;
        texts.reserve(values.size());
        for (const auto& value : values) {
            if (const int* number = std::get_if<int>(&value)) {
                sqlite3_bind_int(statement_.get(), index++, *number);
            } else {
                texts.push_back(std::get<QString>(value).toUtf8());
                sqlite3_bind_text(statement_.get(), index++, texts.back().constData(),
                                  static_cast<int>(texts.back().size()), SQLITE_STATIC);
            }
        }
        const int rc = sqlite3_step(statement_.get());
        sqlite3_reset(statement_.get());
        if (inserted)
            *inserted = rc == SQLITE_DONE && sqlite3_changes(session_.db()) > 0;
        if (rc == SQLITE_DONE || rc == SQLITE_CONSTRAINT)
            return true;
        rc_ = rc;
        return false;
    }

private:
    const DbSession& session_;
    SqliteStatement statement_;
    int rc_ = SQLITE_OK;
};

} // namespace

void MergePostsSharingKey(QList<ThreadPost>& posts, QList<ThreadPicture>& pictures) {
    QHash<PostKey, qsizetype> firstOfKey;
    QHash<PostKey, int> postsOfKey;
    QList<ThreadPost> merged;
    merged.reserve(posts.size());
    for (ThreadPost& post : posts) {
        const PostKey key{post.pageNo, post.time, post.author};
        ++postsOfKey[key];
        const auto found = firstOfKey.constFind(key);
        if (found == firstOfKey.constEnd()) {
            firstOfKey.insert(key, merged.size());
            merged.append(std::move(post));
        } else {
            ThreadPost& into = merged[*found];
            into.content += QLatin1Char('\n') + post.content;
        }
    }
    posts = std::move(merged);

    // A picture whose index does not grow past the last one of its key starts the next post
    // of that key; its indexes continue after everything its key has shown so far.
    struct Numbering {
        int last = -1;  // the last index given out
        int offset = 0; // added to the parser's index in the current post
        int lastRaw = -1;
    };
    QHash<PostKey, Numbering> numbering;
    for (ThreadPicture& picture : pictures) {
        const PostKey key{picture.pageNo, picture.time, picture.author};
        if (postsOfKey.value(key) < 2)
            continue;
        Numbering& n = numbering[key];
        if (n.lastRaw >= 0 && picture.imgIndex <= n.lastRaw)
            n.offset = n.last + 1;
        n.lastRaw = picture.imgIndex;
        picture.imgIndex += n.offset;
        n.last = std::max(n.last, picture.imgIndex);
    }
}

bool SavePage(const QString& dbFile, QList<ThreadPost> posts, QList<ThreadPicture> pictures,
              int pageNo, const QString& pageUrl, QStringList* newPictures) {
    MergePostsSharingKey(posts, pictures);
    DbError error;
    DbSession session;
    if (!session.Open(dbFile, kDbLockWaitMs, error))
        return false;
    int rc = sqlite3_exec(session.db(), "BEGIN;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("启动事务失败："), rc, error);
    // Closing the connection with the transaction open discards everything of the page.
    RowStatement post(session, "insert into TieInfo values( ?, ?, ?, ? ) on conflict(PageNo, "
                               "Time, Author) do update set Content=excluded.Content where "
                               "length(excluded.Content) > length(Content);");
    RowStatement shown(session, "insert into ImgInfo values( ?, ?, ?, ?, ? );");
    RowStatement waiting(session, "insert into ImgData values( ?, 0, 2, '', '' );");
    RowStatement page(session, "insert into PageInfo values( ?, ? );");
    for (const RowStatement* s : {&post, &shown, &waiting, &page})
        if (!s->Ready())
            return session.Fail(QStringLiteral("插入数据失败："), s->Error(), error);
    for (const ThreadPost& p : posts)
        if (!post.Run({p.pageNo, p.time, p.author, p.content}))
            return session.Fail(QStringLiteral("插入数据失败："), post.Error(), error);
    QStringList fresh;
    for (const ThreadPicture& p : pictures) {
        if (!shown.Run({p.pageNo, p.author, p.time, p.imgIndex, p.imgUrl}))
            return session.Fail(QStringLiteral("插入数据失败："), shown.Error(), error);
        bool inserted = false;
        if (!waiting.Run({p.imgUrl}, &inserted))
            return session.Fail(QStringLiteral("插入数据失败："), waiting.Error(), error);
        if (inserted)
            fresh.append(p.imgUrl);
    }
    if (!page.Run({pageNo, pageUrl}))
        return session.Fail(QStringLiteral("插入数据失败："), page.Error(), error);
    rc = sqlite3_exec(session.db(), "COMMIT;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("结束事务失败："), rc, error);
    if (newPictures)
        *newPictures = std::move(fresh);
    return true;
}

bool SavePage(const QString& dbFile, const QList<ThreadPost>& posts, int pageNo,
              const QString& pageUrl) {
    return SavePage(dbFile, posts, {}, pageNo, pageUrl);
}

bool RemoveThreadDatabase(const QString& dbFile) {
    const QString lockPath = LockDirectory() + DatabaseLockName(dbFile);
    FileLock lock;
    if (!lock.Lock(lockPath, kDbLockWaitMs))
        return false;
    const QString path = DatabasePath(dbFile);
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    const bool removed = !QFile::exists(path) || QFile::remove(path);
    // Unlinked while held: a waiter that opened it before gets a lock on a file of nobody.
    if (removed)
        QFile::remove(lockPath);
    return removed;
}

bool SaveImageInfo(const QString& dbFile, const QList<ThreadPicture>& pictures) {
    DbRowList rows;
    rows.reserve(pictures.size());
    for (const ThreadPicture& picture : pictures)
        rows.append(DbRow{QString::number(picture.pageNo), picture.author, picture.time,
                          QString::number(picture.imgIndex), picture.imgUrl});
    return Insert(dbFile, "ImgInfo", rows, 5);
}

bool SaveImageData(const QString& dbFile, const QList<ThreadPicture>& pictures) {
    DbRowList rows;
    rows.reserve(pictures.size());
    for (const ThreadPicture& picture : pictures)
        rows.append(
            DbRow{picture.imgUrl, QStringLiteral("0"), QStringLiteral("2"), QString(), QString()});
    return Insert(dbFile, "ImgData", rows, 5);
}

bool ReadImageState(const QString& dbFile, const QString& address, PictureState& state) {
    bool found = false;
    return QueryImageState(dbFile, address, state, found);
}

bool RecordImageDownload(const QString& dbFile, const QString& address, bool succeeded,
                         const QByteArray& bytes, bool* stored) {
    if (stored)
        *stored = false;
    PictureState state;
    bool found = false;
    if (!QueryImageState(dbFile, address, state, found))
        return false;
    if (!found)
        return true; // not one of this thread's pictures
    if (succeeded) {
        if (state.getOK == 1)
            return true; // stored by an earlier download, which was announced then
        if (!WriteImageData(dbFile, address, bytes))
            return false;
        if (stored)
            *stored = true;
        return true;
    }
    if (state.getOK == 0 && state.getNum > 0)
        return Execute(dbFile, FormatSql("UPDATE ImgData SET GetNum=%d WHERE ImgUrl='%s';",
                                         {state.getNum - 1, address}));
    return true;
}

bool WriteImageData(const QString& dbFile, const QString& address, const QByteArray& bytes) {
    const QString statement = FormatSql("UPDATE ImgData SET GetOK=1, FileExt='%s', DATA=? WHERE "
                                        "ImgUrl='%s';",
                                        {PictureExtension(address), address});
    DbError error;
    DbSession session;
    if (!session.Open(dbFile, kDbLockWaitMs, error))
        return false;
    const QByteArray text = statement.toUtf8();
    SqliteStatement update;
    int rc = sqlite3_prepare_v2(session.db(), text.constData(), static_cast<int>(text.size()),
                                update.out(), nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_blob(update.get(), 1, bytes.constData(), static_cast<int>(bytes.size()),
                               SQLITE_STATIC);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(update.get());
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    if (rc == SQLITE_OK)
        rc = update.Finalize();
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("执行SQL语句失败：") + statement + QStringLiteral("   "),
                            rc, error);
    return true;
}

bool ListImageStates(const QString& dbFile, QList<PictureState>& states) {
    states.clear();
    DbRowList rows;
    if (!Query(dbFile, QStringLiteral("select ImgUrl, GetOK, GetNum from ImgData;"), rows))
        return false;
    for (const DbRow& row : rows)
        states.append(PictureState{row[0], row.Int(1), row.Int(2)});
    return true;
}

bool ListMissingImages(const QString& dbFile, int firstPage, int lastPage, QStringList& addresses) {
    addresses.clear();
    DbRowList rows;
    if (!Query(dbFile,
               FormatSql("select ImgUrl from ImgInfo where PageNo>=%d and PageNo<=%d INTERSECT "
                         "select ImgUrl from ImgData where GetOK=0 and GetNum>0;",
                         {firstPage, lastPage}),
               rows))
        return false;
    for (const DbRow& row : rows)
        addresses.append(row[0]);
    return true;
}

bool FindImagePosts(const QString& dbFile, const QString& address, QList<PicturePost>& posts) {
    posts.clear();
    DbRowList rows;
    // The address comes from a web page: quoted like every other caller text.
    if (!Query(dbFile,
               FormatSql("select PageNo, Author, Time from ImgInfo where ImgUrl='%s' order by "
                         "PageNo, Time, Author;",
                         {address}),
               rows))
        return true;
    for (const DbRow& row : rows)
        posts.append(PicturePost{row.Int(0), row[1], row[2]});
    return true;
}

bool GetLastPageUrl(const QString& dbFile, QString& url) {
    DbRowList rows;
    if (!Query(dbFile, QStringLiteral("select count(*) from PageInfo;"), rows) || rows.isEmpty())
        return false;
    if (rows.first().Int(0) <= 0)
        return true;
    if (!Query(dbFile, QStringLiteral("select max(PageNo), PageUrl from PageInfo;"), rows) ||
        rows.isEmpty())
        return false;
    url = rows.first()[1];
    return true;
}

bool ListStoredPages(const QString& dbFile, QList<int>& pages) {
    pages.clear();
    DbRowList rows;
    if (!Query(dbFile, QStringLiteral("select PageNo from PageInfo order by PageNo asc;"), rows))
        return false;
    for (const DbRow& row : rows)
        pages.append(row.Int(0));
    return true;
}

bool GetPageUrl(const QString& dbFile, int pageNo, QString& url) {
    DbRowList rows;
    if (!Query(dbFile, FormatSql("select * from PageInfo where PageNo=%d;", {pageNo}), rows) ||
        rows.isEmpty())
        return false;
    url = rows.first()[1];
    return true;
}

bool ReadWebpageFromDB(const QString& dbFile, int firstPage, int lastPage,
                       QList<ThreadPost>& posts) {
    LogFormat(LogNormal, "ReadWebpageFromDB ulBegin=%d ulEnd=%d ", firstPage, lastPage);
    posts.clear();
    DbRowList rows;
    if (!Query(dbFile,
               FormatSql("select * from TieInfo where PageNo >= %d and PageNo <= %d order by "
                         "PageNo;",
                         {firstPage, lastPage}),
               rows))
        return false;
    posts.reserve(rows.size());
    for (const DbRow& row : rows)
        posts.append(PostOfRow(row));
    return true;
}

bool ReadFirstPost(const QString& dbFile, ThreadPost& post) {
    QList<int> pages;
    QList<ThreadPost> posts;
    if (!ListStoredPages(dbFile, pages) || pages.isEmpty() ||
        !ReadWebpageFromDB(dbFile, pages.first(), pages.first(), posts) || posts.isEmpty())
        return false;
    post = posts.first();
    return true;
}

bool ReadLastPost(const QString& dbFile, ThreadPost& post) {
    QList<int> pages;
    QList<ThreadPost> posts;
    if (!ListStoredPages(dbFile, pages) || pages.isEmpty() ||
        !ReadWebpageFromDB(dbFile, pages.last(), pages.last(), posts) || posts.isEmpty())
        return false;
    post = posts.last();
    return true;
}

bool ListPageImages(const QString& dbFile, int firstPage, int lastPage,
                    QList<ThreadPicture>& pictures) {
    pictures.clear();
    DbRowList rows;
    if (!Query(dbFile,
               FormatSql("select PageNo, Author, Time, ImgIndex, ImgUrl from ImgInfo where "
                         "PageNo>=%d and PageNo<=%d;",
                         {firstPage, lastPage}),
               rows))
        return false;
    for (const DbRow& row : rows)
        pictures.append(ThreadPicture{row.Int(0), row[1], row[2], row.Int(3), row[4]});
    return true;
}

QString ExtractImage(const QString& dbFile, const QString& address, const QString& folder) {
    QStringList paths;
    WritePictureRows(
        dbFile, FormatSql("select GetOK, FileExt, DATA from ImgData where ImgUrl='%s';", {address}),
        folder, paths);
    return paths.isEmpty() ? QString() : paths.last();
}

int ExportAllImages(const QString& dbFile, const QString& folder) {
    QStringList paths;
    WritePictureRows(dbFile, QStringLiteral("select GetOK, FileExt, DATA from ImgData;"), folder,
                     paths);
    return static_cast<int>(paths.size());
}

bool ReadImageBytes(const QString& dbFile, const QString& address, QByteArray& bytes,
                    QString& fileExt) {
    bytes.clear();
    fileExt.clear();
    DbError error;
    DbSession session;
    if (!session.Open(dbFile, kDbLockWaitMs, error))
        return false;
    const QByteArray text =
        FormatSql("select GetOK, FileExt, DATA from ImgData where ImgUrl='%s';", {address})
            .toUtf8();
    SqliteStatement query;
    int rc = sqlite3_prepare_v2(session.db(), text.constData(), static_cast<int>(text.size()),
                                query.out(), nullptr);
    if (rc != SQLITE_OK || !query.get())
        return session.Fail(QStringLiteral("查询数据库文件准备失败："), rc, error);
    if (sqlite3_step(query.get()) == SQLITE_ROW && sqlite3_column_int(query.get(), 0) != 0) {
        const auto* ext = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 1));
        if (ext)
            fileExt = QString::fromUtf8(ext, sqlite3_column_bytes(query.get(), 1));
        const auto* data = static_cast<const char*>(sqlite3_column_blob(query.get(), 2));
        bytes = QByteArray(data, sqlite3_column_bytes(query.get(), 2));
    }
    rc = query.Finalize();
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("清除查询数据失败："), rc, error);
    return true;
}

bool SaveViewPosition(const QString& dbFile, const QString& author, const QString& time,
                      int viewMode, int pageNo) {
    if (pageNo == 0 || pageNo == LatestSentinelPage || author.isEmpty() || time.isEmpty())
        return false;
    DbRowList rows;
    // An unreadable file is not taken for "no position yet": that would add a second row.
    if (!QueryViewRows(dbFile, rows))
        return false;
    if (!rows.isEmpty())
        return Execute(dbFile, FormatSql("update ViewInfo set Renovate=%d, ViewMode=%d, "
                                         "PageNO=%d, Author='%s', Time='%s';",
                                         {kRenovate, viewMode, pageNo, author, time}));
    return Execute(dbFile, FormatSql("insert into ViewInfo values( %d, %d, %d, '%s', '%s' );",
                                     {kRenovate, viewMode, pageNo, author, time}));
}

bool ReadViewPosition(const QString& dbFile, ViewPosition& position) {
    DbRowList rows;
    if (!QueryViewRows(dbFile, rows) || rows.isEmpty())
        return false;
    const DbRow& row = rows.first();
    position = ViewPosition{row.Int(0), row.Int(1), row.Int(2), row[3], row[4]};
    return true;
}

bool SaveSomeBodyList(const QString& dbFile, const QStringList& entries, int listNo) {
    const int list = NormalisedList(listNo);
    if (!Execute(dbFile, FormatSql("delete from somebody where nStyle = %d;", {list})))
        return false;
    DbRowList rows;
    rows.reserve(entries.size());
    const QString listText = QString::number(list);
    for (const QString& entry : entries)
        rows.append(DbRow{entry, listText});
    return Insert(dbFile, "SomeBody", rows, 2);
}

bool ReadSomeBodyList(const QString& dbFile, int listNo, QStringList& entries) {
    entries.clear();
    DbRowList rows;
    if (!Query(dbFile,
               FormatSql("select * from SomeBody where nStyle=%d;", {NormalisedList(listNo)}),
               rows))
        return false;
    for (const DbRow& row : rows)
        entries.append(row[0]);
    return true;
}
