#pragma once

#include "platform/MimeTable.h"
#include "platform/Registry.h"

#include <QString>

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The content type of a file extension: the "Content Type" value of the
// extension's key under HKEY_CLASSES_ROOT when the hive has one, else the
// system's MIME table, else "text/plain". Answers found are cached; the
// cache is locked, since connections may ask at the same time.
class ContentTypeLookup {
public:
    explicit ContentTypeLookup(QString registryFolder, QString mimeTable = MimeTable::kSystemTable);

    // `extension` with its dot (".zip"), any letter case; empty for none.
    std::string lookup(std::string_view extension);

    // The extension of the last segment of a path, with its dot, or empty.
    static std::string_view extensionOf(std::string_view path);

private:
    std::optional<std::string> fromRegistry(const std::string& extension) const;
    std::optional<std::string> fromMimeTable(const std::string& extension) const;

    Registry registry_;
    MimeTable mimeTable_; // asked under the lock only
    std::mutex lock_;
    std::unordered_map<std::string, std::string> cache_;
};
