#include "search/SearchIndex.h"

#include "common/FileLock.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "search/SearchExcerpt.h"
#include "search/SearchTokenizer.h"
#include "store/Catalogue.h"
#include "store/DbAccess.h"
#include "store/DbSession.h"
#include "store/SqlText.h"
#include "store/SqliteHandles.h"
#include "store/ThreadDatabase.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace {

// Raised whenever the tables, the triggers or the terms change: an index of another format is
// made anew from the thread files.
constexpr int kFormat = 1;
// Post ids are the post's time in seconds times this, plus a count within the second, so the
// full-text table's own order (by id) is newest first when walked backwards.
constexpr qint64 kIdsPerSecond = qint64(1) << 20;
// Steps of a synchronisation, each one short transaction under the lock (a 100-post page
// takes some milliseconds to index).
constexpr int kPagesPerStep = 5;
constexpr int kPostsPerRemoval = 500;

const char* const kSchema =
    "begin;"
    "create table IndexState( Complete Integer not null );"
    "insert into IndexState values( 0 );"
    "create table IndexedThread( FocusPageNo Integer primary key, DBFileName TEXT not null );"
    "create table IndexedPage( FocusPageNo Integer not null, PageNo Integer not null,"
    " primary key (FocusPageNo, PageNo) ) without rowid;"
    "create table Post( Id Integer primary key, FocusPageNo Integer not null,"
    " PageNo Integer not null, Time TEXT not null, Author TEXT not null, Content TEXT not null,"
    " Scope TEXT generated always as"
    " (char(1)||'T'||FocusPageNo||char(1)||'A'||Author) virtual );"
    "create unique index PostKey on Post( FocusPageNo, PageNo, Time, Author );"
    "create virtual table PostText using fts5( Content, Scope, content='Post',"
    " content_rowid='Id', tokenize='quillmere', columnsize=0 );"
    "create trigger PostAdded after insert on Post begin"
    " insert into PostText( rowid, Content, Scope ) values( new.Id, new.Content,"
    " char(1)||'T'||new.FocusPageNo||char(1)||'A'||new.Author ); end;"
    "create trigger PostRemoved after delete on Post begin"
    " insert into PostText( PostText, rowid, Content, Scope ) values( 'delete', old.Id,"
    " old.Content, char(1)||'T'||old.FocusPageNo||char(1)||'A'||old.Author ); end;"
    "create trigger PostChanged after update on Post begin"
    " insert into PostText( PostText, rowid, Content, Scope ) values( 'delete', old.Id,"
    " old.Content, char(1)||'T'||old.FocusPageNo||char(1)||'A'||old.Author );"
    " insert into PostText( rowid, Content, Scope ) values( new.Id, new.Content,"
    " char(1)||'T'||new.FocusPageNo||char(1)||'A'||new.Author ); end;"
    "pragma user_version=1;"
    "commit;";
static_assert(kFormat == 1, "the schema's user_version follows kFormat");

