#include "tools/demo-forum/ForumServer.h"

#include "tools/demo-forum/DemoRandom.h"
#include "tools/demo-forum/GbkEncoder.h"
#include "tools/demo-forum/HtmlText.h"
#include "tools/demo-forum/PngWriter.h"
#include "tools/demo-forum/ThreadAddress.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>
#include <atomic>
#include <chrono>
#include <httplib.h>
#include <sys/socket.h>
#include <thread>

namespace {

constexpr int kMaxReplyLength = 5000;
constexpr size_t kMaxBodyBytes = 1 << 20;

DemoReply htmlReply(const QString& html, int status = 200) {
    DemoReply r;
    r.status = status;
    r.body = html.toUtf8();
    return r;
}

DemoReply redirect(const QString& address, int status = 302) {
    DemoReply r;
    r.status = status;
    r.headers.emplace_back("Location", address.toStdString());
    r.body = QByteArray("<html><body>moved</body></html>");
    return r;
}

DemoReply jsonReply(const QJsonDocument& doc, int status = 200) {
    DemoReply r;
    r.status = status;
    r.contentType = "application/json; charset=utf-8";
    r.body = doc.toJson(QJsonDocument::Compact);
    return r;
}

DemoReply textReply(const QString& text, int status = 200) {
    DemoReply r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = text.toUtf8();
    return r;
}

DemoReply notFound() {
    return htmlReply(ThreadPageRenderer::NotFoundPage(), 404);
}

DemoReply messagePage(const QString& message, int status) {
    return htmlReply(HtmlDocument(QStringLiteral("天涯社区"), Utf8Meta(),
                                  QStringLiteral("<div class=\"msg\">") + HtmlEscape(message) +
                                      QStringLiteral("</div>")),
                     status);
}

QString param(const httplib::Request& request, const char* name) {
    return QString::fromStdString(request.get_param_value(name));
}

// Fields of a form posted as application/x-www-form-urlencoded.
QUrlQuery formFields(const std::string& bytes) {
    QString body = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    body.replace(QLatin1Char('+'), QStringLiteral("%20"));
    return QUrlQuery(body);
}

QString field(const QUrlQuery& fields, const QString& name) {
    return fields.queryItemValue(name, QUrl::FullyDecoded);
}

int64_t wallClockNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toSecsSinceEpoch() + now.offsetFromUtc();
}

QString siteName(ThreadSite site) {
    switch (site) {
    case ThreadSite::PublicForum:
        return QStringLiteral("publicforum");
    case ThreadSite::TechForum:
        return QStringLiteral("techforum");
    case ThreadSite::City:
        return QStringLiteral("city");
    case ThreadSite::Bbs:
        break;
    }
    return QStringLiteral("bbs");
}

// The library listens with a backlog of 5: seven fetch threads connecting at once while
// its accept thread waits for a core overflow it, and a dropped connection attempt costs
// the client a one-second retry. Listening again on the bound socket only widens the queue.
void WidenBacklog(int socket) {
    if (socket >= 0)
        ::listen(socket, SOMAXCONN);
}

} // namespace

ForumServer::ForumServer(ForumModel& model, const DemoOptions& options)
    : model_(model), options_(options), login_(options.seed),
      server_(std::make_unique<httplib::Server>()), server6_(std::make_unique<httplib::Server>()) {
    faults_.SetModes(options.faults);
    faults_.SetShare(options.faultShare);
    faults_.SetDelayMs(options.faultDelayMs);
    faults_.SetFirstHits(options.faultFirst);
    faults_.SetSeed(options.seed);
    Configure(*server_, &socket4_);
    Configure(*server6_, &socket6_);
}

ForumServer::~ForumServer() = default;

