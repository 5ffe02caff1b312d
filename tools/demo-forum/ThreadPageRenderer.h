#pragma once

#include "tools/demo-forum/DemoHosts.h"
#include "tools/demo-forum/ForumModel.h"

#include <QString>

// The forum's thread pages in their three layouts, and the forum's error pages.
// Structural containers hold no blank text between their children: parsers walk child
// nodes by position, text nodes included.
class ThreadPageRenderer {
public:
    explicit ThreadPageRenderer(const DemoHosts& hosts) : hosts_(hosts) {}

    // `user` is the logged-in user or empty; only a logged-in user gets the reply form.
    QString Render(const ThreadPage& page, const QString& user) const;
    QString PictureAddress(const DemoPicture& picture) const;
    // What a browser shows of a post's body: its lines, one per line.
    static QString ContentText(const DemoPost& post);

    QString DeletedPage() const;
    static QString NotFoundPage();
    static QString ServerErrorPage();

private:
    QString Layout1(const ThreadPage& page, const QString& user) const;
    QString Layout3(const ThreadPage& page, const QString& user) const;
    QString Layout4(const ThreadPage& page, const QString& user) const;
    QString Address(const ThreadPage& page, int number) const;
    QString Content(const DemoPost& post) const;
    QString AuthorLink(const QString& author) const;
    QString NumberedNavigation(const ThreadPage& page, const QString& id) const;
    QString NewestNavigation(const ThreadPage& page) const;
    QString GotoForm(const ThreadPage& page) const;
    QString UserBar(const QString& user) const;
    QString ReplyBox(const ThreadPage& page, const QString& user) const;

    const DemoHosts& hosts_;
};