bool IsDamage(int rc) {
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

// Seconds of a stored time from year 0, 0 for a time that cannot be read.
qint64 TimeKey(const QString& time) {
    if (time.size() < 19)
        return 0;
    auto number = [&](int at, int length) {
        int value = 0;
        for (int i = 0; i < length; ++i) {
            const QChar c = time[at + i];
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
            value = value * 10 + (c.unicode() - '0');
        }
        return value;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
    const int hh = number(11, 2), mm = number(14, 2), ss = number(17, 2);
    if (y < 0 || m < 1 || m > 12 || d < 1 || d > 31 || hh < 0 || mm < 0 || ss < 0)
        return 0;
    // Days from the civil date (proleptic Gregorian), counted from 0000-03-01.
    const int yy = y - (m <= 2 ? 1 : 0);
    const qint64 era = (yy >= 0 ? yy : yy - 399) / 400;
    const qint64 yoe = yy - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const qint64 days = era * 146097 + doe;
    return std::max<qint64>(0, days * 86400 + hh * 3600 + mm * 60 + ss);
}

QByteArray Utf8(const QString& text) {
    return text.toUtf8();
}

QString TextColumn(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

void BindText(sqlite3_stmt* statement, int index, const QByteArray& bytes) {
    sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
}

// One access cycle on the index: the file's lock, then the connection with the tokenizer.
// A file that is not an index of this format is made anew while the lock is held, so no
// other program sees it half made.
class IndexSession {
public:
    IndexSession() = default;
    ~IndexSession() { Close(); }
    IndexSession(const IndexSession&) = delete;
    IndexSession& operator=(const IndexSession&) = delete;

    bool Open(int lockWaitMs = kDbLockWaitMs) {
        if (!lock_.Lock(LockDirectory() + DatabaseLockName(kSearchIndexName),
                        std::max(0, lockWaitMs))) {
            Log(QStringLiteral("获取数据库文件失败：") + kSearchIndexName, LogError);
            return false;
        }
        if (!Connect())
            return false;
        const int version = UserVersion();
        if (version < 0 && !Damaged())
            return false; // busy or unreadable for now: nothing to make anew
        if (version == kFormat)
            return true;
        if (version == 0 && rc_ == SQLITE_OK && TableCount() == 0 && rc_ == SQLITE_OK)
            return Exec(kSchema);
        return Reset();
    }

    sqlite3* db() const { return connection_.get(); }
    bool WasReset() const { return reset_; }

    // Makes the file anew (empty) after it was found damaged.
    bool Reset() {
        connection_.Close();
        const QString path = DatabasePath(kSearchIndexName);
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(path + QString::fromLatin1(suffix));
        Log(QStringLiteral("search index made anew: ") + path, LogWarn);
        reset_ = true;
        return Connect() && Exec(kSchema);
    }

    bool Exec(const char* sql) {
        char* message = nullptr;
        rc_ = sqlite3_exec(connection_.get(), sql, nullptr, nullptr, &message);
        if (rc_ != SQLITE_OK) {
            Log(QStringLiteral("执行SQL语句失败：") + QString::fromUtf8(sql).left(80) +
                    QStringLiteral("   ") + QString::fromUtf8(message ? message : ""),
                LogError);
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    bool Prepare(const char* sql, SqliteStatement& statement) {
        rc_ = sqlite3_prepare_v2(connection_.get(), sql, -1, statement.out(), nullptr);
        if (rc_ != SQLITE_OK)
            return Failed(QStringLiteral("查询数据库文件准备失败："));
        return true;
    }

    // Logs the connection's message for a failed step; false.
    bool Failed(const QString& what) {
        Log(what + kSearchIndexName + QStringLiteral("   ") +
                QString::fromUtf8(sqlite3_errmsg(connection_.get())),
            LogError);
        return false;
    }

    int rc() const { return rc_; }
    void SetRc(int rc) { rc_ = rc; }
    bool Damaged() const { return IsDamage(rc_); }

    void Close() {
        connection_.Close();
        lock_.Unlock();
    }

private:
    bool Connect() {
        const QByteArray path = DatabasePath(kSearchIndexName).toUtf8();
        rc_ = sqlite3_open(path.constData(), connection_.out());
        if (rc_ != SQLITE_OK) {
            Failed(QStringLiteral("打开数据库文件失败："));
            return false;
        }
        sqlite3_busy_timeout(connection_.get(), 5000);
        if (!RegisterSearchTokenizer(connection_.get())) {
            Log(QStringLiteral("search index: the full-text module is missing"), LogError);
            return false;
        }
        // The index is made again from the thread files when a crash of the machine leaves
        // it damaged, so commits need not wait for the disk.
        return Exec("pragma synchronous=OFF; pragma journal_mode=TRUNCATE;") || Damaged();
    }

    int UserVersion() {
        SqliteStatement statement;
        rc_ = sqlite3_prepare_v2(connection_.get(), "pragma user_version;", -1, statement.out(),
                                 nullptr);
        if (rc_ != SQLITE_OK)
            return -1;
        int version = -1;
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            version = sqlite3_column_int(statement.get(), 0);
        rc_ = statement.Finalize();
        return rc_ == SQLITE_OK ? version : -1;
    }

    int TableCount() {
        SqliteStatement statement;
        rc_ = sqlite3_prepare_v2(connection_.get(), "select count(*) from sqlite_master;", -1,
                                 statement.out(), nullptr);
        if (rc_ != SQLITE_OK)
            return -1;
        int count = -1;
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            count = sqlite3_column_int(statement.get(), 0);
        rc_ = statement.Finalize();
        return count;
    }

    FileLock lock_;
    SqliteConnection connection_;
    int rc_ = SQLITE_OK;
    bool reset_ = false;
};

// The thread file each indexed follow was indexed from.
bool ReadIndexedThreads(IndexSession& session, QHash<int, QString>& threads) {
    SqliteStatement statement;
    if (!session.Prepare("select FocusPageNo, DBFileName from IndexedThread;", statement))
        return false;
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        threads.insert(sqlite3_column_int(statement.get(), 0), TextColumn(statement.get(), 1));
    session.SetRc(statement.Finalize());
    return session.rc() == SQLITE_OK || session.Failed(QStringLiteral("清除查询数据失败："));
}

// Makes the index's thread row say `dbFile`; posts indexed from another file under the same
// follow number (a number used again after a purge) go first. Inside a transaction.
bool ClaimThread(IndexSession& session, int focusPageNo, const QByteArray& dbFile) {
    SqliteStatement find;
    if (!session.Prepare("select DBFileName from IndexedThread where FocusPageNo=?1;", find))
        return false;
    sqlite3_bind_int(find.get(), 1, focusPageNo);
    const bool known = sqlite3_step(find.get()) == SQLITE_ROW;
    const QByteArray current = known ? TextColumn(find.get(), 0).toUtf8() : QByteArray();
    session.SetRc(find.Finalize());
    if (session.rc() != SQLITE_OK)
        return session.Failed(QStringLiteral("清除查询数据失败："));
    if (known && current == dbFile)
        return true;
    SqliteStatement write;
    if (known) {
        const QByteArray clear = QStringLiteral("delete from Post where FocusPageNo=%1;"
                                                "delete from IndexedPage where FocusPageNo=%1;")
                                     .arg(focusPageNo)
                                     .toUtf8();
        if (!session.Exec(clear.constData()))
            return false;
    }
    if (!session.Prepare("insert or replace into IndexedThread values( ?1, ?2 );", write))
        return false;
    sqlite3_bind_int(write.get(), 1, focusPageNo);
    BindText(write.get(), 2, dbFile);
    session.SetRc(sqlite3_step(write.get()));
    return session.rc() == SQLITE_DONE || session.Failed(QStringLiteral("插入数据失败："));
}

// The posts of some pages of one follow, each page marked indexed, in one transaction.
// `replace`: a post already indexed takes the given content (the server's fresh copy);
// otherwise it is kept (a synchronisation's copy may be older than the server's).
bool WritePages(IndexSession& session, int focusPageNo, const QString& dbFile,
                const QMap<int, QList<ThreadPost>>& pages, bool replace) {
    if (!session.Exec("begin immediate;"))
        return false;
    if (!ClaimThread(session, focusPageNo, Utf8(dbFile)))
        return false;
    SqliteStatement insert;
    SqliteStatement mark;
    const char* insertSql =
        replace ? "insert into Post( Id, FocusPageNo, PageNo, Time, Author, Content ) values("
                  " coalesce((select max(Id)+1 from Post where Id >= ?1 and Id < ?1 + 1048576),"
                  " ?1), ?2, ?3, ?4, ?5, ?6 ) on conflict( FocusPageNo, PageNo, Time, Author )"
                  " do update set Content=excluded.Content where Content <> excluded.Content;"
                : "insert into Post( Id, FocusPageNo, PageNo, Time, Author, Content ) values("
                  " coalesce((select max(Id)+1 from Post where Id >= ?1 and Id < ?1 + 1048576),"
                  " ?1), ?2, ?3, ?4, ?5, ?6 ) on conflict( FocusPageNo, PageNo, Time, Author )"
                  " do nothing;";
    if (!session.Prepare(insertSql, insert) ||
        !session.Prepare("insert or ignore into IndexedPage values( ?1, ?2 );", mark))
        return false;
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        for (const ThreadPost& post : page.value()) {
            sqlite3_bind_int64(insert.get(), 1, TimeKey(post.time) * kIdsPerSecond);
            sqlite3_bind_int(insert.get(), 2, focusPageNo);
            sqlite3_bind_int(insert.get(), 3, page.key());
            BindText(insert.get(), 4, Utf8(post.time));
            BindText(insert.get(), 5, Utf8(post.author));
            BindText(insert.get(), 6, Utf8(post.content));
            session.SetRc(sqlite3_step(insert.get()));
            sqlite3_reset(insert.get());
            if (session.rc() != SQLITE_DONE && session.rc() != SQLITE_CONSTRAINT)
                return session.Failed(QStringLiteral("插入数据失败："));
        }
        sqlite3_bind_int(mark.get(), 1, focusPageNo);
        sqlite3_bind_int(mark.get(), 2, page.key());
        session.SetRc(sqlite3_step(mark.get()));
        sqlite3_reset(mark.get());
        if (session.rc() != SQLITE_DONE)
            return session.Failed(QStringLiteral("插入数据失败："));
    }
    return session.Exec("commit;");
}

// Opens the index for one step; a damaged file found on the way is made anew once.
template <typename Step> bool WithIndex(Step step, bool* wasReset = nullptr) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        IndexSession session;
        if (!session.Open()) {
            if (!session.Damaged())
                return false;
            if (!session.Reset())
                return false;
        }
        if (wasReset && session.WasReset())
            *wasReset = true;
        if (step(session))
            return true;
        if (!session.Damaged())
            return false;
        // Damage shows itself in the middle of a statement: make the file anew and try again.
        if (!session.Reset())
            return false;
        if (wasReset)
            *wasReset = true;
    }
    return false;
}

// The posts of pages first..last of a thread file, by page.
bool ReadThreadPages(const QString& dbFile, int firstPage, int lastPage,
                     QMap<int, QList<ThreadPost>>& pages) {
    DbRowList rows;
    DbError error;
    if (!QueryRows(FormatSql("select PageNo, Time, Author, Content from TieInfo where PageNo >= "
                             "%d and PageNo <= %d;",
                             {firstPage, lastPage}),
                   rows, error, dbFile))
        return false;
    for (const DbRow& row : rows)
        pages[row.Int(0)].append(ThreadPost{row.Int(0), row[2], row[1], row[3]});
    return true;
}

// Removes the posts of a follow that was indexed from `dbFile`, a batch per transaction, so
// the server's pages never wait long. Stops when the follow's row names another file.
bool RemoveThreadRows(int focusPageNo, const QString& dbFile) {
    const QByteArray file = Utf8(dbFile);
    for (;;) {
        bool finished = false;
        const bool ok = WithIndex([&](IndexSession& session) {
            if (!session.Exec("begin immediate;"))
                return false;
            SqliteStatement find;
            if (!session.Prepare("select DBFileName from IndexedThread where FocusPageNo=?1;",
                                 find))
                return false;
            sqlite3_bind_int(find.get(), 1, focusPageNo);
            const bool same = sqlite3_step(find.get()) == SQLITE_ROW &&
                              TextColumn(find.get(), 0).toUtf8() == file;
            session.SetRc(find.Finalize());
            if (!same) {
                finished = true;
                return session.Exec("commit;");
            }
            const QByteArray batch =
                QStringLiteral("delete from Post where Id in (select Id from Post where "
                               "FocusPageNo=%1 limit %2);")
                    .arg(focusPageNo)
                    .arg(kPostsPerRemoval)
                    .toUtf8();
            if (!session.Exec(batch.constData()))
                return false;
            if (sqlite3_changes(session.db()) == 0) {
                const QByteArray last = QStringLiteral("delete from IndexedPage where "
                                                       "FocusPageNo=%1; delete from IndexedThread "
                                                       "where FocusPageNo=%1;")
                                            .arg(focusPageNo)
                                            .toUtf8();
                if (!session.Exec(last.constData()))
                    return false;
                finished = true;
            }
            return session.Exec("commit;");
        });
        if (!ok)
            return false;
        if (finished)
            return true;
    }
}

// Builds the full-text query: every word as a phrase of the content, and the filters as the
// raw terms of the post's thread and author.
QByteArray MatchExpression(const QList<SearchPhrase>& phrases, int focusPageNo,
                           const QString& author) {
    auto quoted = [](QString text) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    };
    QStringList parts;
    for (const SearchPhrase& phrase : phrases)
        parts.append(QStringLiteral("Content : ") + quoted(phrase.text));
    if (focusPageNo > 0)
        parts.append(QStringLiteral("Scope : ") + quoted(QChar(kRawTermMark) + QStringLiteral("T") +
                                                         QString::number(focusPageNo)));
    if (!author.isEmpty())
        parts.append(QStringLiteral("Scope : ") +
                     quoted(QChar(kRawTermMark) + QStringLiteral("A") + author));
    return parts.join(QStringLiteral(" AND ")).toUtf8();
}

} // namespace

