#include "tools/demo-forum/ThreadAddress.h"

#include <QRegularExpression>

DemoHost HostOfSite(ThreadSite site) {
    switch (site) {
    case ThreadSite::City:
        return DemoHost::City;
    case ThreadSite::Bbs:
        return DemoHost::Bbs;
    case ThreadSite::PublicForum:
    case ThreadSite::TechForum:
        break;
    }
    return DemoHost::Www;
}

QString ThreadAddress(const DemoHosts& hosts, ThreadSite site, const QString& board, int id,
                      int page) {
    const QString origin = hosts.Origin(HostOfSite(site));
    switch (site) {
    case ThreadSite::PublicForum:
        return origin +
               QStringLiteral("/publicforum/content/%1/1/%2-%3.shtml").arg(board).arg(id).arg(page);
    case ThreadSite::TechForum:
        return origin +
               QStringLiteral("/techforum/content/%1/1/%2-%3.shtml").arg(board).arg(id).arg(page);
    case ThreadSite::City:
        return origin + QStringLiteral("/forum/%1/%2-%3.shtml").arg(board).arg(id).arg(page);
    case ThreadSite::Bbs:
        break;
    }
    return origin + QStringLiteral("/post-%1-%2-%3.shtml").arg(board).arg(id).arg(page);
}

bool ParseThreadPath(DemoHost host, const QString& path, ThreadLocation* out) {
    // A page number is optional where the forum also knows the bare thread address.
    static const QRegularExpression publicForum(
        QStringLiteral("^/publicforum/content/([a-z0-9]+)/1/(\\d{1,9})(?:-(\\d{1,6}))?\\.shtml$"));
    static const QRegularExpression techForum(
        QStringLiteral("^/techforum/content/([a-z0-9]+)/1/(\\d{1,9})(?:-(\\d{1,6}))?\\.shtml$"));
    static const QRegularExpression city(
        QStringLiteral("^/forum/([a-z0-9]+)/(\\d{1,9})(?:-(\\d{1,6}))?\\.shtml$"));
    static const QRegularExpression bbs(
        QStringLiteral("^/post-([a-z0-9]+)-(\\d{1,9})-(\\d{1,6})\\.shtml$"));
    const QString lower = path.toLower();
    struct Form {
        DemoHost host;
        const QRegularExpression* pattern;
        ThreadSite site;
    };
    const Form forms[] = {
        {DemoHost::Www, &publicForum, ThreadSite::PublicForum},
        {DemoHost::Www, &techForum, ThreadSite::TechForum},
        {DemoHost::City, &city, ThreadSite::City},
        {DemoHost::Bbs, &bbs, ThreadSite::Bbs},
    };
    for (const Form& form : forms) {
        if (form.host != host)
            continue;
        const QRegularExpressionMatch m = form.pattern->match(lower);
        if (!m.hasMatch())
            continue;
        out->site = form.site;
        out->board = m.captured(1);
        out->id = m.captured(2).toInt();
        out->page = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        return true;
    }
    return false;
}
