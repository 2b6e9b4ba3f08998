#include "server/Moderation.h"

void Moderation::Apply(const ModerationAction& step) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (step.action == "ban") bans_[step.target] = step;
    else if (step.action == "unban") bans_.erase(step.target);
    else if (step.action == "mute") mutes_[step.target] = step;
    else if (step.action == "unmute") mutes_.erase(step.target);
}

namespace {

std::int64_t Until(const std::map<std::string, ModerationAction>& in, const std::string& name, std::int64_t now) {
    const auto it = in.find(name);
    return it != in.end() && it->second.until > now ? it->second.until : 0;
}

}  // namespace

std::int64_t Moderation::BannedUntil(const std::string& name, std::int64_t now) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Until(bans_, name, now);
}
std::int64_t Moderation::MutedUntil(const std::string& name, std::int64_t now) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Until(mutes_, name, now);
}

std::vector<ModerationAction> Moderation::InForce(std::int64_t now) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ModerationAction> out;
    for (const auto* list : {&bans_, &mutes_})
        for (const auto& [name, step] : *list)
            if (step.until > now) out.push_back(step);
    return out;
}

bool Moderation::SetIgnore(const std::string& listener, const std::string& speaker, bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& list = ignores_[listener];
    if (!on) {
        list.erase(speaker);
        if (list.empty()) ignores_.erase(listener);
        return true;
    }
    if (list.size() >= kMaxIgnored && !list.count(speaker)) return false;
    list.insert(speaker);
    return true;
}

bool Moderation::Ignores(const std::string& listener, const std::string& speaker) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = ignores_.find(listener);
    return it != ignores_.end() && it->second.count(speaker);
}
