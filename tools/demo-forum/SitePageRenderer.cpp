#include "tools/demo-forum/SitePageRenderer.h"

#include "tools/demo-forum/DemoRandom.h"
#include "tools/demo-forum/HtmlText.h"
#include "tools/demo-forum/PngWriter.h"
#include "tools/demo-forum/ThreadAddress.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

struct Block {
    const char* label;
    const char* id;
};

// The recommendation blocks the reader collects, in the order it reads them.
const Block kBlocks[20] = {
    {"天涯头条", "header_news"}, {"天涯头版", "头条文字链"}, {"热点推荐", "热点推荐"},
    {"社会", "社会文字链"},      {"深度", "深度文字链"},     {"公益", "公益"},
    {"文学", "文学文字链"},      {"财经", "财经文字链"},     {"汽车", "汽车文字链"},
    {"文字", "it文字链"},        {"数码", "数码文字链"},     {"女人", "女人文字链"},
    {"时尚", "时尚文字链"},      {"情感", "情感文字链"},     {"旅游", "旅游文字链"},
    {"房产", "房产文字链"},      {"游戏", "游戏文字链"},     {"娱乐", "娱乐文字链"},
    {"体育", "体育文字链"},      {"校园", "校园文字链"},
};

const char* const kShops[] = {"江南茶庄",   "老街书店", "北窗数码", "半夏服饰",
                              "云间旅行社", "南山果园", "秋水家居", "竹林食品"};
const char* const kGoods[] = {"明前龙井礼盒",   "旧书五本包邮", "蓝牙耳机",   "棉麻衬衫",
                              "周末古镇两日游", "高山苹果十斤", "实木小书架", "手工豆腐干"};

} // namespace

QString SitePageRenderer::Link(const QString& href, const QString& text, bool newWindow) const {
    return QStringLiteral("<a href=\"") + HtmlEscape(href) + QStringLiteral("\"") +
           (newWindow ? QStringLiteral(" target=\"_blank\"") : QString()) + QStringLiteral(">") +
           HtmlEscape(text) + QStringLiteral("</a>");
}

QString SitePageRenderer::FirstPageAddress(int id) const {
    const auto summary = model_.Summary(id);
    if (!summary)
        return {};
    return ThreadAddress(hosts_, summary->site, summary->board, id, 1);
}

QString SitePageRenderer::FrontPage() const {
    DemoRandom random(MixSeed(model_.Seed(), 9001));
    std::vector<QString> blocks;
    int filler = DemoThreads::FirstFiller;
    for (int b = 0; b < 20; ++b) {
        QString items;
        const auto addThread = [&](int id, const QString& prefix) {
            const auto summary = model_.Summary(id);
            if (summary)
                items += QStringLiteral("<li>") +
                         Link(FirstPageAddress(id), prefix + summary->title, true) +
                         QStringLiteral("</li>");
        };
        const auto addOutside = [&](const QString& path, const QString& text) {
            items += QStringLiteral("<li>") +
                     Link(hosts_.Origin(DemoHost::Maker) + path, text, true) +
                     QStringLiteral("</li>");
        };
        if (b == 5) {
            // A block that links only outside the forum.
            addOutside(QStringLiteral("/Quillmere/SoftHelp.html"),
                       QStringLiteral("公益：读书的人"));
            addOutside(QStringLiteral("/gongyi/"), QStringLiteral("为山区孩子捐一本书"));
        } else {
            if (b == 0) {
                addThread(DemoThreads::Long, QString());
                addThread(DemoThreads::Short, QString());
            }
            if (b == 2)
                addThread(DemoThreads::Long, QStringLiteral("热议："));
            if (b == 6)
                addThread(DemoThreads::Tech, QString());
            if (b == 13)
                addThread(DemoThreads::Pictures, QString());
            const int count = random.Between(1, 3);
            for (int i = 0; i < count && filler <= DemoThreads::LastFiller; ++i)
                addThread(filler++, QString());
            if (random.Chance(20))
                addOutside(QStringLiteral("/zhe/"), QStringLiteral("今日折扣"));
        }
        blocks.push_back(QStringLiteral("<div class=\"blk\" id=\"") +
                         QString::fromUtf8(kBlocks[b].id) + QStringLiteral("\"><h2>") +
                         QString::fromUtf8(kBlocks[b].label) + QStringLiteral("</h2><ul>") + items +
                         QStringLiteral("</ul></div>"));
    }
    // The page orders its blocks its own way; readers must go by the block ids.
    for (size_t i = blocks.size() - 1; i > 0; --i)
        std::swap(blocks[i], blocks[static_cast<size_t>(random.Below(static_cast<int>(i) + 1))]);
    QString body = QStringLiteral("<div id=\"wrap\"><h1>天涯社区推荐</h1>");
    for (const QString& block : blocks)
        body += block;
    body += QStringLiteral("</div>");
    return HtmlDocument(QStringLiteral("天涯社区推荐"), Utf8Meta(), body);
}

