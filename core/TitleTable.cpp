#include "core/TitleTable.h"

#include "core/LeadingNumber.h"
#include "core/modPublicTools.h"

namespace TitleTable {

std::string For(std::int64_t points) {
    std::string title;
    for (const auto& field : modPublicTools::SplitFields(kText)) {
        const auto bar = field.rfind('_');
        if (bar == std::string::npos) continue;
        if (title.empty() || points >= LeadingNumber::Long(field.substr(bar + 1))) title = field.substr(0, bar);
    }
    return title;
}

}  // namespace TitleTable
