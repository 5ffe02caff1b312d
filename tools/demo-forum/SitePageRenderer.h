#pragma once

#include "tools/demo-forum/DemoHosts.h"
#include "tools/demo-forum/ForumModel.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Which row of the version page covers the reader's own version.
enum class VersionOffer { Optional, Mandatory, None };

// What the login page shows after a submission.
struct LoginView {
    QString message; // the forum's answer; no message element when empty
    bool captcha = false;
    int codeSerial = 0; // changes the picture address whenever the code changes
    QString userName;
};

// The pages of the forum other than threads, and the maker's two sites.
class SitePageRenderer {
public:
    SitePageRenderer(const DemoHosts& hosts, ForumModel& model) : hosts_(hosts), model_(model) {}

    QString FrontPage() const;
    QString ForumIndex() const;
    QString LoginPage(const LoginView& view) const;
    QString LoggedInPage(const QString& user) const;
    QString DiscountList() const;
    QString DiscountTab() const;
    QString DiscountItem(int id) const;
    QString HelpPage() const;
    QString VersionPage(VersionOffer offer) const;

    static constexpr int kDiscountRows = 30;

private:
    QString FirstPageAddress(int id) const;
    QString Link(const QString& href, const QString& text, bool newWindow = false) const;

    const DemoHosts& hosts_;
    ForumModel& model_;
};

// The bytes behind the version page's download links for `version`: 3 MiB generated from the
// seed, the same at every address and in every run.
QByteArray UpdatePackageBytes(uint64_t seed, const QString& version);