void ForumServer::Configure(httplib::Server& server, int* listenSocket) {
    // Browsers keep several connections per host open; enough workers that idle
    // keep-alive connections never starve new requests.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_keep_alive_timeout(2);
    server.set_payload_max_length(kMaxBodyBytes);
    // Only SO_REUSEADDR: a second forum on a taken port must fail, not share it.
    server.set_socket_options([listenSocket](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        *listenSocket = socket;
    });
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response, {});
    });
    // Bodies are read here rather than by the library, whose limit for url-encoded forms
    // (8 KB) is below a reply of 5000 Chinese characters.
    server.Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                             const httplib::ContentReader& reader) {
        std::string body;
        const bool whole = reader([&body](const char* data, size_t length) {
            if (body.size() + length > kMaxBodyBytes)
                return false;
            body.append(data, length);
            return true;
        });
        // A body cut short is never taken for the whole form.
        if (!whole) {
            response.status = 413;
            response.set_content("request body too large or incomplete", "text/plain");
            return;
        }
        Handle(request, response, body);
    });
}

int ForumServer::Bind(int port) {
    int bound = port;
    if (port == 0)
        bound = server_->bind_to_any_port("127.0.0.1");
    else if (!server_->bind_to_port("127.0.0.1", port))
        bound = -1;
    if (bound <= 0)
        return -1;
    // Some clients try the IPv6 loopback first for ".localhost" names; that address is
    // served too when the same port is free there.
    bound6_ = server6_->bind_to_port("::1", bound);
    WidenBacklog(socket4_);
    if (bound6_)
        WidenBacklog(socket6_);
    hosts_ = std::make_unique<DemoHosts>(bound);
    threads_ = std::make_unique<ThreadPageRenderer>(*hosts_);
    site_ = std::make_unique<SitePageRenderer>(*hosts_, model_);
    return bound;
}

bool ForumServer::Serve() {
    if (!hosts_)
        return false;
    std::atomic<int> running{bound6_ ? 2 : 1};
    const auto listen = [&running](httplib::Server* server) {
        server->listen_after_bind();
        --running;
    };
    std::thread main4(listen, server_.get());
    if (bound6_)
        thread6_ = std::thread(listen, server6_.get());
    {
        std::unique_lock lock(stopMutex_);
        stopWake_.wait(lock, [this] { return stopping_; });
    }
    // A stop can come before a listener has started; repeat it until both have ended.
    while (running > 0) {
        server_->stop();
        server6_->stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    main4.join();
    if (thread6_.joinable())
        thread6_.join();
    return true;
}

void ForumServer::Stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopWake_.notify_all();
}

QString ForumServer::LoggedInUser(const httplib::Request& request) const {
    const QString cookies = QString::fromStdString(request.get_header_value("Cookie"));
    const QString wanted = QStringLiteral("qm_session=") + login_.SessionToken();
    for (const QString& cookie : cookies.split(QLatin1Char(';')))
        if (cookie.trimmed() == wanted)
            return LoginDesk::TestUser();
    return {};
}

void ForumServer::Handle(const httplib::Request& request, httplib::Response& response,
                         const std::string& body) {
    const QString path = QString::fromStdString(request.path);
    DemoReply reply;
    FaultKind fault = FaultKind::None;
    if (path.startsWith(QLatin1String("/__control/"))) {
        // Control addresses never misbehave: tests steer the forum through them.
        reply = Control(path, request);
    } else {
        const DemoHost host =
            DemoHosts::FromHeader(QString::fromStdString(request.get_header_value("Host")));
        fault = faults_.Decide(DemoHostName(host) + path);
        if (fault == FaultKind::Slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(faults_.DelayMs()));
        if (fault == FaultKind::ServerError)
            reply = htmlReply(ThreadPageRenderer::ServerErrorPage(), 500);
        else
            reply = Route(host, path, request, body);
    }
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        response.set_header(name.c_str(), value);
    auto content = std::make_shared<std::string>(reply.body.constData(),
                                                 static_cast<size_t>(reply.body.size()));
    if (reply.cutHalfway)
        fault = FaultKind::Truncate;
    if (fault == FaultKind::Drop || fault == FaultKind::Truncate) {
        // The length promises the whole body; the connection closes after none or half of it.
        const size_t sent = fault == FaultKind::Drop ? 0 : content->size() / 2;
        response.set_content_provider(
            content->size(), reply.contentType,
            [content, sent](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset < sent)
                    sink.write(content->data() + offset, sent - offset);
                return false;
            });
        return;
    }
    response.set_content(*content, reply.contentType);
}

