#include "engine/FairShare.h"

#include <algorithm>

std::vector<qint64> FairShare(qint64 budget, const std::vector<qint64>& wants)
{
    std::vector<qint64> grants(wants.size(), 0);
    std::vector<std::size_t> wanting;
    for (std::size_t i = 0; i < wants.size(); ++i) {
        if (wants[i] > 0)
            wanting.push_back(i);
    }
    qint64 left = std::max<qint64>(budget, 0);
    while (!wanting.empty() && left > 0) {
        const qint64 share = left / static_cast<qint64>(wanting.size());
        if (share == 0) {
            for (std::size_t k = 0; k < static_cast<std::size_t>(left); ++k)
                ++grants[wanting[k]];
            break;
        }
        std::vector<std::size_t> stillWanting;
        for (const std::size_t i : wanting) {
            const qint64 given = std::min(share, wants[i] - grants[i]);
            grants[i] += given;
            left -= given;
            if (grants[i] < wants[i])
                stillWanting.push_back(i);
        }
        wanting = std::move(stillWanting);
    }
    return grants;
}
