#include "core/UserRecord.h"

#include "core/modPublicTools.h"

namespace UserRecord {

std::vector<std::string> SplitList(std::string_view listText) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start <= listText.size()) {
        std::size_t end = listText.find(kRecordSep, start);
        if (end == std::string_view::npos) end = listText.size();
        std::string_view line = listText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) records.emplace_back(line);
        start = end + 1;
    }
    return records;
}

std::string JoinList(const std::vector<std::string>& records) {
    std::string out;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i) out.push_back(kRecordSep);
        out += records[i];
    }
    return out;
}

std::vector<std::string> Fields(std::string_view record) {
    auto f = modPublicTools::SplitFields(record);
    if (f.size() != kFieldCount) return {};
    return f;
}

bool ApplyUpdate(std::string& record, std::string_view update) {
    auto rec = Fields(record);
    const auto upd = modPublicTools::SplitFields(update);
    if (rec.empty() || upd.size() != kUpdateFieldCount || upd[kUpdName] != rec[kName]) return false;
    for (int i = 1; i < kUpdateFieldCount; ++i) rec[kUpdateToRecord[i]] = upd[i];
    record = modPublicTools::JoinFields(rec);
    return true;
}

}  // namespace UserRecord