DemoReply ForumServer::Route(DemoHost host, const QString& path, const httplib::Request& request,
                             const std::string& body) {
    const QString lower = path.toLower();
    const bool post = request.method == "POST";
    switch (host) {
    case DemoHost::Bare:
        // The bare domain forwards to the hosts that serve its pages, as the forum does.
        if (lower.startsWith(QLatin1String("/bbs/post-")))
            return redirect(hosts_->Origin(DemoHost::Bbs) + path.mid(4));
        if (lower == QLatin1String("/") || lower.startsWith(QLatin1String("/bbs/")))
            return redirect(hosts_->Origin(DemoHost::Www) + QStringLiteral("/bbs/index.shtml"));
        return notFound();
    case DemoHost::Www:
    case DemoHost::Bbs:
    case DemoHost::City: {
        if (lower == QLatin1String("/reply") && post)
            return Reply(request, body);
        if (lower == QLatin1String("/goto"))
            return Goto(request);
        if (host == DemoHost::Www && lower == QLatin1String("/bbs/index.shtml"))
            return htmlReply(site_->ForumIndex());
        if (lower == QLatin1String("/"))
            return redirect(hosts_->Origin(DemoHost::Www) + QStringLiteral("/bbs/index.shtml"));
        bool handled = false;
        DemoReply reply = ThreadPageReply(host, path, request, &handled);
        return handled ? reply : notFound();
    }
    case DemoHost::Passport:
        return Passport(lower, request, body);
    case DemoHost::Focus:
        return lower == QLatin1String("/") ? htmlReply(site_->FrontPage()) : notFound();
    case DemoHost::Picture: {
        static const QRegularExpression picture(
            QStringLiteral("^/pic/(\\d{1,9}/[a-z0-9-]{1,40}|loading)\\.png$"));
        if (!picture.match(lower).hasMatch())
            return notFound();
        // Late pictures let a test see a screen first and its pictures arrive afterwards.
        if (options_.pictureDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(options_.pictureDelayMs));
        DemoReply r;
        r.contentType = "image/png";
        r.body = MakeThreadPicture(MixSeed(options_.seed, HashText(lower)));
        return r;
    }
    case DemoHost::Maker:
        if (lower == QLatin1String("/quillmere/softver.html"))
            return htmlReply(site_->VersionPage(options_.version));
        if (lower == QLatin1String("/quillmere/softhelp.html") || lower == QLatin1String("/"))
            return htmlReply(site_->HelpPage());
        if (lower.startsWith(QLatin1String("/quillmere/update/")))
            return UpdatePackage(lower);
        return notFound();
    case DemoHost::Discount:
        if (lower == QLatin1String("/zhe/") || lower == QLatin1String("/zhe") ||
            lower == QLatin1String("/"))
            return htmlReply(site_->DiscountTab());
        if (lower == QLatin1String("/zhe/readadvert.php"))
            return htmlReply(site_->DiscountList());
        if (lower == QLatin1String("/zhe/item.php"))
            return htmlReply(site_->DiscountItem(param(request, "id").toInt()));
        return notFound();
    case DemoHost::Unknown:
        break;
    }
    if (lower == QLatin1String("/"))
        return textReply(QStringLiteral("Quillmere sample forum. Hosts:\n") +
                         hosts_->SettingsSection());
    return notFound();
}

