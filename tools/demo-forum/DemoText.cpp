#include "tools/demo-forum/DemoText.h"

#include <iterator>

namespace {

template <typename Array> QString pick(DemoRandom& random, const Array& items) {
    return QString::fromUtf8(items[random.Below(static_cast<int>(std::size(items)))]);
}

const char* const kNameHeads[] = {"山野", "江南", "青灯", "老街", "北窗", "半夏", "白露",
                                  "云间", "南山", "秋水", "孤城", "西楼", "东篱", "竹林",
                                  "明月", "清风", "落雪", "夜航", "归帆", "野渡"};
const char* const kNameTails[] = {"客",   "书生", "散人", "闲人", "旧梦", "听雨",
                                  "看云", "行者", "居士", "小鱼", "阿福", "老猫"};

const char* const kTitleHeads[] = {"【连载】", "【原创】", "【纪实】", "", "", "【闲谈】"};
const char* const kTitlePlaces[] = {"县城",     "老街",       "江边小镇", "北方工厂",
                                    "南方小城", "山里的学校", "外婆家",   "火车站"};
const char* const kTitleTails[] = {
    "的那些年", "里的旧事", "二十年", "：一个普通人的记录", "往事，慢慢讲给你们听", "见闻录"};

const char* const kSubjects[] = {"我",     "楼主",     "我们村", "那年",   "老板",    "二叔",
                                 "这件事", "隔壁老王", "我妈",   "同学们", "那位师傅"};
const char* const kMiddles[] = {"说起来",   "其实", "后来", "那天晚上", "第二天一早",
                                "不知怎么", "果然", "忽然", "一直",     "到底还是"};
const char* const kPredicates[] = {"去了一趟县城",   "把门锁上了",       "没有再提起",
                                   "在河边等了很久", "笑得说不出话",     "买了两斤橘子",
                                   "把信放进了抽屉", "想起了小时候的事", "终于明白了过来",
                                   "又回到了老房子", "在路口站了半天",   "把账算得清清楚楚"};
const char* const kEnds[] = {"。", "！", "……", "？", "，真是没想到。", "。"};
// A few sentences carry characters a page must escape, so a page that forgets to
// escape them shows up in the tests as a changed text.
const char* const kMarked[] = {"他说：\"先别急，慢慢来。\"", "张记 & 李记两家店都关门了。",
                               "价钱 <五块> 就卖，不讲价。", "「这个先记下」，我对自己说。"};

} // namespace

QString DemoAuthorName(DemoRandom& random) {
    return pick(random, kNameHeads) + pick(random, kNameTails);
}

QString DemoTitle(DemoRandom& random) {
    return pick(random, kTitleHeads) + QStringLiteral("我在") + pick(random, kTitlePlaces) +
           pick(random, kTitleTails);
}

QString DemoSentence(DemoRandom& random) {
    if (random.Chance(8))
        return pick(random, kMarked);
    return pick(random, kSubjects) + pick(random, kMiddles) + pick(random, kPredicates) +
           pick(random, kEnds);
}

QStringList DemoPostLines(DemoRandom& random) {
    QStringList lines;
    const int count = random.Between(1, 4);
    for (int i = 0; i < count; ++i) {
        QString line;
        const int sentences = random.Between(1, 3);
        for (int s = 0; s < sentences; ++s)
            line += DemoSentence(random);
        lines.append(line);
    }
    return lines;
}