QStringList SearchWords(const QString& words) {
    QStringList texts;
    for (const SearchPhrase& phrase : ParseSearchPhrases(words))
        texts.append(phrase.text);
    return texts;
}

SearchAnswer SearchPosts(const SearchRequest& request) {
    SearchAnswer answer;
    const QList<SearchPhrase> phrases = ParseSearchPhrases(request.words);
    QString author = request.author;
    author.remove(QChar(kRawTermMark));
    if (phrases.isEmpty()) {
        answer.ok = true;
        answer.noWords = true;
        return answer;
    }
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return answer;
    QHash<int, FollowRecord> byNumber;
    for (const FollowRecord& follow : follows)
        byNumber.insert(follow.focusPageNo, follow);

    struct Found {
        int focusPageNo;
        int pageNo;
        QString time;
        QString author;
        QString content;
    };
    QList<Found> found;
    const QByteArray match = MatchExpression(phrases, request.focusPageNo, author);
    const int limit = std::max(0, request.limit);
    bool wasReset = false;
    const bool ok = WithIndex(
        [&](IndexSession& session) {
            found.clear();
            SqliteStatement state;
            if (!session.Prepare("select Complete from IndexState;", state))
                return false;
            answer.incomplete =
                sqlite3_step(state.get()) != SQLITE_ROW || sqlite3_column_int(state.get(), 0) == 0;
            session.SetRc(state.Finalize());
            QHash<int, QString> indexed;
            if (!ReadIndexedThreads(session, indexed))
                return false;
            SqliteStatement query;
            if (!session.Prepare("select p.FocusPageNo, p.PageNo, p.Time, p.Author, p.Content "
                                 "from PostText join Post p on p.Id = PostText.rowid "
                                 "where PostText match ?1 order by PostText.rowid desc;",
                                 query))
                return false;
            BindText(query.get(), 1, match);
            int skipped = 0;
            while (found.size() < limit) {
                const int rc = sqlite3_step(query.get());
                if (rc != SQLITE_ROW)
                    break;
                const int number = sqlite3_column_int(query.get(), 0);
                const auto follow = byNumber.constFind(number);
                // Posts of a purged follow, or of an earlier follow with the same number,
                // until the next synchronisation removes them.
                if (follow == byNumber.constEnd() || indexed.value(number) != follow->dbFileName)
                    continue;
                if (skipped < request.offset) {
                    ++skipped;
                    continue;
                }
                found.append(Found{number, sqlite3_column_int(query.get(), 1),
                                   TextColumn(query.get(), 2), TextColumn(query.get(), 3),
                                   TextColumn(query.get(), 4)});
            }
            session.SetRc(query.Finalize());
            if (session.rc() != SQLITE_OK)
                return session.Failed(QStringLiteral("清除查询数据失败："));
            return true;
        },
        &wasReset);
    if (!ok)
        return answer;
    answer.ok = true;
    answer.incomplete = answer.incomplete || wasReset;
    // Excerpts are made after the file's lock is released.
    answer.hits.reserve(found.size());
    for (const Found& f : found) {
        SearchHit hit;
        hit.focusPageNo = f.focusPageNo;
        hit.threadTitle = byNumber.value(f.focusPageNo).webpageName;
        hit.pageNo = f.pageNo;
        hit.author = f.author;
        hit.time = f.time;
        const SearchExcerpt excerpt = MakeSearchExcerpt(f.content, phrases);
        hit.excerpt = excerpt.text;
        hit.marks = excerpt.marks;
        answer.hits.append(hit);
    }
    return answer;
}

