#include "common/Settings.h"

#include "common/IniFile.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"

#include <memory>
#include <mutex>

QString SettingsFilePath(const QString& fileName) {
    if (fileName.startsWith(QLatin1Char('/')))
        return fileName;
    return JoinPath(ProgramDirectory(), fileName);
}

int ReadSettingInt(const QString& section, const QString& key, int defaultValue) {
    return IniFile(SettingsFilePath()).ReadInt(section, key, defaultValue);
}

QString ReadSettingText(const QString& section, const QString& key, const QString& defaultValue) {
    return IniFile(SettingsFilePath()).ReadText(section, key, defaultValue);
}

bool WriteSettingText(const QString& section, const QString& key, const QString& value) {
    return IniFile(SettingsFilePath()).WriteText(section, key, value);
}

namespace {

std::mutex hostsMutex;
std::shared_ptr<const ForumHosts>& hostsValue() {
    static std::shared_ptr<const ForumHosts> value;
    return value;
}

std::shared_ptr<const ForumHosts> loadHosts() {
    const IniFile ini(SettingsFilePath());
    const QString section = QStringLiteral("Hosts");
    auto h = std::make_shared<ForumHosts>();
    h->forumWww =
        ini.ReadText(section, QStringLiteral("ForumWwwHost"), QStringLiteral("www.tianya.cn"));
    h->forumBare =
        ini.ReadText(section, QStringLiteral("ForumBareHost"), QStringLiteral("tianya.cn"));
    h->forumBbs =
        ini.ReadText(section, QStringLiteral("ForumBbsHost"), QStringLiteral("bbs.tianya.cn"));
    h->forumCity =
        ini.ReadText(section, QStringLiteral("ForumCityHost"), QStringLiteral("city.tianya.cn"));
    h->forumPassport = ini.ReadText(section, QStringLiteral("ForumPassportHost"),
                                    QStringLiteral("passport.tianya.cn"));
    h->forumFocus =
        ini.ReadText(section, QStringLiteral("ForumFocusHost"), QStringLiteral("focus.tianya.cn"));
    h->makerSite = ini.ReadText(section, QStringLiteral("MakerSiteHost"),
                                QStringLiteral("www.quillmere.example"));
    h->discountSite = ini.ReadText(section, QStringLiteral("DiscountSiteHost"),
                                   QStringLiteral("deals.quillmere.example"));
    h->supportMail = ini.ReadText(section, QStringLiteral("SupportMailAddress"),
                                  QStringLiteral("support@quillmere.example"));
    return h;
}

} // namespace

const ForumHosts& Hosts() {
    std::lock_guard lock(hostsMutex);
    auto& value = hostsValue();
    if (!value)
        value = loadHosts();
    // Reloads keep the old value alive in this static list so references stay valid.
    return *value;
}

void ReloadHosts() {
    std::lock_guard lock(hostsMutex);
    static std::vector<std::shared_ptr<const ForumHosts>> retired;
    if (hostsValue())
        retired.push_back(hostsValue());
    hostsValue() = loadHosts();
}