// The download the version page offers: the same generated bytes at the address and its
// mirror, and under "cut/" an answer that promises them all and drops the connection halfway.
DemoReply ForumServer::UpdatePackage(const QString& lowerPath) const {
    static const QRegularExpression package(QStringLiteral(
        "^/quillmere/update/(mirror/|cut/)?quillmere-(\\d{1,3}\\.\\d{1,3})\\.tar\\.gz$"));
    const QRegularExpressionMatch match = package.match(lowerPath);
    if (!match.hasMatch())
        return notFound();
    DemoReply reply;
    reply.contentType = "application/gzip";
    reply.body = UpdatePackageBytes(options_.seed, match.captured(2));
    reply.cutHalfway = match.captured(1) == QLatin1String("cut/");
    return reply;
}

DemoReply ForumServer::ThreadPageReply(DemoHost host, const QString& path,
                                       const httplib::Request& request, bool* handled) {
    ThreadLocation location;
    *handled = ParseThreadPath(host, path, &location);
    if (!*handled)
        return {};
    const auto summary = model_.Summary(location.id);
    if (!summary || summary->site != location.site || summary->board != location.board)
        return notFound();
    // A removed thread answers with the forum's own notice page, not an HTTP error.
    if (summary->deleted)
        return htmlReply(threads_->DeletedPage());
    ThreadPage page;
    if (!model_.Page(location.id, location.page, &page))
        return notFound();
    const QString html = threads_->Render(page, LoggedInUser(request));
    DemoReply reply;
    if (page.gbk) {
        reply.contentType = "text/html; charset=GBK";
        reply.body = EncodeGbk(html);
    } else {
        reply.body = html.toUtf8();
    }
    return reply;
}

DemoReply ForumServer::Goto(const httplib::Request& request) {
    const auto summary = model_.Summary(param(request, "thread").toInt());
    if (!summary || summary->deleted)
        return notFound();
    const int wanted = param(request, "page").trimmed().toInt();
    const int page = std::clamp(wanted, 1, summary->pageCount);
    return redirect(ThreadAddress(*hosts_, summary->site, summary->board, summary->id, page));
}

DemoReply ForumServer::Reply(const httplib::Request& request, const std::string& body) {
    const QString user = LoggedInUser(request);
    if (user.isEmpty())
        return messagePage(QStringLiteral("请先登录后再回复。"), 403);
    const QUrlQuery fields = formFields(body);
    const int id = field(fields, QStringLiteral("thread")).toInt();
    const QString content = field(fields, QStringLiteral("content")).trimmed();
    if (content.isEmpty())
        return messagePage(QStringLiteral("回复内容不能为空。"), 400);
    if (content.size() > kMaxReplyLength)
        return messagePage(QStringLiteral("回复内容不能超过5000字。"), 400);
    const int pages = model_.AppendReply(id, user, content, wallClockNow());
    if (pages == 0)
        return notFound();
    const auto summary = model_.Summary(id);
    return redirect(ThreadAddress(*hosts_, summary->site, summary->board, id, pages), 303);
}