bool IndexPagePosts(int focusPageNo, const QString& dbFile, int pageNo,
                    const QList<ThreadPost>& posts) {
    QMap<int, QList<ThreadPost>> pages;
    pages.insert(pageNo, posts);
    return WithIndex([&](IndexSession& session) {
        return WritePages(session, focusPageNo, dbFile, pages, true);
    });
}

bool IndexStoredPage(int focusPageNo, const QString& dbFile, int pageNo) {
    return IndexStoredPages(focusPageNo, dbFile, {pageNo});
}

bool IndexStoredPages(int focusPageNo, const QString& dbFile, const QList<int>& pageNos) {
    if (pageNos.isEmpty())
        return true;
    QMap<int, QList<ThreadPost>> pages;
    for (int pageNo : pageNos) {
        QMap<int, QList<ThreadPost>> read;
        if (!ReadThreadPages(dbFile, pageNo, pageNo, read))
            return false;
        pages.insert(pageNo, read.value(pageNo));
    }
    return WithIndex([&](IndexSession& session) {
        return WritePages(session, focusPageNo, dbFile, pages, true);
    });
}

bool RemoveThreadFromIndex(int focusPageNo) {
    QString dbFile;
    bool known = false;
    if (!WithIndex([&](IndexSession& session) {
            QHash<int, QString> threads;
            if (!ReadIndexedThreads(session, threads))
                return false;
            known = threads.contains(focusPageNo);
            dbFile = threads.value(focusPageNo);
            return true;
        }))
        return false;
    return !known || RemoveThreadRows(focusPageNo, dbFile);
}