QString SitePageRenderer::ForumIndex() const {
    QString body =
        QStringLiteral("<div id=\"top_nav_login\">") +
        Link(hosts_.Origin(DemoHost::Passport) + QStringLiteral("/login"), QStringLiteral("登录")) +
        QStringLiteral("</div><h1>天涯社区 · 版块导航</h1><ul id=\"threadList\">");
    for (const ThreadSummary& t : model_.MainThreads())
        body += QStringLiteral("<li>") + Link(FirstPageAddress(t.id), t.title, true) +
                QStringLiteral(" <span>（%1页）</span></li>").arg(t.pageCount);
    for (int id = DemoThreads::FirstFiller; id <= DemoThreads::LastFiller; ++id) {
        const auto summary = model_.Summary(id);
        if (summary)
            body += QStringLiteral("<li>") + Link(FirstPageAddress(id), summary->title, true) +
                    QStringLiteral("</li>");
    }
    body += QStringLiteral("</ul>");
    return HtmlDocument(QStringLiteral("天涯社区"), Utf8Meta(), body);
}

QString SitePageRenderer::LoginPage(const LoginView& view) const {
    const QString passport = hosts_.Origin(DemoHost::Passport);
    QString form =
        QStringLiteral(
            "<form id=\"loginForm\" method=\"post\" accept-charset=\"UTF-8\" action=\"") +
        HtmlEscape(passport + QStringLiteral("/login")) + QStringLiteral("\">");
    if (!view.message.isEmpty())
        form += QStringLiteral("<div id=\"errMsg\">") + HtmlEscape(view.message) +
                QStringLiteral("</div>");
    form += QStringLiteral(
                "<p>用户名：<input type=\"text\" id=\"userName\" name=\"userName\" value=\"") +
            HtmlEscape(view.userName) +
            QStringLiteral(
                "\"></p><p>密码：<input type=\"password\" id=\"password\" name=\"password\"></p>");
    if (view.captcha)
        form += QStringLiteral("<p>验证码：<input type=\"text\" id=\"vc\" name=\"vc\" size=\"6\">"
                               "<img id=\"imgCode\" width=\"%1\" height=\"%2\" src=\"")
                    .arg(kVerifyWidth)
                    .arg(kVerifyHeight) +
                HtmlEscape(passport + QStringLiteral("/vcode?n=%1").arg(view.codeSerial)) +
                QStringLiteral("\"><a href=\"") +
                HtmlEscape(passport + QStringLiteral("/login?new=1")) +
                QStringLiteral("\">换一张</a></p>");
    form += QStringLiteral(
        "<p><input type=\"checkbox\" id=\"rmflag\" name=\"rmflag\" value=\"1\" checked>"
        "下次自动登录</p><p><input type=\"button\" value=\"登录\" "
        "onclick=\"document.getElementById('loginForm').submit()\"></p></form>");
    return HtmlDocument(QStringLiteral("天涯社区 - 登录"), Utf8Meta(),
                        QStringLiteral("<h1>登录天涯社区</h1>") + form);
}

QString SitePageRenderer::LoggedInPage(const QString& user) const {
    const QString body = QStringLiteral("<div id=\"top_nav_set\">欢迎，") + HtmlEscape(user) +
                         Link(hosts_.Origin(DemoHost::Passport) + QStringLiteral("/logout"),
                              QStringLiteral("退出")) +
                         QStringLiteral("</div><p>登录成功，") +
                         Link(hosts_.Origin(DemoHost::Www) + QStringLiteral("/bbs/index.shtml"),
                              QStringLiteral("进入社区")) +
                         QStringLiteral("</p>");
    return HtmlDocument(QStringLiteral("天涯社区"), Utf8Meta(), body);
}

QString SitePageRenderer::DiscountList() const {
    DemoRandom random(MixSeed(model_.Seed(), 9002));
    QString rows;
    for (int i = 1; i <= kDiscountRows; ++i) {
        const QString shop = QString::fromUtf8(kShops[random.Below(8)]);
        const QString goods = QString::fromUtf8(kGoods[random.Below(8)]);
        const int price = random.Between(9, 399);
        const int discount = random.Between(3, 9);
        const QString item =
            hosts_.Origin(DemoHost::Discount) + QStringLiteral("/zhe/item.php?id=%1").arg(i);
        // The offer cell keeps its class unquoted, as the site writes it.
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>2013-0%4-1%5</td>")
                    .arg(i)
                    .arg(HtmlEscape(shop))
                    .arg(i % 2 ? QStringLiteral("食品") : QStringLiteral("百货"))
                    .arg(1 + i % 9)
                    .arg(i % 10) +
                QStringLiteral("<td><a class=zk-title href=\"") + HtmlEscape(item) +
                QStringLiteral("\" target=_blank>") + HtmlEscape(goods) +
                QStringLiteral("</a></td><td>%1 %2，%3折</td><td>%4</td><td>%5</td></tr>")
                    .arg(HtmlEscape(shop), HtmlEscape(goods))
                    .arg(discount)
                    .arg(price)
                    .arg(discount);
    }
    return HtmlDocument(QStringLiteral("折扣推荐"), Utf8Meta(),
                        QStringLiteral("<table class=\"zk\"><tbody id=\"main\">") + rows +
                            QStringLiteral("</tbody></table>"));
}

