#include "tools/demo-forum/FaultPlan.h"

#include "tools/demo-forum/DemoRandom.h"

#include <QStringList>

bool FaultPlan::SetModes(const QString& modes) {
    kinds_.clear();
    for (const QString& raw : modes.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString mode = raw.trimmed().toLower();
        if (mode == QLatin1String("slow"))
            kinds_.push_back(FaultKind::Slow);
        else if (mode == QLatin1String("500"))
            kinds_.push_back(FaultKind::ServerError);
        else if (mode == QLatin1String("drop"))
            kinds_.push_back(FaultKind::Drop);
        else if (mode == QLatin1String("truncate"))
            kinds_.push_back(FaultKind::Truncate);
        else if (mode != QLatin1String("none"))
            return false;
    }
    return true;
}

FaultKind FaultPlan::Decide(const QString& hostAndPath) {
    if (kinds_.empty())
        return FaultKind::None;
    const QString key = hostAndPath.toLower();
    const uint64_t h = MixSeed(seed_, HashText(key));
    if (static_cast<int>(h % 100) >= share_)
        return FaultKind::None;
    if (firstHits_ > 0) {
        std::lock_guard lock(mutex_);
        if (++hits_[key] > firstHits_)
            return FaultKind::None;
    }
    return kinds_[(h / 100) % kinds_.size()];
}