bool SynchroniseSearchIndex(SearchSyncReport* report, const std::atomic<bool>* cancel) {
    SearchSyncReport local;
    SearchSyncReport& r = report ? *report : local;
    r = SearchSyncReport{};
    auto cancelled = [cancel] { return cancel && cancel->load(); };

    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return false;
    QHash<int, QString> indexed;
    if (!WithIndex([&](IndexSession& session) { return ReadIndexedThreads(session, indexed); },
                   &r.reset))
        return false;

    QHash<int, QString> wanted;
    for (const FollowRecord& follow : follows)
        wanted.insert(follow.focusPageNo, follow.dbFileName);
    for (auto it = indexed.constBegin(); it != indexed.constEnd(); ++it) {
        if (wanted.contains(it.key()) && wanted.value(it.key()) == it.value())
            continue;
        if (cancelled())
            return false;
        if (!RemoveThreadRows(it.key(), it.value()))
            return false;
        ++r.threadsRemoved;
    }

    for (const FollowRecord& follow : follows) {
        if (cancelled())
            return false;
        // Opening a missing file would create it empty.
        if (follow.dbFileName.isEmpty() || !QFile::exists(DatabasePath(follow.dbFileName)))
            continue;
        QList<int> stored;
        if (!ListStoredPages(follow.dbFileName, stored))
            continue; // an unreadable thread file is tried again next time
        QSet<int> done;
        if (!WithIndex([&](IndexSession& session) {
                SqliteStatement query;
                if (!session.Prepare("select p.PageNo from IndexedPage p join IndexedThread t "
                                     "on t.FocusPageNo = p.FocusPageNo where p.FocusPageNo=?1 "
                                     "and t.DBFileName=?2;",
                                     query))
                    return false;
                sqlite3_bind_int(query.get(), 1, follow.focusPageNo);
                BindText(query.get(), 2, Utf8(follow.dbFileName));
                while (sqlite3_step(query.get()) == SQLITE_ROW)
                    done.insert(sqlite3_column_int(query.get(), 0));
                session.SetRc(query.Finalize());
                return session.rc() == SQLITE_OK ||
                       session.Failed(QStringLiteral("清除查询数据失败："));
            }))
            return false;
        QList<int> missing;
        for (int page : stored)
            if (!done.contains(page))
                missing.append(page);
        for (qsizetype at = 0; at < missing.size(); at += kPagesPerStep) {
            if (cancelled())
                return false;
            const QList<int> step = missing.mid(at, kPagesPerStep);
            QMap<int, QList<ThreadPost>> read;
            if (!ReadThreadPages(follow.dbFileName, step.first(), step.last(), read))
                break;
            QMap<int, QList<ThreadPost>> pages;
            for (int page : step)
                pages.insert(page, read.value(page));
            if (!WithIndex([&](IndexSession& session) {
                    return WritePages(session, follow.focusPageNo, follow.dbFileName, pages, false);
                }))
                return false;
            r.pagesIndexed += static_cast<int>(step.size());
        }
    }
    if (cancelled())
        return false;
    return WithIndex(
        [](IndexSession& session) { return session.Exec("update IndexState set Complete=1;"); });
}