QString SitePageRenderer::DiscountTab() const {
    DemoRandom random(MixSeed(model_.Seed(), 9002));
    QString body = QStringLiteral("<h1>今日折扣</h1><ul>");
    for (int i = 1; i <= kDiscountRows; ++i) {
        const QString shop = QString::fromUtf8(kShops[random.Below(8)]);
        const QString goods = QString::fromUtf8(kGoods[random.Below(8)]);
        random.Next();
        random.Next();
        body +=
            QStringLiteral("<li>") +
            Link(hosts_.Origin(DemoHost::Discount) + QStringLiteral("/zhe/item.php?id=%1").arg(i),
                 shop + QStringLiteral(" · ") + goods, true) +
            QStringLiteral("</li>");
    }
    body += QStringLiteral("</ul>");
    return HtmlDocument(QStringLiteral("今日折扣"), Utf8Meta(), body);
}

QString SitePageRenderer::DiscountItem(int id) const {
    DemoRandom random(MixSeed(model_.Seed(), 9100 + static_cast<uint64_t>(std::max(0, id))));
    const QString goods = QString::fromUtf8(kGoods[random.Below(8)]);
    const QString body = QStringLiteral("<div class=\"item\"><h3>") + HtmlEscape(goods) +
                         QStringLiteral("</h3><p>限时 %1 折，%2 元起。</p></div>")
                             .arg(random.Between(3, 9))
                             .arg(random.Between(9, 399));
    return HtmlDocument(QStringLiteral("折扣"), Utf8Meta(), body);
}

QString SitePageRenderer::HelpPage() const {
    const QString body = QStringLiteral(
        "<h1>Quillmere 使用帮助</h1>"
        "<p>在“添加关注”中粘贴帖子任意一页的地址，程序会下载整个帖子并每五分钟刷新一次。</p>"
        "<p>阅读窗口可以只看楼主、只看或高亮指定的人、屏蔽某些人，或只看含有关键词的回复。</p>"
        "<p>帖子可以导出为文本或网页文件，图片导出到文件夹。</p>"
        "<p>问题反馈：support@quillmere.localhost</p>");
    return HtmlDocument(QStringLiteral("Quillmere 帮助"), Utf8Meta(), body);
}

QString SitePageRenderer::VersionPage(VersionOffer offer) const {
    const QString maker = hosts_.Origin(DemoHost::Maker);
    struct Row {
        QString from, to, kind, version, message;
    };
    std::vector<Row> rows = {
        {QStringLiteral("0.10"), QStringLiteral("0.89"), QStringLiteral("必须"),
         QStringLiteral("0.95"), QStringLiteral("旧版本已停止服务，请升级到0.95。")},
        {QStringLiteral("0.90"), QStringLiteral("0.92"), QStringLiteral("可选"),
         QStringLiteral("0.95"), QStringLiteral("新版本0.95修正了若干问题。")},
    };
    if (offer != VersionOffer::None)
        rows.push_back(
            {QStringLiteral("0.93"), QStringLiteral("0.99"),
             offer == VersionOffer::Mandatory ? QStringLiteral("必须") : QStringLiteral("可选"),
             QStringLiteral("0.95"), QStringLiteral("新版本0.95：阅读窗口翻页更快，导出更稳。")});
    QString body = QStringLiteral("<h1>版本更新</h1><table id=\"SoftVerUpdate\"><tbody>");
    for (const Row& r : rows) {
        body += QStringLiteral("<tr><td>") + r.from + QStringLiteral("</td><td>") + r.to +
                QStringLiteral("</td><td>") + r.kind + QStringLiteral("</td><td>") + r.version +
                QStringLiteral("</td><td>") + HtmlEscape(r.message) + QStringLiteral("</td><td>") +
                Link(maker + QStringLiteral("/Quillmere/Update/Quillmere-") + r.version +
                         QStringLiteral(".tar.gz"),
                     QStringLiteral("下载")) +
                Link(maker + QStringLiteral("/Quillmere/Update/mirror/Quillmere-") + r.version +
                         QStringLiteral(".tar.gz"),
                     QStringLiteral("备用下载")) +
                Link(maker + QStringLiteral("/Quillmere/SoftHelp.html"), QStringLiteral("说明")) +
                QStringLiteral("</td></tr>");
    }
    body += QStringLiteral("</tbody></table>");
    return HtmlDocument(QStringLiteral("Quillmere 版本"), Utf8Meta(), body);
}

QByteArray UpdatePackageBytes(uint64_t seed, const QString& version) {
    constexpr int kBytes = 3 * 1024 * 1024;
    DemoRandom random(MixSeed(seed, HashText(QStringLiteral("update-") + version)));
    QByteArray bytes(kBytes, Qt::Uninitialized);
    for (int i = 0; i < kBytes; i += 8) {
        const uint64_t value = random.Next();
        std::memcpy(bytes.data() + i, &value, 8);
    }
    return bytes;
}