DemoReply ForumServer::Passport(const QString& path, const httplib::Request& request,
                                const std::string& body) {
    const QString cookieTail =
        QStringLiteral("; Domain=") + DemoHosts::CookieDomain() + QStringLiteral("; Path=/");
    if (path == QLatin1String("/vcode")) {
        DemoReply r;
        r.contentType = "image/png";
        r.headers.emplace_back("Cache-Control", "no-store");
        r.body =
            MakeVerificationPicture(login_.Code(), MixSeed(options_.seed, login_.CodeSerial()));
        return r;
    }
    if (path == QLatin1String("/logout")) {
        DemoReply r = redirect(hosts_->Origin(DemoHost::Passport) + QStringLiteral("/login"));
        r.headers.emplace_back(
            "Set-Cookie", (QStringLiteral("qm_session=; Max-Age=0") + cookieTail).toStdString());
        return r;
    }
    if (path != QLatin1String("/login"))
        return notFound();
    if (request.method != "POST") {
        if (!LoggedInUser(request).isEmpty())
            return htmlReply(site_->LoggedInPage(LoggedInUser(request)));
        if (param(request, "new") == QLatin1String("1"))
            login_.NewCode();
        LoginView view;
        view.captcha = login_.CodeRequired();
        view.codeSerial = login_.CodeSerial();
        return htmlReply(site_->LoginPage(view));
    }
    const QUrlQuery fields = formFields(body);
    const QString user = field(fields, QStringLiteral("userName"));
    const LoginDesk::Outcome outcome = login_.Submit(
        user, field(fields, QStringLiteral("password")), field(fields, QStringLiteral("vc")));
    if (outcome == LoginDesk::Outcome::LoggedIn) {
        DemoReply r = htmlReply(site_->LoggedInPage(LoginDesk::TestUser()));
        r.headers.emplace_back(
            "Set-Cookie",
            (QStringLiteral("qm_session=") + login_.SessionToken() + cookieTail).toStdString());
        return r;
    }
    LoginView view;
    view.message = outcome == LoginDesk::Outcome::WrongCode
                       ? QStringLiteral("验证码错误，请重新输入")
                       : QStringLiteral("用户名或密码错误");
    view.captcha = true;
    view.codeSerial = login_.CodeSerial();
    view.userName = user;
    return htmlReply(site_->LoginPage(view));
}

DemoReply ForumServer::Control(const QString& path, const httplib::Request& request) {
    const int id = param(request, "thread").toInt();
    if (path == QLatin1String("/__control/grow")) {
        const int pages = model_.Grow(id);
        if (pages == 0)
            return jsonReply(QJsonDocument(QJsonObject{{"error", "unknown thread"}}), 404);
        return jsonReply(QJsonDocument(QJsonObject{{"thread", id}, {"pages", pages}}));
    }
    if (path == QLatin1String("/__control/delete")) {
        if (!model_.Delete(id))
            return jsonReply(QJsonDocument(QJsonObject{{"error", "unknown thread"}}), 404);
        return jsonReply(QJsonDocument(QJsonObject{{"thread", id}, {"deleted", true}}));
    }
    if (path == QLatin1String("/__control/posts")) {
        const auto summary = model_.Summary(id);
        if (!summary || summary->deleted)
            return jsonReply(QJsonDocument(QJsonObject{{"error", "unknown thread"}}), 404);
        QJsonArray posts;
        for (const auto& [page, post] : model_.Posts(id)) {
            QJsonArray pictures;
            for (const DemoPicture& picture : post.pictures)
                pictures.append(threads_->PictureAddress(picture));
            posts.append(QJsonObject{{"page", page},
                                     {"author", post.author},
                                     {"time", WallTimeText(post.wallTime)},
                                     {"content", ThreadPageRenderer::ContentText(post)},
                                     {"pictures", pictures}});
        }
        const QString first = ThreadAddress(*hosts_, summary->site, summary->board, id, 1);
        return jsonReply(QJsonDocument(QJsonObject{{"thread", id},
                                                   {"layout", summary->layout},
                                                   {"title", summary->title},
                                                   {"pages", summary->pageCount},
                                                   {"firstPage", first},
                                                   {"posts", posts}}));
    }
    if (path == QLatin1String("/__control/threads")) {
        QJsonArray list;
        for (const ThreadSummary& t : model_.MainThreads())
            list.append(
                QJsonObject{{"thread", t.id},
                            {"kind", t.kind},
                            {"layout", t.layout},
                            {"site", siteName(t.site)},
                            {"pages", t.pageCount},
                            {"gbk", t.gbk},
                            {"deleted", t.deleted},
                            {"title", t.title},
                            {"firstPage", ThreadAddress(*hosts_, t.site, t.board, t.id, 1)}});
        return jsonReply(QJsonDocument(list));
    }
    if (path == QLatin1String("/__control/vcode"))
        return textReply(login_.Code());
    if (path == QLatin1String("/__control/hosts"))
        return textReply(hosts_->SettingsSection());
    return textReply(QStringLiteral("unknown control address\n"), 404);
}
