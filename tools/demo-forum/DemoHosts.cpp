#include "tools/demo-forum/DemoHosts.h"

#include "common/IniFile.h"

namespace {

struct HostRow {
    DemoHost host;
    const char* name;
};

const HostRow kHosts[] = {
    {DemoHost::Bare, "forum.localhost"},
    {DemoHost::Www, "www.forum.localhost"},
    {DemoHost::Bbs, "bbs.forum.localhost"},
    {DemoHost::City, "city.forum.localhost"},
    {DemoHost::Passport, "passport.forum.localhost"},
    {DemoHost::Focus, "focus.forum.localhost"},
    {DemoHost::Picture, "img.forum.localhost"},
    {DemoHost::Maker, "www.quillmere.localhost"},
    {DemoHost::Discount, "zhe.quillmere.localhost"},
};

} // namespace

QString DemoHostName(DemoHost host) {
    for (const HostRow& row : kHosts)
        if (row.host == host)
            return QString::fromLatin1(row.name);
    return {};
}

DemoHosts::DemoHosts(int port) : port_(port) {}

QString DemoHosts::HostWithPort(DemoHost host) const {
    return DemoHostName(host) + QLatin1Char(':') + QString::number(port_);
}

QString DemoHosts::Origin(DemoHost host) const {
    return QStringLiteral("http://") + HostWithPort(host);
}

DemoHost DemoHosts::FromHeader(const QString& hostHeader) {
    QString name = hostHeader.trimmed().toLower();
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && !name.contains(QLatin1Char(']')))
        name.truncate(colon);
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    for (const HostRow& row : kHosts)
        if (name == QLatin1String(row.name))
            return row.host;
    return DemoHost::Unknown;
}

QString DemoHosts::CookieDomain() {
    return DemoHostName(DemoHost::Bare);
}

std::vector<std::pair<QString, QString>> DemoHosts::SettingsKeys() const {
    return {
        {QStringLiteral("ForumWwwHost"), HostWithPort(DemoHost::Www)},
        {QStringLiteral("ForumBareHost"), HostWithPort(DemoHost::Bare)},
        {QStringLiteral("ForumBbsHost"), HostWithPort(DemoHost::Bbs)},
        {QStringLiteral("ForumCityHost"), HostWithPort(DemoHost::City)},
        {QStringLiteral("ForumPassportHost"), HostWithPort(DemoHost::Passport)},
        {QStringLiteral("ForumFocusHost"), HostWithPort(DemoHost::Focus)},
        {QStringLiteral("MakerSiteHost"), HostWithPort(DemoHost::Maker)},
        {QStringLiteral("DiscountSiteHost"), HostWithPort(DemoHost::Discount)},
        {QStringLiteral("SupportMailAddress"), QStringLiteral("support@quillmere.localhost")},
    };
}

QString DemoHosts::SettingsSection() const {
    QString text = QStringLiteral("[Hosts]\n");
    for (const auto& [key, value] : SettingsKeys())
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    return text;
}

bool DemoHosts::WriteSettings(const QString& iniPath) const {
    const IniFile ini(iniPath);
    for (const auto& [key, value] : SettingsKeys())
        if (!ini.WriteText(QStringLiteral("Hosts"), key, value))
            return false;
    return true;
}
