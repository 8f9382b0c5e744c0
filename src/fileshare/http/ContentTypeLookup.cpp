#include "fileshare/http/ContentTypeLookup.h"

#include <algorithm>

namespace {

constexpr std::string_view kFallback = "text/plain";
// The registry value holds at most 260 bytes.
constexpr qsizetype kMaxValueBytes = 260;

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

} // namespace

ContentTypeLookup::ContentTypeLookup(QString registryFolder, QString mimeTable)
    : registry_(std::move(registryFolder))
    , mimeTable_(std::move(mimeTable))
{
}

std::string_view ContentTypeLookup::extensionOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string ContentTypeLookup::lookup(std::string_view extension)
{
    if (extension.size() < 2 || extension.front() != '.')
        return std::string(kFallback);
    const std::string key = lowered(extension);
    const std::lock_guard guard(lock_);
    if (const auto cached = cache_.find(key); cached != cache_.end())
        return cached->second;
    std::optional<std::string> found = fromRegistry(key);
    if (!found)
        found = fromMimeTable(key);
    if (!found)
        return std::string(kFallback);
    cache_.emplace(key, *found);
    return *found;
}

std::optional<std::string> ContentTypeLookup::fromRegistry(const std::string& extension) const
{
    const auto value = registry_.readValue(RegistryRoot::HKEY_CLASSES_ROOT, QString::fromStdString(extension),
                                           QStringLiteral("Content Type"));
    if (!value || value->isEmpty())
        return std::nullopt;
    QByteArray bytes = value->toUtf8().left(kMaxValueBytes);
    // A type is one header value: anything that could break the header line goes.
    bytes.replace('\r', QByteArray()).replace('\n', QByteArray());
    return bytes.toStdString();
}

std::optional<std::string> ContentTypeLookup::fromMimeTable(const std::string& extension) const
{
    const QString type = mimeTable_.typeOf(QString::fromStdString(extension.substr(1)));
    return type.isEmpty() ? std::nullopt : std::optional<std::string>(type.toStdString());
}
